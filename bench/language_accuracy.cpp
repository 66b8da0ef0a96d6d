#include "language_accuracy.h"

#include "decoder.h"
#include "english.h"
#include "keyed_columns.h"
#include "keyed_search.h"
#include "plain_sweep.h"
#include "model.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

struct held_out {
	const char *code;
	std::vector<const char *> files;
};

const held_out HELD_OUT[] = {
    {"en", {UNTRANSPOSE_ENGLISH "/english.txt", UNTRANSPOSE_ENGLISH "/english_more.txt", UNTRANSPOSE_ENGLISH "/english_terse.txt"}},
    {"de", {UNTRANSPOSE_ENGLISH "/german.txt", UNTRANSPOSE_ENGLISH "/german_more.txt"}},
    {"es", {UNTRANSPOSE_ENGLISH "/spanish.txt", UNTRANSPOSE_ENGLISH "/spanish_more.txt"}},
    {"fr", {UNTRANSPOSE_ENGLISH "/french.txt", UNTRANSPOSE_ENGLISH "/french_more.txt"}},
    {"it", {UNTRANSPOSE_ENGLISH "/italian.txt", UNTRANSPOSE_ENGLISH "/italian_more.txt"}},
    {"pt", {UNTRANSPOSE_ENGLISH "/portuguese.txt", UNTRANSPOSE_ENGLISH "/portuguese_more.txt"}},
};

// A message of whole words, as ciphers are written: only its letters,
// without the passage's punctuation.
std::string message(const std::string &corpus, std::mt19937 &random, std::size_t letters)
{
	std::string text = english_passage(corpus, random, letters);
	std::erase_if(text, [](char c) { return c < 'A' || c > 'Z'; });
	return text;
}

} // namespace

std::span<const char *const> held_out_files(std::string_view code)
{
	for (const held_out &h : HELD_OUT)
		if (code == h.code)
			return h.files;
	return {};
}

namespace {

struct counts {
	int texts = 0, solved = 0, auto_texts = 0, solved_auto = 0, named = 0;
};

void print_row(const char *code, const char *kind, const counts &c)
{
	std::printf("%-4s %-44s %5d %8.1f%%", code, kind, c.texts, 100.0 * c.solved / std::max(c.texts, 1));
	if (c.auto_texts > 0)
		std::printf(" %8.1f%% %8.1f%%  (auto: %d texts)", 100.0 * c.solved_auto / c.auto_texts,
		            100.0 * c.named / c.auto_texts, c.auto_texts);
	std::printf("\n");
}

// The plain transposition: `trials` passages of `least` to `most` letters,
// keys of 2 to 40 columns with at least two rows.
counts plain_trials(const std::string &corpus, const language_model &model,
                    std::span<const language_model *const> every, std::size_t least, std::size_t most, int trials,
                    std::mt19937 &random)
{
	std::vector<char> compact(BUFFER_SIZE), decoded(BUFFER_SIZE), scratch(BUFFER_SIZE);
	key_score best[1];
	std::vector<key_score> trial(language_scratch(every.size(), 1));
	counts c;
	for (int t = 0; t < trials; t++) {
		std::uniform_int_distribution<std::size_t> letters_of(least, most);
		const std::string plain = message(corpus, random, letters_of(random));
		const std::size_t length = plain.size();
		std::uniform_int_distribution<std::size_t> key_of(2, std::max<std::size_t>(2, std::min<std::size_t>(40, length / 2)));
		const std::string cipher = encipher(plain, key_of(random));
		std::fill(compact.begin(), compact.end(), 0);
		std::copy(cipher.begin(), cipher.end(), compact.begin());
		const auto solves = [&](std::int32_t key) {
			decode_columns(compact, length, key, decoded);
			return std::string(decoded.data(), length) == plain;
		};
		find_keys(model, compact, length, 1, INT32_MAX, {best, 1}, scratch);
		c.solved += solves(best[0].key);
		const language_keys chosen = find_keys_in_languages(every, compact, length, 1, INT32_MAX, {best, 1}, trial, scratch);
		c.solved_auto += solves(best[0].key);
		c.named += chosen.model == &model;
		c.texts++;
		c.auto_texts++;
	}
	return c;
}

// The best keyed answer's score and decoding of a cipher, searched on one
// thread in the order untranspose-key --jobs 1 takes.
struct keyed_solution {
	key_score score;
	std::string decoded;
};

struct keyed_bench {
	std::unique_ptr<keyed_search> search = std::make_unique<keyed_search>();
	std::unique_ptr<order_scratch> scratch = std::make_unique<order_scratch>();
	std::unique_ptr<job_result> result = std::make_unique<job_result>();
	std::vector<char> natural = std::vector<char>(BUFFER_SIZE), decoded = std::vector<char>(BUFFER_SIZE);
};

keyed_solution solve_keyed(keyed_bench &b, const keyed_tables &tables, std::span<const char> cipher,
                           std::uint32_t most_rounds = 0)
{
	keyed_settings settings;
	settings.most_rounds = most_rounds;
	begin_search(*b.search, tables, cipher, settings);
	search_on_one_thread(*b.search, *b.scratch, *b.result);
	const keyed_answer &best = search_answers(*b.search)[0];
	const std::span<const std::int32_t> order{best.order, static_cast<std::size_t>(best.columns)};
	std::fill(b.natural.begin(), b.natural.end(), 0);
	naturalise_columns(cipher, cipher.size(), order, b.natural);
	decode_columns(b.natural, cipher.size(), best.columns, b.decoded);
	return {best.score, std::string(b.decoded.data(), cipher.size())};
}

// The keyed transposition: 11 to 20 columns in random orders, 10 to 20
// rows, and the first `auto_trials` of them searched in every language
// too, as --lang auto searches them.
counts keyed_trials(const std::string &corpus, const language_model &model,
                    std::span<const language_model *const> every, int trials, int auto_trials, std::mt19937 &random)
{
	std::vector<std::unique_ptr<keyed_tables>> tables;
	for (const language_model *m : every) {
		tables.push_back(std::make_unique<keyed_tables>());
		build_keyed_tables(*m, *tables.back());
	}
	const auto own = static_cast<std::size_t>(std::find(every.begin(), every.end(), &model) - every.begin());
	keyed_bench b;
	std::vector<char> compact(BUFFER_SIZE);
	counts c;
	for (int t = 0; t < trials; t++) {
		std::uniform_int_distribution<int> columns_of(11, 20), rows_of(10, 20);
		const int columns = columns_of(random);
		std::uniform_int_distribution<int> letters_of(columns * (rows_of(random) - 1) + 1, columns * 20);
		const std::string plain = message(corpus, random, static_cast<std::size_t>(letters_of(random)));
		std::vector<int> ranks(static_cast<std::size_t>(columns));
		std::iota(ranks.begin(), ranks.end(), 1);
		std::shuffle(ranks.begin(), ranks.end(), random);
		const std::string cipher = encipher_keyed(plain, ranks);
		std::fill(compact.begin(), compact.end(), 0);
		std::copy(cipher.begin(), cipher.end(), compact.begin());
		const std::span<const char> text{compact.data(), cipher.size()};
		const keyed_solution mine = solve_keyed(b, *tables[own], text);
		c.solved += mine.decoded == plain;
		c.texts++;
		if (t >= auto_trials)
			continue;
		std::size_t kept = 0;
		key_score survey{};
		for (std::size_t i = 0; i < every.size(); i++) {
			const keyed_solution glance = solve_keyed(b, *tables[i], text, SURVEY_ROUNDS);
			if (i == 0 || scores_higher(*every[i], glance.score, every[kept], survey)) {
				kept = i;
				survey = glance.score;
			}
		}
		c.auto_texts++;
		c.solved_auto += (kept == own ? mine : solve_keyed(b, *tables[kept], text)).decoded == plain;
		c.named += kept == own;
	}
	return c;
}

} // namespace

