// How often untranspose-key's search finds the key of English texts it was
// not built from: passages of whole words from the held-out texts in
// tests/data (or the files named), enciphered with random keys, decoded
// with the key found, and counted solved when the decoding is the passage
// itself.  With --verdict, how well the verdict tells solved English (or
// the language --lang names) from random letters and from ciphers whose
// columns were read out in a keyword's order.  With --keyed and --keyed-grid, how well
// untranspose-key --keyed solves keyed ciphers (see keyed_accuracy.cpp),
// and with --languages, how well it solves the other languages it knows
// (see language_accuracy.cpp).
//
//   key_accuracy [--trials N | --quick] [--verdict | --keyed | --keyed-grid | --languages] [--lang CODE] [--dir D] [ENGLISH_TEXT]...
#include "decoder.h"
#include "english.h"
#include "cipher_accuracy.h"
#include "keyed_accuracy.h"
#include "keyed_verdict.h"
#include "language_accuracy.h"
#include "plain_sweep.h"
#include "second_climbs.h"
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

const char USAGE[] = "Usage: key_accuracy [--trials N | --quick]\n"
                     "                    [--verdict | --keyed | --keyed-grid | --keyed-verdict | --languages |\n"
                     "                     --cipher TYPE | --double-grid | --second-climbs]\n"
                     "                    [--texts N] [--lang CODE] [--dir D] [ENGLISH_TEXT]...\n"
                     "Measure how often untranspose-key's search finds the key of held-out English\n"
                     "(tests/data by default), N times the usual number of texts; with --verdict,\n"
                     "how often its verdict is right; with --keyed, how often and how fast\n"
                     "untranspose-key --keyed solves keyed ciphers, and with --keyed-grid the same\n"
                     "on a grid of columns by rows, drawn in keyed_grid.svg in the build; with\n"
                     "--keyed-verdict, how often the verdict flags the keyed search's wrong answers\n"
                     "and its right ones (in the language CODE with --lang); with\n"
                     "--languages, how often texts in each language are solved, with that\n"
                     "language's statistics and with auto (only the language CODE with --lang);\n"
                     "with --cipher TYPE, how often and how fast untranspose-key --cipher TYPE\n"
                     "solves ciphers of that type (N texts with --texts); with --double-grid, the\n"
                     "double columnar by both keys' widths and the length, in double_grid.svg;\n"
                     "with --second-climbs, how often its climbs over a second key of 11 to 14\n"
                     "columns reach it, and how many reach it a minute.\n"
                     "--quick runs one keyed text of each kind.  Work files go in D (default /tmp).\n";

struct bucket {
	const char *name;
	std::size_t min_letters, max_letters;
	bool any_key;
	int trials;
};

// The best key's score of `cipher`, in log10 per quadgram, and its verdict.
struct judged {
	double score;
	verdict said;
	std::int32_t key;
};

judged judge_text(const language_model &model, const std::string &cipher, std::vector<char> &compact,
                  std::vector<char> &scratch)
{
	std::fill(compact.begin(), compact.end(), 0);
	std::copy(cipher.begin(), cipher.end(), compact.begin());
	key_score best[1];
	find_keys(model, compact, cipher.size(), 1, INT32_MAX, best, scratch);
	return {log10_per_quadgram(model, best[0]), judge(model, best[0]), best[0].key};
}

// Whether `ranks` read the columns in their natural order from some column
// on, wrapping round.  Such a cipher decodes with its number of columns,
// as a plain one does, to the text with a few letters moved from one end
// to the other: English, not a keyed cipher that the plain search misses.
bool is_rotation(const std::vector<int> &ranks)
{
	const auto k = static_cast<int>(ranks.size());
	for (int i = 1; i < k; i++)
		if ((ranks[0] - 1 + i) % k != ranks[static_cast<std::size_t>(i)] - 1)
			return false;
	return true;
}

