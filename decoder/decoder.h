// The two text transforms of one case: normalising a text line, then
// undoing the column transposition.  Both are pure: they touch only the
// buffers they are handed, allocate nothing and never fail.
#ifndef UNTRANSPOSE_DECODER_H
#define UNTRANSPOSE_DECODER_H

#include <cstddef>
#include <cstdint>
#include <span>

// Size of each working buffer: a text of at most 9999 bytes and a zero byte.
inline constexpr std::size_t BUFFER_SIZE = 10000;

// Upper-cases the ASCII letters a-z of `line` in place and copies every byte
// of it but the space (0x20) to the front of `compact`, in order.  The line
// ends at its first zero byte, if it has one; bytes after that are not
// touched.  Returns the number of bytes copied, L.  Bytes of `compact` from
// L on that were zero are zero afterwards, so a zero-filled buffer holds a
// zero-terminated text; none past the first line.size() is touched.  At
// most compact.size() bytes of `line` are considered.
[[nodiscard]] std::size_t normalize_text(std::span<char> line,
                                         std::span<char> compact) noexcept;

// Decodes the first `length` bytes of `compact` as a text written row by
// row into rows of `key` bytes and read out column by column: the text is
// poured into the columns of a `key`-wide grid of `length` cells, and the
// grid is read back row by row into positions 0 to length-1 of `output`.
// No other byte of `output` is written.  A key of 1 or less, or of at least
// `length`, copies the text unchanged.  `length` is cut to the smaller of
// the two buffers.
void decode_columns(std::span<const char> compact, std::size_t length,
                    std::int32_t key, std::span<char> output) noexcept;

#endif
