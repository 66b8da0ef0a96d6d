#include "rail_solver.h"


#include <algorithm>
#include <cstdio>
#include <new>

rail_solver::rail_solver(const char *program, const language_model &model, unsigned threads, bool show_progress)
    : program_(program), progress_(show_progress), pool_(threads),
      tables_(new (std::nothrow) keyed_tables), search_(new (std::nothrow) rail_search),
      scratch_(new (std::nothrow) rail_scratch[pool_.threads()]),
      results_(new (std::nothrow) rail_job_result[MOST_RAIL_JOBS])
{
	ready_ = tables_ && search_ && scratch_ && results_;
	if (ready_)
		build_keyed_tables(model, *tables_);
}

void rail_solver::use(const language_model &model) noexcept
{
	if (tables_->model != &model)
		build_keyed_tables(model, *tables_);
}

void rail_solver::run(void *context, std::size_t job, unsigned worker) noexcept
{
	auto &solver = *static_cast<rail_solver *>(context);
	run_rail_job(*solver.search_, solver.jobs_[job], solver.scratch_[worker], solver.results_[job],
	             &solver.pool_.stop());
}

bool rail_solver::take(void *context, std::size_t job) noexcept
{
	auto &solver = *static_cast<rail_solver *>(context);
	solver.searching_ = solver.jobs_[job];
	take_rail_result(*solver.search_, solver.results_[job]);
	solver.show();
	return false;
}

void rail_solver::show()
{
	const std::span<const rail_answer> answers = rail_answers(*search_);
	char best[64] = "";
	if (!answers.empty())
		std::snprintf(best, sizeof best, "; best %.2f with %d rails", log10_per_quadgram(*tables_->model, answers[0].score),
		              static_cast<int>(answers[0].rails));
	progress_.show("%s: %s:%zu: %d rails, offset %d%s", program_, place_.file, place_.line,
	               static_cast<int>(searching_.rails), static_cast<int>(searching_.offset), best);
}

std::span<const rail_answer> rail_solver::solve(std::span<const char> compact, const rail_settings &settings,
                                                const line_place &place)
{
	place_ = place;
	begin_rail_search(*search_, *tables_, compact, settings);
	const ordered_work work{this, run, take};
	for (std::size_t count; (count = plan_rail_jobs(*search_, jobs_)) > 0;)
		pool_.run(count, work);
	progress_.clear();
	return rail_answers(*search_);
}
