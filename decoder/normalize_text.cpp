#include "decoder.h"

#include <algorithm>

std::size_t normalize_text(std::span<char> line, std::span<char> compact) noexcept
{
	const std::size_t size = std::min(line.size(), compact.size());
	std::size_t length = 0;
	for (std::size_t i = 0; i < size; i++) {
		const auto byte = static_cast<unsigned char>(line[i]);
		if (byte >= 'a' && byte <= 'z')
			line[i] = static_cast<char>(byte - ('a' - 'A'));
		if (byte != ' ')
			compact[length++] = line[i];
	}
	return length;
}
