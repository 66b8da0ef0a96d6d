// Vector kernels for decode_columns: 8 by 8 blocks with SSE2, which every
// x86-64 processor has, and short texts in one AVX-512 permutation, used
// only where the processor has it.
#if defined(__x86_64__)

#include "kernels.h"

#include <cstdint>
#include <immintrin.h>

bool has_avx512_permute() noexcept
{
	return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
	       __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("bmi2");
}

namespace {

// For output positions p (16-bit lanes), the position in the text that
// fills them: p lies in row r = p / key and column c = p - r key, and
// column c starts at c rows + min(c, tall).  The division is a multiply
// by 2^16 / key rounded up, exact for p below 64 and key below 1000.
__attribute__((target("avx512f,avx512bw")))
__m512i sources(__m512i p, std::uint16_t key, std::uint16_t rows, std::uint16_t tall)
{
	const auto reciprocal = static_cast<std::uint16_t>(65535 / key + 1);
	const __m512i r = _mm512_mulhi_epu16(p, _mm512_set1_epi16(static_cast<short>(reciprocal)));
	const __m512i c = _mm512_sub_epi16(p, _mm512_mullo_epi16(r, _mm512_set1_epi16(static_cast<short>(key))));
	const __m512i start = _mm512_add_epi16(_mm512_mullo_epi16(c, _mm512_set1_epi16(static_cast<short>(rows))),
	                                       _mm512_min_epu16(c, _mm512_set1_epi16(static_cast<short>(tall))));
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
	const auto k = static_cast<std::uint16_t>(key);
	const auto rows = static_cast<std::uint16_t>(length / key);
	const auto tall = static_cast<std::uint16_t>(length % key);
	const __m512i low = _mm512_set_epi16(31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19, 18, 17, 16,
	                                     15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
	const __m512i high = _mm512_add_epi16(low, _mm512_set1_epi16(32));
	// Packing interleaves the two halves by 128-bit lanes, and the quadword
	// permutation puts them back in order.  The zero-masking forms keep
	// GCC from warning about the undefined registers the plain ones use.
	const __m512i packed = _mm512_packus_epi16(sources(low, k, rows, tall), sources(high, k, rows, tall));
	const __m512i index = _mm512_maskz_permutexvar_epi64(0xff, _mm512_set_epi64(7, 5, 3, 1, 6, 4, 2, 0), packed);
	_mm512_mask_storeu_epi8(out, live, _mm512_maskz_permutexvar_epi8(live, index, bytes));
}

namespace {

// Transposes an 8 by 8 block of bytes: eight 8-byte column runs in, eight
// 8-byte rows out.
void transpose_block(const char *const column[8], char *row, std::size_t stride) noexcept
{
	__m128i a[8];
	for (int j = 0; j < 8; j++)
		a[j] = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(column[j]));
	const __m128i t0 = _mm_unpacklo_epi8(a[0], a[1]), t1 = _mm_unpacklo_epi8(a[2], a[3]);
	const __m128i t2 = _mm_unpacklo_epi8(a[4], a[5]), t3 = _mm_unpacklo_epi8(a[6], a[7]);
	const __m128i u0 = _mm_unpacklo_epi16(t0, t1), u1 = _mm_unpackhi_epi16(t0, t1);
	const __m128i u2 = _mm_unpacklo_epi16(t2, t3), u3 = _mm_unpackhi_epi16(t2, t3);
	const __m128i rows[4] = {_mm_unpacklo_epi32(u0, u2), _mm_unpackhi_epi32(u0, u2),
	                         _mm_unpacklo_epi32(u1, u3), _mm_unpackhi_epi32(u1, u3)};
	for (const __m128i pair : rows) {
		_mm_storel_epi64(reinterpret_cast<__m128i *>(row), pair);
		_mm_storel_epi64(reinterpret_cast<__m128i *>(row + stride), _mm_unpackhi_epi64(pair, pair));
		row += 2 * stride;
	}
}

} // namespace

// Whole 8 by 8 blocks of the grid are transposed in registers; the columns
// and rows left over at the edges are placed one byte at a time.
void decode_sse2_blocks(const char *text, std::size_t length, std::size_t key, char *out) noexcept
{
	const std::size_t rows = length / key;
	const std::size_t tall = length % key;
	const auto start = [&](std::size_t c) { return text + c * rows + (c < tall ? c : tall); };
	const std::size_t block_columns = key - key % 8;
	const std::size_t block_rows = rows - rows % 8;

	for (std::size_t c = 0; c < block_columns; c += 8) {
		const char *column[8];
		for (std::size_t j = 0; j < 8; j++)
			column[j] = start(c + j);
		for (std::size_t r = 0; r < block_rows; r += 8) {
			transpose_block(column, out + r * key + c, key);
			for (const char *&run : column)
				run += 8;
		}
	}
	for (std::size_t c = 0; c < key; c++) {
		const std::size_t height = rows + (c < tall ? 1 : 0);
		const std::size_t first = c < block_columns ? block_rows : 0;
		const char *from = start(c) + first;
		char *cell = out + first * key + c;
		for (std::size_t r = first; r < height; r++, cell += key)
			*cell = *from++;
	}
}

#endif
