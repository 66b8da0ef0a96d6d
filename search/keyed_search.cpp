#include "keyed_search.h"

#include "column_moves.h"
#include "decoder.h"
#include "permutation.h"

#include <algorithm>
#include <cstring>

namespace {

// How long the climbs go on without a gain, per column squared: the first
// phase's moves cost a few additions, the second's a decoding, and the
// second is then polished by trying every move in turn.
constexpr std::uint64_t PAIR_PATIENCE = 50;
constexpr std::uint64_t ORDER_PATIENCE = 5;
// Rounds of restarts for each unit of effort.
constexpr std::uint32_t ROUNDS = 20;
// An order is taken once this many restarts have ended at it: two are
// sometimes both caught by one near miss.
constexpr std::uint32_t CONFIRMATIONS = 3;
constexpr std::uint32_t LEAST_RESTARTS = 2;

// The one holding more cribs first, then the better believed, then the one
// of fewer columns, then by order, so that every answer has its one place.
bool better(const keyed_answer &a, const keyed_answer &b) noexcept
{
	if (a.cribs != b.cribs)
		return a.cribs > b.cribs;
	if (a.belief != b.belief)
		return a.belief > b.belief;
	if (a.columns != b.columns)
		return a.columns < b.columns;
	return std::lexicographical_compare(a.order, a.order + a.columns, b.order, b.order + b.columns);
}

bool same(const keyed_answer &a, const keyed_answer &b) noexcept
{
	return a.columns == b.columns && std::equal(a.order, a.order + a.columns, b.order);
}

bool natural(const keyed_answer &answer) noexcept
{
	for (std::int32_t j = 0; j < answer.columns; j++)
		if (answer.order[j] != j)
			return false;
	return true;
}

// The answer whose column c is the run read at slots[c], its whole
// decoding scored as the key finder scores one.
void make_answer(keyed_search &s, std::span<const std::int32_t> slots, keyed_answer &answer) noexcept
{
	const std::size_t length = s.compact.size();
	answer.columns = static_cast<std::int32_t>(slots.size());
	for (std::size_t c = 0; c < slots.size(); c++)
		answer.order[slots[c]] = static_cast<std::int32_t>(c);
	if (s.settings.rows) {
		// An order that repeats a shorter one is that one, whose answer
		// it must not crowd out.
		answer.columns = static_cast<std::int32_t>(fewest_columns({answer.order, slots.size()}));
		decipher_permutation({answer.columns, {answer.order, static_cast<std::size_t>(answer.columns)}, 0}, s.compact, {s.decoded, BUFFER_SIZE});
	} else {
		naturalise_columns(s.compact, length, {answer.order, slots.size()}, {s.natural, BUFFER_SIZE});
		decode_columns({s.natural, BUFFER_SIZE}, length, answer.columns, {s.decoded, BUFFER_SIZE});
	}
	answer.score = score_text(*s.tables->model, {s.decoded, length}, answer.columns);
	answer.cribs = cribs_held_in_text(s.cribs, {s.decoded, length});
	answer.belief = ranked(answer.score) -
	                (natural(answer) ? 0 : order_prior(*s.tables->model, static_cast<std::size_t>(answer.columns)));
}

// Puts `answer` among the best kept, unless it is there already.
void keep_answer(keyed_search &s, const keyed_answer &answer) noexcept
{
	const std::size_t room = std::clamp<std::size_t>(s.settings.answers, 2, MOST_ANSWERS);
	for (std::size_t i = 0; i < s.answer_count; i++)
		if (same(s.answers[i], answer))
			return;
	if (s.answer_count == room && !better(answer, s.answers[room - 1]))
		return;
	std::size_t at = s.answer_count < room ? s.answer_count++ : room - 1;
	for (; at > 0 && better(answer, s.answers[at - 1]); at--)
		s.answers[at] = s.answers[at - 1];
	s.answers[at] = answer;
}

// Records an order found for `cs`, at the best believed of its turns when
// it was climbed to: its letters are right, but a climb cannot tell which
// of them open the text.
void record(keyed_search &s, column_search &cs, std::span<std::int32_t> slots, bool first_round,
            bool turn = true) noexcept
{
	keyed_answer turned, best;
	make_answer(s, slots, best);
	for (std::size_t by = 1; turn && by < slots.size(); by++) {
		std::rotate(slots.begin(), slots.begin() + 1, slots.end());
		make_answer(s, slots, turned);
		if (better(turned, best))
			best = turned;
	}
	if (cs.hits == 0 || better(best, cs.best)) {
		cs.best = best;
		cs.hits = 1;
		cs.from_first_round = first_round;
	} else if (same(best, cs.best)) {
		cs.hits++;
	}
	keep_answer(s, best);
}

// The number of columns whose best answer is `answer`, the one whose
// restarts ended at it most often when several have it: a block
// permutation's order of 2K columns may repeat one of K.  Null when none
// has it.
const column_search *search_of(const keyed_search &s, const keyed_answer &answer) noexcept
{
	const column_search *found = nullptr;
	for (std::int32_t k = s.least; k <= s.most; k++)
		if (same(s.columns[k].best, answer) && (found == nullptr || s.columns[k].hits > found->hits))
			found = &s.columns[k];
	return found;
}

bool searched_through(const column_search &cs) noexcept
{
	return cs.every_order && cs.parts_left == 0;
}

// Whether the best answer so far can be taken.  It must clearly read as
// the language.  One read from left to right, or a turn of one, is taken
// when a whole round of restarts has found nothing better.  A keyed one
// must have been found by CONFIRMATIONS restarts, or be the best of every
// order, and every number of columns restarted twice or searched through,
// since one restart of the right number may miss while a wrong one
// overfits.
bool settled(const keyed_search &s, bool round_over) noexcept
{
	if (s.answer_count == 0)
		return false;
	const keyed_answer &lead = s.answers[0];
	const column_search *found = search_of(s, lead);
	if (!clearly_solved(*s.tables->model, lead.score) || found == nullptr)
		return false;
	const column_search &cs = *found;
	if (cs.from_first_round && round_over && s.round >= 1)
		return true;
	for (std::int32_t k = std::max(s.least, 2); k <= s.most; k++)
		if (s.columns[k].restarts < LEAST_RESTARTS && !searched_through(s.columns[k]))
			return false;
	return cs.hits >= CONFIRMATIONS || searched_through(cs);
}

} // namespace

