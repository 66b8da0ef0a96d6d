#include "command_line.h"

#include "letter_folding.h"

#include <cstdio>
#include <cstring>
#include <getopt.h>

int usage_error(const char *program, const char *problem, const char *what)
{
	if (what == nullptr)
		std::fprintf(stderr, "%s: %s (see '%s --help')\n", program, problem, program);
	else
		std::fprintf(stderr, "%s: %s '%s' (see '%s --help')\n", program, problem, what, program);
	return EXIT_USAGE;
}

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

int option_error(const char *program, int code, const char *argument, int first_code)
{
	// Some getopt_long report a value given to an option that takes none
	// as a missing one.
	if (code == ':' && std::strchr(argument, '=') == nullptr)
		return usage_error(program, "missing value for", argument);
	// An option of ours given a value it does not take, or one that is
	// not ours; a short one is named alone, not with its cluster.
	if (code == ':' || optopt >= first_code)
		return usage_error(program, "this option takes no value:", argument);
	if (optopt != 0) {
		const char flag[] = {'-', static_cast<char>(optopt), '\0'};
		return usage_error(program, "unknown option", flag);
	}
	return usage_error(program, "unknown option", argument);
}

int print_and_exit(const char *text)
{
	std::fputs(text, stdout);
	return std::fflush(stdout) == 0 ? 0 : 1;
}

std::string folded_argument(const char *argument)
{
	std::string text{argument};
	text.resize(fold_letters(text));
	return text;
}
