#include "keyed_solver.h"


#include <algorithm>
#include <cstdio>
#include <new>

keyed_solver::keyed_solver(const char *program, const language_model &model, unsigned threads, bool show_progress)
    : program_(program), progress_(show_progress), pool_(threads),
      tables_(new (std::nothrow) keyed_tables), search_(new (std::nothrow) keyed_search),
      scratch_(new (std::nothrow) order_scratch[pool_.threads()]),
      results_(new (std::nothrow) job_result[MOST_ROUND_JOBS])
{
	ready_ = tables_ && search_ && scratch_ && results_;
	if (ready_)
		build_keyed_tables(model, *tables_);
}

void keyed_solver::use(const language_model &model) noexcept
{
	if (tables_->model != &model)
		build_keyed_tables(model, *tables_);
}

void keyed_solver::run(void *context, std::size_t job, unsigned worker) noexcept
{
	auto &solver = *static_cast<keyed_solver *>(context);
	run_job(*solver.search_, solver.jobs_[job], solver.scratch_[worker], solver.results_[job], &solver.pool_.stop());
}

bool keyed_solver::take(void *context, std::size_t job) noexcept
{
	auto &solver = *static_cast<keyed_solver *>(context);
	solver.searching_ = solver.jobs_[job].columns;
	const bool done = take_result(*solver.search_, solver.results_[job]);
	solver.show();
	return done;
}

void keyed_solver::show()
{
	const std::span<const keyed_answer> answers = search_answers(*search_);
	char columns[32] = "", best[64] = "";
	if (searching_ > 0)
		std::snprintf(columns, sizeof columns, ", %d columns", static_cast<int>(searching_));
	if (!answers.empty())
		std::snprintf(best, sizeof best, "; best %.2f with %d columns", log10_per_quadgram(*tables_->model, answers[0].score),
		              static_cast<int>(answers[0].columns));
	progress_.show("%s: %s:%zu: round %u%s%s", program_, place_.file, place_.line, search_->round, columns, best);
}

std::span<const keyed_answer> keyed_solver::solve(std::span<const char> compact, const keyed_settings &settings,
                                                  const line_place &place)
{
	place_ = place;
	searching_ = 0;
	begin_search(*search_, *tables_, compact, settings);
	const ordered_work work{this, run, take};
	for (std::size_t count; (count = plan_round(*search_, jobs_)) > 0;) {
		show();
		pool_.run(count, work);
	}
	progress_.clear();
	return search_answers(*search_);
}
