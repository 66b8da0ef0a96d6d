// The page's search of every type, as untranspose-key --cipher any runs
// it with --jobs 1: the types in the order it takes them, the cheapest
// first, each searched a job at a time, until one clearly solves the text;
// their answers ranked by how far each is believed.  Stopped, it shows
// the answers as they stand, the current type's among them.
#include "any_ranking.h"
#include "cipher_types.h"
#include "decoder.h"
#include "family_steps.h"
#include "keyed_steps.h"
#include "page_answers.h"
#include "page_cribs.h"
#include "plain_sweep.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>

namespace {

std::span<const char> compact;
const language_model *models[MOST_LANGUAGES];
std::size_t model_count;
std::uint64_t seed;
std::size_t wanted;

const cipher_type *types[MOST_ANY_TYPES];
std::size_t type_count, stage;
bool begun, failed, ended;

// The answers of the types searched and the current one's, each type's
// best `wanted` at most, and as much room again to rank them in.
constexpr std::size_t POOL_ROOM = (MOST_ANY_TYPES + 1) * MOST_PAGE_ANSWERS;
std::unique_ptr<any_answer[]> pool;
std::size_t pooled;

answer_row rows[MOST_PAGE_ANSWERS];
const language_model *rows_model;
std::size_t row_count;
char doing[96];

// The plain columns' search, done at once.
char padded[BUFFER_SIZE];
key_score best[MOST_PAGE_ANSWERS];
key_score trial[language_scratch(MOST_LANGUAGES, MOST_PAGE_ANSWERS)];
char decoded[BUFFER_SIZE];

// The keyed search, with --lang auto's look at each language first.
keyed_steps keyed;
std::size_t keyed_stage;    // the language looked at, or model_count for the full search
const language_model *keyed_model, *best_read;
key_score best_read_score;

keyed_settings keyed_settings_for(const cipher_type &type, bool survey)
{
	keyed_settings settings;
	settings.min_columns = 2;
	settings.max_columns = 40;
	settings.min_rows = page_cribs() != nullptr ? 2 : 3;
	settings.seed = seed;
	settings.answers = wanted;
	settings.cribs = page_cribs();
	settings.rows = type.search == search_kind::keyed_rows;
	settings.most_rounds = survey ? SURVEY_ROUNDS : 0;
	return settings;
}

bool keyed_begin(const cipher_type &type)
{
	keyed_stage = model_count > 1 ? 0 : model_count;
	best_read = nullptr;
	keyed_model = models[0];
	return keyed.begin(*keyed_model, compact, keyed_settings_for(type, model_count > 1));
}

// The keyed search's answers as they stand, into `rows`.
std::size_t keyed_rows(const cipher_type &type)
{
	const std::span<const keyed_answer> answers = search_answers(keyed.search());
	const std::size_t count = std::min(answers.size(), wanted);
	for (std::size_t i = 0; i < count; i++) {
		const keyed_answer &a = answers[i];
		rows[i] = {a.columns, {a.order, static_cast<std::size_t>(a.columns)}, a.score,
		           restarts_at(keyed.search(), a) == 1};
		rows[i].score.cribs = a.cribs;
		if (!type.column_form)
			rows[i].type = &type;
	}
	rows_model = keyed_model;
	return count;
}

// Runs the keyed search's next job, and when one language's look is done
// begins the next, then the full search in the one that read best.
bool keyed_step(const cipher_type &type)
{
	if (keyed.step())
		return true;
	if (keyed_stage >= model_count)
		return false;
	const std::span<const keyed_answer> found = search_answers(keyed.search());
	if (!found.empty() && scores_higher(*keyed_model, found[0].score, best_read, best_read_score)) {
		best_read = keyed_model;
		best_read_score = found[0].score;
	}
	keyed_stage++;
	const bool survey = keyed_stage < model_count;
	keyed_model = survey ? models[keyed_stage] : best_read != nullptr ? best_read : models[0];
	if (!keyed.begin(*keyed_model, compact, keyed_settings_for(type, survey))) {
		failed = true;
		return false;
	}
	return true;
}

std::size_t plain_rows()
{
	std::copy(compact.begin(), compact.end(), padded);
	std::fill(padded + compact.size(), padded + BUFFER_SIZE, '\0');
	const language_keys kept = find_keys_in_languages({models, model_count}, {padded, BUFFER_SIZE}, compact.size(), 1,
	                                                  INT32_MAX, {best, wanted}, {trial, language_scratch(model_count, wanted)},
	                                                  {decoded, BUFFER_SIZE}, page_cribs());
	for (std::size_t i = 0; i < kept.found; i++)
		rows[i] = {best[i].key, {}, best[i]};
	rows_model = kept.model;
	return kept.model != nullptr ? kept.found : 0;
}

bool begin_type()
{
	const cipher_type &type = *types[stage];
	switch (type.search) {
	case search_kind::plain_columns:
		return true;
	case search_kind::keyed_columns:
	case search_kind::keyed_rows:
		return keyed_begin(type);
	default:
		family_begin(type, compact, {models, model_count}, seed, wanted, true);
		return !family_failed();
	}
}

// Runs the current type's next job; false once its search is done, its
// answers then in `rows`.
bool step_type()
{
	const cipher_type &type = *types[stage];
	switch (type.search) {
	case search_kind::plain_columns:
		row_count = plain_rows();
		return false;
	case search_kind::keyed_columns:
	case search_kind::keyed_rows:
		if (keyed_step(type))
			return true;
		row_count = failed ? 0 : keyed_rows(type);
		return false;
	default:
		if (family_step())
			return true;
		failed |= family_failed();
		row_count = family_answers({rows, wanted}, rows_model);
		return false;
	}
}

// The current type's answers as they stand, into `rows`.
std::size_t current_rows()
{
	if (!begun)
		return 0;
	const cipher_type &type = *types[stage];
	switch (type.search) {
	case search_kind::plain_columns:
		return 0;
	case search_kind::keyed_columns:
	case search_kind::keyed_rows:
		return keyed_rows(type);
	default:
		return family_answers({rows, wanted}, rows_model);
	}
}

} // namespace

