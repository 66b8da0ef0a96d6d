// The implementations behind normalize_text and decode_columns, one per
// instruction set, so that tests can hold each against a plain model on
// whatever processor they run on.
#ifndef UNTRANSPOSE_KERNELS_H
#define UNTRANSPOSE_KERNELS_H

#include <cstddef>
#include <cstdint>
#include <span>

// Each kernel upper-cases line[0, size), or the part before its first zero
// byte, in place and writes its bytes but spaces to compact, returning
// their count L.  compact must hold size
// bytes.  Bytes of compact from L on that were zero are zero afterwards,
// and nothing at or past compact + size is touched.
using normalize_kernel_fn = std::size_t (*)(char *line, std::size_t size, char *compact) noexcept;

// Normalises line[from, size) after `length` bytes already in compact,
// stopping at a zero byte, and returns the new length.  Branch-free:
// whether a byte is a letter or a space is data, not control flow, since
// mixed text makes both branches unpredictable.  Every byte is stored at
// the write index, which advances past all but spaces; a space stored last
// is then overwritten with a zero.  The portable kernel is this from 0,
// and vector kernels finish their tails with it.
inline std::size_t normalize_from(char *line, std::size_t from, std::size_t size, char *compact,
                                  std::size_t length) noexcept
{
	for (std::size_t i = from; i < size; i++) {
		const auto byte = static_cast<unsigned char>(line[i]);
		if (byte == 0)
			break;
		const auto lower = static_cast<unsigned char>(byte - 'a') < 26;
		const auto upper = static_cast<char>(byte - (lower ? 'a' - 'A' : 0));
		line[i] = upper;
		compact[length] = upper;
		length += upper != ' ';
	}
	if (length < size)
		compact[length] = '\0';
	return length;
}

// The availability test of the portable kernels.
inline bool always_available() noexcept
{
	return true;
}

struct normalize_kernel {
	const char *name;
	bool (*available)() noexcept;
	normalize_kernel_fn run;
};

// Fastest first; the last, portable C++, is always available.
std::span<const normalize_kernel> normalize_kernels() noexcept;

// Each kernel decodes text[0, length) with 2 <= key < length into
// out[0, length) and writes nothing else; it handles lengths up to
// max_length.
using decode_kernel_fn = void (*)(const char *text, std::size_t length, std::size_t key, char *out) noexcept;

struct decode_kernel {
	const char *name;
	bool (*available)() noexcept;
	std::size_t max_length;
	decode_kernel_fn run;
};

std::span<const decode_kernel> decode_kernels() noexcept;

#if defined(__x86_64__)
// What the processor offers, asked once: the answer cannot change while
// the program runs, and asking costs more than a short case does.  The
// questions are in cpu_features_x86.cpp.
struct x86_features {
	bool ssse3;
	bool avx2;
	bool avx512_compress;
	bool avx512_permute;
};
bool has_avx512_compress() noexcept;
bool has_ssse3() noexcept;
bool has_avx2() noexcept;
bool has_avx512_permute() noexcept;

// Inline, so that the test costs a load and a branch, not calls.
inline const x86_features &x86() noexcept
{
	static const x86_features features{has_ssse3(), has_avx2(), has_avx512_compress(), has_avx512_permute()};
	return features;
}
std::size_t normalize_avx512(char *line, std::size_t size, char *compact) noexcept;
std::size_t normalize_ssse3(char *line, std::size_t size, char *compact) noexcept;
std::size_t normalize_avx2(char *line, std::size_t size, char *compact) noexcept;
void decode_avx512_small(const char *text, std::size_t length, std::size_t key, char *out) noexcept;
void decode_sse2_blocks(const char *text, std::size_t length, std::size_t key, char *out) noexcept;
void decode_ssse3_wide(const char *text, std::size_t length, std::size_t key, char *out) noexcept;
void decode_avx2_tall(const char *text, std::size_t length, std::size_t key, char *out) noexcept;
void decode_ssse3_narrow(const char *text, std::size_t length, std::size_t key, char *out) noexcept;
// Texts of at most TINY_LENGTH bytes with any key; text and out must have
// TINY_LENGTH bytes of room.
inline constexpr std::size_t TINY_LENGTH = 16;
void decode_ssse3_tiny(const char *text, std::size_t length, std::int32_t key, char *out) noexcept;
// Texts of fewer than SHORT_LENGTH bytes with 2 <= key < length; text and
// out must have SHORT_LENGTH bytes of room.
inline constexpr std::size_t SHORT_LENGTH = 64;
void decode_ssse3_short(const char *text, std::size_t length, std::size_t key, char *out) noexcept;
#endif

#endif
