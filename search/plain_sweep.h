// Finding the key of a text enciphered by a plain column transposition:
// every key is tried, and each decoding scored against a language's
// statistics.  Pure: no I/O, no allocation; the caller lends the buffers
// and the unpacked statistics.
#ifndef UNTRANSPOSE_PLAIN_SWEEP_H
#define UNTRANSPOSE_PLAIN_SWEEP_H

#include <cstddef>
#include <cstdint>
#include <span>

#include "decoder.h"
#include "scoring.h"

// Every key is judged on all the letters of its decoding while that costs
// at most FULL_BUDGET letters in all.  Beyond, the search is in two
// rounds: every key is first judged on the first PREFIX_LETTERS letters
// of its decoding, which costs little however long the text, and the
// SHORTLIST best of them, or as many as are asked for if more, are then
// judged on all their letters.  On long texts a wrong key rarely looks
// English for long.
inline constexpr std::size_t FULL_BUDGET = std::size_t{1} << 23;
inline constexpr std::size_t PREFIX_LETTERS = 256;
inline constexpr std::size_t SHORTLIST = 64;
inline constexpr std::size_t MOST_BEST = 1024;

// Tries every key from min_key to max_key on the compact text (normalised,
// as normalize_text leaves it) of `length` bytes.  Keys of `length` or more
// leave the text as the key 1 does and are not tried, nor is anything
// when the text has fewer than 3 bytes: then the only candidate is the
// key 1, or min_key if it is larger.  The best keys, best first, fill `best`
// (at most MOST_BEST of them): those whose decodings hold more of `cribs`,
// if any, first, then the higher scoring, a tie going to the smaller key;
// returns how many it holds.  `decoded` is scratch of at least `length`
// bytes.
std::size_t find_keys(const language_model &model, std::span<const char> compact, std::size_t length,
                      std::int32_t min_key, std::int32_t max_key,
                      std::span<key_score> best, std::span<char> decoded, const crib_list *cribs = nullptr) noexcept;

struct language_keys {
	const language_model *model;   // the language kept
	std::size_t found;             // and how many keys it holds
};

// The scratch that find_keys_in_languages needs, in scores, to find
// `wanted` keys in each of `languages` languages.
[[nodiscard]] constexpr std::size_t language_scratch(std::size_t languages, std::size_t wanted) noexcept
{
	return languages * (wanted + (wanted > SHORTLIST ? wanted : SHORTLIST));
}

// find_keys in each of `models`, keeping the best keys of the language
// whose best key scores highest in its own terms.  Each key's decoding is
// made once and scored in every language.  `trial` is scratch of
// language_scratch(models.size(), best.size()) scores.
language_keys find_keys_in_languages(std::span<const language_model *const> models, std::span<const char> compact,
                                     std::size_t length, std::int32_t min_key, std::int32_t max_key,
                                     std::span<key_score> best, std::span<key_score> trial,
                                     std::span<char> decoded, const crib_list *cribs = nullptr) noexcept;

#endif
