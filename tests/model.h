// Plain models that the tests hold the program against.
#ifndef UNTRANSPOSE_TESTS_MODEL_H
#define UNTRANSPOSE_TESTS_MODEL_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

// The transposition that decoding undoes: the text written row by row
// into rows of `key` bytes, read out column by column.
inline std::string encipher(std::string_view text, std::size_t key)
{
	std::string out;
	for (std::size_t c = 0; c < key && c < text.size(); c++)
		for (std::size_t p = c; p < text.size(); p += key)
			out += text[p];
	return out;
}

// The keyed transposition: the text written row by row into rows of
// ranks.size() bytes, and the columns read out in the order of their ranks
// (from 1), each from top to bottom.
inline std::string encipher_keyed(std::string_view text, const std::vector<int> &ranks)
{
	std::string out;
	for (int rank = 1; rank <= static_cast<int>(ranks.size()); rank++) {
		const auto column = static_cast<std::size_t>(std::find(ranks.begin(), ranks.end(), rank) - ranks.begin());
		for (std::size_t p = column; p < text.size(); p += ranks.size())
			out += text[p];
	}
	return out;
}

// The block permutation as its definition reads: the text written in rows
// of ranks.size() bytes, and each row read out in the order of the ranks
// (from 1), a short last row reading only the cells it has.
inline std::string encipher_blocks(std::string_view text, const std::vector<int> &ranks)
{
	std::string out;
	for (std::size_t row = 0; row < text.size(); row += ranks.size())
		for (int rank = 1; rank <= static_cast<int>(ranks.size()); rank++) {
			const auto column = static_cast<std::size_t>(std::find(ranks.begin(), ranks.end(), rank) - ranks.begin());
			if (row + column < text.size())
				out += text[row + column];
		}
	return out;
}

// The route cipher as its definition reads, for a complete grid of rows
// of `width`: the grid mirrored for the corner (1 tr, 2 bl, 3 br), then
// walked from its top-left corner.  The spirals are walked as a person
// walks them, turning (right for spiral, left for spiral-ccw) at an edge
// or a cell already read.
inline std::string encipher_route(std::string_view text, int width, int route, int corner)
{
	const int rows = static_cast<int>(text.size()) / width;
	const auto cell = [&](int r, int c) {
		const int row = corner >= 2 ? rows - 1 - r : r, column = corner % 2 == 1 ? width - 1 - c : c;
		return text[static_cast<std::size_t>(row * width + column)];
	};
	std::string out;
	if (route <= 1) {
		std::vector<bool> read(text.size());
		int r = 0, c = 0, dr = route == 0 ? 0 : 1, dc = route == 0 ? 1 : 0;
		for (std::size_t n = 0; n < text.size(); n++) {
			out += cell(r, c);
			read[static_cast<std::size_t>(r * width + c)] = true;
			const auto open = [&](int nr, int nc) {
				return nr >= 0 && nr < rows && nc >= 0 && nc < width && !read[static_cast<std::size_t>(nr * width + nc)];
			};
			if (!open(r + dr, c + dc)) {
				const int turned_r = route == 0 ? dc : -dc, turned_c = route == 0 ? -dr : dr;
				dr = turned_r;
				dc = turned_c;
			}
			r += dr;
			c += dc;
		}
	} else if (route == 2) {
		for (int c = 0; c < width; c++)
			for (int i = 0; i < rows; i++)
				out += cell(c % 2 == 0 ? i : rows - 1 - i, c);
	} else {
		for (int r = 0; r < rows; r++)
			for (int i = 0; i < width; i++)
				out += cell(r, r % 2 == 0 ? i : width - 1 - i);
	}
	return out;
}

// AMSCO as its definition reads: cells of `start` and 3 - start letters
// in a checkerboard, filled row after row, the last cell perhaps short,
// and the columns read in the order of their ranks (from 1), top to
// bottom.
inline std::string encipher_amsco(std::string_view text, const std::vector<int> &ranks, int start)
{
	const std::size_t columns = ranks.size();
	std::vector<std::string> column(columns);
	std::size_t at = 0;
	for (std::size_t r = 0; at < text.size(); r++)
		for (std::size_t c = 0; c < columns && at < text.size(); c++) {
			const std::size_t size = (r + c) % 2 == 0 ? static_cast<std::size_t>(start) : 3 - static_cast<std::size_t>(start);
			column[c] += text.substr(at, size);
			at += std::min(size, text.size() - at);
		}
	std::string out;
	for (int rank = 1; rank <= static_cast<int>(columns); rank++)
		for (std::size_t c = 0; c < columns; c++)
			if (ranks[c] == rank)
				out += column[c];
	return out;
}

