// Texts of up to 64 bytes, which fit in one register or four: decoded in
// one AVX-512 byte permutation, one SSSE3 shuffle from a table for up to
// 16 bytes, or SSSE3 shuffles whose sources are computed 16 at a time.
// No loop over columns: the shape of such a grid comes from a table of
// reciprocals, and every output byte's source from it.
#if defined(__x86_64__)

#include "kernels.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <immintrin.h>

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
