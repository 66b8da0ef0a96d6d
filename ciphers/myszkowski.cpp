#include "myszkowski.h"

#include <algorithm>

namespace {

// The columns of each rank are read row by row, left to right within a
// row: each group of tied columns in the read order is visited sorted.
template <bool encipher>
void read_groups(const cipher_key &key, std::span<const char> from, std::span<char> to) noexcept
{
	const std::size_t length = std::min(from.size(), to.size());
	const std::size_t columns = key.order.size();
	if (columns == 0) {
		std::copy_n(from.begin(), length, to.begin());
		return;
	}
	std::size_t place = 0;
	for (std::size_t first = 0; first < columns;) {
		std::size_t end = first + 1;
		while (end < columns && end < key.tied.size() && key.tied[end] != 0)
			end++;
		// The group's columns from left to right, found without sorting:
		// the next is the least column above the last one taken.
		for (std::size_t row = 0; row * columns < length; row++) {
			std::int64_t last = -1;
			for (std::size_t taken = first; taken < end; taken++) {
				std::int64_t next = static_cast<std::int64_t>(columns);
				for (std::size_t j = first; j < end; j++)
					if (key.order[j] > last && key.order[j] < next)
						next = key.order[j];
				last = next;
				const std::size_t at = row * columns + static_cast<std::size_t>(next);
				if (at >= length)
					continue;
				if constexpr (encipher)
					to[place++] = from[at];
				else
					to[at] = from[place++];
			}
		}
		first = end;
	}
}

} // namespace

void encipher_myszkowski(const cipher_key &key, std::span<const char> text, std::span<char> out) noexcept
{
	read_groups<true>(key, text, out);
}

void decipher_myszkowski(const cipher_key &key, std::span<const char> cipher, std::span<char> out) noexcept
{
	read_groups<false>(key, cipher, out);
}
