// write_round_trips DIR
//
// Writes random texts for the round trips through transpose: for trip n,
// DIR/trip.n.text (lines of any bytes but zero, with LF or CR LF ends),
// DIR/trip.n.order (the options that encipher them: each type of the
// list of cipher types in turn, with --key K, --keyword WORD or --order
// LIST, and --offset M, a route and corner or a start for the types that take
// them)
// and DIR/trip.n.plain, the normalised lines that must come back, a whole
// grid's last row filled with X; DIR/trip.count says how many there are.
#include "cipher_types.h"
#include "route.h"

#include <cstdio>
#include <algorithm>
#include <fstream>
#include <numeric>
#include <span>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

// What the programs beside the filter make of a line: its first 9999
// bytes, its accented letters folded, no-break spaces and other white
// space taken as spaces, then normalised as the filter normalises a text.
std::string normalised(const std::string &line)
{
	static const std::pair<std::string, std::string> folds[] = {
	    {"\xc3\xa9", "e"}, {"\xc3\x84", "AE"}, {"\xc3\x9f", "ss"}};
	std::string cut = line.substr(0, 9999), kept, out;
	for (std::size_t i = 0; i < cut.size(); i++) {
		const auto fold = std::find_if(std::begin(folds), std::end(folds),
		                               [&](const auto &f) { return cut.compare(i, 2, f.first) == 0; });
		kept += fold == std::end(folds) ? cut.substr(i, 1) : fold->second;
		i += fold == std::end(folds) ? 0 : 1;
	}
	for (std::size_t i = 0; i < kept.size(); i++) {
		char c = kept[i];
		if (c == '\xc2' && i + 1 < kept.size() && kept[i + 1] == '\xa0') {
			i++;
			continue;
		}
		if (c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r')
			continue;
		if (c >= 'a' && c <= 'z')
			c = static_cast<char>(c - 'a' + 'A');
		out += c;
	}
	return out;
}

std::string random_line(std::mt19937 &random, std::size_t length)
{
	static const std::string pieces[] = {"e", "t", "a", "O", "N", "x", "Q", " ", " ", "\t", "\r", "\v", "\f",
	                                     ".", ",", "7", "\xc2\xa0", "\xc3\xa9", "\xc3\x84", "\xc3\x9f", "\xff", "\x01", "\xc2"};
	std::uniform_int_distribution<std::size_t> piece(0, std::size(pieces) - 1);
	std::string line;
	while (line.size() < length)
		line += pieces[piece(random)];
	return line;
}

} // namespace

int main(int argc, char **argv)
{
	if (argc != 2) {
		std::fprintf(stderr, "usage: write_round_trips DIR\n");
		return 2;
	}
	const std::string dir = argv[1];
	std::mt19937 random(18);
	const int trips = 30;
	const std::span<const cipher_type> types = cipher_types();
	for (int n = 0; n < trips; n++) {
		// Each type of the list in turn, with each of the key options it
		// takes.
		const cipher_type &type = types[static_cast<std::size_t>(n) % types.size()];
		const int variant = n / static_cast<int>(types.size());
		std::uniform_int_distribution<std::int64_t> columns_of(type.least_number, n % 5 == 4 ? 400 : 40);
		const std::int64_t k = std::min(columns_of(random), type.most_number);
		std::string option;
		if (&type != &types[0])
			option.append("--cipher ").append(type.name).append(" ");
		const bool ordered = (type.options & ORDER_OPTION) != 0 && ((type.options & NUMBER_OPTION) == 0 || variant % 3 != 0);
		if (!ordered) {
			option.append("--key ").append(std::to_string(k));
		} else {
			// A type of two keys takes one of each kind, or two of one.
			for (unsigned key = 0; key < type.orders; key++) {
				const std::int64_t width = key == 0 ? k : std::min(columns_of(random), type.most_number);
				option += key == 0 ? "" : " ";
				if ((variant + static_cast<int>(key) * (n % 3)) % 2 == 0) {
					std::vector<std::int64_t> ranks(static_cast<std::size_t>(width));
					std::iota(ranks.begin(), ranks.end(), 1);
					std::shuffle(ranks.begin(), ranks.end(), random);
					// Ranks that tie, for a type that takes ties: those above
					// some rank M are folded onto 1 to M, each held at least once.
					if (type.ties) {
						const std::int64_t held = std::uniform_int_distribution<std::int64_t>(1, width)(random);
						for (std::int64_t &rank : ranks)
							rank = rank > held ? 1 + (rank - 1) % held : rank;
					}
					option += "--order ";
					for (std::size_t c = 0; c < ranks.size(); c++)
						option.append(c ? "," : "").append(std::to_string(ranks[c]));
				} else {
					std::uniform_int_distribution<int> letter('a', 'f');
					option += "--keyword ";
					for (std::int64_t c = 0; c < width; c++)
						option += static_cast<char>(letter(random));
				}
			}
		}
		if ((type.options & OFFSET_OPTION) != 0)
			option.append(" --offset ")
			    .append(std::to_string(std::uniform_int_distribution<std::int64_t>(0, type.offsets(k) - 1)(random)));
		if ((type.options & START_OPTION) != 0)
			option.append(" --start ").append(random() % 2 == 0 ? "1" : "2");
		if ((type.options & ROUTE_OPTION) != 0)
			option.append(" --route ")
			    .append(ROUTE_NAMES[random() % std::size(ROUTE_NAMES)])
			    .append(" --corner ")
			    .append(CORNER_NAMES[random() % std::size(CORNER_NAMES)]);
		std::ofstream text(dir + "/trip." + std::to_string(n) + ".text", std::ios::binary);
		std::ofstream plain(dir + "/trip." + std::to_string(n) + ".plain", std::ios::binary);
		std::ofstream(dir + "/trip." + std::to_string(n) + ".order", std::ios::binary) << option << '\n';
		std::uniform_int_distribution<std::size_t> length_of(0, n == 7 ? 10500 : 300);
		for (int line = 0; line < 8; line++) {
			const std::string bytes = random_line(random, length_of(random));
			text << bytes << (line % 2 ? "\r\n" : "\n");
			std::string back = normalised(bytes);
			// A whole grid comes back with its last row filled with X,
			// when that fits in a line.
			const auto width = static_cast<std::size_t>(k);
			if (type.whole_rows && back.size() % width != 0 && back.size() + width - back.size() % width < 10000)
				back.append(width - back.size() % width, 'X');
			plain << back << '\n';
		}
	}
	std::ofstream(dir + "/trip.count", std::ios::binary) << trips << '\n';
	return 0;
}
