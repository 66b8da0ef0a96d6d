#include "keyed_solver.h"

#include "terminal.h"

#include <cstdio>
#include <new>

keyed_solver::keyed_solver(const char *program, unsigned threads, bool show_progress)
    : program_(program), show_progress_(show_progress && standard_error_is_terminal()), pool_(threads),
      tables_(new (std::nothrow) keyed_tables), search_(new (std::nothrow) keyed_search),
      scratch_(new (std::nothrow) order_scratch[pool_.threads()]),
      results_(new (std::nothrow) job_result[MOST_KEYED_COLUMNS])
{
	ready_ = tables_ && search_ && scratch_ && results_;
	if (ready_)
		build_keyed_tables(*tables_);
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
	solver.show(false);
	return done;
}

void keyed_solver::show(bool finished) const
{
	if (!show_progress_)
		return;
	if (finished) {
		std::fprintf(stderr, "\r%78s\r", "");
		return;
	}
	const std::span<const keyed_answer> answers = search_answers(*search_);
	std::fprintf(stderr, "\r%s: %s:%zu: round %u, %d columns; best %.2f with %d columns ", program_, place_.file,
	             place_.line, search_->round, static_cast<int>(searching_),
	             answers.empty() ? 0.0 : log10_per_quadgram(answers[0].score),
	             answers.empty() ? 0 : static_cast<int>(answers[0].columns));
}

std::span<const keyed_answer> keyed_solver::solve(std::span<const char> compact, const keyed_settings &settings,
                                                  const line_place &place)
{
	place_ = place;
	begin_search(*search_, *tables_, compact, settings);
	const ordered_work work{this, run, take};
	for (std::size_t count; (count = plan_round(*search_, jobs_)) > 0;) {
		show(false);
		pool_.run(count, work);
	}
	show(true);
	return search_answers(*search_);
}
