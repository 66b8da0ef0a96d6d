#include "found_answers.h"

#include "plain_sweep.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>

// Normalises a text line into w.compact, keeping the line as it was read;
// returns the compact text.
std::span<const char> compact_text(const key_work &w, const text_line &text)
{
	// normalize_text upper-cases the line in place; the case stream must
	// carry it as it was read, and letters' case changes nothing else.
	std::memcpy(w.line, text.bytes.data(), text.bytes.size());
	std::memset(w.compact, 0, BUFFER_SIZE);
	return {w.compact, normalize_text({w.line, text.bytes.size()}, {w.compact, BUFFER_SIZE})};
}

const crib_list *cribs_of(const key_work &w)
{
	return w.opts.cribs.count > 0 ? &w.opts.cribs : nullptr;
}

void give_answers(const key_work &w, const language_model &model, const text_line &text, std::span<const char> compact,
                  std::span<const answer_row> rows, std::size_t shown, const char *try_instead)
{
	const answer_row &best = rows[0];
	judgement judged = judge_answer(model, best);
	if (judged.said == verdict::not_english && (w.opts.lang == nullptr || std::strcmp(w.opts.lang, "auto") != 0)) {
		const language_model *every[MOST_LANGUAGES];
		std::size_t count = 0;
		for (const std::string_view code : language_codes())
			if (const language_model *other = language_named(code); other != nullptr)
				every[count++] = other;
		if (const language_model *fits = letters_fit_best({every, count}, compact); fits != &model)
			judged.reads_as = fits;
	}
	if (judged.said == verdict::not_english)
		warn_not_english(model, KEY_PROGRAM, text.place, best.score, judged, try_instead);
	if (w.opts.cribs.count > 0 && rows[0].score.cribs < w.opts.cribs.count)
		warn_cribs_missing(KEY_PROGRAM, text.place, w.opts.cribs, rows[0].score.cribs);
	if (w.opts.table)
		write_table(model, w.opts.lang != nullptr, text.place, compact, judged, rows, shown, w.scratch, cribs_of(w));
	for (std::size_t rank = 0; !w.opts.table && rank < std::min(shown, rows.size()); rank++) {
		if (w.opts.decode)
			write_decoding(rows[rank], compact, w.scratch);
		else
			write_case(rows[rank], compact, text.bytes, w.scratch);
	}
	// Each text's answer goes out as soon as it is found, into a pipe as
	// to a terminal: the next text may be minutes away.
	std::fflush(stdout);
}

found_answers find_plain(const key_work &w, const text_line &text, std::span<const char> compact)
{
	// The runner-up is kept even when only the best is shown, for its margin.
	const std::size_t wanted = std::max<std::size_t>(w.opts.top, 2);
	const auto [kept, found] =
	    find_keys_in_languages(w.models, {w.compact, BUFFER_SIZE}, compact.size(), w.opts.min_key, w.opts.max_key,
	                           {w.best, wanted}, {w.trial, language_scratch(w.models.size(), wanted)},
	                           {w.scratch.decoded, BUFFER_SIZE}, cribs_of(w));
	if (!w.opts.any && w.opts.min_given && compact.size() >= 3 && static_cast<std::size_t>(w.opts.min_key) >= compact.size())
		std::fprintf(stderr, "%s: %s:%zu: --min-key %" PRId32 " is past this text's %zu bytes: no key was tried\n",
		             KEY_PROGRAM, text.place.file, text.place.line, w.opts.min_key, compact.size());
	for (std::size_t i = 0; i < found; i++)
		w.rows[i] = {w.best[i].key, {}, w.best[i]};
	return {kept, found};
}

