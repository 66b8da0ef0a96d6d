// transpose: enciphers each line of text it reads by a column
// transposition, the columns read out from left to right or in the order
// of a keyword, one cipher text per line.  For puzzle makers and
// teachers, and for testing the programs that undo it.
#include "command_line.h"
#include "decoder.h"
#include "keyed_columns.h"
#include "orders.h"
#include "text_lines.h"

#include <getopt.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

#ifndef UNTRANSPOSE_VERSION
#define UNTRANSPOSE_VERSION "unknown"
#endif

namespace {

constexpr const char *PROGRAM = "transpose";

const char USAGE[] =
    "Usage: transpose (--key K | --keyword WORD | --order LIST) [--groups N]\n"
    "                 [--paragraphs] [FILE]...\n"
    "Encipher each line of text by a column transposition, one cipher text per\n"
    "line.  The line is normalised as untranspose normalises a text (its first\n"
    "9999 bytes, letters upper-cased, spaces dropped; tabs, carriage returns and\n"
    "no-break spaces count as spaces), written row after row into rows of K\n"
    "cells, and read out column by column.  Accented letters in UTF-8 count as\n"
    "their letters (a-umlaut as AE, sharp s as SS, e-acute as E), in texts and\n"
    "keywords; UTF-16 with a byte order mark is read too.\n"
    "\n"
    "\n"
    "  --key K          K columns, read out from left to right; untranspose\n"
    "                   decodes them with the key K\n"
    "  --keyword WORD   a column for each letter of WORD, read out in the\n"
    "                   alphabetical order of the letters, a repeated letter's\n"
    "                   columns from left to right (ZEBRAS is 6,3,2,4,1,5)\n"
    "  --order LIST     the columns' ranks, 1 to K, separated by commas: the\n"
    "                   column ranked 1 is read out first\n"
    "  --groups N       write the cipher text in groups of N bytes\n"
    "  --paragraphs     encipher each paragraph, its lines joined, as one text;\n"
    "                   paragraphs are separated by lines of only white space\n"
    "  -h, --help       print this help and exit\n"
    "  -V, --version    print the version and exit\n"
    "\n"
    "With no FILE, or when FILE is -, read standard input.\n"
    "\n"
    "  transpose --keyword zebras <<< 'we are discovered flee at once'\n"
    "\n"
    "prints EVLNACDTESEAROFODEECWIREE, and untranspose-key --keyword zebras\n"
    "turns it back into a case for untranspose.\n"
    "\n"
    "Exit status: 0 when every line was enciphered, 1 when a file could not be\n"
    "read or output could not be written, 2 for bad usage.\n";

struct options {
	std::int64_t key = 0;             // columns read left to right, if not 0
	std::size_t columns = 0;          // columns of a keyword or ranks
	std::int64_t groups = 0;
	std::int32_t *order = nullptr;    // their read order
	bool paragraphs = false;
};

enum option_code : int { KEY = 256, KEYWORD, ORDER, GROUPS, PARAGRAPHS, HELP, VERSION };

const struct option LONG_OPTIONS[] = {
    {"key", required_argument, nullptr, KEY},
    {"keyword", required_argument, nullptr, KEYWORD},
    {"order", required_argument, nullptr, ORDER},
    {"groups", required_argument, nullptr, GROUPS},
    {"paragraphs", no_argument, nullptr, PARAGRAPHS},
    {"help", no_argument, nullptr, HELP},
    {"version", no_argument, nullptr, VERSION},
    {nullptr, 0, nullptr, 0},
};

// Parses the options wherever they stand before "--", leaving the file
// names in argv[first..argc).  `ranks` has room for MOST_ORDER_COLUMNS.
// Returns -1 to go on, or the status to exit with.
int parse(int argc, char **argv, options &opts, std::int32_t *ranks, int &first)
{
	opterr = 0;
	int orders = 0;
	for (int code; (code = getopt_long(argc, argv, ":hV", LONG_OPTIONS, nullptr)) != -1;) {
		switch (code) {
		case 'h':
		case HELP:
			return print_and_exit(USAGE);
		case 'V':
		case VERSION:
			return print_and_exit("transpose " UNTRANSPOSE_VERSION "\n");
		case KEY:
			orders++;
			if (!parse_count(optarg, INT32_MAX, opts.key))
				return usage_error(PROGRAM, "--key takes a number from 1 to 2147483647, not", optarg);
			break;
		case KEYWORD:
			orders++;
			opts.columns = keyword_ranks(folded_argument(optarg), {ranks, MOST_ORDER_COLUMNS});
			if (opts.columns == 0)
				return usage_error(PROGRAM, "a keyword needs from 1 to 9999 letters, not", optarg);
			break;
		case ORDER:
			orders++;
			opts.columns = parse_ranks(optarg, {ranks, MOST_ORDER_COLUMNS});
			if (opts.columns == 0)
				return usage_error(PROGRAM, "an order is the ranks 1 to K, each once, separated by commas, not",
				                   optarg);
			break;
		case PARAGRAPHS:
			opts.paragraphs = true;
			break;
		case GROUPS:
			if (!parse_count(optarg, INT32_MAX, opts.groups))
				return usage_error(PROGRAM, "--groups takes a number from 1 to 2147483647, not", optarg);
			break;
		default:
			return option_error(PROGRAM, code, argv[optind - 1], KEY);
		}
	}
	if (orders != 1)
		return usage_error(PROGRAM, "give exactly one of --key, --keyword and --order", nullptr);
	first = optind;
	return -1;
}

struct work {
	const options &opts;
	char *line;
	char *compact;
	char *cipher;
};

void encipher(void *context, const text_line &text)
{
	const work &w = *static_cast<const work *>(context);
	std::memcpy(w.line, text.bytes.data(), text.bytes.size());
	std::memset(w.compact, 0, BUFFER_SIZE);
	const std::size_t length = normalize_text({w.line, text.bytes.size()}, {w.compact, BUFFER_SIZE});
	if (w.opts.columns > 0)
		encipher_keyed({w.compact, BUFFER_SIZE}, length, {w.opts.order, w.opts.columns}, {w.cipher, BUFFER_SIZE});
	else
		encipher_columns({w.compact, BUFFER_SIZE}, length, w.opts.key, {w.cipher, BUFFER_SIZE});
	const auto group = static_cast<std::size_t>(w.opts.groups);
	for (std::size_t at = 0; at < length;) {
		const std::size_t n = group == 0 ? length : std::min(group, length - at);
		if (at > 0)
			std::putchar(' ');
		std::fwrite(w.cipher + at, 1, n, stdout);
		at += n;
	}
	std::putchar('\n');
	// Each cipher text goes out whole as soon as it is made, into a pipe
	// as to a terminal.
	std::fflush(stdout);
}

struct release {
	void operator()(void *block) const noexcept { std::free(block); }
};

} // namespace

