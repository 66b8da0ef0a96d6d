// Keyed column orders: keywords and written orders become ranks, the
// keyed transposition's runs go back into natural order for the filter's
// decoder, for every length and order, and the search finds unknown
// orders of held-out English.
#include "decoder.h"
#include "english.h"
#include "keyed_columns.h"
#include "keyed_search.h"
#include "model.h"
#include "orders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<std::int32_t> ranks_from(std::size_t (*parse)(std::string_view, std::span<std::int32_t>),
                                     std::string_view text)
{
	std::vector<std::int32_t> ranks(MOST_ORDER_COLUMNS);
	ranks.resize(parse(text, ranks));
	return ranks;
}

TEST(Orders, FromKeywordsAndLists)
{
	using v = std::vector<std::int32_t>;
	const struct {
		const char *name;
		bool keyword;
		const char *text;
		v ranks;  // empty: refused
	} cases[] = {
	    {"the example", true, "ZEBRAS", {6, 3, 2, 4, 1, 5}},
	    {"either case", true, "zeBrAs", {6, 3, 2, 4, 1, 5}},
	    {"repeated letters from left to right", true, "BANANA", {4, 1, 5, 2, 6, 3}},
	    {"other bytes passed over", true, "z-e b7", {3, 2, 1}},
	    {"no letters", true, "12 -", {}},
	    {"empty", true, "", {}},
	    {"a list", false, "6,3,2,4,1,5", {6, 3, 2, 4, 1, 5}},
	    {"spaces around numbers", false, " 2 , 1 ", {2, 1}},
	    {"one column", false, "1", {1}},
	    {"a rank twice", false, "1,1", {}},
	    {"a rank missing", false, "1,3", {}},
	    {"a rank of 0", false, "0,1", {}},
	    {"an empty place", false, "1,,2", {}},
	    {"a trailing comma", false, "1,", {}},
	    {"not a number", false, "1,b", {}},
	    {"a huge rank", false, "99999999999999999999", {}},
	    {"empty list", false, "", {}},
	};
	for (const auto &c : cases)
		EXPECT_EQ(ranks_from(c.keyword ? keyword_ranks : parse_ranks, c.text), c.ranks) << c.name;
}

TEST(Orders, KeywordsOfOrders)
{
	const std::vector<std::int32_t> ranks = {6, 3, 2, 4, 1, 5};
	std::vector<std::int32_t> order(6), back(6);
	read_order(ranks, order);
	EXPECT_EQ(order, (std::vector<std::int32_t>{4, 2, 1, 3, 5, 0}));
	ranks_of(order, back);
	EXPECT_EQ(back, ranks);
	char letters[6];
	ASSERT_TRUE(keyword_of(ranks, letters));
	EXPECT_EQ(std::string(letters, 6), "FCBDAE");
	EXPECT_EQ(ranks_from(keyword_ranks, std::string(letters, 6)), ranks);
	EXPECT_FALSE(keyword_of(std::vector<std::int32_t>(27, 1), letters));
}

TEST(KeyedColumns, TheExample)
{
	const std::string plain = "WEAREDISCOVEREDFLEEATONCE";
	std::vector<std::int32_t> order(6);
	read_order(ranks_from(keyword_ranks, "ZEBRAS"), order);
	std::string cipher(plain.size(), '\0');
	encipher_keyed(plain, plain.size(), order, cipher);
	EXPECT_EQ(cipher, "EVLNACDTESEAROFODEECWIREE");
}

// For every length up to a few rows past the key, and random orders:
// enciphering, putting the runs back in natural order, and decoding with
// the filter's decoder gives the text back, and the natural runs are the
// plain transposition's cipher.
TEST(KeyedColumns, RoundTripsEveryLength)
{
	std::mt19937 random(4);
	for (std::size_t k = 1; k <= 45; k++) {
		std::vector<std::int32_t> order(k);
		for (std::size_t length = 0; length <= 4 * k + 3; length++) {
			std::iota(order.begin(), order.end(), 0);
			std::shuffle(order.begin(), order.end(), random);
			const std::string plain = random_text(random, length);
			std::string cipher(BUFFER_SIZE, '\0'), natural(BUFFER_SIZE, '\0'), decoded(BUFFER_SIZE, '\0');
			encipher_keyed(plain, length, order, cipher);
			std::vector<int> ranks(k);
			for (std::size_t j = 0; j < k; j++)
				ranks[static_cast<std::size_t>(order[j])] = static_cast<int>(j) + 1;
			ASSERT_EQ(cipher.substr(0, length), encipher_keyed(plain, ranks)) << "k " << k << " length " << length;
			naturalise_columns(cipher, length, order, natural);
			ASSERT_EQ(natural.substr(0, length), encipher(plain, k)) << "k " << k << " length " << length;
			decode_columns(natural, length, static_cast<std::int32_t>(k), decoded);
			ASSERT_EQ(decoded.substr(0, length), plain) << "k " << k << " length " << length;
		}
	}
}

} // namespace

