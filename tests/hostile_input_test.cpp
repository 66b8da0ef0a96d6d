// Hostile input against the built executable: whatever the bytes, it must
// end in time with status 0 or 1, print exactly what the plain model says,
// write nothing to standard error, and keep its memory flat.
#include "child.h"
#include "model.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace {

// Under a memory checker everything runs far slower, so limits stretch and
// fewer random streams are run.  Under a checker or an emulator, memory
// figures are theirs, not the filter's.
bool under_checker()
{
	return std::getenv("UNTRANSPOSE_RUN_UNDER") != nullptr;
}

bool memory_is_the_filters()
{
	return !under_checker() && !under_emulator();
}

std::chrono::milliseconds limit(std::chrono::milliseconds normal)
{
	return under_checker() || under_emulator() ? normal * 30 : normal;
}

long one_case_peak()
{
	static const long peak = run_program("3\nabc\n0\n").peak_kib;
	return peak;
}

// Runs `input` and holds the run to the model.
void expect_model(const std::string &name, const std::string &input, std::chrono::milliseconds normal = 10s)
{
	const child_result got = run_program(input, limit(normal));
	const model_result expected = run_model(input);
	ASSERT_FALSE(got.timed_out) << name;
	EXPECT_EQ(got.status, expected.status) << name;
	EXPECT_TRUE(got.out == expected.output) << name << ": output differs from the model ("
	                                       << got.out.size() << " bytes against " << expected.output.size() << ")";
	EXPECT_EQ(got.err, "") << name;
	if (memory_is_the_filters()) {
		EXPECT_LE(got.peak_kib, one_case_peak() + 512) << name << ": memory grew with the input";
	}
}

std::string repeat(std::string_view piece, std::size_t times)
{
	std::string out;
	out.reserve(piece.size() * times);
	for (std::size_t i = 0; i < times; i++)
		out += piece;
	return out;
}

// Streams rich in the bytes that matter to the parser.
std::string random_stream(std::mt19937 &random, std::size_t length)
{
	static constexpr char tokens[] = "0123456789+- \t\r\n\n\n\nab\0zZ\x80\xff";
	std::uniform_int_distribution<int> any(0, 255);
	std::uniform_int_distribution<std::size_t> token(0, sizeof tokens - 2);
	std::string stream(length, '\0');
	for (char &c : stream)
		c = any(random) < 64 ? static_cast<char>(any(random)) : tokens[token(random)];
	return stream;
}

TEST(HostileInput, RandomStreams)
{
	std::mt19937 random(4242);
	std::uniform_int_distribution<std::size_t> length(0, 3000);
	const int streams = under_checker() ? 10 : 150;
	for (int i = 0; i < streams; i++)
		expect_model("random stream " + std::to_string(i), random_stream(random, length(random)));
}

// Cut at every byte, the sample stream still ends, and every line but the
// last is the full run's.
TEST(HostileInput, EveryPrefixOfTheSample)
{
	std::ifstream file(SAMPLE_STREAM, std::ios::binary);
	const std::string sample{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
	ASSERT_FALSE(sample.empty());
	const std::string full = run_program(sample).out;
	const std::size_t step = under_checker() ? 7 : 1;
	for (std::size_t n = 0; n <= sample.size(); n += step) {
		const std::string prefix = sample.substr(0, n);
		expect_model("prefix of " + std::to_string(n) + " bytes", prefix);
		const std::string out = run_program(prefix, limit(10s)).out;
		std::string_view all_but_last = out;
		if (!all_but_last.empty())
			all_but_last.remove_suffix(1);
		all_but_last = all_but_last.substr(0, all_but_last.rfind('\n') + 1);
		EXPECT_EQ(all_but_last, full.substr(0, all_but_last.size())) << "prefix of " << n << " bytes";
	}
}

TEST(HostileInput, HugeInputs)
{
	const std::string million_digits = "1" + std::string(1000000, '0');
	expect_model("a key of a million digits", million_digits + "\nab cd\n2\nabcd\n0\n");
	expect_model("a negative key of a million digits", "-" + million_digits + "\nab cd\n0\n");
	expect_model("a million zeros as the terminator", std::string(1000000, '0') + "\n2\nabcd\n");
	expect_model("a 50 MB text line", "3\n" + repeat("The quick brown fox ", 2500000) + "\n2\nabcd\n0\n", 30s);
	expect_model("10 MB of white space and no key", repeat(" \t\r\n", 2500000));
	expect_model("a million tiny cases and no terminator", repeat("1\na\n", 1000000), 30s);
}

// Streams of many short cases, so that the ends of the input blocks fall
// inside lines of every length around 16 and 64 bytes, where lines stop
// being moved and searched in fixed pieces.
TEST(HostileInput, ShortLinesAcrossInputBlocks)
{
	std::mt19937 random(1616);
	std::uniform_int_distribution<std::size_t> length(0, 130);
	std::uniform_int_distribution<int> key(-2, 70);
	std::uniform_int_distribution<std::size_t> pick(0, 11);
	static constexpr char bytes[] = "ab  Zz.\t\0\xe9q";
	const int streams = under_checker() ? 1 : 4;
	for (int n = 0; n < streams; n++) {
		std::string stream;
		while (stream.size() < 600000) {
			const int k = key(random);
			stream += std::to_string(k == 0 ? 71 : k) + "\n";
			const std::size_t size = length(random);
			for (std::size_t i = 0; i < size; i++)
				stream += bytes[pick(random)];
			stream += '\n';
		}
		expect_model("short lines, stream " + std::to_string(n), stream + "0\n");
	}
}

TEST(HostileInput, OddBytes)
{
	expect_model("lines of signs only", "+-+-\n---\n+\n-\n");
	expect_model("signs after a case", "2\nabcd\n+-+-\n---\n");
	expect_model("zero bytes only", std::string(100000, '\0'));
	expect_model("zero bytes around keys", std::string("\0\n2\n\0\0ab\n", 10) + "0\n");
	expect_model("zero byte in a key line", std::string("2\0 9\nabcd\n0\n", 12));
	expect_model("zero bytes in texts", repeat(std::string("3\nab\0cd\n\0\n", 11), 1000));
	expect_model("carriage returns only", std::string(1000, '\r'));
	expect_model("every byte value as text", "7\n" + [] {
		std::string all;
		for (int b = 0; b < 256; b++)
			if (b != '\n')
				all += static_cast<char>(b);
		return all;
	}() + "\n0\n");
}

// Standard input that cannot be read at all is a failure, not an empty
// stream.
TEST(HostileInput, UnreadableInputFails)
{
	child program(nullptr, nullptr, ".");
	const child_result got = program.finish(limit(10s));
	EXPECT_EQ(got.status, 1);
	EXPECT_EQ(got.out, "");
	EXPECT_EQ(got.err, "");
}

} // namespace
