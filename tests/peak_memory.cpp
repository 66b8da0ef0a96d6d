// peak_memory FD PROGRAM [ARGUMENT...]
//
// Runs PROGRAM on the same standard streams, writes its peak resident
// memory in KiB to the descriptor FD, and exits as it did (128 plus the
// signal number if a signal ended it).  A process's peak memory includes
// what it had when it forked, so measuring a program from a small process
// like this one keeps the caller's own memory out of the figure.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char **argv)
{
	if (argc < 3)
		return 125;
	const int report = std::atoi(argv[1]);
	const pid_t pid = fork();
	if (pid < 0)
		return 126;
	if (pid == 0) {
		close(report);
		execvp(argv[2], argv + 2);
		_exit(127);
	}
	int status = 0;
	rusage usage{};
	while (wait4(pid, &status, 0, &usage) < 0)
		if (errno != EINTR)
			return 126;
	dprintf(report, "%ld", usage.ru_maxrss);
	return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
