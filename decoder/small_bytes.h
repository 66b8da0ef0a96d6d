// Copying and clearing a few bytes without a call.  Most cases are short,
// and a call into the C library for a handful of bytes costs more than
// the bytes do: up to 16 bytes are moved as two loads and two stores that
// may overlap, and never touch a byte outside the range.
#ifndef UNTRANSPOSE_SMALL_BYTES_H
#define UNTRANSPOSE_SMALL_BYTES_H

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

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

// Short texts in buffers that have room to spare are moved as a fixed 16
// bytes whatever their length, so that no branch depends on the length:
// with lengths that vary from case to case, such a branch is mispredicted
// often and costs more than the bytes.
inline constexpr std::size_t SHORT_SPAN = 16;

// The mask of the first `count` bytes in memory of a 64-bit word.
constexpr std::uint64_t first_bytes(std::size_t count) noexcept
{
	if (count >= 8)
		return ~std::uint64_t{0};
	const std::uint64_t low = (std::uint64_t{1} << (8 * count)) - 1;
	return std::endian::native == std::endian::little ? low : ~(~std::uint64_t{0} >> (8 * count));
}

// Copies `count` <= SHORT_SPAN bytes.  Reads SHORT_SPAN bytes at `from` and
// writes SHORT_SPAN bytes at `to`, zeros after the first `count`.  Where
// the compiler has vector types the move is one load and one store of the
// full width: a wider load of bytes just stored in narrower pieces would
// wait for them to reach the cache, and the next step of a case reads
// these bytes at once.
#if defined(__GNUC__)
using short_span_bytes = unsigned char __attribute__((vector_size(SHORT_SPAN)));

inline void copy_short(char *to, const char *from, std::size_t count) noexcept
{
	short_span_bytes bytes, lanes;
	std::memcpy(&bytes, from, SHORT_SPAN);
	for (unsigned char lane = 0; lane < SHORT_SPAN; lane++)
		lanes[lane] = lane;
	bytes &= reinterpret_cast<short_span_bytes>(lanes < static_cast<unsigned char>(count));
	std::memcpy(to, &bytes, SHORT_SPAN);
}
#else
inline void copy_short(char *to, const char *from, std::size_t count) noexcept
{
	std::uint64_t head, tail;
	std::memcpy(&head, from, 8);
	std::memcpy(&tail, from + 8, 8);
	head &= first_bytes(count);
	tail &= first_bytes(count > 8 ? count - 8 : 0);
	std::memcpy(to, &head, 8);
	std::memcpy(to + 8, &tail, 8);
}
#endif

// Zeroes SHORT_SPAN bytes at `to`, when at most the first `count` of them
// can be nonzero, and otherwise `count` bytes.
inline void clear_written(char *to, std::size_t count) noexcept
{
	if (count > SHORT_SPAN) {
		std::memset(to, 0, count);
		return;
	}
	static constexpr char zeros[SHORT_SPAN] = {};
	std::memcpy(to, zeros, SHORT_SPAN);
}

#endif