int main(int argc, char **argv)
{
#if defined(_WIN32)
	_setmode(_fileno(stdin), _O_BINARY);
	_setmode(_fileno(stdout), _O_BINARY);
#endif
	// Every buffer, allocated once: the ranks and read order of an order
	// given by hand, the line as read, its compact text and its cipher.
	const std::unique_ptr<void, release> block{
	    std::calloc(1, 2 * MOST_ORDER_COLUMNS * sizeof(std::int32_t) + 4 * BUFFER_SIZE)};
	if (!block) {
		std::fprintf(stderr, "%s: out of memory\n", PROGRAM);
		return 1;
	}
	auto *const ranks = static_cast<std::int32_t *>(block.get());
	auto *const bytes = reinterpret_cast<char *>(ranks + 2 * MOST_ORDER_COLUMNS);
	options opts;
	opts.order = ranks + MOST_ORDER_COLUMNS;
	int first = argc;
	if (const int status = parse(argc, argv, opts, ranks, first); status >= 0)
		return status;
	read_order({ranks, opts.columns}, {opts.order, opts.columns});

	const work w{opts, bytes + BUFFER_SIZE, bytes + 2 * BUFFER_SIZE, bytes + 3 * BUFFER_SIZE};
	const int status = read_text_lines(PROGRAM, {argv + first, static_cast<std::size_t>(argc - first)},
	                                   {bytes, BUFFER_SIZE}, opts.paragraphs, encipher, const_cast<work *>(&w));
	if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
		std::fprintf(stderr, "%s: write error: %s\n", PROGRAM, std::strerror(errno));
		return 1;
	}
	return status;
}
