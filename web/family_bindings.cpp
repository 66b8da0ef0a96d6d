// The page's entry points into the search of one type beyond the columns:
// begun, then run a job at a time, so that the worker running it can show
// how far it has gone and take a request to stop between jobs; its
// answers as they stand are shown at any time.
#include "cipher_types.h"
#include "family_steps.h"
#include "page_answers.h"

#include <emscripten/emscripten.h>

#include <cstdint>

namespace {

answer_row rows[MOST_PAGE_ANSWERS];

} // namespace

extern "C" {

// Whether the type numbered `i` is searched here, rather than by the
// column searches.
EMSCRIPTEN_KEEPALIVE bool web_family_searches(std::size_t i)
{
	const std::span<const cipher_type> types = cipher_types();
	return i < types.size() && family_searches(types[i]);
}

// Starts the search of `size` bytes of `text` for a key of the type
// numbered `i`, in the language numbered `language`, or in each of them
// when it is -1, with the settings that untranspose-key --cipher takes by
// default, the seed aside, keeping the `answers` best.  False if the type
// is not searched here.
EMSCRIPTEN_KEEPALIVE bool web_family_begin(std::size_t i, const char *text, std::size_t size, int language, double seed,
                                           std::size_t answers)
{
	if (!web_family_searches(i))
		return false;
	const language_model *models[MOST_LANGUAGES];
	const std::size_t count = page_languages(language, models);
	family_begin(cipher_types()[i], set_searched_text(text, size), {models, count}, static_cast<std::uint64_t>(seed),
	             answers, false);
	return count > 0;
}

// Runs the search's next job; returns false once the search is done.
EMSCRIPTEN_KEEPALIVE bool web_family_step()
{
	return family_step();
}

// Whether the search's memory could not be had.
EMSCRIPTEN_KEEPALIVE bool web_family_failed()
{
	return family_failed();
}

EMSCRIPTEN_KEEPALIVE double web_family_progress()
{
	return family_progress();
}

EMSCRIPTEN_KEEPALIVE const char *web_family_doing()
{
	return family_doing();
}

// Shows the answers as they stand; returns how many.
EMSCRIPTEN_KEEPALIVE std::size_t web_family_show()
{
	const language_model *model = nullptr;
	const std::size_t count = family_answers(rows, model);
	if (model == nullptr)
		return 0;
	show_rows({rows, count}, *model);
	return count;
}

} // extern "C"
