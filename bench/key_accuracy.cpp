// How often untranspose-key's search finds the key of English texts it was
// not built from: passages of whole words from the held-out texts in
// tests/data (or the files named), enciphered with random keys, decoded
// with the key found, and counted solved when the decoding is the passage
// itself.
//
//   key_accuracy [--trials N] [ENGLISH_TEXT]...
#include "decoder.h"
#include "english.h"
#include "keyfinder.h"
#include "model.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

struct bucket {
	const char *name;
	std::size_t min_letters, max_letters;
	bool any_key;
	int trials;
};

} // namespace

int main(int argc, char **argv)
{
	int scale = 1;
	std::vector<const char *> paths;
	for (int i = 1; i < argc; i++) {
		if (std::strcmp(argv[i], "--trials") == 0 && i + 1 < argc)
			scale = std::max(1, std::atoi(argv[++i]));
		else
			paths.push_back(argv[i]);
	}
	if (paths.empty())
		paths = {UNTRANSPOSE_ENGLISH "/english.txt", UNTRANSPOSE_ENGLISH "/english_more.txt"};
	std::string corpus;
	for (const char *path : paths) {
		const std::string text = read_file(path);
		if (text.size() < 1000) {
			std::fprintf(stderr, "key_accuracy: cannot read %s\n", path);
			return 2;
		}
		corpus += text + '\n';
		std::printf("held-out text: %s (%zu bytes)\n", path, text.size());
	}

	const bucket buckets[] = {
	    {"20-39 letters, keys 2-40, two rows or more", 20, 39, false, 1000},
	    {"40-99 letters, keys 2-40, two rows or more", 40, 99, false, 1000},
	    {"100-9,999 letters, keys 2-40, two rows or more", 100, 9999, false, 200},
	    {"40-2,000 letters, any key from 2 to L-1", 40, 2000, true, 500},
	};
	std::mt19937 random(20261208);
	std::vector<char> compact(BUFFER_SIZE), decoded(BUFFER_SIZE), scratch(BUFFER_SIZE);
	key_score best[1];
	for (const bucket &b : buckets) {
		const int trials = b.trials * scale;
		int solved = 0;
		for (int t = 0; t < trials; t++) {
			std::uniform_int_distribution<std::size_t> letters_of(b.min_letters, b.max_letters);
			const std::string plain = english_passage(corpus, random, letters_of(random));
			const std::size_t length = plain.size();
			const std::size_t most = b.any_key ? length - 1 : std::min<std::size_t>(40, length / 2);
			std::uniform_int_distribution<std::size_t> key_of(2, std::max<std::size_t>(2, most));
			const std::size_t key = key_of(random);
			const std::string cipher = encipher(plain, key);
			std::fill(compact.begin(), compact.end(), 0);
			std::copy(cipher.begin(), cipher.end(), compact.begin());
			find_keys(compact, length, 1, INT32_MAX, best, scratch);
			decode_columns(compact, length, best[0].key, decoded);
			solved += std::string(decoded.data(), length) == plain;
		}
		std::printf("%-50s %5d texts  %6.1f%% solved\n", b.name, trials, 100.0 * solved / trials);
	}

	// The time to try every key of the longest text.
	const std::string longest = english_passage(corpus, random, 9999);
	std::fill(compact.begin(), compact.end(), 0);
	const std::string cipher = encipher(longest, 17);
	std::copy(cipher.begin(), cipher.end(), compact.begin());
	const auto start = std::chrono::steady_clock::now();
	find_keys(compact, cipher.size(), 1, INT32_MAX, best, scratch);
	const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
	std::printf("every key of a %zu-byte text: %.1f ms (best key %d)\n", cipher.size(), took.count() * 1e3,
	            static_cast<int>(best[0].key));
	return 0;
}
