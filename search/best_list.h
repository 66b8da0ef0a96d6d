// A list of the best answers a search has seen, best first, kept in
// order as each answer comes.
#ifndef UNTRANSPOSE_BEST_LIST_H
#define UNTRANSPOSE_BEST_LIST_H

#include <cstddef>
#include <span>

// Puts `answer` into its place among the `held` best, dropping the worst
// when they are full; returns how many are held.
template <class Answer, class Better>
std::size_t keep_best(std::span<Answer> best, std::size_t held, const Answer &answer, Better better) noexcept
{
	if (held == best.size() && !better(answer, best[held - 1]))
		return held;
	std::size_t at = held < best.size() ? held++ : held - 1;
	for (; at > 0 && better(answer, best[at - 1]); at--)
		best[at] = best[at - 1];
	best[at] = answer;
	return held;
}

#endif
