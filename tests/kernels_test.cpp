// Every normalisation kernel this processor can run, against a plain
// model, on random lines of every length around the vector widths.
#include "kernels.h"
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
		if (c == '\0')
			break;
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

// Texts with many spaces and letters, and texts of any byte at all, zero
// bytes included.
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
		// A zero byte at every place of a text that spans several blocks.
		for (std::size_t zero = 0; zero < 200; zero++) {
			std::string line = random_line(random, 200, false);
			line[zero] = '\0';
			check_kernel(kernel, line);
		}
	}
	EXPECT_GE(tried, 1);
}

void check_decode(const decode_kernel &kernel, const std::string &text, std::size_t key)
{
	const std::size_t length = text.size();
	std::string out(length + 64, guard);
	kernel.run(text.data(), length, key, out.data());
	ASSERT_EQ(out.substr(0, length), place_columns(text, static_cast<std::int64_t>(key)))
	    << kernel.name << " length " << length << " key " << key;
	ASSERT_EQ(out.substr(length), std::string(64, guard))
	    << kernel.name << " wrote past the text, length " << length << " key " << key;
}

// Every decoding kernel, for every length it handles up to 300 with every
// key that makes a grid of two rows or more, and long texts with keys
// around the block sizes.
TEST(DecodeKernels, AgreeWithThePlacementLoop)
{
	std::mt19937 random(11);
	int tried = 0;
	for (const decode_kernel &kernel : decode_kernels()) {
		if (!kernel.available())
			continue;
		tried++;
		for (std::size_t length = 3; length <= std::min<std::size_t>(kernel.max_length, 300); length++) {
			const std::string text = random_text(random, length, 0);
			for (std::size_t key = 2; key < length; key++)
				check_decode(kernel, text, key);
		}
		for (std::size_t length : {1000u, 4097u, 9999u}) {
			if (length > kernel.max_length)
				continue;
			const std::string text = random_text(random, length, 0);
			for (std::size_t key : {2u, 7u, 8u, 9u, 15u, 16u, 17u, 63u, 64u, 65u, 100u, 200u, 999u, 1250u})
				check_decode(kernel, text, key);
			// Grids of every height up to 17 rows, and keys near the length.
			for (std::size_t rows = 1; rows <= 17; rows++) {
				check_decode(kernel, text, length / rows);
				check_decode(kernel, text, length / rows + 1);
			}
			check_decode(kernel, text, length - 2);
		}
	}
	EXPECT_GE(tried, 1);
}

} // namespace
