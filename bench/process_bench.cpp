// Times whole runs of the filter against the I/O floor (a plain block
// copy) and two straightforward peers, one with iostreams and one with C
// stdio, on four deterministic workloads.  Runs alternate between the
// programs and the median of each is reported.
//
//   process_bench [--runs N] [--scale F] [--dir D]
//
// --scale shrinks the workloads (CI runs it tiny to keep it working).
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct workload {
	const char *name;
	std::string path;
	std::size_t cases;
	std::size_t bytes;
};

struct program {
	const char *name;
	const char *path;
};

struct sample {
	double seconds;
	int status;
};

std::uint64_t next(std::uint64_t &state)
{
	state ^= state << 13;
	state ^= state >> 7;
	state ^= state << 17;
	return state;
}

// Mixed-case letters with about 15% spaces and a little punctuation.
void append_text(std::string &out, std::uint64_t &random, std::size_t length)
{
	for (std::size_t i = 0; i < length; i++) {
		const std::uint64_t roll = next(random) % 100;
		out += roll < 15 ? ' ' : roll < 55 ? static_cast<char>('a' + roll % 26)
		     : roll < 95 ? static_cast<char>('A' + roll % 26) : static_cast<char>(',' + roll % 4);
	}
}

// Keys from min_key to max_key; or, with by_length, from L/8 to L-1 for a
// text of L bytes after normalising: grids of one to eight rows.
struct key_rule {
	std::size_t min_key;
	std::size_t max_key;
	bool by_length;
};

workload make_workload(const char *name, const std::string &dir, std::size_t cases,
                       std::size_t min_length, std::size_t max_length, key_rule keys)
{
	std::uint64_t random = 0x9e3779b97f4a7c15u ^ cases ^ min_length;
	std::string stream, text;
	for (std::size_t i = 0; i < cases; i++) {
		text.clear();
		append_text(text, random, min_length + static_cast<std::size_t>(next(random) % (max_length - min_length + 1)));
		std::size_t low = keys.min_key, high = keys.max_key;
		if (keys.by_length) {
			const auto length = static_cast<std::size_t>(text.size() - static_cast<std::size_t>(std::count(text.begin(), text.end(), ' ')));
			low = std::max<std::size_t>(2, length / 8);
			high = std::max(low, length - 1);
		}
		stream += std::to_string(low + static_cast<std::size_t>(next(random) % (high - low + 1)));
		stream += '\n';
		stream += text;
		stream += '\n';
	}
	stream += "0\n";
	const std::string path = dir + "/" + name + ".txt";
	FILE *file = std::fopen(path.c_str(), "wb");
	if (file == nullptr || std::fwrite(stream.data(), 1, stream.size(), file) != stream.size() || std::fclose(file) != 0) {
		std::perror(path.c_str());
		std::exit(2);
	}
	return {name, path, cases, stream.size()};
}

