// untranspose-key: finds the key of each English cipher text it reads, one
// text per line, and writes a case stream for untranspose, or a table of
// the best keys for a person to read.  Command line and I/O; the search is
// in keyfinder.cpp.
#include "decoder.h"
#include "keyfinder.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

#ifndef UNTRANSPOSE_VERSION
#define UNTRANSPOSE_VERSION "unknown"
#endif

namespace {

constexpr const char *PROGRAM = "untranspose-key";
constexpr int EXIT_USAGE = 2;
constexpr std::size_t TEXT_LIMIT = BUFFER_SIZE - 1;
constexpr std::size_t MOST_TOP = 1000;
constexpr std::size_t SHOWN_BYTES = 48;

const char USAGE[] =
    "Usage: untranspose-key [OPTION]... [FILE]...\n"
    "Find the key of each English text enciphered by a column transposition,\n"
    "one text per line, and write a case stream that untranspose decodes:\n"
    "\n"
    "  untranspose-key < ciphers.txt | untranspose\n"
    "\n"
    "With no FILE, or when FILE is -, read standard input.  Each line is read\n"
    "as untranspose reads a text line: its first 9999 bytes, normalised the\n"
    "same way; letters are scored against English quadgram statistics.\n"
    "\n"
    "  --top N        write the N best keys of each text, best first, each as\n"
    "                 a case of its own (1 to 1000; default 1)\n"
    "  --table        print a table of the best keys for people, not cases\n"
    "  --min-key K    try no key below K (default 1)\n"
    "  --max-key K    try no key above K (default: the text's length - 1)\n"
    "  --help         print this help and exit\n"
    "  --version      print the version and exit\n"
    "\n"
    "Exit status: 0 when every text was read and answered, 1 when a file\n"
    "could not be read or output could not be written, 2 for bad usage.\n";

struct options {
	std::size_t top = 1;
	bool table = false;
	std::int32_t min_key = 1;
	std::int32_t max_key = INT32_MAX;
};

int usage_error(const char *problem, const char *what)
{
	std::fprintf(stderr, "%s: %s '%s' (see '%s --help')\n", PROGRAM, problem, what, PROGRAM);
	return EXIT_USAGE;
}

// A whole decimal number from 1 to `most`, or false.
bool parse_count(const char *text, std::int64_t most, std::int64_t &value)
{
	if (*text == '\0')
		return false;
	value = 0;
	for (const char *c = text; *c != '\0'; c++) {
		if (*c < '0' || *c > '9')
			return false;
		value = value * 10 + (*c - '0');
		if (value > most)
			return false;
	}
	return value >= 1;
}

// Parses the options, leaving the file names in argv[first..argc).
// Returns -1 to go on, or the status to exit with.
int parse(int argc, char **argv, options &opts, int &first)
{
	int i = 1;
	for (; i < argc; i++) {
		const char *arg = argv[i];
		if (std::strcmp(arg, "--") == 0) {
			i++;
			break;
		}
		if (arg[0] != '-' || arg[1] == '\0')
			break;
		if (std::strcmp(arg, "--help") == 0) {
			std::fputs(USAGE, stdout);
			return std::fflush(stdout) == 0 ? 0 : 1;
		}
		if (std::strcmp(arg, "--version") == 0) {
			std::printf("%s %s\n", PROGRAM, UNTRANSPOSE_VERSION);
			return std::fflush(stdout) == 0 ? 0 : 1;
		}
		if (std::strcmp(arg, "--table") == 0) {
			opts.table = true;
			continue;
		}
		// --name VALUE or --name=VALUE.
		const char *equals = std::strchr(arg, '=');
		const std::size_t name_length = equals != nullptr ? static_cast<std::size_t>(equals - arg) : std::strlen(arg);
		const char *value = equals != nullptr ? equals + 1 : nullptr;
		const auto is = [&](const char *name) {
			return std::strlen(name) == name_length && std::strncmp(arg, name, name_length) == 0;
		};
		if (!is("--top") && !is("--min-key") && !is("--max-key"))
			return usage_error("unknown option", arg);
		if (value == nullptr) {
			if (i + 1 == argc)
				return usage_error("missing value for", arg);
			value = argv[++i];
		}
		std::int64_t number = 0;
		if (is("--top")) {
			if (!parse_count(value, MOST_TOP, number))
				return usage_error("--top takes a number from 1 to 1000, not", value);
			opts.top = static_cast<std::size_t>(number);
		} else {
			if (!parse_count(value, INT32_MAX, number))
				return usage_error("a key is a number from 1 to 2147483647, not", value);
			(is("--min-key") ? opts.min_key : opts.max_key) = static_cast<std::int32_t>(number);
		}
	}
	if (opts.min_key > opts.max_key)
		return usage_error("--min-key is above --max-key:", std::to_string(opts.min_key).c_str());
	first = i;
	return -1;
}

// The buffers of the whole run, allocated once.
struct work {
	char *line;
	char *compact;
	char *decoded;
	key_score *best;
};

void write_case(std::int32_t key, const char *line, std::size_t stored)
{
	std::printf("%" PRId32 "\n", key);
	std::fwrite(line, 1, stored, stdout);
	std::putchar('\n');
}

// Up to SHOWN_BYTES of a decoding, with bytes a terminal would not show as
// dots.
void show_start(const char *text, std::size_t length)
{
	for (std::size_t i = 0; i < std::min(length, SHOWN_BYTES); i++) {
		const auto byte = static_cast<unsigned char>(text[i]);
		std::putchar(byte >= 0x20 && byte < 0x7f ? byte : '.');
	}
	if (length > SHOWN_BYTES)
		std::fputs("...", stdout);
	std::putchar('\n');
}

void write_table(const work &w, std::size_t length, std::size_t found, std::size_t text_number)
{
	std::printf("text %zu: %zu bytes\n", text_number, length);
	std::printf("%4s %6s %14s %8s  %s\n", "rank", "key", "log10/quadgram", "margin", "decoding");
	const double best = log10_per_quadgram(w.best[0]);
	for (std::size_t rank = 0; rank < found; rank++) {
		const key_score &score = w.best[rank];
		const double mine = log10_per_quadgram(score);
		// The best key's lead over the runner-up; for the others, how far
		// each is behind the best.
		const double margin = rank == 0 ? (found > 1 ? mine - log10_per_quadgram(w.best[1]) : 0) : mine - best;
		std::printf("%4zu %6" PRId32 " %14.3f %+8.3f  ", rank + 1, score.key, mine, margin);
		decode_columns({w.compact, BUFFER_SIZE}, length, score.key, {w.decoded, BUFFER_SIZE});
		show_start(w.decoded, length);
	}
	std::putchar('\n');
}

// Answers one text line: its first `stored` bytes, as untranspose would
// read them.
void answer(const work &w, const options &opts, std::size_t stored, std::size_t text_number)
{
	std::memset(w.compact, 0, BUFFER_SIZE);
	const std::size_t length = normalize_text({w.line, stored}, {w.compact, BUFFER_SIZE});
	// normalize_text upper-cases the line in place; the case stream must
	// carry it as it was read, and letters' case changes nothing else.
	const std::size_t found = find_keys({w.compact, BUFFER_SIZE}, length, opts.min_key, opts.max_key,
	                                    {w.best, opts.top}, {w.decoded, BUFFER_SIZE});
	if (opts.table)
		return write_table(w, length, found, text_number);
	for (std::size_t rank = 0; rank < found; rank++)
		write_case(w.best[rank].key, w.line + BUFFER_SIZE, stored);
}

// Reads every line of `file`; false on a read error.
bool read_lines(std::FILE *file, const work &w, const options &opts, std::size_t &text_number)
{
	char *const raw = w.line + BUFFER_SIZE;
	std::size_t stored = 0;
	bool in_line = false;
	for (int c; (c = std::getc(file)) != EOF;) {
		if (c == '\n') {
			std::memcpy(w.line, raw, stored);
			answer(w, opts, stored, ++text_number);
			stored = 0;
			in_line = false;
			continue;
		}
		in_line = true;
		if (stored < TEXT_LIMIT)
			raw[stored++] = static_cast<char>(c);
	}
	if (in_line) {
		std::memcpy(w.line, raw, stored);
		answer(w, opts, stored, ++text_number);
	}
	return std::ferror(file) == 0;
}

struct release {
	void operator()(void *block) const noexcept { std::free(block); }
};

} // namespace