namespace {

// Runs a whole keyed search on one thread, each round's jobs run in the
// order given by `backwards`, their results taken in order.
struct search_run {
	std::unique_ptr<keyed_tables> tables = std::make_unique<keyed_tables>();
	std::unique_ptr<keyed_search> search = std::make_unique<keyed_search>();
	std::unique_ptr<order_scratch> scratch = std::make_unique<order_scratch>();
	std::vector<job_result> results = std::vector<job_result>(MOST_ROUND_JOBS);

	search_run() { build_keyed_tables(*language_named("en"), *tables); }

	std::vector<keyed_answer> solve(const std::string &compact, keyed_settings settings, bool backwards = false)
	{
		begin_search(*search, *tables, compact, settings);
		search_job jobs[MOST_ROUND_JOBS];
		for (std::size_t count; (count = plan_round(*search, jobs)) > 0;) {
			for (std::size_t n = 0; n < count; n++) {
				const std::size_t i = backwards ? count - 1 - n : n;
				run_job(*search, jobs[i], *scratch, results[i], nullptr);
			}
			for (std::size_t i = 0; i < count && !take_result(*search, results[i]); i++) {
			}
		}
		const std::span<const keyed_answer> answers = search_answers(*search);
		return {answers.begin(), answers.end()};
	}
};

std::string decode_answer(const std::string &cipher, const keyed_answer &answer)
{
	std::string natural(BUFFER_SIZE, '\0'), decoded(BUFFER_SIZE, '\0');
	naturalise_columns(cipher, cipher.size(), {answer.order, static_cast<std::size_t>(answer.columns)}, natural);
	decode_columns(natural, cipher.size(), answer.columns, decoded);
	return decoded.substr(0, cipher.size());
}

std::string letters_of(std::string text)
{
	std::erase_if(text, [](char c) { return c < 'A' || c > 'Z'; });
	return text;
}

// Held-out English with random orders, incomplete grids among them, the
// number of columns unknown or given: the message comes back, and the
// same answers come whatever order each round's jobs ran in.
TEST(KeyedSearch, SolvesHeldOutEnglish)
{
	const std::string corpus = read_file(ENGLISH_TEXT);
	std::mt19937 random(18);
	search_run run;
	const struct {
		std::size_t columns, letters;
		bool given;
	} cases[] = {{6, 90, false}, {13, 170, false}, {22, 380, true}};
	for (const auto &c : cases) {
		const std::string plain = letters_of(english_passage(corpus, random, c.letters));
		std::vector<int> ranks(c.columns);
		std::iota(ranks.begin(), ranks.end(), 1);
		std::shuffle(ranks.begin(), ranks.end(), random);
		const std::string cipher = encipher_keyed(plain, ranks);
		keyed_settings settings;
		if (c.given)
			settings.min_columns = settings.max_columns = static_cast<std::int32_t>(c.columns);
		const std::vector<keyed_answer> answers = run.solve(cipher, settings);
		ASSERT_FALSE(answers.empty());
		EXPECT_EQ(decode_answer(cipher, answers[0]), plain) << c.columns << " columns";
		const std::vector<keyed_answer> again = run.solve(cipher, settings, true);
		ASSERT_EQ(again.size(), answers.size());
		for (std::size_t i = 0; i < answers.size(); i++) {
			EXPECT_EQ(again[i].columns, answers[i].columns);
			EXPECT_TRUE(std::equal(answers[i].order, answers[i].order + answers[i].columns, again[i].order));
		}
	}
}

// Messages that the search once answered wrongly, each by an order that
// scored better than the message's by quadgrams and word edges: turned
// round by a letter, or an order the climb missed.  Whole words at the
// ends, and every order of so few columns, now bring each back.
TEST(KeyedSearch, MessagesOnceTurnedOrMissed)
{
	const struct {
		const char *name, *plain;
		std::vector<int> ranks;
	} cases[] = {
	    {"a letter moved from the end to the start", "HELPERSCRIPTISINCLUDEDFORGENERATINGKEYSRUNITONCEPERHOSTANDKEEPTHE"
	                                                 "PRIVATEHALFSOMEWHEREONLYROOTCANREADTIMEOUTS",
	     {4, 3, 1, 5, 2}},
	    {"a letter moved from the start to the end", "ERRORSAREREPORTEDONSTANDARDERRORANDTHEEXITSTATUSISNONZERO",
	     {2, 4, 1, 3}},
	    {"the cipher of 1928 keyed by SIGNAL", "HOSTILEATTACKHASBROKENDOWN", {6, 3, 2, 5, 1, 4}},
	    {"an order the climb missed", "SIMPLECHECKSUMTOOLSERIALCONSOLESREMAINUSEFULWHENTHENETWORK", {4, 3, 5, 1, 2, 6}},
	};
	search_run run;
	for (const auto &c : cases) {
		const std::string cipher = encipher_keyed(c.plain, c.ranks);
		const std::vector<keyed_answer> answers = run.solve(cipher, {});
		ASSERT_FALSE(answers.empty()) << c.name;
		EXPECT_EQ(decode_answer(cipher, answers[0]), c.plain) << c.name;
	}
}

// A plain transposition is found in keyed mode too, read from left to
// right, and texts too short for any grid stand as they are.
TEST(KeyedSearch, NaturalOrdersAndShortTexts)
{
	search_run run;
	const std::string plain = "THEHARBOURWASQUIETONTHEMORNINGTHEFERRYFAILEDTOARRIVEFISHERMENSTOODALONGTHEWALL";
	const std::vector<keyed_answer> answers = run.solve(encipher(plain, 7), {});
	ASSERT_FALSE(answers.empty());
	EXPECT_EQ(answers[0].columns, 7);
	EXPECT_EQ(decode_answer(encipher(plain, 7), answers[0]), plain);
	for (const std::string text : {"", "A", "ABCDE"}) {
		const std::vector<keyed_answer> short_answers = run.solve(text, {});
		ASSERT_EQ(short_answers.size(), 1u) << text;
		EXPECT_EQ(short_answers[0].columns, 1) << text;
	}
}

// A survey, as --lang auto makes of each language, ends after its rounds
// even when nothing settles, as in random letters; the full search runs on.
TEST(KeyedSearch, ASurveyEndsAfterItsRounds)
{
	search_run run;
	std::mt19937 random(20);
	std::uniform_int_distribution<int> letter('A', 'Z');
	std::string letters(90, 'A');
	for (char &c : letters)
		c = static_cast<char>(letter(random));
	keyed_settings settings;
	settings.min_columns = 11;
	settings.max_columns = 12;
	settings.most_rounds = SURVEY_ROUNDS;
	run.solve(letters, settings);
	EXPECT_EQ(run.search->round, SURVEY_ROUNDS);
	settings.most_rounds = 0;
	run.solve(letters, settings);
	EXPECT_GT(run.search->round, SURVEY_ROUNDS);
}

} // namespace

