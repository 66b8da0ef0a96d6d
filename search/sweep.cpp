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
	if (a.number != b.number)
		return a.number < b.number;
	return a.offset != b.offset ? a.offset < b.offset : a.route < b.route;
}

// The keys of a number: its offsets and routes; none when the type's grid
// is whole and the number does not divide the text's length.
std::uint64_t keys_of(const cipher_type &type, std::int64_t number, std::size_t length) noexcept
{
	if (type.whole_rows && length % static_cast<std::uint64_t>(number) != 0)
		return 0;
	return static_cast<std::uint64_t>(type.offsets(number)) * static_cast<std::uint64_t>(type.routes(number));
}

// Calls `each` with every key of the numbers from `least` to `most`.
template <typename Each>
void every_key(const cipher_type &type, std::int64_t least, std::int64_t most, std::size_t length, Each each)
{
	for (std::int64_t number = least; number <= most; number++) {
		if (keys_of(type, number, length) == 0)
			continue;
		for (std::int64_t offset = 0; offset < type.offsets(number); offset++)
			for (std::int64_t route = 0; route < type.routes(number); route++)
				each(number, offset, route);
	}
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
		spent += keys_of(type, number, length) * cost;
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
	const auto answer = [&](std::int64_t number, std::int64_t offset, std::int64_t route, std::size_t letters) {
		cipher_key key{number, {}, offset};
		key.route = route;
		type.decipher(key, compact.first(length), decoded);
		key_score score = score_text(model, decoded.first(length), static_cast<std::int32_t>(number), letters);
		score.cribs = cribs != nullptr ? cribs_held_in_text(*cribs, decoded.first(length)) : 0;
		return sweep_answer{number, offset, route, score};
	};
	std::uint64_t keys = 0;
	for (std::int64_t number = least; number <= most; number++)
		keys += keys_of(type, number, length);
	std::size_t held = 0;
	if (keys * length <= FULL_BUDGET || length <= PREFIX_LETTERS) {
		every_key(type, least, most, length, [&](std::int64_t number, std::int64_t offset, std::int64_t route) {
			held = keep(best, held, answer(number, offset, route, BUFFER_SIZE));
		});
		return held;
	}
	// Every key on its decoding's first letters, then the best of them on
	// all their letters.
	std::size_t listed = 0;
	every_key(type, least, most, length, [&](std::int64_t number, std::int64_t offset, std::int64_t route) {
		listed = keep(sifted, listed, answer(number, offset, route, PREFIX_LETTERS));
	});
	for (std::size_t i = 0; i < listed; i++)
		held = keep(best, held, answer(sifted[i].number, sifted[i].offset, sifted[i].route, BUFFER_SIZE));
	return held;
}
