// The Myszkowski transposition: the text written in rows of K cells, the
// columns ranked by their keyword's letters, and the columns of one rank
// read out together, row by row, left to right within each row, the ranks
// in turn.  WEAREDISCOVEREDFLEEATONCE with TOMATO is
// ROFOACDTEDSEEEACWEIVRLENE.  A key is a read order with its ties: the
// columns of one rank are read one after another in it.  Pure: no
// allocation.
#ifndef UNTRANSPOSE_MYSZKOWSKI_H
#define UNTRANSPOSE_MYSZKOWSKI_H

#include "cipher_types.h"

void encipher_myszkowski(const cipher_key &key, std::span<const char> text, std::span<char> out) noexcept;
void decipher_myszkowski(const cipher_key &key, std::span<const char> cipher, std::span<char> out) noexcept;

#endif