namespace {

// The climb's score, its first rows scored first, is the plain decoding's
// score for every shape, and gives up exactly below its floor.
TEST(KeyedSearch, ClimbScoresAgreeWithThePlainScore)
{
	const std::unique_ptr<keyed_tables> tables = std::make_unique<keyed_tables>();
	build_keyed_tables(*language_named("en"), *tables);
	const std::unique_ptr<order_scratch> scratch = std::make_unique<order_scratch>();
	std::mt19937 random(21);
	const std::string corpus = read_file(ENGLISH_TEXT);
	for (const std::size_t k : {1u, 2u, 3u, 4u, 5u, 9u, 16u, 40u, 100u}) {
		for (const std::size_t length : {k, 3 * k + 1, 8 * k + k / 2, 9 * k - 1, 70 * k + 3}) {
			if (length >= BUFFER_SIZE)
				continue;
			std::string text = english_passage(corpus, random, length).substr(0, length);
			text[text.size() / 2] = '.';
			std::vector<std::uint8_t> symbols(text.size());
			to_symbols(text, symbols);
			std::vector<std::int32_t> slots(k);
			std::iota(slots.begin(), slots.end(), 0);
			std::shuffle(slots.begin(), slots.end(), random);
			const grid_shape shape = shape_of(text.size(), k);
			const std::int64_t plain = score_order(*tables, symbols, shape, slots, *scratch);
			const headed_score headed = score_order_above(*tables, symbols, shape, slots, *scratch, INT64_MIN);
			EXPECT_EQ(headed.total, plain) << k << " columns, " << text.size() << " cells";
			EXPECT_EQ(score_order_above(*tables, symbols, shape, slots, *scratch, headed.head).total, plain);
			EXPECT_EQ(score_order_above(*tables, symbols, shape, slots, *scratch, headed.head + 1).total, INT64_MIN);
		}
	}
}

} // namespace

