// Every order of a few columns.  The orders are tried as a tree, one
// column placed at a time, so that orders that begin alike share the work
// of their beginning, and a branch is left as soon as even the best ending
// could not bring it among the orders kept.  For these numbers of columns
// the answer is the best-scoring order by construction, where a climb may
// miss it.
#ifndef UNTRANSPOSE_EVERY_ORDER_H
#define UNTRANSPOSE_EVERY_ORDER_H

#include "crib.h"
#include "keyed_columns.h"
#include "keyed_tables.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>

// The most columns whose every order may be tried, and how much work
// that may take: orders times the rows scored.
inline constexpr std::size_t MOST_EVERY_ORDER_COLUMNS = 10;
inline constexpr std::uint64_t EVERY_ORDER_BUDGET = std::uint64_t{362880} * 20;
// How many of the best orders each part of the tree keeps.
inline constexpr std::size_t EVERY_ORDER_KEPT = 8;

struct scored_order {
	std::uint32_t cribs;    // how many of the cribs its decoding holds
	std::int64_t score;     // the decoding's score, as ranked() ranks it
	std::int32_t slots[MOST_EVERY_ORDER_COLUMNS];   // the read slot of each column, left to right
};

struct kept_orders {
	scored_order orders[EVERY_ORDER_KEPT];
	std::size_t count;
};

// Whether every order of a grid of this shape is to be tried, within
// `budget`, orders times the rows scored.
[[nodiscard]] bool tries_every_order(const grid_shape &shape, std::uint64_t budget = EVERY_ORDER_BUDGET) noexcept;

// Tries every order of the grid whose first column placed is the run read
// at slot `first` (one part of the tree: the K parts together try every
// order), and keeps the best in `kept`, best first: those whose decodings
// hold more of `cribs`, then the higher scoring, then the first in order
// of their slots.  The score is ranked()'s of the whole decoding, for a
// text of letters alone; other bytes count as the keyed search counts
// them.  `most_ends` is most_ends_score()'s.  Stops early if `stop` is set.
void try_every_order(const keyed_tables &tables, std::span<const std::uint8_t> symbols, const grid_shape &shape,
                     std::size_t first, const crib_list &cribs, std::int64_t most_ends, kept_orders &kept,
                     const std::atomic<bool> *stop) noexcept;

// Whether `a` is kept before `b`.
[[nodiscard]] bool ranks_before(const scored_order &a, const scored_order &b, std::size_t columns) noexcept;

#endif