// Runs `path` on `input`, optionally under the peak memory launcher, whose
// report arrives on `report`.
int start(const char *path, const std::string &input, const char *output, int report)
{
	const pid_t pid = fork();
	if (pid == 0) {
		const int in = open(input.c_str(), O_RDONLY);
		const int out = open(output, O_WRONLY | O_CREAT | O_TRUNC, 0644);
		if (in < 0 || out < 0)
			_exit(126);
		dup2(in, STDIN_FILENO);
		dup2(out, STDOUT_FILENO);
		if (report >= 0) {
			const std::string fd = std::to_string(report);
			execl(BENCH_PEAK_MEMORY, BENCH_PEAK_MEMORY, fd.c_str(), path, static_cast<char *>(nullptr));
		} else {
			execl(path, path, static_cast<char *>(nullptr));
		}
		_exit(127);
	}
	int status = 0;
	waitpid(pid, &status, 0);
	return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

sample run(const program &prog, const std::string &input, const char *output = "/dev/null")
{
	const auto begin = std::chrono::steady_clock::now();
	const int status = start(prog.path, input, output, -1);
	const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
	return {took.count(), status};
}

// Peak resident memory in KiB.  It is measured in a run of its own, from a
// small launcher: a child's peak includes what it had when it forked, and
// this process holds far more than the programs it measures.
long peak_kib(const program &prog, const std::string &input)
{
	int report[2];
	if (pipe(report) != 0)
		return -1;
	start(prog.path, input, "/dev/null", report[1]);
	close(report[1]);
	char text[32] = {};
	const ssize_t got = read(report[0], text, sizeof text - 1);
	close(report[0]);
	return got > 0 ? std::atol(text) : -1;
}

double median(std::vector<double> values)
{
	std::sort(values.begin(), values.end());
	const std::size_t mid = values.size() / 2;
	return values.size() % 2 == 1 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

std::string slurp(const std::string &path)
{
	std::string text;
	if (FILE *file = std::fopen(path.c_str(), "rb")) {
		char buffer[65536];
		std::size_t got;
		while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
			text.append(buffer, got);
		std::fclose(file);
	}
	return text;
}

} // namespace

int main(int argc, char **argv)
{
	int runs = 7;
	double scale = 1.0;
	std::string dir = "/tmp";
	for (int i = 1; i + 1 < argc; i += 2) {
		if (std::strcmp(argv[i], "--runs") == 0)
			runs = std::max(1, std::atoi(argv[i + 1]));
		else if (std::strcmp(argv[i], "--scale") == 0)
			scale = std::clamp(std::atof(argv[i + 1]), 1e-4, 1.0);
		else if (std::strcmp(argv[i], "--dir") == 0)
			dir = argv[i + 1];
	}
	const auto scaled = [scale](std::size_t n) { return std::max<std::size_t>(1, static_cast<std::size_t>(static_cast<double>(n) * scale)); };

	const program programs[] = {
	    {"io floor", BENCH_IO_FLOOR},
	    {"iostream", BENCH_BASELINE},
	    {"c stdio", BENCH_C_PEER},
	    {"untranspose", BENCH_UNTRANSPOSE},
	};
	constexpr int count = sizeof programs / sizeof programs[0];
	constexpr int ours = count - 1;
	const workload workloads[] = {
	    make_workload("short", dir, scaled(200000), 0, 60, {1, 12, false}),
	    make_workload("long", dir, scaled(2000), 9000, 9999, {2, 200, false}),
	    make_workload("tiny", dir, scaled(2000000), 0, 4, {1, 3, false}),
	    make_workload("wide", dir, scaled(2000), 9000, 9999, {0, 0, true}),
	};
	const workload one = make_workload("one-case", dir, 1, 40, 40, {5, 5, false});

	int failures = 0;
	std::printf("%d runs each, alternating; medians; output to /dev/null\n", runs);
	for (const workload &w : workloads) {
		// The fast filter must print exactly what both peers print.
		const std::string expected = dir + "/" + w.name + ".untranspose.out";
		if (run(programs[ours], w.path, expected.c_str()).status != 0)
			failures++;
		for (int p = 1; p < ours; p++) {
			const std::string theirs = dir + "/" + w.name + ".peer.out";
			if (run(programs[p], w.path, theirs.c_str()).status != 0 || slurp(expected) != slurp(theirs)) {
				std::printf("%s: untranspose and %s disagree\n", w.name, programs[p].name);
				failures++;
			}
		}

		std::vector<double> seconds[count];
		for (int r = 0; r < runs; r++)
			for (int k = 0; k < count; k++) {
				const int p = (r % 2 == 0) ? k : count - 1 - k;
				const sample s = run(programs[p], w.path);
				failures += s.status != 0;
				seconds[p].push_back(s.seconds);
			}

		std::printf("\n%s: %zu cases, %.1f MB\n", w.name, w.cases, static_cast<double>(w.bytes) / 1e6);
		std::printf("  %-12s %10s %10s %10s %10s\n", "program", "ms", "MB/s", "ns/case", "peak KiB");
		double med[count];
		for (int p = 0; p < count; p++) {
			med[p] = median(seconds[p]);
			std::printf("  %-12s %10.2f %10.0f %10.1f %10ld\n", programs[p].name, med[p] * 1e3,
			            static_cast<double>(w.bytes) / med[p] / 1e6, med[p] * 1e9 / static_cast<double>(w.cases),
			            peak_kib(programs[p], w.path));
		}
		std::printf("  untranspose / io floor: %.2f times the time\n", med[ours] / med[0]);
		for (int p = 1; p < ours; p++)
			std::printf("  %s / untranspose: %.1f times faster\n", programs[p].name, med[p] / med[ours]);
	}
	std::printf("\none-case run: untranspose peak %ld KiB\n", peak_kib(programs[ours], one.path));
	return failures == 0 ? 0 : 1;
}
