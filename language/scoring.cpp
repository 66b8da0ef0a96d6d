#include "scoring.h"

#include "words.h"

#include <algorithm>
#include <numeric>

namespace {

// A text's first and last trigrams count this many times over: the edges
// are where neighbouring keys' decodings of one or two rows differ most,
// a letter of the last word being moved into the text.
constexpr int EDGE_WEIGHT = 2;

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

namespace {

std::int64_t orders_prior(const language_model &model, std::size_t columns, std::size_t second_columns) noexcept
{
	return order_prior(model, columns) + (second_columns > 0 ? order_prior(model, second_columns) : 0);
}

} // namespace

verdict judge_order(const language_model &model, const key_score &score, std::size_t columns,
                    bool reached_once, std::size_t second_columns) noexcept
{
	const verdict plain = judge(model, score);
	if (plain != verdict::english)
		return plain;
	// total / quadgrams >= floor + slope * prior / quadgrams, the floor in
	// hundredths of a level and the slope in hundredths.
	const auto q = static_cast<std::int64_t>(score.quadgrams);
	const std::int64_t floor = reached_once ? model.once_level : model.keyed_level;
	return score.total * 100 >= floor * q + model.keyed_slope_hundredths * orders_prior(model, columns, second_columns)
	           ? verdict::english
	           : verdict::not_english;
}

double order_floor(const language_model &model, const key_score &score, std::size_t columns,
                   bool reached_once, std::size_t second_columns) noexcept
{
	const double prior = static_cast<double>(orders_prior(model, columns, second_columns)) * model.step /
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
