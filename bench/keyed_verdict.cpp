#include "keyed_verdict.h"

#include "decoder.h"
#include "english.h"
#include "keyed_columns.h"
#include "keyed_search.h"
#include "plain_sweep.h"
#include "model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

// A message of whole words of at least `letters` letters, its letters only.
std::string letters_only(const std::string &corpus, std::mt19937 &random, std::size_t letters)
{
	std::string text = english_passage(corpus, random, letters);
	std::erase_if(text, [](char c) { return c < 'A' || c > 'Z'; });
	return text;
}

struct searcher {
	std::unique_ptr<keyed_tables> tables = std::make_unique<keyed_tables>();
	std::unique_ptr<keyed_search> search = std::make_unique<keyed_search>();
	std::unique_ptr<order_scratch> scratch = std::make_unique<order_scratch>();
	std::unique_ptr<job_result> result = std::make_unique<job_result>();

	// The best answer for `cipher`, searched on one thread in the order
	// untranspose-key --jobs 1 takes, and its decoding.
	std::pair<keyed_answer, std::string> solve(const std::string &cipher)
	{
		begin_search(*search, *tables, cipher, {});
		search_on_one_thread(*search, *scratch, *result);
		const keyed_answer best = search_answers(*search)[0];
		std::string natural(cipher.size(), ' '), decoded(cipher.size(), ' ');
		naturalise_columns(cipher, cipher.size(), {best.order, static_cast<std::size_t>(best.columns)}, natural);
		decode_columns(natural, cipher.size(), best.columns, decoded);
		return {best, decoded};
	}
};

} // namespace

int measure_keyed_verdict(const language_model &model, const std::string &corpus, int scale, const std::string &data)
{
	const struct {
		const char *name;
		int min_columns, max_columns, min_rows, max_rows;
		int trials;
		bool noise;
	} buckets[] = {
	    {"15-40 columns, 4-10 rows", 15, 40, 4, 10, 60, false},
	    {"2-10 columns, 5-15 rows", 2, 10, 5, 15, 40, false},
	    {"11-20 columns, 10-20 rows", 11, 20, 10, 20, 20, false},
	    {"random letters, 2-40 columns, 3-20 rows", 2, 40, 3, 20, 10, true},
	};
	searcher s;
	build_keyed_tables(model, *s.tables);
	std::ofstream points(data);
	points << "# bucket columns found letters log10/quadgram log10(K!)/quadgram solved flagged restarts_at rounds\n";
	std::mt19937 random(20261210);
	std::printf("untranspose-key --keyed's verdict in %s: a keyed answer passes at %.2f (%.2f if one restart reached it)\n"
	            "+ %.2f log10 K! per quadgram, and at %.2f\n",
	            model.name, model.keyed_floor, model.once_floor, model.keyed_slope, model.verdict_floor);
	std::printf("%-42s %6s %8s %14s %14s\n", "texts", "count", "solved", "wrong flagged", "right flagged");
	for (std::size_t b = 0; b < std::size(buckets); b++) {
		const auto &bucket = buckets[b];
		int solved = 0, wrong = 0, wrong_flagged = 0, right_flagged = 0;
		const int trials = scale == 0 ? 1 : bucket.trials * scale;
		for (int t = 0; t < trials; t++) {
			std::uniform_int_distribution<int> columns_of(bucket.min_columns, bucket.max_columns);
			std::uniform_int_distribution<int> rows_of(bucket.min_rows, bucket.max_rows);
			const auto k = static_cast<std::size_t>(columns_of(random));
			// Random letters are as long as the verdict judges, 40 letters.
			std::size_t length = k * static_cast<std::size_t>(rows_of(random)) + random() % k;
			if (bucket.noise)
				length = std::max<std::size_t>(length, JUDGED_LETTERS);
			std::string plain;
			if (bucket.noise) {
				std::uniform_int_distribution<int> letter('A', 'Z');
				for (std::size_t i = 0; i < length; i++)
					plain += static_cast<char>(letter(random));
			} else {
				plain = letters_only(corpus, random, length).substr(0, length);
			}
			std::vector<int> ranks(k);
			std::iota(ranks.begin(), ranks.end(), 1);
			std::shuffle(ranks.begin(), ranks.end(), random);
			const auto [answer, decoded] = s.solve(encipher_keyed(plain, ranks));
			const bool right = !bucket.noise && decoded == plain;
			const bool natural = std::is_sorted(answer.order, answer.order + answer.columns);
			const bool once = restarts_at(*s.search, answer) == 1;
			const bool flagged = (natural ? judge(model, answer.score)
			                              : judge_order(model, answer.score, static_cast<std::size_t>(answer.columns), once)) ==
			                     verdict::not_english;
			solved += right;
			wrong += !right;
			(right ? right_flagged : wrong_flagged) += flagged;
			const double prior = static_cast<double>(order_prior(model, static_cast<std::size_t>(answer.columns))) *
			                     model.step / static_cast<double>(std::max<std::size_t>(answer.score.quadgrams, 1));
			char line[160];
			std::snprintf(line, sizeof line, "%zu %zu %d %zu %.4f %.4f %d %d %u %u\n", b, k,
			              static_cast<int>(answer.columns), length, log10_per_quadgram(model, answer.score), prior, right,
			              flagged, restarts_at(*s.search, answer), s.search->round);
			points << line;
		}
		const auto share = [](int part, int whole) { return whole == 0 ? 0.0 : 100.0 * part / whole; };
		char wrong_text[32], right_text[32];
		std::snprintf(wrong_text, sizeof wrong_text, "%d/%d %5.1f%%", wrong_flagged, wrong, share(wrong_flagged, wrong));
		std::snprintf(right_text, sizeof right_text, "%d/%d %5.1f%%", right_flagged, solved, share(right_flagged, solved));
		std::printf("%-42s %6d %7.1f%% %14s %14s\n", bucket.name, trials, share(solved, trials), wrong_text, right_text);
		std::fflush(stdout);
	}
	std::printf("each answer: %s\n", data.c_str());
	return points ? 0 : 1;
}
