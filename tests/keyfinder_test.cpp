// The key finder's search: English it was not built from comes back, and
// the rules for short texts, ties and key ranges hold.
#include "decoder.h"
#include "english.h"
#include "plain_sweep.h"
#include "model.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

const language_model &english()
{
	return *language_named("en");
}

std::int32_t best_key(const std::string &compact, std::int32_t min_key = 1, std::int32_t max_key = INT32_MAX)
{
	std::vector<char> buffer(BUFFER_SIZE, '\0'), decoded(BUFFER_SIZE, '\0');
	std::copy(compact.begin(), compact.end(), buffer.begin());
	key_score best[1];
	EXPECT_EQ(find_keys(english(), buffer, compact.size(), min_key, max_key, best, decoded), 1u);
	return best[0].key;
}

// Texts of 100 letters or more, with keys of 2 to 40 columns and at least
// two rows, all come back.
TEST(KeyFinder, FindsTheKeyOfEnglish)
{
	const std::string corpus = read_file(ENGLISH_TEXT);
	ASSERT_GT(corpus.size(), 4000u);
	std::mt19937 random(99);
	for (int trial = 0; trial < 60; trial++) {
		const std::string plain = english_passage(corpus, random, 100 + 40 * static_cast<std::size_t>(trial));
		std::uniform_int_distribution<std::size_t> key_of(2, std::min<std::size_t>(40, plain.size() / 2));
		const std::size_t key = key_of(random);
		const std::string cipher = encipher(plain, key);
		const std::int32_t found = best_key(cipher);
		EXPECT_EQ(place_columns(cipher, found), plain) << "key " << key << ", found " << found;
	}
}

struct rule_case {
	const char *name;
	std::string compact;
	std::int32_t min_key, max_key;
	std::int32_t expected;
};

TEST(KeyFinder, Rules)
{
	const std::string plain = "ATTACKATDAWNANDHOLDTHEBRIDGE";
	const std::string attack = encipher(plain, 4);
	const rule_case cases[] = {
	    {"fewer than 3 bytes get the key 1", "AB", 1, INT32_MAX, 1},
	    {"an empty text gets the key 1", "", 1, INT32_MAX, 1},
	    {"a tie goes to the smallest key", std::string(50, 'Q'), 1, INT32_MAX, 1},
	    {"the key of a short English text", attack, 1, INT32_MAX, 4},
	    {"two rows: the last word keeps its last letter", encipher(plain, 18), 1, INT32_MAX, 18},
	    {"the key alone in its range", attack, 4, 4, 4},
	    {"a range past the length gives its least key", attack, 100, 200, 100},
	};
	for (const rule_case &c : cases)
		EXPECT_EQ(best_key(c.compact, c.min_key, c.max_key), c.expected) << c.name;
	for (std::int32_t low = 5; low < 20; low += 7) {
		EXPECT_GE(best_key(attack, low), low);
		EXPECT_LE(best_key(attack, 1, low - 2), low - 2);
	}
}

// Bytes other than letters do not score, wherever they stand, and a text
// whose letters are all within the limit is scored as a whole: its last
// trigram closes a word.
TEST(KeyFinder, ScoresOnlyLetters)
{
	const std::string letters = "ATTACKATDAWN";
	const key_score plain = score_text(english(), letters, 1);
	const struct {
		const char *name;
		std::string text;
		std::size_t limit;
	} cases[] = {
	    {"punctuation after", letters + ".!", BUFFER_SIZE},
	    {"punctuation before and inside", "'ATTACK,AT-DAWN", BUFFER_SIZE},
	    {"a limit of every letter, then punctuation", letters + ".", letters.size()},
	};
	for (const auto &c : cases) {
		const key_score score = score_text(english(), c.text, 1, c.limit);
		EXPECT_EQ(score.total, plain.total) << c.name;
		EXPECT_EQ(score.quadgrams, plain.quadgrams) << c.name;
	}
	EXPECT_EQ(score_text(english(), letters, 1, letters.size() - 1).quadgrams, plain.quadgrams - 1);
}

