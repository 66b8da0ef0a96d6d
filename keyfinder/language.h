// The letter statistics of a language, which decodings are scored against.
// They are compiled in, packed, and each language is unpacked into its
// language_model the first time it is asked for; the model then stands,
// unchanged, until the program ends.
#ifndef UNTRANSPOSE_LANGUAGE_H
#define UNTRANSPOSE_LANGUAGE_H

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

inline constexpr std::size_t TRIGRAMS = 26 * 26 * 26;
inline constexpr std::size_t QUADGRAMS = TRIGRAMS * 26;
inline constexpr std::size_t MOST_PRIOR_COLUMNS = 100;
// The most languages compiled in, for callers that hold one of each.
inline constexpr std::size_t MOST_LANGUAGES = 8;

struct language_model {
	const char *code;                   // "en"
	const char *name;                   // "English"
	double floor;                       // log10 of level 0
	double step;                        // and of each level above it
	std::int64_t floor_millionths;      // the same in millionths, exactly, so
	std::int64_t step_millionths;       // that languages compare on every platform
	double verdict_floor;               // log10 per quadgram that solved texts
	double clear_floor;                 // pass, and that few fall short of
	std::int64_t verdict_level;         // the same floors in hundredths of a
	std::int64_t clear_level;           // level, which scores are compared with
	std::uint8_t quadgrams[QUADGRAMS];  // levels 0 to 63, the higher the likelier
	std::int8_t opening[TRIGRAMS];      // how much likelier a trigram is to open
	std::int8_t closing[TRIGRAMS];      // or close a word, in levels
	std::int16_t affinity[26 * 26];     // log10 of a bigram's odds, in hundredths
	std::int32_t order_prior[MOST_PRIOR_COLUMNS + 1];  // log10 K!, in levels
};

// The codes of the languages compiled in, "en" first.
[[nodiscard]] std::span<const std::string_view> language_codes() noexcept;

// The language `code`, or null if no such language is compiled in.  Any
// number of threads may ask at once.
[[nodiscard]] const language_model *language_named(std::string_view code) noexcept;

#endif
