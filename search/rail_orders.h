// The search for a redefence's key: the number of rails, the offset and
// the order the rails were read out in.  Each number of rails and offset
// is a job of its own, which the caller may run on any thread and hands
// back in the order of the plan.  A job scores orders first by how well
// the letters of rails side by side follow one another, from tables of
// each two neighbouring rails at each place the cipher may hold them, so
// that an order costs a few additions; every order of a few rails is
// tried, in a tree that leaves a branch as soon as it cannot reach the
// orders kept, and more rails are climbed to from seeded random orders.
// The orders kept are then scored on their whole decodings.  Pure: no
// I/O; the caller allocates the search and the scratch once.
#ifndef UNTRANSPOSE_RAIL_ORDERS_H
#define UNTRANSPOSE_RAIL_ORDERS_H

#include "crib.h"
#include "decoder.h"
#include "keyed_tables.h"
#include "scoring.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>

// The most rails searched for, and the most of them whose every order is
// tried.
inline constexpr std::size_t MOST_ORDERED_RAILS = 12;
inline constexpr std::size_t MOST_RAILS_IN_EVERY_ORDER = 9;
// The most places a rail may start at, with 12 rails: their lengths are of
// few kinds, so that the sums of the others' are few.
inline constexpr std::size_t MOST_RAIL_STARTS = 128;
// Only the first SCORED_LETTERS letters of a decoding are scored by the
// tables: more cost time and add little.
inline constexpr std::size_t SCORED_LETTERS = 1200;
// How many orders a job keeps by its tables, to score on their decodings.
inline constexpr std::size_t RAIL_ORDERS_KEPT = 96;
// A job for each number of rails from 2 and each of its first N - 1
// offsets.
inline constexpr std::size_t MOST_RAIL_JOBS = MOST_ORDERED_RAILS * (MOST_ORDERED_RAILS - 1) / 2;
inline constexpr std::size_t MOST_RAIL_ANSWERS = 1000;

struct rail_settings {
	std::int32_t least = 3, most = 10;   // rails
	std::uint64_t seed = 1;
	std::uint32_t effort = 1;             // more restarts of the climbs
	std::size_t answers = 2;
	const crib_list *cribs = nullptr;
};

struct rail_answer {
	std::int32_t rails;
	std::int32_t offset;
	std::uint32_t cribs;
	key_score score;
	std::int64_t belief;                  // the score less the order's prior
	std::int32_t order[MOST_ORDERED_RAILS];   // the rail read j-th
};

struct rail_job {
	std::int32_t rails;
	std::int32_t offset;
};

struct rail_job_result {
	rail_job job;
	bool cut_short;
	rail_answer answers[RAIL_ORDERS_KEPT];
	std::size_t count;
};

// A job's working memory, one for each thread.
struct rail_scratch {
	std::size_t length[MOST_ORDERED_RAILS];
	std::uint8_t rail_of[BUFFER_SIZE];         // each letter's rail
	std::int32_t place_in_rail[BUFFER_SIZE];   // and its place along it
	std::uint8_t reachable[BUFFER_SIZE + 1];
	// Where each rail may start in the cipher, and the index of each
	// place among them, or -1.
	std::int32_t starts[MOST_ORDERED_RAILS][MOST_RAIL_STARTS];
	std::size_t start_count[MOST_ORDERED_RAILS];
	std::int16_t start_index[MOST_ORDERED_RAILS][BUFFER_SIZE];
	// The letters of rails r and r + 1 that stand side by side in the
	// text: their places in their rails, the first of the two being on
	// rail r when forward.
	struct touch {
		std::int32_t upper, lower;
		bool forward;
	};
	touch touches[SCORED_LETTERS];
	std::size_t touch_start[MOST_ORDERED_RAILS + 1];
	// Each two neighbouring rails' score at each two starts.
	std::int32_t *pair_table[MOST_ORDERED_RAILS];
	std::int32_t pair_best[MOST_ORDERED_RAILS];
	std::int32_t pair_cells[MOST_ORDERED_RAILS * MOST_RAIL_STARTS * MOST_RAIL_STARTS];
	struct kept {
		std::int64_t score;
		std::int32_t order[MOST_ORDERED_RAILS];
	};
	kept orders[RAIL_ORDERS_KEPT];
	std::size_t kept_count;
	char decoded[BUFFER_SIZE];
};

struct rail_search {
	const keyed_tables *tables;
	rail_settings settings;
	crib_list cribs;
	std::span<const char> compact;
	std::uint8_t symbols[BUFFER_SIZE];
	rail_answer answers[MOST_RAIL_ANSWERS];
	std::size_t answer_count;
	std::size_t jobs_planned;
};

// The most rails searched in a text of `length` bytes by these settings:
// at least two letters to a rail.
[[nodiscard]] std::int32_t most_searched_rails(std::size_t length, const rail_settings &settings) noexcept;

// Starts a search of the compact text; `tables` must outlive it.
void begin_rail_search(rail_search &search, const keyed_tables &tables, std::span<const char> compact,
                       const rail_settings &settings) noexcept;

// Fills `jobs` (room for MOST_RAIL_JOBS) with every job, once; returns how
// many, or 0 when they have been planned.
std::size_t plan_rail_jobs(rail_search &search, std::span<rail_job> jobs) noexcept;

void run_rail_job(const rail_search &search, const rail_job &job, rail_scratch &scratch, rail_job_result &result,
                  const std::atomic<bool> *stop) noexcept;

// Takes a job's result, in the order of the plan.
void take_rail_result(rail_search &search, const rail_job_result &result) noexcept;

// Runs a begun search's jobs on one thread, in order, as untranspose-key
// --jobs 1 runs them.
void search_rails_on_one_thread(rail_search &search, rail_scratch &scratch, rail_job_result &result) noexcept;

// The best answers, best first: those holding more cribs, then the best
// believed, then fewer rails, the smaller offset, the order first in turn.
[[nodiscard]] std::span<const rail_answer> rail_answers(const rail_search &search) noexcept;

#endif
