#include "cipher_accuracy.h"

#include "cipher_types.h"
#include "process_runs.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

// The targets of the types measured here, by the issue that brought them.
struct target {
	std::string_view type;
	const char *sizes;
	std::int64_t least, most;               // of the key's number
	std::size_t fewest_letters, most_letters;  // or of rows, when in_rows
	bool in_rows;                            // sizes in rows of the key's number of columns
	double solved, median, slowest;          // share, seconds
	int texts;                               // at scale 1
};

constexpr target TARGETS[] = {
    {"permutation", "2-20 columns, 4-30 rows", 2, 20, 4, 30, true, 0.98, 1, 20, 200},
    {"railfence", "2-20 rails, any offset, 40-1,000 letters", 2, 20, 40, 1000, false, 0.99, 0.5, 5, 200},
    {"route", "widths 3-20, 3-40 rows, any route and corner", 3, 20, 3, 40, true, 0.98, 1, 10, 200},
    {"amsco", "4-12 columns, start 1 or 2, 60-300 letters", 4, 12, 60, 300, false, 0.95, 5, 60, 200},
    {"myszkowski", "5-15 columns with repeated letters, 10-25 rows", 5, 15, 10, 25, true, 0.95, 5, 60, 200},
    {"redefence", "3-9 rails, any order and offset, 60-600 letters", 3, 9, 60, 600, false, 0.97, 2, 20, 200},
};

// An order's read columns, separated by commas, for the failures' file.
std::string listed(const std::vector<std::int32_t> &order)
{
	std::string text;
	for (const std::int32_t column : order)
		text.append(text.empty() ? "" : ",").append(std::to_string(column));
	return text;
}

} // namespace

int measure_cipher_targets(const std::string &name, const std::string &corpus, int scale, const std::string &dir)
{
	const target *t = std::find_if(std::begin(TARGETS), std::end(TARGETS), [&](const target &x) { return x.type == name; });
	const cipher_type *type = cipher_named(name);
	if (t == std::end(TARGETS) || type == nullptr) {
		std::fprintf(stderr, "key_accuracy: no targets for the cipher type %s\n", name.c_str());
		return 2;
	}
	std::mt19937 random(42);
	const int texts = scale == 0 ? 1 : t->texts * scale;
	const std::string cipher_file = dir + "/cipher.text", cases = dir + "/cipher.cases", got = dir + "/cipher.got";
	std::vector<outcome> outcomes;
	for (int n = 0; n < texts; n++) {
		const std::int64_t number = std::uniform_int_distribution<std::int64_t>(t->least, t->most)(random);
		std::size_t letters =
		    std::uniform_int_distribution<std::size_t>(t->fewest_letters, t->most_letters)(random);
		if (t->in_rows)
			letters = letters * static_cast<std::size_t>(number) +
			          (type->whole_rows ? 0
			                            : std::uniform_int_distribution<std::size_t>(0, static_cast<std::size_t>(number) - 1)(random));
		std::string plain = message(corpus, random, letters);
		// A whole grid's last row is filled with X, as transpose fills it.
		if (type->whole_rows && plain.size() % static_cast<std::size_t>(number) != 0)
			plain.append(static_cast<std::size_t>(number) - plain.size() % static_cast<std::size_t>(number), 'X');
		const std::int64_t offset = std::uniform_int_distribution<std::int64_t>(0, type->offsets(number) - 1)(random);
		std::vector<std::int32_t> order;
		if ((type->options & NUMBER_OPTION) == 0) {
			order.resize(static_cast<std::size_t>(number));
			for (std::size_t j = 0; j < order.size(); j++)
				order[j] = static_cast<std::int32_t>(j);
			std::shuffle(order.begin(), order.end(), random);
		}
		const std::int64_t route = std::uniform_int_distribution<std::int64_t>(0, type->routes(number) - 1)(random);
		// Ranks that tie, for a type that takes ties: some M of the K
		// columns' letters, each at least once, the others repeated.
		std::vector<std::uint8_t> tied;
		if (type->ties) {
			const auto columns = static_cast<std::size_t>(number);
			const std::size_t distinct = std::uniform_int_distribution<std::size_t>(columns / 2, columns - 1)(random);
			std::vector<std::int32_t> ranks(columns);
			for (std::size_t c = 0; c < columns; c++)
				ranks[c] = static_cast<std::int32_t>(c < distinct ? c : random() % distinct);
			std::shuffle(ranks.begin(), ranks.end(), random);
			std::stable_sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
				return ranks[static_cast<std::size_t>(a)] < ranks[static_cast<std::size_t>(b)] ||
				       (ranks[static_cast<std::size_t>(a)] == ranks[static_cast<std::size_t>(b)] && a < b);
			});
			tied.resize(columns);
			for (std::size_t j = 1; j < columns; j++)
				tied[j] = ranks[static_cast<std::size_t>(order[j])] == ranks[static_cast<std::size_t>(order[j - 1])];
		}
		std::string cipher(plain.size(), ' ');
		type->encipher({number, order, offset, route, tied}, plain, cipher);
		std::ofstream(cipher_file, std::ios::binary) << in_groups(cipher, random() % 2 == 0) << '\n';
		const auto start = std::chrono::steady_clock::now();
		const int status = run({BENCH_UNTRANSPOSE_KEY, "--cipher", name}, cipher_file, cases);
		const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
		const bool solved = status == 0 && run({BENCH_UNTRANSPOSE}, cases, got) == 0 && read_all(got) == plain + "\n";
		if (!solved)
			std::ofstream(dir + "/cipher.failures", std::ios::binary | std::ios::app)
			    << read_all(cipher_file) << "--key " << number << " --offset " << offset << " order " << listed(order) << '\n';
		outcomes.push_back({solved, took.count()});
	}
	const summary s = summarise(outcomes);
	std::printf("%-10s %-44s %6s %18s %18s %18s\n", "type", "sizes", "texts", "solved (target)", "median (target)",
	            "slowest (target)");
	char solved[32], median[32], slowest[32];
	std::snprintf(solved, sizeof solved, "%.1f%% (%.0f%%)", 100 * s.solved, 100 * t->solved);
	std::snprintf(median, sizeof median, "%.2f s (%.1f s)", s.median, t->median);
	std::snprintf(slowest, sizeof slowest, "%.2f s (%.0f s)", s.slowest, t->slowest);
	std::printf("%-10s %-44s %6d %18s %18s %18s\n", name.c_str(), t->sizes, texts, solved, median, slowest);
	return 0;
}
