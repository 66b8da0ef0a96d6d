#include "railfence.h"

#include <algorithm>

namespace {

// Walks the zigzag rail by rail, in the order the rails are read out (the
// rail read j-th is order[j], or the j-th from the top when there is no
// order), each from left to right: the text's byte at `at` is the
// cipher's byte at `place`.  Each rail is visited once in every cycle of
// 2N - 2 places, on its way down and, but for the top and bottom rails,
// up again.
template <bool encipher>
void transpose_rails(const cipher_key &key, std::span<const char> from, std::span<char> to) noexcept
{
	const std::size_t length = std::min(from.size(), to.size());
	const std::int64_t number = std::clamp<std::int64_t>(key_number(key), 1, MOST_RAILS);
	if (number == 1 || length == 0) {
		std::copy_n(from.begin(), length, to.begin());
		return;
	}
	const auto rails = static_cast<std::size_t>(number);
	const auto offset = static_cast<std::size_t>(std::clamp<std::int64_t>(key.offset, 0, rail_offsets(number) - 1));
	const std::size_t cycle = 2 * rails - 2;
	std::size_t place = 0;
	const auto visit = [&](std::size_t k) {
		if (k < offset || k >= offset + length)
			return;
		if constexpr (encipher)
			to[place++] = from[k - offset];
		else
			to[k - offset] = from[place++];
	};
	for (std::size_t j = 0; j < rails; j++) {
		const std::size_t rail = key.order.empty() ? j : static_cast<std::size_t>(key.order[j]);
		for (std::size_t start = 0; start < offset + length; start += cycle) {
			visit(start + rail);
			if (rail != 0 && rail != rails - 1)
				visit(start + cycle - rail);
		}
	}
}

} // namespace

std::int64_t rail_offsets(std::int64_t rails) noexcept
{
	return rails < 2 ? 1 : 2 * rails - 2;
}

void encipher_railfence(const cipher_key &key, std::span<const char> text, std::span<char> out) noexcept
{
	transpose_rails<true>(key, text, out);
}

void decipher_railfence(const cipher_key &key, std::span<const char> cipher, std::span<char> out) noexcept
{
	transpose_rails<false>(key, cipher, out);
}
