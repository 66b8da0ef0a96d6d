// key_accuracy --languages: how often the key finder solves held-out prose
// in each language it knows, with that language's statistics and with
// every language's (untranspose-key --lang auto), how often auto names the
// right language, and how much longer auto takes.
#ifndef UNTRANSPOSE_BENCH_LANGUAGE_ACCURACY_H
#define UNTRANSPOSE_BENCH_LANGUAGE_ACCURACY_H

#include <span>
#include <string_view>

// The held-out prose of the language `code`, or none.
std::span<const char *const> held_out_files(std::string_view code);

// A scale of 0 runs a few texts of each kind, to keep it working.  With
// `only`, the texts of that language alone are measured.
int measure_languages(int scale, const char *only);

#endif
