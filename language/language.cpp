#include "language.h"

#include "scoring.h"
#include "words.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <memory>
#include <mutex>
#include <new>

namespace {

namespace en {
#include "languages/en.inc"
} // namespace en
namespace de {
#include "languages/de.inc"
} // namespace de
namespace es {
#include "languages/es.inc"
} // namespace es
namespace fr {
#include "languages/fr.inc"
} // namespace fr
namespace it {
#include "languages/it.inc"
} // namespace it
namespace pt {
#include "languages/pt.inc"
} // namespace pt

// The tables' characters are base64 digits, six bits each.
constexpr std::array<std::uint8_t, 256> digit_value = [] {
	constexpr char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
	std::array<std::uint8_t, 256> values{};
	for (std::uint8_t value = 0; value < 64; value++)
		values[static_cast<unsigned char>(digits[value])] = value;
	return values;
}();

using table_rows = const char (*)[4096 + 1];

// A digit of a table written in rows of 4096.
std::uint8_t digit(table_rows rows, std::size_t at) noexcept
{
	return digit_value[static_cast<unsigned char>(rows[at >> 12][at & 4095])];
}

// A floor in log10 per quadgram as hundredths of a level: scores are
// compared with it as integers, so that every platform gives the same
// verdict.
constexpr std::int64_t hundredths_of_level(double floor, double level_floor, double step)
{
	return static_cast<std::int64_t>((floor - level_floor) / step * 100 + 0.5);
}

// The tables give the floor and the step to six places.
constexpr std::int64_t millionths(double value)
{
	return static_cast<std::int64_t>(value * 1e6 + (value < 0 ? -0.5 : 0.5));
}

struct packed_language {
	std::string_view code;
	const char *name;
	double floor, step;
	std::int64_t floor_millionths, step_millionths;
	double verdict_floor, clear_floor;
	std::int64_t verdict_level, clear_level;
	double keyed_floor, once_floor, keyed_slope;
	std::int64_t keyed_level, once_level, keyed_slope_hundredths;
	std::size_t seen_quadgrams;
	table_rows seen, levels, opening, closing;
	const short (*affinity)[26];
	const int *order_prior;
	int edge_offset;
	const int *letter_log10;
	std::size_t word_count;
	const int *word_log10;
	const unsigned long long *word_weights;
	table_rows word_list, word_levels;
	std::size_t word_list_size;
};

template <std::size_t SeenRows, std::size_t LevelRows, std::size_t EdgeRows, std::size_t ListRows,
          std::size_t WordLevelRows>
constexpr packed_language pack(std::string_view code, const char *name, double verdict_floor, double clear_floor,
                               double keyed_floor, double once_floor, double keyed_slope, double floor,
                               double step, std::size_t seen_quadgrams,
                               const char (&seen)[SeenRows][4096 + 1], const char (&levels)[LevelRows][4096 + 1],
                               const char (&opening)[EdgeRows][4096 + 1], const char (&closing)[EdgeRows][4096 + 1],
                               const short (&affinity)[26][26], const int (&order_prior)[MOST_PRIOR_COLUMNS + 1],
                               int edge_offset, const int (&letter_log10)[26], std::size_t word_count,
                               const int (&word_log10)[64], const unsigned long long (&word_weights)[64],
                               const char (&word_list)[ListRows][4096 + 1],
                               const char (&word_levels)[WordLevelRows][4096 + 1])
{
	static_assert(SeenRows * 4096 * 6 >= QUADGRAMS && EdgeRows * 4096 >= TRIGRAMS && LevelRows > 0);
	static_assert(ListRows > 0 && WordLevelRows > 0);
	return {code,
	        name,
	        floor,
	        step,
	        millionths(floor),
	        millionths(step),
	        verdict_floor,
	        clear_floor,
	        hundredths_of_level(verdict_floor, floor, step),
	        hundredths_of_level(clear_floor, floor, step),
	        keyed_floor,
	        once_floor,
	        keyed_slope,
	        hundredths_of_level(keyed_floor, floor, step),
	        hundredths_of_level(once_floor, floor, step),
	        static_cast<std::int64_t>(keyed_slope * 100 + 0.5),
	        seen_quadgrams,
	        seen,
	        levels,
	        opening,
	        closing,
	        affinity,
	        order_prior,
	        edge_offset,
	        letter_log10,
	        word_count,
	        word_log10,
	        word_weights,
	        word_list,
	        word_levels,
	        ListRows * 4096};
}

#define LANGUAGE(code, name, verdict_floor, clear_floor, keyed_floor, once_floor, keyed_slope)                  \
	pack(#code, name, verdict_floor, clear_floor, keyed_floor, once_floor, keyed_slope, code::QUADGRAM_FLOOR, code::QUADGRAM_STEP, code::SEEN_QUADGRAMS, code::QUADGRAM_SEEN,              \
	     code::QUADGRAM_LEVELS, code::OPENING_LEVELS, code::CLOSING_LEVELS, code::BIGRAM_AFFINITY,                \
	     code::ORDER_PRIOR_LEVELS, code::EDGE_OFFSET, code::LETTER_LOG10, code::WORD_COUNT, code::WORD_LOG10,       \
	     code::WORD_WEIGHTS, code::WORD_LIST, code::WORD_LEVELS)

// Each language's verdict and clear floors, in log10 per quadgram, from
// bench/key_accuracy --verdict --lang on its held-out prose.  The verdict
// floor lies halfway between the least that solved texts of 40 to 99
// letters score and what the best decodings of all but 1% of keyed
// ciphers score; the clear floor is a tenth below what 99% of those solved
// texts score.  A language whose statistics come from fewer or plainer
// texts scores lower, as Portuguese does.  A keyed answer's floor and
// slope, from bench/key_accuracy --keyed-verdict --lang, part the answers
// that the search finds right from those it finds wrong.
constexpr packed_language LANGUAGES[] = {
    LANGUAGE(en, "English", -4.90, -4.60, -5.15, -4.81, 3.1),
    LANGUAGE(de, "German", -4.75, -4.40, -4.67, -4.59, 3.1),
    LANGUAGE(es, "Spanish", -4.75, -4.50, -4.74, -4.62, 3.1),
    LANGUAGE(fr, "French", -4.70, -4.35, -4.63, -4.35, 3.1),
    LANGUAGE(it, "Italian", -4.65, -4.35, -4.66, -4.47, 3.1),
    LANGUAGE(pt, "Portuguese", -4.85, -4.70, -4.68, -4.59, 3.1),
};

#undef LANGUAGE
static_assert(std::size(LANGUAGES) <= MOST_LANGUAGES);
static_assert(std::all_of(std::begin(LANGUAGES), std::end(LANGUAGES), [](const packed_language &l) {
	return l.verdict_level > 0 && l.clear_level > l.verdict_level;
}));

constexpr auto CODES = [] {
	std::array<std::string_view, std::size(LANGUAGES)> codes{};
	for (std::size_t i = 0; i < codes.size(); i++)
		codes[i] = LANGUAGES[i].code;
	return codes;
}();

// A character of a table written in rows of 4096.
char character(table_rows rows, std::size_t at) noexcept
{
	return rows[at >> 12][at & 4095];
}

// Adds a word to a trie, its letters taken from the last to the first
// when `backwards`.  Returns false if the trie is full.
bool add_word(word_trie &trie, std::span<const std::uint8_t> letters, bool backwards, std::int16_t share) noexcept
{
	std::size_t node = 0;
	for (std::size_t i = 0; i < letters.size(); i++) {
		const std::uint8_t letter = letters[backwards ? letters.size() - 1 - i : i];
		if (node == 0) {
			node = 1u + letter;
			continue;
		}
		if (i == 1) {
			// The pair's own node, linked to its first letter's when first used.
			const std::size_t pair = FIRST_PAIR_NODE + (node - 1) * 26 + letter;
			if (trie.nodes[pair].letter != letter) {
				trie.nodes[pair] = {0, trie.nodes[node].first_child, letter, NO_WORD, NO_WORD};
				trie.nodes[node].first_child = static_cast<std::uint16_t>(pair);
			}
			node = pair;
			continue;
		}
		std::size_t child = trie.nodes[node].first_child;
		while (child != 0 && trie.nodes[child].letter != letter)
			child = trie.nodes[child].next_sibling;
		if (child == 0) {
			if (trie.count == MOST_WORD_NODES)
				return false;
			child = trie.count++;
			trie.nodes[child] = {0, trie.nodes[node].first_child, letter, NO_WORD, NO_WORD};
			trie.nodes[node].first_child = static_cast<std::uint16_t>(child);
		}
		node = child;
	}
	trie.nodes[node].word = share;
	return true;
}

// While the tries are built, each word's node holds its level; this sums
// the shares of the words through each node of the subtree at `node` as
// 2^50 times each share, exactly on every platform, and gives each node
// the level whose weight is nearest below its sum, and each word its own
// level's share, in thousandths of log10.
std::uint64_t sum_below(word_trie &trie, std::size_t node, const packed_language &l) noexcept
{
	std::uint64_t sum = 0;
	for (std::size_t child = trie.nodes[node].first_child; child != 0; child = trie.nodes[child].next_sibling)
		sum += sum_below(trie, child, l);
	word_node &n = trie.nodes[node];
	if (n.word != NO_WORD) {
		sum += l.word_weights[n.word];
		n.word = static_cast<std::int16_t>(l.word_log10[n.word]);
	}
	std::size_t level = 0;
	while (level + 1 < 64 && l.word_weights[level + 1] <= sum)
		level++;
	n.below = sum == 0 ? NO_WORD : static_cast<std::int16_t>(l.word_log10[level]);
	return sum;
}

void build_tries(const packed_language &l, language_model &model) noexcept
{
	// A pair's node not yet used holds no letter.
	for (word_trie *trie : {&model.words, &model.reversed_words}) {
		trie->count = FIRST_PAIR_NODE + 26 * 26;
		trie->nodes[0] = {0, 0, 0, NO_WORD, NO_WORD};
		for (std::uint8_t letter = 0; letter < 26; letter++)
			trie->nodes[1 + letter] = {0, 0, letter, NO_WORD, NO_WORD};
		for (std::size_t pair = FIRST_PAIR_NODE; pair < trie->count; pair++)
			trie->nodes[pair] = {0, 0, UINT8_MAX, NO_WORD, NO_WORD};
	}
	// Each word is the letters it shares with the one before, their
	// number a small letter, then the rest of it in capitals.
	std::uint8_t word[64];
	std::size_t length = 0, at = 0;
	for (std::size_t w = 0; w < l.word_count; w++) {
		if (at >= l.word_list_size)
			break;
		length = std::min<std::size_t>(static_cast<std::size_t>(character(l.word_list, at++) - 'a'), length);
		for (char c; at < l.word_list_size && (c = character(l.word_list, at)) >= 'A' && c <= 'Z'; at++)
			if (length < std::size(word))
				word[length++] = static_cast<std::uint8_t>(c - 'A');
		const auto level = static_cast<std::int16_t>(digit(l.word_levels, w));
		if (!add_word(model.words, {word, length}, false, level) ||
		    !add_word(model.reversed_words, {word, length}, true, level))
			break;
	}
	for (word_trie *trie : {&model.words, &model.reversed_words})
		for (std::size_t letter = 1; letter <= 26; letter++)
			sum_below(*trie, letter, l);
}

void unpack(const packed_language &l, language_model &model) noexcept
{
	model.code = l.code.data();
	model.name = l.name;
	model.floor = l.floor;
	model.step = l.step;
	model.floor_millionths = l.floor_millionths;
	model.step_millionths = l.step_millionths;
	model.verdict_floor = l.verdict_floor;
	model.clear_floor = l.clear_floor;
	model.verdict_level = l.verdict_level;
	model.clear_level = l.clear_level;
	model.keyed_floor = l.keyed_floor;
	model.once_floor = l.once_floor;
	model.keyed_slope = l.keyed_slope;
	model.keyed_level = l.keyed_level;
	model.once_level = l.once_level;
	model.keyed_slope_hundredths = l.keyed_slope_hundredths;
	// The seen quadgrams' levels follow one another in the order of the
	// bitmap's bits; a quadgram never seen is at level 0.
	std::size_t next = 0;
	for (std::size_t at = 0; at * 6 < QUADGRAMS; at++) {
		const std::uint8_t bits = digit(l.seen, at);
		for (std::size_t k = 0; k < 6 && at * 6 + k < QUADGRAMS; k++) {
			const bool seen = (bits >> k & 1) != 0 && next < l.seen_quadgrams;
			model.quadgrams[at * 6 + k] = seen ? digit(l.levels, next++) : 0;
		}
	}
	for (std::size_t t = 0; t < TRIGRAMS; t++) {
		model.opening[t] = static_cast<std::int8_t>(digit(l.opening, t) - l.edge_offset);
		model.closing[t] = static_cast<std::int8_t>(digit(l.closing, t) - l.edge_offset);
	}
	for (std::size_t a = 0; a < 26; a++)
		for (std::size_t b = 0; b < 26; b++)
			model.affinity[a * 26 + b] = l.affinity[a][b];
	std::copy_n(l.order_prior, MOST_PRIOR_COLUMNS + 1, model.order_prior);
	for (std::size_t letter = 0; letter < 26; letter++)
		model.letter_log10[letter] = static_cast<std::int16_t>(l.letter_log10[letter]);
	build_tries(l, model);
	model.most_opening = *std::max_element(model.opening, model.opening + TRIGRAMS);
	model.most_closing = *std::max_element(model.closing, model.closing + TRIGRAMS);
	model.most_word_gain = word_gain_bound(model);
}

} // namespace

const language_model *language_named(std::string_view code) noexcept
{
	// Each language's model, some megabytes, is had when it is first
	// asked for, so that only the languages used take room, and the page's
	// WebAssembly starts small.
	static std::unique_ptr<language_model> models[std::size(LANGUAGES)];
	static std::once_flag unpacked[std::size(LANGUAGES)];
	for (std::size_t i = 0; i < std::size(LANGUAGES); i++) {
		if (LANGUAGES[i].code != code)
			continue;
		std::call_once(unpacked[i], [i] {
			models[i].reset(new (std::nothrow) language_model);
			if (models[i])
				unpack(LANGUAGES[i], *models[i]);
		});
		return models[i].get();
	}
	return nullptr;
}

bool language_known(std::string_view code) noexcept
{
	return std::find(CODES.begin(), CODES.end(), code) != CODES.end();
}

const char *language_name(std::string_view code) noexcept
{
	for (const packed_language &l : LANGUAGES)
		if (l.code == code)
			return l.name;
	return nullptr;
}

std::span<const std::string_view> language_codes() noexcept
{
	return CODES;
}
