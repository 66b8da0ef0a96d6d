#include "double_search.h"

#include "best_list.h"
#include "column_pairs.h"
#include "column_moves.h"
#include "columnar.h"
#include "double_columnar.h"
#include "keyed_columns.h"
#include "random_bits.h"
#include "second_key_climb.h"

#include <algorithm>
#include <climits>
#include <numeric>

namespace {

// SECOND_RESTARTS climbs from random second keys for each job, and the
// square of the second key's columns more, for each unit of effort;
// and FIRST_RESTARTS climbs for the first key in each text left.  Most
// climbs stop well short of the second key, whose fit stands far above
// theirs, so many short climbs are made.
constexpr std::uint32_t SECOND_RESTARTS = 40;
constexpr std::uint32_t FIRST_RESTARTS = 4;
constexpr std::uint64_t PAIR_PATIENCE = 50;
constexpr std::uint64_t ORDER_PATIENCE = 5;
constexpr std::size_t MOST_SWEEPS = 16;
// Only the first JOINT_LETTERS letters of a decoding are scored while both
// keys are polished together.
constexpr std::size_t JOINT_LETTERS = 1000;
// A round of jobs holds at least this many, so that both cores work.
constexpr std::size_t LEAST_ROUND = 4;
// Past LONG_TEXT letters a climb costs more, up to the most rows of a pair
// that are scored, and reaches the key more often: the climbs are fewer in
// proportion, so that a long text which never reads as the language is
// given up in about the time of one of LONG_TEXT letters.  No job makes
// fewer than FEWEST_CLIMBS.
constexpr std::size_t LONG_TEXT = 600;
constexpr std::uint64_t FEWEST_CLIMBS = 8;

bool better(const double_answer &a, const double_answer &b) noexcept
{
	if (a.cribs != b.cribs)
		return a.cribs > b.cribs;
	if (a.belief != b.belief)
		return a.belief > b.belief;
	if (a.columns + a.second_columns != b.columns + b.second_columns)
		return a.columns + a.second_columns < b.columns + b.second_columns;
	if (a.columns != b.columns)
		return a.columns < b.columns;
	if (!std::equal(a.order, a.order + a.columns, b.order))
		return std::lexicographical_compare(a.order, a.order + a.columns, b.order, b.order + b.columns);
	return std::lexicographical_compare(a.second, a.second + a.second_columns, b.second, b.second + b.second_columns);
}

bool natural(std::span<const std::int32_t> order) noexcept
{
	for (std::size_t j = 0; j < order.size(); j++)
		if (order[j] != static_cast<std::int32_t>(j))
			return false;
	return true;
}

// The answer of `second` and the first key whose column c is read at
// slots[c], its whole decoding scored as the key finder scores one.
void make_answer(const double_search &s, std::span<const std::int32_t> second, std::span<const std::int32_t> slots,
                 double_answer &answer, double_scratch &w) noexcept
{
	const std::size_t length = s.compact.size();
	answer.columns = static_cast<std::int32_t>(slots.size());
	answer.second_columns = static_cast<std::int32_t>(second.size());
	answer.turns_tried = false;
	std::copy(second.begin(), second.end(), answer.second);
	for (std::size_t c = 0; c < slots.size(); c++)
		answer.order[slots[c]] = static_cast<std::int32_t>(c);
	naturalise_columns({w.middle_text, length}, length, {answer.order, slots.size()}, {w.natural, BUFFER_SIZE});
	decode_columns({w.natural, BUFFER_SIZE}, length, answer.columns, {w.decoded, BUFFER_SIZE});
	const language_model &model = *s.tables->model;
	answer.score = score_text(model, {w.decoded, length}, answer.columns);
	answer.cribs = cribs_held_in_text(s.cribs, {w.decoded, length});
	answer.belief = ranked(answer.score) - (natural({answer.order, slots.size()}) ? 0 : order_prior(model, slots.size())) -
	                (natural(second) ? 0 : order_prior(model, second.size()));
}

// The quadgram levels' sum of the decoding by both keys, `order` the
// first's read order.
std::int64_t joint_score(const double_search &s, std::span<const std::int32_t> order, std::span<const std::int32_t> second,
                         double_scratch &w) noexcept
{
	const std::size_t length = s.compact.size(), scored = std::min(length, JOINT_LETTERS);
	decipher_double({0, order, 0, 0, {}, second}, s.compact, {w.decoded, BUFFER_SIZE});
	to_symbols({w.decoded, scored}, w.plain);
	std::int64_t sum = 0;
	for (std::size_t i = 0; i + 3 < scored; i++)
		sum += s.tables->quadgrams[((w.plain[i] * SYMBOLS + w.plain[i + 1]) * SYMBOLS + w.plain[i + 2]) * SYMBOLS +
		                          w.plain[i + 3]];
	return sum;
}

// Tries every swap and every move of one column of either key in turn,
// keeping each that raises the decoding's quadgrams, until none does.  A
// second key may fit as well as the right one and leave the message's
// rows in another order (in complete grids of equal widths, every second
// key fits alike): the quadgrams put them back.
void polish_both(const double_search &s, std::span<std::int32_t> order, std::span<std::int32_t> second,
                 double_scratch &w, const std::atomic<bool> *stop) noexcept
{
	std::int64_t score = joint_score(s, order, second, w);
	for (std::size_t sweep = 0, rose = 1; rose != 0 && sweep < MOST_SWEEPS; sweep++) {
		rose = 0;
		for (const std::span<std::int32_t> key : {second, order}) {
			const std::size_t k = key.size();
			for (std::size_t i = 0; i < k; i++)
				for (std::size_t j = 0; j < k; j++) {
					if (i == j || (stop != nullptr && stop->load(std::memory_order_relaxed)))
						continue;
					if (i < j)
						std::swap(key[i], key[j]);
					else
						slide_columns(key, i, 1, j);
					if (const std::int64_t tried = joint_score(s, order, second, w); tried > score) {
						score = tried;
						rose++;
					} else if (i < j) {
						std::swap(key[i], key[j]);
					} else {
						slide_columns(key, j, 1, i);
					}
				}
		}
	}
}

// Finds the first key of `columns` columns in the text left by undoing
// `second`, by the keyed search's climbs: the pairs of runs, then the
// quadgrams; both keys are then polished together, and every turn of the
// first is scored whole.
void find_first(const double_search &s, std::size_t columns, std::span<const std::int32_t> given,
                std::uint64_t seed, double_answer &answer, double_scratch &w, const std::atomic<bool> *stop) noexcept
{
	std::int32_t polished[MOST_DOUBLE_SEARCH_COLUMNS];
	std::copy(given.begin(), given.end(), polished);
	const std::span<std::int32_t> second{polished, given.size()};
	const std::size_t length = s.compact.size();
	decipher_columnar({0, second}, s.compact, {w.middle_text, BUFFER_SIZE});
	to_symbols({w.middle_text, length}, w.middle);
	const std::span<const std::uint8_t> middle{w.middle, length};
	const grid_shape shape = shape_of(length, columns);
	const std::size_t cells = columns * columns;
	score_pairs(*s.tables, middle, shape, {w.beside, cells}, {w.wrapped, cells});
	std::int32_t slots[MOST_DOUBLE_SEARCH_COLUMNS], best[MOST_DOUBLE_SEARCH_COLUMNS];
	std::int64_t best_score = INT64_MIN;
	const auto k = static_cast<std::uint64_t>(columns);
	for (std::uint32_t restart = 0; restart < FIRST_RESTARTS; restart++) {
		random_bits random = random_bits::of(seed, 0x5ec0d, restart);
		for (std::size_t c = 0; c < columns; c++) {
			const std::size_t other = random.below(static_cast<std::uint32_t>(c + 1));
			slots[c] = slots[other];
			slots[other] = static_cast<std::int32_t>(c);
		}
		const std::span<std::int32_t> climbing{slots, columns};
		climb_cycle({w.beside, cells}, {w.wrapped, cells}, climbing, random, PAIR_PATIENCE * k * k);
		best_turn(*s.tables, middle, shape, climbing, w.climb);
		climb_order(*s.tables, middle, shape, climbing, random, ORDER_PATIENCE * k * k, w.climb, stop);
		if (const std::int64_t score = polish_order(*s.tables, middle, shape, climbing, w.climb, stop); score > best_score) {
			best_score = score;
			std::copy_n(slots, columns, best);
		}
	}
	std::int32_t order[MOST_DOUBLE_SEARCH_COLUMNS];
	for (std::size_t c = 0; c < columns; c++)
		order[best[c]] = static_cast<std::int32_t>(c);
	polish_both(s, {order, columns}, second, w, stop);
	for (std::size_t j = 0; j < columns; j++)
		best[order[j]] = static_cast<std::int32_t>(j);
	decipher_columnar({0, second}, s.compact, {w.middle_text, BUFFER_SIZE});
	double_answer turned;
	for (std::size_t by = 0; by < columns; by++) {
		for (std::size_t c = 0; c < columns; c++)
			slots[c] = best[(c + by) % columns];
		make_answer(s, second, {slots, columns}, by == 0 ? answer : turned, w);
		if (by > 0 && better(turned, answer))
			answer = turned;
	}
}

bool same(const double_answer &a, const double_answer &b) noexcept
{
	return a.columns == b.columns && a.second_columns == b.second_columns &&
	       std::equal(a.order, a.order + a.columns, b.order) && std::equal(a.second, a.second + a.second_columns, b.second);
}

void keep_answer(double_search &s, const double_answer &answer) noexcept
{
	for (std::size_t i = 0; i < s.answer_count; i++)
		if (same(s.answers[i], answer))
			return;
	const std::size_t room = std::clamp<std::size_t>(s.settings.answers, 2, MOST_DOUBLE_ANSWERS);
	s.answer_count = keep_best(std::span<double_answer>(s.answers, room), s.answer_count, answer, better);
}

// A second key turned by a column fits almost as well as the key itself
// (better, now and then), and leaves the message turned by a row: each
// turn of the best answer's second key is searched for its first key too.
void try_turns(double_search &s) noexcept
{
	constexpr std::uint64_t TURNS = 0x7e57;
	for (std::size_t round = 0; round < 4 && s.answer_count > 0 && !s.answers[0].turns_tried; round++) {
		const double_answer best = s.answers[0];
		s.answers[0].turns_tried = true;
		const auto width = static_cast<std::size_t>(best.second_columns);
		std::int32_t second[MOST_DOUBLE_SEARCH_COLUMNS];
		for (std::size_t by = 1; by < width; by++) {
			for (std::size_t j = 0; j < width; j++)
				second[j] = best.second[(j + by) % width];
			double_answer turned;
			find_first(s, static_cast<std::size_t>(best.columns), {second, width},
			           random_bits::of(s.settings.seed, TURNS, by).next(), turned, s.turning, nullptr);
			turned.hits = best.hits;
			turned.turns_tried = true;
			keep_answer(s, turned);
		}
	}
}

} // namespace

