// What untranspose-key writes: cases for the filter, tables for people,
// and its word on standard error when a text's answer is doubtful.
#ifndef UNTRANSPOSE_KEY_REPORT_H
#define UNTRANSPOSE_KEY_REPORT_H

#include "cipher_types.h"
#include "scoring.h"
#include "text_lines.h"

#include <cstddef>
#include <cstdint>
#include <span>

// What is said of a text's best answer: the verdict, the floor it was
// held to, in log10 per quadgram, and, when it does not look like the
// language, another language that the text's letters fit better, if any.
struct judgement {
	verdict said;
	double floor;
	const language_model *reads_as;
};

// One answer for a text: a key, with the read order of its columns if they
// are not read out from left to right, and the score of its decoding.
struct answer_row {
	std::int32_t key;
	std::span<const std::int32_t> order;
	key_score score;
	bool reached_once = false;   // by only one restart of a search's climb
	// The type, with its key's offset; null for the column transpositions
	// when no other type is in question.
	const cipher_type *type = nullptr;
	std::int64_t offset = 0;
	std::int64_t route = 0;
	std::span<const std::uint8_t> tied = {};   // where its order's ranks tie
	std::span<const std::int32_t> second = {};  // a second key's read order, applied last
};

// Scratch for decoding answers: two buffers of BUFFER_SIZE bytes.
struct report_scratch {
	char *natural;
	char *decoded;
};

// Writes the case that the filter decodes into the answer's decoding of
// the compact text: the key, then the text with its column runs in
// natural order.  An answer without an order carries `line` as it is; one
// of a type without columns, the key 1 and its decoding.
void write_case(const answer_row &row, std::span<const char> compact, std::span<const char> line,
                const report_scratch &scratch);

// Writes the answer's decoding of the compact text, as the filter prints
// it for the answer's case.
void write_decoding(const answer_row &row, std::span<const char> compact, const report_scratch &scratch);

// A table for people: the text's place, its size, the language it was
// scored as when `named`, and its verdict, then the first `shown` of
// `rows`, best first.  `rows` holds the runner-up too, if
// there is one, for the best answer's margin.
// With `cribs`, each answer shows how many of them it holds.
void write_table(const language_model &model, bool named, const line_place &place, std::span<const char> compact,
                 const judgement &judged, std::span<const answer_row> rows, std::size_t shown, const report_scratch &scratch,
                 const crib_list *cribs);

// Says on standard error that the best answer for the text at `place`
// does not look like the language, and what to try.
void warn_not_english(const language_model &model, const char *program, const line_place &place, const key_score &best,
                      const judgement &judged, const char *try_instead);

// Says on standard error that the best answer for the text at `place`
// holds only `held` of the cribs.
void warn_cribs_missing(const char *program, const line_place &place, const crib_list &cribs, std::uint32_t held);

#endif
