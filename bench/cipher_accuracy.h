// key_accuracy --cipher TYPE: how often, and how fast, untranspose-key
// --cipher TYPE solves ciphers of that type of held-out English, each run
// as a whole process and its answer fed to the filter.
#ifndef UNTRANSPOSE_BENCH_CIPHER_ACCURACY_H
#define UNTRANSPOSE_BENCH_CIPHER_ACCURACY_H

#include <string>

// The type's targets table, at `scale` times the usual number of texts;
// 0 runs one text, to keep it working; or `texts` texts when that is not
// 0.  Returns 0, or 2 for a type with
// no targets here.
int measure_cipher_targets(const std::string &name, const std::string &corpus, int scale, int texts,
                           const std::string &dir);

// The double columnar's solved share and median time by the two keys'
// widths and the text's length, drawn as an SVG heat map at `svg`; each
// search is bounded to the widths between the two.
int measure_double_grid(const std::string &corpus, int scale, const std::string &dir, const std::string &svg);

#endif
