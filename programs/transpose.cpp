// transpose: enciphers each line of text it reads by a column
// transposition, the columns read out from left to right or in the order
// of a keyword, one cipher text per line.  For puzzle makers and
// teachers, and for testing the programs that undo it.
#include "arguments.h"
#include "cipher_options.h"
#include "command_line.h"
#include "decoder.h"
#include "orders.h"
#include "text_lines.h"

#include <getopt.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>


#ifndef UNTRANSPOSE_VERSION
#define UNTRANSPOSE_VERSION "unknown"
#endif

namespace {

constexpr const char *PROGRAM = "transpose";

const char USAGE_HEAD[] =
    "Usage: transpose [--cipher TYPE] (--key K | --keyword WORD | --order LIST)\n"
    "                 [--offset M] [--route R] [--corner C] [--start N]\n"
    "                 [--groups N] [--paragraphs] [FILE]...\n"
    "Encipher each line of text by a transposition, one cipher text per line.\n"
    "The line is normalised as untranspose normalises a text (its first 9999\n"
    "bytes, letters upper-cased, spaces dropped; tabs, carriage returns and\n"
    "no-break spaces count as spaces).  Accented letters in UTF-8 count as\n"
    "their letters (a-umlaut as AE, sharp s as SS, e-acute as E), in texts and\n"
    "keywords; UTF-16 with a byte order mark is read too.\n"
    "\n"
    "  --cipher TYPE    the transposition (default columnar):\n";

const char USAGE_TAIL[] =
    "\n"
    "For the column transpositions the text is written row after row into rows\n"
    "of K cells, and read out column by column:\n"
    "\n"
    "  --key K          K columns, read out from left to right; untranspose\n"
    "                   decodes them with the key K (for railfence: K rails)\n"
    "  --keyword WORD   a column for each letter of WORD, read out in the\n"
    "                   alphabetical order of the letters, a repeated letter's\n"
    "                   columns from left to right (ZEBRAS is 6,3,2,4,1,5)\n"
    "  --order LIST     the columns' ranks, 1 to K, separated by commas: the\n"
    "                   column ranked 1 is read out first\n"
    "                   (Myszkowski's ranks may tie: TOMATO is 4,3,2,1,4,3)\n"
    "  --offset M       start the zigzag of a rail fence or redefence as if M\n"
    "                   letters had been written before the text (0 to 2K - 3;\n"
    "                   default 0)\n"
    "  --route R        a route cipher's route: spiral (the default), spiral-ccw,\n"
    "                   snake or snake-rows; a short last row is filled with X\n"
    "  --corner C       the corner the route starts from: tl (the default), tr,\n"
    "                   bl or br\n"
    "  --start N        whether an AMSCO grid's first cell holds 1 letter (the\n"
    "                   default) or 2\n"
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
	cipher_choice choice;
	cipher_key key;
	std::int64_t groups = 0;
	bool paragraphs = false;
};

enum option_code : int { CIPHER = 256, KEY, KEYWORD, ORDER, OFFSET, ROUTE, CORNER, START, GROUPS, PARAGRAPHS, HELP, VERSION };

const struct option LONG_OPTIONS[] = {
    {"cipher", required_argument, nullptr, CIPHER},
    {"key", required_argument, nullptr, KEY},
    {"keyword", required_argument, nullptr, KEYWORD},
    {"order", required_argument, nullptr, ORDER},
    {"offset", required_argument, nullptr, OFFSET},
    {"route", required_argument, nullptr, ROUTE},
    {"corner", required_argument, nullptr, CORNER},
    {"start", required_argument, nullptr, START},
    {"groups", required_argument, nullptr, GROUPS},
    {"paragraphs", no_argument, nullptr, PARAGRAPHS},
    {"help", no_argument, nullptr, HELP},
    {"version", no_argument, nullptr, VERSION},
    {nullptr, 0, nullptr, 0},
};

