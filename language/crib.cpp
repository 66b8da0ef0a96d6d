#include "crib.h"

crib_added add_crib(crib_list &cribs, std::string_view word) noexcept
{
	if (cribs.count == MOST_CRIBS)
		return crib_added::too_many;
	std::size_t length = 0;
	for (const char c : word) {
		const int letter = (c | 0x20) - 'a';
		if (letter < 0 || letter >= 26)
			continue;
		if (length == MOST_CRIB_LETTERS)
			return crib_added::too_long;
		cribs.letters[cribs.count][length++] = static_cast<std::uint8_t>(letter);
	}
	if (length == 0)
		return crib_added::no_letters;
	cribs.length[cribs.count++] = length;
	return crib_added::added;
}

namespace {

// How many of the cribs the `size` symbols that `symbol(i)` gives hold.
template <typename Symbol>
std::uint32_t held_by(const crib_list &cribs, std::size_t size, Symbol symbol) noexcept
{
	std::uint32_t held = 0;
	for (std::size_t c = 0; c < cribs.count; c++) {
		const std::uint8_t *crib = cribs.letters[c];
		const std::size_t length = cribs.length[c];
		for (std::size_t at = 0; at < size; at++) {
			if (symbol(at) != crib[0])
				continue;
			std::size_t matched = 1;
			for (std::size_t next = at + 1; next < size && matched < length; next++) {
				const std::uint8_t s = symbol(next);
				if (s >= 26)
					continue;
				if (s != crib[matched])
					break;
				matched++;
			}
			if (matched == length) {
				held++;
				break;
			}
		}
	}
	return held;
}

} // namespace

std::uint32_t cribs_held(const crib_list &cribs, std::span<const std::uint8_t> symbols) noexcept
{
	return held_by(cribs, symbols.size(), [symbols](std::size_t i) { return symbols[i]; });
}

std::uint32_t cribs_held_in_text(const crib_list &cribs, std::span<const char> text) noexcept
{
	return held_by(cribs, text.size(), [text](std::size_t i) {
		const auto letter = static_cast<unsigned char>(text[i] - 'A');
		return static_cast<std::uint8_t>(letter < 26 ? letter : 26);
	});
}
