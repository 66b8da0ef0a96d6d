#include "decoder.h"
#include "kernels.h"

#include <algorithm>
#include <cstring>

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

} // namespace

std::span<const decode_kernel> decode_kernels() noexcept
{
	static constexpr decode_kernel kernels[] = {
#if defined(__x86_64__)
	    {"avx512 small", has_avx512_permute, 64, decode_avx512_small},
	    {"sse2 blocks", always_available, BUFFER_SIZE, decode_sse2_blocks},
#endif
	    {"portable", always_available, BUFFER_SIZE, decode_portable},
	};
	return kernels;
}

void decode_columns(std::span<const char> compact, std::size_t length,
                    std::int32_t key, std::span<char> output) noexcept
{
	length = std::min({length, compact.size(), output.size()});

	// Negative keys describe no grid; they are read as one column, which
	// leaves the text as it is, and so does a grid no taller than one row.
	if (key <= 1 || static_cast<std::size_t>(key) >= length) {
		if (length > 0)
			std::memcpy(output.data(), compact.data(), length);
		return;
	}
	const auto columns = static_cast<std::size_t>(key);
#if defined(__x86_64__)
	if (length <= 64 && has_avx512_permute())
		return decode_avx512_small(compact.data(), length, columns, output.data());
	return decode_sse2_blocks(compact.data(), length, columns, output.data());
#else
	decode_portable(compact.data(), length, columns, output.data());
#endif
}
