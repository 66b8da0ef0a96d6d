// Grids of 8 rows and 8 columns or more, transposed in blocks across the
// whole grid: 8 columns by 16 rows in SSE2 registers, and, with AVX2,
// grids of 16 rows and 32 columns or more 32 columns by 16 rows, two
// blocks of 16 in the two halves of each register, a part of equal runs
// at a time.
#if defined(__x86_64__)

#include "kernels.h"
#include "transposes_x86.h"

#include <algorithm>
#include <cstdint>
#include <immintrin.h>

// The grid is transposed 8 columns by 16 rows at a time in SSE2
// registers: one 16-byte load from each column's run, unpacked into rows.
// The last group of columns, and of rows, moves back to end at the grid's
// edge and overlaps the one before it, so the cells they share are written
// twice, with the same bytes.  A grid of fewer than 16 rows is one group
// deep: its loads reach into the next runs, and only its real rows are
// stored.  The columns too near the text's end for such a load, the last,
// partial row, and grids of fewer than 8 rows or columns go one cell at a
// time.
void decode_sse2_blocks(const char *text, std::size_t length, std::size_t key, char *out) noexcept
{
	const std::size_t rows = length / key;
	const std::size_t tall = length % key;
	if (rows < 8 || key < 8)
		return place_rows_from(text, length, key, 0, out);
	const auto start = [&](std::size_t c) { return c * rows + (c < tall ? c : tall); };
	const std::size_t depth = std::min<std::size_t>(rows, 16);
	std::size_t loadable = key;
	while (loadable > 0 && start(loadable - 1) + 16 > length)
		loadable--;
	if (loadable < 8)
		loadable = 0;

	for (std::size_t next_column = 0; next_column < loadable; next_column += 8) {
		const std::size_t c = std::min(next_column, loadable - 8);
		for (std::size_t next_row = 0; next_row < rows; next_row += 16) {
			const std::size_t r = std::min(next_row, rows - depth);
			__m128i v[8];
			for (std::size_t j = 0; j < 8; j++)
				v[j] = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + start(c + j) + r));
			place_eight_columns(v, out + r * key + c, key, depth);
		}
	}
	for (std::size_t c = loadable; c < key; c++)
		for (std::size_t r = 0; r < rows; r++)
			out[r * key + c] = text[start(c) + r];
	for (std::size_t c = 0; c < tall; c++)
		out[rows * key + c] = text[start(c) + rows];
}

