// Vector kernels for decode_columns: blocks of 8 columns by 16 rows with
// SSE2, which every x86-64 processor has; grids of few columns or few rows
// with SSSE3 byte shuffles; tall and wide grids 32 columns at a time with
// AVX2; and short texts in one AVX-512 permutation.  Each is used only
// where the processor has its instructions.
#if defined(__x86_64__)

#include "kernels.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <immintrin.h>
#include <utility>

bool has_avx512_permute() noexcept
{
	return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
	       __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("bmi2");
}

namespace {

// The shape of a grid of at most 64 cells with 2 <= key < length, found
// without dividing: p / key is (p reciprocal) >> 16 for every p up to 64,
// with the reciprocal 2^16 / key rounded up from a table.  A division
// would lie on the path from the text's length to its decoded bytes.
struct small_grid {
	std::uint16_t key, reciprocal, rows, tall;
};

constexpr std::array<std::uint16_t, 65> reciprocals = [] {
	std::array<std::uint16_t, 65> table{};
	for (unsigned key = 2; key <= 64; key++)
		table[key] = static_cast<std::uint16_t>(65535 / key + 1);
	return table;
}();

inline small_grid small_grid_of(std::size_t length, std::size_t key) noexcept
{
	const auto k = static_cast<std::uint16_t>(key);
	const std::uint16_t reciprocal = reciprocals[key];
	const auto rows = static_cast<std::uint16_t>((length * reciprocal) >> 16);
	return {k, reciprocal, rows, static_cast<std::uint16_t>(length - rows * key)};
}

// For output positions p (16-bit lanes), the position in the text that
// fills them: p lies in row r = p / key and column c = p - r key, and
// column c starts at c rows + min(c, tall).
__attribute__((target("avx512f,avx512bw")))
__m512i sources(__m512i p, small_grid grid)
{
	const __m512i r = _mm512_mulhi_epu16(p, _mm512_set1_epi16(static_cast<short>(grid.reciprocal)));
	const __m512i c = _mm512_sub_epi16(p, _mm512_mullo_epi16(r, _mm512_set1_epi16(static_cast<short>(grid.key))));
	const __m512i start = _mm512_add_epi16(_mm512_mullo_epi16(c, _mm512_set1_epi16(static_cast<short>(grid.rows))),
	                                       _mm512_min_epu16(c, _mm512_set1_epi16(static_cast<short>(grid.tall))));
	return _mm512_add_epi16(start, r);
}

} // namespace

