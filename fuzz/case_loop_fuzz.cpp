// The whole case loop on an arbitrary byte stream, in memory, against the
// plain model of the filter.  The first three bytes steer the run: how the
// input is cut into reads, after how many bytes output fails, and after
// how many reads input fails; the rest is the stream.
#include "model.h"
#include "run_cases.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

void check(bool ok)
{
	if (!ok)
		std::abort();
}

struct memory_input {
	std::string_view rest;
	std::uint32_t cut;       // varies the size of each read
	int reads_left;          // a read error after this many reads; -1 never
};

long read_memory(void *context, char *buffer, std::size_t size) noexcept
{
	auto &in = *static_cast<memory_input *>(context);
	if (in.reads_left == 0)
		return -1;
	if (in.reads_left > 0)
		in.reads_left--;
	in.cut = in.cut * 1103515245u + 12345u;
	const std::size_t piece = 1 + (in.cut >> 16) % 4096;
	const std::size_t n = std::min({size, piece, in.rest.size()});
	std::memcpy(buffer, in.rest.data(), n);
	in.rest.remove_prefix(n);
	return static_cast<long>(n);
}

struct memory_output {
	std::string text;
	std::size_t room;        // bytes accepted before writes fail
};

bool write_memory(void *context, const char *bytes, std::size_t size) noexcept
{
	auto &out = *static_cast<memory_output *>(context);
	if (size > out.room - out.text.size())
		return false;
	out.text.append(bytes, size);
	return true;
}

std::size_t count(std::string_view text, char c)
{
	return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
	if (size < 3)
		return 0;
	const std::string_view stream(reinterpret_cast<const char *>(data) + 3, size - 3);
	memory_input in{stream, data[0], data[2] < 16 ? data[2] : -1};
	memory_output out{{}, data[1] < 32 ? std::size_t{data[1]} * 8 : std::string::npos};

	const int status = run_cases(byte_source{read_memory, &in}, byte_sink{write_memory, &out});
	const model_result expected = run_model(stream);

	check(status == 0 || status == 1);
	check(count(out.text, '\n') <= count(stream, '\n') + 1);
	if (out.room == std::string::npos && in.reads_left < 0) {
		check(out.text == expected.output);
		check(status == expected.status);
	} else {
		// A failed read or write ends the run early: what was printed is
		// still right, and the status says that something went wrong.
		check(expected.output.compare(0, out.text.size(), out.text) == 0);
		if (out.text.size() < expected.output.size())
			check(status == 1);
	}
	return 0;
}