int main(int argc, char **argv)
{
#if defined(_WIN32)
	// Bytes in and out, as on every other system, --help and --version too.
	_setmode(_fileno(stdin), _O_BINARY);
	_setmode(_fileno(stdout), _O_BINARY);
#endif
	options opts;
	int first = argc;
	if (const int status = parse(argc, argv, opts, first); status >= 0)
		return status;

	// Every buffer, allocated once: the line twice (as read, and as
	// normalising leaves it), the compact text, a decoding and the best keys.
	const std::unique_ptr<void, release> block{
	    std::calloc(1, 4 * BUFFER_SIZE + MOST_TOP * sizeof(key_score))};
	if (!block) {
		std::fprintf(stderr, "%s: out of memory\n", PROGRAM);
		return 1;
	}
	auto *const bytes = static_cast<char *>(block.get());
	const work w{bytes, bytes + 2 * BUFFER_SIZE, bytes + 3 * BUFFER_SIZE,
	             reinterpret_cast<key_score *>(bytes + 4 * BUFFER_SIZE)};

	int status = 0;
	std::size_t text_number = 0;
	const char *const standard_input[] = {"-"};
	const bool named = first < argc;
	const int count = named ? argc - first : 1;
	for (int n = 0; n < count; n++) {
		const char *name = named ? argv[first + n] : standard_input[0];
		const bool is_stdin = std::strcmp(name, "-") == 0;
		std::FILE *file = is_stdin ? stdin : std::fopen(name, "rb");
		if (file == nullptr) {
			std::fprintf(stderr, "%s: %s: %s\n", PROGRAM, name, std::strerror(errno));
			status = 1;
			continue;
		}
		errno = 0;
		if (!read_lines(file, w, opts, text_number)) {
			std::fprintf(stderr, "%s: %s: %s\n", PROGRAM, is_stdin ? "standard input" : name,
			             errno != 0 ? std::strerror(errno) : "read error");
			status = 1;
		}
		if (is_stdin)
			std::clearerr(stdin);
		else
			std::fclose(file);
	}
	if (!opts.table)
		std::fputs("0\n", stdout);
	if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
		std::fprintf(stderr, "%s: write error: %s\n", PROGRAM, std::strerror(errno));
		return 1;
	}
	return status;
}
