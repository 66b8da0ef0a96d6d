// The keyed search's second phase: an order of the columns is scored by
// the quadgrams of its decoding, and climbed by moves that keep each
// change raising that score.
#ifndef UNTRANSPOSE_ORDER_CLIMB_H
#define UNTRANSPOSE_ORDER_CLIMB_H

#include "decoder.h"
#include "keyed_columns.h"
#include "keyed_tables.h"
#include "random_bits.h"
#include "search_limits.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>

// A move is first scored on the decoding's first HEAD_ROWS rows, and given
// up there if they score worse than the order it would replace: most
// moves lose at once, and a move that helps mostly helps every row.
inline constexpr std::size_t HEAD_ROWS = 8;

// Scratch for one climb, on one thread.
struct order_scratch {
	std::int32_t slot_column[MOST_KEYED_COLUMNS];
	std::int32_t start[MOST_KEYED_COLUMNS];
	std::uint8_t decoded[BUFFER_SIZE];
};

// The quadgram levels' sum over the first SCORED_ROWS rows of the decoding
// in which column c (from 0, left to right) is the run read at slots[c],
// decoded whole: the plain way, which the climb's scores must agree with.
[[nodiscard]] std::int64_t score_order(const keyed_tables &tables, std::span<const std::uint8_t> symbols,
                                       const grid_shape &shape, std::span<const std::int32_t> slots,
                                       order_scratch &scratch) noexcept;

// The climb's score of an order: that of its first HEAD_ROWS rows, and, if
// that is at least `head_floor`, that of all rows scored, else INT64_MIN.
struct headed_score {
	std::int64_t head;
	std::int64_t total;
};
[[nodiscard]] headed_score score_order_above(const keyed_tables &tables, std::span<const std::uint8_t> symbols,
                                             const grid_shape &shape, std::span<const std::int32_t> slots,
                                             order_scratch &scratch, std::int64_t head_floor) noexcept;

// Turns `slots` round to the best-scoring of its rotations; returns its
// score.
std::int64_t best_turn(const keyed_tables &tables, std::span<const std::uint8_t> symbols, const grid_shape &shape,
                       std::span<std::int32_t> slots, order_scratch &scratch) noexcept;

// Climbs from `slots` by random moves, keeping each that raises the score,
// until `patience` moves in a row have not, or `stop` is set; returns the
// score.
std::int64_t climb_order(const keyed_tables &tables, std::span<const std::uint8_t> symbols, const grid_shape &shape,
                         std::span<std::int32_t> slots, random_bits &random, std::uint64_t patience,
                         order_scratch &scratch, const std::atomic<bool> *stop) noexcept;

// Tries every swap, block move and turn of `slots` in turn, keeping each
// that raises the score, until none does (or `stop` is set, or
// MOST_SWEEPS sweeps have been made); returns the score.  A random climb
// may miss the one move of a block that a near miss needs.
inline constexpr std::size_t MOST_SWEEPS = 64;
std::int64_t polish_order(const keyed_tables &tables, std::span<const std::uint8_t> symbols, const grid_shape &shape,
                          std::span<std::int32_t> slots, order_scratch &scratch, const std::atomic<bool> *stop) noexcept;

#endif
