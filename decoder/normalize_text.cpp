#include "decoder.h"
#include "kernels.h"

#include <algorithm>

namespace {

// Branch-free: whether a byte is a letter or a space is data, not control
// flow, since mixed text makes both branches unpredictable.  Every byte is
// stored at the write index, which advances past all but spaces; a space
// stored last is then overwritten with a zero.
std::size_t normalize_portable(char *line, std::size_t size, char *compact) noexcept
{
	std::size_t length = 0;
	for (std::size_t i = 0; i < size; i++) {
		const auto byte = static_cast<unsigned char>(line[i]);
		if (byte == 0)
			break;
		const auto lower = static_cast<unsigned char>(byte - 'a') < 26;
		const auto upper = static_cast<char>(byte - (lower ? 'a' - 'A' : 0));
		line[i] = upper;
		compact[length] = upper;
		length += upper != ' ';
	}
	if (length < size)
		compact[length] = '\0';
	return length;
}

} // namespace

std::span<const normalize_kernel> normalize_kernels() noexcept
{
	static constexpr normalize_kernel kernels[] = {
#if defined(__x86_64__)
	    {"avx512", has_avx512_compress, normalize_avx512},
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
		if (x86().ssse3)
			return normalize_ssse3(line.data(), size, compact.data());
	}
#endif
	return normalize_portable(line.data(), size, compact.data());
}