found_answers find_keyed(const key_work &w, const cipher_type &type, const text_line &text, std::span<const char> compact)
{
	keyed_settings settings;
	settings.min_columns = w.opts.min_given ? w.opts.min_key : 2;
	settings.max_columns = w.opts.max_given ? w.opts.max_key : std::max(w.opts.min_key, 40);
	// Three rows by default, two with a crib, which rules out most of the
	// orders that so few rows let a search fit; as few as asked for when
	// the range is given.
	settings.min_rows = w.opts.max_given ? (w.opts.min_key == w.opts.max_key ? 1 : 2) : w.opts.cribs.count > 0 ? 2 : 3;
	settings.seed = w.opts.seed;
	settings.effort = w.opts.effort;
	settings.answers = std::max<std::size_t>(w.opts.top, 2);
	settings.cribs = cribs_of(w);
	settings.rows = type.search == search_kind::keyed_rows;
	if (const std::int32_t most = most_keyed_columns(compact.size(), settings); !w.opts.any && settings.min_columns > most)
		std::fprintf(stderr,
		             "%s: %s:%zu: --min-key %" PRId32 " is more columns than this text's %zu bytes allow"
		             " (%" PRId32 " with %" PRId32 " rows): it was not searched\n",
		             KEY_PROGRAM, text.place.file, text.place.line, settings.min_columns, compact.size(), std::max(most, 1),
		             std::max(settings.min_rows, 1));
	// With more than one language, each is searched for SURVEY_ROUNDS
	// rounds, and the one whose best answer scores highest in its own terms
	// is searched in full, as --lang would search it alone: the search in a
	// language the text is not in never settles, and would run all rounds.
	const language_model *kept = w.models[0];
	if (w.models.size() > 1) {
		keyed_settings survey = settings;
		survey.most_rounds = SURVEY_ROUNDS;
		const language_model *best_read = nullptr;
		key_score best{};
		for (const language_model *model : w.models) {
			w.solver->use(*model);
			const std::span<const keyed_answer> found = w.solver->solve(compact, survey, text.place);
			if (!found.empty() && scores_higher(*model, found[0].score, best_read, best)) {
				best_read = model;
				best = found[0].score;
			}
		}
		if (best_read != nullptr)
			kept = best_read;
	}
	w.solver->use(*kept);
	const std::span<const keyed_answer> answers = w.solver->solve(compact, settings, text.place);
	for (std::size_t i = 0; i < answers.size(); i++) {
		const keyed_answer &a = answers[i];
		w.rows[i] = {a.columns, {a.order, static_cast<std::size_t>(a.columns)}, a.score, w.solver->restarts_at(a) == 1};
		w.rows[i].score.cribs = a.cribs;
		if (!type.column_form)
			w.rows[i].type = &type;
	}
	return {kept, answers.size()};
}

namespace {

// Searches one text by a search made of jobs: a redefence's rails,
// offsets and orders, or an order fitted to a type's decodings, from
// `least` to `most` by default.
template <typename Search>
found_answers find_by_jobs(const key_work &w, const cipher_type &type, const text_line &text, std::span<const char> compact,
                           job_solver<Search> &solver, typename job_solver<Search>::settings settings, std::int32_t least,
                           std::int32_t most)
{
	// A range given in part keeps the default's other end, unless that
	// would leave it empty.
	settings.least = w.opts.min_given ? w.opts.min_key : w.opts.max_given ? std::min(least, w.opts.max_key) : least;
	settings.most = w.opts.max_given ? w.opts.max_key : std::max(settings.least, most);
	settings.seed = w.opts.seed;
	settings.effort = w.opts.effort;
	settings.answers = std::max<std::size_t>(w.opts.top, 2);
	settings.cribs = cribs_of(w);
	// Each language is searched in full, the search being bounded, and the
	// one whose best answer scores highest in its own terms is kept.  The
	// answers live in the solver, so the kept language is searched again
	// when another was searched after it.
	const language_model *kept = nullptr;
	key_score kept_best{};
	std::span<const typename job_solver<Search>::answer> answers;
	for (const language_model *model : w.models) {
		solver.use(*model);
		answers = solver.solve(compact, settings, text.place);
		if (!answers.empty() && scores_higher(*model, answers[0].score, kept, kept_best)) {
			kept = model;
			kept_best = answers[0].score;
		}
	}
	if (kept != nullptr && kept != w.models.back()) {
		solver.use(*kept);
		answers = solver.solve(compact, settings, text.place);
	}
	const std::size_t found = kept != nullptr ? answers.size() : 0;
	for (std::size_t i = 0; i < found; i++) {
		const auto &a = answers[i];
		const std::int32_t number = search_parts<Search>::number(a);
		w.rows[i] = {number, {a.order, static_cast<std::size_t>(number)}, a.score, search_parts<Search>::reached_once(a)};
		w.rows[i].score.cribs = a.cribs;
		w.rows[i].type = &type;
		w.rows[i].offset = search_parts<Search>::offset(a);
		if (type.ties)
			w.rows[i].tied = search_parts<Search>::tied(a);
		w.rows[i].second = search_parts<Search>::second(a);
	}
	if (found == 0 && !w.opts.any)
		std::fprintf(stderr, "%s: %s:%zu: no %.*s of %" PRId32 " to %" PRId32
		             " %.*s fits this text's %zu bytes: the text is left as it is\n",
		             KEY_PROGRAM, text.place.file, text.place.line, static_cast<int>(type.title.size()), type.title.data(),
		             settings.least, settings.most, static_cast<int>(type.number_name.size()), type.number_name.data(),
		             compact.size());
	return {kept, found};
}

} // namespace

