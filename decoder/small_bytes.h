// Copying, clearing and searching a few bytes without a call.  Most cases
// are short, and a call into the C library for a handful of bytes costs
// more than the bytes do: up to 16 bytes are moved as two loads and two
// stores that may overlap, and never touch a byte outside the range.
#ifndef UNTRANSPOSE_SMALL_BYTES_H
#define UNTRANSPOSE_SMALL_BYTES_H

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

inline void copy_bytes(char *to, const char *from, std::size_t count) noexcept
{
	if (count > 16) {
		std::memcpy(to, from, count);
	} else if (count >= 8) {
		std::uint64_t head, tail;
		std::memcpy(&head, from, 8);
		std::memcpy(&tail, from + count - 8, 8);
		std::memcpy(to, &head, 8);
		std::memcpy(to + count - 8, &tail, 8);
	} else if (count >= 4) {
		std::uint32_t head, tail;
		std::memcpy(&head, from, 4);
		std::memcpy(&tail, from + count - 4, 4);
		std::memcpy(to, &head, 4);
		std::memcpy(to + count - 4, &tail, 4);
	} else if (count > 0) {
		const char first = from[0], middle = from[count / 2], last = from[count - 1];
		to[0] = first;
		to[count / 2] = middle;
		to[count - 1] = last;
	}
}

// Short texts in buffers that have room to spare are moved as a fixed
// SHORT_SPAN bytes whatever their length, so that no branch depends on the
// length: with lengths that vary from case to case, such a branch is
// mispredicted often and costs more than the bytes.  The bytes go in
// 16-byte pieces, so that each 16-byte load of the next step finds them
// in one store: a load that spans several recent stores waits for them to
// reach the cache.  Texts of at most 16 bytes, the most common, take one
// piece.
inline constexpr std::size_t SHORT_SPAN = 64;
inline constexpr std::size_t PIECE = 16;

// The mask of the first `count` bytes in memory of a 64-bit word.
constexpr std::uint64_t first_bytes(std::size_t count) noexcept
{
	if (count >= 8)
		return ~std::uint64_t{0};
	const std::uint64_t low = (std::uint64_t{1} << (8 * count)) - 1;
	return std::endian::native == std::endian::little ? low : ~(~std::uint64_t{0} >> (8 * count));
}

// Copies `count` <= SHORT_SPAN bytes.  Reads up to SHORT_SPAN bytes at
// `from` and writes as many at `to`, zeros after the first `count`.
// WebAssembly without its vector extension has no vector registers: there
// the compiler splits each vector into its 16 bytes, and the words below
// are many times quicker.
#if defined(__GNUC__) && !(defined(__wasm__) && !defined(__wasm_simd128__))
using piece_bytes = signed char __attribute__((vector_size(PIECE)));

inline void copy_short(char *to, const char *from, std::size_t count) noexcept
{
	piece_bytes lanes;
	for (signed char lane = 0; lane < static_cast<signed char>(PIECE); lane++)
		lanes[lane] = lane;
	const auto end = static_cast<signed char>(count);
	const auto piece = [&](std::size_t at) {
		piece_bytes bytes;
		std::memcpy(&bytes, from + at, PIECE);
		bytes &= lanes + static_cast<signed char>(at) < end;
		std::memcpy(to + at, &bytes, PIECE);
	};
	piece(0);
	if (count > PIECE)
		for (std::size_t at = PIECE; at < SHORT_SPAN; at += PIECE)
			piece(at);
}
#else
inline void copy_short(char *to, const char *from, std::size_t count) noexcept
{
	const std::size_t pieces = count > PIECE ? SHORT_SPAN : PIECE;
	for (std::size_t at = 0; at < pieces; at += 8) {
		std::uint64_t word;
		std::memcpy(&word, from + at, 8);
		word &= first_bytes(count > at ? count - at : 0);
		std::memcpy(to + at, &word, 8);
	}
}
#endif

// Zeroes up to SHORT_SPAN bytes at `to`, when at most the first `count` of
// them can be nonzero, and otherwise `count` bytes.
inline void clear_written(char *to, std::size_t count) noexcept
{
	static constexpr char zeros[SHORT_SPAN] = {};
	if (count > SHORT_SPAN)
		std::memset(to, 0, count);
	else if (count > PIECE)
		std::memcpy(to, zeros, SHORT_SPAN);
	else
		std::memcpy(to, zeros, PIECE);
}

// The place of the first `byte` among the SHORT_SPAN bytes at `from`, or
// SHORT_SPAN when there is none.
#if defined(__SSE2__)
inline std::size_t find_short(const char *from, char byte) noexcept
{
	const __m128i wanted = _mm_set1_epi8(byte);
	const auto found_in = [&](std::size_t at) {
		const __m128i piece = _mm_loadu_si128(reinterpret_cast<const __m128i *>(from + at));
		return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(piece, wanted))))
		       << at;
	};
	std::uint64_t found = found_in(0);
	if (found == 0)
		found = found_in(16) | found_in(32) | found_in(48);
	return static_cast<std::size_t>(std::countr_zero(found));
}
#else
inline std::size_t find_short(const char *from, char byte) noexcept
{
	constexpr std::uint64_t ones = 0x0101010101010101u, lows = 0x7f7f7f7f7f7f7f7fu;
	for (std::size_t at = 0; at < SHORT_SPAN; at += 8) {
		std::uint64_t word;
		std::memcpy(&word, from + at, 8);
		word ^= ones * static_cast<unsigned char>(byte);
		// A byte of `found` has its high bit set exactly where `word` has
		// a zero byte, with no carries between bytes.
		const std::uint64_t found = ~(((word & lows) + lows) | word | lows);
		if (found != 0)
			return at + static_cast<std::size_t>(std::endian::native == std::endian::little
			                                         ? std::countr_zero(found) / 8
			                                         : std::countl_zero(found) / 8);
	}
	return SHORT_SPAN;
}
#endif

#endif
