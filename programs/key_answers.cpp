#include "key_answers.h"

#include "found_answers.h"

#include <cstdio>

namespace {

// Answers a text with what one type's search found, or, when it found
// nothing, with the text as it stands: the key 1 of the plain
// transposition leaves it so, and the case stream keeps its step.
void answer_found(const key_work &w, const text_line &text, std::span<const char> compact, found_answers found,
                  const char *try_instead)
{
	if (found.count == 0) {
		w.rows[0] = {1, {}, score_text(*w.models[0], compact, 1)};
		found = {w.models[0], 1};
	}
	give_answers(w, *found.model, text, compact, {w.rows, found.count}, w.opts.top, try_instead);
}

} // namespace

void answer_plain(void *context, const text_line &text)
{
	const key_work &w = *static_cast<const key_work *>(context);
	const std::span<const char> compact = compact_text(w, text);
	answer_found(w, text, compact, find_plain(w, text, compact),
	             "it may be keyed: try --keyed, or --top and --table to see other keys");
}

void answer_keyed(void *context, const text_line &text)
{
	const key_work &w = *static_cast<const key_work *>(context);
	const std::span<const char> compact = compact_text(w, text);
	answer_found(w, text, compact, find_keyed(w, *w.opts.choice.type, text, compact),
	             "try --effort 10, another --seed, or --top and --table to see other orders");
}

void answer_rails(void *context, const text_line &text)
{
	const key_work &w = *static_cast<const key_work *>(context);
	const std::span<const char> compact = compact_text(w, text);
	answer_found(w, text, compact, find_rails(w, *w.opts.choice.type, text, compact),
	             "it may be another transposition: try --cipher, --effort 10, or --top and --table to see other keys");
}

void answer_fitted(void *context, const text_line &text)
{
	const key_work &w = *static_cast<const key_work *>(context);
	const std::span<const char> compact = compact_text(w, text);
	answer_found(w, text, compact, find_fitted(w, *w.opts.choice.type, text, compact),
	             "it may be another transposition: try --cipher, --effort 10, or --top and --table to see other keys");
}

void answer_doubled(void *context, const text_line &text)
{
	const key_work &w = *static_cast<const key_work *>(context);
	const std::span<const char> compact = compact_text(w, text);
	answer_found(w, text, compact, find_doubled(w, *w.opts.choice.type, text, compact),
	             "it may be another transposition: try --cipher, --effort 10, or --top and --table to see other keys");
}

void answer_swept(void *context, const text_line &text)
{
	const key_work &w = *static_cast<const key_work *>(context);
	const std::span<const char> compact = compact_text(w, text);
	answer_found(w, text, compact, find_swept(w, *w.opts.choice.type, text, compact),
	             "it may be another transposition: try --cipher, or --top and --table to see other keys");
}

// Answers one text line with the key given on the command line.
void answer_given(void *context, const text_line &text)
{
	const key_work &w = *static_cast<const key_work *>(context);
	const std::span<const char> compact = compact_text(w, text);
	const cipher_type &type = *w.opts.choice.type;
	const cipher_key &key = w.opts.key;
	answer_row row{static_cast<std::int32_t>(std::min<std::int64_t>(key_number(key), INT32_MAX)), key.order, {}};
	row.tied = key.tied;
	row.second = key.second;
	if (!type.column_form) {
		row.type = &type;
		row.offset = key.offset;
		row.route = key.route;
	}
	type.decipher(key, compact, {w.scratch.decoded, BUFFER_SIZE});
	const language_model *kept = nullptr;
	for (const language_model *model : w.models) {
		key_score score = score_text(*model, {w.scratch.decoded, compact.size()}, row.key);
		score.cribs = cribs_held_in_text(w.opts.cribs, {w.scratch.decoded, compact.size()});
		if (scores_higher(*model, score, kept, row.score)) {
			row.score = score;
			kept = model;
		}
	}
	give_answers(w, *kept, text, compact, {&row, 1}, 1, "the key may not be the text's");
}
