// Every type in the list of cipher types: deciphering undoes enciphering
// for random texts and keys, each type enciphers as its definition reads,
// and each type's search finds the key of held-out English.
#include "cipher_types.h"
#include "english.h"
#include "double_search.h"
#include "keyed_search.h"
#include "order_fit.h"
#include "rail_orders.h"
#include "model.h"
#include "plain_sweep.h"
#include "railfence.h"
#include "sweep.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

// Random ranks of `columns` columns from 1, some tied: each drawn from 1 to
// `distinct`, then renumbered so that every rank to the highest is held.
std::vector<int> random_tied_ranks(std::mt19937 &random, std::size_t columns, std::size_t distinct)
{
	std::vector<int> ranks(columns);
	for (int &rank : ranks)
		rank = 1 + static_cast<int>(random() % distinct);
	std::vector<int> held = ranks;
	std::sort(held.begin(), held.end());
	held.erase(std::unique(held.begin(), held.end()), held.end());
	for (int &rank : ranks)
		rank = 1 + static_cast<int>(std::lower_bound(held.begin(), held.end(), rank) - held.begin());
	return ranks;
}

// The read order of tied ranks, tied columns left to right, and which of
// the columns so read share the rank of the one before.
void order_of_tied_ranks(const std::vector<int> &ranks, std::vector<std::int32_t> &order, std::vector<std::uint8_t> &tied)
{
	order.resize(ranks.size());
	std::iota(order.begin(), order.end(), 0);
	std::stable_sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
		return ranks[static_cast<std::size_t>(a)] < ranks[static_cast<std::size_t>(b)];
	});
	tied.assign(ranks.size(), 0);
	for (std::size_t j = 1; j < ranks.size(); j++)
		tied[j] = ranks[static_cast<std::size_t>(order[j])] == ranks[static_cast<std::size_t>(order[j - 1])];
}

// Room for a random key's parts.
struct key_room {
	std::vector<std::int32_t> order, second;
	std::vector<std::uint8_t> tied;
};

// A random order of `columns` columns.
std::vector<std::int32_t> random_order(std::mt19937 &random, std::size_t columns)
{
	std::vector<std::int32_t> order(columns);
	std::iota(order.begin(), order.end(), 0);
	std::shuffle(order.begin(), order.end(), random);
	return order;
}

// A random key of the type for a text of `length` bytes, with its order in
// the room when the type reads in one, its ties when the type's ranks
// tie, and a second order of its own size when it takes two keys.
cipher_key random_key(const cipher_type &type, std::mt19937 &random, std::size_t length, key_room &room)
{
	std::vector<std::int32_t> &order = room.order;
	std::vector<std::uint8_t> &tied = room.tied;
	cipher_key key;
	const std::int64_t most = std::max<std::int64_t>(type.least_number + 1, static_cast<std::int64_t>(length) / 2);
	key.number = std::uniform_int_distribution<std::int64_t>(type.least_number, std::min<std::int64_t>(most, 60))(random);
	const bool ordered = (type.options & ORDER_OPTION) != 0 && ((type.options & NUMBER_OPTION) == 0 || random() % 2);
	if (ordered) {
		order.resize(static_cast<std::size_t>(key.number));
		std::iota(order.begin(), order.end(), 0);
		std::shuffle(order.begin(), order.end(), random);
		if (type.ties) {
			const auto columns = static_cast<std::size_t>(key.number);
			order_of_tied_ranks(random_tied_ranks(random, columns, 1 + random() % columns), order, tied);
			key.tied = tied;
		}
		key.order = order;
		if (type.orders == 2) {
			room.second = random_order(random, 1 + random() % static_cast<std::size_t>(std::min<std::int64_t>(key.number, 30)));
			key.second = room.second;
		}
	}
	key.offset = std::uniform_int_distribution<std::int64_t>(0, type.offsets(key.number) - 1)(random);
	key.route = std::uniform_int_distribution<std::int64_t>(0, type.routes(key.number) - 1)(random);
	return key;
}

TEST(CipherTypes, DecipheringUndoesEnciphering)
{
	std::mt19937 random(30);
	for (const cipher_type &type : cipher_types()) {
		for (int trial = 0; trial < 300; trial++) {
			const std::string text = random_text(random, random() % 400);
			key_room room;
			const cipher_key key = random_key(type, random, text.size(), room);
			std::string cipher(text.size(), '\0'), back(text.size(), '\0');
			type.encipher(key, text, cipher);
			type.decipher(key, cipher, back);
			ASSERT_EQ(back, text) << type.name << " with " << key_number(key) << ", offset " << key.offset;
			std::string sorted_text = text, sorted_cipher = cipher;
			std::sort(sorted_text.begin(), sorted_text.end());
			std::sort(sorted_cipher.begin(), sorted_cipher.end());
			ASSERT_EQ(sorted_cipher, sorted_text) << type.name << ": a transposition keeps every byte";
		}
	}
}

