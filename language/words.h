// Whole words at a text's ends.  A message begins at the start of a word
// and ends at the end of one, which quadgrams cannot see: a decoding turned
// round by a letter or two scores as well as the message by its quadgrams,
// but its first and last letters no longer split into words.
#ifndef UNTRANSPOSE_WORDS_H
#define UNTRANSPOSE_WORDS_H

#include "language.h"

#include <cstddef>
#include <cstdint>
#include <span>

// How many letters at each end are split into words.
inline constexpr std::size_t WORD_WINDOW = 20;

// log10, in thousandths, of how much likelier the letters (0 to 25) are
// as the opening of a text of whole words, its last word perhaps cut short
// by the window, than as letters drawn one at a time: the best split of
// the first WORD_WINDOW of them into words of the language's list, a word
// not in the list costing its letters and a fixed sum.
[[nodiscard]] std::int32_t opening_words(const language_model &model, std::span<const std::uint8_t> letters) noexcept;

// The same for the close of a text, its first word perhaps cut short:
// `reversed` holds the text's last letters, the last one first.
[[nodiscard]] std::int32_t closing_words(const language_model &model, std::span<const std::uint8_t> reversed) noexcept;

// The most that any letter adds to either, in thousandths, rounded up:
// no split of n letters gains more than n times it.  Found once, when the
// language is unpacked, and kept as model.most_word_gain.
[[nodiscard]] std::int32_t word_gain_bound(const language_model &model) noexcept;

// The two in the quadgram table's levels, weighed against the quadgrams.
[[nodiscard]] std::int64_t word_levels(const language_model &model, std::int32_t thousandths) noexcept;

#endif
