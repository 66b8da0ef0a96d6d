#include "keyed_accuracy.h"
#include "heat_map.h"
#include "process_runs.h"

#include "decoder.h"
#include "english.h"
#include "keyed_columns.h"
#include "keyed_search.h"
#include "model.h"

#include <algorithm>
#include <cctype>
#include <tuple>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// A message of whole words of at least `letters` letters, its letters
// only, and one of its words of five letters or more to give as a crib;
// drawn again until it has one.
std::pair<std::string, std::string> message_and_crib(const std::string &corpus, std::mt19937 &random,
                                                     std::size_t letters)
{
	std::uniform_int_distribution<std::size_t> start_of(0, corpus.size() - 1);
	for (;;) {
		std::size_t at = start_of(random);
		while (corpus[at % corpus.size()] != ' ')
			at++;
		std::string text, word;
		std::vector<std::string> long_words;
		for (;; at++) {
			const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(corpus[at % corpus.size()])));
			if (c == ' ' || c == '\n') {
				if (word.size() >= 5)
					long_words.push_back(word);
				word.clear();
				if (text.size() >= letters)
					break;
			} else if (c >= 'A' && c <= 'Z') {
				text += c;
				word += c;
			}
		}
		if (!long_words.empty())
			return {text, long_words[random() % long_words.size()]};
	}
}

// Enciphers `plain` with `ranks`, lets untranspose-key --keyed (with
// `extra` arguments) and the filter decode it, and times the search.
outcome solve(const std::string &plain, const std::vector<int> &ranks, std::mt19937 &random,
              const std::vector<std::string> &extra, const std::string &dir)
{
	const std::string cipher = dir + "/keyed.cipher", cases = dir + "/keyed.cases", got = dir + "/keyed.got";
	std::ofstream(cipher, std::ios::binary) << in_groups(encipher_keyed(plain, ranks), random() % 2 == 0) << '\n';
	std::vector<std::string> argv = {BENCH_UNTRANSPOSE_KEY, "--keyed"};
	argv.insert(argv.end(), extra.begin(), extra.end());
	const auto start = std::chrono::steady_clock::now();
	const int status = run(argv, cipher, cases);
	const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
	const bool filtered = status == 0 && run({BENCH_UNTRANSPOSE}, cases, got) == 0;
	const bool solved = filtered && read_all(got) == plain + "\n";
	if (!solved) {
		// Kept for a closer look: the cipher, and the order it was made with.
		std::ofstream failures(dir + "/keyed.failures", std::ios::binary | std::ios::app);
		failures << read_all(cipher) << "--order ";
		for (std::size_t c = 0; c < ranks.size(); c++)
			failures << (c ? "," : "") << ranks[c];
		failures << '\n';
	}
	return {solved, took.count()};
}

std::vector<int> random_ranks(std::size_t k, std::mt19937 &random)
{
	std::vector<int> ranks(k);
	std::iota(ranks.begin(), ranks.end(), 1);
	std::shuffle(ranks.begin(), ranks.end(), random);
	return ranks;
}

// Every order of six columns of two short messages, each searched on one
// thread as untranspose-key --jobs 1 searches it: how many come back
// wrong, and how many of those miss an order that the search itself would
// have believed more, the message's own.  `every` takes every so many
// orders, to keep it quick.
void measure_every_order(int every)
{
	const std::unique_ptr<keyed_tables> tables = std::make_unique<keyed_tables>();
	build_keyed_tables(*language_named("en"), *tables);
	const std::unique_ptr<keyed_search> search = std::make_unique<keyed_search>();
	const std::unique_ptr<order_scratch> scratch = std::make_unique<order_scratch>();
	const std::unique_ptr<job_result> result = std::make_unique<job_result>();
	for (const std::string plain : {"HOSTILEATTACKHASBROKENDOWN", "DEFENDTHEEASTWALLOFTHECASTLE"}) {
		std::vector<int> ranks = {1, 2, 3, 4, 5, 6};
		int orders = 0, wrong = 0, missed = 0, drawn = 0;
		do {
			if (drawn++ % every != 0)
				continue;
			const std::string cipher = encipher_keyed(plain, ranks);
			begin_search(*search, *tables, cipher, {});
			search_on_one_thread(*search, *scratch, *result);
			const keyed_answer &best = search_answers(*search)[0];
			std::string natural(cipher.size(), ' '), decoded(cipher.size(), ' ');
			naturalise_columns(cipher, cipher.size(), {best.order, static_cast<std::size_t>(best.columns)}, natural);
			decode_columns(natural, cipher.size(), best.columns, decoded);
			orders++;
			if (decoded == plain)
				continue;
			wrong++;
			const key_score own = score_text(*tables->model, plain, 6);
			missed += ranked(own) - order_prior(*tables->model, 6) > best.belief;
		} while (std::next_permutation(ranks.begin(), ranks.end()));
		std::printf("%s in each of %d orders of 6 columns: %d wrong, %d of them missing the message's better score\n",
		            plain.c_str(), orders, wrong, missed);
	}
}

} // namespace