// Myszkowski as its definition reads: the text written in rows of
// ranks.size(), and for each rank from 1, the columns of that rank read
// together, row by row, left to right within each row.
inline std::string encipher_myszkowski(std::string_view text, const std::vector<int> &ranks)
{
	std::string out;
	const std::size_t columns = ranks.size();
	const int most = columns == 0 ? 0 : *std::max_element(ranks.begin(), ranks.end());
	for (int rank = 1; rank <= most; rank++)
		for (std::size_t row = 0; row * columns < text.size(); row++)
			for (std::size_t c = 0; c < columns && row * columns + c < text.size(); c++)
				if (ranks[c] == rank)
					out += text[row * columns + c];
	return out;
}

// The rail fence as its definition reads: the text written in a zigzag,
// down from the top rail to the bottom and up again, started as if
// `offset` letters had been written before it, and the rails read from
// the top, or in the order of their ranks (from 1) when there are some.
inline std::string encipher_rails(std::string_view text, int rails, int offset, const std::vector<int> &ranks = {})
{
	std::vector<std::string> rows(static_cast<std::size_t>(rails));
	int rail = 0, step = 1;
	for (int written = -offset; written < static_cast<int>(text.size()); written++) {
		if (written >= 0)
			rows[static_cast<std::size_t>(rail)] += text[static_cast<std::size_t>(written)];
		if (rails > 1) {
			if (rail + step < 0 || rail + step >= rails)
				step = -step;
			rail += step;
		}
	}
	std::string out;
	for (int rank = 1; rank <= rails; rank++)
		for (int r = 0; r < rails; r++)
			if ((ranks.empty() ? r + 1 : ranks[static_cast<std::size_t>(r)]) == rank)
				out += rows[static_cast<std::size_t>(r)];
	return out;
}

// Decoding as a placement loop: each byte goes `key` places after the one
// before, and a new column starts when that runs past the end.
inline std::string place_columns(std::string_view compact, std::int64_t key)
{
	std::string out(compact.size(), '\0');
	std::int64_t p = 0, c = 0;
	const auto length = static_cast<std::int64_t>(compact.size());
	for (char byte : compact) {
		if (p >= length)
			p = ++c;
		out[static_cast<std::size_t>(p)] = byte;
		p += key;
	}
	return out;
}

struct model_result {
	std::string output;
	int status = 0;
};

// The whole filter over an input held in memory, written as directly as
// the input format reads: what the program must print, and its status.
inline model_result run_model(std::string_view in)
{
	const auto is_space = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
	const auto is_digit = [](char c) { return c >= '0' && c <= '9'; };
	const auto line_end = [&in](std::size_t from) { return std::min(in.find('\n', from), in.size()); };
	model_result result;
	std::size_t pos = 0;
	for (bool first = true;; first = false) {
		while (pos < in.size() && is_space(in[pos]))
			pos++;
		if (pos == in.size())
			return result;
		const bool negative = in[pos] == '-';
		if (in[pos] == '-' || in[pos] == '+')
			pos++;
		const std::size_t digits = pos;
		std::int64_t magnitude = 0;
		for (; pos < in.size() && is_digit(in[pos]); pos++)
			magnitude = std::min<std::int64_t>(magnitude * 10 + (in[pos] - '0'), std::int64_t{1} << 31);
		if (pos == digits) {
			result.status = first ? 0 : 1;
			return result;
		}
		const std::int64_t key = negative ? -magnitude : std::min<std::int64_t>(magnitude, (std::int64_t{1} << 31) - 1);
		if (key == 0)
			return result;

		pos = std::min(line_end(pos) + 1, in.size());
		std::string_view text = in.substr(pos, line_end(pos) - pos);
		pos = std::min(line_end(pos) + 1, in.size());
		text = text.substr(0, 9999);
		text = text.substr(0, text.find('\0'));

		std::string compact;
		for (char c : text) {
			if (c >= 'a' && c <= 'z')
				c = static_cast<char>(c - ('a' - 'A'));
			if (c != ' ')
				compact += c;
		}
		result.output += key >= 1 ? place_columns(compact, key) : compact;
		result.output += '\n';
	}
}

// Random bytes from `min` to 255, newline excluded.
inline std::string random_text(std::mt19937 &random, std::size_t length, int min = 1)
{
	std::uniform_int_distribution<int> byte(min, 255);
	std::string text(length, '\0');
	for (char &c : text) {
		do
			c = static_cast<char>(byte(random));
		while (c == '\n');
	}
	return text;
}

#endif
