// Scoring a decoding against a language: its quadgrams, the words at its
// ends and the cribs it holds, and the verdict on the best of a text's
// decodings.  Pure: no I/O, no allocation.
#ifndef UNTRANSPOSE_SCORING_H
#define UNTRANSPOSE_SCORING_H

#include <cstddef>
#include <cstdint>
#include <span>

#include "crib.h"
#include "decoder.h"
#include "language.h"

struct key_score {
	std::int32_t key;
	std::int64_t total;      // sum of the quadgrams' levels and the edges'
	std::size_t quadgrams;   // how many were scored
	std::int64_t words;      // and how well the ends split into words, in levels
	std::uint32_t cribs;     // how many of the cribs the decoding holds
};

// What decodings of one text are ranked by: their quadgrams, edges and
// words.
[[nodiscard]] constexpr std::int64_t ranked(const key_score &score) noexcept
{
	return score.total + score.words;
}

// log10 of the mean probability of the quadgrams a score covers, the
// edges' odds spread over them, so that scores of texts of different
// lengths compare; 0 for no quadgram.
[[nodiscard]] double log10_per_quadgram(const language_model &model, const key_score &score) noexcept;

// Whether `score`, in `model`'s terms, is higher than `best` in `kept`'s:
// how texts are given the language whose statistics fit them best.  Any
// score is higher than none, when `kept` is null, and one that holds more
// cribs higher than one that holds fewer.
[[nodiscard]] bool scores_higher(const language_model &model, const key_score &score, const language_model *kept,
                                 const key_score &best) noexcept;

// Whether a text's best decoding looks like the model's language.  Solved
// texts score above the model's verdict_floor in log10 per quadgram and
// the best decodings of texts that are not plain column transpositions in
// that language score below it; a text of fewer than JUDGED_LETTERS
// letters is too short to tell.  bench/key_accuracy --verdict measures
// both, in each language with --lang.
inline constexpr std::size_t JUDGED_LETTERS = 40;

enum class verdict { too_short, english, not_english };

[[nodiscard]] verdict judge(const language_model &model, const key_score &score) noexcept;

// The same for an answer whose `columns` columns were read out in an order
// found by a search: it is one of K! orders, and the search fits one of
// them to the text, so that wrong answers of many columns over few rows
// score well.  It must score at the verdict floor, and above a floor that
// rises with log10 K! per quadgram: the language's keyed floor plus its
// keyed slope times that, or, when only one restart of the search reached
// it, its once floor: a wrong answer is seldom reached twice.
// bench/key_accuracy --keyed-verdict measures them.  An answer of two
// orders, the second of `second_columns`, is one of K! times K2! keys.
[[nodiscard]] verdict judge_order(const language_model &model, const key_score &score, std::size_t columns,
                                  bool reached_once, std::size_t second_columns = 0) noexcept;

// The floor that judge_order holds such an answer to, in log10 per
// quadgram.
[[nodiscard]] double order_floor(const language_model &model, const key_score &score, std::size_t columns,
                                 bool reached_once, std::size_t second_columns = 0) noexcept;

// Of `models`, the one whose letters' shares fit the letters of `text`
// best, a transposition keeping its letters whatever its key: which
// language a text is in, before it is decoded.  Null for no letters.
[[nodiscard]] const language_model *letters_fit_best(std::span<const language_model *const> models,
                                                    std::span<const char> text) noexcept;

// Whether a score is at the verdict floor or above, however few its letters.
[[nodiscard]] bool above_verdict_floor(const language_model &model, const key_score &score) noexcept;

// Whether a score is at the model's clear floor or above: few solved texts
// score less, and a search may stop at such an answer.
[[nodiscard]] bool clearly_solved(const language_model &model, const key_score &score) noexcept;

// log10 K! in the quadgram table's levels, for K up to MOST_PRIOR_COLUMNS:
// a keyed order is one of K! orders of K columns, and its decoding must
// score that much better than one read from left to right to be believed.
[[nodiscard]] std::int64_t order_prior(const language_model &model, std::size_t columns) noexcept;

// Scores a text's ends alone: how likely its first trigram is to open a
// word and its last to close one, in the total, and how well its first and
// last letters split into words.  `first` holds its first WORD_WINDOW
// letters (0 to 25) or all of them if fewer, and `last_reversed` as many of
// its last, the last one first, or none when its end is not scored.
[[nodiscard]] key_score score_ends(const language_model &model, std::span<const std::uint8_t> first,
                                   std::span<const std::uint8_t> last_reversed) noexcept;

// The edges' part of score_ends, and the most it may be.
[[nodiscard]] std::int64_t edge_levels(const language_model &model, std::span<const std::uint8_t> first,
                                       std::span<const std::uint8_t> last_reversed) noexcept;
[[nodiscard]] std::int64_t most_edge_levels(const language_model &model) noexcept;

// No text's ends score more than this, in levels.
[[nodiscard]] std::int64_t most_ends_score(const language_model &model) noexcept;

// Scores one decoded text: the quadgrams of its first `letters` letters,
// and how likely its first trigram is to open a word and, when every
// letter is scored, its last to close one, and how well its first and last
// letters split into words, when every letter is scored; every other byte
// is passed over.
[[nodiscard]] key_score score_text(const language_model &model, std::span<const char> decoded, std::int32_t key,
                                   std::size_t letters = BUFFER_SIZE) noexcept;

#endif
