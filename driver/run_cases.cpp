#include "run_cases.h"

#include "decoder.h"
#include "small_bytes.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// Input is read in large blocks and output gathered into one, so that a
// file of many small cases costs few system calls.
constexpr std::size_t INPUT_SIZE = 64 * 1024;
constexpr std::size_t OUTPUT_SIZE = 32 * 1024;
constexpr std::size_t TEXT_LIMIT = BUFFER_SIZE - 1;
// Bytes after the input and output blocks that may be read or written but
// are never used, so that short lines can be looked for and moved a fixed
// SHORT_SPAN bytes at a time.
constexpr std::size_t INPUT_SLACK = SHORT_SPAN;
constexpr std::size_t OUTPUT_SLACK = SHORT_SPAN;

struct writer {
	byte_sink sink;
	char *buffer;
	std::size_t used;
	bool failed;
};

bool flush(writer &out) noexcept
{
	if (out.used > 0 && !out.failed)
		out.failed = !out.sink.write(out.sink.context, out.buffer, out.used);
	out.used = 0;
	return !out.failed;
}

void put_line(writer &out, const char *text, std::size_t length) noexcept
{
	if (OUTPUT_SIZE - out.used <= length)
		flush(out);
	if (length <= SHORT_SPAN)
		copy_short(out.buffer + out.used, text, length);
	else
		copy_bytes(out.buffer + out.used, text, length);
	out.buffer[out.used + length] = '\n';
	out.used += length + 1;
}

struct reader {
	byte_source source;
	char *buffer;
	const char *next;
	const char *end;
	writer *pending;
	bool ended;
	bool failed;
};

// Makes more input available, or returns false at its end.  Whatever has
// been decoded so far is written out first: the read may block, and a
// caller that talks to us a case at a time is waiting for those lines.
bool refill(reader &in) noexcept
{
	if (in.ended)
		return false;
	if (!flush(*in.pending)) {
		in.ended = true;
		return false;
	}
	const long got = in.source.read(in.source.context, in.buffer, INPUT_SIZE);
	if (got <= 0) {
		in.ended = true;
		in.failed = got < 0;
		return false;
	}
	in.next = in.buffer;
	in.end = in.buffer + got;
	return true;
}

// The first newline in [from, end), or null.  Most lines are short, so the
// first SHORT_SPAN bytes are tested at once before calling memchr; they may
// reach past `end` into the slack, but those bytes are not taken.
const char *find_newline(const char *from, const char *end) noexcept
{
	const std::size_t at = find_short(from, '\n');
	const auto available = static_cast<std::size_t>(end - from);
	if (at < SHORT_SPAN)
		return at < available ? from + at : nullptr;
	if (available <= SHORT_SPAN)
		return nullptr;
	return static_cast<const char *>(std::memchr(from + SHORT_SPAN, '\n', available - SHORT_SPAN));
}

bool is_space(char c) noexcept
{
	return c == ' ' || (c >= '\t' && c <= '\r');
}

enum class key_line { number, no_number, end_of_input };

// Reads a decimal key after any white space.  Keys beyond the 32-bit range
// saturate; the digits are counted in 64 bits and capped at 2^31, so that
// no number of digits can overflow.
key_line read_key(reader &in, std::int32_t &key) noexcept
{
	// Most key lines are a few digits straight after the last text line;
	// with room for them in the block, they are read without looking for
	// its end at every byte.
	if (in.end - in.next > 10) {
		const char *digit = in.next;
		std::int32_t value = 0;
		for (; digit < in.next + 9; digit++) {
			const auto d = static_cast<unsigned char>(*digit - '0');
			if (d > 9)
				break;
			value = value * 10 + d;
		}
		if (digit > in.next && static_cast<unsigned char>(*digit - '0') > 9) {
			in.next = digit;
			key = value;
			return key_line::number;
		}
	}
	for (;;) {
		while (in.next < in.end && is_space(*in.next))
			in.next++;
		if (in.next < in.end)
			break;
		if (!refill(in))
			return key_line::end_of_input;
	}

	const bool negative = *in.next == '-';
	if (*in.next == '+' || *in.next == '-')
		in.next++;

	constexpr std::int64_t cap = std::int64_t{1} << 31;
	std::int64_t magnitude = 0;
	bool digits = false;
	for (;;) {
		if (in.next == in.end && !refill(in))
			break;
		const auto digit = static_cast<unsigned char>(*in.next - '0');
		if (digit > 9)
			break;
		magnitude = std::min(magnitude * 10 + digit, cap);
		digits = true;
		in.next++;
	}
	if (!digits)
		return key_line::no_number;
	key = static_cast<std::int32_t>(negative ? -magnitude : std::min(magnitude, cap - 1));
	return key_line::number;
}