// A text of at most 64 bytes fits one register, and decoding it is one
// byte permutation: the source of every output position is computed at
// once and applied with vpermb, with no branch per column.
__attribute__((target("avx512f,avx512bw,avx512vbmi,bmi2")))
void decode_avx512_small(const char *text, std::size_t length, std::size_t key, char *out) noexcept
{
	const __mmask64 live = _bzhi_u64(~std::uint64_t{0}, static_cast<unsigned>(length));
	const __m512i bytes = _mm512_maskz_loadu_epi8(live, text);
	const small_grid grid = small_grid_of(length, key);
	const __m512i low = _mm512_set_epi16(31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19, 18, 17, 16,
	                                     15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
	const __m512i high = _mm512_add_epi16(low, _mm512_set1_epi16(32));
	// Packing interleaves the two halves by 128-bit lanes, and the quadword
	// permutation puts them back in order.  The zero-masking forms keep
	// GCC from warning about the undefined registers the plain ones use.
	const __m512i packed = _mm512_packus_epi16(sources(low, grid), sources(high, grid));
	const __m512i index = _mm512_maskz_permutexvar_epi64(0xff, _mm512_set_epi64(7, 5, 3, 1, 6, 4, 2, 0), packed);
	_mm512_mask_storeu_epi8(out, live, _mm512_maskz_permutexvar_epi8(live, index, bytes));
}

namespace {

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
void place_rows_from(const char *text, std::size_t length, std::size_t key, std::size_t first_row, char *out) noexcept
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


} // namespace

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

// A plain copy.  A forward copy whose stores land a little ahead of its
// loads, counted modulo 4 KiB, stalls on every load, since the processor
// takes the two for the same address; a backward copy keeps its loads
// clear of its stores then.
void copy_runs_of_one(const char *from, std::size_t count, char *out) noexcept
{
	const auto ahead = (reinterpret_cast<std::uintptr_t>(out) - reinterpret_cast<std::uintptr_t>(from)) % 4096;
	if (ahead >= 64 || count < 16) {
		std::memcpy(out, from, count);
		return;
	}
	std::size_t left = count;
	for (; left >= 16; left -= 16)
		_mm_storeu_si128(reinterpret_cast<__m128i *>(out + left - 16),
		                 _mm_loadu_si128(reinterpret_cast<const __m128i *>(from + left - 16)));
	std::memcpy(out, from, left);
}

// Runs of `height` bytes, one per column, for the columns from `first` to
// `count`, a byte at a time: row r of them goes to out + r * key.
void place_runs_bytewise(const char *from, std::size_t first, std::size_t count, std::size_t height, char *out,
                         std::size_t key) noexcept
{
	for (std::size_t c = first; c < count; c++)
		for (std::size_t r = 0; r < height; r++)
			out[r * key + c] = from[c * height + r];
}

// Sixteen columns from column c on, as transpose_runs below describes.
template <std::size_t Slot, std::size_t Height>
__attribute__((target("ssse3")))
inline void transpose_group(const char *from, std::size_t c, char *out, std::size_t key, __m128i sort) noexcept
{
	constexpr std::size_t per_load = 16 / Slot;
	__m128i w[Slot], rows[Slot];
	for (std::size_t i = 0; i < Slot; i++) {
		w[i] = _mm_loadu_si128(reinterpret_cast<const __m128i *>(from + (c + i * per_load) * Height));
		if constexpr (Slot < 16)
			w[i] = _mm_shuffle_epi8(w[i], sort);
	}
	if constexpr (Slot == 2) {
		rows[0] = _mm_unpacklo_epi64(w[0], w[1]);
		rows[1] = _mm_unpackhi_epi64(w[0], w[1]);
	} else if constexpr (Slot == 4) {
		const __m128i t0 = _mm_unpacklo_epi32(w[0], w[1]), t1 = _mm_unpackhi_epi32(w[0], w[1]);
		const __m128i t2 = _mm_unpacklo_epi32(w[2], w[3]), t3 = _mm_unpackhi_epi32(w[2], w[3]);
		rows[0] = _mm_unpacklo_epi64(t0, t2);
		rows[1] = _mm_unpackhi_epi64(t0, t2);
		rows[2] = _mm_unpacklo_epi64(t1, t3);
		rows[3] = _mm_unpackhi_epi64(t1, t3);
	} else if constexpr (Slot == 16) {
		transpose_16_by_16(w, rows);
	} else {
		__m128i t[8], u[8];
		for (std::size_t i = 0; i < 8; i += 2) {
			t[i] = _mm_unpacklo_epi16(w[i], w[i + 1]);
			t[i + 1] = _mm_unpackhi_epi16(w[i], w[i + 1]);
		}
		for (std::size_t i = 0; i < 8; i += 4) {
			u[i] = _mm_unpacklo_epi32(t[i], t[i + 2]);
			u[i + 1] = _mm_unpackhi_epi32(t[i], t[i + 2]);
			u[i + 2] = _mm_unpacklo_epi32(t[i + 1], t[i + 3]);
			u[i + 3] = _mm_unpackhi_epi32(t[i + 1], t[i + 3]);
		}
		for (std::size_t j = 0; j < 4; j++) {
			rows[2 * j] = _mm_unpacklo_epi64(u[j], u[j + 4]);
			rows[2 * j + 1] = _mm_unpackhi_epi64(u[j], u[j + 4]);
		}
	}
	for (std::size_t r = 0; r < Height; r++)
		_mm_storeu_si128(reinterpret_cast<__m128i *>(out + r * key + c), rows[r]);
}

// Runs of Height bytes, one per column, for `count` columns from `from`:
// row r of them goes to out + r * key.  Sixteen columns at a time, in
// Slot registers (2, 4, 8 or 16, Slot >= Height): each 16-byte load holds
// the runs of 16 / Slot columns, which a shuffle sorts by row into Slot
// groups of 16 / Slot bytes, and the registers are then transposed as Slot
// by Slot groups, one register per row.  A load of one run needs no
// sorting: the bytes past it become rows that are not stored.  The last
// group moves back to end at the last column and overlaps the one before
// it, writing the cells they share twice with the same bytes.  A load may
// reach past its runs, so columns whose loads would pass `end`, and all
// columns of a part narrower than a group, go one byte at a time.
template <std::size_t Slot, std::size_t Height>
__attribute__((target("ssse3")))
void transpose_runs(const char *from, std::size_t count, char *out, std::size_t key, const char *end) noexcept
{
	static_assert((Slot == 2 || Slot == 4 || Slot == 8 || Slot == 16) && Height <= Slot && 2 * Height > Slot);
	constexpr std::size_t per_load = 16 / Slot;
	alignas(16) static constexpr auto sort_by_row = [] {
		std::array<unsigned char, 16> lanes{};
		for (std::size_t r = 0; r < Slot; r++)
			for (std::size_t j = 0; j < per_load; j++)
				lanes[r * per_load + j] = r < Height ? static_cast<unsigned char>(j * Height + r) : 0x80;
		return lanes;
	}();
	const __m128i sort = _mm_load_si128(reinterpret_cast<const __m128i *>(sort_by_row.data()));
	const auto room = static_cast<std::size_t>(end - from);
	const auto loadable = [&](std::size_t c) { return (c + 16 - per_load) * Height + 16 <= room; };
	std::size_t c = 0;
	for (; c + 16 <= count && loadable(c); c += 16)
		transpose_group<Slot, Height>(from, c, out, key, sort);
	if (c < count && count >= 16 && loadable(count - 16)) {
		transpose_group<Slot, Height>(from, count - 16, out, key, sort);
		c = count;
	}
	place_runs_bytewise(from, c, count, Height, out, key);
}

// Runs of `height` bytes, 16 or more, one per column, for `count` columns
// from `from`: row r of them goes to out + r * key.  Blocks of 16 columns
// by 16 rows, or of 8 columns when there are fewer than 16, the last of
// each row and column of blocks moved back to end at the edge and
// overlapping the one before it; fewer than 8 columns go one byte at a
// time.  No load passes the last run.
void transpose_tall_runs(const char *from, std::size_t count, std::size_t height, char *out,
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

// Runs of any height up to 16, each transposed in the narrowest slots that
// hold it; runs of one byte are a copy.
template <std::size_t... Heights>
constexpr auto run_placers(std::index_sequence<Heights...>) noexcept
{
	constexpr auto slot = [](std::size_t height) { return height <= 2 ? 2 : height <= 4 ? 4 : height <= 8 ? 8 : 16; };
	return std::array<void (*)(const char *, std::size_t, char *, std::size_t, const char *) noexcept,
	                  sizeof...(Heights)>{transpose_runs<slot(Heights + 2), Heights + 2>...};
}

void place_runs(const char *from, std::size_t count, std::size_t height, char *out, std::size_t key,
                const char *end) noexcept
{
	static constexpr auto placers = run_placers(std::make_index_sequence<15>{});
	if (height == 1)
		return copy_runs_of_one(from, count, out);
	placers[height - 2](from, count, out, key, end);
}

} // namespace

// The first `tall` columns' runs are rows + 1 bytes long and the others'
// rows bytes, and each part is transposed on its own, its runs loaded at
// one stride.  A key of the length or more, one row, is a copy.
void decode_ssse3_wide(const char *text, std::size_t length, std::size_t key, char *out) noexcept
{
	const std::size_t rows = length / key;
	const std::size_t tall = length % key;
	if (rows == 0)
		return place_rows_from(text, length, key, 0, out);
	if (rows >= 16) {
		transpose_tall_runs(text, tall, rows + 1, out, key);
		transpose_tall_runs(text + tall * (rows + 1), key - tall, rows, out + tall, key);
		return;
	}
	const char *const end = text + length;
	place_runs(text, tall, rows + 1, out, key, end);
	place_runs(text + tall * (rows + 1), key - tall, rows, out + tall, key, end);
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

namespace {

// A grid of Key columns, fewer than 16, and 16 rows or more: 16 rows at a
// time, one 16-byte load from each column's run, transposed as if the grid
// were 2, 4, 8 or 16 columns wide, the missing columns empty.  Below 8
// columns the empty lanes are squeezed out of each row register by one
// pshufb; from 9 columns each register holds one row, and its empty lanes
// are left for the next row's store to overwrite.  Each register's store
// writes 16 bytes, its rows and then bytes that the next store overwrites;
// the steps stop where the last store would reach past the text, and the
// rows left go one byte at a time.
template <std::size_t Key>
__attribute__((target("ssse3")))
void decode_narrow(const char *text, std::size_t length, char *out) noexcept
{
	constexpr std::size_t width = Key <= 2 ? 2 : Key <= 4 ? 4 : Key <= 8 ? 8 : 16;
	constexpr std::size_t rows_each = 16 / width;
	alignas(16) static constexpr std::array<std::uint8_t, 16> squeeze = [] {
		std::array<std::uint8_t, 16> lanes{};
		std::size_t at = 0;
		for (std::size_t row = 0; row < rows_each; row++)
			for (std::size_t c = 0; c < Key; c++)
				lanes[at++] = static_cast<std::uint8_t>(row * width + c);
		while (at < 16)
			lanes[at++] = 0x80;
		return lanes;
	}();
	const __m128i squeeze_mask = _mm_load_si128(reinterpret_cast<const __m128i *>(squeeze.data()));
	const std::size_t rows = length / Key;
	const std::size_t tall = length % Key;
	const char *column[Key];
	for (std::size_t c = 0; c < Key; c++)
		column[c] = text + c * rows + (c < tall ? c : tall);
	std::size_t r = 0;
	for (; r + 16 <= rows && (r + 16 - rows_each) * Key + 16 <= length; r += 16) {
		if constexpr (width == 16) {
			__m128i w[16] = {}, row[16];
			for (std::size_t c = 0; c < Key; c++)
				w[c] = _mm_loadu_si128(reinterpret_cast<const __m128i *>(column[c] + r));
			transpose_16_by_16(w, row);
			for (std::size_t j = 0; j < 16; j++)
				_mm_storeu_si128(reinterpret_cast<__m128i *>(out + (r + j) * Key), row[j]);
		} else {
			__m128i v[8] = {};
			for (std::size_t c = 0; c < Key; c++)
				v[c] = _mm_loadu_si128(reinterpret_cast<const __m128i *>(column[c] + r));
			transpose_columns<width>(v);
			for (std::size_t j = 0; j < width; j++)
				_mm_storeu_si128(reinterpret_cast<__m128i *>(out + (r + j * rows_each) * Key),
				                 Key == width ? v[j] : _mm_shuffle_epi8(v[j], squeeze_mask));
		}
	}
	place_rows_from(text, length, Key, r, out);
}

} // namespace

// A grid of fewer than 16 columns, by the column count's own instance.
__attribute__((target("ssse3")))
void decode_ssse3_narrow(const char *text, std::size_t length, std::size_t key, char *out) noexcept
{
	switch (key) {
	case 2: return decode_narrow<2>(text, length, out);
	case 3: return decode_narrow<3>(text, length, out);
	case 4: return decode_narrow<4>(text, length, out);
	case 5: return decode_narrow<5>(text, length, out);
	case 6: return decode_narrow<6>(text, length, out);
	case 7: return decode_narrow<7>(text, length, out);
	case 8: return decode_narrow<8>(text, length, out);
	case 9: return decode_narrow<9>(text, length, out);
	case 10: return decode_narrow<10>(text, length, out);
	case 11: return decode_narrow<11>(text, length, out);
	case 12: return decode_narrow<12>(text, length, out);
	case 13: return decode_narrow<13>(text, length, out);
	case 14: return decode_narrow<14>(text, length, out);
	case 15: return decode_narrow<15>(text, length, out);
	default: return place_rows_from(text, length, key, 0, out);
	}
}

namespace {

// For every text length up to 16 and every key up to 16, the shuffle that
// decodes it: lane p takes the byte of the text that lands in position p.
// Keys of 1 or less, or of at least the length, leave the text as it is.
constexpr std::array<std::array<std::array<std::uint8_t, 16>, 17>, 17> tiny_table = [] {
	std::array<std::array<std::array<std::uint8_t, 16>, 17>, 17> table{};
	for (std::size_t length = 0; length <= 16; length++)
		for (std::size_t key = 0; key <= 16; key++) {
			auto &shuffle = table[length][key];
			for (std::size_t p = 0; p < 16; p++)
				shuffle[p] = static_cast<std::uint8_t>(p);
			if (key <= 1 || key >= length)
				continue;
			const std::size_t rows = length / key, tall = length % key;
			for (std::size_t p = 0; p < length; p++) {
				const std::size_t r = p / key, c = p % key;
				shuffle[p] = static_cast<std::uint8_t>(c * rows + std::min(c, tall) + r);
			}
		}
	return table;
}();

} // namespace

// A text of at most 16 bytes, with any key, in one shuffle from a table:
// no branch on the key or the length, which vary from case to case.  The
// lanes past the text are written back as they were read.
__attribute__((target("ssse3")))
void decode_ssse3_tiny(const char *text, std::size_t length, std::int32_t key, char *out) noexcept
{
	const std::size_t columns = key <= 1 ? 1 : std::min(static_cast<std::size_t>(key), length);
	const __m128i shuffle = _mm_loadu_si128(reinterpret_cast<const __m128i *>(tiny_table[length][columns].data()));
	const __m128i decoded = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(text)), shuffle);
	const __m128i lanes = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
	const __m128i live = _mm_cmpgt_epi8(_mm_set1_epi8(static_cast<char>(length)), lanes);
	const __m128i kept = _mm_loadu_si128(reinterpret_cast<const __m128i *>(out));
	_mm_storeu_si128(reinterpret_cast<__m128i *>(out),
	                 _mm_or_si128(_mm_and_si128(live, decoded), _mm_andnot_si128(live, kept)));
}

