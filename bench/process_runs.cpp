#include "process_runs.h"

#include "english.h"

#include <algorithm>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

std::string message(const std::string &corpus, std::mt19937 &random, std::size_t letters)
{
	std::string text = english_passage(corpus, random, letters), out;
	for (const char c : text)
		if (c >= 'A' && c <= 'Z')
			out += c;
	return out;
}

std::string in_groups(const std::string &cipher, bool lower)
{
	std::string out;
	for (std::size_t i = 0; i < cipher.size(); i++) {
		if (i > 0 && i % 5 == 0)
			out += ' ';
		out += lower ? static_cast<char>(cipher[i] - 'A' + 'a') : cipher[i];
	}
	return out;
}

int run(const std::vector<std::string> &argv, const std::string &in, const std::string &out, const std::string &err)
{
	const pid_t pid = fork();
	if (pid == 0) {
		const int input = open(in.c_str(), O_RDONLY);
		const int output = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
		const int quiet = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
		if (input < 0 || output < 0 || quiet < 0)
			_exit(127);
		dup2(input, 0);
		dup2(output, 1);
		dup2(quiet, 2);
		std::vector<char *> args;
		for (const std::string &a : argv)
			args.push_back(const_cast<char *>(a.c_str()));
		args.push_back(nullptr);
		execv(args[0], args.data());
		_exit(127);
	}
	int status = 0;
	waitpid(pid, &status, 0);
	return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string read_all(const std::string &path)
{
	std::ifstream file(path, std::ios::binary);
	return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

summary summarise(const std::vector<outcome> &outcomes)
{
	std::vector<double> times;
	int solved = 0;
	for (const outcome &o : outcomes) {
		times.push_back(o.seconds);
		solved += o.solved;
	}
	std::sort(times.begin(), times.end());
	return {static_cast<double>(solved) / static_cast<double>(std::max<std::size_t>(outcomes.size(), 1)),
	        times.empty() ? 0 : times[times.size() / 2], times.empty() ? 0 : times.back()};
}
