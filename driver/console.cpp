// Standard input and output as the case loop's byte source and sink, read
// and written with the system's own calls: the loop does its own buffering.
// This is the one place that knows which system it runs on.
#include "run_cases.h"

#include <algorithm>
#include <cerrno>
#include <climits>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#else
#include <unistd.h>
#endif

namespace {

#if defined(_WIN32)
constexpr int INPUT_FD = 0;
constexpr int OUTPUT_FD = 1;
// The C runtime counts bytes in an unsigned int and returns an int.
constexpr std::size_t MOST_AT_ONCE = INT_MAX;

long read_some(int fd, char *buffer, std::size_t size) noexcept
{
	return _read(fd, buffer, static_cast<unsigned int>(size));
}

long write_some(int fd, const char *bytes, std::size_t size) noexcept
{
	return _write(fd, bytes, static_cast<unsigned int>(size));
}

void seek_back(int fd, std::size_t count) noexcept
{
	_lseeki64(fd, -static_cast<__int64>(count), SEEK_CUR);
}

// In text mode the C runtime turns CR LF into LF on input, LF into CR LF
// on output, and ends the input at a 0x1A byte.  The filter's input and
// output are bytes, the same as on every other system.
void set_binary() noexcept
{
	_setmode(INPUT_FD, _O_BINARY);
	_setmode(OUTPUT_FD, _O_BINARY);
}
#else
constexpr int INPUT_FD = STDIN_FILENO;
constexpr int OUTPUT_FD = STDOUT_FILENO;
constexpr std::size_t MOST_AT_ONCE = SSIZE_MAX < LONG_MAX ? SSIZE_MAX : LONG_MAX;

long read_some(int fd, char *buffer, std::size_t size) noexcept
{
	return static_cast<long>(read(fd, buffer, size));
}

long write_some(int fd, const char *bytes, std::size_t size) noexcept
{
	return static_cast<long>(write(fd, bytes, size));
}

void seek_back(int fd, std::size_t count) noexcept
{
	lseek(fd, -static_cast<off_t>(count), SEEK_CUR);
}

void set_binary() noexcept
{
}
#endif

long read_fd(void *context, char *buffer, std::size_t size) noexcept
{
	const int fd = *static_cast<const int *>(context);
	for (;;) {
		const long got = read_some(fd, buffer, std::min(size, MOST_AT_ONCE));
		if (got >= 0 || errno != EINTR)
			return got;
	}
}

bool write_fd(void *context, const char *bytes, std::size_t size) noexcept
{
	const int fd = *static_cast<const int *>(context);
	while (size > 0) {
		const long put = write_some(fd, bytes, std::min(size, MOST_AT_ONCE));
		if (put < 0 && errno == EINTR)
			continue;
		// A write that takes nothing would take nothing again.
		if (put <= 0)
			return false;
		bytes += put;
		size -= static_cast<std::size_t>(put);
	}
	return true;
}

// The bytes read past the key 0 go back to a file, so that whoever reads
// it next starts right after the key, as with a filter that reads a byte
// at a time.  Pipes and terminals cannot seek, and the seek fails
// harmlessly there.
void give_back_fd(void *context, std::size_t unused) noexcept
{
	if (unused > 0)
		seek_back(*static_cast<const int *>(context), unused);
}

} // namespace

int run_cases() noexcept
{
	set_binary();
	int in = INPUT_FD;
	int out = OUTPUT_FD;
	return run_cases(byte_source{read_fd, &in, give_back_fd}, byte_sink{write_fd, &out});
}
