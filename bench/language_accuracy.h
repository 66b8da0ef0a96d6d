// key_accuracy --languages: how often the key finder solves held-out prose
// in each language it knows, with that language's statistics and with
// every language's (untranspose-key --lang auto), how often auto names the
// right language, and how much longer auto takes.
#ifndef UNTRANSPOSE_BENCH_LANGUAGE_ACCURACY_H
#define UNTRANSPOSE_BENCH_LANGUAGE_ACCURACY_H

// A scale of 0 runs a few texts of each kind, to keep it working.
int measure_languages(int scale);

#endif
