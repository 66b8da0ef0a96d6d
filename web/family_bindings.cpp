// The page's searches of the types beyond the columns: those made of jobs
// (a redefence's rails, an order fitted to a type's decodings, both keys
// of a double columnar) and those that try every key.  They run a job at a
// time, as untranspose-key --jobs 1 runs them, so that the worker running
// them can show how far they have gone and take a request to stop between
// jobs; the answers found so far can be read at any time.  Each language
// asked for is searched in full, and the one whose best answer scores
// highest in its own terms is kept, as untranspose-key --lang auto keeps
// it.
#include "cipher_types.h"
#include "decoder.h"
#include "keyed_tables.h"
#include "page_cribs.h"
#include "plain_sweep.h"
#include "search_limits.h"
#include "search_parts.h"
#include "sweep.h"
#include "white_space.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

namespace {

// The most answers the page keeps of a search.
constexpr std::size_t MOST_PAGE_ANSWERS = 20;

// An answer held in its own room, whichever search found it.
struct page_answer {
	std::int32_t number;
	std::int64_t offset;
	std::int64_t route;
	std::size_t columns;                     // of its order, if it has one
	std::size_t second_columns;              // of its second order
	bool has_ties;
	bool reached_once;
	key_score score;
	std::int32_t order[MOST_KEYED_COLUMNS];
	std::uint8_t tied[MOST_KEYED_COLUMNS];
	std::int32_t second[MOST_KEYED_COLUMNS];
};

// A search made of jobs, stepped one job at a time; its memory is had the
// first time it is used and kept.
template <typename Search>
class job_steps {
	using parts = search_parts<Search>;

public:
	using settings = typename parts::settings;

	[[nodiscard]] bool begin(const keyed_tables &tables, std::span<const char> compact, const settings &chosen)
	{
		if (!search_) {
			search_.reset(new (std::nothrow) Search);
			scratch_.reset(new (std::nothrow) typename parts::scratch);
			result_.reset(new (std::nothrow) typename parts::result);
			if (!search_ || !scratch_ || !result_) {
				search_.reset();
				return false;
			}
		}
		parts::begin(*search_, tables, compact, chosen);
		count_ = next_ = 0;
		doing_[0] = '\0';
		return true;
	}

	// Runs the next job; false once there is none.
	bool step()
	{
		if (next_ == count_) {
			count_ = parts::plan(*search_, jobs_);
			next_ = 0;
			if (count_ == 0)
				return false;
		}
		const typename parts::job &job = jobs_[next_++];
		parts::describe(doing_, sizeof doing_, job);
		parts::run(*search_, job, *scratch_, *result_, nullptr);
		parts::take(*search_, *result_);
		return true;
	}

	// How far the round has gone, from 0 to 1.
	[[nodiscard]] double within_round() const
	{
		return count_ == 0 ? 0 : static_cast<double>(next_) / static_cast<double>(count_);
	}

	[[nodiscard]] const char *doing() const { return doing_; }

