// AMSCO: the text written in rows of K cells holding one or two letters in
// a checkerboard (the cell in row r and column c, both from 0, holds the
// start's number of letters when r + c is even, the other number when
// odd; the last cell may hold fewer), and the columns read out in the
// key's order, each from top to bottom, each cell's letters in order.
// ABCDEFGHIJ with the order 2,1,3 and the start 1 is BCGAEFJDHI.  The
// key's offset is the start less one.  Pure: no allocation.
#ifndef UNTRANSPOSE_AMSCO_H
#define UNTRANSPOSE_AMSCO_H

#include "cipher_types.h"

// Two starts, whatever the number of columns: one letter first, or two.
[[nodiscard]] std::int64_t amsco_starts(std::int64_t columns) noexcept;

void encipher_amsco(const cipher_key &key, std::span<const char> text, std::span<char> out) noexcept;
void decipher_amsco(const cipher_key &key, std::span<const char> cipher, std::span<char> out) noexcept;

#endif
