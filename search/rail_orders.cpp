#include "rail_orders.h"

#include "best_list.h"
#include "railfence.h"
#include "random_bits.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace {

// Restarts of the climb for each rail, for each unit of effort.
constexpr std::uint32_t RESTARTS_PER_RAIL = 6;

using kept = rail_scratch::kept;

std::size_t rail_at(std::size_t place, std::size_t rails) noexcept
{
	const std::size_t cycle = 2 * rails - 2;
	const std::size_t at = place % cycle;
	return at < rails ? at : cycle - at;
}

bool natural(const std::int32_t *order, std::size_t rails) noexcept
{
	for (std::size_t j = 0; j < rails; j++)
		if (order[j] != static_cast<std::int32_t>(j))
			return false;
	return true;
}

// The one holding more cribs first, then the better believed, then the
// fewer rails, the smaller offset and the order first in turn, so that
// every answer has its one place.
bool better(const rail_answer &a, const rail_answer &b) noexcept
{
	if (a.cribs != b.cribs)
		return a.cribs > b.cribs;
	if (a.belief != b.belief)
		return a.belief > b.belief;
	if (a.rails != b.rails)
		return a.rails < b.rails;
	if (a.offset != b.offset)
		return a.offset < b.offset;
	return std::lexicographical_compare(a.order, a.order + a.rails, b.order, b.order + b.rails);
}

// Lays out the rails of a job: each letter's rail and place along it, each
// rail's length, which of its letters touch the next rail's, and every
// place each rail may start at: a sum of some of the other rails' lengths.
// False when some rail has more starts than the tables hold.
bool lay_out(const rail_search &s, const rail_job &job, rail_scratch &w) noexcept
{
	const std::size_t length = s.compact.size();
	const auto rails = static_cast<std::size_t>(job.rails);
	std::fill_n(w.length, rails, 0);
	for (std::size_t i = 0; i < length; i++) {
		const std::size_t rail = rail_at(i + static_cast<std::size_t>(job.offset), rails);
		w.rail_of[i] = static_cast<std::uint8_t>(rail);
		w.place_in_rail[i] = static_cast<std::int32_t>(w.length[rail]++);
	}
	const std::size_t scored = std::min(length, SCORED_LETTERS);
	std::fill_n(w.touch_start, rails + 1, 0);
	for (std::size_t i = 0; i + 1 < scored; i++)
		w.touch_start[std::min(w.rail_of[i], w.rail_of[i + 1]) + 1]++;
	for (std::size_t p = 0; p < rails; p++)
		w.touch_start[p + 1] += w.touch_start[p];
	std::size_t filled[MOST_ORDERED_RAILS];
	std::copy_n(w.touch_start, rails, filled);
	for (std::size_t i = 0; i + 1 < scored; i++) {
		const bool forward = w.rail_of[i] < w.rail_of[i + 1];
		const std::size_t upper = forward ? i : i + 1;
		w.touches[filled[w.rail_of[upper]]++] = {w.place_in_rail[upper], w.place_in_rail[forward ? i + 1 : i], forward};
	}
	for (std::size_t r = 0; r < rails; r++) {
		std::fill_n(w.reachable, length + 1, 0);
		w.reachable[0] = 1;
		std::size_t reach = 0;
		for (std::size_t other = 0; other < rails; other++) {
			if (other == r)
				continue;
			for (std::size_t at = reach + 1; at-- > 0;)
				if (w.reachable[at] != 0)
					w.reachable[at + w.length[other]] = 1;
			reach += w.length[other];
		}
		std::fill_n(w.start_index[r], length + 1, std::int16_t{-1});
		w.start_count[r] = 0;
		for (std::size_t at = 0; at <= reach; at++) {
			if (w.reachable[at] == 0)
				continue;
			if (w.start_count[r] == MOST_RAIL_STARTS)
				return false;
			w.start_index[r][at] = static_cast<std::int16_t>(w.start_count[r]);
			w.starts[r][w.start_count[r]++] = static_cast<std::int32_t>(at);
		}
	}
	return true;
}

// Fills the table of each two neighbouring rails: how well the letters of
// one follow those of the other in the text, with the rails starting at
// each two places they may.
void fill_pair_tables(const rail_search &s, std::size_t rails, rail_scratch &w) noexcept
{
	std::int32_t *cells = w.pair_cells;
	const std::int32_t *pairs = s.tables->pairs;
	for (std::size_t p = 0; p + 1 < rails; p++) {
		w.pair_table[p] = cells;
		std::int32_t best = INT32_MIN;
		for (std::size_t a = 0; a < w.start_count[p]; a++) {
			const std::uint8_t *upper = s.symbols + w.starts[p][a];
			for (std::size_t b = 0; b < w.start_count[p + 1]; b++) {
				const std::uint8_t *lower = s.symbols + w.starts[p + 1][b];
				const auto sa = static_cast<std::size_t>(w.starts[p][a]);
				const auto sb = static_cast<std::size_t>(w.starts[p + 1][b]);
				// Rails that would overlap never stand so in an order.
				if (sa < sb + w.length[p + 1] && sb < sa + w.length[p]) {
					*cells++ = 0;
					continue;
				}
				std::int32_t sum = 0;
				for (std::size_t t = w.touch_start[p]; t < w.touch_start[p + 1]; t++) {
					const rail_scratch::touch &touch = w.touches[t];
					const std::uint8_t x = upper[touch.upper], y = lower[touch.lower];
					sum += touch.forward ? pairs[x * SYMBOLS + y] : pairs[y * SYMBOLS + x];
				}
				*cells++ = sum;
				best = std::max(best, sum);
			}
		}
		w.pair_best[p] = best == INT32_MIN ? 0 : best;
	}
}

