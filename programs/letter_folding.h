// People type their ciphers and keywords with the letters of their
// language; the programs read A-Z.  Accented Latin letters are folded as
// the language tables fold them: the umlauts and sharp s to AE, OE, UE and
// SS, ligatures to two letters, and other accents dropped.
#ifndef UNTRANSPOSE_LETTER_FOLDING_H
#define UNTRANSPOSE_LETTER_FOLDING_H

#include <cstddef>
#include <span>

// Replaces each UTF-8 encoded Latin letter of `text` that folds with the
// letters it folds to, in its case, in place; every other byte is kept.
// A letter never folds to more bytes than it is written in.  Returns the
// text's new length; nothing after it is written.
[[nodiscard]] std::size_t fold_letters(std::span<char> text) noexcept;

#endif
