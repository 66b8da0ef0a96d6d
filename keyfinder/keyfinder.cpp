#include "keyfinder.h"

#include "decoder.h"
#include "words.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <numeric>

namespace {

// A text's first and last trigrams count this many times over: the edges
// are where neighbouring keys' decodings of one or two rows differ most,
// a letter of the last word being moved into the text.
constexpr int EDGE_WEIGHT = 2;

bool better(const key_score &a, const key_score &b) noexcept
{
	if (a.cribs != b.cribs)
		return a.cribs > b.cribs;
	// Compared as totals over the same number of quadgrams; the smaller key
	// wins a tie.
	const std::int64_t left = ranked(a) * static_cast<std::int64_t>(std::max<std::size_t>(b.quadgrams, 1));
	const std::int64_t right = ranked(b) * static_cast<std::int64_t>(std::max<std::size_t>(a.quadgrams, 1));
	return left != right ? left > right : a.key < b.key;
}

// Puts `score` into its place among the `held` best, dropping the worst
// when they are full.
std::size_t keep(std::span<key_score> best, std::size_t held, const key_score &score) noexcept
{
	if (held == best.size() && !better(score, best[held - 1]))
		return held;
	std::size_t at = held < best.size() ? held++ : held - 1;
	for (; at > 0 && better(score, best[at - 1]); at--)
		best[at] = best[at - 1];
	best[at] = score;
	return held;
}

} // namespace

double log10_per_quadgram(const language_model &model, const key_score &score) noexcept
{
	if (score.quadgrams == 0)
		return 0;
	return model.floor + model.step * static_cast<double>(score.total) / static_cast<double>(score.quadgrams);
}

static bool at_least(const key_score &score, std::int64_t hundredths) noexcept
{
	return score.quadgrams > 0 && score.total * 100 >= hundredths * static_cast<std::int64_t>(score.quadgrams);
}

bool above_verdict_floor(const language_model &model, const key_score &score) noexcept
{
	return at_least(score, model.verdict_level);
}

bool clearly_solved(const language_model &model, const key_score &score) noexcept
{
	return at_least(score, model.clear_level);
}

std::int64_t order_prior(const language_model &model, std::size_t columns) noexcept
{
	return model.order_prior[std::min(columns, MOST_PRIOR_COLUMNS)];
}

verdict judge(const language_model &model, const key_score &score) noexcept
{
	if (score.quadgrams + 3 < JUDGED_LETTERS)
		return verdict::too_short;
	return above_verdict_floor(model, score) ? verdict::english : verdict::not_english;
}

std::int64_t edge_levels(const language_model &model, std::span<const std::uint8_t> first,
                         std::span<const std::uint8_t> last_reversed) noexcept
{
	std::int64_t total = 0;
	if (first.size() >= 3)
		total += EDGE_WEIGHT * model.opening[(first[0] * 26u + first[1]) * 26u + first[2]];
	if (last_reversed.size() >= 3)
		total += EDGE_WEIGHT * model.closing[(last_reversed[2] * 26u + last_reversed[1]) * 26u + last_reversed[0]];
	return total;
}

key_score score_ends(const language_model &model, std::span<const std::uint8_t> first,
                     std::span<const std::uint8_t> last_reversed) noexcept
{
	const std::int32_t words = opening_words(model, first) + (last_reversed.empty() ? 0 : closing_words(model, last_reversed));
	return {0, edge_levels(model, first, last_reversed), 0, word_levels(model, words), 0};
}

std::int64_t most_edge_levels(const language_model &model) noexcept
{
	return EDGE_WEIGHT * (std::max<std::int64_t>(model.most_opening, 0) + std::max<std::int64_t>(model.most_closing, 0));
}

std::int64_t most_ends_score(const language_model &model) noexcept
{
	return most_edge_levels(model) + word_levels(model, static_cast<std::int32_t>(2 * WORD_WINDOW) * model.most_word_gain) + 1;
}

verdict judge_order(const language_model &model, const key_score &score, std::size_t columns,
                    bool reached_once) noexcept
{
	const verdict plain = judge(model, score);
	if (plain != verdict::english)
		return plain;
	// total / quadgrams >= floor + slope * prior / quadgrams, the floor in
	// hundredths of a level and the slope in hundredths.
	const auto q = static_cast<std::int64_t>(score.quadgrams);
	const std::int64_t floor = reached_once ? model.once_level : model.keyed_level;
	return score.total * 100 >= floor * q + model.keyed_slope_hundredths * order_prior(model, columns)
	           ? verdict::english
	           : verdict::not_english;
}

double order_floor(const language_model &model, const key_score &score, std::size_t columns,
                   bool reached_once) noexcept
{
	const double prior = static_cast<double>(order_prior(model, columns)) * model.step /
	                     static_cast<double>(std::max<std::size_t>(score.quadgrams, 1));
	return std::max(model.verdict_floor, (reached_once ? model.once_floor : model.keyed_floor) + model.keyed_slope * prior);
}