std::int32_t pair_score(const rail_scratch &w, std::size_t p, std::int32_t upper_start, std::int32_t lower_start) noexcept
{
	const std::int16_t a = w.start_index[p][upper_start], b = w.start_index[p + 1][lower_start];
	return w.pair_table[p][static_cast<std::size_t>(a) * w.start_count[p + 1] + static_cast<std::size_t>(b)];
}

// An order's score by the tables.
std::int64_t table_score(const rail_scratch &w, std::span<const std::int32_t> order) noexcept
{
	std::int32_t start[MOST_ORDERED_RAILS] = {};
	std::int32_t at = 0;
	for (const std::int32_t rail : order) {
		start[rail] = at;
		at += static_cast<std::int32_t>(w.length[rail]);
	}
	std::int64_t score = 0;
	for (std::size_t p = 0; p + 1 < order.size(); p++)
		score += pair_score(w, p, start[p], start[p + 1]);
	return score;
}

// Keeps an order among the best RAIL_ORDERS_KEPT by the tables, unless it
// is there already or scores no better than the last of them when they
// are full.
void keep_order(rail_scratch &w, std::span<const std::int32_t> order, std::int64_t score) noexcept
{
	if (w.kept_count == RAIL_ORDERS_KEPT && score <= w.orders[RAIL_ORDERS_KEPT - 1].score)
		return;
	for (std::size_t i = 0; i < w.kept_count; i++)
		if (w.orders[i].score == score && std::equal(order.begin(), order.end(), w.orders[i].order))
			return;
	std::size_t at = w.kept_count < RAIL_ORDERS_KEPT ? w.kept_count++ : RAIL_ORDERS_KEPT - 1;
	for (; at > 0 && score > w.orders[at - 1].score; at--)
		w.orders[at] = w.orders[at - 1];
	w.orders[at].score = score;
	std::copy(order.begin(), order.end(), w.orders[at].order);
}

// Every order, one rail read after another, each branch left when even
// the best its unplaced neighbours could score would not bring it among
// the orders kept.
struct order_tree {
	rail_scratch &w;
	std::size_t rails;
	const std::atomic<bool> *stop;
	std::int32_t order[MOST_ORDERED_RAILS] = {};
	std::int32_t start[MOST_ORDERED_RAILS] = {};
	bool placed[MOST_ORDERED_RAILS] = {};
	std::uint64_t visits = 0;

	bool stopped() noexcept
	{
		return stop != nullptr && (++visits & 0xfff) == 0 && stop->load(std::memory_order_relaxed);
	}

	void grow(std::size_t depth, std::int32_t at, std::int64_t score, std::int64_t open_best) noexcept
	{
		if (depth == rails) {
			keep_order(w, {order, rails}, score);
			return;
		}
		if (stopped())
			return;
		for (std::size_t rail = 0; rail < rails; rail++) {
			if (placed[rail])
				continue;
			std::int64_t gain = 0, closed = 0;
			const auto start_here = at;
			if (rail > 0 && placed[rail - 1]) {
				gain += pair_score(w, rail - 1, start[rail - 1], start_here);
				closed += w.pair_best[rail - 1];
			}
			if (rail + 1 < rails && placed[rail + 1]) {
				gain += pair_score(w, rail, start_here, start[rail + 1]);
				closed += w.pair_best[rail];
			}
			const std::int64_t next_best = open_best - closed;
			if (w.kept_count == RAIL_ORDERS_KEPT && score + gain + next_best <= w.orders[RAIL_ORDERS_KEPT - 1].score)
				continue;
			placed[rail] = true;
			start[rail] = start_here;
			order[depth] = static_cast<std::int32_t>(rail);
			grow(depth + 1, at + static_cast<std::int32_t>(w.length[rail]), score + gain, next_best);
			placed[rail] = false;
		}
	}
};