std::int32_t most_double_columns(std::size_t length, const double_settings &settings) noexcept
{
	return std::min({settings.most, static_cast<std::int32_t>(length / 4),
	                 static_cast<std::int32_t>(MOST_DOUBLE_SEARCH_COLUMNS)});
}

void begin_double_search(double_search &s, const keyed_tables &tables, std::span<const char> compact,
                         const double_settings &settings) noexcept
{
	s.tables = &tables;
	s.settings = settings;
	s.cribs = settings.cribs != nullptr ? *settings.cribs : crib_list{};
	s.compact = compact.first(std::min(compact.size(), BUFFER_SIZE - 1));
	to_symbols(s.compact, s.symbols);
	s.answer_count = 0;
	s.least = std::max(settings.least, 2);
	s.most = most_double_columns(s.compact.size(), settings);
	s.next_wider = s.least;
	s.done = false;
}

std::size_t plan_double_jobs(double_search &s, std::span<double_job> jobs) noexcept
{
	try_turns(s);
	if (s.answer_count > 0 && s.answers[0].cribs == s.cribs.count && clearly_solved(*s.tables->model, s.answers[0].score))
		s.done = true;
	std::size_t count = 0;
	for (; !s.done && s.next_wider <= s.most && count < LEAST_ROUND; s.next_wider++) {
		const std::int32_t wider = s.next_wider;
		for (std::int32_t other = s.least; other <= wider; other++) {
			jobs[count++] = {other, wider};
			if (other != wider)
				jobs[count++] = {wider, other};
		}
	}
	return count;
}

