// Reading text lines from files as the programs beside the filter read
// them: one text per line, from each named file in turn or from standard
// input, each line cut as the filter cuts a text line, with the white
// space between groups taken as spaces.
#ifndef UNTRANSPOSE_TEXT_LINES_H
#define UNTRANSPOSE_TEXT_LINES_H

#include <cstddef>
#include <span>

#include "decoder.h"

// The most bytes of a line that are read: what the filter keeps of a text.
inline constexpr std::size_t TEXT_LIMIT = BUFFER_SIZE - 1;

// Where a line came from, for messages and tables.
struct line_place {
	const char *file;     // its name, or "standard input"
	std::size_t line;     // from 1 in each file
	std::size_t text;     // from 1 over all files
};

// One line as it is handed on: its first TEXT_LIMIT bytes, without the
// carriage return of a CR LF line end, every other white space byte and
// no-break space turned into a space.
struct text_line {
	std::span<char> bytes;
	line_place place;
};

using line_handler = void (*)(void *context, const text_line &line);

// Reads the lines of the files named in `names` in turn, or of standard
// input when there are none or a name is "-", and hands each to `handle`.
// `buffer` must hold TEXT_LIMIT bytes.  A line cut short, and a file that
// cannot be read, are named on standard error after `program`; reading
// goes on.  Returns 0, or 1 if a file could not be opened or read.
int read_text_lines(const char *program, std::span<char *const> names, std::span<char> buffer,
                    line_handler handle, void *context);

#endif
