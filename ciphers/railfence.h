// The rail fence: the text written in a zigzag over N rails, from the top
// rail down to the bottom and up again, and the rails read from top to
// bottom, each from left to right.  An offset M, from 0 to 2N - 3, starts
// the zigzag as if M letters had been written before the text.  Over 3
// rails, WEAREDISCOVEREDFLEEATONCE is WECRLTEERDSOEEFEAOCAIVDEN.
// Redefence reads the rails in a key's order instead, the rail ranked 1
// first.
#ifndef UNTRANSPOSE_RAILFENCE_H
#define UNTRANSPOSE_RAILFENCE_H

#include "cipher_types.h"

// The most rails a key may have: one per byte of the longest text.
inline constexpr std::int64_t MOST_RAILS = 9999;

// 2N - 2 offsets for N rails.
[[nodiscard]] std::int64_t rail_offsets(std::int64_t rails) noexcept;

void encipher_railfence(const cipher_key &key, std::span<const char> text, std::span<char> out) noexcept;
void decipher_railfence(const cipher_key &key, std::span<const char> cipher, std::span<char> out) noexcept;

#endif
