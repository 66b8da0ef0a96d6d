// Column orders of the keyed transposition.  An order of K columns is
// written as their ranks: column c (from 0) is read out ranks[c]-th, the
// ranks running from 1 to K.  The transforms and the search work with the
// read order instead: order[j] is the column read out j-th, from 0.
#ifndef UNTRANSPOSE_ORDERS_H
#define UNTRANSPOSE_ORDERS_H

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

// The most columns an order given by hand may have: one per byte of the
// longest text.
inline constexpr std::size_t MOST_ORDER_COLUMNS = 9999;

// The ranks of a keyword's letters, in either case, other bytes passed
// over: alphabetical order, repeated letters ranked left to right, so
// that ZEBRAS gives 6 3 2 4 1 5.  Returns K, or 0 if the keyword has no
// letters or more than ranks.size().
[[nodiscard]] std::size_t keyword_ranks(std::string_view keyword, std::span<std::int32_t> ranks) noexcept;

// Parses ranks written as decimal numbers separated by commas, with
// spaces allowed around them: "6,3,2,4,1,5".  Returns K, or 0 if they are
// not the numbers 1 to K in some order, or more than ranks.size().
[[nodiscard]] std::size_t parse_ranks(std::string_view list, std::span<std::int32_t> ranks) noexcept;

// Ranks with ties, as a Myszkowski key has them: equal letters of a
// keyword, or equal numbers in a list ("4,3,2,1,4,3", the numbers 1 to M
// each at least once), share a rank.  `ranks` gets the ranks with the
// ties broken from left to right, as keyword_ranks gives them, and
// tied[j] whether the column read j-th shares its rank with the one read
// before it.  Return K, or 0 as keyword_ranks and parse_ranks do.
[[nodiscard]] std::size_t keyword_tied_ranks(std::string_view keyword, std::span<std::int32_t> ranks,
                                             std::span<std::uint8_t> tied) noexcept;
[[nodiscard]] std::size_t parse_tied_ranks(std::string_view list, std::span<std::int32_t> ranks,
                                           std::span<std::uint8_t> tied) noexcept;

// The read order of `ranks`, into `order` of the same size.
void read_order(std::span<const std::int32_t> ranks, std::span<std::int32_t> order) noexcept;

// The ranks of a read order, into `ranks` of the same size.
void ranks_of(std::span<const std::int32_t> order, std::span<std::int32_t> ranks) noexcept;

// A keyword of distinct letters with these ranks, for K of at most 26:
// the column of rank r gets the r-th letter of the alphabet.  Returns
// false, writing nothing, for more than 26 columns.
bool keyword_of(std::span<const std::int32_t> ranks, std::span<char> letters) noexcept;

#endif
