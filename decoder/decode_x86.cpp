// A vector kernel for decode_columns on short texts, compiled for AVX-512
// and used only where the processor has it.
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

#endif