found_answers find_rails(const key_work &w, const cipher_type &type, const text_line &text, std::span<const char> compact)
{
	return find_by_jobs(w, type, text, compact, *w.rails, rail_settings{}, 3, 10);
}

found_answers find_fitted(const key_work &w, const cipher_type &type, const text_line &text, std::span<const char> compact)
{
	fit_settings settings;
	settings.type = &type;
	// Keys whose ranks tie are often longer words: their columns are
	// searched further.
	return find_by_jobs(w, type, text, compact, *w.fits, settings, 2, type.ties ? 15 : 12);
}

found_answers find_doubled(const key_work &w, const cipher_type &type, const text_line &text, std::span<const char> compact)
{
	// Among every type, only keys of up to 10 columns: a wider pair costs
	// more than every other type's search together.
	return find_by_jobs(w, type, text, compact, *w.doubles, double_settings{}, 5, w.opts.any ? 10 : 20);
}

// The best keys of a type whose keys are all
// tried: every number and offset.
found_answers find_swept(const key_work &w, const cipher_type &type, const text_line &text, std::span<const char> compact)
{
	const std::size_t wanted = std::max<std::size_t>(w.opts.top, 2);
	const std::int64_t least = std::max<std::int64_t>(w.opts.min_given ? w.opts.min_key : 0, type.least_number);
	const std::int64_t most =
	    w.opts.max_given ? w.opts.max_key : std::max(least, sweep_most_number(type, compact.size()));
	const std::int64_t within = sweep_most_within_budget(type, compact.size(), least, most);
	const auto units = [&] { return static_cast<int>(type.number_name.size()); };
	if (!w.opts.any && within >= least && within < std::min({most, type.most_number, static_cast<std::int64_t>(compact.size()) - 1}))
		std::fprintf(stderr, "%s: %s:%zu: keys of more than %" PRId64 " %.*s would take too long: they were not tried\n",
		             KEY_PROGRAM, text.place.file, text.place.line, within, units(),
		             type.number_name.data());
	const language_model *kept = nullptr;
	std::size_t found = 0;
	for (std::size_t m = 0; m < w.models.size(); m++) {
		const std::span<sweep_answer> list{w.swept + (m % 2) * MOST_TOP, wanted};
		const std::size_t held = sweep_keys(type, *w.models[m], compact, least, most, list,
		                                    {w.swept + 2 * MOST_TOP, std::max(SHORTLIST, wanted)},
		                                    {w.scratch.decoded, BUFFER_SIZE},
		                                    cribs_of(w));
		if (held > 0 && scores_higher(*w.models[m], list[0].score, kept, w.rows[0].score)) {
			kept = w.models[m];
			found = held;
			for (std::size_t i = 0; i < held; i++) {
				w.rows[i] = {static_cast<std::int32_t>(list[i].number), {}, list[i].score};
				w.rows[i].type = &type;
				w.rows[i].offset = list[i].offset;
				w.rows[i].route = list[i].route;
			}
		}
	}
	if (found == 0 && !w.opts.any)
		std::fprintf(stderr, "%s: %s:%zu: no key of %" PRId64 " to %" PRId64 " %.*s was tried: the text is left as it is\n",
		             KEY_PROGRAM, text.place.file, text.place.line, least, most, units(), type.number_name.data());
	return {kept, found};
}