std::int32_t most_keyed_columns(std::size_t length, const keyed_settings &settings) noexcept
{
	const auto by_rows = static_cast<std::int32_t>(length / static_cast<std::size_t>(std::max(settings.min_rows, 1)));
	return std::min({settings.max_columns, by_rows, static_cast<std::int32_t>(MOST_KEYED_COLUMNS)});
}

void begin_search(keyed_search &s, const keyed_tables &tables, std::span<const char> compact,
                  const keyed_settings &settings) noexcept
{
	s.tables = &tables;
	s.settings = settings;
	s.cribs = settings.cribs != nullptr ? *settings.cribs : crib_list{};
	s.most_ends = most_ends_score(*tables.model);
	s.compact = compact.first(std::min(compact.size(), BUFFER_SIZE - 1));
	const std::size_t length = s.compact.size();
	to_symbols(s.compact, s.symbols);
	s.answer_count = 0;
	s.round = 0;
	s.done = false;
	s.least = std::max(settings.min_columns, 1);
	s.most = most_keyed_columns(length, settings);
	if (s.most < s.least) {
		// Nothing to search: the text stands as it is.
		s.least = s.most = 1;
	}
	// As much climbing as the search of every number of columns it would
	// make by default, however few numbers are searched: a number of
	// columns given is searched at least as hard as in a range.  A
	// restart's climbs take about K * K moves.
	const auto climbing = [&](std::int32_t least, std::int32_t most) {
		std::int64_t work = 0, lead = 0;
		for (std::int32_t k = std::max(least, 2); k <= most; k++)
			if (!tries_every_order(shape_of(length, static_cast<std::size_t>(k)), settings.every_order_budget)) {
				work += std::int64_t{k} * k;
				lead = std::int64_t{k} * k;
			}
		return work + (CONFIRMATIONS - 1) * lead;
	};
	const keyed_settings by_default{};
	const std::int64_t usual = climbing(2, most_keyed_columns(length, by_default));
	const std::int64_t here = std::max<std::int64_t>(climbing(s.least, s.most), 1);
	s.last_round = ROUNDS * std::max<std::uint32_t>(settings.effort, 1) *
	               static_cast<std::uint32_t>(std::clamp<std::int64_t>(usual / here, 1, 100));
	if (settings.most_rounds > 0)
		s.last_round = std::min(s.last_round, settings.most_rounds);
	std::int32_t *pairs = s.pairs;
	std::uint8_t *blocks = s.blocks;
	for (std::int32_t k = s.least; k <= s.most; k++) {
		column_search &cs = s.columns[k];
		const auto columns = static_cast<std::size_t>(k);
		cs.symbols = {s.symbols, length};
		if (settings.rows) {
			// Whole blocks read column by column are a keyed column
			// transposition's cipher of a complete grid, with the same
			// order; a short last block is left to the answers' scores.
			const std::size_t rows = length / columns;
			for (std::size_t r = 0; r < rows; r++)
				for (std::size_t c = 0; c < columns; c++)
					blocks[c * rows + r] = s.symbols[r * columns + c];
			cs.symbols = {blocks, rows * columns};
			blocks += rows * columns;
		}
		cs.shape = shape_of(cs.symbols.size(), columns);
		cs.beside = pairs;
		cs.wrapped = pairs + columns * columns;
		pairs += 2 * columns * columns;
		score_pairs(tables, cs.symbols, cs.shape, {cs.beside, columns * columns},
		            {cs.wrapped, columns * columns});
		cs.hits = 0;
		cs.restarts = 0;
		cs.planned = 0;
		cs.every_order = tries_every_order(cs.shape, settings.every_order_budget);
		cs.parts_left = cs.every_order ? static_cast<std::uint32_t>(k) : 0;
		// The first round: left to right, and its turns.
		std::int32_t slots[MOST_KEYED_COLUMNS];
		for (std::size_t c = 0; c < columns; c++)
			slots[c] = static_cast<std::int32_t>(c);
		record(s, cs, {slots, columns}, true);
	}
}

