// Each type's search for one text, its answers left in the work's rows,
// and what is said and written of them.
#ifndef UNTRANSPOSE_FOUND_ANSWERS_H
#define UNTRANSPOSE_FOUND_ANSWERS_H

#include "answer_judgement.h"
#include "key_answers.h"

#include <cstddef>
#include <span>

// The answers a search left in the work's rows, best first, and the
// language they were scored in; none when nothing was tried.
struct found_answers {
	const language_model *model = nullptr;
	std::size_t count = 0;
};

// Normalises a text line into w.compact, keeping the line as it was read;
// returns the compact text.
[[nodiscard]] std::span<const char> compact_text(const key_work &w, const text_line &text);

[[nodiscard]] const crib_list *cribs_of(const key_work &w);

// Each search of a type's keys.  With --cipher any they are quiet: what
// one type could not try is no news when others are tried.
[[nodiscard]] found_answers find_plain(const key_work &w, const text_line &text, std::span<const char> compact);
[[nodiscard]] found_answers find_keyed(const key_work &w, const cipher_type &type, const text_line &text,
                                       std::span<const char> compact);
[[nodiscard]] found_answers find_rails(const key_work &w, const cipher_type &type, const text_line &text,
                                       std::span<const char> compact);
[[nodiscard]] found_answers find_fitted(const key_work &w, const cipher_type &type, const text_line &text,
                                        std::span<const char> compact);
[[nodiscard]] found_answers find_doubled(const key_work &w, const cipher_type &type, const text_line &text,
                                        std::span<const char> compact);
[[nodiscard]] found_answers find_swept(const key_work &w, const cipher_type &type, const text_line &text,
                                       std::span<const char> compact);

// Judges the best of `rows`, says on standard error what is doubtful, and
// writes the first `shown` as cases, decodings or a table.
void give_answers(const key_work &w, const language_model &model, const text_line &text, std::span<const char> compact,
                  std::span<const answer_row> rows, std::size_t shown, const char *try_instead);

#endif
