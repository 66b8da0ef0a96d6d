#include "double_columnar.h"

#include <algorithm>

namespace {

// A keyed grid over a text of some length: where each column's bytes
// start in its cipher.
struct grid {
	std::size_t width = 0;
	std::size_t start[MOST_DOUBLE_COLUMNS] = {};
};

grid lay(std::span<const std::int32_t> order, std::size_t length) noexcept
{
	grid g;
	g.width = std::min(order.size(), static_cast<std::size_t>(MOST_DOUBLE_COLUMNS));
	if (g.width == 0)
		return g;
	std::size_t at = 0;
	for (std::size_t j = 0; j < g.width; j++) {
		const auto column = static_cast<std::size_t>(order[j]);
		g.start[column] = at;
		at += length / g.width + (column < length % g.width ? 1 : 0);
	}
	return g;
}

// Where the byte at `i` of a grid's text stands in its cipher.
std::size_t place(const grid &g, std::size_t i) noexcept
{
	return g.width == 0 ? i : g.start[i % g.width] + i / g.width;
}

} // namespace

void encipher_double(const cipher_key &key, std::span<const char> text, std::span<char> out) noexcept
{
	const std::size_t length = std::min(text.size(), out.size());
	const grid first = lay(key.order, length), second = lay(key.second, length);
	for (std::size_t i = 0; i < length; i++)
		out[place(second, place(first, i))] = text[i];
}

void decipher_double(const cipher_key &key, std::span<const char> cipher, std::span<char> out) noexcept
{
	const std::size_t length = std::min(cipher.size(), out.size());
	const grid first = lay(key.order, length), second = lay(key.second, length);
	for (std::size_t i = 0; i < length; i++)
		out[i] = cipher[place(second, place(first, i))];
}
