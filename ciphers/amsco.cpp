#include "amsco.h"

#include <algorithm>

namespace {

// The letters each column's cells take, read down the column: the cell in
// row r of column c starts at row_start(r) + the cells before it in its
// row, and holds `first` letters when r + c is even, 3 - first when odd.
template <bool encipher>
void read_columns(const cipher_key &key, std::span<const char> from, std::span<char> to) noexcept
{
	const std::size_t length = std::min(from.size(), to.size());
	const std::size_t columns = key.order.size();
	if (columns == 0) {
		std::copy_n(from.begin(), length, to.begin());
		return;
	}
	const std::size_t first = key.offset == 1 ? 2 : 1, other = 3 - first;
	// Each two rows hold 3K letters: a row of even number K cells from
	// `first`, an odd one from `other`.
	const std::size_t even_row = (columns + 1) / 2 * first + columns / 2 * other;
	const std::size_t pair = 3 * columns;
	std::size_t place = 0;
	for (const std::int32_t read : key.order) {
		const auto c = static_cast<std::size_t>(read);
		for (std::size_t r = 0;; r++) {
			const std::size_t row_start = r / 2 * pair + (r % 2) * even_row;
			if (row_start >= length)
				break;
			// The cells before column c in row r that hold `first`.
			const std::size_t firsts = r % 2 == 0 ? (c + 1) / 2 : c / 2;
			const std::size_t start = row_start + firsts * first + (c - firsts) * other;
			const std::size_t size = (r + c) % 2 == 0 ? first : other;
			for (std::size_t at = start; at < std::min(start + size, length); at++) {
				if constexpr (encipher)
					to[place++] = from[at];
				else
					to[at] = from[place++];
			}
		}
	}
}

} // namespace

std::int64_t amsco_starts(std::int64_t) noexcept
{
	return 2;
}

void encipher_amsco(const cipher_key &key, std::span<const char> text, std::span<char> out) noexcept
{
	read_columns<true>(key, text, out);
}

void decipher_amsco(const cipher_key &key, std::span<const char> cipher, std::span<char> out) noexcept
{
	read_columns<false>(key, cipher, out);
}
