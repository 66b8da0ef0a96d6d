#include "decoder.h"
#include "kernels.h"
#include "small_bytes.h"

#include <algorithm>

namespace {

// Column c of the grid holds the cells c, c + key, c + 2 key, ... below
// length.  The first length % key columns are one cell taller.
void decode_portable(const char *text, std::size_t length, std::size_t key, char *out) noexcept
{
	const std::size_t rows = length / key;
	const std::size_t tall = length % key;
	for (std::size_t c = 0; c < key; c++) {
		const std::size_t height = rows + (c < tall ? 1 : 0);
		char *cell = out + c;
		for (std::size_t r = 0; r < height; r++, cell += key)
			*cell = *text++;
	}
}

// The placement loop with the start of each column chosen by a
// conditional move, not a branch: on short texts a mispredicted branch per
// column costs more than the bytes.
void decode_short(const char *text, std::size_t length, std::size_t key, char *out) noexcept
{
	std::size_t p = 0, c = 0;
	for (std::size_t i = 0; i < length; i++) {
		out[p] = text[i];
		p += key;
		const bool wrap = p >= length;
		c += wrap;
		p = wrap ? c : p;
	}
}

} // namespace

std::span<const decode_kernel> decode_kernels() noexcept
{
	static constexpr decode_kernel kernels[] = {
#if defined(__x86_64__)
	    {"avx512 small", has_avx512_permute, 64, decode_avx512_small},
	    {"sse2 blocks", always_available, BUFFER_SIZE, decode_sse2_blocks},
	    {"avx2 tall", has_avx2, BUFFER_SIZE, decode_avx2_tall},
	    {"ssse3 wide", has_ssse3, BUFFER_SIZE, decode_ssse3_wide},
	    {"ssse3 narrow", has_ssse3, BUFFER_SIZE, decode_ssse3_narrow},
#endif
	    {"short", always_available, BUFFER_SIZE, decode_short},
	    {"portable", always_available, BUFFER_SIZE, decode_portable},
	};
	return kernels;
}

void decode_columns(std::span<const char> compact, std::size_t length,
                    std::int32_t key, std::span<char> output) noexcept
{
	length = std::min({length, compact.size(), output.size()});
#if defined(__x86_64__)
	if (length <= TINY_LENGTH && compact.size() >= TINY_LENGTH && output.size() >= TINY_LENGTH && x86().ssse3)
		return decode_ssse3_tiny(compact.data(), length, key, output.data());
#endif

	// Negative keys describe no grid; they are read as one column, which
	// leaves the text as it is, and so does a grid no taller than one row.
	if (key <= 1 || static_cast<std::size_t>(key) >= length) {
		copy_bytes(output.data(), compact.data(), length);
		return;
	}
	const auto columns = static_cast<std::size_t>(key);
#if defined(__x86_64__)
	// Each shape of grid to the kernel that has vector steps for it: grids
	// of fewer than 16 columns are transposed a row of each at a time,
	// grids of 16 rows and 32 columns or more with AVX2, and other grids of
	// fewer than 64 rows, a part of equal runs at a time, and the rest, or
	// all grids of 8 rows and columns without SSSE3, in blocks across the
	// whole grid.
	if (length <= 64 && x86().avx512_permute)
		return decode_avx512_small(compact.data(), length, columns, output.data());
	if (length < SHORT_LENGTH && compact.size() >= SHORT_LENGTH && output.size() >= SHORT_LENGTH && x86().ssse3)
		return decode_ssse3_short(compact.data(), length, columns, output.data());
	const std::size_t rows = length / columns;
	if (x86().ssse3 && length >= 64) {
		if (columns < 16 && rows >= 16)
			return decode_ssse3_narrow(compact.data(), length, columns, output.data());
		if (rows >= 16 && columns >= 32 && x86().avx2)
			return decode_avx2_tall(compact.data(), length, columns, output.data());
		if (rows < 64)
			return decode_ssse3_wide(compact.data(), length, columns, output.data());
	}
	if (rows >= 8 && columns >= 8)
		return decode_sse2_blocks(compact.data(), length, columns, output.data());
#endif
	if (length <= 64)
		return decode_short(compact.data(), length, columns, output.data());
	decode_portable(compact.data(), length, columns, output.data());
}
