// The keyed search's first phase: which columns stand side by side.  For
// every two runs of the cipher, read out at slots a and b, it scores how
// well the letters of b's run follow those of a's, row by row, with the
// bigram affinities.  In an incomplete grid a run's start depends on how
// many long columns were read out before it, which is not known yet, so
// each pair is scored at the best alignment their slots allow.  A cycle of
// the columns that scores well then starts the second phase.
#ifndef UNTRANSPOSE_COLUMN_PAIRS_H
#define UNTRANSPOSE_COLUMN_PAIRS_H

#include "keyed_columns.h"
#include "keyed_tables.h"
#include "random_bits.h"

#include <cstddef>
#include <cstdint>
#include <span>

// The most rows of each pair that are scored: more add little but time.
inline constexpr std::size_t PAIR_ROWS = 100;

// Fills the pair tables of `shape` (K columns) from the cipher's symbols,
// each K * K: beside[a * K + b] scores the run read at slot b standing
// right of the run read at slot a, and wrapped[a * K + b] the run at b
// going on, one row down, from the end of a row at a.
void score_pairs(const keyed_tables &tables, std::span<const std::uint8_t> symbols, const grid_shape &shape,
                 std::span<std::int32_t> beside, std::span<std::int32_t> wrapped) noexcept;

// Fills beside alone, as score_pairs does.
void score_beside(const keyed_tables &tables, std::span<const std::uint8_t> symbols, const grid_shape &shape,
                  std::span<std::int32_t> beside) noexcept;

// The score of `slots`, the read slot of each column from left to right,
// by the pair tables: each column beside the next, and the last wrapped
// round to the first.
[[nodiscard]] std::int64_t score_cycle(std::span<const std::int32_t> beside, std::span<const std::int32_t> wrapped,
                                       std::span<const std::int32_t> slots) noexcept;

// Climbs from `slots` by random moves, keeping each that raises the cycle's
// score, until `patience` moves in a row have not; returns the score.
std::int64_t climb_cycle(std::span<const std::int32_t> beside, std::span<const std::int32_t> wrapped,
                         std::span<std::int32_t> slots, random_bits &random, std::uint64_t patience) noexcept;

#endif
