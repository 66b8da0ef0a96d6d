// The search for both keys of a double columnar transposition, divided
// into two.  The second key alone is found first, by a score that needs no
// plain text: with the right second key undone, the text left is a keyed
// column transposition, whose runs pair off, row by row, into the
// language's bigrams, so each run is scored by the run that follows it
// best.  The first key is then found in that text by the keyed search's
// climbs.  Each pair of widths is a job of its own, its restarts seeded by
// the seed, the widths and the restart's index, so that the caller may run
// the jobs on any thread and hand them back in the order of the plan.
// Pure: no I/O; the caller allocates the search and the scratch once.
#ifndef UNTRANSPOSE_DOUBLE_SEARCH_H
#define UNTRANSPOSE_DOUBLE_SEARCH_H

#include "crib.h"
#include "decoder.h"
#include "keyed_tables.h"
#include "order_climb.h"
#include "scoring.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>

// The most columns of either key the search takes.
inline constexpr std::size_t MOST_DOUBLE_SEARCH_COLUMNS = 30;
// The most jobs planned at once: the pairs of widths whose wider is one
// number, and a few of the number before it.
inline constexpr std::size_t MOST_DOUBLE_JOBS = 2 * MOST_DOUBLE_SEARCH_COLUMNS + 4;
// The second keys each job takes on to a search for the first: several
// may fit alike, the text they leave differing only in the order of whole
// rows of the first key's grid, which the pairs of runs do not see.
inline constexpr std::size_t DOUBLE_KEPT = 6;
inline constexpr std::size_t MOST_DOUBLE_ANSWERS = 1000;

struct double_settings {
	std::int32_t least = 5, most = 20;   // columns of either key
	std::uint64_t seed = 1;
	std::uint32_t effort = 1;
	std::uint32_t most_climbs = 0;         // and, if not 0, no more climbs of each second key than this
	std::size_t answers = 2;
	const crib_list *cribs = nullptr;
};

struct double_answer {
	std::int32_t columns;                 // of the first key
	std::int32_t second_columns;
	std::uint32_t cribs;
	key_score score;
	std::int64_t belief;                  // the score less both orders' priors
	std::uint32_t hits;                   // how many of its job's climbs reached its second key
	bool turns_tried;                     // whether the turns of its second key have been tried
	std::int32_t order[MOST_DOUBLE_SEARCH_COLUMNS];
	std::int32_t second[MOST_DOUBLE_SEARCH_COLUMNS];
};

struct double_job {
	std::int32_t columns;                 // of the first key
	std::int32_t second_columns;
};

struct double_job_result {
	double_job job;
	bool cut_short;
	double_answer answers[DOUBLE_KEPT];
	std::size_t count;
};

struct double_scratch {
	std::uint8_t middle[BUFFER_SIZE];     // the text with a second key undone, as symbols
	char middle_text[BUFFER_SIZE];
	char natural[BUFFER_SIZE];
	char decoded[BUFFER_SIZE];
	std::uint8_t plain[BUFFER_SIZE];      // a decoding, as symbols
	std::int32_t beside[MOST_DOUBLE_SEARCH_COLUMNS * MOST_DOUBLE_SEARCH_COLUMNS];
	std::int32_t wrapped[MOST_DOUBLE_SEARCH_COLUMNS * MOST_DOUBLE_SEARCH_COLUMNS];
	order_scratch climb;
};

struct double_search {
	const keyed_tables *tables;
	double_settings settings;
	crib_list cribs;
	std::span<const char> compact;
	std::uint8_t symbols[BUFFER_SIZE];
	double_answer answers[MOST_DOUBLE_ANSWERS];
	std::size_t answer_count;
	std::int32_t least, most;             // the widths searched
	std::int32_t next_wider;              // the wider width of the next jobs planned
	bool done;
	double_scratch turning;               // for the turns of the best answer's second key
};

// The most columns of either key searched in a text of `length` bytes: at
// least four letters to a column.
[[nodiscard]] std::int32_t most_double_columns(std::size_t length, const double_settings &settings) noexcept;

void begin_double_search(double_search &search, const keyed_tables &tables, std::span<const char> compact,
                         const double_settings &settings) noexcept;

// Fills `jobs` (room for MOST_DOUBLE_JOBS) with the next pairs of widths,
// the narrower first; returns how many, or 0 when the search is done: at
// the last width, or once an answer is clearly in the language.  The best
// answer's second key is first tried in each of its turns.
std::size_t plan_double_jobs(double_search &search, std::span<double_job> jobs) noexcept;

void run_double_job(const double_search &search, const double_job &job, double_scratch &scratch,
                    double_job_result &result, const std::atomic<bool> *stop) noexcept;

// Takes a job's result, in the order of the plan.
void take_double_result(double_search &search, const double_job_result &result) noexcept;

void double_on_one_thread(double_search &search, double_scratch &scratch, double_job_result &result) noexcept;

// The best answers, best first: those holding more cribs, then the best
// believed, then fewer columns, then the orders.
[[nodiscard]] std::span<const double_answer> double_answers(const double_search &search) noexcept;

#endif