// The position in the text of the bytes bound for output positions p, in
// 16-bit lanes: p lies in row r = p / key and column c = p - r key, and
// column c starts at c rows + min(c, tall).
__attribute__((target("ssse3")))
inline __m128i sources_of(__m128i p, __m128i reciprocal, __m128i key, __m128i rows, __m128i tall)
{
	const __m128i r = _mm_mulhi_epu16(p, reciprocal);
	const __m128i c = _mm_sub_epi16(p, _mm_mullo_epi16(r, key));
	return _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(c, rows), _mm_min_epi16(c, tall)), r);
}

// A text of fewer than 64 bytes, 16 output bytes at a time: their sources
// are computed at once and the bytes gathered from the text's four 16-byte
// pieces by shuffles, with no loop over columns or bytes.  A shuffle index
// past its piece is pushed to 0x80 or above by a saturating add, which
// makes pshufb give zero there.  The last piece of the output is merged
// with what out held past the text.
__attribute__((target("ssse3")))
void decode_ssse3_short(const char *text, std::size_t length, std::size_t key, char *out) noexcept
{
	const small_grid grid = small_grid_of(length, key);
	const __m128i reciprocal = _mm_set1_epi16(static_cast<short>(grid.reciprocal));
	const __m128i keys = _mm_set1_epi16(static_cast<short>(grid.key));
	const __m128i rows = _mm_set1_epi16(static_cast<short>(grid.rows));
	const __m128i tall = _mm_set1_epi16(static_cast<short>(grid.tall));
	const __m128i pieces[4] = {_mm_loadu_si128(reinterpret_cast<const __m128i *>(text)),
	                           _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + 16)),
	                           _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + 32)),
	                           _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + 48))};
	const __m128i lanes = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
	__m128i p = _mm_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7);
	for (std::size_t at = 0; at < length; at += 16) {
		__m128i index = _mm_packus_epi16(sources_of(p, reciprocal, keys, rows, tall),
		                                 sources_of(_mm_add_epi16(p, _mm_set1_epi16(8)), reciprocal, keys, rows, tall));
		p = _mm_add_epi16(p, _mm_set1_epi16(16));
		__m128i bytes = _mm_setzero_si128();
		for (const __m128i piece : pieces) {
			bytes = _mm_or_si128(bytes, _mm_shuffle_epi8(piece, _mm_adds_epu8(index, _mm_set1_epi8(0x70))));
			index = _mm_sub_epi8(index, _mm_set1_epi8(16));
		}
		if (length - at < 16) {
			const __m128i live = _mm_cmpgt_epi8(_mm_set1_epi8(static_cast<char>(length - at)), lanes);
			const __m128i kept = _mm_loadu_si128(reinterpret_cast<const __m128i *>(out + at));
			bytes = _mm_or_si128(_mm_and_si128(live, bytes), _mm_andnot_si128(live, kept));
		}
		_mm_storeu_si128(reinterpret_cast<__m128i *>(out + at), bytes);
	}
}

#endif
