#include "keyed_tables.h"

#include <algorithm>

void build_keyed_tables(const language_model &model, keyed_tables &tables) noexcept
{
	tables.model = &model;
	tables.most_level = OTHER_LEVEL;
	std::size_t index = 0;
	for (std::size_t a = 0; a < SYMBOLS; a++)
		for (std::size_t b = 0; b < SYMBOLS; b++)
			for (std::size_t c = 0; c < SYMBOLS; c++)
				for (std::size_t d = 0; d < SYMBOLS; d++, index++) {
					const bool letters = a < 26 && b < 26 && c < 26 && d < 26;
					tables.quadgrams[index] =
					    letters ? model.quadgrams[((a * 26 + b) * 26 + c) * 26 + d] : OTHER_LEVEL;
					tables.most_level = std::max(tables.most_level, tables.quadgrams[index]);
				}
	for (std::size_t a = 0; a < SYMBOLS; a++)
		for (std::size_t b = 0; b < SYMBOLS; b++)
			tables.pairs[a * SYMBOLS + b] = a < 26 && b < 26 ? model.affinity[a * 26 + b] : 0;
}

void to_symbols(std::span<const char> compact, std::span<std::uint8_t> symbols) noexcept
{
	for (std::size_t i = 0; i < compact.size() && i < symbols.size(); i++) {
		const auto letter = static_cast<unsigned char>(compact[i] - 'A');
		symbols[i] = letter < 26 ? letter : OTHER_SYMBOL;
	}
}
