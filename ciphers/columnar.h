// The column transposition as a type of the list: the text written in
// rows of K cells and the columns read out, from left to right or in a
// key's order.  The transforms themselves are in keyed_columns.h.
#ifndef UNTRANSPOSE_COLUMNAR_H
#define UNTRANSPOSE_COLUMNAR_H

#include "cipher_types.h"

void encipher_columnar(const cipher_key &key, std::span<const char> text, std::span<char> out) noexcept;
void decipher_columnar(const cipher_key &key, std::span<const char> cipher, std::span<char> out) noexcept;

#endif
