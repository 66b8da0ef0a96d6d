// Vector kernels for normalize_text, compiled for instruction sets beyond
// the x86-64 baseline and used only where the processor has them.
#if defined(__x86_64__)

#include "kernels.h"

#include <array>
#include <cstdint>
#include <immintrin.h>

namespace {

// For each pattern of spaces among 8 bytes, the shuffle that moves the
// other bytes to the front in order; 0x80 marks lanes left empty.
constexpr std::array<std::array<std::uint8_t, 8>, 256> squeeze_table = [] {
	std::array<std::array<std::uint8_t, 8>, 256> table{};
	for (unsigned spaces = 0; spaces < 256; spaces++) {
		unsigned out = 0;
		for (unsigned bit = 0; bit < 8; bit++)
			if ((spaces & (1u << bit)) == 0)
				table[spaces][out++] = static_cast<std::uint8_t>(bit);
		while (out < 8)
			table[spaces][out++] = 0x80;
	}
	return table;
}();

// For each count n of bytes already placed, the shuffle that moves a
// register's bytes n lanes up; 0x80 marks lanes left empty.
constexpr std::array<std::array<std::uint8_t, 16>, 17> shift_table = [] {
	std::array<std::array<std::uint8_t, 16>, 17> table{};
	for (unsigned n = 0; n <= 16; n++)
		for (unsigned lane = 0; lane < 16; lane++)
			table[n][lane] = static_cast<std::uint8_t>(lane < n ? 0x80 : lane - n);
	return table;
}();

// Upper-cases the letters of a block of 16 bytes.
__attribute__((target("ssse3"))) inline __m128i upper_case(__m128i bytes, __m128i live)
{
	const __m128i shift_to_signed = _mm_set1_epi8(static_cast<char>(0x80 - 'a'));
	const __m128i above_z = _mm_set1_epi8(static_cast<char>(-128 + 26));
	const __m128i case_bit = _mm_set1_epi8('a' - 'A');
	const __m128i lower = _mm_and_si128(_mm_cmplt_epi8(_mm_add_epi8(bytes, shift_to_signed), above_z), live);
	return _mm_sub_epi8(bytes, _mm_and_si128(lower, case_bit));
}

// The shuffle that squeezes out of one half of a block the bytes whose
// bits are set in `dropped`, as 8 lanes; `half` is 0 for the low half and
// 8 for the high.
__attribute__((target("ssse3"))) inline __m128i squeeze(unsigned dropped, char half)
{
	return _mm_add_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(squeeze_table[dropped].data())),
	                    _mm_set1_epi8(half));
}

// One block of 16 bytes at line + i, each half squeezed by a table-driven
// pshufb and stored as 8 bytes.  Each 8-byte store writes zeros past the
// bytes it keeps, which pshufb puts in the lanes marked 0x80; the next
// store starts on top of them.  Stores stay below the end of the block
// read, hence inside compact.
//
// The block holding the first zero byte is the last, and the step returns
// true: its bytes from the zero on are left as they are and dropped like
// spaces, so that a short line costs one block and no loop over its bytes.
// Its two halves are joined in a register and stored at once, since a
// short text is read back at once by the decoder, and a wide load of bytes
// stored in narrower pieces waits for them to reach the cache.
__attribute__((target("ssse3,popcnt"))) inline bool normalize_block(char *line, std::size_t i, char *compact,
                                                                    std::size_t &length) noexcept
{
	const __m128i space = _mm_set1_epi8(' ');
	const __m128i all = _mm_set1_epi8(-1);
	__m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(line + i));
	const auto zeros = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_setzero_si128())));
	if (zeros != 0) {
		const __m128i lanes = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
		const __m128i live = _mm_cmpgt_epi8(_mm_set1_epi8(static_cast<char>(__builtin_ctz(zeros))), lanes);
		bytes = upper_case(bytes, live);
		_mm_storeu_si128(reinterpret_cast<__m128i *>(line + i), bytes);
		const auto dropped = static_cast<unsigned>(
		    _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, space), _mm_andnot_si128(live, all))));
		const auto low_kept = 8 - static_cast<unsigned>(_mm_popcnt_u32(dropped & 0xff));
		// The high half's bytes, squeezed to the bottom and then moved up
		// past the low half's.
		const __m128i high = _mm_shuffle_epi8(
		    _mm_shuffle_epi8(bytes, _mm_unpacklo_epi64(squeeze(dropped >> 8, 8), all)),
		    _mm_loadu_si128(reinterpret_cast<const __m128i *>(shift_table[low_kept].data())));
		const __m128i low = _mm_shuffle_epi8(bytes, _mm_unpacklo_epi64(squeeze(dropped & 0xff, 0), all));
		_mm_storeu_si128(reinterpret_cast<__m128i *>(compact + length), _mm_or_si128(low, high));
		length += 16 - static_cast<unsigned>(_mm_popcnt_u32(dropped));
		return true;
	}
	bytes = upper_case(bytes, all);
	_mm_storeu_si128(reinterpret_cast<__m128i *>(line + i), bytes);

	const auto spaces = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, space)));
	_mm_storel_epi64(reinterpret_cast<__m128i *>(compact + length), _mm_shuffle_epi8(bytes, squeeze(spaces & 0xff, 0)));
	length += 8 - static_cast<unsigned>(_mm_popcnt_u32(spaces & 0xff));
	_mm_storel_epi64(reinterpret_cast<__m128i *>(compact + length), _mm_shuffle_epi8(bytes, squeeze(spaces >> 8, 8)));
	length += 8 - static_cast<unsigned>(_mm_popcnt_u32(spaces >> 8));
	return false;
}

