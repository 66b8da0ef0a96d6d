// Passages of held-out English for testing the key finder: tests/data holds
// prose written for this project, which the quadgram table was not made
// from.
#ifndef UNTRANSPOSE_TESTS_ENGLISH_H
#define UNTRANSPOSE_TESTS_ENGLISH_H

#include <cstddef>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

inline std::string read_file(const char *path)
{
	std::ifstream file(path, std::ios::binary);
	return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A passage of whole words from `corpus`, wrapping round its end, at
// least `letters` letters long (or 9,999 bytes), normalised as the filter
// normalises a text.
inline std::string english_passage(const std::string &corpus, std::mt19937 &random, std::size_t letters)
{
	std::uniform_int_distribution<std::size_t> start_of(0, corpus.size() - 1);
	std::size_t at = start_of(random);
	while (corpus[at % corpus.size()] != ' ')
		at++;
	std::string text;
	for (std::size_t found = 0; text.size() < 9999; at++) {
		char c = corpus[at % corpus.size()];
		if (c == '\n')
			c = ' ';
		if (c == ' ' && found >= letters)
			break;
		if (c >= 'a' && c <= 'z')
			c = static_cast<char>(c - ('a' - 'A'));
		if (c >= 'A' && c <= 'Z')
			found++;
		if (c != ' ')
			text += c;
	}
	return text;
}

#endif
