// The page's entry points into the keyed transposition: decoding with a
// keyword's or an order's columns, enciphering as transpose does, and the
// keyed search.  The search is run one job at a time, in the order that
// untranspose-key --jobs 1 runs them, so that the worker running it can
// show its progress and take a request to stop between jobs, and finds
// the same answer as the program.
#include "decoder.h"
#include "keyed_columns.h"
#include "keyed_steps.h"
#include "orders.h"
#include "page_cribs.h"
#include "white_space.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// The working buffers, allocated once with the module.
char line[BUFFER_SIZE];
char compact[BUFFER_SIZE];
char natural[BUFFER_SIZE];
char decoded[BUFFER_SIZE];
std::int32_t ranks[MOST_ORDER_COLUMNS];
std::int32_t order[MOST_ORDER_COLUMNS];
std::size_t order_columns;
char keyword[27];

keyed_steps steps;
// The language that read best of those looked at, and its best score.
const language_model *best_read;
key_score best_read_score;

// Normalises `size` bytes of `text` into `compact` as untranspose-key and
// transpose read a line: every white space byte and no-break space a
// space, then as the filter normalises a text.  Returns L.
std::size_t compact_line(const char *text, std::size_t size)
{
	std::memset(line, 0, sizeof line);
	std::memset(compact, 0, sizeof compact);
	std::size_t kept = std::min(size, BUFFER_SIZE - 1);
	std::memcpy(line, text, kept);
	kept = space_separators({line, kept});
	return normalize_text({line, kept}, {compact, BUFFER_SIZE});
}

} // namespace