TEST(CipherTypes, RailFenceAsItsDefinitionReads)
{
	const cipher_type &type = *cipher_named("railfence");
	std::string out(25, '\0');
	type.encipher({3, {}, 0}, std::string_view("WEAREDISCOVEREDFLEEATONCE"), out);
	EXPECT_EQ(out, "WECRLTEERDSOEEFEAOCAIVDEN");
	std::mt19937 random(31);
	for (int rails = 2; rails <= 14; rails++)
		for (int offset = 0; offset < 2 * rails - 2; offset++) {
			const std::string text = random_text(random, random() % 60);
			std::string cipher(text.size(), '\0');
			type.encipher({rails, {}, offset}, text, cipher);
			ASSERT_EQ(cipher, encipher_rails(text, rails, offset)) << rails << " rails, offset " << offset;
		}
}

TEST(CipherTypes, RedefenceAsItsDefinitionReads)
{
	const cipher_type &type = *cipher_named("redefence");
	std::mt19937 random(34);
	for (int trial = 0; trial < 300; trial++) {
		const int rails = 2 + static_cast<int>(random() % 12);
		const int offset = static_cast<int>(random() % static_cast<unsigned>(2 * rails - 2));
		const std::string text = random_text(random, random() % 80);
		std::vector<std::int32_t> order(static_cast<std::size_t>(rails));
		std::iota(order.begin(), order.end(), 0);
		std::shuffle(order.begin(), order.end(), random);
		std::vector<int> ranks(order.size());
		for (std::size_t j = 0; j < order.size(); j++)
			ranks[static_cast<std::size_t>(order[j])] = static_cast<int>(j) + 1;
		std::string cipher(text.size(), '\0');
		type.encipher({0, order, offset}, text, cipher);
		ASSERT_EQ(cipher, encipher_rails(text, rails, offset, ranks)) << rails << " rails, offset " << offset;
	}
}

TEST(CipherTypes, RouteAsItsDefinitionReads)
{
	const cipher_type &type = *cipher_named("route");
	const char *examples[] = {"ABCDHLKJIEFG", "AEIJKLHDCBFG", "AEIJFBCGKLHD", "ABCDHGFEIJKL"};
	for (int route = 0; route < 4; route++) {
		std::string out(12, '\0');
		type.encipher({4, {}, 0, route * 4}, std::string_view("ABCDEFGHIJKL"), out);
		EXPECT_EQ(out, examples[route]);
	}
	std::mt19937 random(35);
	for (int trial = 0; trial < 400; trial++) {
		const int width = 1 + static_cast<int>(random() % 12), rows = 1 + static_cast<int>(random() % 12);
		const int route = static_cast<int>(random() % 4), corner = static_cast<int>(random() % 4);
		const std::string text = random_text(random, static_cast<std::size_t>(width * rows));
		std::string cipher(text.size(), '\0');
		type.encipher({width, {}, 0, route * 4 + corner}, text, cipher);
		ASSERT_EQ(cipher, encipher_route(text, width, route, corner))
		    << width << " by " << rows << ", route " << route << ", corner " << corner;
	}
}

TEST(CipherTypes, AmscoAsItsDefinitionReads)
{
	const cipher_type &type = *cipher_named("amsco");
	const std::int32_t read[] = {1, 0, 2};   // the ranks 2,1,3
	std::string out(10, '\0');
	type.encipher({3, read, 0}, std::string_view("ABCDEFGHIJ"), out);
	EXPECT_EQ(out, "BCGAEFJDHI");
	std::mt19937 random(36);
	for (int trial = 0; trial < 300; trial++) {
		const std::string text = random_text(random, random() % 120);
		std::vector<std::int32_t> order(1 + random() % 15);
		std::iota(order.begin(), order.end(), 0);
		std::shuffle(order.begin(), order.end(), random);
		std::vector<int> ranks(order.size());
		for (std::size_t j = 0; j < order.size(); j++)
			ranks[static_cast<std::size_t>(order[j])] = static_cast<int>(j) + 1;
		const int start = 1 + static_cast<int>(random() % 2);
		std::string cipher(text.size(), '\0');
		type.encipher({0, order, start - 1}, text, cipher);
		ASSERT_EQ(cipher, encipher_amsco(text, ranks, start)) << order.size() << " columns, start " << start;
	}
}

