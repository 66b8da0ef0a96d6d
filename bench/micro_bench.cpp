// Bytes per second of the two transforms, with memcpy of the same bytes as
// the yardstick.
#include "decoder.h"

#include <benchmark/benchmark.h>

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
	std::vector<char> line = original;
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
	const std::vector<char> compact = sample_line(length);
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

// Key -1 stands for the text's own length: the text comes back unchanged.
BENCHMARK(copy)->ArgName("bytes")->Arg(60)->Arg(9999);
BENCHMARK(normalize)->ArgName("bytes")->Arg(60)->Arg(9999);
BENCHMARK(decode)->ArgNames({"bytes", "key"})->ArgsProduct({{60, 9999}, {2, 7, 100, -1}});

} // namespace

BENCHMARK_MAIN();
