// What the processor offers, asked of it here and nowhere else; kernels.h
// keeps the answers, asked once.  Each question names every instruction
// set its kernels use.
#if defined(__x86_64__)

#include "kernels.h"

bool has_avx512_permute() noexcept
{
	return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
	       __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("bmi2");
}

bool has_avx512_compress() noexcept
{
	return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
	       __builtin_cpu_supports("avx512vbmi2") &&
	       __builtin_cpu_supports("popcnt");
}

bool has_ssse3() noexcept
{
	return __builtin_cpu_supports("ssse3") && __builtin_cpu_supports("popcnt");
}

bool has_avx2() noexcept
{
	return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
}

#endif