// Skips input up to and including the next newline.
void skip_line(reader &in) noexcept
{
	if (in.next < in.end && *in.next == '\n') {
		in.next++;
		return;
	}
	for (;;) {
		const auto *newline = static_cast<const char *>(
		    std::memchr(in.next, '\n', static_cast<std::size_t>(in.end - in.next)));
		if (newline != nullptr) {
			in.next = newline + 1;
			return;
		}
		in.next = in.end;
		if (!refill(in))
			return;
	}
}

// Stores the next line, without its newline, in `line`: its first
// TEXT_LIMIT bytes, the rest being skipped so that the line after it is
// still read as a key line.  Returns the number of bytes stored.
std::size_t read_line(reader &in, char *line) noexcept
{
	std::size_t stored = 0;
	for (;;) {
		const auto available = static_cast<std::size_t>(in.end - in.next);
		const char *newline = find_newline(in.next, in.end);
		const std::size_t chunk = newline != nullptr ? static_cast<std::size_t>(newline - in.next) : available;
		const std::size_t take = std::min(chunk, TEXT_LIMIT - stored);
		if (take <= SHORT_SPAN && stored == 0)
			copy_short(line, in.next, take);
		else
			copy_bytes(line + stored, in.next, take);
		stored += take;
		if (newline != nullptr) {
			in.next = newline + 1;
			return stored;
		}
		in.next = in.end;
		if (!refill(in))
			return stored;
	}
}

struct release {
	void operator()(char *block) const noexcept { std::free(block); }
};

} // namespace

int run_cases(byte_source input, byte_sink output) noexcept
{
	// Every buffer is allocated here, once, and reused by every case.
	constexpr std::size_t total = 3 * BUFFER_SIZE + OUTPUT_SIZE + OUTPUT_SLACK + INPUT_SIZE + INPUT_SLACK;
	const std::unique_ptr<char, release> block{static_cast<char *>(std::calloc(1, total))};
	if (!block)
		return RUN_FAILED;
	char *const line = block.get();
	char *const compact = line + BUFFER_SIZE;
	char *const decoded = compact + BUFFER_SIZE;

	writer out{output, decoded + BUFFER_SIZE, 0, false};
	reader in{input, out.buffer + OUTPUT_SIZE + OUTPUT_SLACK, nullptr, nullptr, &out, false, false};
	in.next = in.end = in.buffer;

	int status = RUN_OK;
	for (bool first = true; !out.failed; first = false) {
		std::int32_t key = 0;
		const key_line got = read_key(in, key);
		if (got == key_line::no_number && !first)
			status = RUN_FAILED;
		if (in.failed || got != key_line::number)
			break;
		if (key == 0) {
			if (input.give_back != nullptr)
				input.give_back(input.context, static_cast<std::size_t>(in.end - in.next));
			break;
		}

		// A case cut short by a read error is not printed: its key or
		// text may be only part of what the input held.
		skip_line(in);
		const std::size_t stored = read_line(in, line);
		if (in.failed)
			break;
		// The whole buffer is handed over: the text ends at its zero byte,
		// and the vector kernels need not stop short of it.
		const std::size_t length = normalize_text({line, BUFFER_SIZE}, {compact, BUFFER_SIZE});
		decode_columns({compact, BUFFER_SIZE}, length, key, {decoded, BUFFER_SIZE});
		put_line(out, decoded, length);

		// The buffers are zero again for the next case; only the bytes
		// this case wrote can be nonzero.
		clear_written(line, stored);
		clear_written(compact, length);
		clear_written(decoded, length);
	}
	flush(out);
	return in.failed || out.failed ? RUN_FAILED : status;
}
