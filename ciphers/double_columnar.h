// The double columnar transposition: a keyed column transposition with the
// first key, then another of its output with the second, each as the keyed
// columns encipher (an incomplete last row, its columns shorter).  Pure:
// no allocation.
#ifndef UNTRANSPOSE_DOUBLE_COLUMNAR_H
#define UNTRANSPOSE_DOUBLE_COLUMNAR_H

#include "cipher_types.h"

#include <cstdint>

// The most columns of either key.
inline constexpr std::int64_t MOST_DOUBLE_COLUMNS = 100;

void encipher_double(const cipher_key &key, std::span<const char> text, std::span<char> out) noexcept;
void decipher_double(const cipher_key &key, std::span<const char> cipher, std::span<char> out) noexcept;

#endif
