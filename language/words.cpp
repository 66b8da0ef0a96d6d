#include "words.h"

#include <algorithm>

namespace {

// log10 of the chance that a word is not in the list, in thousandths; its
// letters are paid for as well.
constexpr std::int32_t UNKNOWN_WORD = -1500;
// How much the words weigh against the quadgrams, in hundredths.
constexpr std::int64_t WORD_WEIGHT = 100;
constexpr std::int32_t NONE = INT32_MIN / 2;

std::int32_t split_words(const word_trie &trie, const std::int16_t (&letter_log10)[26],
                         std::span<const std::uint8_t> letters) noexcept
{
	const std::size_t n = std::min(letters.size(), WORD_WINDOW);
	if (n == 0)
		return 0;
	// What the first j letters gain over being drawn one at a time, at
	// best, split into whole words; a word not in the list gains
	// UNKNOWN_WORD whatever its length, so the best split ending before j
	// is all it needs.
	std::int32_t alone[WORD_WINDOW + 1], best[WORD_WINDOW + 1];
	alone[0] = 0;
	for (std::size_t j = 0; j < n; j++)
		alone[j + 1] = alone[j] + letter_log10[letters[j] % 26];
	std::fill(best, best + n + 1, NONE);
	best[0] = 0;
	std::int32_t result = NONE, before = NONE;
	for (std::size_t i = 0; i < n; i++) {
		before = std::max(before, best[i]);
		// A word not in the list, whole or cut by the window, from some
		// place before i + 1 to i + 1.
		best[i + 1] = std::max(best[i + 1], before + UNKNOWN_WORD);
		if (best[i] == NONE)
			continue;
		// The words of the list that start here, and at the window's end,
		// whatever words its last letters begin.
		const std::int32_t from = best[i] + alone[i];
		std::size_t node = 1u + letters[i] % 26;
		for (std::size_t j = i + 1;; j++) {
			const word_node &at = trie.nodes[node];
			if (j == n) {
				if (at.below != NO_WORD)
					result = std::max(result, from + at.below - alone[n]);
				break;
			}
			if (at.word != NO_WORD)
				best[j] = std::max(best[j], from + at.word - alone[j]);
			std::size_t child;
			if (j == i + 1) {
				child = FIRST_PAIR_NODE + (letters[i] % 26) * 26u + letters[j] % 26;
				if (trie.nodes[child].below == NO_WORD)
					break;
			} else {
				child = at.first_child;
				while (child != 0 && trie.nodes[child].letter != letters[j])
					child = trie.nodes[child].next_sibling;
				if (child == 0)
					break;
			}
			node = child;
		}
	}
	return std::max(result, best[n]);
}

// The most gain per letter of the words and their beginnings through
// `node`, `depth` letters down, whose letters alone cost `alone`.
std::int32_t most_gain(const word_trie &trie, const std::int16_t (&letter_log10)[26], std::size_t node,
                       std::int32_t depth, std::int32_t alone) noexcept
{
	const word_node &at = trie.nodes[node];
	alone += letter_log10[at.letter];
	std::int32_t most = 0;
	for (const std::int16_t share : {at.word, at.below})
		if (share != NO_WORD && share - alone > 0)
			most = std::max(most, (share - alone + depth - 1) / depth);
	for (std::size_t child = at.first_child; child != 0; child = trie.nodes[child].next_sibling)
		most = std::max(most, most_gain(trie, letter_log10, child, depth + 1, alone));
	return most;
}

} // namespace

std::int32_t word_gain_bound(const language_model &model) noexcept
{
	std::int32_t most = 0;
	for (const word_trie *trie : {&model.words, &model.reversed_words})
		for (std::size_t letter = 1; letter <= 26; letter++)
			most = std::max(most, most_gain(*trie, model.letter_log10, letter, 1, 0));
	return most;
}

std::int32_t opening_words(const language_model &model, std::span<const std::uint8_t> letters) noexcept
{
	return split_words(model.words, model.letter_log10, letters);
}

std::int32_t closing_words(const language_model &model, std::span<const std::uint8_t> reversed) noexcept
{
	return split_words(model.reversed_words, model.letter_log10, reversed);
}

std::int64_t word_levels(const language_model &model, std::int32_t thousandths) noexcept
{
	return std::int64_t{thousandths} * 10 * WORD_WEIGHT / model.step_millionths;
}
