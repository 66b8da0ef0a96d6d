// What a search made of independent jobs offers those who run it: its
// job, result, scratch, settings and answer, how to begin, plan, run and
// take its jobs, and how to read its answers.  The program's threads and
// the page's worker both run the searches through these parts.
#ifndef UNTRANSPOSE_SEARCH_PARTS_H
#define UNTRANSPOSE_SEARCH_PARTS_H

#include "double_search.h"
#include "order_fit.h"
#include "rail_orders.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
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

#endif
