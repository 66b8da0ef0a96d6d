#include "child.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using clock_type = std::chrono::steady_clock;

int remaining_ms(clock_type::time_point deadline)
{
	const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock_type::now());
	return static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(left.count(), 0, 1000000));
}

void set_nonblocking(int fd)
{
	fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

// Drains whatever `fd` holds now into `sink`; false once it is at its end.
bool drain(int fd, std::string &sink)
{
	char buffer[65536];
	for (;;) {
		const ssize_t got = read(fd, buffer, sizeof buffer);
		if (got > 0) {
			sink.append(buffer, static_cast<std::size_t>(got));
			continue;
		}
		return got < 0 && (errno == EAGAIN || errno == EINTR);
	}
}

void split_words(const char *text, std::vector<std::string> &words)
{
	const std::string all = text;
	std::size_t at = 0;
	while ((at = all.find_first_not_of(' ', at)) != std::string::npos) {
		const std::size_t stop = std::min(all.find(' ', at), all.size());
		words.push_back(all.substr(at, stop - at));
		at = stop;
	}
}

// The emulator that runs this build's programs, when it was built for
// another processor: the launcher needs it as much as the filter does.
std::vector<std::string> emulator()
{
	std::vector<std::string> words;
	split_words(UNTRANSPOSE_EMULATOR, words);
	return words;
}

// Extra words before the program, such as "valgrind -q", from the
// environment: memory checkers run the same end-to-end tests.
std::vector<std::string> launcher()
{
	std::vector<std::string> words = emulator();
	if (const char *run_under = std::getenv("UNTRANSPOSE_RUN_UNDER"))
		split_words(run_under, words);
	return words;
}

} // namespace

bool under_emulator()
{
	return !emulator().empty();
}

const char *program_path()
{
	if (const char *path = std::getenv("UNTRANSPOSE_PROGRAM"))
		return path;
	return UNTRANSPOSE_PROGRAM;
}

child::child(const char *stdout_path, const char *setting, const char *stdin_path)
{
	std::signal(SIGPIPE, SIG_IGN);
	int in[2], out[2], err[2], peak[2];
	if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0 || pipe(peak) != 0)
		throw std::runtime_error("pipe failed");

	// The program runs under the peak memory launcher, which reports on
	// the last pipe.
	std::vector<std::string> words = emulator();
	words.emplace_back(PEAK_MEMORY);
	words.push_back(std::to_string(peak[1]));
	for (std::string &word : launcher())
		words.push_back(std::move(word));
	words.emplace_back(program_path());
	pid_ = fork();
	if (pid_ < 0)
		throw std::runtime_error("fork failed");
	if (pid_ == 0) {
		// A group of its own, so that a timeout can end the launcher and
		// everything it started together; and SIGPIPE as a shell leaves
		// it, since an ignored signal stays ignored across exec.
		setpgid(0, 0);
		std::signal(SIGPIPE, SIG_DFL);
		if (stdin_path != nullptr) {
			const int fd = open(stdin_path, O_RDONLY);
			dup2(fd, STDIN_FILENO);
		} else {
			dup2(in[0], STDIN_FILENO);
		}
		if (stdout_path != nullptr) {
			const int fd = open(stdout_path, O_WRONLY);
			dup2(fd, STDOUT_FILENO);
		} else {
			dup2(out[1], STDOUT_FILENO);
		}
		dup2(err[1], STDERR_FILENO);
		for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1], peak[0]})
			close(fd);
		if (setting != nullptr)
			putenv(const_cast<char *>(setting));
		std::vector<char *> argv;
		for (std::string &word : words)
			argv.push_back(word.data());
		argv.push_back(nullptr);
		execvp(argv[0], argv.data());
		_exit(127);
	}
	setpgid(pid_, pid_);
	close(in[0]);
	close(out[1]);
	close(err[1]);
	close(peak[1]);
	in_ = in[1];
	out_ = out[0];
	err_ = err[0];
	peak_ = peak[0];
	set_nonblocking(in_);
	set_nonblocking(out_);
	set_nonblocking(err_);
}

