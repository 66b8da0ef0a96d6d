// key_accuracy --keyed-verdict: how well the verdict on keyed answers tells
// the answers the keyed search gets right from those it gets wrong, in one
// language, the search run on one thread as untranspose-key --jobs 1 runs
// it.  Each answer is also written to a file, for the floor and slope to
// be fitted to.
#ifndef UNTRANSPOSE_BENCH_KEYED_VERDICT_H
#define UNTRANSPOSE_BENCH_KEYED_VERDICT_H

#include "language.h"

#include <string>

// A scale of 0 runs one text of each kind, to keep it working.
int measure_keyed_verdict(const language_model &model, const std::string &corpus, int scale, const std::string &data);

#endif
