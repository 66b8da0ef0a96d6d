#include "order_climb.h"

#include "column_moves.h"

#include <algorithm>

std::size_t scored_quadgrams(const grid_shape &shape) noexcept
{
	const std::size_t cells = std::min(shape.columns * shape.rows + shape.extra, shape.columns * SCORED_ROWS);
	return cells > 3 ? cells - 3 : 0;
}

std::int64_t score_order(const keyed_tables &tables, std::span<const std::uint8_t> symbols, const grid_shape &shape,
                         std::span<const std::int32_t> slots, order_scratch &scratch) noexcept
{
	const std::size_t k = shape.columns;
	const std::size_t cells = std::min(k * shape.rows + shape.extra, k * SCORED_ROWS);
	for (std::size_t c = 0; c < k; c++)
		scratch.slot_column[slots[c]] = static_cast<std::int32_t>(c);
	std::size_t at = 0;
	for (std::size_t j = 0; j < k; j++) {
		const auto column = static_cast<std::size_t>(scratch.slot_column[j]);
		scratch.start[column] = static_cast<std::int32_t>(at);
		at += shape.rows + (column < shape.extra ? 1 : 0);
	}
	// Each column's cells, down to the last row scored.
	for (std::size_t c = 0; c < k && c < cells; c++) {
		const std::uint8_t *run = symbols.data() + scratch.start[c];
		const std::size_t rows = (cells - c + k - 1) / k;
		for (std::size_t r = 0; r < rows; r++)
			scratch.decoded[r * k + c] = run[r];
	}
	std::int64_t total = 0;
	const std::uint8_t *d = scratch.decoded;
	for (std::size_t p = 3; p < cells; p++)
		total += tables.quadgrams[((d[p - 3] * SYMBOLS + d[p - 2]) * SYMBOLS + d[p - 1]) * SYMBOLS + d[p]];
	return total;
}

std::int64_t best_turn(const keyed_tables &tables, std::span<const std::uint8_t> symbols, const grid_shape &shape,
                       std::span<std::int32_t> slots, order_scratch &scratch) noexcept
{
	const std::size_t k = slots.size();
	std::int64_t best = score_order(tables, symbols, shape, slots, scratch);
	std::size_t best_by = 0;
	for (std::size_t by = 1; by < k; by++) {
		std::rotate(slots.begin(), slots.begin() + 1, slots.end());
		const std::int64_t score = score_order(tables, symbols, shape, slots, scratch);
		if (score > best) {
			best = score;
			best_by = by;
		}
	}
	// Round to where it started, then on to the best.
	std::rotate(slots.begin(), slots.begin() + 1, slots.end());
	std::rotate(slots.begin(), slots.begin() + static_cast<std::ptrdiff_t>(best_by), slots.end());
	return best;
}

std::int64_t climb_order(const keyed_tables &tables, std::span<const std::uint8_t> symbols, const grid_shape &shape,
                         std::span<std::int32_t> slots, random_bits &random, std::uint64_t patience,
                         order_scratch &scratch, const std::atomic<bool> *stop) noexcept
{
	std::int64_t best = score_order(tables, symbols, shape, slots, scratch);
	const auto k = static_cast<std::uint32_t>(slots.size());
	if (k < 2)
		return best;
	for (std::uint64_t failures = 0, tries = 0; failures < patience; tries++) {
		if ((tries & 1023) == 0 && stop != nullptr && stop->load(std::memory_order_relaxed))
			break;
		const column_move move = random_move(random, k);
		apply_move(slots, move);
		const std::int64_t score = score_order(tables, symbols, shape, slots, scratch);
		if (score > best) {
			best = score;
			failures = 0;
		} else {
			undo_move(slots, move);
			failures++;
		}
	}
	return best;
}
