#include "order_fit.h"

#include "best_list.h"
#include "column_moves.h"
#include "tied_climb.h"
#include "random_bits.h"

#include <algorithm>
#include <numeric>

static_assert(MOST_FITTED_COLUMNS <= MOST_TIED_COLUMNS);

namespace {

// Restarts of the climb for each job, and for each column more, for each
// unit of effort.
constexpr std::uint32_t RESTARTS = 30;
constexpr std::uint32_t RESTARTS_PER_COLUMN = 6;
// Texts longer than this have fewer restarts.
constexpr std::uint64_t LONG_TEXT = 1000;
// The climbs over keys whose ranks tie, whose keys are many, are each
// climbed from again, shaken.
constexpr std::uint32_t KICKS = 4;
constexpr std::uint32_t KICK_MOVES = 3;
// Only the first FIT_LETTERS letters of a decoding are scored while
// climbing: more cost time and add little.
constexpr std::size_t FIT_LETTERS = 400;

bool natural(const std::int32_t *order, std::size_t columns) noexcept
{
	for (std::size_t j = 0; j < columns; j++)
		if (order[j] != static_cast<std::int32_t>(j))
			return false;
	return true;
}

bool better(const fit_answer &a, const fit_answer &b) noexcept
{
	if (a.cribs != b.cribs)
		return a.cribs > b.cribs;
	if (a.belief != b.belief)
		return a.belief > b.belief;
	if (a.columns != b.columns)
		return a.columns < b.columns;
	if (a.offset != b.offset)
		return a.offset < b.offset;
	return std::lexicographical_compare(a.order, a.order + a.columns, b.order, b.order + b.columns);
}

// The sum of the quadgrams' levels of the order's decoding.
std::int64_t climb_score(const fit_search &s, const fit_job &job, std::span<const std::int32_t> order,
                         std::span<const std::uint8_t> tied, fit_scratch &w) noexcept
{
	const std::size_t length = s.compact.size();
	cipher_key key{job.columns, order, job.offset, 0, s.type->ties ? tied : std::span<const std::uint8_t>{}};
	s.type->decipher(key, s.compact, {w.decoded, BUFFER_SIZE});
	const std::size_t scored = std::min(length, FIT_LETTERS);
	to_symbols({w.decoded, scored}, w.symbols);
	std::int64_t sum = 0;
	for (std::size_t i = 0; i + 3 < scored; i++)
		sum += s.tables->quadgrams[((w.symbols[i] * SYMBOLS + w.symbols[i + 1]) * SYMBOLS + w.symbols[i + 2]) * SYMBOLS +
		                          w.symbols[i + 3]];
	return sum;
}

// Climbs from `order` by swapping two columns' places, or moving one to
// another place, while that raises the score.
std::int64_t climb(const fit_search &s, const fit_job &job, std::span<std::int32_t> order, std::span<std::uint8_t> tied,
                   fit_scratch &w) noexcept
{
	const std::size_t columns = order.size();
	std::int64_t score = climb_score(s, job, order, tied, w);
	for (bool rose = true; rose;) {
		rose = false;
		for (std::size_t i = 0; i < columns; i++)
			for (std::size_t j = i + 1; j < columns; j++) {
				std::swap(order[i], order[j]);
				if (const std::int64_t tried = climb_score(s, job, order, tied, w); tried > score) {
					score = tried;
					rose = true;
				} else {
					std::swap(order[i], order[j]);
				}
			}
		for (std::size_t i = 0; i < columns; i++)
			for (std::size_t j = 0; j < columns; j++) {
				if (i == j)
					continue;
				slide_columns(order, i, 1, j);
				if (const std::int64_t tried = climb_score(s, job, order, tied, w); tried > score) {
					score = tried;
					rose = true;
				} else {
					slide_columns(order, j, 1, i);
				}
			}
	}
	return score;
}

// Sorts each group of tied columns, which are read left to right
// whatever their places in the order, so that one key has one order.
void sort_ties(std::span<std::int32_t> order, std::span<const std::uint8_t> tied) noexcept
{
	for (std::size_t first = 0; first < order.size();) {
		std::size_t end = first + 1;
		while (end < order.size() && tied[end] != 0)
			end++;
		std::sort(order.begin() + static_cast<std::ptrdiff_t>(first), order.begin() + static_cast<std::ptrdiff_t>(end));
		first = end;
	}
}

// Scores an answer's whole decoding as the key finder scores one.
void score_answer(const fit_search &s, fit_answer &answer, fit_scratch &w) noexcept
{
	const auto columns = static_cast<std::size_t>(answer.columns);
	const std::size_t length = s.compact.size();
	if (s.type->ties)
		sort_ties({answer.order, columns}, {answer.tied, columns});
	s.type->decipher({answer.columns, {answer.order, columns}, answer.offset, 0,
	                  s.type->ties ? std::span<const std::uint8_t>(answer.tied, columns) : std::span<const std::uint8_t>{}},
	                 s.compact, {w.decoded, BUFFER_SIZE});
	answer.score = score_text(*s.tables->model, {w.decoded, length}, answer.columns);
	answer.cribs = cribs_held_in_text(s.cribs, {w.decoded, length});
	answer.belief = ranked(answer.score) - (natural(answer.order, columns) ? 0 : order_prior(*s.tables->model, columns));
}

struct climbed {
	std::int64_t score;
	std::uint32_t hits;   // how many restarts climbed to it
	std::int32_t order[MOST_FITTED_COLUMNS];
	std::uint8_t tied[MOST_FITTED_COLUMNS];
};

} // namespace

