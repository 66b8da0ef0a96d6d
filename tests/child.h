// Runs the built executable as a child process with exact bytes on its
// standard input, under a time limit, so that a hang fails a test instead
// of blocking the suite.
#ifndef UNTRANSPOSE_TESTS_CHILD_H
#define UNTRANSPOSE_TESTS_CHILD_H

#include <chrono>
#include <string>
#include <string_view>
#include <sys/types.h>

using namespace std::chrono_literals;

struct child_result {
	std::string out;
	std::string err;
	int status = -1;        // exit status, or 128 + signal number
	bool timed_out = false;
	long peak_kib = 0;      // peak resident memory, in KiB
};

// A running child with pipes on its standard input and output (or its
// standard output on a given file, such as /dev/full).
class child {
public:
	// `setting` is an extra NAME=VALUE for the child's environment, and
	// `stdin_path` a file to read instead of the input pipe.
	explicit child(const char *stdout_path = nullptr, const char *setting = nullptr,
	               const char *stdin_path = nullptr);
	~child();
	child(const child &) = delete;
	child &operator=(const child &) = delete;

	// Writes bytes to the child's standard input; false once it has closed it.
	bool send(std::string_view bytes);
	// Reads the child's output up to and including its next newline.
	// Returns what was read; it lacks the newline on timeout or end.
	std::string read_line(std::chrono::milliseconds limit);
	void close_input();
	// Closes our end of the child's output pipe, as a reader that goes away.
	void close_output();
	// Waits for the child to end, killing it after `limit`.
	child_result finish(std::chrono::milliseconds limit);

private:
	pid_t pid_ = -1;
	int in_ = -1, out_ = -1, err_ = -1, peak_ = -1;
	std::string pending_;
	std::string pending_err_;
};

// Runs the executable on `input` and collects everything it writes.  The
// input is written while output is read, so a large input cannot deadlock.
child_result run_program(std::string_view input,
                         std::chrono::milliseconds limit = 10s,
                         const char *stdout_path = nullptr,
                         const char *setting = nullptr);

// The executable under test, or a command that runs it (see child.cpp).
const char *program_path();

// Whether the programs run under an emulator, whose memory and speed are
// not theirs.
bool under_emulator();

#endif
