// Standard input and output as the case loop's byte source and sink, with
// plain read(2) and write(2): the loop does its own buffering.
#include "run_cases.h"

#include <cerrno>
#include <unistd.h>

namespace {

long read_fd(void *context, char *buffer, std::size_t size) noexcept
{
	const int fd = *static_cast<const int *>(context);
	for (;;) {
		const ssize_t got = read(fd, buffer, size);
		if (got >= 0 || errno != EINTR)
			return got;
	}
}

bool write_fd(void *context, const char *bytes, std::size_t size) noexcept
{
	const int fd = *static_cast<const int *>(context);
	while (size > 0) {
		const ssize_t put = write(fd, bytes, size);
		if (put < 0) {
			if (errno == EINTR)
				continue;
			return false;
		}
		bytes += put;
		size -= static_cast<std::size_t>(put);
	}
	return true;
}

} // namespace

int run_cases() noexcept
{
	int in = STDIN_FILENO;
	int out = STDOUT_FILENO;
	return run_cases(byte_source{read_fd, &in}, byte_sink{write_fd, &out});
}
