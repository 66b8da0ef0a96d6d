#include "white_space.h"

std::size_t space_separators(std::span<char> line) noexcept
{
	std::size_t kept = 0;
	for (std::size_t i = 0; i < line.size(); i++) {
		const auto byte = static_cast<unsigned char>(line[i]);
		if (byte == 0xc2 && i + 1 < line.size() && static_cast<unsigned char>(line[i + 1]) == 0xa0) {
			line[kept++] = ' ';
			i++;
		} else {
			line[kept++] = byte == '\t' || byte == '\v' || byte == '\f' || byte == '\r' ? ' ' : line[i];
		}
	}
	return kept;
}
