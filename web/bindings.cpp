// The page's entry points into the same C++ as the programs: one text
// decoded as the filter decodes a case, the key finder's search, and the
// filter's own case loop over bytes in memory.  The page's script does the
// rest: reading the page, and showing what comes back.
#include "decoder.h"
#include "keyfinder.h"
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
key_score best[MOST_BEST];

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

struct memory_input {
	const char *next;
	std::size_t left;
	std::size_t given_back;
	bool ended_at_zero;
};

long read_memory(void *context, char *buffer, std::size_t size) noexcept
{
	auto &in = *static_cast<memory_input *>(context);
	const std::size_t n = std::min(size, in.left);
	std::memcpy(buffer, in.next, n);
	in.next += n;
	in.left -= n;
	return static_cast<long>(n);
}

void give_back_memory(void *context, std::size_t unused) noexcept
{
	auto &in = *static_cast<memory_input *>(context);
	in.given_back = unused;
	in.ended_at_zero = true;
}

struct memory_output {
	char *to;
	std::size_t room;
	std::size_t used;
};

memory_input last_input;
memory_output last_output;

bool write_memory(void *context, const char *bytes, std::size_t size) noexcept
{
	auto &out = *static_cast<memory_output *>(context);
	if (size > out.room - out.used)
		return false;
	std::memcpy(out.to + out.used, bytes, size);
	out.used += size;
	return true;
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

// Finds the `top` best keys of `size` bytes of `text`; returns how many.
// web_key(i) and web_score(i) give each, best first.
EMSCRIPTEN_KEEPALIVE std::size_t web_find_keys(const char *text, std::size_t size, std::size_t top)
{
	const std::size_t length = normalise(text, size);
	return find_keys({compact, BUFFER_SIZE}, length, 1, INT32_MAX, {best, std::min(top, MOST_BEST)},
	                 {decoded, BUFFER_SIZE});
}

EMSCRIPTEN_KEEPALIVE std::int32_t web_key(std::size_t i)
{
	return best[i].key;
}

EMSCRIPTEN_KEEPALIVE double web_score(std::size_t i)
{
	return log10_per_quadgram(best[i]);
}

// Runs the filter's case loop on `size` bytes of `input`, writing at most
// `room` bytes to `output`.  Returns the exit status; web_run_written()
// tells how many bytes were written, and web_run_ended_at_zero() whether
// the run ended at the key 0, web_run_unread() how many bytes followed it.
EMSCRIPTEN_KEEPALIVE int web_run_cases(const char *input, std::size_t size, char *output, std::size_t room)
{
	last_input = {input, size, 0, false};
	last_output = {output, room, 0};
	return run_cases(byte_source{read_memory, &last_input, give_back_memory},
	                 byte_sink{write_memory, &last_output});
}

EMSCRIPTEN_KEEPALIVE std::size_t web_run_written()
{
	return last_output.used;
}

EMSCRIPTEN_KEEPALIVE int web_run_ended_at_zero()
{
	return last_input.ended_at_zero ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE std::size_t web_run_unread()
{
	return last_input.given_back + last_input.left;
}
}
