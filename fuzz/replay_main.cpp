// Runs a fuzz target once on each file named, or in each directory named,
// where libFuzzer is not at hand.  Arguments that start with '-' are
// libFuzzer's options and are ignored, so one command line serves both.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace {

void replay(const std::filesystem::path &file)
{
	std::ifstream in(file, std::ios::binary);
	const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
	LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size());
}

} // namespace

int main(int argc, char **argv)
{
	int inputs = 0;
	for (int i = 1; i < argc; i++) {
		if (argv[i][0] == '-')
			continue;
		const std::filesystem::path path = argv[i];
		if (std::filesystem::is_directory(path)) {
			for (const auto &entry : std::filesystem::directory_iterator(path))
				if (entry.is_regular_file()) {
					replay(entry.path());
					inputs++;
				}
		} else {
			replay(path);
			inputs++;
		}
	}
	std::printf("replayed %d inputs\n", inputs);
	return inputs > 0 ? 0 : 1;
}
