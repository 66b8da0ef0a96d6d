#include "cipher_accuracy.h"

#include "cipher_types.h"
#include "heat_map.h"
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
	std::string_view name;                   // as --cipher names it here
	std::string_view type;                   // the type it enciphers with
	const char *sizes;
	std::int64_t least, most;               // of the key's number
	std::size_t fewest_letters, most_letters;  // or of rows, when in_rows
	bool in_rows;                            // sizes in rows of the key's number of columns
	double solved, median, slowest;          // share, seconds
	int texts;                               // at scale 1
};

constexpr target TARGETS[] = {
    {"permutation", "permutation", "2-20 columns, 4-30 rows", 2, 20, 4, 30, true, 0.98, 1, 20, 200},
    {"railfence", "railfence", "2-20 rails, any offset, 40-1,000 letters", 2, 20, 40, 1000, false, 0.99, 0.5, 5, 200},
    {"route", "route", "widths 3-20, 3-40 rows, any route and corner", 3, 20, 3, 40, true, 0.98, 1, 10, 200},
    {"amsco", "amsco", "4-12 columns, start 1 or 2, 60-300 letters", 4, 12, 60, 300, false, 0.95, 5, 60, 200},
    {"myszkowski", "myszkowski", "5-15 columns with repeated letters, 10-25 rows", 5, 15, 10, 25, true, 0.95, 5, 60, 200},
    {"redefence", "redefence", "3-9 rails, any order and offset, 60-600 letters", 3, 9, 60, 600, false, 0.97, 2, 20, 200},
    {"double", "double", "both keys 5-10 columns, 200-500 letters", 5, 10, 200, 500, false, 0.80, 60, 600, 100},
    {"double-wide", "double", "both keys 11-15 columns, 300-600 letters", 11, 15, 300, 600, false, 0.50, 300, 900, 40},
    {"any", "any", "a mix of every type, 100-600 letters", 0, 0, 100, 600, false, 0.95, 10, 120, 200},
};

// The keys of a column transposition in a mix.
constexpr target COLUMNS = {"columnar", "columnar", "2-15 columns", 2, 15, 0, 0, false, 0, 0, 0, 0};

// An order's read columns, separated by commas, for the failures' file.
std::string listed(const std::vector<std::int32_t> &order)
{
	std::string text;
	for (const std::int32_t column : order)
		text.append(text.empty() ? "" : ",").append(std::to_string(column));
	return text;
}

// The ranks, from 1, of each column of an order whose ties are marked.
std::vector<std::int32_t> ranks_of(const std::vector<std::int32_t> &order, const std::vector<std::uint8_t> &tied)
{
	std::vector<std::int32_t> ranks(order.size());
	std::int32_t rank = 0;
	for (std::size_t j = 0; j < order.size(); j++) {
		rank += tied[j] != 0 ? 0 : 1;
		ranks[static_cast<std::size_t>(order[j])] = rank;
	}
	return ranks;
}

// One text of a type enciphered with a random key of the target's sizes,
// or, for a mix, of `letters` letters.
struct drawn {
	std::string plain, cipher, key;
};

drawn draw(const cipher_type *type, const target *t, std::mt19937 &random, const std::string &corpus, std::size_t mixed)
{
	std::int64_t number = std::uniform_int_distribution<std::int64_t>(t->least, t->most)(random);
	std::size_t letters = std::uniform_int_distribution<std::size_t>(t->fewest_letters, t->most_letters)(random);
	if (mixed > 0)
		letters = mixed;
	else if (t->in_rows)
		letters = letters * static_cast<std::size_t>(number) +
		          (type->whole_rows ? 0
		                            : std::uniform_int_distribution<std::size_t>(0, static_cast<std::size_t>(number) - 1)(random));
	// A mix keeps at least four letters to a column or rail.
	if (mixed > 0)
		number = std::max<std::int64_t>(2, std::min<std::int64_t>(number, static_cast<std::int64_t>(letters / 4)));
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
	// A second key of its own width, for a type of two.
	std::vector<std::int32_t> second;
	if (type->orders == 2) {
		second.resize(static_cast<std::size_t>(std::uniform_int_distribution<std::int64_t>(t->least, t->most)(random)));
		for (std::size_t j = 0; j < second.size(); j++)
			second[j] = static_cast<std::int32_t>(j);
		std::shuffle(second.begin(), second.end(), random);
	}
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
	type->encipher({number, order, offset, route, tied, second}, plain, cipher);
	const std::string key = "--cipher " + std::string(type->name) + " --key " + std::to_string(number) + " --offset " +
	                        std::to_string(offset) + " --route " + std::to_string(route) + " --order " +
	                        (type->ties ? listed(ranks_of(order, tied)) : listed(order)) +
	                        (second.empty() ? "" : " --order " + listed(second));
	return {plain, in_groups(cipher, random() % 2 == 0), key};
}

