// Grids of fewer than 64 rows, or of fewer than 16 columns and 16 rows or
// more, transposed a part of equal runs at a time with SSSE3.  A grid of
// few rows is two parts whose runs each have one height, sorted by row with
// a shuffle and unpacked, 16 columns at a time; a grid of few columns is
// transposed 16 rows at a time, as if it were 2, 4, 8 or 16 columns wide.
#if defined(__x86_64__)

#include "kernels.h"
#include "transposes_x86.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <immintrin.h>
#include <utility>

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

#endif
