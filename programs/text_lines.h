// Reading the texts of cipher files as the programs beside the filter
// read them: from each named file in turn or from standard input, one text
// per line or per paragraph, as text_reader.h describes.
#ifndef UNTRANSPOSE_TEXT_LINES_H
#define UNTRANSPOSE_TEXT_LINES_H

#include <cstddef>
#include <span>

#include "text_reader.h"

// Reads the texts of the files named in `names` in turn, or of standard
// input when there are none or a name is "-", and hands each to `handle`
// as soon as it ends.  `buffer` must hold TEXT_LIMIT bytes.  A text cut
// short, broken UTF-16, and a file that cannot be read are named on
// standard error after `program`; reading goes on.  Returns 0, or 1 if a
// file could not be opened or read or its UTF-16 was broken.
int read_text_lines(const char *program, std::span<char *const> names, std::span<char> buffer, bool paragraphs,
                    line_handler handle, void *context);

#endif