child::~child()
{
	if (pid_ > 0) {
		kill(-pid_, SIGKILL);
		waitpid(pid_, nullptr, 0);
	}
	for (int fd : {in_, out_, err_, peak_})
		if (fd >= 0)
			close(fd);
}

bool child::send(std::string_view bytes)
{
	// Output is collected while waiting to write, so that a child blocked
	// on a full output pipe cannot hold us up in turn.
	const auto deadline = clock_type::now() + 10s;
	while (!bytes.empty() && in_ >= 0) {
		const ssize_t put = write(in_, bytes.data(), bytes.size());
		if (put > 0) {
			bytes.remove_prefix(static_cast<std::size_t>(put));
			continue;
		}
		if (put < 0 && errno != EAGAIN && errno != EINTR)
			return false;
		pollfd ready[3] = {{in_, POLLOUT, 0}, {out_, POLLIN, 0}, {err_, POLLIN, 0}};
		if (poll(ready, 3, remaining_ms(deadline)) == 0)
			return false;
		if (ready[1].revents != 0)
			drain(out_, pending_);
		if (ready[2].revents != 0)
			drain(err_, pending_err_);
	}
	return in_ >= 0;
}

std::string child::read_line(std::chrono::milliseconds limit)
{
	const auto deadline = clock_type::now() + limit;
	for (;;) {
		const std::size_t newline = pending_.find('\n');
		if (newline != std::string::npos) {
			std::string line = pending_.substr(0, newline + 1);
			pending_.erase(0, newline + 1);
			return line;
		}
		pollfd ready{out_, POLLIN, 0};
		if (poll(&ready, 1, remaining_ms(deadline)) <= 0 || !drain(out_, pending_)) {
			std::string partial;
			partial.swap(pending_);
			return partial;
		}
	}
}

void child::close_input()
{
	if (in_ >= 0)
		close(in_);
	in_ = -1;
}

void child::close_output()
{
	if (out_ >= 0)
		close(out_);
	out_ = -1;
}

child_result child::finish(std::chrono::milliseconds limit)
{
	child_result result;
	result.out.swap(pending_);
	result.err.swap(pending_err_);
	const auto deadline = clock_type::now() + limit;
	bool out_open = out_ >= 0, err_open = err_ >= 0;
	while (out_open || err_open) {
		pollfd ready[2] = {{out_open ? out_ : -1, POLLIN, 0}, {err_open ? err_ : -1, POLLIN, 0}};
		if (poll(ready, 2, remaining_ms(deadline)) == 0) {
			result.timed_out = true;
			kill(-pid_, SIGKILL);
			break;
		}
		if (out_open && ready[0].revents != 0)
			out_open = drain(out_, result.out);
		if (err_open && ready[1].revents != 0)
			err_open = drain(err_, result.err);
	}
	int status = 0;
	waitpid(pid_, &status, 0);
	pid_ = -1;
	result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
	char report[32] = {};
	if (read(peak_, report, sizeof report - 1) > 0)
		result.peak_kib = std::atol(report);
	return result;
}

child_result run_program(std::string_view input, std::chrono::milliseconds limit,
                         const char *stdout_path, const char *setting)
{
	child program(stdout_path, setting);
	const auto deadline = clock_type::now() + limit;
	// Feed the input while collecting output, a pipe's worth at a time.
	while (!input.empty()) {
		if (!program.send(input.substr(0, 65536)))
			break;
		input.remove_prefix(std::min<std::size_t>(input.size(), 65536));
		if (clock_type::now() > deadline)
			break;
	}
	program.close_input();
	return program.finish(std::chrono::duration_cast<std::chrono::milliseconds>(
	    std::max(deadline - clock_type::now(), clock_type::duration{0})));
}
