#include "text_lines.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char *STANDARD_INPUT = "standard input";

struct reading {
	const char *program;
	bool paragraphs;
	line_handler handle;
	void *context;
	int status = 0;
};

void hand_on(void *context, const text_line &text)
{
	const reading &r = *static_cast<const reading *>(context);
	r.handle(r.context, text);
}

void warn(void *context, reading_problem problem, const line_place &place, std::size_t count)
{
	reading &r = *static_cast<reading *>(context);
	switch (problem) {
	case reading_problem::cut:
		std::fprintf(stderr, "%s: %s:%zu: %s longer than %zu bytes; only its first %zu are read\n", r.program,
		             place.file, place.line, r.paragraphs ? "paragraph" : "line", TEXT_LIMIT, TEXT_LIMIT);
		return;
	case reading_problem::unpaired_surrogate:
		std::fprintf(stderr, "%s: %s:%zu: %zu unpaired UTF-16 surrogate%s (the first on this line), read as U+FFFD\n",
		             r.program, place.file, place.line, count, count == 1 ? "" : "s");
		break;
	case reading_problem::odd_byte:
		std::fprintf(stderr, "%s: %s: UTF-16 of an odd number of bytes: the last byte was not read\n", r.program,
		             place.file);
		break;
	}
	r.status = 1;
}

} // namespace

int read_text_lines(const char *program, std::span<char *const> names, std::span<char> buffer, bool paragraphs,
                    line_handler handle, void *context)
{
	reading r{program, paragraphs, handle, context};
	text_reader reader;
	reader.paragraphs = paragraphs;
	reader.buffer = buffer.first(TEXT_LIMIT);
	reader.handle = hand_on;
	reader.warn = warn;
	reader.context = &r;
	const std::size_t count = names.empty() ? 1 : names.size();
	for (std::size_t n = 0; n < count; n++) {
		const char *name = names.empty() ? "-" : names[n];
		const bool is_stdin = std::strcmp(name, "-") == 0;
		std::FILE *in = is_stdin ? stdin : std::fopen(name, "rb");
		if (in == nullptr) {
			std::fprintf(stderr, "%s: %s: %s\n", program, name, std::strerror(errno));
			r.status = 1;
			continue;
		}
		const char *file = is_stdin ? STANDARD_INPUT : name;
		start_file(reader, file);
		errno = 0;
		for (int c; (c = std::getc(in)) != EOF;)
			read_byte(reader, static_cast<unsigned char>(c));
		const bool failed = std::ferror(in) != 0;
		const int error = errno;
		end_file(reader);
		if (failed) {
			std::fprintf(stderr, "%s: %s: %s\n", program, file, error != 0 ? std::strerror(error) : "read error");
			r.status = 1;
		}
		if (is_stdin)
			std::clearerr(stdin);
		else
			std::fclose(in);
	}
	return r.status;
}