	// The answers so far, copied into `into`; returns how many.
	std::size_t copy(std::span<page_answer> into, bool ties) const
	{
		const auto answers = parts::answers(*search_);
		const std::size_t count = std::min(answers.size(), into.size());
		for (std::size_t i = 0; i < count; i++) {
			const auto &a = answers[i];
			page_answer &kept = into[i];
			kept.number = parts::number(a);
			kept.offset = parts::offset(a);
			kept.route = 0;
			kept.columns = static_cast<std::size_t>(kept.number);
			std::copy_n(a.order, kept.columns, kept.order);
			const auto tied = parts::tied(a);
			kept.has_ties = ties && !tied.empty();
			std::fill_n(kept.tied, kept.columns, 0);
			if (kept.has_ties)
				std::copy(tied.begin(), tied.end(), kept.tied);
			const auto second = parts::second(a);
			kept.second_columns = second.size();
			std::copy(second.begin(), second.end(), kept.second);
			kept.reached_once = parts::reached_once(a);
			kept.score = a.score;
			kept.score.cribs = a.cribs;
		}
		return count;
	}

private:
	std::unique_ptr<Search> search_;
	std::unique_ptr<typename parts::scratch> scratch_;
	std::unique_ptr<typename parts::result> result_;
	typename parts::job jobs_[parts::most_jobs];
	std::size_t count_ = 0, next_ = 0;
	char doing_[64] = "";
};

char line[BUFFER_SIZE];
char compact[BUFFER_SIZE];
char decoded[BUFFER_SIZE];
std::size_t length;
std::int32_t ranks[MOST_KEYED_COLUMNS];

std::unique_ptr<keyed_tables> tables;
job_steps<rail_search> rails;
job_steps<fit_search> fits;
job_steps<double_search> doubles;
sweep_answer swept[MOST_PAGE_ANSWERS];
sweep_answer sifted[SHORTLIST];

const cipher_type *type;
std::uint64_t seed;
std::size_t wanted;
const language_model *models[MOST_LANGUAGES];
std::size_t model_count, stage;
bool begun, failed;

// The kept language's answers, the current one's, and those shown.
page_answer kept[MOST_PAGE_ANSWERS], current[MOST_PAGE_ANSWERS], shown[MOST_PAGE_ANSWERS];
std::size_t kept_count, current_count, shown_count;
const language_model *kept_model, *shown_model;

// Begins the search of the current language; false if it cannot be had.
bool begin_stage()
{
	const language_model &model = *models[stage];
	if (tables->model != &model)
		build_keyed_tables(model, *tables);
	const std::span<const char> text{compact, length};
	const crib_list *cribs = page_cribs();
	// The ranges untranspose-key searches by default.
	switch (type->search) {
	case search_kind::rails_and_order: {
		rail_settings settings;
		settings.least = 3;
		settings.most = 10;
		settings.seed = seed;
		settings.answers = wanted;
		settings.cribs = cribs;
		return rails.begin(*tables, text, settings);
	}
	case search_kind::fitted_order: {
		fit_settings settings;
		settings.type = type;
		settings.least = 2;
		settings.most = type->ties ? 15 : 12;
		settings.seed = seed;
		settings.answers = wanted;
		settings.cribs = cribs;
		return fits.begin(*tables, text, settings);
	}
	case search_kind::two_orders: {
		double_settings settings;
		settings.least = 5;
		settings.most = 20;
		settings.seed = seed;
		settings.answers = wanted;
		settings.cribs = cribs;
		return doubles.begin(*tables, text, settings);
	}
	default:
		return true;
	}
}

// Tries every key of a swept type at once, as its search does.
std::size_t sweep_stage()
{
	const std::int64_t least = std::max<std::int64_t>(0, type->least_number);
	const std::int64_t most = std::max(least, sweep_most_number(*type, length));
	const std::size_t held = sweep_keys(*type, *models[stage], {compact, length}, least, most, {swept, wanted},
	                                    sifted, {decoded, BUFFER_SIZE}, page_cribs());
	for (std::size_t i = 0; i < held; i++) {
		page_answer &a = current[i];
		a.number = static_cast<std::int32_t>(swept[i].number);
		a.offset = swept[i].offset;
		a.route = swept[i].route;
		a.columns = a.second_columns = 0;
		a.has_ties = a.reached_once = false;
		a.score = swept[i].score;
	}
	return held;
}

// Runs the current language's next job; false once its search is done.
bool step_stage()
{
	switch (type->search) {
	case search_kind::rails_and_order:
		return rails.step();
	case search_kind::fitted_order:
		return fits.step();
	case search_kind::two_orders:
		return doubles.step();
	default:
		current_count = sweep_stage();
		return false;
	}
}

void copy_current()
{
	switch (type->search) {
	case search_kind::rails_and_order:
		current_count = rails.copy({current, wanted}, false);
		break;
	case search_kind::fitted_order:
		current_count = fits.copy({current, wanted}, type->ties);
		break;
	case search_kind::two_orders:
		current_count = doubles.copy({current, wanted}, false);
		break;
	default:
		break;
	}
}

const page_answer *answer_at(std::size_t i)
{
	return i < shown_count ? &shown[i] : nullptr;
}

} // namespace

