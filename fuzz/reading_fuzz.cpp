// The reading of cipher files on arbitrary bytes, by lines when the first
// byte is even and by paragraphs when it is odd: every text is handed on
// whole, within the filter's limit and without a line feed, one per line
// read by lines; and a text in valid UTF-8 reads the same with CR LF line
// ends and as UTF-16 of either byte order, with nothing reported.
#include "text_reader.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

void check(bool ok)
{
	if (!ok)
		std::abort();
}

struct outcome {
	std::vector<std::string> texts;
	std::size_t problems = 0;
};

outcome read_all(std::string_view bytes, bool paragraphs)
{
	static std::vector<char> buffer(TEXT_LIMIT);
	outcome out;
	text_reader reader;
	reader.paragraphs = paragraphs;
	reader.buffer = buffer;
	reader.context = &out;
	reader.handle = [](void *context, const text_line &text) {
		check(text.bytes.size() <= TEXT_LIMIT);
		check(std::string_view(text.bytes.data(), text.bytes.size()).find('\n') == std::string_view::npos);
		static_cast<outcome *>(context)->texts.emplace_back(text.bytes.data(), text.bytes.size());
	};
	reader.warn = [](void *context, reading_problem problem, const line_place &, std::size_t) {
		static_cast<outcome *>(context)->problems += problem != reading_problem::cut;
	};
	start_file(reader, "input");
	for (const char c : bytes)
		read_byte(reader, static_cast<unsigned char>(c));
	end_file(reader);
	return out;
}

// The code points of valid UTF-8, or false.
bool code_points(std::string_view bytes, std::vector<std::uint32_t> &points)
{
	for (std::size_t i = 0; i < bytes.size();) {
		const auto lead = static_cast<unsigned char>(bytes[i]);
		const std::size_t size = lead < 0x80 ? 1 : lead >= 0xc2 && lead < 0xe0 ? 2 : lead >= 0xe0 && lead < 0xf0 ? 3
		                         : lead >= 0xf0 && lead < 0xf5                ? 4
		                                                                       : 0;
		if (size == 0 || i + size > bytes.size())
			return false;
		std::uint32_t point = size == 1 ? lead : lead & (0x7fu >> size);
		for (std::size_t k = 1; k < size; k++) {
			const auto next = static_cast<unsigned char>(bytes[i + k]);
			if ((next & 0xc0) != 0x80)
				return false;
			point = point << 6 | (next & 0x3fu);
		}
		const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
		if (point < least[size] || point > 0x10ffff || (point >= 0xd800 && point < 0xe000))
			return false;
		points.push_back(point);
		i += size;
	}
	return true;
}

std::string utf16(const std::vector<std::uint32_t> &points, bool little)
{
	std::string out = little ? "\xff\xfe" : "\xfe\xff";
	const auto unit = [&](std::uint32_t u) {
		out += static_cast<char>(little ? u & 0xff : u >> 8);
		out += static_cast<char>(little ? u >> 8 : u & 0xff);
	};
	for (const std::uint32_t p : points) {
		if (p < 0x10000) {
			unit(p);
		} else {
			unit(0xd800 + ((p - 0x10000) >> 10));
			unit(0xdc00 + ((p - 0x10000) & 0x3ff));
		}
	}
	return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
	if (size == 0)
		return 0;
	const bool paragraphs = data[0] % 2 == 1;
	const std::string_view input(reinterpret_cast<const char *>(data + 1), size - 1);
	const outcome read = read_all(input, paragraphs);

	const bool marked = input.substr(0, 2) == "\xff\xfe" || input.substr(0, 2) == "\xfe\xff";
	if (!paragraphs && !marked) {
		std::string_view body = input;
		if (body.substr(0, 3) == "\xef\xbb\xbf")
			body.remove_prefix(3);
		std::size_t lines = 0;
		for (const char c : body)
			lines += c == '\n';
		lines += !body.empty() && body.back() != '\n';
		check(read.texts.size() == lines && read.problems == 0);
	}

	std::vector<std::uint32_t> points;
	if (marked || input.substr(0, 3) == "\xef\xbb\xbf" || input.find('\r') != std::string_view::npos ||
	    !code_points(input, points))
		return 0;
	std::string crlf;
	for (const char c : input)
		crlf += c == '\n' ? std::string_view("\r\n") : std::string_view(&c, 1);
	for (const std::string &other : {crlf, utf16(points, true), utf16(points, false)}) {
		const outcome again = read_all(other, paragraphs);
		check(again.texts == read.texts && again.problems == 0);
	}
	return 0;
}
