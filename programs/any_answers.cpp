// --cipher any: every type in the list searched in turn, the cheapest
// first, until one clearly solves the text, and their answers ranked.
#include "any_ranking.h"
#include "found_answers.h"
#include "key_answers.h"

#include <algorithm>

namespace {

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

} // namespace

void answer_any(void *context, const text_line &text)
{
	const key_work &w = *static_cast<const key_work *>(context);
	const std::span<const char> compact = compact_text(w, text);
	const std::size_t wanted = std::max<std::size_t>(w.opts.top, 2);
	std::size_t pooled = 0;
	const cipher_type *in_order[MOST_ANY_TYPES];
	const std::size_t searched = types_by_dearness(in_order);
	for (std::size_t t = 0; t < searched; t++) {
		const cipher_type &type = *in_order[t];
		const found_answers found = find_of_type(w, type, text, compact);
		for (std::size_t i = 0; i < std::min(found.count, wanted); i++)
			keep_any(w.pool[pooled++], w.rows[i], type, *found.model);
		if (found.count > 0 && ends_any(*found.model, w.rows[0], w.opts.cribs.count))
			break;
	}
	rank_any({w.pool, pooled});
	const std::size_t count = std::min(pooled, wanted);
	for (std::size_t i = 0; i < count; i++)
		w.rows[i] = w.pool[i].row;
	if (count == 0) {
		w.rows[0] = {1, {}, score_text(*w.models[0], compact, 1)};
		give_answers(w, *w.models[0], text, compact, {w.rows, 1}, w.opts.top,
		             "try --top and --table to see other keys");
		return;
	}
	give_answers(w, *w.pool[0].model, text, compact, {w.rows, count}, w.opts.top,
	             "it may be a transposition not in the list, or too short to tell: try --top and --table to see other keys");
}
