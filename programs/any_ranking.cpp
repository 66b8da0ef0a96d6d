#include "any_ranking.h"

#include "answer_judgement.h"

#include <algorithm>

namespace {

// How dear each kind of search is, the cheap first: a text that one of
// them clearly solves is not searched by the dear ones.
int dearness(search_kind kind)
{
	switch (kind) {
	case search_kind::plain_columns:
		return 0;
	case search_kind::every_number_and_offset:
		return 1;
	case search_kind::rails_and_order:
		return 2;
	case search_kind::fitted_order:
		return 3;
	case search_kind::keyed_rows:
		return 4;
	case search_kind::keyed_columns:
		return 5;
	case search_kind::two_orders:
		return 6;
	}
	return 6;
}

bool natural(const answer_row &row)
{
	for (std::size_t j = 0; j < row.order.size(); j++)
		if (row.order[j] != static_cast<std::int32_t>(j) || (j < row.tied.size() && row.tied[j] != 0))
			return false;
	return true;
}

bool natural(std::span<const std::int32_t> order)
{
	for (std::size_t j = 0; j < order.size(); j++)
		if (order[j] != static_cast<std::int32_t>(j))
			return false;
	return true;
}

// log10 of the decoding's likelihood, in millionths, less the key's
// share of the type's keys: both keys' for a type of two.
std::int64_t belief(const language_model &model, const cipher_type &type, const answer_row &row)
{
	const std::int64_t second =
	    row.second.empty() ? 0 : type.key_space(static_cast<std::int64_t>(row.second.size()), natural(row.second));
	return model.floor_millionths * static_cast<std::int64_t>(row.score.quadgrams) +
	       model.step_millionths * ranked(row.score) - type.key_space(row.key, natural(row)) - second;
}

bool believed_more(const any_answer &a, const any_answer &b)
{
	if (a.row.score.cribs != b.row.score.cribs)
		return a.row.score.cribs > b.row.score.cribs;
	return a.belief > b.belief;
}

// The type an answer is named by: a key whose ranks could tie but do not
// is a keyed column transposition's, and is believed as one.
const cipher_type &named_type(const cipher_type &type, const answer_row &row)
{
	if (!type.ties || std::find(row.tied.begin(), row.tied.end(), 1) != row.tied.end())
		return type;
	for (const cipher_type &other : cipher_types())
		if (other.search == search_kind::keyed_columns)
			return other;
	return type;
}

} // namespace

std::size_t types_by_dearness(std::span<const cipher_type *> into) noexcept
{
	const std::span<const cipher_type> types = cipher_types();
	const std::size_t count = std::min(types.size(), into.size());
	for (std::size_t i = 0; i < count; i++)
		into[i] = &types[i];
	std::stable_sort(into.begin(), into.begin() + static_cast<std::ptrdiff_t>(count),
	                 [](const cipher_type *a, const cipher_type *b) { return dearness(a->search) < dearness(b->search); });
	return count;
}

void keep_any(any_answer &kept, const answer_row &row, const cipher_type &searched, const language_model &model) noexcept
{
	const cipher_type &type = named_type(searched, row);
	kept.row = row;
	kept.row.type = &type;
	kept.model = &model;
	const std::size_t columns = std::min(row.order.size(), MOST_ANY_COLUMNS);
	std::copy_n(row.order.begin(), columns, kept.order);
	kept.row.order = {kept.order, columns};
	const std::size_t ties = std::min(row.tied.size(), MOST_ANY_COLUMNS);
	std::copy_n(row.tied.begin(), ties, kept.tied);
	kept.row.tied = {kept.tied, ties};
	const std::size_t seconds = std::min(row.second.size(), MOST_ANY_COLUMNS);
	std::copy_n(row.second.begin(), seconds, kept.second);
	kept.row.second = {kept.second, seconds};
	kept.belief = belief(model, type, kept.row);
}

bool ends_any(const language_model &model, const answer_row &best, std::size_t cribs) noexcept
{
	return clearly_solved(model, best.score) && judge_answer(model, best).said == verdict::english &&
	       (cribs == 0 || best.score.cribs == cribs);
}

void rank_any(std::span<any_answer> pool) noexcept
{
	std::stable_sort(pool.begin(), pool.end(), believed_more);
	// Sorting moved the answers, and their keys with them.
	for (any_answer &a : pool) {
		a.row.order = {a.order, a.row.order.size()};
		a.row.tied = {a.tied, a.row.tied.size()};
		a.row.second = {a.second, a.row.second.size()};
	}
}
