// How the programs beside the filter start, the same on every system:
// standard input and output carry bytes, and the arguments are UTF-8, as
// keywords and cribs are read like texts.  Elsewhere both hold already;
// under Windows the streams are text by default and the narrow arguments
// are in the ANSI code page, which cannot hold every letter, so there they
// are taken from the wide command line and made UTF-8.
#ifndef UNTRANSPOSE_ARGUMENTS_H
#define UNTRANSPOSE_ARGUMENTS_H

// Sets standard input and output to bytes and returns the arguments as
// UTF-8: `argv` itself but under Windows, where they are made once and
// held until the program ends (or `argv` again if they cannot be).
[[nodiscard]] char **begin_program(int argc, char **argv);

#endif