int measure_languages(int scale, const char *only)
{
	std::vector<const language_model *> every;
	for (const std::string_view code : language_codes())
		every.push_back(language_named(code));
	std::printf("%-4s %-44s %5s %9s %9s %9s\n", "lang", "texts", "count", "solved", "auto", "named");
	std::mt19937 random(20261209);
	for (const held_out &h : HELD_OUT) {
		if (only && std::string_view(only) != h.code)
			continue;
		std::string corpus;
		for (const char *path : h.files)
			corpus += read_file(path) + '\n';
		if (corpus.size() < 1000) {
			std::fprintf(stderr, "key_accuracy: cannot read the held-out text of %s\n", h.code);
			return 2;
		}
		const language_model &model = *language_named(h.code);
		const int few = scale == 0 ? 2 : 100 * scale;
		print_row(h.code, "40-99 letters, keys 2-40, two rows or more",
		          plain_trials(corpus, model, every, 40, 99, few, random));
		print_row(h.code, "100-9,999 letters, the same", plain_trials(corpus, model, every, 100, 9999, few, random));
		// Auto searches every language in full, so it runs on a tenth of them.
		print_row(h.code, "keyed: 11-20 columns, 10-20 rows",
		          keyed_trials(corpus, model, every, scale == 0 ? 1 : 10 * scale, scale == 0 ? 0 : scale, random));
		std::fflush(stdout);
	}

	// The time of auto against one language, on the longest text.
	std::string corpus = read_file(UNTRANSPOSE_ENGLISH "/english.txt");
	std::string plain;
	while (plain.size() < BUFFER_SIZE - 1)
		plain += message(corpus, random, 999);
	plain.resize(BUFFER_SIZE - 1);
	const std::string cipher = encipher(plain, 17);
	std::vector<char> compact(BUFFER_SIZE), scratch(BUFFER_SIZE);
	std::copy(cipher.begin(), cipher.end(), compact.begin());
	key_score best[2];
	std::vector<key_score> trial(language_scratch(every.size(), 2));
	const auto time = [&](std::span<const language_model *const> models) {
		const auto start = std::chrono::steady_clock::now();
		for (int i = 0; i < 5; i++)
			find_keys_in_languages(models, compact, cipher.size(), 1, INT32_MAX, best, trial, scratch);
		return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / 5;
	};
	const double one = time({every.data(), 1}), all = time(every);
	std::printf("every key of a %zu-letter text: %.1f ms in one language, %.1f ms with auto (%.2f times)\n",
	            cipher.size(), one * 1e3, all * 1e3, all / one);
	return 0;
}
