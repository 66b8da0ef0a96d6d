// Climbs over keys whose ranks may tie, as a Myszkowski key's do: the key
// held as each column's rank, kept at 2, 4, 6, ..., so that an odd rank
// puts a column in a rank of its own between two others, or before or
// after them all.  Each key is scored by the caller as a read order, the
// tied columns from left to right, and which of them tie with the column
// read before.  Pure: no I/O, no allocation.
#ifndef UNTRANSPOSE_TIED_CLIMB_H
#define UNTRANSPOSE_TIED_CLIMB_H

#include "column_moves.h"
#include "random_bits.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

// The most columns of a tied key.
inline constexpr std::size_t MOST_TIED_COLUMNS = 64;

// Renumbers the ranks 2, 4, 6, ..., keeping their order and ties.
void even_ranks(std::span<std::int32_t> ranks) noexcept;

// The read order and ties of the ranks: columns by rank, tied columns
// from left to right.
void key_of_ranks(std::span<const std::int32_t> ranks, std::span<std::int32_t> order, std::span<std::uint8_t> tied) noexcept;

// Climbs from `ranks` by putting a column in another rank, or in a new
// rank anywhere, by swapping two columns' ranks, moving a column to
// another place, or swapping two ranks, while that raises score(order,
// tied).  Leaves the summit's key in `order` and `tied`.
template <typename Score>
std::int64_t climb_ranks(Score &&score_of, std::span<std::int32_t> ranks, std::span<std::int32_t> order,
                         std::span<std::uint8_t> tied) noexcept
{
	const std::size_t columns = ranks.size();
	const auto scored = [&] {
		key_of_ranks(ranks, order, tied);
		return score_of(std::span<const std::int32_t>(order), std::span<const std::uint8_t>(tied));
	};
	even_ranks(ranks);
	std::int64_t score = scored();
	const auto highest = [&] { return *std::max_element(ranks.begin(), ranks.end()); };
	const auto keep = [&](std::int64_t tried) {
		if (tried <= score)
			return false;
		score = tried;
		even_ranks(ranks);
		return true;
	};
	for (bool rose = true; rose;) {
		rose = false;
		for (std::size_t c = 0; c < columns; c++) {
			const std::int32_t was = ranks[c];
			for (std::int32_t rank = 1; rank <= highest() + 1; rank++) {
				if (rank == was)
					continue;
				ranks[c] = rank;
				if (keep(scored())) {
					rose = true;
					break;
				}
				ranks[c] = was;
			}
		}
		for (std::size_t a = 0; a < columns; a++)
			for (std::size_t b = a + 1; b < columns; b++) {
				if (ranks[a] == ranks[b])
					continue;
				std::swap(ranks[a], ranks[b]);
				if (keep(scored()))
					rose = true;
				else
					std::swap(ranks[a], ranks[b]);
			}
		for (std::size_t from = 0; from < columns; from++)
			for (std::size_t to = 0; to < columns; to++) {
				if (to == from)
					continue;
				slide_columns(ranks, from, 1, to);
				if (keep(scored()))
					rose = true;
				else
					slide_columns(ranks, to, 1, from);
			}
		for (std::int32_t low = 2; low < highest(); low += 2)
			for (std::int32_t high = low + 2; high <= highest(); high += 2) {
				const auto trade = [&] {
					for (std::int32_t &rank : ranks)
						rank = rank == low ? high : rank == high ? low : rank;
				};
				trade();
				if (keep(scored()))
					rose = true;
				else
					trade();
			}
	}
	key_of_ranks(ranks, order, tied);
	return score;
}

// Climbs from random ranks, then `kicks` times again from the summit
// shaken by `moves` random moves, keeping the new summit whenever it is
// higher: a summit is usually a few moves from a higher one, nearer than
// a fresh start is.  Leaves the best key in `order` and `tied`.
template <typename Score>
std::int64_t kicked_climbs(Score &&score_of, std::span<std::int32_t> ranks, random_bits &random, std::uint32_t kicks,
                           std::uint32_t moves, std::span<std::int32_t> order, std::span<std::uint8_t> tied) noexcept
{
	const std::size_t columns = ranks.size();
	const auto below = [&](std::size_t n) { return static_cast<std::size_t>(random.below(static_cast<std::uint32_t>(n))); };
	for (std::size_t j = 0; j < columns; j++)
		ranks[j] = static_cast<std::int32_t>(below(columns));
	std::int64_t score = climb_ranks(score_of, ranks, order, tied);
	std::int32_t tried[MOST_TIED_COLUMNS];
	for (std::uint32_t kick = 0; kick < kicks; kick++) {
		std::copy(ranks.begin(), ranks.end(), tried);
		for (std::uint32_t move = 0; move < moves; move++) {
			if (random.below(2) == 0)
				tried[below(columns)] = static_cast<std::int32_t>(below(2 * columns + 2));
			else
				slide_columns({tried, columns}, below(columns), 1, below(columns));
		}
		if (const std::int64_t climbed = climb_ranks(score_of, std::span<std::int32_t>(tried, columns), order, tied);
		    climbed > score) {
			score = climbed;
			std::copy_n(tried, columns, ranks.begin());
		}
	}
	key_of_ranks(ranks, order, tied);
	return score;
}

#endif
