#include "tied_climb.h"

void even_ranks(std::span<std::int32_t> ranks) noexcept
{
	std::int32_t seen[MOST_TIED_COLUMNS];
	std::size_t distinct = 0;
	for (const std::int32_t rank : ranks)
		if (std::find(seen, seen + distinct, rank) == seen + distinct)
			seen[distinct++] = rank;
	std::sort(seen, seen + distinct);
	for (std::int32_t &rank : ranks)
		rank = 2 * static_cast<std::int32_t>(std::lower_bound(seen, seen + distinct, rank) - seen + 1);
}

void key_of_ranks(std::span<const std::int32_t> ranks, std::span<std::int32_t> order, std::span<std::uint8_t> tied) noexcept
{
	const std::size_t columns = ranks.size();
	for (std::size_t j = 0; j < columns; j++) {
		const auto column = static_cast<std::int32_t>(j);
		std::size_t at = j;
		for (; at > 0 && ranks[static_cast<std::size_t>(order[at - 1])] > ranks[j]; at--)
			order[at] = order[at - 1];
		order[at] = column;
	}
	if (columns > 0)
		tied[0] = 0;
	for (std::size_t j = 1; j < columns; j++)
		tied[j] = ranks[static_cast<std::size_t>(order[j])] == ranks[static_cast<std::size_t>(order[j - 1])] ? 1 : 0;
}
