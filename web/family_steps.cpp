#include "family_steps.h"

#include "decoder.h"
#include "keyed_tables.h"
#include "page_answers.h"
#include "page_cribs.h"
#include "plain_sweep.h"
#include "search_limits.h"
#include "search_parts.h"
#include "sweep.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>

namespace {

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

const char *compact;
std::size_t length;
char decoded[BUFFER_SIZE];

std::unique_ptr<keyed_tables> tables;
job_steps<rail_search> rails;
job_steps<fit_search> fits;
job_steps<double_search> doubles;
sweep_answer swept[MOST_PAGE_ANSWERS];
sweep_answer sifted[SHORTLIST];

const cipher_type *type;
std::uint64_t seed;
std::size_t wanted;
bool among_any;
const language_model *models[MOST_LANGUAGES];
std::size_t model_count, stage;
bool begun, failed;

// The kept language's answers and the current one's.
page_answer kept[MOST_PAGE_ANSWERS], current[MOST_PAGE_ANSWERS];
std::size_t kept_count, current_count;
const language_model *kept_model;

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
		// Among every type, only keys of up to 10 columns: a wider pair
		// costs more than every other type's search together.
		settings.least = 5;
		settings.most = among_any ? 10 : 20;
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

answer_row row_of(const page_answer &a)
{
	answer_row row{a.number, {a.order, a.columns}, a.score, a.reached_once};
	row.type = type;
	row.offset = a.offset;
	row.route = a.route;
	if (a.has_ties)
		row.tied = {a.tied, a.columns};
	row.second = {a.second, a.second_columns};
	return row;
}

} // namespace

bool family_searches(const cipher_type &searched) noexcept
{
	const search_kind kind = searched.search;
	return kind == search_kind::rails_and_order || kind == search_kind::fitted_order ||
	       kind == search_kind::two_orders || kind == search_kind::every_number_and_offset;
}

void family_begin(const cipher_type &searched, std::span<const char> text, std::span<const language_model *const> chosen,
                  std::uint64_t seed_given, std::size_t answers, bool among_every_type) noexcept
{
	type = &searched;
	compact = text.data();
	length = text.size();
	seed = seed_given;
	wanted = std::clamp<std::size_t>(answers, 2, MOST_PAGE_ANSWERS);
	among_any = among_every_type;
	model_count = std::min(chosen.size(), MOST_LANGUAGES);
	std::copy_n(chosen.begin(), model_count, models);
	stage = 0;
	begun = false;
	if (!tables) {
		tables.reset(new (std::nothrow) keyed_tables);
		if (tables)
			tables->model = nullptr;
	}
	failed = !tables;
	kept_count = current_count = 0;
	kept_model = nullptr;
}

bool family_step() noexcept
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

bool family_failed() noexcept
{
	return failed;
}

double family_progress() noexcept
{
	return model_count == 0 ? 1 : static_cast<double>(stage) / static_cast<double>(model_count);
}

const char *family_doing() noexcept
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

std::size_t family_answers(std::span<answer_row> rows, const language_model *&model) noexcept
{
	if (begun)
		copy_current();
	const bool current_better = begun && current_count > 0 &&
	                            scores_higher(*models[stage], current[0].score, kept_model, kept[0].score);
	const page_answer *from = current_better ? current : kept;
	const std::size_t count = std::min(current_better ? current_count : kept_count, rows.size());
	model = current_better ? models[stage] : kept_model;
	for (std::size_t i = 0; i < count; i++)
		rows[i] = row_of(from[i]);
	return count;
}
