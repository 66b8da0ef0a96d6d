#include "column_pairs.h"

#include "column_moves.h"

#include <algorithm>
#include <climits>

namespace {

// The offsets a run read at `slot` may start at past slot * rows: the
// number of long columns read before it.
std::size_t least_offset(const grid_shape &shape, std::size_t slot) noexcept
{
	return shape.extra + slot > shape.columns ? shape.extra + slot - shape.columns : 0;
}

std::size_t most_offset(const grid_shape &shape, std::size_t slot) noexcept
{
	return std::min(slot, shape.extra);
}

// The best score of `rows` rows of the run at slot a beside the run at
// slot b, `lag` cells further on, over the alignments the slots allow:
// b's offset less a's is the number of long columns read between them.
std::int32_t best_alignment(const keyed_tables &tables, std::span<const std::uint8_t> symbols,
                            const grid_shape &shape, std::size_t a, std::size_t b, std::size_t rows,
                            std::size_t lag) noexcept
{
	const std::size_t low_a = least_offset(shape, a), high_a = most_offset(shape, a);
	const std::size_t low_b = least_offset(shape, b), high_b = most_offset(shape, b);
	const auto between = static_cast<std::ptrdiff_t>(a < b ? b - a : a - b);
	const std::ptrdiff_t least = a < b ? 0 : -std::min<std::ptrdiff_t>(between, static_cast<std::ptrdiff_t>(shape.extra));
	const std::ptrdiff_t most = a < b ? std::min<std::ptrdiff_t>(between, static_cast<std::ptrdiff_t>(shape.extra)) : 0;
	std::int32_t best = INT32_MIN;
	for (std::ptrdiff_t shift = least; shift <= most; shift++) {
		// a's offsets whose partner at b is one b may have.
		const auto first = std::max<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(low_a),
		                                            static_cast<std::ptrdiff_t>(low_b) - shift);
		const auto last = std::min<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(high_a),
		                                           static_cast<std::ptrdiff_t>(high_b) - shift);
		if (first > last)
			continue;
		// The rows' sum as a window sliding down the two runs together.
		const std::uint8_t *left = symbols.data() + a * shape.rows + static_cast<std::size_t>(first);
		const std::uint8_t *right = symbols.data() + static_cast<std::ptrdiff_t>(b * shape.rows + lag) + first + shift;
		std::int32_t sum = 0;
		for (std::size_t r = 0; r < rows; r++)
			sum += tables.pairs[left[r] * SYMBOLS + right[r]];
		best = std::max(best, sum);
		for (std::ptrdiff_t offset = first; offset < last; offset++, left++, right++) {
			sum += tables.pairs[left[rows] * SYMBOLS + right[rows]] - tables.pairs[left[0] * SYMBOLS + right[0]];
			best = std::max(best, sum);
		}
	}
	return best;
}

} // namespace

void score_beside(const keyed_tables &tables, std::span<const std::uint8_t> symbols, const grid_shape &shape,
                  std::span<std::int32_t> beside) noexcept
{
	const std::size_t k = shape.columns;
	const std::size_t rows = std::min(shape.rows, PAIR_ROWS);
	for (std::size_t a = 0; a < k; a++)
		for (std::size_t b = 0; b < k; b++)
			beside[a * k + b] = a != b ? (rows > 0 ? best_alignment(tables, symbols, shape, a, b, rows, 0) : 0) : INT32_MIN / 4;
}

void score_pairs(const keyed_tables &tables, std::span<const std::uint8_t> symbols, const grid_shape &shape,
                 std::span<std::int32_t> beside, std::span<std::int32_t> wrapped) noexcept
{
	const std::size_t k = shape.columns;
	const std::size_t rows = std::min(shape.rows, PAIR_ROWS);
	for (std::size_t a = 0; a < k; a++)
		for (std::size_t b = 0; b < k; b++) {
			// A run never stands beside itself; with no full row to score,
			// nothing is known of any pair.
			const bool apart = a != b;
			beside[a * k + b] = apart ? (rows > 0 ? best_alignment(tables, symbols, shape, a, b, rows, 0) : 0) : INT32_MIN / 4;
			wrapped[a * k + b] =
			    apart ? (rows > 1 ? best_alignment(tables, symbols, shape, a, b, rows - 1, 1) : 0) : INT32_MIN / 4;
		}
}

std::int64_t score_cycle(std::span<const std::int32_t> beside, std::span<const std::int32_t> wrapped,
                         std::span<const std::int32_t> slots) noexcept
{
	const std::size_t k = slots.size();
	std::int64_t total = wrapped[static_cast<std::size_t>(slots[k - 1]) * k + static_cast<std::size_t>(slots[0])];
	for (std::size_t c = 0; c + 1 < k; c++)
		total += beside[static_cast<std::size_t>(slots[c]) * k + static_cast<std::size_t>(slots[c + 1])];
	return total;
}

std::int64_t climb_cycle(std::span<const std::int32_t> beside, std::span<const std::int32_t> wrapped,
                         std::span<std::int32_t> slots, random_bits &random, std::uint64_t patience) noexcept
{
	std::int64_t best = score_cycle(beside, wrapped, slots);
	const auto k = static_cast<std::uint32_t>(slots.size());
	if (k < 2)
		return best;
	for (std::uint64_t failures = 0; failures < patience;) {
		const column_move move = random_move(random, k);
		apply_move(slots, move);
		const std::int64_t score = score_cycle(beside, wrapped, slots);
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