TEST(CipherTypes, MyszkowskiAsItsDefinitionReads)
{
	const cipher_type &type = *cipher_named("myszkowski");
	// TOMATO: the ranks 4,3,2,1,4,3.
	const std::int32_t read[] = {3, 2, 1, 5, 0, 4};
	const std::uint8_t tied[] = {0, 0, 0, 1, 0, 1};
	std::string out(25, '\0');
	type.encipher({6, read, 0, 0, tied}, std::string_view("WEAREDISCOVEREDFLEEATONCE"), out);
	EXPECT_EQ(out, "ROFOACDTEDSEEEACWEIVRLENE");
	std::mt19937 random(37);
	for (int trial = 0; trial < 400; trial++) {
		const std::string text = random_text(random, random() % 150);
		const std::size_t columns = 1 + random() % 15;
		const std::vector<int> ranks = random_tied_ranks(random, columns, 1 + random() % columns);
		std::vector<std::int32_t> order;
		std::vector<std::uint8_t> ties;
		order_of_tied_ranks(ranks, order, ties);
		std::string cipher(text.size(), '\0');
		type.encipher({0, order, 0, 0, ties}, text, cipher);
		ASSERT_EQ(cipher, encipher_myszkowski(text, ranks)) << columns << " columns";
	}
}

// What an answer pays among a type's keys is log10 of their count: orders
// of K columns, and for Myszkowski the orders whose ranks may tie, counted
// here by the recurrence a(n) = sum over k of C(n, k) a(n - k).
TEST(CipherTypes, KeySpacesCountTheKeys)
{
	std::vector<double> tied_orders{1};
	for (std::size_t n = 1; n <= 18; n++) {
		double sum = 0, choose = 1;
		for (std::size_t k = 1; k <= n; k++) {
			choose = choose * static_cast<double>(n - k + 1) / static_cast<double>(k);
			sum += choose * tied_orders[n - k];
		}
		tied_orders.push_back(sum);
	}
	const cipher_type &keyed = *cipher_named("keyed"), &myszkowski = *cipher_named("myszkowski");
	for (std::int64_t n = 2; n <= 18; n++) {
		const double orders = std::lgamma(static_cast<double>(n) + 1) / std::log(10.0);
		EXPECT_NEAR(static_cast<double>(keyed.key_space(n, false)), 1e6 * orders, 10) << n << " columns";
		EXPECT_EQ(keyed.key_space(n, true), 0) << n << " columns read in order";
		EXPECT_NEAR(static_cast<double>(myszkowski.key_space(n, false)),
		            1e6 * std::log10(tied_orders[static_cast<std::size_t>(n)]), 1000)
		    << n << " columns, ranks that may tie";
	}
	EXPECT_EQ(cipher_named("railfence")->key_space(5, true), 903090) << "8 offsets of 5 rails";
	EXPECT_EQ(cipher_named("route")->key_space(7, true), 1204120) << "16 routes and corners";
}

TEST(CipherTypes, DoubleColumnarAsDefined)
{
	const cipher_type &type = *cipher_named("double");
	std::mt19937 random(38);
	for (int trial = 0; trial < 300; trial++) {
		const std::string text = random_text(random, random() % 200);
		const std::vector<std::int32_t> first = random_order(random, 1 + random() % 25),
		                                second = random_order(random, 1 + random() % 25);
		const auto ranks = [](const std::vector<std::int32_t> &order) {
			std::vector<int> made(order.size());
			for (std::size_t j = 0; j < order.size(); j++)
				made[static_cast<std::size_t>(order[j])] = static_cast<int>(j) + 1;
			return made;
		};
		std::string cipher(text.size(), '\0');
		cipher_key key{0, first};
		key.second = second;
		type.encipher(key, text, cipher);
		ASSERT_EQ(cipher, encipher_keyed(encipher_keyed(text, ranks(first)), ranks(second)))
		    << first.size() << " then " << second.size() << " columns";
	}
}

TEST(CipherTypes, BlockPermutationAsDefined)
{
	const cipher_type &type = *cipher_named("permutation");
	const std::int32_t read[] = {1, 0, 2};   // the ranks 2,1,3
	std::string out(10, '\0');
	type.encipher({3, read, 0}, std::string_view("ABCDEFGHIJ"), out);
	EXPECT_EQ(out, "BACEDFHGIJ");
	std::mt19937 random(33);
	for (int trial = 0; trial < 300; trial++) {
		const std::string text = random_text(random, random() % 100);
		std::vector<std::int32_t> order(1 + random() % 25);
		std::iota(order.begin(), order.end(), 0);
		std::shuffle(order.begin(), order.end(), random);
		std::vector<int> ranks(order.size());
		for (std::size_t j = 0; j < order.size(); j++)
			ranks[static_cast<std::size_t>(order[j])] = static_cast<int>(j) + 1;
		std::string cipher(text.size(), '\0');
		type.encipher({0, order, 0}, text, cipher);
		ASSERT_EQ(cipher, encipher_blocks(text, ranks)) << order.size() << " columns";
	}
}

