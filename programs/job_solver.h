// The searches made of independent jobs (a redefence's rails and offsets,
// an order fitted to a type's decodings), run on every thread, their
// results taken in the order of the plan, with progress on standard error.
// Everything is allocated once, when the solver is made.
#ifndef UNTRANSPOSE_JOB_SOLVER_H
#define UNTRANSPOSE_JOB_SOLVER_H

#include "progress_line.h"
#include "search_parts.h"
#include "text_lines.h"
#include "worker_pool.h"

#include <cstdio>
#include <memory>
#include <new>
#include <span>

template <typename Search>
class job_solver {
	using parts = search_parts<Search>;

public:
	using settings = typename parts::settings;
	using answer = typename parts::answer;

	job_solver(const char *program, const language_model &model, unsigned threads, bool show_progress)
	    : program_(program), progress_(show_progress), pool_(threads), tables_(new (std::nothrow) keyed_tables),
	      search_(new (std::nothrow) Search), scratch_(new (std::nothrow) typename parts::scratch[pool_.threads()]),
	      results_(new (std::nothrow) typename parts::result[parts::most_jobs])
	{
		ready_ = tables_ && search_ && scratch_ && results_;
		if (ready_)
			build_keyed_tables(model, *tables_);
	}
	job_solver(const job_solver &) = delete;
	job_solver &operator=(const job_solver &) = delete;

	// False if its memory could not be had.
	[[nodiscard]] bool ready() const noexcept { return ready_; }

	// Scores with `model` from the next search on.
	void use(const language_model &model) noexcept
	{
		if (tables_->model != &model)
			build_keyed_tables(model, *tables_);
	}

	// Searches the compact text read at `place`; the answers, best first,
	// stand until the next search.
	std::span<const answer> solve(std::span<const char> compact, const settings &chosen, const line_place &place)
	{
		place_ = place;
		parts::begin(*search_, *tables_, compact, chosen);
		const ordered_work work{this, run, take};
		for (std::size_t count; (count = parts::plan(*search_, jobs_)) > 0;)
			pool_.run(count, work);
		progress_.clear();
		return parts::answers(*search_);
	}

private:
	static void run(void *context, std::size_t job, unsigned worker) noexcept
	{
		auto &solver = *static_cast<job_solver *>(context);
		parts::run(*solver.search_, solver.jobs_[job], solver.scratch_[worker], solver.results_[job],
		           &solver.pool_.stop());
	}

	static bool take(void *context, std::size_t job) noexcept
	{
		auto &solver = *static_cast<job_solver *>(context);
		parts::take(*solver.search_, solver.results_[job]);
		const std::span<const answer> answers = parts::answers(*solver.search_);
		char doing[64], best[64] = "";
		parts::describe(doing, sizeof doing, solver.jobs_[job]);
		if (!answers.empty())
			std::snprintf(best, sizeof best, "; best %.2f with %d %s",
			              log10_per_quadgram(*solver.tables_->model, answers[0].score), parts::number(answers[0]),
			              parts::units);
		solver.progress_.show("%s: %s:%zu: %s%s", solver.program_, solver.place_.file, solver.place_.line, doing, best);
		return false;
	}

	const char *program_;
	progress_line progress_;
	bool ready_ = false;
	worker_pool pool_;
	std::unique_ptr<keyed_tables> tables_;
	std::unique_ptr<Search> search_;
	std::unique_ptr<typename parts::scratch[]> scratch_;
	std::unique_ptr<typename parts::result[]> results_;
	typename parts::job jobs_[parts::most_jobs];
	line_place place_{};
};

#endif
