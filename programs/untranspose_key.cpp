// untranspose-key: finds the key of each English cipher text it reads, one
// text per line, and writes a case stream for untranspose, or a table of
// the best keys for a person to read.  Command line and output; the
// search is in keyfinder.cpp, the reading in text_lines.cpp.
#include "arguments.h"
#include "cipher_options.h"
#include "command_line.h"
#include "decoder.h"
#include "keyed_columns.h"
#include "keyed_solver.h"
#include "key_report.h"
#include "plain_sweep.h"
#include "job_solver.h"
#include "sweep.h"
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
#include <string>


#ifndef UNTRANSPOSE_VERSION
#define UNTRANSPOSE_VERSION "unknown"
#endif

namespace {

constexpr const char *PROGRAM = "untranspose-key";
constexpr std::size_t MOST_TOP = 1000;

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
    "redefences over 3 to 10 rails and AMSCO over 2 to 12 columns; these take\n"
    "--jobs, --seed and --effort:\n"
    "\n"
    "  --cipher TYPE  the transposition (default columnar; --keyed is keyed):\n";

const char USAGE_TAIL[] =
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

struct options {
	std::size_t top = 1;
	bool table = false;
	bool decode = false;
	bool paragraphs = false;
	std::int32_t min_key = 1;
	std::int32_t max_key = INT32_MAX;
	bool keyed = false;
	bool rails = false;               // a redefence's rails and order searched
	bool fitted = false;              // an order fitted by its decodings
	bool min_given = false, max_given = false;
	std::uint32_t jobs = 0;           // threads; 0 for one per processor
	std::uint64_t seed = 1;
	std::uint32_t effort = 1;
	const char *lang = nullptr;       // as given, if it was
	cipher_choice choice;             // the type, and its key if one was given
	cipher_key key;
	crib_list cribs;
};

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
	       type.search == search_kind::rails_and_order || type.search == search_kind::fitted_order;
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
int parse(int argc, char **argv, options &opts, int &first)
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
	opts.keyed = !key_given && searches_orders(*opts.choice.type) && !opts.rails && !opts.fitted;
	if (opts.decode && opts.table)
		return usage_error(PROGRAM, "give one of --decode and --table, not both", nullptr);
	if (keyed_only && !opts.keyed && !opts.rails && !opts.fitted) {
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
	if (key_given && searched)
		return usage_error(PROGRAM, "a key given searches nothing: no --top, --min-key or --max-key", nullptr);
	if (opts.min_key > opts.max_key)
		return usage_error(PROGRAM, "--min-key is above --max-key:", std::to_string(opts.min_key).c_str());
	first = optind;
	return -1;
}

// The buffers of the whole run, allocated once.
struct work {
	const options &opts;
	std::span<const language_model *const> models;   // one, or every one for auto
	keyed_solver *solver;
	job_solver<rail_search> *rails;
	job_solver<fit_search> *fits;
	char *line;
	char *compact;
	report_scratch scratch;
	key_score *best;
	key_score *trial;
	answer_row *rows;
	sweep_answer *swept;
};

// Normalises a text line into w.compact, keeping the line as it was read;
// returns the compact text.
std::span<const char> compact_text(const work &w, const text_line &text)
{
	// normalize_text upper-cases the line in place; the case stream must
	// carry it as it was read, and letters' case changes nothing else.
	std::memcpy(w.line, text.bytes.data(), text.bytes.size());
	std::memset(w.compact, 0, BUFFER_SIZE);
	return {w.compact, normalize_text({w.line, text.bytes.size()}, {w.compact, BUFFER_SIZE})};
}

const crib_list *cribs_of(const work &w)
{
	return w.opts.cribs.count > 0 ? &w.opts.cribs : nullptr;
}

void give_answers(const work &w, const language_model &model, const text_line &text, std::span<const char> compact,
                  std::span<const answer_row> rows, std::size_t shown, const char *try_instead)
{
	// A keyed order is held to what the search's wrong answers of its size
	// score; columns read from left to right, to the language's floor.
	const answer_row &best = rows[0];
	bool keyed = false;
	for (std::size_t j = 0; j < best.order.size(); j++)
		keyed |= best.order[j] != static_cast<std::int32_t>(j);
	const auto columns = static_cast<std::size_t>(best.key);
	judgement judged{keyed ? judge_order(model, best.score, columns, best.reached_once) : judge(model, best.score),
	                 keyed ? order_floor(model, best.score, columns, best.reached_once) : model.verdict_floor, nullptr};
	if (judged.said == verdict::not_english && (w.opts.lang == nullptr || std::strcmp(w.opts.lang, "auto") != 0)) {
		const language_model *every[MOST_LANGUAGES];
		std::size_t count = 0;
		for (const std::string_view code : language_codes())
			if (const language_model *other = language_named(code); other != nullptr)
				every[count++] = other;
		if (const language_model *fits = letters_fit_best({every, count}, compact); fits != &model)
			judged.reads_as = fits;
	}
	if (judged.said == verdict::not_english)
		warn_not_english(model, PROGRAM, text.place, best.score, judged, try_instead);
	if (w.opts.cribs.count > 0 && rows[0].score.cribs < w.opts.cribs.count)
		warn_cribs_missing(PROGRAM, text.place, w.opts.cribs, rows[0].score.cribs);
	if (w.opts.table)
		write_table(model, w.opts.lang != nullptr, text.place, compact, judged, rows, shown, w.scratch, cribs_of(w));
	for (std::size_t rank = 0; !w.opts.table && rank < std::min(shown, rows.size()); rank++) {
		if (w.opts.decode)
			write_decoding(rows[rank], compact, w.scratch);
		else
			write_case(rows[rank], compact, text.bytes, w.scratch);
	}
	// Each text's answer goes out as soon as it is found, into a pipe as
	// to a terminal: the next text may be minutes away.
	std::fflush(stdout);
}

// Answers one text line with the best keys of the plain transposition.
void answer_plain(void *context, const text_line &text)
{
	const work &w = *static_cast<const work *>(context);
	const std::span<const char> compact = compact_text(w, text);
	// The runner-up is kept even when only the best is shown, for its margin.
	const std::size_t wanted = std::max<std::size_t>(w.opts.top, 2);
	const auto [kept, found] =
	    find_keys_in_languages(w.models, {w.compact, BUFFER_SIZE}, compact.size(), w.opts.min_key, w.opts.max_key,
	                           {w.best, wanted}, {w.trial, language_scratch(w.models.size(), wanted)},
	                           {w.scratch.decoded, BUFFER_SIZE}, cribs_of(w));
	if (w.opts.min_given && compact.size() >= 3 && static_cast<std::size_t>(w.opts.min_key) >= compact.size())
		std::fprintf(stderr, "%s: %s:%zu: --min-key %" PRId32 " is past this text's %zu bytes: no key was tried\n",
		             PROGRAM, text.place.file, text.place.line, w.opts.min_key, compact.size());
	for (std::size_t i = 0; i < found; i++)
		w.rows[i] = {w.best[i].key, {}, w.best[i]};
	give_answers(w, *kept, text, compact, {w.rows, found}, w.opts.top,
	             "it may be keyed: try --keyed, or --top and --table to see other keys");
}

// Answers one text line with the best keyed orders the search finds.
void answer_keyed(void *context, const text_line &text)
{
	const work &w = *static_cast<const work *>(context);
	const std::span<const char> compact = compact_text(w, text);
	keyed_settings settings;
	settings.min_columns = w.opts.min_given ? w.opts.min_key : 2;
	settings.max_columns = w.opts.max_given ? w.opts.max_key : std::max(w.opts.min_key, 40);
	// Three rows by default, two with a crib, which rules out most of the
	// orders that so few rows let a search fit; as few as asked for when
	// the range is given.
	settings.min_rows = w.opts.max_given ? (w.opts.min_key == w.opts.max_key ? 1 : 2) : w.opts.cribs.count > 0 ? 2 : 3;
	settings.seed = w.opts.seed;
	settings.effort = w.opts.effort;
	settings.answers = std::max<std::size_t>(w.opts.top, 2);
	settings.cribs = cribs_of(w);
	const cipher_type &type = *w.opts.choice.type;
	settings.rows = type.search == search_kind::keyed_rows;
	if (const std::int32_t most = most_keyed_columns(compact.size(), settings); settings.min_columns > most)
		std::fprintf(stderr,
		             "%s: %s:%zu: --min-key %" PRId32 " is more columns than this text's %zu bytes allow"
		             " (%" PRId32 " with %" PRId32 " rows): it was not searched\n",
		             PROGRAM, text.place.file, text.place.line, settings.min_columns, compact.size(), std::max(most, 1),
		             std::max(settings.min_rows, 1));
	// With more than one language, each is searched for SURVEY_ROUNDS
	// rounds, and the one whose best answer scores highest in its own terms
	// is searched in full, as --lang would search it alone: the search in a
	// language the text is not in never settles, and would run all rounds.
	const language_model *kept = w.models[0];
	if (w.models.size() > 1) {
		keyed_settings survey = settings;
		survey.most_rounds = SURVEY_ROUNDS;
		const language_model *best_read = nullptr;
		key_score best{};
		for (const language_model *model : w.models) {
			w.solver->use(*model);
			const std::span<const keyed_answer> found = w.solver->solve(compact, survey, text.place);
			if (!found.empty() && scores_higher(*model, found[0].score, best_read, best)) {
				best_read = model;
				best = found[0].score;
			}
		}
		if (best_read != nullptr)
			kept = best_read;
	}
	w.solver->use(*kept);
	const std::span<const keyed_answer> answers = w.solver->solve(compact, settings, text.place);
	for (std::size_t i = 0; i < answers.size(); i++) {
		const keyed_answer &a = answers[i];
		w.rows[i] = {a.columns, {a.order, static_cast<std::size_t>(a.columns)}, a.score, w.solver->restarts_at(a) == 1};
		w.rows[i].score.cribs = a.cribs;
		if (!type.column_form)
			w.rows[i].type = &type;
	}
	give_answers(w, *kept, text, compact, {w.rows, answers.size()}, w.opts.top,
	             "try --effort 10, another --seed, or --top and --table to see other orders");
}

// Answers one text line by a search made of jobs: a redefence's rails,
// offsets and orders, or an order fitted to a type's decodings, from
// `least` to `most` by default.
template <typename Search>
void answer_by_jobs(const work &w, const text_line &text, job_solver<Search> &solver,
                    typename job_solver<Search>::settings settings, std::int32_t least, std::int32_t most)
{
	const std::span<const char> compact = compact_text(w, text);
	const cipher_type &type = *w.opts.choice.type;
	// A range given in part keeps the default's other end, unless that
	// would leave it empty.
	settings.least = w.opts.min_given ? w.opts.min_key : w.opts.max_given ? std::min(least, w.opts.max_key) : least;
	settings.most = w.opts.max_given ? w.opts.max_key : std::max(settings.least, most);
	settings.seed = w.opts.seed;
	settings.effort = w.opts.effort;
	settings.answers = std::max<std::size_t>(w.opts.top, 2);
	settings.cribs = cribs_of(w);
	// Each language is searched in full, the search being bounded, and the
	// one whose best answer scores highest in its own terms is kept.  The
	// answers live in the solver, so the kept language is searched again
	// when another was searched after it.
	const language_model *kept = nullptr;
	key_score kept_best{};
	std::span<const typename job_solver<Search>::answer> answers;
	for (const language_model *model : w.models) {
		solver.use(*model);
		answers = solver.solve(compact, settings, text.place);
		if (!answers.empty() && scores_higher(*model, answers[0].score, kept, kept_best)) {
			kept = model;
			kept_best = answers[0].score;
		}
	}
	if (kept != nullptr && kept != w.models.back()) {
		solver.use(*kept);
		answers = solver.solve(compact, settings, text.place);
	}
	std::size_t found = kept != nullptr ? answers.size() : 0;
	{
		for (std::size_t i = 0; i < found; i++) {
			const auto &a = answers[i];
			const std::int32_t number = search_parts<Search>::number(a);
			w.rows[i] = {number, {a.order, static_cast<std::size_t>(number)}, a.score};
			w.rows[i].score.cribs = a.cribs;
			w.rows[i].type = &type;
			w.rows[i].offset = a.offset;
			if (type.ties)
				w.rows[i].tied = search_parts<Search>::tied(a);
		}
	}
	if (found == 0) {
		std::fprintf(stderr, "%s: %s:%zu: no %.*s of %" PRId32 " to %" PRId32
		             " %.*s fits this text's %zu bytes: the text is left as it is\n",
		             PROGRAM, text.place.file, text.place.line, static_cast<int>(type.title.size()), type.title.data(),
		             settings.least, settings.most, static_cast<int>(type.number_name.size()), type.number_name.data(),
		             compact.size());
		w.rows[0] = {1, {}, score_text(*w.models[0], compact, 1)};
		found = 1;
	}
	give_answers(w, kept != nullptr ? *kept : *w.models[0], text, compact, {w.rows, found}, w.opts.top,
	             "it may be another transposition: try --cipher, --effort 10, or --top and --table to see other keys");
}

void answer_rails(void *context, const text_line &text)
{
	const work &w = *static_cast<const work *>(context);
	answer_by_jobs(w, text, *w.rails, rail_settings{}, 3, 10);
}

void answer_fitted(void *context, const text_line &text)
{
	const work &w = *static_cast<const work *>(context);
	fit_settings settings;
	settings.type = w.opts.choice.type;
	// Keys whose ranks tie are often longer words: their columns are
	// searched further.
	answer_by_jobs(w, text, *w.fits, settings, 2, settings.type->ties ? 15 : 12);
}

// Answers one text line with the key given on the command line.
void answer_given(void *context, const text_line &text)
{
	const work &w = *static_cast<const work *>(context);
	const std::span<const char> compact = compact_text(w, text);
	const cipher_type &type = *w.opts.choice.type;
	const cipher_key &key = w.opts.key;
	answer_row row{static_cast<std::int32_t>(std::min<std::int64_t>(key_number(key), INT32_MAX)), key.order, {}};
	row.tied = key.tied;
	if (!type.column_form) {
		row.type = &type;
		row.offset = key.offset;
		row.route = key.route;
	}
	type.decipher(key, compact, {w.scratch.decoded, BUFFER_SIZE});
	const language_model *kept = nullptr;
	for (const language_model *model : w.models) {
		key_score score = score_text(*model, {w.scratch.decoded, compact.size()}, row.key);
		score.cribs = cribs_held_in_text(w.opts.cribs, {w.scratch.decoded, compact.size()});
		if (scores_higher(*model, score, kept, row.score)) {
			row.score = score;
			kept = model;
		}
	}
	give_answers(w, *kept, text, compact, {&row, 1}, 1, "the key may not be the text's");
}

// Answers one text line with the best keys of a type whose keys are all
// tried: every number and offset.
void answer_swept(void *context, const text_line &text)
{
	const work &w = *static_cast<const work *>(context);
	const std::span<const char> compact = compact_text(w, text);
	const cipher_type &type = *w.opts.choice.type;
	const std::size_t wanted = std::max<std::size_t>(w.opts.top, 2);
	const std::int64_t least = std::max<std::int64_t>(w.opts.min_given ? w.opts.min_key : 0, type.least_number);
	const std::int64_t most =
	    w.opts.max_given ? w.opts.max_key : std::max(least, sweep_most_number(type, compact.size()));
	const std::int64_t within = sweep_most_within_budget(type, compact.size(), least, most);
	const auto units = [&] { return static_cast<int>(type.number_name.size()); };
	if (within >= least && within < std::min({most, type.most_number, static_cast<std::int64_t>(compact.size()) - 1}))
		std::fprintf(stderr, "%s: %s:%zu: keys of more than %" PRId64 " %.*s would take too long: they were not tried\n",
		             PROGRAM, text.place.file, text.place.line, within, units(),
		             type.number_name.data());
	const language_model *kept = nullptr;
	std::size_t found = 0;
	for (std::size_t m = 0; m < w.models.size(); m++) {
		const std::span<sweep_answer> list{w.swept + (m % 2) * MOST_TOP, wanted};
		const std::size_t held = sweep_keys(type, *w.models[m], compact, least, most, list,
		                                    {w.swept + 2 * MOST_TOP, std::max(SHORTLIST, wanted)},
		                                    {w.scratch.decoded, BUFFER_SIZE},
		                                    cribs_of(w));
		if (held > 0 && scores_higher(*w.models[m], list[0].score, kept, w.rows[0].score)) {
			kept = w.models[m];
			found = held;
			for (std::size_t i = 0; i < held; i++) {
				w.rows[i] = {static_cast<std::int32_t>(list[i].number), {}, list[i].score};
				w.rows[i].type = &type;
				w.rows[i].offset = list[i].offset;
				w.rows[i].route = list[i].route;
			}
		}
	}
	if (found == 0) {
		// No key was tried: the text is answered as it stands, as the key 1
		// of the plain transposition leaves it, and the case stream keeps
		// its step.
		std::fprintf(stderr, "%s: %s:%zu: no key of %" PRId64 " to %" PRId64 " %.*s was tried: the text is left as it is\n",
		             PROGRAM, text.place.file, text.place.line, least, most, units(), type.number_name.data());
		w.rows[0] = {1, {}, score_text(*w.models[0], compact, 1)};
		found = 1;
	}
	give_answers(w, kept != nullptr ? *kept : *w.models[0], text, compact, {w.rows, found}, w.opts.top,
	             "it may be another transposition: try --cipher, or --top and --table to see other keys");
}

struct release {
	void operator()(void *block) const noexcept { std::free(block); }
};

} // namespace

