// The page's entry points into the same C++ as the programs: one text
// decoded as the filter decodes a case, the key finder's search, and the
// filter's own case loop over a file streamed in by the page.  The page's script does the
// rest: reading the page, and showing what comes back.
#include "decoder.h"
#include "page_cribs.h"
#include "plain_sweep.h"
#include "run_cases.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// The working buffers of one text, allocated once with the module.
char line[BUFFER_SIZE];
char compact[BUFFER_SIZE];
char decoded[BUFFER_SIZE];
// The page asks for a few keys at a time.
constexpr std::size_t MOST_FOUND = 16;
key_score best[MOST_FOUND];
key_score trial[language_scratch(MOST_LANGUAGES, MOST_FOUND)];
const language_model *found_in;

// Normalises `size` bytes of `text` as the filter normalises a text line
// (its first 9999 bytes, up to a zero byte) into `compact`; returns L.
std::size_t normalise(const char *text, std::size_t size)
{
	std::memset(line, 0, sizeof line);
	std::memset(compact, 0, sizeof compact);
	const std::size_t kept = std::min(size, BUFFER_SIZE - 1);
	std::memcpy(line, text, kept);
	return normalize_text({line, kept}, compact);
}

// Case files are streamed: the page's script hands the case loop one
// piece of the file at a time and takes its output as it comes, so that a
// file of any size runs in the same fixed memory as the program's input.
EM_JS(long, read_from_page, (char *buffer, std::size_t size), {
	return Module['readInput'](buffer, size);
});

EM_JS(int, write_to_page, (const char *bytes, std::size_t size), {
	return Module['writeOutput'](bytes, size) ? 1 : 0;
});

struct page_input {
	std::size_t given_back;
	bool ended_at_zero;
};

page_input last_input;

long read_input(void *, char *buffer, std::size_t size) noexcept
{
	return read_from_page(buffer, size);
}

void give_back_input(void *context, std::size_t unused) noexcept
{
	auto &in = *static_cast<page_input *>(context);
	in.given_back = unused;
	in.ended_at_zero = true;
}

bool write_output(void *, const char *bytes, std::size_t size) noexcept
{
	return write_to_page(bytes, size) != 0;
}

} // namespace

extern "C" {

// Decodes `size` bytes of `text` with `key`; the decoded text is at
// web_decoded(), and its length is returned.
EMSCRIPTEN_KEEPALIVE std::size_t web_decode(const char *text, std::size_t size, std::int32_t key)
{
	const std::size_t length = normalise(text, size);
	std::memset(decoded, 0, sizeof decoded);
	decode_columns({compact, BUFFER_SIZE}, length, key == 0 ? 1 : key, {decoded, BUFFER_SIZE});
	return length;
}

EMSCRIPTEN_KEEPALIVE const char *web_decoded()
{
	return decoded;
}

// Finds the `top` best keys of `size` bytes of `text` in the language
// numbered `language` (from 0, as web_language_code numbers them), or in
// whichever fits best when it is -1; returns how many.  web_key(i) and
// web_score(i) give each, best first, and web_found_language() the
// language.
EMSCRIPTEN_KEEPALIVE std::size_t web_find_keys(const char *text, std::size_t size, std::size_t top, int language)
{
	const std::size_t length = normalise(text, size);
	const std::span<const std::string_view> codes = language_codes();
	const language_model *models[MOST_LANGUAGES];
	std::size_t count = 0;
	for (std::size_t i = 0; i < codes.size(); i++)
		if (language < 0 || static_cast<std::size_t>(language) == i)
			models[count++] = language_named(codes[i]);
	if (count == 0)
		models[count++] = language_named(codes[0]);
	const std::size_t wanted = std::min(top, MOST_FOUND);
	const language_keys kept = find_keys_in_languages({models, count}, {compact, BUFFER_SIZE}, length, 1, INT32_MAX,
	                                                  {best, wanted}, {trial, language_scratch(count, wanted)},
	                                                  {decoded, BUFFER_SIZE}, page_cribs());
	found_in = kept.model;
	return kept.found;
}

// The verdict on key i's decoding, as untranspose-key gives it: 0 too
// short to judge, 1 reads as the language, 2 does not.
EMSCRIPTEN_KEEPALIVE int web_key_verdict(std::size_t i)
{
	return static_cast<int>(judge(found_in != nullptr ? *found_in : *language_named("en"), best[i]));
}

// How many of the cribs key i's decoding holds.
EMSCRIPTEN_KEEPALIVE std::uint32_t web_key_cribs(std::size_t i)
{
	return best[i].cribs;
}

EMSCRIPTEN_KEEPALIVE int web_found_language()
{
	const std::span<const std::string_view> codes = language_codes();
	for (std::size_t i = 0; i < codes.size(); i++)
		if (found_in != nullptr && codes[i] == found_in->code)
			return static_cast<int>(i);
	return 0;
}

// The languages compiled in, from 0: their codes and names.
EMSCRIPTEN_KEEPALIVE std::size_t web_language_count()
{
	return language_codes().size();
}

EMSCRIPTEN_KEEPALIVE const char *web_language_code(std::size_t i)
{
	return language_codes()[i].data();
}

EMSCRIPTEN_KEEPALIVE const char *web_language_name(std::size_t i)
{
	return language_name(language_codes()[i]);
}

EMSCRIPTEN_KEEPALIVE std::int32_t web_key(std::size_t i)
{
	return best[i].key;
}

EMSCRIPTEN_KEEPALIVE double web_score(std::size_t i)
{
	return log10_per_quadgram(*found_in, best[i]);
}

// How many quadgrams the score of candidate i covers; with none, the score
// says nothing.
EMSCRIPTEN_KEEPALIVE std::size_t web_quadgrams(std::size_t i)
{
	return best[i].quadgrams;
}

// Runs the filter's case loop on the input that Module.readInput gives,
// handing every byte written to Module.writeOutput, and returns the exit
// status.  web_run_ended_at_zero() then tells whether the run ended at the
// key 0, and web_run_given_back() how many of the bytes read followed it.
EMSCRIPTEN_KEEPALIVE int web_run_cases()
{
	last_input = {0, false};
	return run_cases(byte_source{read_input, &last_input, give_back_input}, byte_sink{write_output, nullptr});
}

EMSCRIPTEN_KEEPALIVE int web_run_ended_at_zero()
{
	return last_input.ended_at_zero ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE std::size_t web_run_given_back()
{
	return last_input.given_back;
}
}
