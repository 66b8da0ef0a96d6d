// untranspose-key: finds the key of each cipher text it reads, one text
// per line or paragraph, and writes a case stream for untranspose, the
// plain texts, or a table of the best keys for a person to read.  The
// command line; the answers are in key_answers.cpp, found_answers.cpp and
// any_answers.cpp, the reading in text_lines.cpp.
#include "arguments.h"
#include "cipher_options.h"
#include "command_line.h"
#include "decoder.h"
#include "keyed_columns.h"
#include "key_answers.h"
#include "plain_sweep.h"
#include "orders.h"
#include "text_lines.h"

#include <getopt.h>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>


#ifndef UNTRANSPOSE_VERSION
#define UNTRANSPOSE_VERSION "unknown"
#endif

namespace {

constexpr const char *PROGRAM = KEY_PROGRAM;

const char USAGE_HEAD[] =
    "Usage: untranspose-key [OPTION]... [FILE]...\n"
    "Find the key of each text enciphered by a transposition,\n"
    "one text per line, and write a case stream that untranspose decodes:\n"
    "\n"
    "  untranspose-key < ciphers.txt | untranspose\n"
    "\n"
    "or, with --decode, the plain texts themselves.\n"
    "\n"
    "With no FILE, or when FILE is -, read standard input.  Each line is read\n"
    "as untranspose reads a text line: its first 9999 bytes, normalised the\n"
    "same way; tabs, carriage returns, form feeds and no-break spaces count\n"
    "as spaces, and a CR LF line end as a line end.  Letters are scored\n"
    "against a language's quadgram statistics.  A text whose best decoding\n"
    "does not look like that language is named on standard error.  Accented\n"
    "letters in UTF-8 count as their letters (a-umlaut as AE, sharp s as SS,\n"
    "e-acute as E), in texts, keywords and cribs; UTF-16 with a byte order\n"
    "mark is read too.  Each text's answer is written as soon as it is found.\n"
    "\n"
    "  --lang LANG    the language of the plain texts: en (English, the\n"
    "                 default), de, es, fr, it or pt; auto tries each and keeps\n"
    "                 the one whose best decoding scores highest\n"
    "  --top N        write the N best keys of each text, best first, each as\n"
    "                 a case of its own (1 to 1000; default 1)\n"
    "  --decode       write each text's decoding, one line per key, not cases:\n"
    "                 what untranspose prints for them\n"
    "  --table        print a table of the best keys for people, not cases\n"
    "  --paragraphs   read each paragraph, its lines joined, as one text;\n"
    "                 paragraphs are separated by lines of only white space\n"
    "  --min-key K    try no key below K (default 1)\n"
    "  --max-key K    try no key above K (default: the text's length - 1)\n"
    "  --crib WORD    a word known to stand in the plain text: answers that\n"
    "                 hold it come first (may be given several times); in\n"
    "                 every mode, a text whose answer holds none is named\n"
    "\n"
    "For texts whose columns were read out in a keyword's order, when the\n"
    "keyword is known, untranspose-key searches nothing: it puts each text's\n"
    "columns back in natural order and writes the case that untranspose\n"
    "decodes into the plain text, the key line being the number of columns:\n"
    "\n"
    "  --keyword WORD  the columns' order is that of WORD's letters, a\n"
    "                  repeated letter's columns from left to right\n"
    "  --order LIST    the columns' ranks, 1 to K, separated by commas: the\n"
    "                  column ranked 1 was read out first (ZEBRAS is 6,3,2,4,1,5)\n"
    "                  (Myszkowski's ranks may tie: TOMATO is 4,3,2,1,4,3)\n"
    "\n"
    "With --keyed, untranspose-key finds the number of columns and their\n"
    "order, and writes the same kind of case:\n"
    "\n"
    "  --keyed        search keyed orders: by default of 2 to 40 columns with\n"
    "                 at least 3 rows; --min-key and --max-key set the range,\n"
    "                 and when they are equal the number of columns is given\n"
    "  --jobs N       search on N threads (default: one per processor)\n"
    "  --seed N       the search's seed (default 1); the answer is the same\n"
    "                 for one seed however many threads search\n"
    "  --effort N     search N times as long before giving up (default 1):\n"
    "                 for a hard text, a higher effort or another seed\n"
    "\n"
    "Other transpositions, each searched when no key is given and decoded\n"
    "with one when it is; for a type without columns the case is the key 1\n"
    "and the plain text.  Block permutations are searched as --keyed searches,\n"
    "redefences over 3 to 10 rails, AMSCO over 2 to 12 columns, Myszkowski\n"
    "over 2 to 15 and both keys of a double over 5 to 20; these take --jobs,\n"
    "--seed and --effort:\n"
    "\n"
    "  --cipher TYPE  the transposition (default columnar; --keyed is keyed):\n";

const char USAGE_TAIL[] =
    "    any         every type above that is searched, the answer believed\n"
    "                most (without a key, --min-key or --max-key)\n"
    "  --key N        the number of columns or rails, for a type that takes it\n"
    "  --offset M     where a rail fence's or redefence's zigzag starts\n"
    "                 (0 to 2N - 3)\n"
    "  --route R      a route cipher's route: spiral (the default), spiral-ccw,\n"
    "                 snake or snake-rows\n"
    "  --corner C     the corner it starts from: tl (the default), tr, bl or br\n"
    "  --start N      whether an AMSCO grid's first cell holds 1 letter (the\n"
    "                 default) or 2\n"
    "\n"
    "  -h, --help     print this help and exit\n"
    "  -V, --version  print the version and exit\n"
    "\n"
    "Options may come before or after the file names; after --, every\n"
    "argument is a file name.\n"
    "\n"
    "Exit status: 0 when every text was read and answered, 1 when a file\n"
    "could not be read or output could not be written, 2 for bad usage.\n";

enum option_code : int {
	CIPHER = 256, KEY, KEYWORD, ORDER, OFFSET, ROUTE, CORNER, START,
	TOP, LANG, TABLE, DECODE, PARAGRAPHS, MIN_KEY, MAX_KEY, KEYED, JOBS, SEED, EFFORT, CRIB, HELP, VERSION
};

const struct option LONG_OPTIONS[] = {
    {"top", required_argument, nullptr, TOP},
    {"lang", required_argument, nullptr, LANG},
    {"table", no_argument, nullptr, TABLE},
    {"decode", no_argument, nullptr, DECODE},
    {"paragraphs", no_argument, nullptr, PARAGRAPHS},
    {"min-key", required_argument, nullptr, MIN_KEY},
    {"max-key", required_argument, nullptr, MAX_KEY},
    {"cipher", required_argument, nullptr, CIPHER},
    {"key", required_argument, nullptr, KEY},
    {"keyword", required_argument, nullptr, KEYWORD},
    {"order", required_argument, nullptr, ORDER},
    {"offset", required_argument, nullptr, OFFSET},
    {"route", required_argument, nullptr, ROUTE},
    {"corner", required_argument, nullptr, CORNER},
    {"start", required_argument, nullptr, START},
    {"keyed", no_argument, nullptr, KEYED},
    {"jobs", required_argument, nullptr, JOBS},
    {"seed", required_argument, nullptr, SEED},
    {"effort", required_argument, nullptr, EFFORT},
    {"crib", required_argument, nullptr, CRIB},
    {"help", no_argument, nullptr, HELP},
    {"version", no_argument, nullptr, VERSION},
    {nullptr, 0, nullptr, 0},
};

// Whether a type's search is for an order, by the keyed search.
bool searches_orders(const cipher_type &type)
{
	return type.search == search_kind::keyed_columns || type.search == search_kind::keyed_rows ||
	       type.search == search_kind::rails_and_order || type.search == search_kind::fitted_order ||
	       type.search == search_kind::two_orders;
}

// A whole decimal number that fits in 64 bits, or false.
bool parse_seed(const char *text, std::uint64_t &value)
{
	if (*text == '\0')
		return false;
	value = 0;
	for (const char *c = text; *c != '\0'; c++) {
		const auto digit = static_cast<unsigned>(*c - '0');
		if (digit > 9 || value > (UINT64_MAX - digit) / 10)
			return false;
		value = value * 10 + digit;
	}
	return true;
}

// Parses the options wherever they stand before "--", leaving the file
// names, in order, in argv[first..argc).  Returns -1 to go on, or the
// status to exit with.
int parse(int argc, char **argv, key_options &opts, int &first)
{
	opterr = 0;
	bool searched = false, keyed_only = false, keyed = false;
	for (int code; (code = getopt_long(argc, argv, ":hV", LONG_OPTIONS, nullptr)) != -1;) {
		std::int64_t number = 0;
		int status = -1;
		switch (code) {
		case 'h':
		case HELP:
			return print_and_exit((USAGE_HEAD + cipher_type_lines() + USAGE_TAIL).c_str());
		case CIPHER:
			if (std::strcmp(optarg, "any") == 0) {
				if (opts.any || opts.choice.type != nullptr)
					return usage_error(PROGRAM, "give one --cipher, not", optarg);
				opts.any = true;
				break;
			}
			if (opts.any)
				return usage_error(PROGRAM, "give one --cipher, not", optarg);
			[[fallthrough]];
		case KEY:
		case KEYWORD:
		case ORDER:
		case OFFSET:
		case ROUTE:
		case CORNER:
		case START:
			status = take_cipher_option(PROGRAM, static_cast<cipher_option>(code - CIPHER), optarg, opts.choice);
			break;
		case 'V':
		case VERSION:
			return print_and_exit("untranspose-key " UNTRANSPOSE_VERSION "\n");
		case TABLE:
			opts.table = true;
			break;
		case DECODE:
			opts.decode = true;
			break;
		case PARAGRAPHS:
			opts.paragraphs = true;
			break;
		case TOP:
			searched = true;
			if (!parse_count(optarg, MOST_TOP, number))
				return usage_error(PROGRAM, "--top takes a number from 1 to 1000, not", optarg);
			opts.top = static_cast<std::size_t>(number);
			break;
		case MIN_KEY:
		case MAX_KEY:
			searched = true;
			if (!parse_count(optarg, INT32_MAX, number))
				return usage_error(PROGRAM, "a key is a number from 1 to 2147483647, not", optarg);
			(code == MIN_KEY ? opts.min_key : opts.max_key) = static_cast<std::int32_t>(number);
			(code == MIN_KEY ? opts.min_given : opts.max_given) = true;
			break;
		case KEYED:
			keyed = true;
			break;
		case JOBS:
			keyed_only = true;
			if (!parse_count(optarg, worker_pool::MOST_JOBS, number))
				return usage_error(PROGRAM, "--jobs takes a number from 1 to 256, not", optarg);
			opts.jobs = static_cast<std::uint32_t>(number);
			break;
		case LANG:
			opts.lang = optarg;
			if (std::strcmp(optarg, "auto") != 0 && !language_known(optarg))
				return usage_error(PROGRAM, "--lang takes en, de, es, fr, it, pt or auto, not", optarg);
			break;
		case EFFORT:
			keyed_only = true;
			if (!parse_count(optarg, 1000, number))
				return usage_error(PROGRAM, "--effort takes a number from 1 to 1000, not", optarg);
			opts.effort = static_cast<std::uint32_t>(number);
			break;
		case SEED:
			keyed_only = true;
			if (!parse_seed(optarg, opts.seed))
				return usage_error(PROGRAM, "--seed takes a number from 0 to 18446744073709551615, not", optarg);
			break;
		case CRIB:
			switch (add_crib(opts.cribs, folded_argument(optarg))) {
			case crib_added::added:
				break;
			case crib_added::no_letters:
				return usage_error(PROGRAM, "a crib needs letters, not", optarg);
			case crib_added::too_long:
				return usage_error(PROGRAM, "a crib has at most 100 letters, not", optarg);
			case crib_added::too_many:
				return usage_error(PROGRAM, "at most 16 cribs may be given, not", optarg);
			}
			break;
		default:
			return option_error(PROGRAM, code, argv[optind - 1], CIPHER);
		}
		if (status >= 0)
			return status;
	}
	if (opts.any && (keyed || opts.choice.key_options > 0 || opts.min_given || opts.max_given))
		return usage_error(PROGRAM, "--cipher any searches every type over its own range: give no key, --keyed, --min-key or --max-key",
		                   nullptr);
	// --keyed is --cipher keyed.
	if (keyed && opts.choice.type != nullptr && opts.choice.type != cipher_named("keyed"))
		return usage_error(PROGRAM, "--keyed is --cipher keyed: give one type", nullptr);
	if (keyed)
		opts.choice.type = cipher_named("keyed");
	if (const int status = finish_cipher_options(PROGRAM, opts.choice, false, opts.key); status >= 0)
		return status;
	const bool key_given = opts.choice.key_options > 0;
	opts.rails = !key_given && opts.choice.type->search == search_kind::rails_and_order;
	opts.fitted = !key_given && opts.choice.type->search == search_kind::fitted_order;
	opts.doubled = !key_given && opts.choice.type->search == search_kind::two_orders;
	opts.keyed = !key_given && searches_orders(*opts.choice.type) && !opts.rails && !opts.fitted && !opts.doubled;
	if (opts.decode && opts.table)
		return usage_error(PROGRAM, "give one of --decode and --table, not both", nullptr);
	if (keyed_only && !opts.keyed && !opts.rails && !opts.fitted && !opts.doubled && !opts.any) {
		std::string searches;
		for (const cipher_type &type : cipher_types())
			if (searches_orders(type))
				searches += (searches.empty() ? "" : ", ") + std::string("--cipher ") + std::string(type.name);
		return usage_error(PROGRAM, ("--jobs, --seed and --effort are for searches of an order: " + searches).c_str(),
		                   nullptr);
	}
	if (!key_given && opts.max_given && opts.max_key < opts.choice.type->least_number)
		return usage_error(PROGRAM,
		                   ("--cipher " + std::string(opts.choice.type->name) + " needs at least " +
		                    std::to_string(opts.choice.type->least_number) + " " +
		                    std::string(opts.choice.type->number_name) + ", not --max-key")
		                       .c_str(),
		                   std::to_string(opts.max_key).c_str());
	if (opts.keyed && opts.max_given && opts.max_key < 2)
		return usage_error(PROGRAM, ("--cipher " + std::string(opts.choice.type->name) + " searches at least 2 columns, not --max-key").c_str(),
		                   std::to_string(opts.max_key).c_str());
	if (opts.keyed && (opts.max_given ? opts.max_key : opts.min_key) > static_cast<std::int32_t>(MOST_KEYED_COLUMNS))
		return usage_error(PROGRAM, ("--cipher " + std::string(opts.choice.type->name) + " searches at most 100 columns, not").c_str(),
		                   std::to_string(opts.max_given ? opts.max_key : opts.min_key).c_str());
	if (opts.rails && (opts.max_given ? opts.max_key : opts.min_key) > static_cast<std::int32_t>(MOST_ORDERED_RAILS))
		return usage_error(PROGRAM, "--cipher redefence searches at most 12 rails, not",
		                   std::to_string(opts.max_given ? opts.max_key : opts.min_key).c_str());
	if (opts.fitted && (opts.max_given ? opts.max_key : opts.min_key) > static_cast<std::int32_t>(MOST_FITTED_COLUMNS))
		return usage_error(PROGRAM, ("--cipher " + std::string(opts.choice.type->name) + " searches at most " +
		                             std::to_string(MOST_FITTED_COLUMNS) + " columns, not")
		                                .c_str(),
		                   std::to_string(opts.max_given ? opts.max_key : opts.min_key).c_str());
	if (opts.doubled && (opts.max_given ? opts.max_key : opts.min_key) > static_cast<std::int32_t>(MOST_DOUBLE_SEARCH_COLUMNS))
		return usage_error(PROGRAM, ("--cipher " + std::string(opts.choice.type->name) + " searches at most " +
		                             std::to_string(MOST_DOUBLE_SEARCH_COLUMNS) + " columns, not")
		                                .c_str(),
		                   std::to_string(opts.max_given ? opts.max_key : opts.min_key).c_str());
	if (key_given && searched)
		return usage_error(PROGRAM, "a key given searches nothing: no --top, --min-key or --max-key", nullptr);
	if (opts.min_key > opts.max_key)
		return usage_error(PROGRAM, "--min-key is above --max-key:", std::to_string(opts.min_key).c_str());
	first = optind;
	return -1;
}

struct release {
	void operator()(void *block) const noexcept { std::free(block); }
};

} // namespace