extern "C" {

// Reads `size` bytes of `text` as an order: ranks separated by commas if
// it holds a digit, otherwise a keyword.  Returns K, or 0 if it is
// neither; web_order_ranks() then holds the ranks.
EMSCRIPTEN_KEEPALIVE std::size_t web_order(const char *text, std::size_t size)
{
	const std::string_view given{text, size};
	const bool numbers = std::any_of(given.begin(), given.end(), [](char c) { return c >= '0' && c <= '9'; });
	order_columns = numbers ? parse_ranks(given, ranks) : keyword_ranks(given, ranks);
	read_order({ranks, order_columns}, {order, order_columns});
	return order_columns;
}

EMSCRIPTEN_KEEPALIVE const std::int32_t *web_order_ranks()
{
	return ranks;
}

// Decodes `size` bytes of `text` with the order last read, as
// untranspose-key --order and then the filter decode it; the decoding is
// at web_keyed_decoded(), and its length is returned.
EMSCRIPTEN_KEEPALIVE std::size_t web_keyed_decode(const char *text, std::size_t size)
{
	const std::size_t length = compact_line(text, size);
	std::memset(natural, 0, sizeof natural);
	std::memset(decoded, 0, sizeof decoded);
	naturalise_columns({compact, length}, length, {order, order_columns}, {natural, BUFFER_SIZE});
	decode_columns({natural, BUFFER_SIZE}, length, static_cast<std::int32_t>(order_columns), {decoded, BUFFER_SIZE});
	return length;
}

EMSCRIPTEN_KEEPALIVE const char *web_keyed_decoded()
{
	return decoded;
}

// Enciphers `size` bytes of `text` as transpose does, with `key` columns
// read from left to right, or, when `key` is 0, with the order last read.
// The cipher text, ungrouped, is at web_keyed_decoded(); returns its
// length.
EMSCRIPTEN_KEEPALIVE std::size_t web_encipher(const char *text, std::size_t size, std::int32_t key)
{
	const std::size_t length = compact_line(text, size);
	std::memset(decoded, 0, sizeof decoded);
	if (key == 0)
		encipher_keyed({compact, BUFFER_SIZE}, length, {order, order_columns}, {decoded, BUFFER_SIZE});
	else
		encipher_columns({compact, BUFFER_SIZE}, length, key, {decoded, BUFFER_SIZE});
	return length;
}

// Starts a keyed search of `size` bytes of `text` in the language
// numbered `language`, with the settings that untranspose-key --keyed
// takes by default, the seed aside, keeping the `answers` best; with
// `survey`, for the SURVEY_ROUNDS rounds that --lang auto looks at each
// language for; with `rows`, of blocks read out as a grid's rows, as a
// block permutation reads them.  False if its memory cannot be had.
EMSCRIPTEN_KEEPALIVE bool web_solve_begin(const char *text, std::size_t size, std::size_t language, double seed,
                                          std::size_t answers, bool survey, bool rows)
{
	const std::span<const std::string_view> codes = language_codes();
	const language_model *model = language_named(codes[language < codes.size() ? language : 0]);
	const std::size_t length = compact_line(text, size);
	keyed_settings settings;
	settings.seed = static_cast<std::uint64_t>(seed);
	settings.answers = std::clamp<std::size_t>(answers, 2, MOST_ANSWERS);
	settings.most_rounds = survey ? SURVEY_ROUNDS : 0;
	settings.rows = rows;
	// Two rows at least with a crib, as untranspose-key --keyed takes them.
	settings.cribs = page_cribs();
	if (settings.cribs != nullptr)
		settings.min_rows = 2;
	return steps.begin(*model, {compact, length}, settings);
}

// Forgets the languages looked at, before --lang auto's look at each.
EMSCRIPTEN_KEEPALIVE void web_survey_begin()
{
	best_read = nullptr;
}

// Whether the search just ended reads better in its own language than
// every one looked at before it, as untranspose-key --lang auto chooses
// among them; if so, it is the best read from now on.
EMSCRIPTEN_KEEPALIVE bool web_survey_better()
{
	const std::span<const keyed_answer> found = search_answers(steps.search());
	const language_model *model = steps.tables().model;
	if (found.empty() || !scores_higher(*model, found[0].score, best_read, best_read_score))
		return false;
	best_read = model;
	best_read_score = found[0].score;
	return true;
}

// Runs the search's next job; returns false once the search is done.
EMSCRIPTEN_KEEPALIVE bool web_solve_step()
{
	return steps.step();
}

EMSCRIPTEN_KEEPALIVE double web_solve_progress()
{
	return steps.progress();
}

EMSCRIPTEN_KEEPALIVE std::int32_t web_solve_columns()
{
	return steps.columns();
}

EMSCRIPTEN_KEEPALIVE std::size_t web_solve_answers()
{
	return search_answers(steps.search()).size();
}

EMSCRIPTEN_KEEPALIVE std::int32_t web_answer_columns(std::size_t i)
{
	return search_answers(steps.search())[i].columns;
}

// The verdict on answer i, as untranspose-key --keyed gives it: an order
// is held to what the search's wrong answers of its size score.  0 too
// short to judge, 1 reads as the language, 2 does not.
EMSCRIPTEN_KEEPALIVE int web_answer_verdict(std::size_t i)
{
	const keyed_answer &a = search_answers(steps.search())[i];
	const auto columns = static_cast<std::size_t>(a.columns);
	bool keyed = false;
	for (std::size_t j = 0; j < columns; j++)
		keyed |= a.order[j] != static_cast<std::int32_t>(j);
	return static_cast<int>(keyed ? judge_order(*steps.tables().model, a.score, columns, restarts_at(steps.search(), a) == 1)
	                              : judge(*steps.tables().model, a.score));
}

// How many of the cribs answer i's decoding holds.
EMSCRIPTEN_KEEPALIVE std::uint32_t web_answer_cribs(std::size_t i)
{
	return search_answers(steps.search())[i].cribs;
}

EMSCRIPTEN_KEEPALIVE double web_answer_score(std::size_t i)
{
	return log10_per_quadgram(*steps.tables().model, search_answers(steps.search())[i].score);
}

// How many quadgrams the score of answer i covers; with none, the score
// says nothing.
EMSCRIPTEN_KEEPALIVE std::size_t web_answer_quadgrams(std::size_t i)
{
	return search_answers(steps.search())[i].score.quadgrams;
}

// The ranks of answer i, into web_order_ranks().
EMSCRIPTEN_KEEPALIVE const std::int32_t *web_answer_ranks(std::size_t i)
{
	const keyed_answer &a = search_answers(steps.search())[i];
	ranks_of({a.order, static_cast<std::size_t>(a.columns)}, {ranks, static_cast<std::size_t>(a.columns)});
	return ranks;
}

// A keyword with the ranks in web_order_ranks() of `columns` columns, or
// an empty string for more than 26.
EMSCRIPTEN_KEEPALIVE const char *web_keyword_of(std::size_t columns)
{
	std::memset(keyword, 0, sizeof keyword);
	if (columns > 26 || !keyword_of({ranks, columns}, {keyword, columns}))
		keyword[0] = '\0';
	return keyword;
}
}