// From line + i on, after `length` bytes already in compact, 16 bytes at a
// time; what is left at the end, short of a block, goes byte by byte.
__attribute__((target("ssse3,popcnt")))
std::size_t normalize_ssse3_from(char *line, std::size_t i, std::size_t size, char *compact, std::size_t length) noexcept
{
	for (; i + 16 <= size; i += 16)
		if (normalize_block(line, i, compact, length))
			return length;
	return normalize_from(line, i, size, compact, length);
}

// When the first block holds the line's end, normalises the line as its
// last block and returns true; otherwise leaves everything as it is.
__attribute__((target("ssse3,popcnt"))) inline bool normalize_block_if_last(char *line, char *compact,
                                                                            std::size_t &length) noexcept
{
	const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(line));
	if (_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_setzero_si128())) == 0)
		return false;
	return normalize_block(line, 0, compact, length);
}

// Upper-cases the letters among the `live` bytes of a block of 64.
__attribute__((target("avx512f,avx512bw"))) inline __m512i upper_case_64(__m512i bytes, __mmask64 live)
{
	const __mmask64 lower =
	    _mm512_mask_cmple_epu8_mask(live, _mm512_sub_epi8(bytes, _mm512_set1_epi8('a')), _mm512_set1_epi8(25));
	return _mm512_mask_sub_epi8(bytes, lower, bytes, _mm512_set1_epi8('a' - 'A'));
}

} // namespace

__attribute__((target("ssse3,popcnt")))
std::size_t normalize_ssse3(char *line, std::size_t size, char *compact) noexcept
{
	return normalize_ssse3_from(line, 0, size, compact, 0);
}

