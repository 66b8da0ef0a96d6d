// Bytes per second of the two transforms, with memcpy of the same bytes as
// the yardstick.
#include "decoder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <random>
#include <vector>

namespace {

// Mixed-case letters and some punctuation, about 15% of them spaces.
std::vector<char> sample_line(std::size_t length)
{
	std::mt19937 random(static_cast<unsigned>(length));
	std::uniform_int_distribution<int> pick(0, 99);
	std::vector<char> line(length);
	for (char &c : line) {
		const int roll = pick(random);
		c = roll < 15 ? ' ' : roll < 55 ? static_cast<char>('a' + roll % 26)
		  : roll < 95 ? static_cast<char>('A' + roll % 26) : static_cast<char>(',' + roll % 4);
	}
	return line;
}

void normalize(benchmark::State &state)
{
	const auto length = static_cast<std::size_t>(state.range(0));
	const std::vector<char> original = sample_line(length);
	// The whole zero-filled line buffer, as the case loop hands it over.
	std::vector<char> line = original;
	line.resize(BUFFER_SIZE);
	std::vector<char> compact(BUFFER_SIZE);
	for (auto _ : state) {
		std::memcpy(line.data(), original.data(), length);
		benchmark::DoNotOptimize(normalize_text(line, compact));
		benchmark::ClobberMemory();
	}
	state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(length));
}

void decode(benchmark::State &state)
{
	const auto length = static_cast<std::size_t>(state.range(0));
	const auto key = static_cast<std::int32_t>(state.range(1) < 0 ? static_cast<std::int64_t>(length) : state.range(1));
	// Whole buffers, as the case loop hands them over.
	std::vector<char> compact = sample_line(length);
	compact.resize(BUFFER_SIZE);
	std::vector<char> output(BUFFER_SIZE);
	for (auto _ : state) {
		decode_columns(compact, length, key, output);
		benchmark::DoNotOptimize(output.data());
		benchmark::ClobberMemory();
	}
	state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(length));
}

void copy(benchmark::State &state)
{
	const auto length = static_cast<std::size_t>(state.range(0));
	const std::vector<char> from = sample_line(length);
	std::vector<char> to(BUFFER_SIZE);
	for (auto _ : state) {
		std::memcpy(to.data(), from.data(), length);
		benchmark::DoNotOptimize(to.data());
		benchmark::ClobberMemory();
	}
	state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(length));
}

// Every key from 2 to 9,998 on a 9,999-byte text, each timed as the best
// of a few rounds: the spread between the slowest and the fastest key.
void key_sweep(benchmark::State &state)
{
	constexpr std::size_t length = 9999;
	const std::vector<char> compact = sample_line(length);
	std::vector<char> output(BUFFER_SIZE);
	std::vector<double> speeds;
	std::int32_t slowest = 0, fastest = 0;
	for (auto _ : state) {
		speeds.clear();
		double low = 1e9, high = 0;
		for (std::int32_t key = 2; key <= static_cast<std::int32_t>(length) - 1; key++) {
			double best = 1e9;
			for (int round = 0; round < 3; round++) {
				const auto start = std::chrono::steady_clock::now();
				for (int i = 0; i < 8; i++) {
					decode_columns(compact, length, key, output);
					benchmark::DoNotOptimize(output.data());
					benchmark::ClobberMemory();
				}
				const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
				best = std::min(best, took.count() / 8);
			}
			const double speed = static_cast<double>(length) / best / 1e9;
			if (speed < low) {
				low = speed;
				slowest = key;
			}
			if (speed > high) {
				high = speed;
				fastest = key;
			}
			speeds.push_back(speed);
		}
	}
	std::vector<double> sorted = speeds;
	std::sort(sorted.begin(), sorted.end());
	state.counters["min_GB/s"] = sorted.front();
	state.counters["median_GB/s"] = sorted[sorted.size() / 2];
	state.counters["max_GB/s"] = sorted.back();
	state.counters["slowest_key"] = slowest;
	state.counters["fastest_key"] = fastest;
}

// Key -1 stands for the text's own length: the text comes back unchanged.
BENCHMARK(copy)->ArgName("bytes")->Arg(60)->Arg(9999);
BENCHMARK(normalize)->ArgName("bytes")->Arg(60)->Arg(9999);
BENCHMARK(decode)->ArgNames({"bytes", "key"})->ArgsProduct({{60, 9999}, {2, 7, 100, 1250, 9998, -1}});
BENCHMARK(key_sweep)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
