#include "orders.h"

#include <algorithm>
#include <array>
#include <bitset>

std::size_t keyword_ranks(std::string_view keyword, std::span<std::int32_t> ranks) noexcept
{
	// Each letter's rank is the number of letters before it in the
	// alphabet, and of its own letter before it in the word, plus one.
	std::array<std::size_t, 27> below{};
	std::size_t k = 0;
	for (const char c : keyword) {
		const int letter = (c | 0x20) - 'a';
		if (letter < 0 || letter >= 26)
			continue;
		if (k == ranks.size())
			return 0;
		below[static_cast<std::size_t>(letter) + 1]++;
		ranks[k++] = letter;
	}
	for (std::size_t letter = 1; letter < below.size(); letter++)
		below[letter] += below[letter - 1];
	for (std::size_t i = 0; i < k; i++)
		ranks[i] = static_cast<std::int32_t>(++below[static_cast<std::size_t>(ranks[i])]);
	return k;
}

namespace {

// Parses decimal numbers separated by commas, spaces allowed around them;
// returns how many, or 0 for anything else or more than `numbers` holds.
std::size_t parse_numbers(std::string_view list, std::span<std::int32_t> ranks) noexcept
{
	std::size_t k = 0, at = 0;
	const auto skip_spaces = [&] {
		while (at < list.size() && list[at] == ' ')
			at++;
	};
	for (;;) {
		skip_spaces();
		const std::size_t digits = at;
		std::int64_t value = 0;
		for (; at < list.size() && list[at] >= '0' && list[at] <= '9'; at++) {
			value = value * 10 + (list[at] - '0');
			if (value > static_cast<std::int64_t>(MOST_ORDER_COLUMNS))
				return 0;
		}
		if (at == digits || k == ranks.size())
			return 0;
		ranks[k++] = static_cast<std::int32_t>(value);
		skip_spaces();
		if (at == list.size())
			break;
		if (list[at++] != ',')
			return 0;
	}
	return k;
}

// Ranks the columns of `values` (each from 1 to MOST_ORDER_COLUMNS),
// equal values sharing a rank, into distinct ranks with the ties broken
// from left to right, and marks the ties over the read order.  Each rank
// is kept above its value until every rank is known: no table as large as
// the values may go on the stack.
void break_ties(std::span<std::int32_t> values, std::span<std::uint8_t> tied) noexcept
{
	constexpr std::int32_t VALUE = 0xffff;
	for (std::size_t c = 0; c < values.size(); c++) {
		const std::int32_t value = values[c] & VALUE;
		std::int32_t rank = 1;
		bool after_equal = false;
		for (std::size_t other = 0; other < values.size(); other++) {
			const std::int32_t v = values[other] & VALUE;
			rank += v < value || (v == value && other < c);
			after_equal |= v == value && other < c;
		}
		tied[static_cast<std::size_t>(rank - 1)] = after_equal ? 1 : 0;
		values[c] = value | rank << 16;
	}
	for (std::int32_t &value : values)
		value >>= 16;
}

} // namespace

std::size_t parse_ranks(std::string_view list, std::span<std::int32_t> ranks) noexcept
{
	const std::size_t k = parse_numbers(list, ranks);
	std::bitset<MOST_ORDER_COLUMNS + 1> seen;
	for (std::size_t i = 0; i < k; i++) {
		const auto rank = static_cast<std::size_t>(ranks[i]);
		if (rank < 1 || rank > k || seen[rank])
			return 0;
		seen[rank] = true;
	}
	return k;
}

std::size_t parse_tied_ranks(std::string_view list, std::span<std::int32_t> ranks, std::span<std::uint8_t> tied) noexcept
{
	const std::size_t k = parse_numbers(list, ranks);
	if (k == 0 || tied.size() < k)
		return 0;
	// The numbers must be 1 to M, each at least once.
	std::bitset<MOST_ORDER_COLUMNS + 1> seen;
	std::size_t most = 0;
	for (std::size_t i = 0; i < k; i++) {
		const auto rank = static_cast<std::size_t>(ranks[i]);
		if (rank < 1 || rank > k)
			return 0;
		seen[rank] = true;
		most = std::max(most, rank);
	}
	for (std::size_t rank = 1; rank <= most; rank++)
		if (!seen[rank])
			return 0;
	break_ties(ranks.first(k), tied);
	return k;
}

std::size_t keyword_tied_ranks(std::string_view keyword, std::span<std::int32_t> ranks, std::span<std::uint8_t> tied) noexcept
{
	std::size_t k = 0;
	for (const char c : keyword) {
		const int letter = (c | 0x20) - 'a';
		if (letter < 0 || letter >= 26)
			continue;
		if (k == ranks.size() || k == tied.size())
			return 0;
		ranks[k++] = letter + 1;
	}
	if (k > 0)
		break_ties(ranks.first(k), tied);
	return k;
}

void read_order(std::span<const std::int32_t> ranks, std::span<std::int32_t> order) noexcept
{
	for (std::size_t c = 0; c < ranks.size(); c++)
		order[static_cast<std::size_t>(ranks[c] - 1)] = static_cast<std::int32_t>(c);
}

void ranks_of(std::span<const std::int32_t> order, std::span<std::int32_t> ranks) noexcept
{
	for (std::size_t j = 0; j < order.size(); j++)
		ranks[static_cast<std::size_t>(order[j])] = static_cast<std::int32_t>(j + 1);
}

bool keyword_of(std::span<const std::int32_t> ranks, std::span<char> letters) noexcept
{
	if (ranks.size() > 26)
		return false;
	for (std::size_t c = 0; c < ranks.size(); c++)
		letters[c] = static_cast<char>('A' + ranks[c] - 1);
	return true;
}
