// The keyed search's randomness: each restart draws from a generator seeded
// by the search's seed, its number of columns and its own index, so that
// it makes the same choices whatever ran before it, on whichever thread
// and platform.  splitmix64, whose every step is exact integer arithmetic.
#ifndef UNTRANSPOSE_RANDOM_BITS_H
#define UNTRANSPOSE_RANDOM_BITS_H

#include <cstdint>

class random_bits {
public:
	constexpr explicit random_bits(std::uint64_t seed) noexcept : state_(seed) {}

	// Seeds a generator from several numbers, each mixed in apart.
	static constexpr random_bits of(std::uint64_t a, std::uint64_t b, std::uint64_t c) noexcept
	{
		random_bits r(a);
		r.state_ = r.next() ^ b;
		r.state_ = r.next() ^ c;
		return r;
	}

	constexpr std::uint64_t next() noexcept
	{
		std::uint64_t z = (state_ += 0x9e3779b97f4a7c15u);
		z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
		z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
		return z ^ (z >> 31);
	}

	// A number from 0 to n - 1, for n of at most 2^32.
	constexpr std::uint32_t below(std::uint32_t n) noexcept
	{
		return static_cast<std::uint32_t>(((next() >> 32) * n) >> 32);
	}

private:
	std::uint64_t state_;
};

#endif