double quantile(std::vector<double> values, double q)
{
	if (values.empty())
		return 0;
	std::sort(values.begin(), values.end());
	return values[static_cast<std::size_t>(q * static_cast<double>(values.size() - 1))];
}

// For texts of each length, the share of solved texts that pass the
// verdict, and of random letters and keyed ciphers that fail it, with the
// scores near the floor on either side.  The keyed ciphers have 4 to 20
// columns, in any order but the rotations of the natural one.
void measure_verdict(const language_model &model, const std::string &corpus, int scale)
{
	const struct {
		const char *name;
		std::size_t min_letters, max_letters;
		int trials;
	} lengths[] = {
	    {"40-99", 40, 99, 1000},
	    {"100-999", 100, 999, 500},
	    {"1,000-9,999", 1000, 9999, 100},
	};
	std::mt19937 random(20261209);
	std::vector<char> compact(BUFFER_SIZE), decoded(BUFFER_SIZE), scratch(BUFFER_SIZE);
	std::printf("verdict: %s passes at %.2f log10 per quadgram or more, from %zu letters\n", model.name,
	            model.verdict_floor, JUDGED_LETTERS);
	std::printf("%-12s %6s  %-35s  %-23s  %-23s\n", "letters", "texts", "solved texts pass",
	            "random letters fail", "keyed ciphers fail");
	for (const auto &b : lengths) {
		const int trials = std::max(b.trials * scale, 1);
		std::vector<double> english, noise, keyed;
		int english_passed = 0, noise_failed = 0, keyed_failed = 0;
		for (int t = 0; t < trials; t++) {
			std::uniform_int_distribution<std::size_t> letters_of(b.min_letters, b.max_letters);
			const std::string plain = english_passage(corpus, random, letters_of(random));
			const std::size_t length = plain.size();
			std::uniform_int_distribution<std::size_t> key_of(2, std::min<std::size_t>(40, length / 2));
			const std::size_t key = key_of(random);
			const std::string cipher = encipher(plain, key);
			const judged e = judge_text(model, cipher, compact, scratch);
			decode_columns(compact, length, e.key, decoded);
			if (std::string(decoded.data(), length) == plain) {
				english.push_back(e.score);
				english_passed += e.said != verdict::not_english;
			}

			std::uniform_int_distribution<int> letter('A', 'Z');
			std::string letters(length, 'A');
			for (char &c : letters)
				c = static_cast<char>(letter(random));
			const judged n = judge_text(model, letters, compact, scratch);
			noise.push_back(n.score);
			noise_failed += n.said != verdict::english;

			std::uniform_int_distribution<int> columns_of(4, static_cast<int>(std::min<std::size_t>(20, length / 3)));
			std::vector<int> ranks(static_cast<std::size_t>(columns_of(random)));
			do {
				for (std::size_t i = 0; i < ranks.size(); i++)
					ranks[i] = static_cast<int>(i) + 1;
				std::shuffle(ranks.begin(), ranks.end(), random);
			} while (is_rotation(ranks));
			const judged k = judge_text(model, encipher_keyed(plain, ranks), compact, scratch);
			keyed.push_back(k.score);
			keyed_failed += k.said != verdict::english;
		}
		const auto share = [](int count, std::size_t of) { return 100.0 * count / static_cast<double>(std::max<std::size_t>(of, 1)); };
		char e[64], n[64], k[64];
		std::snprintf(e, sizeof e, "%5.1f%% (1%% below %.2f, least %.2f)", share(english_passed, english.size()),
		              quantile(english, 0.01), quantile(english, 0));
		std::snprintf(n, sizeof n, "%5.1f%% (1%% above %.2f)", share(noise_failed, noise.size()), quantile(noise, 0.99));
		std::snprintf(k, sizeof k, "%5.1f%% (1%% above %.2f)", share(keyed_failed, keyed.size()), quantile(keyed, 0.99));
		std::printf("%-12s %6d  %-35s  %-23s  %-23s\n", b.name, trials, e, n, k);
	}
}

} // namespace

