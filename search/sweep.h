// The search for a type whose keys are few enough to try them all: every
// number (of rails, say) in a range and every offset of each, each
// decoding scored against a language.  Pure: no I/O, no allocation; the
// caller lends the buffers.
#ifndef UNTRANSPOSE_SWEEP_H
#define UNTRANSPOSE_SWEEP_H

#include <cstddef>
#include <cstdint>
#include <span>

#include "cipher_types.h"
#include "scoring.h"

struct sweep_answer {
	std::int64_t number;
	std::int64_t offset;
	std::int64_t route;
	key_score score;
};

// The most a number goes to by default: half the text's length, at most
// MOST_SWEPT_NUMBER, at least the type's least.  Some N squared keys are
// tried, each decoding costing the text's length.
inline constexpr std::int64_t MOST_SWEPT_NUMBER = 500;
[[nodiscard]] std::int64_t sweep_most_number(const cipher_type &type, std::size_t length) noexcept;

// Some SWEEP_BUDGET bytes of decodings are made at most: enough for every
// key up to the default most of a 9,999-byte text.  The most a number may
// go to from `least` within it, for a text of `length` bytes; less than
// `most` when the range asked for costs more, and less than `least` when
// even that costs too much.
inline constexpr std::uint64_t SWEEP_BUDGET = std::uint64_t{1} << 32;
[[nodiscard]] std::int64_t sweep_most_within_budget(const cipher_type &type, std::size_t length, std::int64_t least,
                                                    std::int64_t most) noexcept;

// Tries, on the compact text, every number of `type` from `least` to
// `most` (from the type's least, and below the text's length) and every offset
// of each, within the budget.  The best answers fill `best`, best first: those holding more
// of `cribs` first, then the higher scoring, a tie going to the smaller
// number, then offset.  Long texts are sifted on each decoding's first
// letters, as the plain sweep sifts them, keeping as many as `sifted`
// holds.  `decoded` is scratch of the text's size.  Returns how many
// `best` holds: none when no key is within the range and the budget.
std::size_t sweep_keys(const cipher_type &type, const language_model &model, std::span<const char> compact,
                       std::int64_t least, std::int64_t most, std::span<sweep_answer> best, std::span<sweep_answer> sifted,
                       std::span<char> decoded, const crib_list *cribs) noexcept;

#endif