std::size_t plan_round(keyed_search &s, std::span<search_job> jobs) noexcept
{
	if (s.done || settled(s, true) || s.round >= s.last_round || s.most < 2) {
		s.done = true;
		return 0;
	}
	s.round++;
	// The most promising numbers of columns first, so that a round can end
	// as soon as one is settled.
	std::int32_t ranked_columns[MOST_KEYED_COLUMNS + 1];
	std::size_t ranked_count = 0;
	for (std::int32_t k = std::max(s.least, 2); k <= s.most; k++)
		if (!s.columns[k].every_order || s.round == 1)
			ranked_columns[ranked_count++] = k;
	std::stable_sort(ranked_columns, ranked_columns + ranked_count, [&s](std::int32_t a, std::int32_t b) {
		return better(s.columns[a].best, s.columns[b].best);
	});
	// Every order of few columns is tried in the first round, a part of the
	// tree for each first column placed; the climbs' leader is restarted
	// CONFIRMATIONS times.
	std::size_t count = 0;
	bool led = false;
	for (std::size_t i = 0; i < ranked_count; i++) {
		const std::int32_t k = ranked_columns[i];
		column_search &cs = s.columns[k];
		if (cs.every_order) {
			for (std::int32_t part = 0; part < k; part++)
				jobs[count++] = {k, 0, part};
			continue;
		}
		for (std::uint32_t n = 0; n < (led ? 1 : CONFIRMATIONS); n++)
			jobs[count++] = {k, ++cs.planned, -1};
		led = true;
	}
	return count;
}

void run_job(const keyed_search &s, const search_job &job, order_scratch &scratch, job_result &result,
             const std::atomic<bool> *stop) noexcept
{
	const column_search &cs = s.columns[job.columns];
	const auto k = static_cast<std::size_t>(job.columns);
	const std::span<std::int32_t> slots{result.slots, k};
	const std::span<const std::uint8_t> symbols = cs.symbols;
	result.job = job;
	if (job.part >= 0) {
		try_every_order(*s.tables, symbols, cs.shape, static_cast<std::size_t>(job.part), s.cribs, s.most_ends,
		                result.every, stop);
		result.cut_short = stop != nullptr && stop->load(std::memory_order_relaxed);
		return;
	}
	random_bits random = random_bits::of(s.settings.seed, k, job.restart);
	for (std::size_t c = 0; c < k; c++) {
		const std::size_t other = random.below(static_cast<std::uint32_t>(c + 1));
		slots[c] = slots[other];
		slots[other] = static_cast<std::int32_t>(c);
	}
	climb_cycle({cs.beside, k * k}, {cs.wrapped, k * k}, slots, random, PAIR_PATIENCE * k * k);
	best_turn(*s.tables, symbols, cs.shape, slots, scratch);
	climb_order(*s.tables, symbols, cs.shape, slots, random, ORDER_PATIENCE * k * k, scratch, stop);
	result.score = polish_order(*s.tables, symbols, cs.shape, slots, scratch, stop);
	result.cut_short = stop != nullptr && stop->load(std::memory_order_relaxed);
}

bool take_result(keyed_search &s, const job_result &result) noexcept
{
	if (s.done || result.cut_short)
		return s.done;
	column_search &cs = s.columns[result.job.columns];
	std::int32_t slots[MOST_KEYED_COLUMNS];
	const auto k = static_cast<std::size_t>(result.job.columns);
	if (result.job.part >= 0) {
		for (std::size_t i = 0; i < result.every.count; i++) {
			std::copy_n(result.every.orders[i].slots, k, slots);
			record(s, cs, {slots, k}, false, false);
		}
		cs.parts_left--;
	} else {
		std::copy(result.slots, result.slots + k, slots);
		record(s, cs, {slots, k}, false);
		cs.restarts++;
	}
	if (settled(s, false))
		s.done = true;
	return s.done;
}

std::span<const keyed_answer> search_answers(const keyed_search &s) noexcept
{
	return {s.answers, s.answer_count};
}

std::uint32_t restarts_at(const keyed_search &s, const keyed_answer &answer) noexcept
{
	const column_search *cs = search_of(s, answer);
	if (cs == nullptr)
		return 1;
	return searched_through(*cs) ? 0 : cs->hits;
}

void search_on_one_thread(keyed_search &search, order_scratch &scratch, job_result &result) noexcept
{
	search_job jobs[MOST_ROUND_JOBS];
	for (std::size_t count; (count = plan_round(search, jobs)) > 0;)
		for (std::size_t i = 0; i < count; i++) {
			run_job(search, jobs[i], scratch, result, nullptr);
			if (take_result(search, result))
				break;
		}
}
