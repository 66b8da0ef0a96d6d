// The keyed search on arbitrary bytes: its first five bytes choose the
// range of columns, the rows asked for, the seed, how many answers are
// kept and the language, and the first line of the rest is the text, read as
// untranspose-key reads one; a second line, if any, is a crib.  Every
// order is tried only of grids small enough to keep the fuzzer quick.  The search must end, give orders that are
// orders, best first, whose cases the filter decodes as the search
// decodes them, and give the same answers whatever order each round's
// jobs ran in.
#include "decoder.h"
#include "keyed_columns.h"
#include "keyed_search.h"
#include "permutation.h"
#include "model.h"
#include "white_space.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

void check(bool ok)
{
	if (!ok)
		std::abort();
}

// The most rounds run, and bytes of text searched: enough to reach every
// path of the plan, few enough to keep the fuzzer quick.
constexpr int ROUNDS = 2;
constexpr std::size_t MOST_TEXT = 90;

struct state {
	keyed_tables tables[MOST_LANGUAGES];
	keyed_search search;
	order_scratch scratch;
	job_result results[MOST_ROUND_JOBS];
	state()
	{
		for (std::size_t i = 0; i < language_codes().size(); i++)
			build_keyed_tables(*language_named(language_codes()[i]), tables[i]);
	}
};

std::vector<keyed_answer> solve(state &s, const keyed_tables &tables, std::span<const char> compact,
                                const keyed_settings &settings, bool backwards)
{
	begin_search(s.search, tables, compact, settings);
	search_job jobs[MOST_ROUND_JOBS];
	for (int round = 0; round < ROUNDS; round++) {
		const std::size_t count = plan_round(s.search, jobs);
		check(count <= MOST_ROUND_JOBS);
		for (std::size_t n = 0; n < count; n++) {
			const std::size_t i = backwards ? count - 1 - n : n;
			run_job(s.search, jobs[i], s.scratch, s.results[i], nullptr);
		}
		for (std::size_t i = 0; i < count && !take_result(s.search, s.results[i]); i++) {
		}
	}
	const std::span<const keyed_answer> answers = search_answers(s.search);
	return {answers.begin(), answers.end()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
	static const std::unique_ptr<state> s = std::make_unique<state>();
	if (size < 5)
		return 0;
	keyed_settings settings;
	settings.max_columns = 1 + data[0] % 10;
	settings.min_columns = 1 + data[1] % 16;
	settings.min_rows = data[2] % 4;
	settings.rows = data[2] / 4 % 2 == 1;
	settings.seed = data[3];
	settings.answers = 1 + data[4] % 4;
	const keyed_tables &tables = s->tables[data[4] / 4 % language_codes().size()];
	std::string_view input(reinterpret_cast<const char *>(data) + 5, size - 5);
	const std::size_t line_end = std::min(input.find('\n'), input.size());
	std::string line(input.substr(0, std::min(line_end, MOST_TEXT)));
	crib_list cribs;
	if (line_end < input.size()) {
		const std::string_view crib = input.substr(line_end + 1);
		settings.cribs = &cribs;
		check(add_crib(cribs, crib.substr(0, crib.find('\n'))) != crib_added::too_many);
	}
	settings.every_order_budget = 5040;
	line.resize(space_separators(line));
	std::vector<char> compact(BUFFER_SIZE);
	const std::size_t length = normalize_text(line, compact);
	const std::span<const char> text{compact.data(), length};

	const std::vector<keyed_answer> answers = solve(*s, tables, text, settings, false);
	check(!answers.empty() && answers.size() <= std::max<std::size_t>(settings.answers, 2));
	std::string stream, expected;
	for (std::size_t i = 0; i < answers.size(); i++) {
		const keyed_answer &a = answers[i];
		const auto k = static_cast<std::size_t>(a.columns);
		check(k >= 1 && k <= MOST_KEYED_COLUMNS);
		std::vector<bool> seen(k);
		for (std::size_t j = 0; j < k; j++) {
			const auto column = static_cast<std::size_t>(a.order[j]);
			check(a.order[j] >= 0 && column < k && !seen[column]);
			seen[column] = true;
		}
		check(i == 0 || answers[i - 1].cribs > a.cribs ||
		      (answers[i - 1].cribs == a.cribs && answers[i - 1].belief >= a.belief));
		std::vector<char> natural(BUFFER_SIZE), decoded(BUFFER_SIZE);
		if (settings.rows) {
			// A block permutation's case is the key 1 and its decoding.
			decipher_permutation({a.columns, {a.order, k}, 0}, text, decoded);
			stream += "1\n" + std::string(decoded.data(), length) + "\n";
			expected += std::string(decoded.data(), length) + "\n";
			continue;
		}
		naturalise_columns(text, length, {a.order, k}, natural);
		decode_columns(natural, length, a.columns, decoded);
		stream += std::to_string(k) + "\n" + std::string(natural.data(), length) + "\n";
		expected += std::string(decoded.data(), length) + "\n";
	}
	stream += "0\n";
	const model_result filtered = run_model(stream);
	check(filtered.status == 0 && filtered.output == expected);

	const std::vector<keyed_answer> again = solve(*s, tables, text, settings, true);
	check(again.size() == answers.size());
	for (std::size_t i = 0; i < answers.size(); i++)
		check(again[i].columns == answers[i].columns &&
		      std::equal(again[i].order, again[i].order + again[i].columns, answers[i].order));
	return 0;
}
