// untranspose-key: finds the key of each English cipher text it reads, one
// text per line, and writes a case stream for untranspose, or a table of
// the best keys for a person to read.  Command line and output; the
// search is in keyfinder.cpp, the reading in text_lines.cpp.
#include "decoder.h"
#include "keyfinder.h"
#include "text_lines.h"

#include <getopt.h>

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
    "same way; tabs, carriage returns, form feeds and no-break spaces count\n"
    "as spaces, and a CR LF line end as a line end.  Letters are scored\n"
    "against English quadgram statistics.  A text whose best decoding does\n"
    "not look like English is named on standard error.\n"
    "\n"
    "  --top N        write the N best keys of each text, best first, each as\n"
    "                 a case of its own (1 to 1000; default 1)\n"
    "  --table        print a table of the best keys for people, not cases\n"
    "  --min-key K    try no key below K (default 1)\n"
    "  --max-key K    try no key above K (default: the text's length - 1)\n"
    "  -h, --help     print this help and exit\n"
    "  -V, --version  print the version and exit\n"
    "\n"
    "Options may come before or after the file names; after --, every\n"
    "argument is a file name.\n"
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

enum option_code : int { TOP = 256, TABLE, MIN_KEY, MAX_KEY, HELP, VERSION };

const struct option LONG_OPTIONS[] = {
    {"top", required_argument, nullptr, TOP},
    {"table", no_argument, nullptr, TABLE},
    {"min-key", required_argument, nullptr, MIN_KEY},
    {"max-key", required_argument, nullptr, MAX_KEY},
    {"help", no_argument, nullptr, HELP},
    {"version", no_argument, nullptr, VERSION},
    {nullptr, 0, nullptr, 0},
};

// Parses the options wherever they stand before "--", leaving the file
// names, in order, in argv[first..argc).  Returns -1 to go on, or the
// status to exit with.
int parse(int argc, char **argv, options &opts, int &first)
{
	opterr = 0;
	for (int code; (code = getopt_long(argc, argv, ":hV", LONG_OPTIONS, nullptr)) != -1;) {
		const char *arg = argv[optind - 1];
		std::int64_t number = 0;
		switch (code) {
		case 'h':
		case HELP:
			std::fputs(USAGE, stdout);
			return std::fflush(stdout) == 0 ? 0 : 1;
		case 'V':
		case VERSION:
			std::printf("%s %s\n", PROGRAM, UNTRANSPOSE_VERSION);
			return std::fflush(stdout) == 0 ? 0 : 1;
		case TABLE:
			opts.table = true;
			break;
		case TOP:
			if (!parse_count(optarg, MOST_TOP, number))
				return usage_error("--top takes a number from 1 to 1000, not", optarg);
			opts.top = static_cast<std::size_t>(number);
			break;
		case MIN_KEY:
		case MAX_KEY:
			if (!parse_count(optarg, INT32_MAX, number))
				return usage_error("a key is a number from 1 to 2147483647, not", optarg);
			(code == MIN_KEY ? opts.min_key : opts.max_key) = static_cast<std::int32_t>(number);
			break;
		case ':':
			// Some getopt_long report a value given to an option that takes
			// none as a missing one.
			if (std::strchr(arg, '=') != nullptr)
				return usage_error("this option takes no value:", arg);
			return usage_error("missing value for", arg);
		default:
			// An option of ours given a value it does not take, or one that
			// is not ours; a short one is named alone, not with its cluster.
			if (optopt >= TOP)
				return usage_error("this option takes no value:", arg);
			if (optopt != 0) {
				const char flag[] = {'-', static_cast<char>(optopt), '\0'};
				return usage_error("unknown option", flag);
			}
			return usage_error("unknown option", arg);
		}
	}
	if (opts.min_key > opts.max_key)
		return usage_error("--min-key is above --max-key:", std::to_string(opts.min_key).c_str());
	first = optind;
	return -1;
}

// The buffers of the whole run, allocated once.
struct work {
	const options &opts;
	char *line;
	char *compact;
	char *decoded;
	key_score *best;
};