// What a type's search makes of a cipher: the best key's decoding.
std::string searched(const cipher_type &type, const language_model &model, const std::string &cipher)
{
	std::vector<char> decoded(BUFFER_SIZE);
	switch (type.search) {
	case search_kind::plain_columns: {
		key_score best[2];
		std::vector<char> compact(BUFFER_SIZE);
		std::copy(cipher.begin(), cipher.end(), compact.begin());
		find_keys(model, compact, cipher.size(), 1, INT32_MAX, best, decoded);
		type.decipher({best[0].key, {}, 0}, cipher, decoded);
		break;
	}
	case search_kind::every_number_and_offset: {
		sweep_answer best[2], sifted[SHORTLIST];
		sweep_keys(type, model, cipher, type.least_number, sweep_most_number(type, cipher.size()), best, sifted,
		           decoded, nullptr);
		type.decipher({best[0].number, {}, best[0].offset, best[0].route}, cipher, decoded);
		break;
	}
	case search_kind::keyed_columns:
	case search_kind::keyed_rows: {
		static keyed_tables tables;
		static keyed_search search;
		static order_scratch scratch;
		static job_result result;
		if (tables.model != &model)
			build_keyed_tables(model, tables);
		keyed_settings settings;
		settings.rows = type.search == search_kind::keyed_rows;
		settings.max_columns = 12;
		begin_search(search, tables, cipher, settings);
		search_on_one_thread(search, scratch, result);
		const keyed_answer &best = search_answers(search)[0];
		type.decipher({best.columns, {best.order, static_cast<std::size_t>(best.columns)}, 0}, cipher, decoded);
		break;
	}
	case search_kind::fitted_order: {
		static keyed_tables tables;
		static fit_search search;
		static fit_scratch scratch;
		static fit_job_result result;
		if (tables.model != &model)
			build_keyed_tables(model, tables);
		fit_settings settings;
		settings.type = &type;
		settings.most = 8;
		begin_fit_search(search, tables, cipher, settings);
		fit_on_one_thread(search, scratch, result);
		const fit_answer &best = fit_answers(search)[0];
		const auto columns = static_cast<std::size_t>(best.columns);
		type.decipher({best.columns, {best.order, columns}, best.offset, 0,
		               type.ties ? std::span<const std::uint8_t>(best.tied, columns) : std::span<const std::uint8_t>{}},
		              cipher, decoded);
		break;
	}
	case search_kind::two_orders: {
		static keyed_tables tables;
		static double_search search;
		static double_scratch scratch;
		static double_job_result result;
		if (tables.model != &model)
			build_keyed_tables(model, tables);
		double_settings settings;
		settings.most = 7;
		begin_double_search(search, tables, cipher, settings);
		double_on_one_thread(search, scratch, result);
		const double_answer &best = double_answers(search)[0];
		type.decipher({best.columns, {best.order, static_cast<std::size_t>(best.columns)}, 0, 0, {},
		               {best.second, static_cast<std::size_t>(best.second_columns)}},
		              cipher, decoded);
		break;
	}
	case search_kind::rails_and_order: {
		static keyed_tables tables;
		static rail_search search;
		static rail_scratch scratch;
		static rail_job_result result;
		if (tables.model != &model)
			build_keyed_tables(model, tables);
		begin_rail_search(search, tables, cipher, rail_settings{});
		search_rails_on_one_thread(search, scratch, result);
		const rail_answer &best = rail_answers(search)[0];
		type.decipher({best.rails, {best.order, static_cast<std::size_t>(best.rails)}, best.offset}, cipher, decoded);
		break;
	}
	}
	return {decoded.data(), cipher.size()};
}

