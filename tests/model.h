// Plain models that the tests hold the program against.
#ifndef UNTRANSPOSE_TESTS_MODEL_H
#define UNTRANSPOSE_TESTS_MODEL_H

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>

// The transposition that decoding undoes: the text written row by row
// into rows of `key` bytes, read out column by column.
inline std::string encipher(std::string_view text, std::size_t key)
{
	std::string out;
	for (std::size_t c = 0; c < key && c < text.size(); c++)
		for (std::size_t p = c; p < text.size(); p += key)
			out += text[p];
	return out;
}

// Decoding as a placement loop: each byte goes `key` places after the one
// before, and a new column starts when that runs past the end.
inline std::string place_columns(std::string_view compact, std::int64_t key)
{
	std::string out(compact.size(), '\0');
	std::int64_t p = 0, c = 0;
	const auto length = static_cast<std::int64_t>(compact.size());
	for (char byte : compact) {
		if (p >= length)
			p = ++c;
		out[static_cast<std::size_t>(p)] = byte;
		p += key;
	}
	return out;
}

// Random bytes from `min` to 255, newline excluded.
inline std::string random_text(std::mt19937 &random, std::size_t length, int min = 1)
{
	std::uniform_int_distribution<int> byte(min, 255);
	std::string text(length, '\0');
	for (char &c : text) {
		do
			c = static_cast<char>(byte(random));
		while (c == '\n');
	}
	return text;
}

#endif