extern "C" {

// Whether the type numbered `i` is searched here, rather than by the
// column searches.
EMSCRIPTEN_KEEPALIVE bool web_family_searches(std::size_t i)
{
	const std::span<const cipher_type> types = cipher_types();
	if (i >= types.size())
		return false;
	const search_kind kind = types[i].search;
	return kind == search_kind::rails_and_order || kind == search_kind::fitted_order ||
	       kind == search_kind::two_orders || kind == search_kind::every_number_and_offset;
}

// Starts the search of `size` bytes of `text` for a key of the type
// numbered `i`, in the language numbered `language`, or in each of them
// when it is -1, with the settings that untranspose-key --cipher takes by
// default, the seed aside, keeping the `answers` best.  False if the type
// is not searched here or the search's memory cannot be had.
EMSCRIPTEN_KEEPALIVE bool web_family_begin(std::size_t i, const char *text, std::size_t size, int language, double seed_given,
                                           std::size_t answers)
{
	if (!web_family_searches(i))
		return false;
	if (!tables) {
		tables.reset(new (std::nothrow) keyed_tables);
		if (!tables)
			return false;
		tables->model = nullptr;
	}
	type = &cipher_types()[i];
	std::memset(line, 0, sizeof line);
	std::memset(compact, 0, sizeof compact);
	std::size_t kept_bytes = std::min(size, BUFFER_SIZE - 1);
	std::memcpy(line, text, kept_bytes);
	kept_bytes = space_separators({line, kept_bytes});
	length = normalize_text({line, kept_bytes}, {compact, BUFFER_SIZE});
	seed = static_cast<std::uint64_t>(seed_given);
	wanted = std::clamp<std::size_t>(answers, 2, MOST_PAGE_ANSWERS);
	const std::span<const std::string_view> codes = language_codes();
	model_count = 0;
	for (std::size_t n = 0; n < codes.size() && model_count < MOST_LANGUAGES; n++)
		if (language < 0 || static_cast<std::size_t>(language) == n)
			if (const language_model *model = language_named(codes[n]); model != nullptr)
				models[model_count++] = model;
	stage = 0;
	begun = failed = false;
	kept_count = current_count = shown_count = 0;
	kept_model = shown_model = nullptr;
	return model_count > 0;
}

// Runs the search's next job; returns false once the search is done.
EMSCRIPTEN_KEEPALIVE bool web_family_step()
{
	if (stage >= model_count || failed)
		return false;
	if (!begun) {
		if (!begin_stage()) {
			failed = true;
			return false;
		}
		begun = true;
		current_count = 0;
	}
	if (step_stage())
		return true;
	copy_current();
	if (current_count > 0 && scores_higher(*models[stage], current[0].score, kept_model, kept[0].score)) {
		std::copy_n(current, current_count, kept);
		kept_count = current_count;
		kept_model = models[stage];
	}
	current_count = 0;
	begun = false;
	stage++;
	return stage < model_count;
}

// Whether the search's memory could not be had.
EMSCRIPTEN_KEEPALIVE bool web_family_failed()
{
	return failed;
}

// How far the search has gone, from 0 to 1, by its languages and rounds.
EMSCRIPTEN_KEEPALIVE double web_family_progress()
{
	if (model_count == 0)
		return 1;
	double within = 0;
	if (begun && type->search == search_kind::rails_and_order)
		within = rails.within_round();
	return std::min(1.0, (static_cast<double>(stage) + within) / static_cast<double>(model_count));
}

// What the last job searched, as untranspose-key's progress line says it.
EMSCRIPTEN_KEEPALIVE const char *web_family_doing()
{
	if (!begun)
		return "";
	switch (type->search) {
	case search_kind::rails_and_order:
		return rails.doing();
	case search_kind::fitted_order:
		return fits.doing();
	case search_kind::two_orders:
		return doubles.doing();
	default:
		return "";
	}
}

// The language numbered as language_codes() numbers them whose answers
// web_family_answers() last took.
EMSCRIPTEN_KEEPALIVE int web_family_language()
{
	const std::span<const std::string_view> codes = language_codes();
	for (std::size_t n = 0; n < codes.size(); n++)
		if (shown_model != nullptr && language_named(codes[n]) == shown_model)
			return static_cast<int>(n);
	return -1;
}

// Takes the answers as they stand: the kept language's, or the current
// one's if they already score higher.  Returns how many.
EMSCRIPTEN_KEEPALIVE std::size_t web_family_answers()
{
	if (begun)
		copy_current();
	const bool current_better = begun && current_count > 0 &&
	                            scores_higher(*models[stage], current[0].score, kept_model, kept[0].score);
	if (current_better) {
		std::copy_n(current, current_count, shown);
		shown_count = current_count;
		shown_model = models[stage];
	} else {
		std::copy_n(kept, kept_count, shown);
		shown_count = kept_count;
		shown_model = kept_model;
	}
	return shown_count;
}

EMSCRIPTEN_KEEPALIVE std::int32_t web_family_number(std::size_t i)
{
	const page_answer *a = answer_at(i);
	return a != nullptr ? a->number : 0;
}

EMSCRIPTEN_KEEPALIVE double web_family_offset(std::size_t i)
{
	const page_answer *a = answer_at(i);
	return a != nullptr ? static_cast<double>(a->offset) : 0;
}

EMSCRIPTEN_KEEPALIVE double web_family_route(std::size_t i)
{
	const page_answer *a = answer_at(i);
	return a != nullptr ? static_cast<double>(a->route) : 0;
}

// The ranks of answer i's order, tied ranks shared, or of its second
// order, at web_family_ranks(); returns how many, 0 for none.
EMSCRIPTEN_KEEPALIVE std::size_t web_family_order(std::size_t i, bool second)
{
	const page_answer *a = answer_at(i);
	if (a == nullptr)
		return 0;
	const std::size_t columns = second ? a->second_columns : a->columns;
	const std::int32_t *order = second ? a->second : a->order;
	for (std::size_t j = 0, rank = 0; j < columns; j++) {
		rank += !second && a->has_ties && j > 0 && a->tied[j] != 0 ? 0 : 1;
		ranks[order[j]] = static_cast<std::int32_t>(rank);
	}
	return columns;
}

EMSCRIPTEN_KEEPALIVE const std::int32_t *web_family_ranks()
{
	return ranks;
}

EMSCRIPTEN_KEEPALIVE double web_family_score(std::size_t i)
{
	const page_answer *a = answer_at(i);
	return a != nullptr && shown_model != nullptr ? log10_per_quadgram(*shown_model, a->score) : 0;
}

EMSCRIPTEN_KEEPALIVE std::size_t web_family_quadgrams(std::size_t i)
{
	const page_answer *a = answer_at(i);
	return a != nullptr ? a->score.quadgrams : 0;
}

EMSCRIPTEN_KEEPALIVE std::uint32_t web_family_cribs(std::size_t i)
{
	const page_answer *a = answer_at(i);
	return a != nullptr ? a->score.cribs : 0;
}

// The verdict on answer i, as untranspose-key gives it: 0 too short to
// judge, 1 reads as the language, 2 does not.  An order found by a search
// is held to what the search's wrong answers of its size score.
EMSCRIPTEN_KEEPALIVE int web_family_verdict(std::size_t i)
{
	const page_answer *a = answer_at(i);
	if (a == nullptr || shown_model == nullptr)
		return 0;
	bool keyed = a->second_columns > 0;
	for (std::size_t j = 0; j < a->columns; j++)
		keyed |= a->order[j] != static_cast<std::int32_t>(j);
	return static_cast<int>(keyed ? judge_order(*shown_model, a->score, static_cast<std::size_t>(a->number),
	                                            a->reached_once, a->second_columns)
	                              : judge(*shown_model, a->score));
}

// Answer i's decoding of the searched text, at web_family_decoded();
// returns its length.
EMSCRIPTEN_KEEPALIVE std::size_t web_family_decode(std::size_t i)
{
	const page_answer *a = answer_at(i);
	std::memset(decoded, 0, sizeof decoded);
	if (a == nullptr)
		return 0;
	cipher_key key;
	key.number = a->number;
	key.order = {a->order, a->columns};
	key.offset = a->offset;
	key.route = a->route;
	if (a->has_ties)
		key.tied = {a->tied, a->columns};
	key.second = {a->second, a->second_columns};
	type->decipher(key, {compact, length}, {decoded, BUFFER_SIZE});
	return length;
}

EMSCRIPTEN_KEEPALIVE const char *web_family_decoded()
{
	return decoded;
}

} // extern "C"
