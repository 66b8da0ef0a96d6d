#include "decoder.h"

#include <algorithm>
#include <cstring>

void decode_columns(std::span<const char> compact, std::size_t length,
                    std::int32_t key, std::span<char> output) noexcept
{
	length = std::min({length, compact.size(), output.size()});
	const char *in = compact.data();
	char *out = output.data();

	// Negative keys describe no grid; they are read as one column, which
	// leaves the text as it is, and so does a grid no taller than one row.
	if (key <= 1 || static_cast<std::size_t>(key) >= length) {
		if (length > 0)
			std::memcpy(out, in, length);
		return;
	}

	// Column c of the grid holds the cells c, c + key, c + 2 key, ...
	// below length.  The first length % key columns are one cell taller.
	const auto columns = static_cast<std::size_t>(key);
	const std::size_t rows = length / columns;
	const std::size_t tall = length % columns;
	for (std::size_t c = 0; c < columns; c++) {
		const std::size_t height = rows + (c < tall ? 1 : 0);
		char *cell = out + c;
		for (std::size_t r = 0; r < height; r++, cell += columns)
			*cell = *in++;
	}
}
