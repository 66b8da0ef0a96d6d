#include "decoder.h"
#include "kernels.h"

#include <algorithm>

namespace {

std::size_t normalize_portable(char *line, std::size_t size, char *compact) noexcept
{
	return normalize_from(line, 0, size, compact, 0);
}

} // namespace

std::span<const normalize_kernel> normalize_kernels() noexcept
{
	static constexpr normalize_kernel kernels[] = {
#if defined(__x86_64__)
	    {"avx512", has_avx512_compress, normalize_avx512},
	    {"avx2", has_avx2, normalize_avx2},
	    {"ssse3", has_ssse3, normalize_ssse3},
#endif
	    {"portable", always_available, normalize_portable},
	};
	return kernels;
}

std::size_t normalize_text(std::span<char> line, std::span<char> compact) noexcept
{
	const std::size_t size = std::min(line.size(), compact.size());
#if defined(__x86_64__)
	// Below one vector's width the plain loop is quicker than any kernel's
	// set-up.
	if (size >= 16) {
		if (x86().avx512_compress)
			return normalize_avx512(line.data(), size, compact.data());
		if (x86().avx2)
			return normalize_avx2(line.data(), size, compact.data());
		if (x86().ssse3)
			return normalize_ssse3(line.data(), size, compact.data());
	}
#endif
	return normalize_portable(line.data(), size, compact.data());
}
