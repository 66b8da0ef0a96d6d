#include "plain_sweep.h"

#include "best_list.h"
#include "decoder.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace {

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

std::size_t keep(std::span<key_score> best, std::size_t held, const key_score &score) noexcept
{
	return keep_best(best, held, score, better);
}

} // namespace

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
