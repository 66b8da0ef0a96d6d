#include "second_climbs.h"

#include "double_columnar.h"
#include "double_search.h"
#include "english.h"
#include "keyed_tables.h"
#include "language.h"
#include "random_bits.h"
#include "second_key_climb.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <numeric>
#include <random>
#include <vector>

namespace {

std::vector<std::int32_t> random_order(std::size_t columns, std::mt19937 &random)
{
	std::vector<std::int32_t> order(columns);
	std::iota(order.begin(), order.end(), 0);
	std::shuffle(order.begin(), order.end(), random);
	return order;
}

} // namespace

int measure_second_climbs(const std::string &corpus, int scale)
{
	const int texts = scale == 0 ? 1 : 16 * scale;
	const double seconds = scale == 0 ? 0.2 : 6;
	auto tables = std::make_unique<keyed_tables>();
	build_keyed_tables(*language_named("en"), *tables);
	auto search = std::make_unique<double_search>();
	auto scratch = std::make_unique<double_scratch>();
	std::mt19937 random(1729);
	std::uint64_t all_climbs = 0;
	double all_seconds = 0;
	// A few texts whose grids leave many keys fitting alike would swamp a
	// sum: the median text tells more.
	std::vector<double> rates;
	int texts_reached = 0;
	std::printf("first second letters   climbs  reached  climbs/s  reached/min\n");
	for (int t = 0; t < texts; t++) {
		const auto first = static_cast<std::size_t>(11 + random() % 4), second = static_cast<std::size_t>(11 + random() % 4);
		std::string plain = english_passage(corpus, random, 300 + random() % 301);
		std::erase_if(plain, [](char c) { return c < 'A' || c > 'Z'; });
		const std::vector<std::int32_t> one = random_order(first, random), two = random_order(second, random);
		std::string cipher(plain.size(), ' ');
		encipher_double({0, one, 0, 0, {}, two}, plain, cipher);
		begin_double_search(*search, *tables, cipher, {});
		// The fit a climb must reach: the best of the key's own neighbours.
		std::vector<std::int32_t> key = two;
		random_bits from_key = random_bits::of(0, static_cast<std::uint64_t>(t), 0);
		const std::int64_t right = climb_second(*search, first, key, from_key, *scratch, nullptr).beside;
		std::uint64_t climbs = 0, reached = 0;
		const auto start = std::chrono::steady_clock::now();
		std::chrono::duration<double> took{};
		for (; took.count() < seconds; climbs++) {
			random_bits bits = random_bits::of(1, static_cast<std::uint64_t>(t), climbs);
			std::iota(key.begin(), key.end(), 0);
			for (std::size_t j = second; j > 1; j--)
				std::swap(key[j - 1], key[bits.below(static_cast<std::uint32_t>(j))]);
			reached += climb_second(*search, first, key, bits, *scratch, nullptr).beside >= right ? 1 : 0;
			took = std::chrono::steady_clock::now() - start;
		}
		std::printf("%5zu %6zu %7zu %8llu %8llu %9.1f %12.1f\n", first, second, plain.size(),
		            static_cast<unsigned long long>(climbs), static_cast<unsigned long long>(reached),
		            static_cast<double>(climbs) / took.count(), 60.0 * static_cast<double>(reached) / took.count());
		all_climbs += climbs;
		all_seconds += took.count();
		rates.push_back(60.0 * static_cast<double>(reached) / took.count());
		texts_reached += reached > 0 ? 1 : 0;
	}
	std::sort(rates.begin(), rates.end());
	std::printf("all: %.1f climbs/s; in %d of %d texts a climb reached the key, the median text %.1f times a minute\n",
	            static_cast<double>(all_climbs) / all_seconds, texts_reached, texts, rates[rates.size() / 2]);
	return 0;
}