std::int32_t most_fitted_columns(std::size_t length, const fit_settings &settings) noexcept
{
	return std::min({settings.most, static_cast<std::int32_t>(length / 3), static_cast<std::int32_t>(MOST_FITTED_COLUMNS)});
}

void begin_fit_search(fit_search &s, const keyed_tables &tables, std::span<const char> compact,
                      const fit_settings &settings) noexcept
{
	s.tables = &tables;
	s.type = settings.type;
	s.settings = settings;
	s.cribs = settings.cribs != nullptr ? *settings.cribs : crib_list{};
	s.compact = compact.first(std::min(compact.size(), BUFFER_SIZE - 1));
	s.answer_count = 0;
	s.planned = false;
}

std::size_t plan_fit_jobs(fit_search &s, std::span<fit_job> jobs) noexcept
{
	if (s.planned)
		return 0;
	s.planned = true;
	std::size_t count = 0;
	const std::int32_t most = most_fitted_columns(s.compact.size(), s.settings);
	for (std::int32_t columns = std::max(s.settings.least, 2); columns <= most; columns++) {
		const auto offsets = std::min<std::int64_t>(s.type->offsets(columns), MOST_FIT_OFFSETS);
		for (std::int32_t offset = 0; offset < offsets; offset++)
			jobs[count++] = {columns, offset};
	}
	return count;
}