namespace {

// transpose_16_by_16 in each 128-bit lane of AVX2 registers.
__attribute__((target("avx2"))) inline void transpose_16_by_16_lanes(const __m256i (&w)[16],
                                                                     __m256i (&rows)[16]) noexcept
{
	__m256i a[16], b[16], d[16];
	for (std::size_t i = 0; i < 16; i += 2) {
		a[i] = _mm256_unpacklo_epi8(w[i], w[i + 1]);
		a[i + 1] = _mm256_unpackhi_epi8(w[i], w[i + 1]);
	}
	for (std::size_t g = 0; g < 4; g++) {
		b[4 * g] = _mm256_unpacklo_epi16(a[4 * g], a[4 * g + 2]);
		b[4 * g + 1] = _mm256_unpackhi_epi16(a[4 * g], a[4 * g + 2]);
		b[4 * g + 2] = _mm256_unpacklo_epi16(a[4 * g + 1], a[4 * g + 3]);
		b[4 * g + 3] = _mm256_unpackhi_epi16(a[4 * g + 1], a[4 * g + 3]);
	}
	for (std::size_t h = 0; h < 2; h++)
		for (std::size_t q = 0; q < 4; q++) {
			d[8 * h + 2 * q] = _mm256_unpacklo_epi32(b[8 * h + q], b[8 * h + 4 + q]);
			d[8 * h + 2 * q + 1] = _mm256_unpackhi_epi32(b[8 * h + q], b[8 * h + 4 + q]);
		}
	for (std::size_t j = 0; j < 8; j++) {
		rows[2 * j] = _mm256_unpacklo_epi64(d[j], d[8 + j]);
		rows[2 * j + 1] = _mm256_unpackhi_epi64(d[j], d[8 + j]);
	}
}

// The rows every column has, of the 16 columns from `first` on, each
// loaded from its own start, 16 rows at a time, the last 16 moved back to
// end at the last of those rows.
void transpose_edge_columns(const char *text, std::size_t length, std::size_t key, std::size_t first,
                            char *out) noexcept
{
	const std::size_t rows = length / key;
	const std::size_t tall = length % key;
	const char *run[16];
	for (std::size_t i = 0; i < 16; i++) {
		const std::size_t c = first + i;
		run[i] = text + c * rows + (c < tall ? c : tall);
	}
	for (std::size_t next_row = 0; next_row < rows; next_row += 16) {
		const std::size_t r = std::min(next_row, rows - 16);
		__m128i w[16], row[16];
		for (std::size_t i = 0; i < 16; i++)
			w[i] = _mm_loadu_si128(reinterpret_cast<const __m128i *>(run[i] + r));
		transpose_16_by_16(w, row);
		for (std::size_t i = 0; i < 16; i++)
			_mm_storeu_si128(reinterpret_cast<__m128i *>(out + (r + i) * key + first), row[i]);
	}
}

// transpose_tall_runs 32 columns at a time: runs c to c + 15 in the low
// lanes and c + 16 to c + 31 in the high, so that each row register holds
// 32 adjacent output bytes.  The columns left over, from 16 columns or
// more, go 16 at a time as there, the last 16 moved back to end at the
// last column.
__attribute__((target("avx2")))
void transpose_tall_runs_avx2(const char *from, std::size_t count, std::size_t height, char *out,
                              std::size_t key) noexcept
{
	std::size_t c = 0;
	for (; c + 32 <= count; c += 32)
		for (std::size_t next_row = 0; next_row < height; next_row += 16) {
			const std::size_t r = std::min(next_row, height - 16);
			const char *run = from + c * height + r;
			char *row = out + r * key + c;
			__m256i w[16], rows[16];
			for (std::size_t i = 0; i < 16; i++, run += height)
				w[i] = _mm256_loadu2_m128i(reinterpret_cast<const __m128i_u *>(run + 16 * height),
				                           reinterpret_cast<const __m128i_u *>(run));
			transpose_16_by_16_lanes(w, rows);
			for (std::size_t i = 0; i < 16; i++, row += key)
				_mm256_storeu_si256(reinterpret_cast<__m256i *>(row), rows[i]);
		}
	if (c == count)
		return;
	if (count - c < 16)
		c = count - 16;
	transpose_tall_runs(from + c * height, count - c, height, out + c, key);
}

} // namespace

// Grids of 16 rows or more and 16 columns or more, each part of equal runs
// 32 columns at a time.  A part of fewer than 16 columns has no group of
// its own: 16 columns at the grid's edge, some of them the other part's,
// are loaded each at its own start and transposed together down to the
// rows every column has, and the tall columns' last cells go one at a
// time.
__attribute__((target("avx2")))
void decode_avx2_tall(const char *text, std::size_t length, std::size_t key, char *out) noexcept
{
	const std::size_t rows = length / key;
	const std::size_t tall = length % key;
	if (rows < 16 || key < 16)
		return decode_ssse3_wide(text, length, key, out);
	const char *const rest = text + tall * (rows + 1);
	if (tall >= 16)
		transpose_tall_runs_avx2(text, tall, rows + 1, out, key);
	else if (tall > 0) {
		transpose_edge_columns(text, length, key, 0, out);
		for (std::size_t c = 0; c < tall; c++)
			out[rows * key + c] = text[(c + 1) * (rows + 1) - 1];
	}
	if (key - tall >= 16)
		transpose_tall_runs_avx2(rest, key - tall, rows, out + tall, key);
	else
		transpose_edge_columns(text, length, key, key - 16, out);
}

#endif
