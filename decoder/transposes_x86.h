// The transposes that several of the x86 decode kernels share: registers
// of column bytes unpacked into registers of rows, runs of one height
// transposed in blocks of 16 or 8 columns, and the cells no vector step
// covered placed one byte at a time.  SSE2, which every x86-64 processor
// has.
#ifndef UNTRANSPOSE_TRANSPOSES_X86_H
#define UNTRANSPOSE_TRANSPOSES_X86_H
#if defined(__x86_64__)

#include <algorithm>
#include <cstddef>
#include <immintrin.h>

// Transposes `Width` (2, 4 or 8) registers of 16 bytes, one per column,
// into registers of whole rows, in row order, by unpacking pairs of bytes,
// then of pairs, then of fours.
template <std::size_t Width>
inline void transpose_columns(__m128i (&v)[8])
{
	if constexpr (Width == 2) {
		const __m128i low = _mm_unpacklo_epi8(v[0], v[1]), high = _mm_unpackhi_epi8(v[0], v[1]);
		v[0] = low;
		v[1] = high;
	} else {
		__m128i p[8], q[8];
		for (std::size_t c = 0; c < Width; c += 2) {
			p[c] = _mm_unpacklo_epi8(v[c], v[c + 1]);
			p[c + 1] = _mm_unpackhi_epi8(v[c], v[c + 1]);
		}
		for (std::size_t c = 0; c < Width; c += 4) {
			q[c] = _mm_unpacklo_epi16(p[c], p[c + 2]);
			q[c + 1] = _mm_unpackhi_epi16(p[c], p[c + 2]);
			q[c + 2] = _mm_unpacklo_epi16(p[c + 1], p[c + 3]);
			q[c + 3] = _mm_unpackhi_epi16(p[c + 1], p[c + 3]);
		}
		if constexpr (Width == 4) {
			for (std::size_t j = 0; j < 4; j++)
				v[j] = q[j];
		} else {
			for (std::size_t j = 0; j < 4; j++) {
				v[2 * j] = _mm_unpacklo_epi32(q[j], q[j + 4]);
				v[2 * j + 1] = _mm_unpackhi_epi32(q[j], q[j + 4]);
			}
		}
	}
}

// Transposes 8 registers, each 16 rows of one column, and stores the
// first `depth` rows, 8 bytes each, at row, row + key, row + 2 key, ...
inline void place_eight_columns(__m128i (&v)[8], char *row, std::size_t key, std::size_t depth) noexcept
{
	transpose_columns<8>(v);
	for (std::size_t i = 0; i < depth; i += 2, row += 2 * key) {
		_mm_storel_epi64(reinterpret_cast<__m128i *>(row), v[i / 2]);
		if (i + 1 < depth)
			_mm_storel_epi64(reinterpret_cast<__m128i *>(row + key), _mm_unpackhi_epi64(v[i / 2], v[i / 2]));
	}
}

// Transposes 16 registers of 16 bytes, one per column, into 16 registers
// of rows, by unpacking bytes, then pairs, fours and eights.
inline void transpose_16_by_16(const __m128i (&w)[16], __m128i (&rows)[16]) noexcept
{
	__m128i a[16], b[16], d[16];
	for (std::size_t i = 0; i < 16; i += 2) {
		a[i] = _mm_unpacklo_epi8(w[i], w[i + 1]);
		a[i + 1] = _mm_unpackhi_epi8(w[i], w[i + 1]);
	}
	// b[4 g + q]: rows 4 q to 4 q + 3 of the columns 4 g to 4 g + 3.
	for (std::size_t g = 0; g < 4; g++) {
		b[4 * g] = _mm_unpacklo_epi16(a[4 * g], a[4 * g + 2]);
		b[4 * g + 1] = _mm_unpackhi_epi16(a[4 * g], a[4 * g + 2]);
		b[4 * g + 2] = _mm_unpacklo_epi16(a[4 * g + 1], a[4 * g + 3]);
		b[4 * g + 3] = _mm_unpackhi_epi16(a[4 * g + 1], a[4 * g + 3]);
	}
	// d[4 h + 2 q + k]: rows 4 q + 2 k and 4 q + 2 k + 1 of the
	// columns 8 h to 8 h + 7.
	for (std::size_t h = 0; h < 2; h++)
		for (std::size_t q = 0; q < 4; q++) {
			d[8 * h + 2 * q] = _mm_unpacklo_epi32(b[8 * h + q], b[8 * h + 4 + q]);
			d[8 * h + 2 * q + 1] = _mm_unpackhi_epi32(b[8 * h + q], b[8 * h + 4 + q]);
		}
	for (std::size_t j = 0; j < 8; j++) {
		rows[2 * j] = _mm_unpacklo_epi64(d[j], d[8 + j]);
		rows[2 * j + 1] = _mm_unpackhi_epi64(d[j], d[8 + j]);
	}
}

// Places the cells of the grid that no vector step covered, one byte at a
// time: rows from `first_row` on, in every column.
inline void place_rows_from(const char *text, std::size_t length, std::size_t key, std::size_t first_row, char *out) noexcept
{
	const std::size_t rows = length / key;
	const std::size_t tall = length % key;
	for (std::size_t c = 0; c < key; c++) {
		const std::size_t height = rows + (c < tall ? 1 : 0);
		const char *from = text + c * rows + (c < tall ? c : tall) + first_row;
		char *cell = out + first_row * key + c;
		for (std::size_t r = first_row; r < height; r++, cell += key)
			*cell = *from++;
	}
}

// Runs of `height` bytes, one per column, for the columns from `first` to
// `count`, a byte at a time: row r of them goes to out + r * key.
inline void place_runs_bytewise(const char *from, std::size_t first, std::size_t count, std::size_t height, char *out,
                         std::size_t key) noexcept
{
	for (std::size_t c = first; c < count; c++)
		for (std::size_t r = 0; r < height; r++)
			out[r * key + c] = from[c * height + r];
}

// Runs of `height` bytes, 16 or more, one per column, for `count` columns
// from `from`: row r of them goes to out + r * key.  Blocks of 16 columns
// by 16 rows, or of 8 columns when there are fewer than 16, the last of
// each row and column of blocks moved back to end at the edge and
// overlapping the one before it; fewer than 8 columns go one byte at a
// time.  No load passes the last run.
inline void transpose_tall_runs(const char *from, std::size_t count, std::size_t height, char *out,
                         std::size_t key) noexcept
{
	const std::size_t width = count >= 16 ? 16 : 8;
	if (count < width)
		return place_runs_bytewise(from, 0, count, height, out, key);
	for (std::size_t next_column = 0; next_column < count; next_column += width) {
		const std::size_t c = std::min(next_column, count - width);
		for (std::size_t next_row = 0; next_row < height; next_row += 16) {
			const std::size_t r = std::min(next_row, height - 16);
			const char *run = from + c * height + r;
			char *row = out + r * key + c;
			if (width == 16) {
				__m128i w[16], rows[16];
				for (std::size_t i = 0; i < 16; i++, run += height)
					w[i] = _mm_loadu_si128(reinterpret_cast<const __m128i *>(run));
				transpose_16_by_16(w, rows);
				for (std::size_t i = 0; i < 16; i++, row += key)
					_mm_storeu_si128(reinterpret_cast<__m128i *>(row), rows[i]);
			} else {
				__m128i v[8];
				for (std::size_t i = 0; i < 8; i++, run += height)
					v[i] = _mm_loadu_si128(reinterpret_cast<const __m128i *>(run));
				place_eight_columns(v, row, key, 16);
			}
		}
	}
}

#endif
#endif
