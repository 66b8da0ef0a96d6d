// The keyed search's second phase: an order of the columns is scored by
// the quadgrams of its decoding, and climbed by moves that keep each
// change raising that score.
#ifndef UNTRANSPOSE_ORDER_CLIMB_H
#define UNTRANSPOSE_ORDER_CLIMB_H

#include "decoder.h"
#include "keyed_columns.h"
#include "keyed_tables.h"
#include "random_bits.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>

// The most columns the search takes.
inline constexpr std::size_t MOST_KEYED_COLUMNS = 100;

// Only the first SCORED_ROWS rows of a decoding are scored while climbing:
// beyond, a wrong order rarely looks right, and a long text would cost
// more to no gain.
inline constexpr std::size_t SCORED_ROWS = 64;

// Scratch for one climb, on one thread.
struct order_scratch {
	std::int32_t slot_column[MOST_KEYED_COLUMNS];
	std::int32_t start[MOST_KEYED_COLUMNS];
	std::uint8_t decoded[BUFFER_SIZE];
};

// The quadgram levels' sum over the first SCORED_ROWS rows of the decoding
// in which column c (from 0, left to right) is the run read at slots[c].
[[nodiscard]] std::int64_t score_order(const keyed_tables &tables, std::span<const std::uint8_t> symbols,
                                       const grid_shape &shape, std::span<const std::int32_t> slots,
                                       order_scratch &scratch) noexcept;

// How many quadgrams score_order scores for this shape.
[[nodiscard]] std::size_t scored_quadgrams(const grid_shape &shape) noexcept;

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

#endif
