// The block permutation: the text written in rows of K cells, and each row
// read out in the key's order, the column ranked 1 first, so that every
// block of K letters is rearranged the same way.  A short last row reads
// the cells it has, in the same order.  Pure: no allocation.
#ifndef UNTRANSPOSE_PERMUTATION_H
#define UNTRANSPOSE_PERMUTATION_H

#include "cipher_types.h"

// The fewest columns whose order, repeated block after block, rearranges
// a text as `order` does: for 2,1,4,3 that is 2, for its first two ranks.
[[nodiscard]] std::size_t fewest_columns(std::span<const std::int32_t> order) noexcept;

void encipher_permutation(const cipher_key &key, std::span<const char> text, std::span<char> out) noexcept;
void decipher_permutation(const cipher_key &key, std::span<const char> cipher, std::span<char> out) noexcept;

#endif