void run_double_job(const double_search &s, const double_job &job, double_scratch &w, double_job_result &result,
                    const std::atomic<bool> *stop) noexcept
{
	result.job = job;
	result.count = 0;
	result.cut_short = false;
	const auto columns = static_cast<std::size_t>(job.columns), width = static_cast<std::size_t>(job.second_columns);
	struct climbed {
		std::int64_t score, wrapped;
		std::uint32_t hits;
		std::int32_t second[MOST_DOUBLE_SEARCH_COLUMNS];
	} kept[DOUBLE_KEPT] = {};
	std::size_t kept_count = 0;
	std::int32_t second[MOST_DOUBLE_SEARCH_COLUMNS];
	const std::uint64_t place = columns * (MOST_DOUBLE_SEARCH_COLUMNS + 1) + width;
	const std::uint64_t planned =
	    (SECOND_RESTARTS + std::uint64_t{width} * width) * std::max<std::uint32_t>(s.settings.effort, 1);
	std::uint64_t restarts = std::max(FEWEST_CLIMBS, planned * LONG_TEXT / std::max(s.compact.size(), LONG_TEXT));
	if (s.settings.most_climbs > 0)
		restarts = std::min<std::uint64_t>(restarts, s.settings.most_climbs);
	for (std::uint64_t restart = 0; restart < restarts; restart++) {
		random_bits random = random_bits::of(s.settings.seed, place, restart);
		std::iota(second, second + width, 0);
		for (std::size_t j = width; j > 1; j--)
			std::swap(second[j - 1], second[random.below(static_cast<std::uint32_t>(j))]);
		const second_fit fit = climb_second(s, columns, {second, width}, random, w, stop);
		const std::int64_t score = fit.beside, wrapped = fit.wrapped;
		const auto above = [&](const climbed &c) { return score != c.score ? score > c.score : wrapped > c.wrapped; };
		if (stop != nullptr && stop->load(std::memory_order_relaxed)) {
			result.cut_short = true;
			return;
		}
		bool known = false;
		for (std::size_t i = 0; i < kept_count && !known; i++)
			if (std::equal(second, second + width, kept[i].second)) {
				known = true;
				kept[i].hits++;
			}
		if (known || (kept_count == DOUBLE_KEPT && !above(kept[DOUBLE_KEPT - 1])))
			continue;
		std::size_t at = kept_count < DOUBLE_KEPT ? kept_count++ : DOUBLE_KEPT - 1;
		for (; at > 0 && above(kept[at - 1]); at--)
			kept[at] = kept[at - 1];
		kept[at].score = score;
		kept[at].wrapped = wrapped;
		kept[at].hits = 1;
		std::copy_n(second, width, kept[at].second);
	}
	for (std::size_t i = 0; i < kept_count; i++) {
		double_answer &answer = result.answers[result.count++];
		find_first(s, columns, {kept[i].second, width}, random_bits::of(s.settings.seed, place, i).next(), answer, w, stop);
		answer.hits = kept[i].hits;
	}
	result.cut_short = stop != nullptr && stop->load(std::memory_order_relaxed);
}

void take_double_result(double_search &s, const double_job_result &result) noexcept
{
	if (result.cut_short)
		return;
	for (std::size_t i = 0; i < result.count; i++)
		keep_answer(s, result.answers[i]);
}

void double_on_one_thread(double_search &search, double_scratch &scratch, double_job_result &result) noexcept
{
	double_job jobs[MOST_DOUBLE_JOBS];
	for (std::size_t count; (count = plan_double_jobs(search, jobs)) > 0;)
		for (std::size_t i = 0; i < count; i++) {
			run_double_job(search, jobs[i], scratch, result, nullptr);
			take_double_result(search, result);
		}
}

std::span<const double_answer> double_answers(const double_search &s) noexcept
{
	return {s.answers, s.answer_count};
}