int main(int argc, char **argv)
{
	argv = begin_program(argc, argv);
	key_options opts;
	// Every buffer, allocated once: the line as read, the line as
	// normalising leaves it, the compact text, its runs in natural order, a
	// decoding, the best keys, those of the language being tried, and the
	// answers made of them, and two keys' ranks and read orders.
	constexpr std::size_t trials = language_scratch(MOST_LANGUAGES, MOST_TOP);
	constexpr std::size_t swept = 2 * MOST_TOP + std::max(SHORTLIST, MOST_TOP);
	const std::unique_ptr<void, release> block{std::calloc(
	    1, 5 * BUFFER_SIZE + (MOST_TOP + trials) * sizeof(key_score) + MOST_TOP * sizeof(answer_row) +
	           swept * sizeof(sweep_answer) + 4 * MOST_ORDER_COLUMNS * sizeof(std::int32_t) + MOST_ORDER_COLUMNS)};
	if (!block) {
		std::fprintf(stderr, "%s: out of memory\n", PROGRAM);
		return 1;
	}
	auto *const bytes = static_cast<char *>(block.get());
	auto *const best = reinterpret_cast<key_score *>(bytes + 5 * BUFFER_SIZE);
	auto *const trial = best + MOST_TOP;
	auto *const rows = reinterpret_cast<answer_row *>(trial + trials);
	auto *const sweeps = reinterpret_cast<sweep_answer *>(rows + MOST_TOP);
	opts.choice.ranks = reinterpret_cast<std::int32_t *>(sweeps + swept);
	opts.choice.order = opts.choice.ranks + 2 * MOST_ORDER_COLUMNS;
	opts.choice.tied = reinterpret_cast<std::uint8_t *>(opts.choice.order + 2 * MOST_ORDER_COLUMNS);

	int first = argc;
	if (const int status = parse(argc, argv, opts, first); status >= 0)
		return status;
	// Every language for auto, English when none is named.
	const language_model *models[MOST_LANGUAGES];
	std::size_t languages = 0;
	if (opts.lang != nullptr && std::strcmp(opts.lang, "auto") == 0) {
		for (const std::string_view code : language_codes())
			models[languages++] = language_named(code);
	} else {
		models[languages++] = language_named(opts.lang != nullptr ? opts.lang : "en");
	}
	if (std::find(models, models + languages, nullptr) != models + languages) {
		std::fprintf(stderr, "%s: out of memory\n", PROGRAM);
		return 1;
	}
	std::unique_ptr<keyed_solver> solver;
	if (opts.keyed || opts.any) {
		solver = std::make_unique<keyed_solver>(PROGRAM, *models[0], opts.jobs == 0 ? processor_count() : opts.jobs, true);
		if (!solver->ready()) {
			std::fprintf(stderr, "%s: out of memory\n", PROGRAM);
			return 1;
		}
	}
	const unsigned threads = opts.jobs == 0 ? processor_count() : opts.jobs;
	std::unique_ptr<job_solver<rail_search>> rails;
	std::unique_ptr<job_solver<fit_search>> fits;
	std::unique_ptr<job_solver<double_search>> doubles;
	std::unique_ptr<any_answer[]> pool;
	if (opts.rails || opts.any)
		rails = std::make_unique<job_solver<rail_search>>(PROGRAM, *models[0], threads, true);
	if (opts.fitted || opts.any)
		fits = std::make_unique<job_solver<fit_search>>(PROGRAM, *models[0], threads, true);
	if (opts.doubled || opts.any)
		doubles = std::make_unique<job_solver<double_search>>(PROGRAM, *models[0], threads, true);
	if (opts.any)
		pool.reset(new (std::nothrow) any_answer[cipher_types().size() * std::max<std::size_t>(opts.top, 2)]);
	if ((rails && !rails->ready()) || (fits && !fits->ready()) || (doubles && !doubles->ready()) || (opts.any && !pool)) {
		std::fprintf(stderr, "%s: out of memory\n", PROGRAM);
		return 1;
	}
	const line_handler answer = opts.any                                                           ? answer_any
	                            : opts.choice.key_options > 0                                        ? answer_given
	                            : opts.keyed                                                        ? answer_keyed
	                            : opts.rails                                                        ? answer_rails
	                            : opts.fitted                                                       ? answer_fitted
	                            : opts.doubled                                                      ? answer_doubled
	                            : opts.choice.type->search == search_kind::every_number_and_offset ? answer_swept
	                                                                                                : answer_plain;
	const key_work w{opts, {models, languages}, solver.get(), rails.get(), fits.get(), doubles.get(), bytes + BUFFER_SIZE, bytes + 2 * BUFFER_SIZE,
	             {bytes + 3 * BUFFER_SIZE, bytes + 4 * BUFFER_SIZE}, best, trial, rows, sweeps, pool.get()};
	const int status = read_text_lines(PROGRAM, {argv + first, static_cast<std::size_t>(argc - first)},
	                                   {bytes, BUFFER_SIZE}, opts.paragraphs, answer, const_cast<key_work *>(&w));
	if (!opts.table && !opts.decode)
		std::fputs("0\n", stdout);
	if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
		std::fprintf(stderr, "%s: write error: %s\n", PROGRAM, std::strerror(errno));
		return 1;
	}
	return status;
}