// Climbs from seeded random orders by swapping two rails' places in the
// order while that raises the tables' score.
void climb_orders(const rail_search &s, const rail_job &job, rail_scratch &w, const std::atomic<bool> *stop) noexcept
{
	const auto rails = static_cast<std::size_t>(job.rails);
	const std::uint32_t restarts = RESTARTS_PER_RAIL * static_cast<std::uint32_t>(rails) *
	                               std::max<std::uint32_t>(s.settings.effort, 1);
	std::int32_t order[MOST_ORDERED_RAILS] = {};
	for (std::uint32_t restart = 0; restart < restarts; restart++) {
		if (stop != nullptr && stop->load(std::memory_order_relaxed))
			return;
		random_bits random = random_bits::of(s.settings.seed, rails * 64 + static_cast<std::size_t>(job.offset), restart);
		std::iota(order, order + rails, 0);
		for (std::size_t j = rails; j > 1; j--)
			std::swap(order[j - 1], order[random.below(static_cast<std::uint32_t>(j))]);
		std::int64_t score = table_score(w, {order, rails});
		for (bool rose = true; rose;) {
			rose = false;
			for (std::size_t i = 0; i < rails; i++)
				for (std::size_t j = i + 1; j < rails; j++) {
					std::swap(order[i], order[j]);
					const std::int64_t tried = table_score(w, {order, rails});
					if (tried > score) {
						score = tried;
						rose = true;
					} else {
						std::swap(order[i], order[j]);
					}
				}
		}
		keep_order(w, {order, rails}, score);
	}
}

} // namespace

std::int32_t most_searched_rails(std::size_t length, const rail_settings &settings) noexcept
{
	return std::min({settings.most, static_cast<std::int32_t>(length / 2), static_cast<std::int32_t>(MOST_ORDERED_RAILS)});
}

void begin_rail_search(rail_search &s, const keyed_tables &tables, std::span<const char> compact,
                       const rail_settings &settings) noexcept
{
	s.tables = &tables;
	s.settings = settings;
	s.cribs = settings.cribs != nullptr ? *settings.cribs : crib_list{};
	s.compact = compact.first(std::min(compact.size(), BUFFER_SIZE - 1));
	to_symbols(s.compact, s.symbols);
	s.answer_count = 0;
	s.jobs_planned = 0;
}

std::size_t plan_rail_jobs(rail_search &s, std::span<rail_job> jobs) noexcept
{
	if (s.jobs_planned > 0)
		return 0;
	std::size_t count = 0;
	const std::int32_t most = most_searched_rails(s.compact.size(), s.settings);
	// A zigzag started N - 1 places later is the same zigzag upside down:
	// the key with that offset and its order's rails turned over deciphers
	// as this one does, so only the first N - 1 offsets are searched.
	for (std::int32_t rails = std::max(s.settings.least, 2); rails <= most; rails++)
		for (std::int32_t offset = 0; offset < rails - 1; offset++)
			jobs[count++] = {rails, offset};
	s.jobs_planned = std::max<std::size_t>(count, 1);
	return count;
}

void run_rail_job(const rail_search &s, const rail_job &job, rail_scratch &w, rail_job_result &result,
                  const std::atomic<bool> *stop) noexcept
{
	result.job = job;
	result.count = 0;
	result.cut_short = false;
	const auto rails = static_cast<std::size_t>(job.rails);
	w.kept_count = 0;
	if (!lay_out(s, job, w))
		return;
	fill_pair_tables(s, rails, w);
	if (rails <= MOST_RAILS_IN_EVERY_ORDER) {
		order_tree tree{w, rails, stop};
		std::int64_t open_best = 0;
		for (std::size_t p = 0; p + 1 < rails; p++)
			open_best += w.pair_best[p];
		tree.grow(0, 0, 0, open_best);
	} else {
		climb_orders(s, job, w, stop);
	}
	result.cut_short = stop != nullptr && stop->load(std::memory_order_relaxed);
	const std::size_t length = s.compact.size();
	for (std::size_t i = 0; i < w.kept_count; i++) {
		rail_answer &answer = result.answers[result.count++];
		answer.rails = job.rails;
		answer.offset = job.offset;
		std::copy_n(w.orders[i].order, rails, answer.order);
		decipher_railfence({job.rails, {answer.order, rails}, job.offset}, s.compact, {w.decoded, BUFFER_SIZE});
		answer.score = score_text(*s.tables->model, {w.decoded, length}, job.rails);
		answer.cribs = cribs_held_in_text(s.cribs, {w.decoded, length});
		answer.belief = ranked(answer.score) - (natural(answer.order, rails) ? 0 : order_prior(*s.tables->model, rails));
	}
}

void take_rail_result(rail_search &s, const rail_job_result &result) noexcept
{
	if (result.cut_short)
		return;
	const std::size_t room = std::clamp<std::size_t>(s.settings.answers, 2, MOST_RAIL_ANSWERS);
	for (std::size_t i = 0; i < result.count; i++)
		s.answer_count = keep_best(std::span<rail_answer>(s.answers, room), s.answer_count, result.answers[i], better);
}

void search_rails_on_one_thread(rail_search &search, rail_scratch &scratch, rail_job_result &result) noexcept
{
	rail_job jobs[MOST_RAIL_JOBS];
	for (std::size_t count; (count = plan_rail_jobs(search, jobs)) > 0;)
		for (std::size_t i = 0; i < count; i++) {
			run_rail_job(search, jobs[i], scratch, result, nullptr);
			take_rail_result(search, result);
		}
}

std::span<const rail_answer> rail_answers(const rail_search &s) noexcept
{
	return {s.answers, s.answer_count};
}
