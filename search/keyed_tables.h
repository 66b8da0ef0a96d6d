// The tables the keyed search scores with, made once from a language's:
// quadgram levels over 27 symbols (the letters, and one for every other
// byte), and the affinity of each pair of symbols.
#ifndef UNTRANSPOSE_KEYED_TABLES_H
#define UNTRANSPOSE_KEYED_TABLES_H

#include "language.h"

#include <cstddef>
#include <cstdint>
#include <span>

inline constexpr std::size_t SYMBOLS = 27;
inline constexpr std::uint8_t OTHER_SYMBOL = 26;
inline constexpr std::size_t SYMBOL_QUADGRAMS = SYMBOLS * SYMBOLS * SYMBOLS * SYMBOLS;

// A quadgram with a byte that is not a letter, such as a full stop, scores
// as an English quadgram of middling frequency: it says nothing either
// way about where it stands.
inline constexpr std::uint8_t OTHER_LEVEL = 40;

struct keyed_tables {
	const language_model *model;               // what they were made from
	std::uint8_t quadgrams[SYMBOL_QUADGRAMS];   // at ((a * 27 + b) * 27 + c) * 27 + d
	std::int32_t pairs[SYMBOLS * SYMBOLS];     // at a * 27 + b
	std::uint8_t most_level;                   // the highest of the quadgrams' levels
};

// Makes the tables of `model`, which must outlive them.
void build_keyed_tables(const language_model &model, keyed_tables &tables) noexcept;

// The symbols of a compact text: A to Z as 0 to 25, every other byte as
// OTHER_SYMBOL.  `symbols` must hold compact.size() of them.
void to_symbols(std::span<const char> compact, std::span<std::uint8_t> symbols) noexcept;

#endif
