// The programs read keywords and cribs as UTF-8, as they read texts.
// Elsewhere the arguments come as they were typed; under Windows the
// narrow ones are in the ANSI code page, which cannot hold every letter,
// so there they are taken from the wide command line and made UTF-8.
#ifndef UNTRANSPOSE_ARGUMENTS_H
#define UNTRANSPOSE_ARGUMENTS_H

// The arguments as UTF-8: `argv` itself but under Windows, where they are
// made once and held until the program ends (or `argv` again if they
// cannot be).
[[nodiscard]] char **utf8_arguments(int argc, char **argv);

#endif