int measure_keyed_targets(const std::string &corpus, int scale, const std::string &dir)
{
	const struct {
		const char *name;
		std::size_t min_columns, max_columns;
		std::size_t min_rows, max_rows;   // 0: a length of min_letters to max_letters instead
		std::size_t min_letters, max_letters;
		bool given, natural, crib;
		int trials;
	} buckets[] = {
	    {"2-10 columns, 50-150 letters", 2, 10, 0, 0, 50, 150, false, false, false, 50},
	    {"4-9 columns, 15-40 letters, a crib", 4, 9, 0, 0, 15, 40, false, false, true, 50},
	    {"11-20 columns, 10-20 rows", 11, 20, 10, 20, 0, 0, false, false, false, 40},
	    {"21-30 columns, 15-25 rows", 21, 30, 15, 25, 0, 0, false, false, false, 20},
	    {"31-50 columns, 20-30 rows, K given", 31, 50, 20, 30, 0, 0, true, false, false, 20},
	    {"natural order, 2-40 columns, 5-20 rows", 2, 40, 5, 20, 0, 0, false, true, false, 40},
	};
	measure_every_order(scale == 0 ? 24 : 1);
	std::mt19937 random(20261209);
	std::printf("untranspose-key --keyed, one process per text, then untranspose: solved when it prints the message\n");
	std::printf("%-42s %6s %8s %8s %8s\n", "texts", "count", "solved", "median", "slowest");
	for (const auto &b : buckets) {
		std::vector<outcome> outcomes;
		for (int t = 0; t < (scale == 0 ? 1 : b.trials * scale); t++) {
			std::uniform_int_distribution<std::size_t> columns_of(b.min_columns, b.max_columns);
			const std::size_t k = columns_of(random);
			// At least two rows, with a crib; at least three without.
			std::uniform_int_distribution<std::size_t> letters_of(
			    b.min_rows ? k * b.min_rows : std::max(b.min_letters, k * (b.crib ? 2 : 3)),
			    b.min_rows ? k * b.max_rows : b.max_letters);
			std::string plain, crib;
			if (b.crib)
				std::tie(plain, crib) = message_and_crib(corpus, random, letters_of(random));
			else
				plain = message(corpus, random, letters_of(random));
			std::vector<int> ranks = random_ranks(k, random);
			if (b.natural)
				std::iota(ranks.begin(), ranks.end(), 1);
			std::vector<std::string> extra;
			if (b.given)
				extra = {"--min-key", std::to_string(k), "--max-key", std::to_string(k)};
			if (b.crib)
				extra = {"--crib", crib};
			outcomes.push_back(solve(plain, ranks, random, extra, dir));
		}
		const summary s = summarise(outcomes);
		std::printf("%-42s %6zu %7.1f%% %7.2fs %7.2fs\n", b.name, outcomes.size(), 100 * s.solved, s.median, s.slowest);
		std::fflush(stdout);
	}
	return 0;
}

int measure_keyed_grid(const std::string &corpus, int scale, const std::string &dir, const std::string &svg)
{
	// A quick run, to keep it working, takes the corner of small grids: a
	// grid of many columns and few rows is searched at length, and then
	// given up.
	const std::size_t all_columns[] = {5, 10, 15, 20, 25, 30, 35, 40, 45, 50};
	const std::size_t all_rows[] = {5, 10, 15, 20, 25, 30};
	const std::span<const std::size_t> columns{all_columns, scale == 0 ? 3 : std::size(all_columns)};
	const std::span<const std::size_t> rows{all_rows, scale == 0 ? 2 : std::size(all_rows)};
	std::mt19937 random(5030);
	std::vector<std::vector<summary>> grid;
	std::printf("untranspose-key --keyed with the number of columns given: solved, and median seconds\n");
	std::printf("%8s", "rows");
	for (const std::size_t k : columns)
		std::printf(" %11zu", k);
	std::printf("  columns\n");
	for (const std::size_t r : rows) {
		grid.emplace_back();
		std::printf("%8zu", r);
		for (const std::size_t k : columns) {
			std::vector<outcome> outcomes;
			for (int t = 0; t < std::max(4 * scale, 1); t++) {
				// r rows and a random part of one more: most grids are
				// incomplete.
				std::string plain = message(corpus, random, k * r + random() % k);
				plain.resize(std::min(plain.size(), k * r + random() % k));
				outcomes.push_back(solve(plain, random_ranks(k, random), random,
				                         {"--min-key", std::to_string(k), "--max-key", std::to_string(k)}, dir));
			}
			grid.back().push_back(summarise(outcomes));
			std::printf(" %4.0f%% %5.1fs", 100 * grid.back().back().solved, grid.back().back().median);
			std::fflush(stdout);
		}
		std::printf("\n");
	}

	heat_axes axes;
	axes.title = "untranspose-key --keyed, columns given: solved, median seconds (" +
	             std::to_string(std::max(4 * scale, 1)) + " texts a cell)";
	axes.columns.assign(columns.begin(), columns.end());
	axes.rows.assign(rows.begin(), rows.end());
	axes.column_name = "columns";
	axes.row_name = "rows";
	return draw_heat_map(svg, axes, {{"", grid}});
}
