#include "second_key_climb.h"

#include "column_moves.h"
#include "column_pairs.h"

#include <algorithm>
#include <climits>

namespace {

// Each climb goes on until half the square of the key's columns of moves
// in a row have not helped, then sweeps every swap and move of one column
// at most SECOND_SWEEPS times.  Climbs over keys of 11 to 14 columns
// reached the key as often for each climb as with four times the patience
// and sixteen sweeps, and were made a third faster.
constexpr std::size_t SECOND_SWEEPS = 4;
constexpr std::int64_t NOT_FOUND = INT64_MIN;

// How well the text left by undoing `second` reads as a keyed column
// transposition of `columns` columns: each of its runs scored by the run
// that its letters, row by row, would best stand before.
std::int64_t pair_fit(const double_search &s, std::size_t columns, std::span<const std::int32_t> second,
                      double_scratch &w) noexcept
{
	const std::size_t length = s.compact.size();
	undo_second({s.symbols, length}, second, w.middle);
	const grid_shape shape = shape_of(length, columns);
	score_beside(*s.tables, {w.middle, length}, shape, {w.beside, columns * columns});
	std::int64_t sum = 0;
	for (std::size_t a = 0; a < columns; a++)
		sum += *std::max_element(w.beside + a * columns, w.beside + (a + 1) * columns);
	return sum;
}

// Second keys that fit alike may leave texts whose first key's rows stand
// in another order, which the pairs of runs side by side do not see, and
// the runs going on from the end of a row to the next do: the fit of each
// run by the run that best goes on from its end.
std::int64_t wrapped_fit(const double_search &s, std::size_t columns, std::span<const std::int32_t> second,
                         double_scratch &w) noexcept
{
	const std::size_t length = s.compact.size();
	undo_second({s.symbols, length}, second, w.middle);
	const std::size_t cells = columns * columns;
	score_pairs(*s.tables, {w.middle, length}, shape_of(length, columns), {w.beside, cells}, {w.wrapped, cells});
	std::int64_t sum = 0;
	for (std::size_t a = 0; a < columns; a++)
		sum += *std::max_element(w.wrapped + a * columns, w.wrapped + (a + 1) * columns);
	return sum;
}

// Makes a move of the second key by `apply`, and keeps it if it fits
// better than `held`; else undoes it by `undo`.  Many second keys can fit
// alike, leaving texts whose rows stand in other orders (in complete
// grids of equal widths, every key may): among them, the climb goes on by
// the wrapped fit.
template <class Apply, class Undo>
bool try_move(const double_search &s, std::size_t columns, std::span<std::int32_t> second, double_scratch &w,
              second_fit &held, Apply apply, Undo undo) noexcept
{
	apply();
	const std::int64_t tried = pair_fit(s, columns, second, w);
	if (tried > held.beside) {
		held = {tried, NOT_FOUND};
		return true;
	}
	if (tried == held.beside) {
		const std::int64_t wrapped = wrapped_fit(s, columns, second, w);
		if (held.wrapped == NOT_FOUND) {
			undo();
			held.wrapped = wrapped_fit(s, columns, second, w);
			apply();
		}
		if (wrapped > held.wrapped) {
			held.wrapped = wrapped;
			return true;
		}
	}
	undo();
	return false;
}

} // namespace

void undo_second(std::span<const std::uint8_t> cipher, std::span<const std::int32_t> second, std::uint8_t *out) noexcept
{
	const std::size_t length = cipher.size(), width = second.size();
	const std::size_t rows = length / width, extra = length % width;
	std::size_t at = 0;
	for (const std::int32_t read : second) {
		const auto column = static_cast<std::size_t>(read);
		const std::size_t cells = rows + (column < extra ? 1 : 0);
		for (std::size_t r = 0; r < cells; r++)
			out[r * width + column] = cipher[at + r];
		at += cells;
	}
}

// Climbs from `second` by random swaps and moves of blocks of its
// columns, then by every swap and every move of one column in turn, while
// they raise its fit.
second_fit climb_second(const double_search &s, std::size_t columns, std::span<std::int32_t> second,
                        random_bits &random, double_scratch &w, const std::atomic<bool> *stop) noexcept
{
	const auto k = static_cast<std::uint32_t>(second.size());
	second_fit held{pair_fit(s, columns, second, w), NOT_FOUND};
	const std::uint64_t patience = std::uint64_t{k} * k / 2;
	for (std::uint64_t failures = 0; failures < patience;) {
		if (stop != nullptr && stop->load(std::memory_order_relaxed))
			return held;
		bool rose;
		if (random.below(2) == 0) {
			std::uint32_t a = random.below(k), b = random.below(k - 1);
			b += b >= a ? 1 : 0;
			const auto swap = [&] { std::swap(second[a], second[b]); };
			rose = try_move(s, columns, second, w, held, swap, swap);
		} else {
			const std::uint32_t length = 1 + random.below(k - 1);
			const std::uint32_t a = random.below(k - length + 1);
			std::uint32_t b = random.below(k - length);
			b += b >= a ? 1 : 0;
			rose = try_move(s, columns, second, w, held, [&] { slide_columns(second, a, length, b); },
			                [&] { slide_columns(second, b, length, a); });
		}
		failures = rose ? 0 : failures + 1;
	}
	for (std::size_t sweep = 0, rose = 1; rose != 0 && sweep < SECOND_SWEEPS; sweep++) {
		rose = 0;
		for (std::size_t i = 0; i < k; i++)
			for (std::size_t j = 0; j < k; j++) {
				if (i < j) {
					const auto swap = [&] { std::swap(second[i], second[j]); };
					rose += try_move(s, columns, second, w, held, swap, swap) ? 1 : 0;
				} else if (i > j) {
					rose += try_move(s, columns, second, w, held, [&] { slide_columns(second, i, 1, j); },
					                 [&] { slide_columns(second, j, 1, i); })
					            ? 1
					            : 0;
				}
			}
	}
	if (held.wrapped == NOT_FOUND)
		held.wrapped = wrapped_fit(s, columns, second, w);
	return held;
}
