// The built executable where it meets the system: a caller talking through
// pipes, a full disk, a reader that goes away and memory that cannot be had.
// The tables of whole streams are in write_streams.cpp.
#include "child.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>

namespace {

using namespace std::string_literals;

// A caller that sends one case and waits for its line before the next.
TEST(EndToEnd, AnswersEachCaseBeforeReadingOn)
{
	child program;
	const std::pair<std::string, std::string> exchanges[] = {
	    {"4\nacd tka taw atn\n", "ATTACKATDAWN\n"},
	    {"3\n", ""},
	    {"hlod eorl wl\n", "HELLOWORLD\n"},
	    {"\n\n7\n\n", "\n"},
	    {"2\nabcd\n", "ACBD\n"},
	};
	for (const auto &[sent, answer] : exchanges) {
		ASSERT_TRUE(program.send(sent));
		if (!answer.empty()) {
			ASSERT_EQ(program.read_line(5s), answer) << "after sending " << sent;
		}
	}
	ASSERT_TRUE(program.send("0\n"));
	const child_result end = program.finish(5s);
	EXPECT_FALSE(end.timed_out);
	EXPECT_EQ(end.out, "");
	EXPECT_EQ(end.status, 0);
}

TEST(EndToEnd, FailsWhenOutputCannotBeWritten)
{
	const child_result full = run_program("2\nabcd\n0\n", 10s, "/dev/full");
	EXPECT_EQ(full.status, 1);
	EXPECT_EQ(full.err, "");
	const child_result empty = run_program("0\n", 10s, "/dev/full");
	EXPECT_EQ(empty.status, 0) << "nothing to write is not a failure";
}

// Like other filters, it ends by SIGPIPE when its reader goes away.
TEST(EndToEnd, EndsBySignalWhenTheReaderGoesAway)
{
	if (std::getenv("UNTRANSPOSE_RUN_UNDER") != nullptr)
		GTEST_SKIP() << "a memory checker reports the memory of a process a signal ends";
	child program;
	program.close_output();
	program.send("2\nabcd\n0\n");
	program.close_input();
	const child_result got = program.finish(10s);
	EXPECT_EQ(got.status, 128 + SIGPIPE);
	EXPECT_EQ(got.err, "");
}

// Preloaded libraries make the system fail: the program's one allocation
// returns null, or a write takes no bytes and reports no error.  Either
// must end the run with status 1, and promptly.
TEST(EndToEnd, FailsWhenTheSystemFails)
{
#if defined(UNTRANSPOSE_SANITIZED)
	GTEST_SKIP() << "the sanitizers own the allocator and the system calls";
#endif
	if (std::getenv("UNTRANSPOSE_RUN_UNDER") != nullptr)
		GTEST_SKIP() << "the memory checker owns the allocator";
	if (under_emulator())
		GTEST_SKIP() << "LD_PRELOAD would reach the emulator, not the filter";
	const struct {
		const char *name;
		const char *library;
	} failures[] = {
	    {"no memory for the buffers", FAILING_CALLOC},
	    {"a write that makes no progress", STALLED_WRITE},
	};
	for (const auto &failure : failures) {
		const std::string setting = "LD_PRELOAD="s + failure.library;
		const child_result got = run_program("2\nabcd\n0\n", 10s, nullptr, setting.c_str());
		EXPECT_FALSE(got.timed_out) << failure.name;
		EXPECT_EQ(got.status, 1) << failure.name;
		EXPECT_EQ(got.out, "") << failure.name;
		EXPECT_EQ(got.err, "") << failure.name;
	}
}

} // namespace
