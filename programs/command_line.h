// What the command lines of the programs beside the filter share: their
// messages for bad usage, and the numbers their options take.
#ifndef UNTRANSPOSE_COMMAND_LINE_H
#define UNTRANSPOSE_COMMAND_LINE_H

#include <cstdint>
#include <string>

inline constexpr int EXIT_USAGE = 2;

// Says on one line of standard error what was wrong, naming `what` unless
// it is null, and where to read more; returns EXIT_USAGE.
int usage_error(const char *program, const char *problem, const char *what);

// A whole decimal number from 1 to `most`, or false.
[[nodiscard]] bool parse_count(const char *text, std::int64_t most, std::int64_t &value);

// Reports what getopt_long returned for an option it could not take, as
// usage_error does; `first_code` is the least code of the long options.
int option_error(const char *program, int code, const char *argument, int first_code);

// An argument with its accented letters folded, as the texts read are:
// a keyword ÄPFEL is AEPFEL.
[[nodiscard]] std::string folded_argument(const char *argument);

// Prints `text` to standard output and flushes it: 0, or 1 on failure.
int print_and_exit(const char *text);

#endif