TEST(CipherTypes, EachSearchFindsTheKeyOfEnglish)
{
	const language_model &model = *language_named("en");
	const std::string corpus = read_file(ENGLISH_TEXT);
	std::mt19937 random(32);
	for (const cipher_type &type : cipher_types()) {
		const bool ordered = (type.options & NUMBER_OPTION) == 0;
		const bool two = type.orders == 2;
		int solved = 0;
		// An order's search costs a hundred times a sweep's, and two
		// orders' many times one's.
		const int texts = two ? 6 : ordered ? 20 : 60;
		for (int trial = 0; trial < texts; trial++) {
			std::string plain = english_passage(corpus, random, two ? 200 + random() % 100 : 80 + random() % 300);
			key_room room;
			// Orders of 2 to 12 columns, or of 3 to 9 rails, which a
			// redefence's search takes by default; an order fitted by its
			// decodings, whose search costs most, of up to 8.
			const bool rails = type.search == search_kind::rails_and_order;
			const std::size_t reach = rails ? 18 : type.search == search_kind::fitted_order ? 16 : 24;
			cipher_key key = random_key(type, random, ordered ? reach : plain.size() / 3, room);
			while (ordered && key_number(key) < (rails ? 3 : 2))
				key = random_key(type, random, reach, room);
			// Two keys of 5 to 7 columns, which the search is bounded to here.
			if (two) {
				room.order = random_order(random, 5 + random() % 3);
				room.second = random_order(random, 5 + random() % 3);
				key.order = room.order;
				key.second = room.second;
			}
			if (!ordered)
				key.order = {};
			key.number = std::min<std::int64_t>(key.number, static_cast<std::int64_t>(plain.size()) / 2);
			key.offset = std::min(key.offset, type.offsets(key.number) - 1);
			if (type.whole_rows)
				plain.resize(plain.size() - plain.size() % static_cast<std::size_t>(key.number));
			std::string cipher(plain.size(), '\0');
			type.encipher(key, plain, cipher);
			solved += searched(type, model, cipher) == plain;
		}
		// A rail fence's offsets can turn a message by a few letters, which
		// then splits into words at both ends as well as it: about one text
		// in a hundred.
		EXPECT_GE(solved, texts - (ordered ? 2 : 4)) << type.name;
	}
}

} // namespace

// Ciphers whose keys the double columnar's search once came back without:
// in a complete grid of two equal widths every second key fits alike,
// and a second key turned by a column fit better than the right one.
TEST(CipherTypes, DoubleSearchFindsKeysItOnceMissed)
{
	struct case_t {
		const char *name;
		std::string_view plain;
		std::vector<std::int32_t> first, second;
	};
	const case_t cases[] = {
	    {"a complete grid of 5 and 5 columns",
	     "ISATTEMPTEDAGAINZERODISABLESRETRYINGANDNEGATIVEVALUESAREREJECTEDROUTERSFORWARDTRAFFICBETWEENNETWORKSUSINGTABLESOFK"
	     "NOWNDESTINATIONSAMISSINGDEFAULTROUTELEAVESDISTANTHOSTSUNREACHABLELIBRARYEXPOSESASTABLE",
	     {2, 1, 3, 0, 4}, {3, 1, 0, 4, 2}},
	    {"a second key that fits better turned",
	     "VISIBLEEVERYHESITATIONLEAVESAMARKANDTHEREADERCANSEEEXACTLYWHERETHEWRITERPAUSEDTOTHINKPERHAPSTHATISWHYSOFEWPEOP"
	     "LEWRITELETTERSNOWANDWHYTHEONESWHODOARESOCAREFULLYBELIEVED",
	     {1, 8, 9, 7, 6, 3, 0, 4, 2, 5}, {0, 1, 2, 3, 4}},
	};
	static keyed_tables tables;
	static double_search search;
	static double_scratch scratch;
	static double_job_result result;
	build_keyed_tables(*language_named("en"), tables);
	const cipher_type &type = *cipher_named("double");
	for (const case_t &c : cases) {
		std::string cipher(c.plain.size(), '\0'), decoded(c.plain.size(), '\0');
		type.encipher({0, c.first, 0, 0, {}, c.second}, c.plain, cipher);
		// The job of the two widths alone, then the plan, which tries the
		// turns of the best answer's second key.
		begin_double_search(search, tables, cipher, double_settings{});
		run_double_job(search, {static_cast<std::int32_t>(c.first.size()), static_cast<std::int32_t>(c.second.size())},
		               scratch, result, nullptr);
		take_double_result(search, result);
		double_job jobs[MOST_DOUBLE_JOBS];
		(void)plan_double_jobs(search, jobs);
		const double_answer &best = double_answers(search)[0];
		type.decipher({0, {best.order, static_cast<std::size_t>(best.columns)}, 0, 0, {},
		               {best.second, static_cast<std::size_t>(best.second_columns)}},
		              cipher, decoded);
		EXPECT_EQ(decoded, c.plain) << c.name;
	}
}
