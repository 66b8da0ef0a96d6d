#include "route.h"

#include <algorithm>

namespace {

// Visits the cells of a grid of `rows` by `width` along the route, from
// the top-left corner, as (row, column).
template <typename Visit>
void walk(std::int64_t route, std::size_t rows, std::size_t width, Visit visit) noexcept
{
	if (rows == 0 || width == 0)
		return;
	switch (route) {
	case 0:
	case 1: {
		std::size_t top = 0, bottom = rows - 1, left = 0, right = width - 1;
		while (top <= bottom && left <= right) {
			if (route == 0) {
				for (std::size_t c = left; c <= right; c++)
					visit(top, c);
				for (std::size_t r = top + 1; r <= bottom; r++)
					visit(r, right);
				if (top < bottom)
					for (std::size_t c = right; c-- > left;)
						visit(bottom, c);
				if (left < right)
					for (std::size_t r = bottom; r-- > top + 1;)
						visit(r, left);
			} else {
				for (std::size_t r = top; r <= bottom; r++)
					visit(r, left);
				for (std::size_t c = left + 1; c <= right; c++)
					visit(bottom, c);
				if (left < right)
					for (std::size_t r = bottom; r-- > top;)
						visit(r, right);
				if (top < bottom)
					for (std::size_t c = right; c-- > left + 1;)
						visit(top, c);
			}
			if (bottom == 0 || right == 0)
				break;
			top++, left++, bottom--, right--;
		}
		break;
	}
	case 2:
		for (std::size_t c = 0; c < width; c++)
			for (std::size_t i = 0; i < rows; i++)
				visit(c % 2 == 0 ? i : rows - 1 - i, c);
		break;
	default:
		for (std::size_t r = 0; r < rows; r++)
			for (std::size_t i = 0; i < width; i++)
				visit(r, r % 2 == 0 ? i : width - 1 - i);
		break;
	}
}

// The text's byte at each cell the route passes is the cipher's next.
template <bool encipher>
void follow_route(const cipher_key &key, std::span<const char> from, std::span<char> to) noexcept
{
	const std::size_t length = std::min(from.size(), to.size());
	const auto width = static_cast<std::size_t>(std::clamp<std::int64_t>(key.number, 1, static_cast<std::int64_t>(std::max<std::size_t>(length, 1))));
	const std::size_t rows = (length + width - 1) / width;
	const std::int64_t number = std::clamp<std::int64_t>(key.route, 0, ROUTE_COUNT * CORNER_COUNT - 1);
	const std::int64_t corner = number % CORNER_COUNT;
	const bool mirrored = corner == 1 || corner == 3, flipped = corner == 2 || corner == 3;
	std::size_t place = 0;
	walk(number / CORNER_COUNT, rows, width, [&](std::size_t r, std::size_t c) {
		const std::size_t cell = (flipped ? rows - 1 - r : r) * width + (mirrored ? width - 1 - c : c);
		if (cell >= length)
			return;
		if constexpr (encipher)
			to[place++] = from[cell];
		else
			to[cell] = from[place++];
	});
}

} // namespace

std::int64_t route_numbers(std::int64_t) noexcept
{
	return ROUTE_COUNT * CORNER_COUNT;
}

void encipher_route(const cipher_key &key, std::span<const char> text, std::span<char> out) noexcept
{
	follow_route<true>(key, text, out);
}

void decipher_route(const cipher_key &key, std::span<const char> cipher, std::span<char> out) noexcept
{
	follow_route<false>(key, cipher, out);
}