int main(int argc, char **argv)
{
	int scale = 1, texts = 0;
	bool verdict_only = false, keyed = false, keyed_grid = false, double_grid = false, languages = false,
	     keyed_verdict = false, second_climbs = false;
	std::string dir = "/tmp";
	const char *only = nullptr, *cipher_type = nullptr;
	std::vector<const char *> paths;
	for (int i = 1; i < argc; i++) {
		if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
			std::fputs(USAGE, stdout);
			return 0;
		}
		if (std::strcmp(argv[i], "--trials") == 0 && i + 1 < argc) {
			scale = std::max(1, std::atoi(argv[++i]));
		} else if (std::strcmp(argv[i], "--texts") == 0 && i + 1 < argc) {
			texts = std::max(1, std::atoi(argv[++i]));
		} else if (std::strcmp(argv[i], "--quick") == 0) {
			scale = 0;
		} else if (std::strcmp(argv[i], "--verdict") == 0) {
			verdict_only = true;
		} else if (std::strcmp(argv[i], "--keyed") == 0) {
			keyed = true;
		} else if (std::strcmp(argv[i], "--keyed-verdict") == 0) {
			keyed_verdict = true;
		} else if (std::strcmp(argv[i], "--keyed-grid") == 0) {
			keyed_grid = true;
		} else if (std::strcmp(argv[i], "--double-grid") == 0) {
			double_grid = true;
		} else if (std::strcmp(argv[i], "--second-climbs") == 0) {
			second_climbs = true;
		} else if (std::strcmp(argv[i], "--languages") == 0) {
			languages = true;
		} else if (std::strcmp(argv[i], "--cipher") == 0 && i + 1 < argc) {
			cipher_type = argv[++i];
		} else if (std::strcmp(argv[i], "--lang") == 0 && i + 1 < argc) {
			only = argv[++i];
		} else if (std::strcmp(argv[i], "--dir") == 0 && i + 1 < argc) {
			dir = argv[++i];
		} else if (argv[i][0] == '-') {
			std::fprintf(stderr, "key_accuracy: unknown option '%s'\n%s", argv[i], USAGE);
			return 2;
		} else {
			paths.push_back(argv[i]);
		}
	}
	if (only && !language_known(only)) {
		std::fprintf(stderr, "key_accuracy: no language is called '%s'\n%s", only, USAGE);
		return 2;
	}
	if (languages)
		return measure_languages(scale, only);
	const language_model *model = language_named(only && (verdict_only || keyed_verdict) ? only : "en");
	if (paths.empty())
		for (const char *path : held_out_files(model->code))
			paths.push_back(path);
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
	if (verdict_only) {
		measure_verdict(*model, corpus, scale);
		return 0;
	}
	if (keyed_verdict)
		return measure_keyed_verdict(*model, corpus, scale,
		                             dir + "/keyed_verdict_" + model->code + ".txt");
	if (keyed)
		return measure_keyed_targets(corpus, scale, dir);
	if (cipher_type != nullptr)
		return measure_cipher_targets(cipher_type, corpus, scale, texts, dir);
	if (keyed_grid)
		return measure_keyed_grid(corpus, scale, dir, UNTRANSPOSE_BENCH_OUTPUT "/keyed_grid.svg");
	if (second_climbs)
		return measure_second_climbs(corpus, scale);
	if (double_grid)
		return measure_double_grid(corpus, scale, dir, UNTRANSPOSE_BENCH_OUTPUT "/double_grid.svg");

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
		const int trials = std::max(b.trials * scale, 1);
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
			find_keys(*language_named("en"), compact, length, 1, INT32_MAX, best, scratch);
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
	find_keys(*language_named("en"), compact, cipher.size(), 1, INT32_MAX, best, scratch);
	const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
	std::printf("every key of a %zu-byte text: %.1f ms (best key %d)\n", cipher.size(), took.count() * 1e3,
	            static_cast<int>(best[0].key));
	return 0;
}