// 32 bytes at a time: the four 8-byte groups squeezed by one vpshufb with
// four table entries, and stored as four 8-byte pieces.  The first 64
// bytes, and the block holding the line's end, go as the SSSE3 kernel
// takes them, so that a short line costs no more than there: they were
// just copied into the line in 16-byte pieces, and a 32-byte load of bytes
// stored in 16-byte pieces would wait for them.
__attribute__((target("avx2,popcnt")))
std::size_t normalize_avx2(char *line, std::size_t size, char *compact) noexcept
{
	std::size_t length = 0, i = 0;
	if (size < 16)
		return normalize_from(line, 0, size, compact, 0);
	if (normalize_block(line, 0, compact, length))
		return length;
	if (size < 64)
		return normalize_ssse3_from(line, 16, size, compact, length);
	for (i = 16; i < 64; i += 16)
		if (normalize_block(line, i, compact, length))
			return length;
	const __m256i shift_to_signed = _mm256_set1_epi8(static_cast<char>(0x80 - 'a'));
	const __m256i above_z = _mm256_set1_epi8(static_cast<char>(-128 + 26));
	const __m256i case_bit = _mm256_set1_epi8('a' - 'A');
	const __m256i space = _mm256_set1_epi8(' ');
	const __m256i halves = _mm256_setr_epi64x(0, 0x0808080808080808, 0, 0x0808080808080808);
	const auto entry = [](unsigned spaces) {
		return _mm_loadl_epi64(reinterpret_cast<const __m128i *>(squeeze_table[spaces & 0xff].data()));
	};
	for (; i + 32 <= size; i += 32) {
		__m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(line + i));
		if (_mm256_movemask_epi8(_mm256_cmpeq_epi8(bytes, _mm256_setzero_si256())) != 0)
			break;
		const __m256i lower = _mm256_cmpgt_epi8(above_z, _mm256_add_epi8(bytes, shift_to_signed));
		bytes = _mm256_sub_epi8(bytes, _mm256_and_si256(lower, case_bit));
		_mm256_storeu_si256(reinterpret_cast<__m256i *>(line + i), bytes);

		const auto spaces = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(bytes, space)));
		const __m256i shuffle = _mm256_add_epi8(
		    _mm256_set_m128i(_mm_unpacklo_epi64(entry(spaces >> 16), entry(spaces >> 24)),
		                     _mm_unpacklo_epi64(entry(spaces), entry(spaces >> 8))),
		    halves);
		const __m256i packed = _mm256_shuffle_epi8(bytes, shuffle);
		const __m128i low = _mm256_castsi256_si128(packed), high = _mm256_extracti128_si256(packed, 1);
		_mm_storel_epi64(reinterpret_cast<__m128i *>(compact + length), low);
		length += 8 - static_cast<unsigned>(_mm_popcnt_u32(spaces & 0xff));
		_mm_storeh_pd(reinterpret_cast<double *>(compact + length), _mm_castsi128_pd(low));
		length += 8 - static_cast<unsigned>(_mm_popcnt_u32((spaces >> 8) & 0xff));
		_mm_storel_epi64(reinterpret_cast<__m128i *>(compact + length), high);
		length += 8 - static_cast<unsigned>(_mm_popcnt_u32((spaces >> 16) & 0xff));
		_mm_storeh_pd(reinterpret_cast<double *>(compact + length), _mm_castsi128_pd(high));
		length += 8 - static_cast<unsigned>(_mm_popcnt_u32(spaces >> 24));
	}
	// The SSSE3 code that takes over is not VEX-encoded, and runs slowly
	// while the upper halves of the vector registers are dirty.
	_mm256_zeroupper();
	return normalize_ssse3_from(line, i, size, compact, length);
}

// 64 bytes at a time.  A line of at most 16 bytes is taken as the SSSE3
// kernel takes it, in one block.  The first 64 bytes of a longer one are
// read as four 16-byte pieces, since they were just copied into the line
// in such pieces and a wider load would wait for them to reach the cache;
// they go back as one register, and vpcompressb drops the spaces and the
// bytes from the zero on, so that the decoder can read the compact text
// back at once.  Each store of the compact text is a full register, the
// bytes kept followed by zeros, which the next store starts on top of.
// The block holding the end of a longer line is left to the SSSE3 code,
// whose stores the decoder can read back as well.
__attribute__((target("avx512f,avx512bw,avx512vbmi2,popcnt")))
std::size_t normalize_avx512(char *line, std::size_t size, char *compact) noexcept
{
	std::size_t length = 0;
	if (size < 64)
		return normalize_ssse3(line, size, compact);
	if (normalize_block_if_last(line, compact, length))
		return length;
	const __m512i space = _mm512_set1_epi8(' ');
	const auto *pieces = reinterpret_cast<const __m128i_u *>(line);
	__m512i bytes =
	    _mm512_mask_broadcast_i64x4(_mm512_maskz_broadcast_i64x4(0xff, _mm256_loadu2_m128i(pieces + 1, pieces)), 0xf0,
	                                _mm256_loadu2_m128i(pieces + 3, pieces + 2));
	const __mmask64 zeros = _mm512_testn_epi8_mask(bytes, bytes);
	const __mmask64 live = (zeros & (0 - zeros)) - 1;
	bytes = upper_case_64(bytes, live);
	_mm512_storeu_si512(line, bytes);
	const __mmask64 keep = _mm512_mask_cmpneq_epi8_mask(live, bytes, space);
	_mm512_storeu_si512(compact, _mm512_maskz_compress_epi8(keep, bytes));
	length = static_cast<unsigned>(_mm_popcnt_u64(keep));
	if (zeros != 0)
		return length;

	std::size_t i = 64;
	for (; i + 64 <= size; i += 64) {
		bytes = _mm512_loadu_si512(line + i);
		if (_mm512_testn_epi8_mask(bytes, bytes) != 0)
			break;
		bytes = upper_case_64(bytes, ~__mmask64{0});
		_mm512_storeu_si512(line + i, bytes);
		const __mmask64 kept = _mm512_cmpneq_epi8_mask(bytes, space);
		_mm512_storeu_si512(compact + length, _mm512_maskz_compress_epi8(kept, bytes));
		length += static_cast<unsigned>(_mm_popcnt_u64(kept));
	}
	_mm256_zeroupper();
	return normalize_ssse3_from(line, i, size, compact, length);
}

#endif