int main(int argc, char **argv)
{
	argv = begin_program(argc, argv);
	options opts;
	// Every buffer, allocated once: the line as read, the line as
	// normalising leaves it, the compact text, its runs in natural order, a
	// decoding, the best keys, those of the language being tried, and the
	// answers made of them, and an order's ranks and read order.
	constexpr std::size_t trials = language_scratch(MOST_LANGUAGES, MOST_TOP);
	constexpr std::size_t swept = 2 * MOST_TOP + std::max(SHORTLIST, MOST_TOP);
	const std::unique_ptr<void, release> block{std::calloc(
	    1, 5 * BUFFER_SIZE + (MOST_TOP + trials) * sizeof(key_score) + MOST_TOP * sizeof(answer_row) +
	           swept * sizeof(sweep_answer) + 2 * MOST_ORDER_COLUMNS * sizeof(std::int32_t) + MOST_ORDER_COLUMNS)};
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
	opts.choice.order = opts.choice.ranks + MOST_ORDER_COLUMNS;
	opts.choice.tied = reinterpret_cast<std::uint8_t *>(opts.choice.order + MOST_ORDER_COLUMNS);

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
	if (opts.keyed) {
		solver = std::make_unique<keyed_solver>(PROGRAM, *models[0], opts.jobs == 0 ? processor_count() : opts.jobs, true);
		if (!solver->ready()) {
			std::fprintf(stderr, "%s: out of memory\n", PROGRAM);
			return 1;
		}
	}
	const unsigned threads = opts.jobs == 0 ? processor_count() : opts.jobs;
	std::unique_ptr<job_solver<rail_search>> rails;
	std::unique_ptr<job_solver<fit_search>> fits;
	if (opts.rails)
		rails = std::make_unique<job_solver<rail_search>>(PROGRAM, *models[0], threads, true);
	if (opts.fitted)
		fits = std::make_unique<job_solver<fit_search>>(PROGRAM, *models[0], threads, true);
	if ((rails && !rails->ready()) || (fits && !fits->ready())) {
		std::fprintf(stderr, "%s: out of memory\n", PROGRAM);
		return 1;
	}
	const line_handler answer = opts.choice.key_options > 0                                        ? answer_given
	                            : opts.keyed                                                        ? answer_keyed
	                            : opts.rails                                                        ? answer_rails
	                            : opts.fitted                                                       ? answer_fitted
	                            : opts.choice.type->search == search_kind::every_number_and_offset ? answer_swept
	                                                                                                : answer_plain;
	const work w{opts, {models, languages}, solver.get(), rails.get(), fits.get(), bytes + BUFFER_SIZE, bytes + 2 * BUFFER_SIZE,
	             {bytes + 3 * BUFFER_SIZE, bytes + 4 * BUFFER_SIZE}, best, trial, rows, sweeps};
	const int status = read_text_lines(PROGRAM, {argv + first, static_cast<std::size_t>(argc - first)},
	                                   {bytes, BUFFER_SIZE}, opts.paragraphs, answer, const_cast<work *>(&w));
	if (!opts.table && !opts.decode)
		std::fputs("0\n", stdout);
	if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
		std::fprintf(stderr, "%s: write error: %s\n", PROGRAM, std::strerror(errno));
		return 1;
	}
	return status;
}
