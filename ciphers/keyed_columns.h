// The keyed column transposition itself: the text written row by row into
// rows of K cells, and the columns read out in a given order, each from
// top to bottom.  With L bytes, the first L mod K columns, by position,
// are one cell longer than the others.  Pure: no allocation.
#ifndef UNTRANSPOSE_KEYED_COLUMNS_H
#define UNTRANSPOSE_KEYED_COLUMNS_H

#include <cstddef>
#include <cstdint>
#include <span>

// The shape of a grid of `length` cells and `columns` columns.
struct grid_shape {
	std::size_t columns;
	std::size_t rows;     // full rows
	std::size_t extra;    // the columns, from the left, one cell longer
};

[[nodiscard]] constexpr grid_shape shape_of(std::size_t length, std::size_t columns) noexcept
{
	return {columns, length / columns, length % columns};
}

// Enciphers the first `length` bytes of `text` into `out` with the
// columns read out in `order` (a read order of K = order.size() columns).
void encipher_keyed(std::span<const char> text, std::size_t length, std::span<const std::int32_t> order,
                    std::span<char> out) noexcept;

// Enciphers with the columns read out from left to right: the plain
// transposition that decode_columns undoes with the key `key`.  A key of
// `length` or more leaves the text as it is.
void encipher_columns(std::span<const char> text, std::size_t length, std::int64_t key,
                      std::span<char> out) noexcept;

// Puts the column runs of `length` bytes enciphered with `order` back in
// natural order, into `out`: what decode_columns, with the key K, decodes
// into the plain text.
void naturalise_columns(std::span<const char> cipher, std::size_t length, std::span<const std::int32_t> order,
                        std::span<char> out) noexcept;

#endif
