// The bounds of the keyed search.
#ifndef UNTRANSPOSE_SEARCH_LIMITS_H
#define UNTRANSPOSE_SEARCH_LIMITS_H

#include <cstddef>

// The most columns the search takes.
inline constexpr std::size_t MOST_KEYED_COLUMNS = 100;

// Only the first SCORED_ROWS rows of a decoding are scored while climbing:
// beyond, a wrong order rarely looks right, and a long text would cost
// more to no gain.
inline constexpr std::size_t SCORED_ROWS = 64;

#endif
