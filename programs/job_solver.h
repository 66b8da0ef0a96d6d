// The searches made of independent jobs (a redefence's rails and offsets,
// an order fitted to a type's decodings), run on every thread, their
// results taken in the order of the plan, with progress on standard error.
// Everything is allocated once, when the solver is made.
#ifndef UNTRANSPOSE_JOB_SOLVER_H
#define UNTRANSPOSE_JOB_SOLVER_H

#include "double_search.h"
#include "order_fit.h"
#include "progress_line.h"
#include "rail_orders.h"
#include "text_lines.h"
#include "worker_pool.h"

#include <cstdio>
#include <memory>
#include <new>
#include <span>

// What a solver needs to know of each search.
template <typename Search>
struct search_parts;

template <>
struct search_parts<rail_search> {
	using job = rail_job;
	using result = rail_job_result;
	using scratch = rail_scratch;
	using settings = rail_settings;
	using answer = rail_answer;
	static constexpr std::size_t most_jobs = MOST_RAIL_JOBS;
	static void begin(rail_search &s, const keyed_tables &t, std::span<const char> c, const settings &o) noexcept
	{
		begin_rail_search(s, t, c, o);
	}
	static std::size_t plan(rail_search &s, std::span<job> jobs) noexcept { return plan_rail_jobs(s, jobs); }
	static void run(const rail_search &s, const job &j, scratch &w, result &r, const std::atomic<bool> *stop) noexcept
	{
		run_rail_job(s, j, w, r, stop);
	}
	static void take(rail_search &s, const result &r) noexcept { take_rail_result(s, r); }
	static std::span<const answer> answers(const rail_search &s) noexcept { return rail_answers(s); }
	static void describe(char *text, std::size_t size, const job &j) noexcept
	{
		std::snprintf(text, size, "%d rails, offset %d", static_cast<int>(j.rails), static_cast<int>(j.offset));
	}
	static int number(const answer &a) noexcept { return a.rails; }
	static std::int64_t offset(const answer &a) noexcept { return a.offset; }
	static std::span<const std::uint8_t> tied(const answer &) noexcept { return {}; }
	static bool reached_once(const answer &) noexcept { return false; }
	static std::span<const std::int32_t> second(const answer &) noexcept { return {}; }
	static constexpr const char *units = "rails";
};

template <>
struct search_parts<fit_search> {
	using job = fit_job;
	using result = fit_job_result;
	using scratch = fit_scratch;
	using settings = fit_settings;
	using answer = fit_answer;
	static constexpr std::size_t most_jobs = MOST_FIT_JOBS;
	static void begin(fit_search &s, const keyed_tables &t, std::span<const char> c, const settings &o) noexcept
	{
		begin_fit_search(s, t, c, o);
	}
	static std::size_t plan(fit_search &s, std::span<job> jobs) noexcept { return plan_fit_jobs(s, jobs); }
	static void run(const fit_search &s, const job &j, scratch &w, result &r, const std::atomic<bool> *stop) noexcept
	{
		run_fit_job(s, j, w, r, stop);
	}
	static void take(fit_search &s, const result &r) noexcept { take_fit_result(s, r); }
	static std::span<const answer> answers(const fit_search &s) noexcept { return fit_answers(s); }
	static void describe(char *text, std::size_t size, const job &j) noexcept
	{
		std::snprintf(text, size, "%d columns, offset %d", static_cast<int>(j.columns), static_cast<int>(j.offset));
	}
	static int number(const answer &a) noexcept { return a.columns; }
	static std::int64_t offset(const answer &a) noexcept { return a.offset; }
	static std::span<const std::uint8_t> tied(const answer &a) noexcept
	{
		return {a.tied, static_cast<std::size_t>(a.columns)};
	}
	static bool reached_once(const answer &a) noexcept { return a.hits == 1; }
	static std::span<const std::int32_t> second(const answer &) noexcept { return {}; }
	static constexpr const char *units = "columns";
};

template <>
struct search_parts<double_search> {
	using job = double_job;
	using result = double_job_result;
	using scratch = double_scratch;
	using settings = double_settings;
	using answer = double_answer;
	static constexpr std::size_t most_jobs = MOST_DOUBLE_JOBS;
	static void begin(double_search &s, const keyed_tables &t, std::span<const char> c, const settings &o) noexcept
	{
		begin_double_search(s, t, c, o);
	}
	static std::size_t plan(double_search &s, std::span<job> jobs) noexcept { return plan_double_jobs(s, jobs); }
	static void run(const double_search &s, const job &j, scratch &w, result &r, const std::atomic<bool> *stop) noexcept
	{
		run_double_job(s, j, w, r, stop);
	}
	static void take(double_search &s, const result &r) noexcept { take_double_result(s, r); }
	static std::span<const answer> answers(const double_search &s) noexcept { return double_answers(s); }
	static void describe(char *text, std::size_t size, const job &j) noexcept
	{
		std::snprintf(text, size, "%d then %d columns", static_cast<int>(j.columns), static_cast<int>(j.second_columns));
	}
	static int number(const answer &a) noexcept { return a.columns; }
	static std::int64_t offset(const answer &) noexcept { return 0; }
	static std::span<const std::uint8_t> tied(const answer &) noexcept { return {}; }
	// The climbs for a wide second key seldom reach it twice, right or
	// wrong: every answer is held to the floor of one reached once.
	static bool reached_once(const answer &) noexcept { return true; }
	static std::span<const std::int32_t> second(const answer &a) noexcept
	{
		return {a.second, static_cast<std::size_t>(a.second_columns)};
	}
	static constexpr const char *units = "columns";
};

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
