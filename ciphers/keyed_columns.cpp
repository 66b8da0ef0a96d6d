#include "keyed_columns.h"

#include <algorithm>
#include <cstring>

namespace {

std::size_t run_length(const grid_shape &shape, std::size_t column) noexcept
{
	return shape.rows + (column < shape.extra ? 1 : 0);
}

} // namespace

void encipher_keyed(std::span<const char> text, std::size_t length, std::span<const std::int32_t> order,
                    std::span<char> out) noexcept
{
	length = std::min({length, text.size(), out.size()});
	const std::size_t k = order.size();
	std::size_t at = 0;
	for (const std::int32_t column : order)
		for (std::size_t p = static_cast<std::size_t>(column); p < length; p += k)
			out[at++] = text[p];
}

void encipher_columns(std::span<const char> text, std::size_t length, std::int64_t key,
                      std::span<char> out) noexcept
{
	length = std::min({length, text.size(), out.size()});
	if (key < 1 || static_cast<std::uint64_t>(key) >= length) {
		std::copy_n(text.begin(), length, out.begin());
		return;
	}
	const auto k = static_cast<std::size_t>(key);
	std::size_t at = 0;
	for (std::size_t column = 0; column < k; column++)
		for (std::size_t p = column; p < length; p += k)
			out[at++] = text[p];
}

void naturalise_columns(std::span<const char> cipher, std::size_t length, std::span<const std::int32_t> order,
                        std::span<char> out) noexcept
{
	length = std::min({length, cipher.size(), out.size()});
	if (order.empty())
		return;
	const grid_shape shape = shape_of(length, order.size());
	// Where each column's run starts in natural order.
	std::size_t from = 0;
	for (const std::int32_t column : order) {
		const auto c = static_cast<std::size_t>(column);
		const std::size_t to = c * shape.rows + std::min(c, shape.extra);
		std::memcpy(out.data() + to, cipher.data() + from, run_length(shape, c));
		from += run_length(shape, c);
	}
}
