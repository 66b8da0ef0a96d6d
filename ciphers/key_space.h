// How many keys a type has, as log10 of the count in millionths: what an
// answer of the type pays to be believed against answers of other types.
// Whole numbers throughout, so that every platform compares alike.
#ifndef UNTRANSPOSE_KEY_SPACE_H
#define UNTRANSPOSE_KEY_SPACE_H

#include <cstdint>

// log10 n in millionths, for n of 1 or more: exact to the millionth up to
// 100, and above that within a few thousandths.
[[nodiscard]] std::int64_t log10_millionths(std::int64_t n) noexcept;

// log10 n!, in millionths: the orders of n columns.
[[nodiscard]] std::int64_t log10_factorial_millionths(std::int64_t n) noexcept;

// log10 of the orders of n columns whose ranks may tie (the ordered Bell
// numbers), in millionths, within a thousandth for n past 2.
[[nodiscard]] std::int64_t log10_tied_orders_millionths(std::int64_t n) noexcept;

#endif
