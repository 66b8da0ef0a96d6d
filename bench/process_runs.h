// What the accuracy measurements of whole runs share: messages of
// held-out English, cipher texts written as people write them, runs of
// the programs as processes, and their outcomes summed up.
#ifndef UNTRANSPOSE_BENCH_PROCESS_RUNS_H
#define UNTRANSPOSE_BENCH_PROCESS_RUNS_H

#include <random>
#include <string>
#include <vector>

// A message of whole words of at least `letters` letters, its letters only.
std::string message(const std::string &corpus, std::mt19937 &random, std::size_t letters);

// Written as people write cipher texts: in groups of five, in upper or
// lower case.
std::string in_groups(const std::string &cipher, bool lower);

// Runs `argv` with standard input and output on files, and standard
// error on `err`; returns its status.
int run(const std::vector<std::string> &argv, const std::string &in, const std::string &out,
        const std::string &err = "/dev/null");

std::string read_all(const std::string &path);

struct outcome {
	bool solved;
	double seconds;
};

struct summary {
	double solved;   // share, 0 to 1
	double median, slowest;
};

summary summarise(const std::vector<outcome> &outcomes);

#endif
