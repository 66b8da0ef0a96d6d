#include "decoder.h"
#include "model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <string>
#include <vector>

namespace {

struct normalized {
	std::string compact;
	std::string line;
};

normalized normalize(std::string line)
{
	// Both as the line alone and, as the case loop hands it over, in a
	// whole zero-filled buffer.
	std::vector<char> whole(BUFFER_SIZE, '\0'), whole_compact(BUFFER_SIZE, '\0');
	std::copy(line.begin(), line.end(), whole.begin());
	const std::size_t whole_length = normalize_text(whole, whole_compact);
	std::vector<char> compact(BUFFER_SIZE, '\0');
	const std::size_t length = normalize_text(line, compact);
	EXPECT_TRUE(std::all_of(compact.begin() + static_cast<long>(length), compact.end(),
	                        [](char c) { return c == '\0'; }))
	    << "bytes past the compact text were written";
	EXPECT_EQ(whole_length, length);
	EXPECT_EQ(compact, whole_compact);
	EXPECT_EQ(std::string(whole.data(), line.size()), line);
	return {std::string(compact.data(), length), line};
}

// Decodes as the case loop does, in whole buffers: out must stay as it was
// past the text.
std::string decode(std::string_view text, std::int32_t key, char past = '\0')
{
	std::vector<char> compact(BUFFER_SIZE, '\0'), out(BUFFER_SIZE, past);
	std::copy(text.begin(), text.end(), compact.begin());
	decode_columns(compact, text.size(), key, out);
	EXPECT_TRUE(std::all_of(out.begin() + static_cast<long>(text.size()), out.end(),
	                        [past](char c) { return c == past; }))
	    << "bytes past the decoded text were written";
	return {out.data(), text.size()};
}

struct normalize_case {
	const char *name;
	std::string line;
	std::string compact;
	std::string upper_line;
};

TEST(NormalizeText, Table)
{
	const normalize_case cases[] = {
	    {"empty", "", "", ""},
	    {"spaces only", "   ", "", "   "},
	    {"letters and spaces", "a b c", "ABC", "A B C"},
	    {"punctuation and digits kept", "Hello, World 42", "HELLO,WORLD42", "HELLO, WORLD 42"},
	    {"tab kept", "ab\tcd", "AB\tCD", "AB\tCD"},
	    {"carriage return kept", "abc\r", "ABC\r", "ABC\r"},
	    {"letter neighbours unchanged", "`a{z@Z[", "`A{Z@Z[", "`A{Z@Z["},
	    {"high bytes unchanged", "\xc3\xa9t\xc3\xa9 \xff\x80", "\xc3\xa9T\xc3\xa9\xff\x80", "\xc3\xa9T\xc3\xa9 \xff\x80"},
	    {"other white space kept", "\v\f x", "\v\fX", "\v\f X"},
	    {"zero byte ends the line", std::string("a b\0c d", 7), "AB", std::string("A B\0c d", 7)},
	};
	for (const normalize_case &c : cases) {
		const normalized got = normalize(c.line);
		EXPECT_EQ(got.compact, c.compact) << c.name;
		EXPECT_EQ(got.line, c.upper_line) << c.name;
	}
}

TEST(NormalizeText, StopsWhereCompactBufferEnds)
{
	std::string line = "abcdef";
	std::array<char, 4> compact{};
	EXPECT_EQ(normalize_text(line, compact), 4u);
	EXPECT_EQ(std::string(compact.data(), 4), "ABCD");
}

struct decode_case {
	std::int32_t key;
	std::string compact;
	std::string decoded;
};

TEST(DecodeColumns, Table)
{
	const decode_case cases[] = {
	    {4, "ACDTKATAWATN", "ATTACKATDAWN"},
	    {3, "HLODEORLWL", "HELLOWORLD"},
	    {3, "ABCDEFG", "ADFBEGC"},
	    {2, "ABCD", "ACBD"},
	    {2, "ABCDE", "ADBEC"},
	    {1, "ABC", "ABC"},
	    {5, "ABC", "ABC"},
	    {3, "ABC", "ABC"},
	    {INT_MAX, "ABC", "ABC"},
	    {6, "", ""},
	    {-3, "ABCDEF", "ABCDEF"},
	    {INT_MIN, "ABC", "ABC"},
	    {0, "ABC", "ABC"},
	};
	for (const decode_case &c : cases)
		EXPECT_EQ(decode(c.compact, c.key), c.decoded) << "key " << c.key << " text " << c.compact;
}

// Short texts go by shuffles: every length and key.
TEST(DecodeColumns, ShortTextsWithEveryKey)
{
	std::mt19937 random(7);
	for (std::size_t length = 0; length <= 70; length++) {
		const std::string text = random_text(random, length);
		for (std::int32_t key = -2; key <= static_cast<std::int32_t>(length) + 2; key++)
			ASSERT_EQ(decode(text, key, '#'), key >= 1 ? place_columns(text, key) : text)
			    << "length " << length << " key " << key;
	}
}

TEST(DecodeColumns, LengthIsCutToTheBuffers)
{
	const std::array<char, 4> compact{'A', 'B', 'C', 'D'};
	std::array<char, 3> out{};
	decode_columns(compact, 100, 2, out);
	EXPECT_EQ(std::string(out.data(), 3), "ACB");
}

// For random texts and keys, decoding agrees with the placement loop and
// enciphering the result gives the text back.
TEST(DecodeColumns, InvertsEnciphering)
{
	std::mt19937 random(20261208);
	std::uniform_int_distribution<std::size_t> length_of(0, BUFFER_SIZE - 1);
	for (int round = 0; round < 400; round++) {
		const std::size_t length = round < 64 ? static_cast<std::size_t>(round) : length_of(random);
		const std::string text = random_text(random, length);
		std::uniform_int_distribution<std::int32_t> key_of(1, static_cast<std::int32_t>(length) + 2);
		const std::int32_t keys[] = {1, 2, key_of(random), key_of(random),
		                             static_cast<std::int32_t>(std::max<std::size_t>(length, 1)),
		                             static_cast<std::int32_t>(length) + 1, INT_MAX};
		for (std::int32_t key : keys) {
			const std::string decoded = decode(text, key);
			ASSERT_EQ(decoded, place_columns(text, key)) << "length " << length << " key " << key;
			ASSERT_EQ(encipher(decoded, static_cast<std::size_t>(key)), text)
			    << "length " << length << " key " << key;
		}
	}
}

// Every key of one text long enough for each shape of grid: the kernel
// chosen for each, and the edges between their shapes, agree with the
// placement loop.
TEST(DecodeColumns, EveryKeyOfALongText)
{
	std::mt19937 random(7);
	const std::string text = random_text(random, 2500);
	for (std::int32_t key = 1; key <= 2501; key++)
		ASSERT_EQ(decode(text, key), place_columns(text, key)) << "key " << key;
}

} // namespace
