// key_accuracy --second-climbs: how often the double columnar search's
// climbs over the second key reach it, and how many reach it a minute,
// given both widths, on held-out English under keys of 11 to 14 columns.
#ifndef UNTRANSPOSE_BENCH_SECOND_CLIMBS_H
#define UNTRANSPOSE_BENCH_SECOND_CLIMBS_H

#include <string>

// Climbs for a few seconds on each of 16 texts at `scale` 1 (one text, a
// moment, at 0).
int measure_second_climbs(const std::string &corpus, int scale);

#endif
