// write_streams DIR
//
// Writes the end-to-end tables into DIR: for case n of table T, the input
// T.n.in, the exact output T.n.out and, where the table says what the
// filter must leave unread in a file, T.n.rest; and for each table an
// index T.index of lines "n status name".  Scripts then run the filter on
// every input and compare bytes and status, so the same tables run
// wherever the filter runs, under an emulator too.
#include "model.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

struct stream_case {
	const char *name;
	std::string input;
	std::string output;
	int status;
	std::string rest = {};
};

struct stream_table {
	const char *name;
	std::vector<stream_case> cases;
};

std::string repeat(char c, std::size_t n)
{
	return std::string(n, c);
}

std::string lower(std::string text)
{
	for (char &c : text)
		if (c >= 'A' && c <= 'Z')
			c = static_cast<char>(c + ('a' - 'A'));
	return text;
}

// A text of `length` capital letters, and the case that enciphers it.
struct full_case {
	std::string plain;
	std::string input;
};

full_case enciphered_case(std::size_t length, std::size_t key)
{
	std::string plain(length, 'A');
	for (std::size_t i = 0; i < length; i++)
		plain[i] = static_cast<char>('A' + (i * 7 + i / 26) % 26);
	return {plain, std::to_string(key) + "\n" + lower(encipher(plain, key)) + "\n"};
}

