// The second key of a double columnar transposition, climbed to with no
// plain text: a second key is scored by the text it leaves when undone,
// whose runs for the first key's width should each stand well beside
// another, as a keyed column transposition's columns do.  Pure: the
// caller lends the scratch.
#ifndef UNTRANSPOSE_SECOND_KEY_CLIMB_H
#define UNTRANSPOSE_SECOND_KEY_CLIMB_H

#include "double_search.h"
#include "random_bits.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>

// How well a second key fits: its pair fit, the sum over the runs left of
// each run's best partner beside it, and its wrapped fit, each run's best
// partner going on from the end of its row, to tell keys of one pair fit
// apart.
struct second_fit {
	std::int64_t beside;
	std::int64_t wrapped;
};

// The cipher's symbols with the keyed columns of `second` undone.
void undo_second(std::span<const std::uint8_t> cipher, std::span<const std::int32_t> second, std::uint8_t *out) noexcept;

// Climbs from `second` by random swaps and moves of blocks of its
// columns, then by every swap and every move of one column in turn, while
// they raise its fit to a first key of `columns` columns.
second_fit climb_second(const double_search &s, std::size_t columns, std::span<std::int32_t> second,
                        random_bits &random, double_scratch &w, const std::atomic<bool> *stop) noexcept;

#endif