namespace {

std::string random_letters(std::mt19937 &random, std::size_t length)
{
	std::uniform_int_distribution<int> letter('A', 'Z');
	std::string text(length, 'A');
	for (char &c : text)
		c = static_cast<char>(letter(random));
	return text;
}

// The decoding whose column c is the run read at slots[c].
std::string decode_slots(const std::string &cipher, const std::vector<std::int32_t> &slots)
{
	keyed_answer answer{};
	answer.columns = static_cast<std::int32_t>(slots.size());
	for (std::size_t c = 0; c < slots.size(); c++)
		answer.order[slots[c]] = static_cast<std::int32_t>(c);
	return decode_answer(cipher, answer);
}

// Every order, tried as a tree and cut short where nothing better can
// come, finds the order that the decoding's own score ranks best, as
// trying each in turn does: for random letters, English, texts with other
// bytes, complete and incomplete grids, every number of columns it takes,
// and with cribs.
TEST(EveryOrder, FindsWhatABruteForceFinds)
{
	const std::unique_ptr<keyed_tables> tables = std::make_unique<keyed_tables>();
	const language_model &model = *language_named("en");
	build_keyed_tables(model, *tables);
	const std::int64_t most_ends = most_ends_score(model);
	const std::string corpus = read_file(ENGLISH_TEXT);
	std::mt19937 random(28);
	// Every number of columns whose every order is tried at some length;
	// the most, nine, once, as it takes a second.
	for (std::size_t k = 2; k <= 9; k++) {
		for (const std::size_t length : {2 * k + 1, 3 * k, 4 * k + k / 2, 5 * k + k - 1}) {
			for (const int kind : {0, 1, 2}) {
				if (k == 9 && (length != 2 * k + 1 || kind != 1))
					continue;
				std::string plain = kind == 0 ? random_letters(random, length)
				                              : letters_of(english_passage(corpus, random, length)).substr(0, length);
				if (kind == 2)
					plain[length / 3] = '.';
				std::vector<std::int32_t> slots(k);
				std::iota(slots.begin(), slots.end(), 0);
				std::shuffle(slots.begin(), slots.end(), random);
				std::vector<int> ranks(k);
				for (std::size_t c = 0; c < k; c++)
					ranks[c] = slots[c] + 1;
				const std::string cipher = encipher_keyed(plain, ranks);
				crib_list cribs;
				if (kind == 1) {
					ASSERT_EQ(add_crib(cribs, plain.substr(length / 2, 4)), crib_added::added);
				}
				std::vector<std::uint8_t> symbols(cipher.size());
				to_symbols(cipher, symbols);
				// The brute force: every order in turn, scored whole.
				std::int64_t best = INT64_MIN;
				std::uint32_t best_cribs = 0;
				std::iota(slots.begin(), slots.end(), 0);
				do {
					const std::string decoded = decode_slots(cipher, slots);
					const std::int64_t score = ranked(score_text(model, decoded, 0));
					const std::uint32_t held = cribs_held_in_text(cribs, decoded);
					if (held > best_cribs || (held == best_cribs && score > best)) {
						best = score;
						best_cribs = held;
					}
				} while (std::next_permutation(slots.begin(), slots.end()));
				// The tree, in its parts.
				std::int64_t found = INT64_MIN;
				std::uint32_t found_cribs = 0;
				for (std::size_t part = 0; part < k; part++) {
					kept_orders kept;
					try_every_order(*tables, symbols, shape_of(cipher.size(), k), part, cribs, most_ends, kept, nullptr);
					ASSERT_GT(kept.count, 0u);
					for (std::size_t i = 0; i < kept.count; i++) {
						const scored_order &o = kept.orders[i];
						const std::string decoded = decode_slots(cipher, {o.slots, o.slots + k});
						EXPECT_EQ(o.cribs, cribs_held_in_text(cribs, decoded));
						if (kind != 2) {
							EXPECT_EQ(o.score, ranked(score_text(model, decoded, 0))) << k << " columns, " << length;
						}
						if (i > 0) {
							EXPECT_TRUE(ranks_before(kept.orders[i - 1], o, k));
						}
					}
					const scored_order &top = kept.orders[0];
					if (top.cribs > found_cribs || (top.cribs == found_cribs && top.score > found)) {
						found = top.score;
						found_cribs = top.cribs;
					}
				}
				EXPECT_EQ(found_cribs, best_cribs) << k << " columns, " << length << " letters, kind " << kind;
				if (kind != 2) {
					EXPECT_EQ(found, best) << k << " columns, " << length << " letters, kind " << kind;
				}
			}
		}
	}
}

} // namespace