std::vector<stream_table> tables()
{
	const full_case longest = enciphered_case(9999, 7);
	const full_case cut = enciphered_case(9999, 3);
	const std::string over = cut.input.substr(0, cut.input.size() - 1) + "qqq" + repeat('z', 20000) + "\n";
	const std::string many_digits = "1" + repeat('0', 100000);
	std::string rows, rows_out;
	for (int n = 0; n < 4000; n++) {
		rows += "3\nabcdefg hijklmn\n";
		rows_out += "AFKBGLCHMDINEJ\n";
	}
	return {
	    {"case_streams",
	     {
	         {"empty input", "", "", 0},
	         {"terminator only", "0\n", "", 0},
	         {"worked run", "4\nacd tka taw atn\n3\nhlod eorl wl\n0\n", "ATTACKATDAWN\nHELLOWORLD\n", 0},
	         {"short last row", "3\nabcdefg\n0\n", "ADFBEGC\n", 0},
	         {"two columns", "2\nabcd\n0\n", "ACBD\n", 0},
	         {"one column", "1\na b c\n0\n", "ABC\n", 0},
	         {"key past the length", "5\nabc\n0\n", "ABC\n", 0},
	         {"empty text", "7\n\n0\n", "\n", 0},
	         {"spaces only", "3\n     \n0\n", "\n", 0},
	         {"nothing read after the terminator", "0\n3\nabc\n", "", 0},
	         {"terminator written 00", "2\nabcd\n00\n2\nabcd\n", "ACBD\n", 0},
	         {"terminator written +0", "+0\n2\nabcd\n", "", 0},
	         {"terminator written -0", "-0\n2\nabcd\n", "", 0},
	         {"terminator without newline", "2\nabcd\n0", "ACBD\n", 0},
	         {"blank lines before a key", "\n\n \t\n3\nabcdefg\n\n\n0\n", "ADFBEGC\n", 0},
	         {"blank line after a key is the text", "3\n\n2\nabcd\n0\n", "\nACBD\n", 0},
	         {"letters after the key", "3xyz\nabcdefg\n0\n", "ADFBEGC\n", 0},
	         {"words after the key", "3 xyz\nabcdefg\n0\n", "ADFBEGC\n", 0},
	         {"plus sign", "+2\nabcd\n0\n", "ACBD\n", 0},
	         {"CR LF line ends", "3\r\nabcdefg\r\n0\r\n", "ADGBE\rCF\n", 0},
	         {"control-Z is a byte like any other", "2\nab\x1a" "cd\n2\nabcd\n0\n", "ACBD\x1a\nACBD\n", 0},
	         {"zero byte ends the text", "2\nab\0cd ef\n2\nabcd\n0\n"s, "AB\nACBD\n", 0},
	         {"zero byte first", "2\n\0abcd\n0\n"s, "\n", 0},
	         {"long text then short", "2\nabcdefghij\n2\nabc\n0\n", "AFBGCHDIEJ\nACB\n", 0},
	         {"text of 9999 bytes", longest.input + "0\n", longest.plain + "\n", 0},
	         {"bytes kept as they are", "2\n\xc3\xa9\xc3\xa8\tx\n0\n", "\xc3\xa8\xa9\t\xc3X\n", 0},
	     }},
	    // Where the input ends early, or a key line is not a number.
	    {"ends_of_input",
	     {
	         {"end after a text line", "3\nabc\n", "ABC\n", 0},
	         {"end after a text without newline", "2\nabcd", "ACBD\n", 0},
	         {"end after blank lines", "3\nabc\n\n \n\r\n", "ABC\n", 0},
	         {"end right after a key", "3", "\n", 0},
	         {"end right after a key line", "2\nabcd\n3\n", "ACBD\n\n", 0},
	         {"rest of key line is not text", "2\nabcd\n3 abc", "ACBD\n\n", 0},
	         {"no number first", "abc\n3\nabc\n0\n", "", 0},
	         {"bare sign first", "-\n3\nabc\n0\n", "", 0},
	         {"no number later", "2\nabcd\nxyz\n2\nabcd\n0\n", "ACBD\n", 1},
	         {"bare sign later", "2\nabcd\n+\n2\nabcd\n0\n", "ACBD\n", 1},
	         {"sign then space later", "2\nabcd\n- 2\nabcd\n0\n", "ACBD\n", 1},
	         {"bare sign at the end", "2\nabcd\n-", "ACBD\n", 1},
	     }},
	    {"keys_out_of_range",
	     {
	         {"above 32 bits", "99999999999999999999\nab cd\n0\n", "ABCD\n", 0},
	         {"just above 32 bits", "2147483648\nabcd\n0\n", "ABCD\n", 0},
	         {"largest key", "2147483647\nabcd\n0\n", "ABCD\n", 0},
	         {"below 32 bits", "-99999999999999999999\nab cd\n0\n", "ABCD\n", 0},
	         {"negative key", "-3\nabc def\n0\n", "ABCDEF\n", 0},
	         {"smallest key", "-2147483648\nabcd\n0\n", "ABCD\n", 0},
	         {"leading zeros", repeat('0', 50000) + "2\nabcd\n0\n", "ACBD\n", 0},
	         {"nine digits", "000000003\nabcdefg\n0\n", "ADFBEGC\n", 0},
	         {"ten digits", "0000000003\nabcdefg\n0\n", "ADFBEGC\n", 0},
	         {"a hundred thousand digits", many_digits + "\nabcd\n0\n", "ABCD\n", 0},
	         {"zero of many digits", repeat('0', 70000) + "\n2\nabcd\n", "", 0},
	     }},
	    {"long_lines",
	     {
	         {"text line cut at 9999 bytes", over + "2\nabcd\n0\n", cut.plain + "\nACBD\n", 0},
	         {"long rest of a key line", "2" + repeat('x', 300000) + "\nabcd\n0\n", "ACBD\n", 0},
	         {"spaces do not count to the limit", "1\n" + repeat(' ', 9998) + "ab\n0\n", "A\n", 0},
	     }},
	    // Read from a file, the filter leaves what follows the key 0's last
	    // digit to the next reader.  Input is read in blocks of 64 KiB.
	    {"rest_after_terminator",
	     {
	         {"rest of the terminator's line", "2\nabcd\n0 and more\n3\nabc\n", "ACBD\n", 0, " and more\n3\nabc\n"},
	         {"terminator at the end", "2\nabcd\n0", "ACBD\n", 0, ""},
	         {"terminator after the first block", rows + "0\nrest\n", rows_out, 0, "\nrest\n"},
	         {"a long rest", "2\nabcd\n0\n" + rows, "ACBD\n", 0, "\n" + rows},
	         {"terminator across blocks", repeat('0', 70000) + "x\n2\nabcd\n", "", 0, "x\n2\nabcd\n"},
	         {"terminator at the end of a block", repeat('\n', 65535) + "0\nabc", "", 0, "\nabc"},
	     }},
	};
}

bool write_file(const std::string &path, const std::string &bytes)
{
	std::ofstream file(path, std::ios::binary);
	file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
	return file.good();
}

} // namespace

int main(int argc, char **argv)
{
	if (argc != 2) {
		std::fputs("usage: write_streams DIR\n", stderr);
		return 2;
	}
	const std::string dir = argv[1];
	for (const stream_table &table : tables()) {
		std::string index;
		for (std::size_t n = 0; n < table.cases.size(); n++) {
			const stream_case &c = table.cases[n];
			const std::string stem = dir + "/" + table.name + "." + std::to_string(n);
			if (!write_file(stem + ".in", c.input) || !write_file(stem + ".out", c.output) ||
			    !write_file(stem + ".rest", c.rest)) {
				std::perror(stem.c_str());
				return 1;
			}
			index += std::to_string(n) + " " + std::to_string(c.status) + " " + c.name + "\n";
		}
		if (!write_file(dir + "/" + table.name + ".index", index)) {
			std::perror(table.name);
			return 1;
		}
	}
	return 0;
}
