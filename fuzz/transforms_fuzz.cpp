// The two transforms on arbitrary bytes and keys.  The first four bytes are
// the key, the rest the line.  Every kernel this processor can run must
// give the same result, and the result must have the properties that make
// it a normalisation and a decoding.
#include "decoder.h"
#include "kernels.h"
#include "model.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void check(bool ok)
{
	if (!ok)
		std::abort();
}

bool zero_from(const std::vector<char> &buffer, std::size_t from)
{
	return std::all_of(buffer.begin() + static_cast<long>(from), buffer.end(), [](char c) { return c == 0; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
	if (size < 4)
		return 0;
	std::int32_t key;
	std::memcpy(&key, data, sizeof key);
	if (key == 0)
		key = 1;
	const std::string original(reinterpret_cast<const char *>(data) + 4, size - 4);

	// Normalisation: what the plain model says, and nothing written past it.
	std::string line = original;
	std::vector<char> compact(BUFFER_SIZE, 0);
	const std::size_t length = normalize_text(line, compact);
	const std::size_t considered = std::min(original.size(), BUFFER_SIZE);
	const std::size_t text_end = std::min(original.find('\0'), considered);
	std::string expected;
	for (std::size_t i = 0; i < text_end; i++) {
		char c = original[i];
		if (c >= 'a' && c <= 'z')
			c = static_cast<char>(c - ('a' - 'A'));
		check(line[i] == c);
		if (c != ' ')
			expected += c;
	}
	check(line.compare(text_end, std::string::npos, original, text_end) == 0);
	check(std::string(compact.data(), length) == expected);
	check(zero_from(compact, length));
	for (char c : expected)
		check(c != ' ' && !(c >= 'a' && c <= 'z'));

	// Every kernel agrees with the one normalize_text picked.
	for (const normalize_kernel &kernel : normalize_kernels()) {
		if (!kernel.available())
			continue;
		std::string other_line(original, 0, considered);
		std::vector<char> other(BUFFER_SIZE, 0);
		check(kernel.run(other_line.data(), other_line.size(), other.data()) == length);
		check(other == compact);
	}

	// Decoding: a permutation of the same length, nothing past it, and the
	// inverse of the enciphering for every positive key.
	std::vector<char> decoded(BUFFER_SIZE, 0);
	decode_columns(compact, length, key, decoded);
	const std::string result(decoded.data(), length);
	check(zero_from(decoded, length));
	std::string sorted_in = expected, sorted_out = result;
	std::sort(sorted_in.begin(), sorted_in.end());
	std::sort(sorted_out.begin(), sorted_out.end());
	check(sorted_in == sorted_out);
	if (key > 0) {
		check(encipher(result, static_cast<std::size_t>(key)) == expected);
		check(result == place_columns(expected, key));
	} else {
		check(result == expected);
	}
	if (key >= 2 && static_cast<std::size_t>(key) < length)
		for (const decode_kernel &kernel : decode_kernels()) {
			if (!kernel.available() || length > kernel.max_length)
				continue;
			std::string out(length, '\0');
			kernel.run(expected.data(), length, static_cast<std::size_t>(key), out.data());
			check(out == result);
		}
	return 0;
}
