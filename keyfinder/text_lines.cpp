#include "text_lines.h"

#include "white_space.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char *STANDARD_INPUT = "standard input";

struct reader {
	const char *program;
	std::span<char> buffer;
	line_handler handle;
	void *context;
	std::size_t texts = 0;
};

// Hands on one line of `length` bytes, of which the first `stored` are in
// the buffer.  A line whose text ends at a zero byte within the part kept
// loses nothing the filter would read, and is not cut.
void finish_line(reader &r, const char *file, std::size_t number, std::size_t length, std::size_t stored)
{
	if (length > stored && std::memchr(r.buffer.data(), '\0', stored) == nullptr)
		std::fprintf(stderr, "%s: %s:%zu: line longer than %zu bytes; only its first %zu are read\n",
		             r.program, file, number, TEXT_LIMIT, TEXT_LIMIT);
	const std::size_t kept = space_separators(r.buffer.first(stored));
	r.handle(r.context, {r.buffer.first(kept), {file, number, ++r.texts}});
}

// Reads every line of `in`; false on a read error.
bool read_file(reader &r, std::FILE *in, const char *file)
{
	std::size_t length = 0, number = 0;
	bool carriage_return = false;
	const auto end_line = [&] {
		// A carriage return before the line feed belongs to the line end.
		if (carriage_return)
			length--;
		finish_line(r, file, ++number, length, length < TEXT_LIMIT ? length : TEXT_LIMIT);
		length = 0;
		carriage_return = false;
	};
	for (int c; (c = std::getc(in)) != EOF;) {
		if (c == '\n') {
			end_line();
			continue;
		}
		if (length < TEXT_LIMIT)
			r.buffer[length] = static_cast<char>(c);
		length++;
		carriage_return = c == '\r';
	}
	if (length > 0)
		end_line();
	return std::ferror(in) == 0;
}

} // namespace

int read_text_lines(const char *program, std::span<char *const> names, std::span<char> buffer,
                    line_handler handle, void *context)
{
	reader r{program, buffer.first(TEXT_LIMIT), handle, context};
	int status = 0;
	const std::size_t count = names.empty() ? 1 : names.size();
	for (std::size_t n = 0; n < count; n++) {
		const char *name = names.empty() ? "-" : names[n];
		const bool is_stdin = std::strcmp(name, "-") == 0;
		std::FILE *in = is_stdin ? stdin : std::fopen(name, "rb");
		if (in == nullptr) {
			std::fprintf(stderr, "%s: %s: %s\n", program, name, std::strerror(errno));
			status = 1;
			continue;
		}
		errno = 0;
		if (!read_file(r, in, is_stdin ? STANDARD_INPUT : name)) {
			std::fprintf(stderr, "%s: %s: %s\n", program, is_stdin ? STANDARD_INPUT : name,
			             errno != 0 ? std::strerror(errno) : "read error");
			status = 1;
		}
		if (is_stdin)
			std::clearerr(stdin);
		else
			std::fclose(in);
	}
	return status;
}