const target *target_of(std::string_view name)
{
	const target *t = std::find_if(std::begin(TARGETS), std::end(TARGETS), [&](const target &x) { return x.name == name; });
	return t == std::end(TARGETS) ? nullptr : t;
}

} // namespace

int measure_cipher_targets(const std::string &name, const std::string &corpus, int scale, int texts_wanted,
                           const std::string &dir)
{
	const target *t = target_of(name);
	const bool mix = name == "any";
	if (t == nullptr || (!mix && cipher_named(t->type) == nullptr)) {
		std::fprintf(stderr, "key_accuracy: no targets for the cipher type %s\n", name.c_str());
		return 2;
	}
	std::mt19937 random(42);
	const int texts = texts_wanted > 0 ? texts_wanted : scale == 0 ? 1 : t->texts * scale;
	const std::string cipher_file = dir + "/cipher.text", cases = dir + "/cipher.cases", got = dir + "/cipher.got";
	std::vector<outcome> outcomes;
	std::vector<int> tried(cipher_types().size()), solved_of(cipher_types().size());
	const std::string said = dir + "/cipher.said";
	int doubted_right = 0, believed_wrong = 0;
	for (int n = 0; n < texts; n++) {
		// A mix draws each text's type, and its key from the type's own
		// targets (columns of 2 to 15 for the column transpositions).
		const std::size_t which = mix ? random() % cipher_types().size() : 0;
		const cipher_type *type = mix ? &cipher_types()[which] : cipher_named(t->type);
		const target *sizes = mix ? target_of(type->name) : t;
		if (sizes == nullptr)
			sizes = &COLUMNS;
		const std::size_t letters = mix ? std::uniform_int_distribution<std::size_t>(t->fewest_letters, t->most_letters)(random) : 0;
		const drawn text = draw(type, sizes, random, corpus, letters);
		std::ofstream(cipher_file, std::ios::binary) << text.cipher << '\n';
		const auto start = std::chrono::steady_clock::now();
		const int status = run({BENCH_UNTRANSPOSE_KEY, "--cipher", std::string(t->type)}, cipher_file, cases, said);
		const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
		const bool solved = status == 0 && run({BENCH_UNTRANSPOSE}, cases, got) == 0 && read_all(got) == text.plain + "\n";
		// The verdict: a right answer doubted, or a wrong one believed.
		const bool doubted = read_all(said).find("does not look like") != std::string::npos;
		doubted_right += solved && doubted ? 1 : 0;
		believed_wrong += !solved && !doubted ? 1 : 0;
		if (!solved)
			std::ofstream(dir + "/cipher.failures", std::ios::binary | std::ios::app) << text.cipher << '\n' << text.key << '\n';
		outcomes.push_back({solved, took.count()});
		tried[which]++;
		solved_of[which] += solved ? 1 : 0;
	}
	const summary s = summarise(outcomes);
	std::printf("%-10s %-44s %6s %18s %18s %18s\n", "type", "sizes", "texts", "solved (target)", "median (target)",
	            "slowest (target)");
	char solved[32], median[32], slowest[32];
	std::snprintf(solved, sizeof solved, "%.1f%% (%.0f%%)", 100 * s.solved, 100 * t->solved);
	std::snprintf(median, sizeof median, "%.2f s (%.1f s)", s.median, t->median);
	std::snprintf(slowest, sizeof slowest, "%.2f s (%.0f s)", s.slowest, t->slowest);
	std::printf("%-10s %-44s %6d %18s %18s %18s\n", name.c_str(), t->sizes, texts, solved, median, slowest);
	std::printf("verdict: %d of the solved texts doubted, %d of the wrong answers called right\n", doubted_right,
	            believed_wrong);
	for (std::size_t i = 0; mix && i < tried.size(); i++)
		std::printf("  %-12s %3d of %3d solved\n", std::string(cipher_types()[i].name).c_str(), solved_of[i], tried[i]);
	return 0;
}