void run_fit_job(const fit_search &s, const fit_job &job, fit_scratch &w, fit_job_result &result,
                 const std::atomic<bool> *stop) noexcept
{
	result.job = job;
	result.count = 0;
	result.cut_short = false;
	const auto columns = static_cast<std::size_t>(job.columns);
	climbed kept[FIT_KEPT] = {};
	std::size_t kept_count = 0;
	// A long text's climbs cost more and miss less: fewer restarts.
	const std::uint64_t letters = std::max<std::size_t>(s.compact.size(), 1);
	const std::uint64_t base = RESTARTS + RESTARTS_PER_COLUMN * static_cast<std::uint64_t>(columns);
	const auto restarts = static_cast<std::uint32_t>(std::max<std::uint64_t>(
	    std::min<std::uint64_t>(base, base * LONG_TEXT / letters), 4) * std::max<std::uint32_t>(s.settings.effort, 1));
	std::int32_t order[MOST_FITTED_COLUMNS] = {};
	std::uint8_t tied[MOST_FITTED_COLUMNS] = {};
	std::int32_t ranks[MOST_FITTED_COLUMNS] = {};
	for (std::uint32_t restart = 0; restart < restarts; restart++) {
		if (stop != nullptr && stop->load(std::memory_order_relaxed)) {
			result.cut_short = true;
			return;
		}
		random_bits random = random_bits::of(s.settings.seed, columns * MOST_FIT_OFFSETS + static_cast<std::size_t>(job.offset),
		                                     restart);
		std::int64_t score;
		if (s.type->ties) {
			// Each climb from random ranks is climbed from again KICKS
			// times, shaken by KICK_MOVES random moves.
			const auto score_of = [&](std::span<const std::int32_t> read, std::span<const std::uint8_t> ties) {
				return climb_score(s, job, read, ties, w);
			};
			score = kicked_climbs(score_of, {ranks, columns}, random, KICKS, KICK_MOVES, {order, columns}, {tied, columns});
		} else {
			std::iota(order, order + columns, 0);
			for (std::size_t j = columns; j > 1; j--)
				std::swap(order[j - 1], order[random.below(static_cast<std::uint32_t>(j))]);
			score = climb(s, job, {order, columns}, {tied, columns}, w);
		}
		bool known = false;
		for (std::size_t i = 0; i < kept_count && !known; i++)
			if (std::equal(order, order + columns, kept[i].order) && std::equal(tied, tied + columns, kept[i].tied)) {
				known = true;
				kept[i].hits++;
			}
		if (known || (kept_count == FIT_KEPT && score <= kept[FIT_KEPT - 1].score))
			continue;
		std::size_t at = kept_count < FIT_KEPT ? kept_count++ : FIT_KEPT - 1;
		for (; at > 0 && score > kept[at - 1].score; at--)
			kept[at] = kept[at - 1];
		kept[at].score = score;
		kept[at].hits = 1;
		std::copy_n(order, columns, kept[at].order);
		std::copy_n(tied, columns, kept[at].tied);
	}
	for (std::size_t i = 0; i < kept_count; i++) {
		fit_answer &answer = result.answers[result.count++];
		fit_answer turned;
		// A climb can settle on the message turned by a column, whose
		// letters score alike; each turn of the columns is scored whole.
		for (std::size_t by = 0; by < columns; by++) {
			fit_answer &made = by == 0 ? answer : turned;
			made.columns = job.columns;
			made.offset = job.offset;
			for (std::size_t j = 0; j < columns; j++)
				made.order[j] = static_cast<std::int32_t>((static_cast<std::size_t>(kept[i].order[j]) + by) % columns);
			std::copy_n(kept[i].tied, columns, made.tied);
			made.hits = kept[i].hits;
			score_answer(s, made, w);
			if (by > 0 && better(turned, answer))
				answer = turned;
		}
		// Two climbs may turn to one key.
		for (std::size_t j = 0; j + 1 < result.count; j++)
			if (std::equal(answer.order, answer.order + columns, result.answers[j].order) &&
			    std::equal(answer.tied, answer.tied + columns, result.answers[j].tied)) {
				result.answers[j].hits += answer.hits;
				result.count--;
				break;
			}
	}
}

void take_fit_result(fit_search &s, const fit_job_result &result) noexcept
{
	if (result.cut_short)
		return;
	const std::size_t room = std::clamp<std::size_t>(s.settings.answers, 2, MOST_FIT_ANSWERS);
	for (std::size_t i = 0; i < result.count; i++)
		s.answer_count = keep_best(std::span<fit_answer>(s.answers, room), s.answer_count, result.answers[i], better);
}

void fit_on_one_thread(fit_search &search, fit_scratch &scratch, fit_job_result &result) noexcept
{
	fit_job jobs[MOST_FIT_JOBS];
	for (std::size_t count; (count = plan_fit_jobs(search, jobs)) > 0;)
		for (std::size_t i = 0; i < count; i++) {
			run_fit_job(search, jobs[i], scratch, result, nullptr);
			take_fit_result(search, result);
		}
}

std::span<const fit_answer> fit_answers(const fit_search &s) noexcept
{
	return {s.answers, s.answer_count};
}
