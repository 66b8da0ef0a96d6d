// --cipher any: every type in the list searched in turn, the cheapest
// first, and their answers ranked by how far each is believed: its
// decoding's score in the language, less what its key costs among the
// type's keys (a keyed order of K columns is one of K!, a rail fence's
// offset one of 2N - 2).  A decoding that scores well by chance among
// many keys is believed less than one that scores as well among few.
#include "found_answers.h"
#include "key_answers.h"

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

found_answers find_of_type(const key_work &w, const cipher_type &type, const text_line &text, std::span<const char> compact)
{
	switch (type.search) {
	case search_kind::plain_columns:
		return find_plain(w, text, compact);
	case search_kind::keyed_columns:
	case search_kind::keyed_rows:
		return find_keyed(w, type, text, compact);
	case search_kind::every_number_and_offset:
		return find_swept(w, type, text, compact);
	case search_kind::rails_and_order:
		return find_rails(w, type, text, compact);
	case search_kind::fitted_order:
		return find_fitted(w, type, text, compact);
	case search_kind::two_orders:
		return find_doubled(w, type, text, compact);
	}
	return {};
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

// Copies an answer into the pool, its key into the answer's own room.
void keep(any_answer &kept, const answer_row &row, const cipher_type &searched, const language_model &model)
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

} // namespace

void answer_any(void *context, const text_line &text)
{
	const key_work &w = *static_cast<const key_work *>(context);
	const std::span<const char> compact = compact_text(w, text);
	const std::size_t wanted = std::max<std::size_t>(w.opts.top, 2);
	std::size_t pooled = 0;
	const std::span<const cipher_type> types = cipher_types();
	const cipher_type *in_order[MOST_ANY_TYPES];
	const std::size_t searched = std::min(types.size(), MOST_ANY_TYPES);
	for (std::size_t i = 0; i < searched; i++)
		in_order[i] = &types[i];
	std::stable_sort(in_order, in_order + searched,
	                 [](const cipher_type *a, const cipher_type *b) { return dearness(a->search) < dearness(b->search); });
	for (std::size_t t = 0; t < searched; t++) {
		const cipher_type &type = *in_order[t];
		const found_answers found = find_of_type(w, type, text, compact);
		for (std::size_t i = 0; i < std::min(found.count, wanted); i++)
			keep(w.pool[pooled++], w.rows[i], type, *found.model);
		// A decoding clearly in the language, believed, is the message: a
		// dearer type could only find it again.
		if (found.count > 0 && clearly_solved(*found.model, w.rows[0].score) &&
		    judge_answer(*found.model, w.rows[0]).said == verdict::english &&
		    (w.opts.cribs.count == 0 || w.rows[0].score.cribs == w.opts.cribs.count))
			break;
	}
	std::stable_sort(w.pool, w.pool + pooled, believed_more);
	const std::size_t count = std::min(pooled, wanted);
	// Sorting moved the answers, and their keys with them.
	for (std::size_t i = 0; i < count; i++) {
		w.rows[i] = w.pool[i].row;
		w.rows[i].order = {w.pool[i].order, w.pool[i].row.order.size()};
		w.rows[i].tied = {w.pool[i].tied, w.pool[i].row.tied.size()};
		w.rows[i].second = {w.pool[i].second, w.pool[i].row.second.size()};
	}
	if (count == 0) {
		w.rows[0] = {1, {}, score_text(*w.models[0], compact, 1)};
		give_answers(w, *w.models[0], text, compact, {w.rows, 1}, w.opts.top,
		             "try --top and --table to see other keys");
		return;
	}
	give_answers(w, *w.pool[0].model, text, compact, {w.rows, count}, w.opts.top,
	             "it may be a transposition not in the list, or too short to tell: try --top and --table to see other keys");
}
