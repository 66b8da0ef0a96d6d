#include "order_fit.h"

#include "best_list.h"
#include "random_bits.h"

#include <algorithm>
#include <numeric>

namespace {

// Restarts of the climb for each job, and for each column more, for each
// unit of effort.
constexpr std::uint32_t RESTARTS = 30;
constexpr std::uint32_t RESTARTS_PER_COLUMN = 6;
// Texts longer than this have fewer restarts.
constexpr std::uint64_t LONG_TEXT = 1000;
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
                         fit_scratch &w) noexcept
{
	const std::size_t length = s.compact.size();
	cipher_key key{job.columns, order, job.offset};
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
std::int64_t climb(const fit_search &s, const fit_job &job, std::span<std::int32_t> order, fit_scratch &w) noexcept
{
	const std::size_t columns = order.size();
	std::int64_t score = climb_score(s, job, order, w);
	for (bool rose = true; rose;) {
		rose = false;
		for (std::size_t i = 0; i < columns; i++)
			for (std::size_t j = i + 1; j < columns; j++) {
				std::swap(order[i], order[j]);
				if (const std::int64_t tried = climb_score(s, job, order, w); tried > score) {
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
				const auto move = [&](std::size_t from, std::size_t to) {
					if (from < to)
						std::rotate(order.begin() + static_cast<std::ptrdiff_t>(from),
						            order.begin() + static_cast<std::ptrdiff_t>(from) + 1,
						            order.begin() + static_cast<std::ptrdiff_t>(to) + 1);
					else
						std::rotate(order.begin() + static_cast<std::ptrdiff_t>(to),
						            order.begin() + static_cast<std::ptrdiff_t>(from),
						            order.begin() + static_cast<std::ptrdiff_t>(from) + 1);
				};
				move(i, j);
				if (const std::int64_t tried = climb_score(s, job, order, w); tried > score) {
					score = tried;
					rose = true;
				} else {
					move(j, i);
				}
			}
	}
	return score;
}

struct climbed {
	std::int64_t score;
	std::int32_t order[MOST_FITTED_COLUMNS];
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
	for (std::uint32_t restart = 0; restart < restarts; restart++) {
		if (stop != nullptr && stop->load(std::memory_order_relaxed)) {
			result.cut_short = true;
			return;
		}
		random_bits random = random_bits::of(s.settings.seed, columns * MOST_FIT_OFFSETS + static_cast<std::size_t>(job.offset),
		                                     restart);
		std::iota(order, order + columns, 0);
		for (std::size_t j = columns; j > 1; j--)
			std::swap(order[j - 1], order[random.below(static_cast<std::uint32_t>(j))]);
		const std::int64_t score = climb(s, job, {order, columns}, w);
		bool known = false;
		for (std::size_t i = 0; i < kept_count && !known; i++)
			known = std::equal(order, order + columns, kept[i].order);
		if (known || (kept_count == FIT_KEPT && score <= kept[FIT_KEPT - 1].score))
			continue;
		std::size_t at = kept_count < FIT_KEPT ? kept_count++ : FIT_KEPT - 1;
		for (; at > 0 && score > kept[at - 1].score; at--)
			kept[at] = kept[at - 1];
		kept[at].score = score;
		std::copy_n(order, columns, kept[at].order);
	}
	const std::size_t length = s.compact.size();
	for (std::size_t i = 0; i < kept_count; i++) {
		fit_answer &answer = result.answers[result.count++];
		answer.columns = job.columns;
		answer.offset = job.offset;
		std::copy_n(kept[i].order, columns, answer.order);
		s.type->decipher({job.columns, {answer.order, columns}, job.offset}, s.compact, {w.decoded, BUFFER_SIZE});
		answer.score = score_text(*s.tables->model, {w.decoded, length}, job.columns);
		answer.cribs = cribs_held_in_text(s.cribs, {w.decoded, length});
		answer.belief =
		    ranked(answer.score) - (natural(answer.order, columns) ? 0 : order_prior(*s.tables->model, columns));
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
