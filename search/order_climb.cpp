#include "order_climb.h"

#include "column_moves.h"

#include <algorithm>
#include <climits>

namespace {

std::size_t scored_cells(const grid_shape &shape) noexcept
{
	return std::min(shape.columns * shape.rows + shape.extra, shape.columns * SCORED_ROWS);
}

// Where each column's run starts when column c is read at slots[c].
void run_starts(const grid_shape &shape, std::span<const std::int32_t> slots, order_scratch &scratch) noexcept
{
	const std::size_t k = shape.columns;
	for (std::size_t c = 0; c < k; c++)
		scratch.slot_column[slots[c]] = static_cast<std::int32_t>(c);
	std::size_t at = 0;
	for (std::size_t j = 0; j < k; j++) {
		const auto column = static_cast<std::size_t>(scratch.slot_column[j]);
		scratch.start[column] = static_cast<std::int32_t>(at);
		at += shape.rows + (column < shape.extra ? 1 : 0);
	}
}

// Decodes the cells from `from` to `to` of the decoding, each column's
// cells at once.
void decode_cells(std::span<const std::uint8_t> symbols, std::size_t k, std::size_t from, std::size_t to,
                  order_scratch &scratch) noexcept
{
	for (std::size_t c = 0; c < k && c < to; c++) {
		const std::uint8_t *run = symbols.data() + scratch.start[c];
		const std::size_t first = from > c ? (from - c + k - 1) / k : 0, last = (to - c + k - 1) / k;
		for (std::size_t r = first; r < last; r++)
			scratch.decoded[r * k + c] = run[r];
	}
}

// The quadgrams that end at cells `from` to `to` - 1 of the decoding.
std::int64_t score_cells(const keyed_tables &tables, const std::uint8_t *d, std::size_t from, std::size_t to) noexcept
{
	std::int64_t total = 0;
	for (std::size_t p = std::max<std::size_t>(from, 3); p < to; p++)
		total += tables.quadgrams[((d[p - 3] * SYMBOLS + d[p - 2]) * SYMBOLS + d[p - 1]) * SYMBOLS + d[p]];
	return total;
}

} // namespace

std::int64_t score_order(const keyed_tables &tables, std::span<const std::uint8_t> symbols, const grid_shape &shape,
                         std::span<const std::int32_t> slots, order_scratch &scratch) noexcept
{
	const std::size_t k = shape.columns;
	const std::size_t cells = scored_cells(shape);
	run_starts(shape, slots, scratch);
	for (std::size_t p = 0; p < cells; p++)
		scratch.decoded[p] = symbols[static_cast<std::size_t>(scratch.start[p % k]) + p / k];
	std::int64_t total = 0;
	for (std::size_t p = 3; p < cells; p++) {
		const std::uint8_t *d = scratch.decoded + p - 3;
		total += tables.quadgrams[((d[0] * SYMBOLS + d[1]) * SYMBOLS + d[2]) * SYMBOLS + d[3]];
	}
	return total;
}

headed_score score_order_above(const keyed_tables &tables, std::span<const std::uint8_t> symbols,
                               const grid_shape &shape, std::span<const std::int32_t> slots, order_scratch &scratch,
                               std::int64_t head_floor) noexcept
{
	const std::size_t k = shape.columns;
	const std::size_t cells = scored_cells(shape), head_cells = std::min(cells, k * HEAD_ROWS);
	run_starts(shape, slots, scratch);
	decode_cells(symbols, k, 0, head_cells, scratch);
	const std::int64_t head = score_cells(tables, scratch.decoded, 0, head_cells);
	if (head < head_floor)
		return {head, INT64_MIN};
	decode_cells(symbols, k, head_cells, cells, scratch);
	return {head, head + score_cells(tables, scratch.decoded, head_cells, cells)};
}

std::int64_t best_turn(const keyed_tables &tables, std::span<const std::uint8_t> symbols, const grid_shape &shape,
                       std::span<std::int32_t> slots, order_scratch &scratch) noexcept
{
	const std::size_t k = slots.size();
	std::int64_t best = score_order_above(tables, symbols, shape, slots, scratch, INT64_MIN).total;
	std::size_t best_by = 0;
	for (std::size_t by = 1; by < k; by++) {
		std::rotate(slots.begin(), slots.begin() + 1, slots.end());
		const std::int64_t score = score_order_above(tables, symbols, shape, slots, scratch, INT64_MIN).total;
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
	headed_score best = score_order_above(tables, symbols, shape, slots, scratch, INT64_MIN);
	const auto k = static_cast<std::uint32_t>(slots.size());
	if (k < 2)
		return best.total;
	for (std::uint64_t failures = 0, tries = 0; failures < patience; tries++) {
		if ((tries & 1023) == 0 && stop != nullptr && stop->load(std::memory_order_relaxed))
			break;
		const column_move move = random_move(random, k);
		apply_move(slots, move);
		const headed_score score = score_order_above(tables, symbols, shape, slots, scratch, best.head);
		if (score.total > best.total) {
			best = score;
			failures = 0;
		} else {
			undo_move(slots, move);
			failures++;
		}
	}
	return best.total;
}

std::int64_t polish_order(const keyed_tables &tables, std::span<const std::uint8_t> symbols, const grid_shape &shape,
                          std::span<std::int32_t> slots, order_scratch &scratch, const std::atomic<bool> *stop) noexcept
{
	headed_score best = score_order_above(tables, symbols, shape, slots, scratch, INT64_MIN);
	const auto k = static_cast<std::uint32_t>(slots.size());
	const auto keep_if_better = [&](const column_move &move) {
		apply_move(slots, move);
		const headed_score score = score_order_above(tables, symbols, shape, slots, scratch, best.head);
		if (score.total > best.total) {
			best = score;
			return true;
		}
		undo_move(slots, move);
		return false;
	};
	for (std::size_t sweep = 0; sweep < MOST_SWEEPS && k >= 2; sweep++) {
		if (stop != nullptr && stop->load(std::memory_order_relaxed))
			break;
		bool better = false;
		for (std::uint32_t a = 0; a < k; a++)
			for (std::uint32_t b = a + 1; b < k; b++)
				better |= keep_if_better({column_move::swap, a, b, 0});
		for (std::uint32_t length = 1; length < k; length++)
			for (std::uint32_t from = 0; from + length <= k; from++)
				for (std::uint32_t to = 0; to + length <= k; to++)
					if (to != from)
						better |= keep_if_better({column_move::slide, from, length, to});
		for (std::uint32_t by = 1; by < k; by++)
			better |= keep_if_better({column_move::turn, by, 0, 0});
		if (!better)
			break;
	}
	return best.total;
}
