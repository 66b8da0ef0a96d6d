#include "letter_folding.h"

#include <algorithm>
#include <cstdint>

namespace {

struct letter_fold {
	std::uint16_t point;
	char letters[3];
};

#include "letter_folding.inc"

// The code point of the two or three bytes at `at`, if they encode a
// letter of the table's ranges (U+00C0 to U+024F, U+1E00 to U+1EFF), or 0;
// `size` is set to the bytes it takes.
std::uint32_t latin_letter(std::span<const char> text, std::size_t at, std::size_t &size)
{
	const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
	const auto continues = [&](std::size_t i) { return i < text.size() && (byte(i) & 0xc0) == 0x80; };
	if (byte(at) >= 0xc3 && byte(at) <= 0xc9 && continues(at + 1)) {
		size = 2;
		return (byte(at) & 0x1fu) << 6 | (byte(at + 1) & 0x3fu);
	}
	if (byte(at) == 0xe1 && at + 1 < text.size() && byte(at + 1) >= 0xb8 && byte(at + 1) <= 0xbb &&
	    continues(at + 2)) {
		size = 3;
		return 0x1000u | (byte(at + 1) & 0x3fu) << 6 | (byte(at + 2) & 0x3fu);
	}
	return 0;
}

} // namespace

std::size_t fold_letters(std::span<char> text) noexcept
{
	std::size_t kept = 0;
	for (std::size_t at = 0; at < text.size();) {
		std::size_t size = 1;
		const std::uint32_t point = latin_letter(text, at, size);
		const letter_fold *found = std::lower_bound(
		    std::begin(LETTER_FOLDS), std::end(LETTER_FOLDS), point,
		    [](const letter_fold &fold, std::uint32_t p) { return fold.point < p; });
		if (point != 0 && found != std::end(LETTER_FOLDS) && found->point == point) {
			for (const char *c = found->letters; *c != '\0'; c++)
				text[kept++] = *c;
		} else {
			for (std::size_t i = 0; i < size; i++)
				text[kept++] = text[at + i];
		}
		at += size;
	}
	return kept;
}