const language_model *letters_fit_best(std::span<const language_model *const> models,
                                       std::span<const char> text) noexcept
{
	std::size_t counts[26] = {};
	for (const char c : text)
		if (const auto letter = static_cast<unsigned char>(c - 'A'); letter < 26)
			counts[letter]++;
	const language_model *best = nullptr;
	std::int64_t best_fit = 0;
	for (const language_model *model : models) {
		std::int64_t fit = 0;
		for (std::size_t letter = 0; letter < 26; letter++)
			fit += static_cast<std::int64_t>(counts[letter]) * model->letter_log10[letter];
		if (best == nullptr || fit > best_fit) {
			best = model;
			best_fit = fit;
		}
	}
	return std::accumulate(counts, counts + 26, std::size_t{0}) > 0 ? best : nullptr;
}

key_score score_text(const language_model &model, std::span<const char> decoded, std::int32_t key,
                     std::size_t most) noexcept
{
	std::size_t index = 0, letters = 0, at = 0;
	std::int64_t quadgrams = 0;
	// The first letters, and the last in a ring.
	std::uint8_t first[WORD_WINDOW], last[WORD_WINDOW];
	for (; at < decoded.size() && letters < most; at++) {
		const auto letter = static_cast<unsigned char>(decoded[at] - 'A');
		if (letter >= 26)
			continue;
		if (letters < WORD_WINDOW)
			first[letters] = letter;
		last[letters % WORD_WINDOW] = letter;
		index = (index * 26 + letter) % QUADGRAMS;
		if (++letters >= 4)
			quadgrams += model.quadgrams[index];
	}
	// The last letters are the text's own only if no letter is left.
	while (at < decoded.size() && static_cast<unsigned char>(decoded[at] - 'A') >= 26)
		at++;
	const std::size_t ends = std::min(letters, WORD_WINDOW);
	std::uint8_t reversed[WORD_WINDOW];
	for (std::size_t i = 0; i < ends; i++)
		reversed[i] = last[(letters - 1 - i) % WORD_WINDOW];
	// A text scored in part, as a long text's first round scores each key,
	// is not split into words: that round only shortlists keys.
	const bool whole = at == decoded.size();
	key_score score = whole ? score_ends(model, {first, ends}, {reversed, ends})
	                        : key_score{0, edge_levels(model, {first, ends}, {}), 0, 0, 0};
	score.key = key;
	score.total += quadgrams;
	score.quadgrams = letters >= 3 ? letters - 3 : 0;
	return score;
}

namespace {

// Tries every key from low to high, each decoding made once and scored in
// each of `models`: model m's best `wanted` keys fill lists[m * wanted...]
// and their count held[m].  A long text's first round fills, for model m,
// rounds[m * round_size...], round_size being max(wanted, SHORTLIST).
void search_keys(std::span<const language_model *const> models, std::span<const char> compact, std::size_t length,
                 std::int32_t low, std::int32_t high, std::size_t wanted, std::span<key_score> lists,
                 std::span<key_score> rounds, std::span<std::size_t> held, std::span<char> decoded,
                 const crib_list *cribs) noexcept
{
	// Each decoding's score, with the cribs it holds.
	const auto scored = [&](const language_model &model, std::int32_t key, std::size_t letters, std::uint32_t held_cribs) {
		key_score score = score_text(model, decoded.first(length), key, letters);
		score.cribs = held_cribs;
		return score;
	};
	const auto cribs_in = [&] { return cribs != nullptr ? cribs_held_in_text(*cribs, decoded.first(length)) : 0u; };
	const std::size_t round_size = std::max(wanted, SHORTLIST);
	const auto list_of = [&](std::size_t m) { return lists.subspan(m * wanted, wanted); };
	const auto round_of = [&](std::size_t m) { return rounds.subspan(m * round_size, round_size); };
	std::fill(held.begin(), held.end(), 0);
	const auto keys = static_cast<std::size_t>(high - low) + 1;
	if (keys * length <= FULL_BUDGET) {
		for (std::int32_t key = low; key <= high; key++) {
			decode_columns(compact, length, key, decoded);
			const std::uint32_t held_cribs = cribs_in();
			for (std::size_t m = 0; m < models.size(); m++)
				held[m] = keep(list_of(m), held[m], scored(*models[m], key, BUFFER_SIZE, held_cribs));
		}
		return;
	}

	// The first round, on each decoding's first letters.
	std::size_t listed[MOST_LANGUAGES] = {};
	for (std::int32_t key = low; key <= high; key++) {
		decode_columns(compact, length, key, decoded);
		const std::uint32_t held_cribs = cribs_in();
		for (std::size_t m = 0; m < models.size(); m++)
			listed[m] = keep(round_of(m), listed[m], scored(*models[m], key, PREFIX_LETTERS, held_cribs));
	}
	// The second, on all the letters of the keys that came through.
	for (std::size_t m = 0; m < models.size(); m++)
		for (std::size_t i = 0; i < listed[m]; i++) {
			const std::int32_t key = round_of(m)[i].key;
			decode_columns(compact, length, key, decoded);
			held[m] = keep(list_of(m), held[m], scored(*models[m], key, BUFFER_SIZE, round_of(m)[i].cribs));
		}
}

} // namespace

