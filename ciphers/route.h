// The route cipher: the text written in rows of width W, a complete grid,
// then read along a route that starts at the top-left corner:
//   spiral      clockwise inward: right along the top row, down the right
//               column, left along the bottom row, up the left column,
//               then the next ring in;
//   spiral-ccw  anticlockwise inward: down the left column, right along
//               the bottom row, up the right column, left along the top
//               row, then the next ring in;
//   snake       down the first column, up the second, and so on;
//   snake-rows  the first row left to right, the second right to left,
//               and so on.
// Another corner mirrors the grid first: left to right for tr, top to
// bottom for bl, both for br.  ABCDEFGHIJKL in rows of 4 is ABCDHLKJIEFG
// by spiral, AEIJKLHDCBFG by spiral-ccw, AEIJFBCGKLHD by snake.  A text
// that does not fill its last row is read as the route passes its cells,
// the empty ones skipped.  Pure: no allocation.
#ifndef UNTRANSPOSE_ROUTE_H
#define UNTRANSPOSE_ROUTE_H

#include "cipher_types.h"

#include <string_view>

inline constexpr std::string_view ROUTE_NAMES[] = {"spiral", "spiral-ccw", "snake", "snake-rows"};
inline constexpr std::string_view CORNER_NAMES[] = {"tl", "tr", "bl", "br"};
inline constexpr std::int64_t ROUTE_COUNT = 4;
inline constexpr std::int64_t CORNER_COUNT = 4;

// A key's route number: its route and its corner, as the tables above
// number them.
[[nodiscard]] constexpr std::int64_t route_number(std::int64_t route, std::int64_t corner) noexcept
{
	return route * CORNER_COUNT + corner;
}

// Every route from every corner, whatever the width.
[[nodiscard]] std::int64_t route_numbers(std::int64_t width) noexcept;

void encipher_route(const cipher_key &key, std::span<const char> text, std::span<char> out) noexcept;
void decipher_route(const cipher_key &key, std::span<const char> cipher, std::span<char> out) noexcept;

#endif
