// The straightforward way to write the filter, as the yardstick the fast
// one is measured against: formatted input for the key, getline for the
// text, a flush after every line and all three buffers cleared per case.
#include <cstring>
#include <iostream>
#include <limits>

int main()
{
	constexpr int size = 10000;
	char *line = new char[size]();
	char *compact = new char[size]();
	char *output = new char[size]();
	int key = 0;
	while (std::cin >> key && key != 0) {
		std::cin.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
		std::cin.getline(line, size);
		if (std::cin.fail() && !std::cin.eof()) {
			std::cin.clear();
			std::cin.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
		}
		int length = 0;
		for (int i = 0; line[i] != '\0'; i++) {
			if (line[i] >= 'a' && line[i] <= 'z')
				line[i] = static_cast<char>(line[i] - 32);
			if (line[i] != ' ')
				compact[length++] = line[i];
		}
		long p = 0, c = 0;
		const long k = key < 1 ? 1 : key;
		for (int i = 0; i < length; i++) {
			if (p >= length)
				p = ++c;
			output[p] = compact[i];
			p += k;
		}
		std::cout << output << std::endl;
		std::memset(line, 0, size);
		std::memset(compact, 0, size);
		std::memset(output, 0, size);
	}
	return 0;
}