// Parses the options wherever they stand before "--", leaving the file
// names in argv[first..argc).  Returns -1 to go on, or the status to exit
// with.
int parse(int argc, char **argv, options &opts, int &first)
{
	opterr = 0;
	for (int code; (code = getopt_long(argc, argv, ":hV", LONG_OPTIONS, nullptr)) != -1;) {
		int status = -1;
		switch (code) {
		case 'h':
		case HELP:
			return print_and_exit((USAGE_HEAD + cipher_type_lines() + USAGE_TAIL).c_str());
		case 'V':
		case VERSION:
			return print_and_exit("transpose " UNTRANSPOSE_VERSION "\n");
		case CIPHER:
		case KEY:
		case KEYWORD:
		case ORDER:
		case OFFSET:
		case ROUTE:
		case CORNER:
		case START:
			status = take_cipher_option(PROGRAM, static_cast<cipher_option>(code - CIPHER), optarg, opts.choice);
			break;
		case PARAGRAPHS:
			opts.paragraphs = true;
			break;
		case GROUPS:
			if (!parse_count(optarg, INT32_MAX, opts.groups))
				return usage_error(PROGRAM, "--groups takes a number from 1 to 2147483647, not", optarg);
			break;
		default:
			return option_error(PROGRAM, code, argv[optind - 1], CIPHER);
		}
		if (status >= 0)
			return status;
	}
	if (opts.choice.key_options == 0)
		return usage_error(PROGRAM, "give exactly one of --key, --keyword and --order", nullptr);
	first = optind;
	return finish_cipher_options(PROGRAM, opts.choice, true, opts.key);
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
	std::size_t length = normalize_text({w.line, text.bytes.size()}, {w.compact, BUFFER_SIZE});
	const cipher_type &type = *w.opts.choice.type;
	const auto width = static_cast<std::uint64_t>(key_number(w.opts.key));
	if (type.whole_rows && length > 0 && length % width != 0) {
		// A type read from a whole grid has its last row filled with X,
		// which the reader of the plain text will know for padding.
		const std::uint64_t missing = width - length % width;
		if (length + missing < BUFFER_SIZE) {
			const auto filled = static_cast<std::size_t>(missing);
			std::memset(w.compact + length, 'X', filled);
			length += filled;
			std::fprintf(stderr, "%s: %s:%zu: the last row was filled with %zu X\n", PROGRAM, text.place.file,
			             text.place.line, filled);
		} else {
			std::fprintf(stderr, "%s: %s:%zu: the last row is left short: filled, it would pass %zu bytes\n", PROGRAM,
			             text.place.file, text.place.line, BUFFER_SIZE - 1);
		}
	}
	w.opts.choice.type->encipher(w.opts.key, {w.compact, length}, {w.cipher, BUFFER_SIZE});
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
	argv = begin_program(argc, argv);
	// Every buffer, allocated once: the ranks and read orders of two keys
	// given by hand, the line as read, its compact text, its cipher, and
	// the first key's ties.
	const std::unique_ptr<void, release> block{
	    std::calloc(1, 4 * MOST_ORDER_COLUMNS * sizeof(std::int32_t) + 4 * BUFFER_SIZE + MOST_ORDER_COLUMNS)};
	if (!block) {
		std::fprintf(stderr, "%s: out of memory\n", PROGRAM);
		return 1;
	}
	auto *const ranks = static_cast<std::int32_t *>(block.get());
	auto *const bytes = reinterpret_cast<char *>(ranks + 4 * MOST_ORDER_COLUMNS);
	options opts;
	opts.choice.ranks = ranks;
	opts.choice.order = ranks + 2 * MOST_ORDER_COLUMNS;
	opts.choice.tied = reinterpret_cast<std::uint8_t *>(bytes + 4 * BUFFER_SIZE);
	int first = argc;
	if (const int status = parse(argc, argv, opts, first); status >= 0)
		return status;

	const work w{opts, bytes + BUFFER_SIZE, bytes + 2 * BUFFER_SIZE, bytes + 3 * BUFFER_SIZE};
	const int status = read_text_lines(PROGRAM, {argv + first, static_cast<std::size_t>(argc - first)},
	                                   {bytes, BUFFER_SIZE}, opts.paragraphs, encipher, const_cast<work *>(&w));
	if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
		std::fprintf(stderr, "%s: write error: %s\n", PROGRAM, std::strerror(errno));
		return 1;
	}
	return status;
}