extern "C" {

// Starts the search of `size` bytes of `text` for a key of any type in
// the list, in the language numbered `language`, or in each of them when
// it is -1, with the settings that untranspose-key --cipher any takes by
// default, the seed aside, keeping the `answers` best.  False if its
// memory cannot be had.
EMSCRIPTEN_KEEPALIVE bool web_any_begin(const char *text, std::size_t size, int language, double seed_given,
                                        std::size_t answers)
{
	compact = set_searched_text(text, size);
	model_count = page_languages(language, models);
	seed = static_cast<std::uint64_t>(seed_given);
	wanted = std::clamp<std::size_t>(answers, 2, MOST_PAGE_ANSWERS);
	type_count = types_by_dearness(types);
	if (!pool)
		pool.reset(new (std::nothrow) any_answer[2 * POOL_ROOM]);
	stage = pooled = row_count = 0;
	begun = ended = false;
	failed = !pool || model_count == 0;
	return !failed;
}

// Runs the search's next job; returns false once the search is done.
EMSCRIPTEN_KEEPALIVE bool web_any_step()
{
	if (ended || failed || stage >= type_count)
		return false;
	if (!begun) {
		if (!begin_type()) {
			failed = true;
			return false;
		}
		begun = true;
	}
	if (step_type())
		return true;
	begun = false;
	if (failed)
		return false;
	const cipher_type &type = *types[stage];
	for (std::size_t i = 0; i < std::min(row_count, wanted); i++)
		keep_any(pool[pooled++], rows[i], type, *rows_model);
	const std::size_t cribs = page_cribs() != nullptr ? page_cribs()->count : 0;
	ended = row_count > 0 && ends_any(*rows_model, rows[0], cribs);
	stage++;
	return !ended && stage < type_count;
}

EMSCRIPTEN_KEEPALIVE bool web_any_failed()
{
	return failed;
}

// How far the search has gone, from 0 to 1, by the types searched.
EMSCRIPTEN_KEEPALIVE double web_any_progress()
{
	return ended || type_count == 0 ? 1 : static_cast<double>(stage) / static_cast<double>(type_count);
}

// The type being searched, and what its last job searched.
EMSCRIPTEN_KEEPALIVE const char *web_any_doing()
{
	if (stage >= type_count)
		return "";
	const cipher_type &type = *types[stage];
	const auto title = static_cast<int>(type.title.size());
	const bool keyed_type = type.search == search_kind::keyed_columns || type.search == search_kind::keyed_rows;
	if (begun && keyed_type && keyed.columns() > 0)
		std::snprintf(doing, sizeof doing, "%.*s, %d columns", title, type.title.data(), static_cast<int>(keyed.columns()));
	else if (begun && family_searches(type) && family_doing()[0] != '\0')
		std::snprintf(doing, sizeof doing, "%.*s, %s", title, type.title.data(), family_doing());
	else
		std::snprintf(doing, sizeof doing, "%.*s", title, type.title.data());
	return doing;
}

// Shows the answers as they stand, the most believed first: those of the
// types searched, and the current type's so far.  Returns how many.
EMSCRIPTEN_KEEPALIVE std::size_t web_any_show()
{
	// The pool is ranked in a copy, with the current type's answers, and
	// stays in the order its answers were found in.
	any_answer *ranked = pool.get() + POOL_ROOM;
	std::copy_n(pool.get(), pooled, ranked);
	std::size_t count = pooled;
	const std::size_t current = begun ? current_rows() : 0;
	for (std::size_t i = 0; i < current && rows_model != nullptr; i++)
		keep_any(ranked[count++], rows[i], *types[stage], *rows_model);
	rank_any({ranked, count});
	if (count == 0 && !begun && !failed && stage >= type_count && model_count > 0) {
		// No type could try a key: the text as it is, as the key 1 leaves it.
		answer_row row{1, {}, score_text(*models[0], compact, 1)};
		row.type = &cipher_types()[0];
		show_rows({&row, 1}, *models[0]);
		return 1;
	}
	const std::size_t shown = std::min(count, wanted);
	show_any({ranked, shown});
	return shown;
}

} // extern "C"