void write_case(std::int32_t key, std::span<const char> line)
{
	std::printf("%" PRId32 "\n", key);
	std::fwrite(line.data(), 1, line.size(), stdout);
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

std::size_t count_letters(const char *text, std::size_t length)
{
	return static_cast<std::size_t>(
	    std::count_if(text, text + length, [](char c) { return c >= 'A' && c <= 'Z'; }));
}

void write_table(const work &w, const line_place &place, std::size_t length, std::size_t found, verdict said)
{
	const std::size_t letters = count_letters(w.compact, length);
	std::printf("text %zu (%s:%zu): ", place.text, place.file, place.line);
	if (letters == length)
		std::printf("%zu letters", letters);
	else
		std::printf("%zu bytes after normalising, %zu of them letters", length, letters);
	switch (said) {
	case verdict::too_short:
		std::printf("; too short to judge\n");
		break;
	case verdict::english:
		std::printf("; looks like English\n");
		break;
	case verdict::not_english:
		std::printf("; does not look like English (below %.2f)\n", ENGLISH_FLOOR);
		break;
	}
	std::printf("%4s %6s %14s %8s  %s\n", "rank", "key", "log10/quadgram", "margin", "decoding");
	const double best = log10_per_quadgram(w.best[0]);
	for (std::size_t rank = 0; rank < std::min(found, w.opts.top); rank++) {
		const key_score &score = w.best[rank];
		std::printf("%4zu %6" PRId32 " ", rank + 1, score.key);
		if (score.quadgrams == 0) {
			// Fewer than four letters: nothing was scored.
			std::printf("%14s %8s  ", "-", "-");
		} else {
			// The best key's lead over the runner-up, if there is one; for
			// the others, how far each is behind the best.
			const double mine = log10_per_quadgram(score);
			if (rank == 0 && found == 1)
				std::printf("%14.3f %8s  ", mine, "-");
			else
				std::printf("%14.3f %+8.3f  ", mine, rank == 0 ? mine - log10_per_quadgram(w.best[1]) : mine - best);
		}
		decode_columns({w.compact, BUFFER_SIZE}, length, score.key, {w.decoded, BUFFER_SIZE});
		show_start(w.decoded, length);
	}
	if (static_cast<std::size_t>(w.best[0].key) >= length && length >= 3)
		std::printf("(no key was tried: keys of %zu or more leave this text as it is)\n", length);
	std::putchar('\n');
}

// Answers one text line.
void answer(void *context, const text_line &text)
{
	const work &w = *static_cast<const work *>(context);
	// normalize_text upper-cases the line in place; the case stream must
	// carry it as it was read, and letters' case changes nothing else.
	std::memcpy(w.line, text.bytes.data(), text.bytes.size());
	std::memset(w.compact, 0, BUFFER_SIZE);
	const std::size_t length = normalize_text({w.line, text.bytes.size()}, {w.compact, BUFFER_SIZE});
	// The runner-up is kept even when only the best is shown, for its margin.
	const std::size_t found = find_keys({w.compact, BUFFER_SIZE}, length, w.opts.min_key, w.opts.max_key,
	                                    {w.best, std::max<std::size_t>(w.opts.top, 2)}, {w.decoded, BUFFER_SIZE});
	const verdict said = judge(w.best[0]);
	if (said == verdict::not_english)
		std::fprintf(stderr,
		             "%s: %s:%zu: no key gives English (at best %.2f log10 per quadgram, below %.2f); "
		             "try --top or --table to see the keys\n",
		             PROGRAM, text.place.file, text.place.line, log10_per_quadgram(w.best[0]), ENGLISH_FLOOR);
	if (w.opts.table)
		return write_table(w, text.place, length, found, said);
	for (std::size_t rank = 0; rank < std::min(found, w.opts.top); rank++)
		write_case(w.best[rank].key, text.bytes);
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

	// Every buffer, allocated once: the line as read, the line as
	// normalising leaves it, the compact text, a decoding and the best keys.
	const std::unique_ptr<void, release> block{
	    std::calloc(1, 4 * BUFFER_SIZE + MOST_TOP * sizeof(key_score))};
	if (!block) {
		std::fprintf(stderr, "%s: out of memory\n", PROGRAM);
		return 1;
	}
	auto *const bytes = static_cast<char *>(block.get());
	const work w{opts, bytes + BUFFER_SIZE, bytes + 2 * BUFFER_SIZE, bytes + 3 * BUFFER_SIZE,
	             reinterpret_cast<key_score *>(bytes + 4 * BUFFER_SIZE)};

	const int status = read_text_lines(PROGRAM, {argv + first, static_cast<std::size_t>(argc - first)},
	                                   {bytes, BUFFER_SIZE}, answer, const_cast<work *>(&w));
	if (!opts.table)
		std::fputs("0\n", stdout);
	if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
		std::fprintf(stderr, "%s: write error: %s\n", PROGRAM, std::strerror(errno));
		return 1;
	}
	return status;
}
