#include "text_reader.h"

#include "letter_folding.h"
#include "white_space.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint32_t REPLACEMENT = 0xfffd;

void hand_on(text_reader &r)
{
	const std::size_t stored = std::min(r.length, TEXT_LIMIT);
	const line_place place{r.file, r.first_line, ++r.texts};
	// A text that ends at a zero byte within the part kept loses nothing
	// the filter would read, and is not cut.
	if (r.length > stored && std::memchr(r.buffer.data(), '\0', stored) == nullptr)
		r.warn(r.context, reading_problem::cut, place, r.length);
	std::size_t kept = fold_letters(r.buffer.first(stored));
	kept = space_separators(r.buffer.first(kept));
	r.length = 0;
	r.line_start = 0;
	r.handle(r.context, {r.buffer.first(kept), place});
}

void end_line(text_reader &r)
{
	// A carriage return before the line feed belongs to the line end.
	if (r.carriage_return)
		r.length--;
	if (r.after_c2)
		r.blank = false;
	if (!r.paragraphs) {
		r.first_line = r.line;
		hand_on(r);
	} else if (r.blank) {
		r.length = r.line_start;
		if (r.length > 0)
			hand_on(r);
	} else {
		if (r.line_start == 0)
			r.first_line = r.line;
		r.line_start = r.length;
	}
	r.line++;
	r.carriage_return = false;
	r.blank = true;
	r.after_c2 = false;
}

bool white(unsigned char byte)
{
	return byte == ' ' || byte == '\t' || byte == '\v' || byte == '\f' || byte == '\r';
}

void text_byte(text_reader &r, unsigned char byte)
{
	if (byte == '\n')
		return end_line(r);
	if (r.length < TEXT_LIMIT)
		r.buffer[r.length] = static_cast<char>(byte);
	r.length++;
	r.carriage_return = byte == '\r';
	if (r.after_c2) {
		r.after_c2 = false;
		if (byte == 0xa0)
			return;
		r.blank = false;
	}
	if (byte == 0xc2)
		r.after_c2 = true;
	else if (!white(byte))
		r.blank = false;
}

void code_point(text_reader &r, std::uint32_t point)
{
	if (point < 0x80) {
		text_byte(r, static_cast<unsigned char>(point));
	} else if (point < 0x800) {
		text_byte(r, static_cast<unsigned char>(0xc0 | point >> 6));
		text_byte(r, static_cast<unsigned char>(0x80 | (point & 0x3f)));
	} else if (point < 0x10000) {
		text_byte(r, static_cast<unsigned char>(0xe0 | point >> 12));
		text_byte(r, static_cast<unsigned char>(0x80 | (point >> 6 & 0x3f)));
		text_byte(r, static_cast<unsigned char>(0x80 | (point & 0x3f)));
	} else {
		text_byte(r, static_cast<unsigned char>(0xf0 | point >> 18));
		text_byte(r, static_cast<unsigned char>(0x80 | (point >> 12 & 0x3f)));
		text_byte(r, static_cast<unsigned char>(0x80 | (point >> 6 & 0x3f)));
		text_byte(r, static_cast<unsigned char>(0x80 | (point & 0x3f)));
	}
}

void unpaired(text_reader &r)
{
	if (r.unpaired++ == 0)
		r.first_unpaired_line = r.line;
	code_point(r, REPLACEMENT);
}

bool high_surrogate(std::uint32_t unit) { return unit >= 0xd800 && unit <= 0xdbff; }
bool low_surrogate(std::uint32_t unit) { return unit >= 0xdc00 && unit <= 0xdfff; }

void utf16_byte(text_reader &r, unsigned char byte)
{
	if (r.odd < 0) {
		r.odd = byte;
		return;
	}
	const auto first = static_cast<std::uint32_t>(r.odd);
	const auto second = static_cast<std::uint32_t>(byte);
	const std::uint32_t unit = r.coding == text_reader::encoding::utf16le ? first | second << 8 : first << 8 | second;
	r.odd = -1;
	if (r.high != 0) {
		const std::uint32_t high = r.high;
		r.high = 0;
		if (low_surrogate(unit))
			return code_point(r, 0x10000 + ((high - 0xd800) << 10) + (unit - 0xdc00));
		unpaired(r);
	}
	if (high_surrogate(unit))
		r.high = unit;
	else if (low_surrogate(unit))
		unpaired(r);
	else
		code_point(r, unit);
}

// The first bytes of a file, held until they are known to be a byte order
// mark or not.
void sniff_byte(text_reader &r, unsigned char byte)
{
	using enc = text_reader::encoding;
	const unsigned char first = r.sniffed[0];
	if (r.sniffed_count == 0 && (byte == 0xef || byte == 0xff || byte == 0xfe)) {
		r.sniffed[r.sniffed_count++] = byte;
		return;
	}
	if (r.sniffed_count == 1 && first == 0xef && byte == 0xbb) {
		r.sniffed[r.sniffed_count++] = byte;
		return;
	}
	r.coding = enc::utf8;
	if ((first == 0xff && byte == 0xfe) || (first == 0xfe && byte == 0xff)) {
		if (r.sniffed_count == 1) {
			r.coding = first == 0xff ? enc::utf16le : enc::utf16be;
			return;
		}
	}
	if (r.sniffed_count == 2 && byte == 0xbf)
		return;
	for (std::size_t i = 0; i < r.sniffed_count; i++)
		text_byte(r, r.sniffed[i]);
	text_byte(r, byte);
}

} // namespace

void start_file(text_reader &reader, const char *file) noexcept
{
	reader.coding = text_reader::encoding::sniffing;
	reader.sniffed_count = 0;
	reader.odd = -1;
	reader.high = 0;
	reader.unpaired = 0;
	reader.file = file;
	reader.line = 1;
	reader.first_line = 1;
	reader.length = 0;
	reader.line_start = 0;
	reader.carriage_return = false;
	reader.blank = true;
	reader.after_c2 = false;
}

void read_byte(text_reader &reader, unsigned char byte) noexcept
{
	switch (reader.coding) {
	case text_reader::encoding::sniffing:
		return sniff_byte(reader, byte);
	case text_reader::encoding::utf8:
		return text_byte(reader, byte);
	case text_reader::encoding::utf16le:
	case text_reader::encoding::utf16be:
		return utf16_byte(reader, byte);
	}
}

void end_file(text_reader &r) noexcept
{
	if (r.coding == text_reader::encoding::sniffing) {
		r.coding = text_reader::encoding::utf8;
		for (std::size_t i = 0; i < r.sniffed_count; i++)
			text_byte(r, r.sniffed[i]);
	}
	const bool odd = r.odd >= 0;
	if (r.high != 0) {
		r.high = 0;
		unpaired(r);
	}
	if (r.length > r.line_start)
		end_line(r);
	if (r.paragraphs && r.length > 0)
		hand_on(r);
	const line_place place{r.file, r.line, r.texts};
	if (r.unpaired > 0)
		r.warn(r.context, reading_problem::unpaired_surrogate, {r.file, r.first_unpaired_line, r.texts}, r.unpaired);
	if (odd)
		r.warn(r.context, reading_problem::odd_byte, place, 1);
	r.odd = -1;
}
