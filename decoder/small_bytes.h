// Copying and clearing a few bytes without a call.  Most cases are short,
// and a call into the C library for a handful of bytes costs more than
// the bytes do: up to 16 bytes are moved as two loads and two stores that
// may overlap, and never touch a byte outside the range.
#ifndef UNTRANSPOSE_SMALL_BYTES_H
#define UNTRANSPOSE_SMALL_BYTES_H

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

inline void clear_bytes(char *to, std::size_t count) noexcept
{
	if (count > 16) {
		std::memset(to, 0, count);
	} else if (count >= 8) {
		const std::uint64_t zero = 0;
		std::memcpy(to, &zero, 8);
		std::memcpy(to + count - 8, &zero, 8);
	} else if (count >= 4) {
		const std::uint32_t zero = 0;
		std::memcpy(to, &zero, 4);
		std::memcpy(to + count - 4, &zero, 4);
	} else if (count > 0) {
		to[0] = 0;
		to[count / 2] = 0;
		to[count - 1] = 0;
	}
}

#endif
