// key_accuracy --keyed and --keyed-grid: how often, and how fast,
// untranspose-key --keyed solves keyed ciphers of held-out English, each
// run as a whole process, one text per run, and its answer fed to the
// filter.
#ifndef UNTRANSPOSE_BENCH_KEYED_ACCURACY_H
#define UNTRANSPOSE_BENCH_KEYED_ACCURACY_H

#include <string>

// The targets table: texts of each kind, solved rate, median and slowest.
// A scale of 0 runs one text of each kind, to keep it working.
int measure_keyed_targets(const std::string &corpus, int scale, const std::string &dir);

// Solved rate and median time on a grid of columns by rows, the number of
// columns given, drawn as an SVG heat map at `svg`.
int measure_keyed_grid(const std::string &corpus, int scale, const std::string &dir, const std::string &svg);

#endif
