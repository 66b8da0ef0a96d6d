// The search for the number of columns and the order of a keyed
// transposition, as a plan of rounds.  Each round is a list of jobs, one
// restart of the climb for each number of columns still in question; the
// caller runs them, on as many threads as it likes, and hands the results
// back in the order of the list.  Each restart draws its randomness from
// the seed and its own place in the plan, and every choice is made from
// the results in that order, so the answer is the same however the jobs
// were run.  Pure: no I/O; the caller allocates the search once.
#ifndef UNTRANSPOSE_KEYED_SEARCH_H
#define UNTRANSPOSE_KEYED_SEARCH_H

#include "column_pairs.h"
#include "crib.h"
#include "every_order.h"
#include "keyed_columns.h"
#include "keyed_tables.h"
#include "scoring.h"
#include "order_climb.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>

inline constexpr std::size_t MOST_ANSWERS = 1000;
// The parts of the trees of every order, one for each first column placed.
inline constexpr std::size_t EVERY_ORDER_PARTS =
    MOST_EVERY_ORDER_COLUMNS * (MOST_EVERY_ORDER_COLUMNS + 1) / 2 - 1;
// The most jobs in a round: one for each number of columns, two more for
// the one in the lead, and the parts of every order of the fewest columns.
inline constexpr std::size_t MOST_ROUND_JOBS = MOST_KEYED_COLUMNS + 2 + EVERY_ORDER_PARTS;
inline constexpr std::size_t PAIR_CELLS = 2 * MOST_KEYED_COLUMNS * (MOST_KEYED_COLUMNS + 1) * (2 * MOST_KEYED_COLUMNS + 1) / 6;

// How many rounds --lang auto looks at each language for, before it
// searches the one that reads best in full.
inline constexpr std::uint32_t SURVEY_ROUNDS = 2;

struct keyed_settings {
	std::int32_t min_columns = 2;
	std::int32_t max_columns = 40;
	std::int32_t min_rows = 3;      // no fewer rows than this, whatever max_columns says
	std::uint64_t seed = 1;
	std::uint32_t effort = 1;       // each unit of effort allows as many rounds again
	std::uint32_t most_rounds = 0;  // and, if not 0, no more rounds than this
	std::size_t answers = 1;        // how many of the best answers to keep
	const crib_list *cribs = nullptr;   // words the answers should hold, if any
	std::uint64_t every_order_budget = EVERY_ORDER_BUDGET;   // see tries_every_order
	// Whether the order rearranges each row of the grid, a block
	// permutation, rather than the order its columns are read out in.
	bool rows = false;
};

// An order found for the text: its read order, the score of its whole
// decoding as the key finder scores a decoding, and how far the answer is
// believed: the score less the order's prior, nothing for columns read
// from left to right and log10 K! for a keyed order.
struct keyed_answer {
	std::int32_t columns;
	std::uint32_t cribs;        // how many of the cribs its decoding holds
	key_score score;
	std::int64_t belief;
	std::int32_t order[MOST_KEYED_COLUMNS];
};

// A restart of the climb, or, for few columns, a part of the tree of
// every order.
struct search_job {
	std::int32_t columns;
	std::uint32_t restart;
	std::int32_t part;          // the first column placed in the tree, or -1 for a climb
};

struct job_result {
	search_job job;
	bool cut_short;             // stopped before it was done: not to be counted
	std::int64_t score;         // the climb's own score
	std::int32_t slots[MOST_KEYED_COLUMNS];
	kept_orders every;          // or the best orders of a part of the tree
};

// What one number of columns has found.
struct column_search {
	// The cipher as the columns of a grid of this shape, read out in the
	// order searched for: the text itself, or for a block permutation its
	// whole blocks read column by column.
	std::span<const std::uint8_t> symbols;
	grid_shape shape;
	std::int32_t *beside, *wrapped;
	keyed_answer best;          // the best answer so far
	std::uint32_t hits;         // restarts that ended at it
	std::uint32_t restarts;     // taken
	std::uint32_t planned;      // planned
	bool from_first_round;      // the order left to right, or one of its turns
	bool every_order;           // every order is tried, not climbed to
	std::uint32_t parts_left;   // of the tree of every order, not yet taken
};

struct keyed_search {
	const keyed_tables *tables;
	keyed_settings settings;
	crib_list cribs;
	std::int64_t most_ends;     // the most a decoding's ends may score
	std::span<const char> compact;
	std::uint8_t symbols[BUFFER_SIZE];
	// A block permutation's whole blocks, read column by column, for each
	// number of columns.
	std::uint8_t blocks[MOST_KEYED_COLUMNS * BUFFER_SIZE];
	std::int32_t least, most;   // the numbers of columns searched
	column_search columns[MOST_KEYED_COLUMNS + 1];
	std::int32_t pairs[PAIR_CELLS];
	keyed_answer answers[MOST_ANSWERS];
	std::size_t answer_count;
	std::uint32_t round;        // the last round planned
	std::uint32_t last_round;
	bool done;
	order_scratch scratch;
	char natural[BUFFER_SIZE];
	char decoded[BUFFER_SIZE];
};

// The most columns searched in a text of `length` bytes: no more than
// the settings allow, nor than leave min_rows rows, nor MOST_KEYED_COLUMNS.
[[nodiscard]] std::int32_t most_keyed_columns(std::size_t length, const keyed_settings &settings) noexcept;

// Starts a search of `compact`, the normalised cipher text; `tables` must
// outlive it.  The first round is done here: every number of columns
// with its columns read out from left to right, and turned round.  Every
// order found is turned round to the turn whose whole decoding is best
// believed, which is what tells the text's true first letters.
void begin_search(keyed_search &search, const keyed_tables &tables, std::span<const char> compact,
                  const keyed_settings &settings) noexcept;

// Fills `jobs` (room for MOST_ROUND_JOBS) with the next round; returns how
// many, or 0 when the search is done.  Each number of columns has a
// restart in it, the one in the lead three, first, so that it may be
// settled at once.
std::size_t plan_round(keyed_search &search, std::span<search_job> jobs) noexcept;

// Runs one job: a restart of the climb from its own random order.  Many
// may run at once, each with its own scratch; `stop`, when set, cuts them
// short.
void run_job(const keyed_search &search, const search_job &job, order_scratch &scratch, job_result &result,
             const std::atomic<bool> *stop) noexcept;

// Takes a job's result, in the order of its round; returns true when the
// search is done and the rest of the round is not wanted.
bool take_result(keyed_search &search, const job_result &result) noexcept;

// Runs a begun search to its end on one thread, each round's jobs in
// order, as untranspose-key --jobs 1 runs them.
void search_on_one_thread(keyed_search &search, order_scratch &scratch, job_result &result) noexcept;

// The best answers found, best first.
[[nodiscard]] std::span<const keyed_answer> search_answers(const keyed_search &search) noexcept;

// How many restarts of the climb ended at `answer`, when it is the best of
// its number of columns; 0 when it is the best of every order of them,
// which no restart needs to confirm.
[[nodiscard]] std::uint32_t restarts_at(const keyed_search &search, const keyed_answer &answer) noexcept;

#endif
