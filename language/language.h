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
// The most nodes of a language's tries of words: each prefix of a word
// kept is a node, and the root another.
inline constexpr std::size_t MOST_WORD_NODES = 1 << 16;
inline constexpr std::int16_t NO_WORD = INT16_MIN;
inline constexpr std::size_t FIRST_PAIR_NODE = 27;

// A node of a trie of words, one letter deeper than its parent.  Its
// children are linked from the first by their siblings; 0 ends a list,
// since the root is no one's child.  The root's children are the nodes 1
// to 26, one for each letter, and theirs the next 676, one for each pair
// of letters, so that a walk reaches its third letter without a search.
struct word_node {
	std::uint16_t first_child;
	std::uint16_t next_sibling;
	std::uint8_t letter;        // 0 to 25
	std::int16_t word;          // log10 of the word's share, in thousandths, or NO_WORD
	std::int16_t below;         // log10 of the share of the words that go through it
};

struct word_trie {
	word_node nodes[MOST_WORD_NODES];
	std::size_t count;
};

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
	double keyed_floor;                 // what a keyed answer must score, at
	double once_floor;                  // least, or if one restart reached it,
	double keyed_slope;                 // and more by this times log10 K! per
	std::int64_t keyed_level;           // quadgram; the floors in hundredths
	std::int64_t once_level;            // of a level, the slope in hundredths
	std::int64_t keyed_slope_hundredths;
	std::uint8_t quadgrams[QUADGRAMS];  // levels 0 to 63, the higher the likelier
	std::int8_t opening[TRIGRAMS];      // how much likelier a trigram is to open
	std::int8_t closing[TRIGRAMS];      // or close a word, in levels
	std::int16_t affinity[26 * 26];     // log10 of a bigram's odds, in hundredths
	std::int32_t order_prior[MOST_PRIOR_COLUMNS + 1];  // log10 K!, in levels
	std::int16_t letter_log10[26];      // each letter's share, in thousandths
	word_trie words;                    // the commonest words, letters in order
	word_trie reversed_words;           // and the same words read backwards
	std::int8_t most_opening;           // the highest of opening and closing
	std::int8_t most_closing;
	std::int32_t most_word_gain;        // what a word gains at most per letter
};

// The codes of the languages compiled in, "en" first.
[[nodiscard]] std::span<const std::string_view> language_codes() noexcept;

// The language `code`, or null if no such language is compiled in, or if
// the memory to unpack it could not be had.  Any number of threads may ask
// at once.
[[nodiscard]] const language_model *language_named(std::string_view code) noexcept;

// Whether the language `code` is compiled in, and its name, or null, both
// without unpacking it.
[[nodiscard]] bool language_known(std::string_view code) noexcept;
[[nodiscard]] const char *language_name(std::string_view code) noexcept;

#endif
