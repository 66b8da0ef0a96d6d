// Cipher texts are written in groups, and between the groups stands
// whatever an editor or a web page put there: spaces, tabs, no-break
// spaces.  The programs that read cipher texts take all of them as the
// filter takes a space.
#ifndef UNTRANSPOSE_WHITE_SPACE_H
#define UNTRANSPOSE_WHITE_SPACE_H

#include <cstddef>
#include <span>

// Turns every tab, vertical tab, form feed and carriage return of `line`
// into a space, and every UTF-8 no-break space (C2 A0) into one space,
// in place.  Returns the line's new length; nothing after it is written.
[[nodiscard]] std::size_t space_separators(std::span<char> line) noexcept;

#endif
