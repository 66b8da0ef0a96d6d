// Every normalisation kernel this processor can run, against a plain
// model, on random lines of every length around the vector widths.
#include "normalize_kernels.h"
#include "model.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr char guard = 0x5a;

void check_kernel(const normalize_kernel &kernel, const std::string &original)
{
	std::string expected_line = original;
	std::string expected_compact;
	for (char &c : expected_line) {
		if (c >= 'a' && c <= 'z')
			c = static_cast<char>(c - ('a' - 'A'));
		if (c != ' ')
			expected_compact += c;
	}

	std::string line = original;
	std::vector<char> compact(original.size() + 64, '\0');
	std::fill(compact.begin() + static_cast<long>(original.size()), compact.end(), guard);
	const std::size_t length = kernel.run(line.data(), line.size(), compact.data());

	ASSERT_EQ(line, expected_line) << kernel.name << " length " << original.size();
	ASSERT_EQ(std::string(compact.data(), length), expected_compact) << kernel.name << " length " << original.size();
	for (std::size_t i = length; i < compact.size(); i++)
		ASSERT_EQ(compact[i], i < original.size() ? '\0' : guard)
		    << kernel.name << " wrote past the compact text at " << i << " of " << original.size();
}

// Texts with many spaces and letters, and texts of any byte at all.
std::string random_line(std::mt19937 &random, std::size_t length, bool any_byte)
{
	if (any_byte)
		return random_text(random, length, 0);
	static constexpr char alphabet[] = "    aazZ09,.\t\rqQ\x80\xff`{@[";
	std::uniform_int_distribution<std::size_t> pick(0, sizeof alphabet - 2);
	std::string line(length, ' ');
	for (char &c : line)
		c = alphabet[pick(random)];
	return line;
}

TEST(NormalizeKernels, AgreeWithThePlainModel)
{
	std::mt19937 random(7);
	std::vector<std::size_t> lengths;
	for (std::size_t n = 0; n <= 300; n++)
		lengths.push_back(n);
	for (std::size_t n : {511u, 512u, 513u, 1000u, 4095u, 4096u, 9998u, 9999u})
		lengths.push_back(n);

	int tried = 0;
	for (const normalize_kernel &kernel : normalize_kernels()) {
		if (!kernel.available())
			continue;
		tried++;
		for (std::size_t n : lengths)
			for (bool any_byte : {false, true}) {
				check_kernel(kernel, random_line(random, n, any_byte));
				check_kernel(kernel, std::string(n, ' '));
				check_kernel(kernel, std::string(n, 'q'));
			}
	}
	EXPECT_GE(tried, 1);
}

} // namespace