std::size_t find_keys(const language_model &model, std::span<const char> compact, std::size_t length,
                      std::int32_t min_key, std::int32_t max_key,
                      std::span<key_score> best, std::span<char> decoded, const crib_list *cribs) noexcept
{
	length = std::min({length, compact.size(), decoded.size()});
	if (best.empty())
		return 0;
	const std::int32_t low = std::max(min_key, std::int32_t{1});
	const auto longest = static_cast<std::int32_t>(std::min<std::size_t>(length, BUFFER_SIZE));
	const std::int32_t high = std::min(max_key, longest - 1);
	if (length < 3 || high < low) {
		best[0] = score_text(model, compact.first(length), low);
		best[0].cribs = cribs != nullptr ? cribs_held_in_text(*cribs, compact.first(length)) : 0;
		return 1;
	}
	const std::size_t wanted = std::min(best.size(), MOST_BEST);
	std::array<key_score, MOST_BEST> shortlist;
	const language_model *models[] = {&model};
	std::size_t held[1];
	search_keys(models, compact, length, low, high, wanted, best, shortlist, held, decoded, cribs);
	return held[0];
}

bool scores_higher(const language_model &model, const key_score &score, const language_model *kept,
                   const key_score &best) noexcept
{
	if (kept == nullptr)
		return true;
	if (score.cribs != best.cribs)
		return score.cribs > best.cribs;
	// floor + step * total / quadgrams for each, compared exactly in
	// millionths over both counts: doubles may round differently on
	// 32-bit x86, and the choice of language must not.
	if (score.quadgrams == 0 || best.quadgrams == 0)
		return false;
	const auto q = static_cast<std::int64_t>(score.quadgrams), p = static_cast<std::int64_t>(best.quadgrams);
	const std::int64_t mine = model.floor_millionths * q * p + model.step_millionths * score.total * p;
	const std::int64_t theirs = kept->floor_millionths * q * p + kept->step_millionths * best.total * q;
	return mine > theirs;
}

language_keys find_keys_in_languages(std::span<const language_model *const> models, std::span<const char> compact,
                                     std::size_t length, std::int32_t min_key, std::int32_t max_key,
                                     std::span<key_score> best, std::span<key_score> trial,
                                     std::span<char> decoded, const crib_list *cribs) noexcept
{
	length = std::min({length, compact.size(), decoded.size()});
	const std::size_t wanted = std::min(best.size(), MOST_BEST);
	const std::size_t languages = models.size();
	const std::int32_t low = std::max(min_key, std::int32_t{1});
	const std::int32_t high = std::min(max_key, static_cast<std::int32_t>(std::min<std::size_t>(length, BUFFER_SIZE)) - 1);
	if (languages == 0 || wanted == 0)
		return {nullptr, 0};
	const auto choose = [&](auto &&found_in) {
		language_keys kept{nullptr, 0};
		for (std::size_t m = 0; m < languages; m++) {
			const auto [list, found] = found_in(m);
			if (found > 0 && scores_higher(*models[m], list[0], kept.model, best[0])) {
				std::copy_n(list.begin(), found, best.begin());
				kept = {models[m], found};
			}
		}
		return kept;
	};
	if (languages == 1 || languages > MOST_LANGUAGES || length < 3 || high < low ||
	    trial.size() < language_scratch(languages, wanted)) {
		// One language, or nothing to share: each searches alone.
		return choose([&](std::size_t m) {
			const std::span<key_score> list = trial.first(std::min(trial.size(), wanted));
			return std::pair{list, find_keys(*models[m], compact, length, min_key, max_key, list, decoded, cribs)};
		});
	}

	// Each language's best keys, and its shortlist, side by side in trial.
	const std::span<key_score> lists = trial.first(languages * wanted);
	std::size_t held[MOST_LANGUAGES];
	search_keys(models, compact, length, low, high, wanted, lists, trial.subspan(languages * wanted),
	            {held, languages}, decoded, cribs);
	const auto list_of = [&](std::size_t m) { return lists.subspan(m * wanted, wanted); };
	return choose([&](std::size_t m) { return std::pair{list_of(m), held[m]}; });
}
