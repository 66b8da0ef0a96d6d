// The search for the read order of a type whose decoding has no shortcut
// to score it by, such as AMSCO or Myszkowski: climbs over orders, and
// their ties for a type whose ranks tie, each order scored by its whole
// decoding's quadgrams.  Each number of columns and offset is a
// job of its own, its restarts seeded by the seed, the number, the offset
// and the restart's index, so that the caller may run the jobs on any
// thread and hand them back in the order of the plan.  Pure: no I/O; the
// caller allocates the search and the scratch once.
#ifndef UNTRANSPOSE_ORDER_FIT_H
#define UNTRANSPOSE_ORDER_FIT_H

#include "cipher_types.h"
#include "crib.h"
#include "decoder.h"
#include "keyed_tables.h"
#include "scoring.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>

inline constexpr std::size_t MOST_FITTED_COLUMNS = 24;
inline constexpr std::size_t MOST_FIT_OFFSETS = 2;
inline constexpr std::size_t MOST_FIT_JOBS = MOST_FITTED_COLUMNS * MOST_FIT_OFFSETS;
inline constexpr std::size_t FIT_KEPT = 8;   // the best orders each job keeps
inline constexpr std::size_t MOST_FIT_ANSWERS = 1000;

struct fit_settings {
	const cipher_type *type = nullptr;    // what the text was enciphered by
	std::int32_t least = 2, most = 12;   // columns
	std::uint64_t seed = 1;
	std::uint32_t effort = 1;             // more restarts of the climbs
	std::size_t answers = 2;
	const crib_list *cribs = nullptr;
};

struct fit_answer {
	std::int32_t columns;
	std::int32_t offset;
	std::uint32_t cribs;
	key_score score;
	std::int64_t belief;                  // the score less the order's prior
	std::uint32_t hits;                   // how many of its job's restarts climbed to it
	std::int32_t order[MOST_FITTED_COLUMNS];
	std::uint8_t tied[MOST_FITTED_COLUMNS];   // for a type whose ranks tie
};

struct fit_job {
	std::int32_t columns;
	std::int32_t offset;
};

struct fit_job_result {
	fit_job job;
	bool cut_short;
	fit_answer answers[FIT_KEPT];
	std::size_t count;
};

struct fit_scratch {
	char decoded[BUFFER_SIZE];
	std::uint8_t symbols[BUFFER_SIZE];
};

struct fit_search {
	const keyed_tables *tables;
	const cipher_type *type;
	fit_settings settings;
	crib_list cribs;
	std::span<const char> compact;
	fit_answer answers[MOST_FIT_ANSWERS];
	std::size_t answer_count;
	bool planned;
};

// The most columns searched in a text of `length` bytes: at least three
// letters to a column.
[[nodiscard]] std::int32_t most_fitted_columns(std::size_t length, const fit_settings &settings) noexcept;

// Starts a search of the compact text, enciphered by the settings' type;
// `tables` must outlive it.
void begin_fit_search(fit_search &search, const keyed_tables &tables, std::span<const char> compact,
                      const fit_settings &settings) noexcept;

// Fills `jobs` (room for MOST_FIT_JOBS) with every job, once; returns how
// many, or 0 when they have been planned.
std::size_t plan_fit_jobs(fit_search &search, std::span<fit_job> jobs) noexcept;

void run_fit_job(const fit_search &search, const fit_job &job, fit_scratch &scratch, fit_job_result &result,
                 const std::atomic<bool> *stop) noexcept;

// Takes a job's result, in the order of the plan.
void take_fit_result(fit_search &search, const fit_job_result &result) noexcept;

// Runs a begun search's jobs on one thread, in order.
void fit_on_one_thread(fit_search &search, fit_scratch &scratch, fit_job_result &result) noexcept;

// The best answers, best first: those holding more cribs, then the best
// believed, then fewer columns, the smaller offset, the order first in
// turn.
[[nodiscard]] std::span<const fit_answer> fit_answers(const fit_search &search) noexcept;

#endif
