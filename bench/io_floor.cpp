// The I/O floor: copies standard input to standard output in large blocks
// and does nothing else.
#include <unistd.h>

#include <cerrno>

int main()
{
	static char buffer[128 * 1024];
	for (;;) {
		ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
		if (got < 0 && errno == EINTR)
			continue;
		if (got <= 0)
			return got < 0 ? 1 : 0;
		for (const char *at = buffer; got > 0;) {
			const ssize_t put = write(STDOUT_FILENO, at, static_cast<size_t>(got));
			if (put < 0 && errno == EINTR)
				continue;
			if (put < 0)
				return 1;
			at += put;
			got -= put;
		}
	}
}
