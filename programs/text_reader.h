// The texts in the bytes of a cipher file, as the programs beside the
// filter read them: fed one byte at a time, so that a text is handed on
// as soon as its line (or paragraph) ends, whatever else is still to come.
//
// A file may begin with a byte order mark: UTF-8's is passed over, and
// after UTF-16's (either byte order) the file is read as UTF-16 and turned
// into UTF-8 before anything else.  Then each line is a text, or with
// `paragraphs` each run of lines between lines of only white space, its
// lines joined without their line ends.  A text is kept to its first
// TEXT_LIMIT bytes, as the filter keeps a text line; its accented Latin
// letters are folded to A-Z, and the white space between its groups is
// turned into spaces.
#ifndef UNTRANSPOSE_TEXT_READER_H
#define UNTRANSPOSE_TEXT_READER_H

#include <cstddef>
#include <cstdint>
#include <span>

#include "decoder.h"

// The most bytes of a text that are read: what the filter keeps of a text.
inline constexpr std::size_t TEXT_LIMIT = BUFFER_SIZE - 1;

// Where a text came from, for messages and tables.
struct line_place {
	const char *file;     // its name, or "standard input"
	std::size_t line;     // its first line, from 1 in each file
	std::size_t text;     // from 1 over all files
};

struct text_line {
	std::span<char> bytes;
	line_place place;
};

enum class reading_problem {
	cut,                  // a text longer than TEXT_LIMIT; `count` is its length
	unpaired_surrogate,   // in UTF-16, read as U+FFFD; `count` in the file
	odd_byte,             // UTF-16 of an odd number of bytes: the last is dropped
};

using line_handler = void (*)(void *context, const text_line &line);
using problem_handler = void (*)(void *context, reading_problem problem, const line_place &place, std::size_t count);

struct text_reader {
	// Set before the first file.
	bool paragraphs = false;
	std::span<char> buffer;              // TEXT_LIMIT bytes
	line_handler handle = nullptr;
	problem_handler warn = nullptr;
	void *context = nullptr;

	// The reading's state; start_file sets what belongs to one file.
	enum class encoding : std::uint8_t { sniffing, utf8, utf16le, utf16be } coding = encoding::sniffing;
	unsigned char sniffed[2] = {};
	std::size_t sniffed_count = 0;
	int odd = -1;                        // the first byte of a UTF-16 unit
	std::uint32_t high = 0;              // a high surrogate awaiting its pair
	std::size_t unpaired = 0, first_unpaired_line = 0;
	const char *file = nullptr;
	std::size_t line = 0;                // lines begun in the file
	std::size_t first_line = 0;          // of the text being read
	std::size_t length = 0;              // of the text, kept or not
	std::size_t line_start = 0;          // where the line began in the text
	bool carriage_return = false;        // the last byte of the line
	bool blank = true;                   // the line so far is white space
	bool after_c2 = false;               // the line's last byte began a no-break space
	std::size_t texts = 0;
};

void start_file(text_reader &reader, const char *file) noexcept;
void read_byte(text_reader &reader, unsigned char byte) noexcept;
// Hands on the last text, and names what the file's end leaves unfinished.
void end_file(text_reader &reader) noexcept;

#endif
