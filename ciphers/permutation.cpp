#include "permutation.h"

#include <algorithm>

namespace {

// The text's byte at `at` is the cipher's byte at `place`: each block's
// cells are visited in the read order, those past the text's end skipped.
template <bool encipher>
void permute_blocks(const cipher_key &key, std::span<const char> from, std::span<char> to) noexcept
{
	const std::size_t length = std::min(from.size(), to.size());
	const std::size_t width = key.order.size();
	if (width == 0) {
		std::copy_n(from.begin(), length, to.begin());
		return;
	}
	std::size_t place = 0;
	for (std::size_t block = 0; block < length; block += width)
		for (const std::int32_t column : key.order) {
			const std::size_t at = block + static_cast<std::size_t>(column);
			if (at >= length)
				continue;
			if constexpr (encipher)
				to[place++] = from[at];
			else
				to[at] = from[place++];
		}
}

} // namespace

std::size_t fewest_columns(std::span<const std::int32_t> order) noexcept
{
	const std::size_t width = order.size();
	for (std::size_t part = 1; part < width; part++) {
		if (width % part != 0)
			continue;
		bool repeats = true;
		for (std::size_t j = part; j < width && repeats; j++)
			repeats = order[j] == order[j - part] + static_cast<std::int32_t>(part);
		if (repeats)
			return part;
	}
	return width;
}

void encipher_permutation(const cipher_key &key, std::span<const char> text, std::span<char> out) noexcept
{
	permute_blocks<true>(key, text, out);
}

void decipher_permutation(const cipher_key &key, std::span<const char> cipher, std::span<char> out) noexcept
{
	permute_blocks<false>(key, cipher, out);
}
