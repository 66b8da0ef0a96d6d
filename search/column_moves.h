// The moves of the keyed search's climbs, on the columns of a decoding in
// their order from left to right: swapping two columns, moving a block of
// neighbouring columns elsewhere, and turning the whole order round by
// some columns, which the rows' wrapping makes a small change.
#ifndef UNTRANSPOSE_COLUMN_MOVES_H
#define UNTRANSPOSE_COLUMN_MOVES_H

#include "random_bits.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

struct column_move {
	enum kind_t : std::uint8_t { swap, slide, turn } kind;
	std::uint32_t a, b, c;   // swap a and b; slide b columns from a to c; turn by a
};

// A random move of `k` columns, k of at least 2.
[[nodiscard]] inline column_move random_move(random_bits &random, std::uint32_t k) noexcept
{
	const std::uint32_t draw = random.below(5);
	if (draw < 2) {
		const std::uint32_t a = random.below(k), b = random.below(k - 1);
		return {column_move::swap, a, b >= a ? b + 1 : b, 0};
	}
	if (draw < 4) {
		const std::uint32_t length = 1 + random.below(k - 1);
		const std::uint32_t from = random.below(k - length + 1), to = random.below(k - length);
		return {column_move::slide, from, length, to >= from ? to + 1 : to};
	}
	return {column_move::turn, 1 + random.below(k - 1), 0, 0};
}

// Moves `length` columns from `from` to `to`, a place in the order that
// is left when they are taken out.
inline void slide_columns(std::span<std::int32_t> columns, std::size_t from, std::size_t length, std::size_t to) noexcept
{
	const auto at = columns.begin();
	if (to < from)
		std::rotate(at + static_cast<std::ptrdiff_t>(to), at + static_cast<std::ptrdiff_t>(from),
		            at + static_cast<std::ptrdiff_t>(from + length));
	else
		std::rotate(at + static_cast<std::ptrdiff_t>(from), at + static_cast<std::ptrdiff_t>(from + length),
		            at + static_cast<std::ptrdiff_t>(to + length));
}

inline void apply_move(std::span<std::int32_t> columns, const column_move &move) noexcept
{
	switch (move.kind) {
	case column_move::swap:
		std::swap(columns[move.a], columns[move.b]);
		break;
	case column_move::slide:
		slide_columns(columns, move.a, move.b, move.c);
		break;
	case column_move::turn:
		std::rotate(columns.begin(), columns.begin() + move.a, columns.end());
		break;
	}
}

inline void undo_move(std::span<std::int32_t> columns, const column_move &move) noexcept
{
	switch (move.kind) {
	case column_move::swap:
		std::swap(columns[move.a], columns[move.b]);
		break;
	case column_move::slide:
		slide_columns(columns, move.c, move.b, move.a);
		break;
	case column_move::turn:
		std::rotate(columns.begin(), columns.end() - move.a, columns.end());
		break;
	}
}

#endif