// The best keys come best first, with no key twice.
TEST(KeyFinder, TopKeysInOrder)
{
	const std::string cipher = encipher("THEQUICKBROWNFOXJUMPSOVERTHELAZYDOGANDRUNSAWAY", 5);
	std::vector<char> buffer(BUFFER_SIZE, '\0'), decoded(BUFFER_SIZE, '\0');
	std::copy(cipher.begin(), cipher.end(), buffer.begin());
	key_score best[8];
	ASSERT_EQ(find_keys(english(), buffer, cipher.size(), 1, INT32_MAX, best, decoded), 8u);
	EXPECT_EQ(best[0].key, 5);
	for (std::size_t i = 1; i < 8; i++) {
		// Compared as the search compares them, exactly: mean levels as
		// fractions, not as doubles that 32-bit x86 rounds unevenly.
		EXPECT_GE(ranked(best[i - 1]) * static_cast<std::int64_t>(best[i].quadgrams),
		          ranked(best[i]) * static_cast<std::int64_t>(best[i - 1].quadgrams));
		for (std::size_t j = 0; j < i; j++)
			EXPECT_NE(best[i].key, best[j].key);
	}
}

// Searching every language at once, each decoding scored in all of them,
// keeps what searching each language alone keeps: the same keys, scores
// and language, on short texts scored whole and long ones in two rounds.
// Each language judges by its own floor, exactly at it, in whole levels
// as every platform compares them: its held-out story comes back judged
// as that language, and random letters do not.
TEST(KeyFinder, EachLanguageJudgesByItsOwnFloor)
{
	const struct {
		const char *code, *story;
	} languages[] = {{"en", "english.txt"}, {"de", "german.txt"},  {"es", "spanish.txt"},
	                 {"fr", "french.txt"},  {"it", "italian.txt"}, {"pt", "portuguese.txt"}};
	std::mt19937 random(10);
	std::uniform_int_distribution<int> letter('A', 'Z');
	for (const auto &l : languages) {
		const language_model &model = *language_named(l.code);
		const key_score at{1, model.verdict_level, 100, 0, 0}, below{1, model.verdict_level - 1, 100, 0, 0};
		EXPECT_NEAR(log10_per_quadgram(model, at), model.verdict_floor, model.step / 100) << l.code;
		EXPECT_EQ(judge(model, at), verdict::english) << l.code;
		EXPECT_EQ(judge(model, below), verdict::not_english) << l.code;
		EXPECT_GT(model.clear_floor, model.verdict_floor) << l.code;

		const std::string corpus = read_file((std::string(UNTRANSPOSE_TEST_DATA "/") + l.story).c_str());
		std::string letters(60, 'A');
		for (char &c : letters)
			c = static_cast<char>(letter(random));
		for (const auto &[text, said] : {std::pair{encipher(english_passage(corpus, random, 60), 7), verdict::english},
		                                 std::pair{letters, verdict::not_english}}) {
			std::vector<char> buffer(BUFFER_SIZE, '\0'), decoded(BUFFER_SIZE, '\0');
			std::copy(text.begin(), text.end(), buffer.begin());
			key_score best[1];
			ASSERT_EQ(find_keys(model, buffer, text.size(), 1, INT32_MAX, best, decoded), 1u);
			EXPECT_EQ(judge(model, best[0]), said) << l.code << ": " << text;
		}
	}
}

TEST(KeyFinder, EveryLanguageAtOnceAsEachAlone)
{
	std::vector<const language_model *> every;
	for (const std::string_view code : language_codes())
		every.push_back(language_named(code));
	const std::string corpus = read_file(UNTRANSPOSE_TEST_DATA "/german.txt") + read_file(UNTRANSPOSE_TEST_DATA "/english.txt");
	std::mt19937 random(9);
	for (const std::size_t letters : {std::size_t{60}, std::size_t{700}, std::size_t{4000}}) {
		const std::string cipher = encipher(english_passage(corpus, random, letters), 7);
		std::vector<char> buffer(BUFFER_SIZE, '\0'), decoded(BUFFER_SIZE, '\0');
		std::copy(cipher.begin(), cipher.end(), buffer.begin());
		key_score together[4], alone[4];
		std::vector<key_score> room(language_scratch(every.size(), 4)), little(4);
		const language_keys a = find_keys_in_languages(every, buffer, cipher.size(), 1, INT32_MAX, together, room, decoded);
		// Too little scratch to share: each language searches alone.
		const language_keys b = find_keys_in_languages(every, buffer, cipher.size(), 1, INT32_MAX, alone, little, decoded);
		ASSERT_EQ(a.model, b.model) << letters;
		ASSERT_EQ(a.found, b.found) << letters;
		for (std::size_t i = 0; i < a.found; i++) {
			EXPECT_EQ(together[i].key, alone[i].key) << letters;
			EXPECT_EQ(together[i].total, alone[i].total) << letters;
		}
	}
}

} // namespace
