// How untranspose-key answers each text it reads: with the key given, or
// by the search of the type chosen, or of every type for --cipher any;
// its answers ranked, judged and written.
#ifndef UNTRANSPOSE_KEY_ANSWERS_H
#define UNTRANSPOSE_KEY_ANSWERS_H

#include "any_ranking.h"
#include "cipher_options.h"
#include "crib.h"
#include "job_solver.h"
#include "key_report.h"
#include "keyed_solver.h"
#include "search_limits.h"
#include "sweep.h"
#include "text_lines.h"

#include <cstddef>
#include <cstdint>
#include <span>

inline constexpr const char *KEY_PROGRAM = "untranspose-key";
inline constexpr std::size_t MOST_TOP = 1000;

struct key_options {
	std::size_t top = 1;
	bool table = false;
	bool decode = false;
	bool paragraphs = false;
	std::int32_t min_key = 1;
	std::int32_t max_key = INT32_MAX;
	bool any = false;                 // every type searched
	bool keyed = false;
	bool rails = false;               // a redefence's rails and order searched
	bool fitted = false;              // an order fitted by its decodings
	bool doubled = false;             // both keys of a double transposition
	bool min_given = false, max_given = false;
	std::uint32_t jobs = 0;           // threads; 0 for one per processor
	std::uint64_t seed = 1;
	std::uint32_t effort = 1;
	const char *lang = nullptr;       // as given, if it was
	cipher_choice choice;             // the type, and its key if one was given
	cipher_key key;
	crib_list cribs;
};

// The buffers of the whole run, allocated once.
struct key_work {
	const key_options &opts;
	std::span<const language_model *const> models;   // one, or every one for auto
	keyed_solver *solver;
	job_solver<rail_search> *rails;
	job_solver<fit_search> *fits;
	job_solver<double_search> *doubles;
	char *line;
	char *compact;
	report_scratch scratch;
	key_score *best;
	key_score *trial;
	answer_row *rows;
	sweep_answer *swept;
	any_answer *pool;                 // for --cipher any: each type's best
};

// The line handlers, one for each way of answering; `context` is the
// key_work.
void answer_given(void *context, const text_line &text);
void answer_plain(void *context, const text_line &text);
void answer_keyed(void *context, const text_line &text);
void answer_rails(void *context, const text_line &text);
void answer_fitted(void *context, const text_line &text);
void answer_swept(void *context, const text_line &text);
void answer_doubled(void *context, const text_line &text);
void answer_any(void *context, const text_line &text);

#endif
