#include "sweep.h"

#include "best_list.h"
#include "plain_sweep.h"

#include <algorithm>

namespace {

bool better(const sweep_answer &a, const sweep_answer &b) noexcept
{
	if (a.score.cribs != b.score.cribs)
		return a.score.cribs > b.score.cribs;
	// Every decoding has the text's letters, so the totals compare as they
	// are, over the same number of quadgrams.
	if (ranked(a.score) != ranked(b.score))
		return ranked(a.score) > ranked(b.score);
	return a.number != b.number ? a.number < b.number : a.offset < b.offset;
}

std::size_t keep(std::span<sweep_answer> best, std::size_t held, const sweep_answer &answer) noexcept
{
	return keep_best(best, held, answer, better);
}

} // namespace

std::int64_t sweep_most_number(const cipher_type &type, std::size_t length) noexcept
{
	return std::max(type.least_number, std::min(MOST_SWEPT_NUMBER, static_cast<std::int64_t>(length / 2)));
}

std::int64_t sweep_most_within_budget(const cipher_type &type, std::size_t length, std::int64_t least,
                                     std::int64_t most) noexcept
{
	least = std::max(least, type.least_number);
	// As with columns, a number of the text's length or more is not tried.
	most = std::min({most, type.most_number, static_cast<std::int64_t>(length) - 1});
	const std::uint64_t cost = std::max<std::uint64_t>(length, 1);
	std::uint64_t spent = 0;
	for (std::int64_t number = least; number <= most; number++) {
		spent += static_cast<std::uint64_t>(type.offsets(number)) * cost;
		if (spent > SWEEP_BUDGET)
			return number - 1;
	}
	return most;
}

std::size_t sweep_keys(const cipher_type &type, const language_model &model, std::span<const char> compact,
                       std::int64_t least, std::int64_t most, std::span<sweep_answer> best, std::span<sweep_answer> sifted,
                       std::span<char> decoded, const crib_list *cribs) noexcept
{
	const std::size_t length = std::min(compact.size(), decoded.size());
	most = sweep_most_within_budget(type, length, least, most);
	least = std::max(least, type.least_number);
	if (best.empty() || sifted.empty())
		return 0;
	const auto answer = [&](std::int64_t number, std::int64_t offset, std::size_t letters) {
		type.decipher({number, {}, offset}, compact.first(length), decoded);
		key_score score = score_text(model, decoded.first(length), static_cast<std::int32_t>(number), letters);
		score.cribs = cribs != nullptr ? cribs_held_in_text(*cribs, decoded.first(length)) : 0;
		return sweep_answer{number, offset, score};
	};
	std::uint64_t keys = 0;
	for (std::int64_t number = least; number <= most; number++)
		keys += static_cast<std::uint64_t>(type.offsets(number));
	std::size_t held = 0;
	if (keys * length <= FULL_BUDGET || length <= PREFIX_LETTERS) {
		for (std::int64_t number = least; number <= most; number++)
			for (std::int64_t offset = 0; offset < type.offsets(number); offset++)
				held = keep(best, held, answer(number, offset, BUFFER_SIZE));
		return held;
	}
	// Every key on its decoding's first letters, then the best of them on
	// all their letters.
	std::size_t listed = 0;
	for (std::int64_t number = least; number <= most; number++)
		for (std::int64_t offset = 0; offset < type.offsets(number); offset++)
			listed = keep(sifted, listed, answer(number, offset, PREFIX_LETTERS));
	for (std::size_t i = 0; i < listed; i++)
		held = keep(best, held, answer(sifted[i].number, sifted[i].offset, BUFFER_SIZE));
	return held;
}
