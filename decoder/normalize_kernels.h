// The implementations behind normalize_text, one per instruction set, so
// that tests can hold each against the others on this machine.
#ifndef UNTRANSPOSE_NORMALIZE_KERNELS_H
#define UNTRANSPOSE_NORMALIZE_KERNELS_H

#include <cstddef>
#include <span>

// Each kernel upper-cases line[0, size) in place and writes its bytes but
// spaces to compact, returning their count L.  compact must hold size
// bytes.  Bytes of compact from L on that were zero are zero afterwards,
// and nothing at or past compact + size is touched.
using normalize_kernel_fn = std::size_t (*)(char *line, std::size_t size, char *compact) noexcept;

struct normalize_kernel {
	const char *name;
	bool (*available)() noexcept;
	normalize_kernel_fn run;
};

// Fastest first; the last, portable C++, is always available.
std::span<const normalize_kernel> normalize_kernels() noexcept;

#endif