int measure_double_grid(const std::string &corpus, int scale, const std::string &dir, const std::string &svg)
{
	// A quick run, to keep it working, takes one small corner.
	const std::size_t all_widths[] = {5, 8, 11, 14};
	const std::size_t all_lengths[] = {200, 400, 600};
	const std::span<const std::size_t> widths{all_widths, scale == 0 ? 1 : std::size(all_widths)};
	const std::span<const std::size_t> lengths{all_lengths, scale == 0 ? 1 : std::size(all_lengths)};
	const int texts = std::max(2 * scale, 1);
	const cipher_type &type = *cipher_named("double");
	std::mt19937 random(6174);
	const std::string cipher_file = dir + "/double.text", cases = dir + "/double.cases", got = dir + "/double.got";
	const auto order_of = [&](std::size_t columns) {
		std::vector<std::int32_t> order(columns);
		for (std::size_t j = 0; j < columns; j++)
			order[j] = static_cast<std::int32_t>(j);
		std::shuffle(order.begin(), order.end(), random);
		return order;
	};
	std::vector<heat_panel> panels;
	for (const std::size_t length : lengths) {
		panels.push_back({std::to_string(length) + " letters", {}});
		std::printf("%zu letters: solved and median seconds, first key's columns down, second's across\n", length);
		for (const std::size_t first : widths) {
			panels.back().cells.emplace_back();
			std::printf("%8zu", first);
			for (const std::size_t second : widths) {
				std::vector<outcome> outcomes;
				for (int t = 0; t < texts; t++) {
					// A few letters more, so that most grids are incomplete.
					const std::string plain = message(corpus, random, length + random() % 16);
					const std::vector<std::int32_t> one = order_of(first), two = order_of(second);
					std::string cipher(plain.size(), ' ');
					type.encipher({0, one, 0, 0, {}, two}, plain, cipher);
					std::ofstream(cipher_file, std::ios::binary) << in_groups(cipher, random() % 2 == 0) << '\n';
					const auto start = std::chrono::steady_clock::now();
					const int status = run({BENCH_UNTRANSPOSE_KEY, "--cipher", "double", "--min-key",
					                        std::to_string(std::min(first, second)), "--max-key",
					                        std::to_string(std::max(first, second))},
					                       cipher_file, cases);
					const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
					const bool solved =
					    status == 0 && run({BENCH_UNTRANSPOSE}, cases, got) == 0 && read_all(got) == plain + "\n";
					if (!solved)
						std::ofstream(dir + "/double.failures", std::ios::binary | std::ios::app)
						    << cipher << '\n' << listed(one) << ' ' << listed(two) << '\n';
					outcomes.push_back({solved, took.count()});
				}
				panels.back().cells.back().push_back(summarise(outcomes));
				std::printf(" %4.0f%% %6.1fs", 100 * panels.back().cells.back().back().solved,
				            panels.back().cells.back().back().median);
				std::fflush(stdout);
			}
			std::printf("\n");
		}
	}
	heat_axes axes;
	axes.title = "untranspose-key --cipher double, both widths bounded: solved, median seconds (" +
	             std::to_string(texts) + " texts a cell)";
	axes.columns.assign(widths.begin(), widths.end());
	axes.rows.assign(widths.begin(), widths.end());
	axes.column_name = "second key's columns";
	axes.row_name = "first key's columns";
	return draw_heat_map(svg, axes, panels);
}
