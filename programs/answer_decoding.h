// An answer's decoding of a text, as the filter decodes its case or its
// type deciphers it.  Pure: the caller lends the buffers.
#ifndef UNTRANSPOSE_ANSWER_DECODING_H
#define UNTRANSPOSE_ANSWER_DECODING_H

#include "key_report.h"

#include <span>

// What the filter decodes with the row's number of columns, in
// scratch.natural: the text with a second key undone, if there is one, and
// its columns put back in their natural order.
void naturalise_answer(const answer_row &row, std::span<const char> compact, const report_scratch &scratch) noexcept;

// The row's decoding of `compact`, in scratch.decoded.
void decode_answer(const answer_row &row, std::span<const char> compact, const report_scratch &scratch) noexcept;

#endif
