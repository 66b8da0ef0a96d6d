// --cipher any's ranking: every type in the list searched in turn, the
// cheapest first, and their answers ranked by how far each is believed:
// its decoding's score in the language, less what its key costs among the
// type's keys (a keyed order of K columns is one of K!, a rail fence's
// offset one of 2N - 2).  A decoding that scores well by chance among many
// keys is believed less than one that scores as well among few.  The
// program and the page rank alike.
#ifndef UNTRANSPOSE_ANY_RANKING_H
#define UNTRANSPOSE_ANY_RANKING_H

#include "cipher_types.h"
#include "key_report.h"
#include "scoring.h"
#include "search_limits.h"

#include <cstddef>
#include <cstdint>
#include <span>

// The most columns or rails of an order any search answers with.
inline constexpr std::size_t MOST_ANY_COLUMNS = MOST_KEYED_COLUMNS;
// The most types --cipher any searches: room for a list that grows.
inline constexpr std::size_t MOST_ANY_TYPES = 32;

// One answer of --cipher any, its key held in its own room: each type's
// search reuses the room its answers were in.
struct any_answer {
	answer_row row;
	std::int64_t belief;              // log10 in millionths, less the key's share
	const language_model *model;
	std::int32_t order[MOST_ANY_COLUMNS];
	std::uint8_t tied[MOST_ANY_COLUMNS];
	std::int32_t second[MOST_ANY_COLUMNS];
};

// The types of the list in the order they are searched, the cheap first,
// into `into`; returns how many.
std::size_t types_by_dearness(std::span<const cipher_type *> into) noexcept;

// Copies an answer of `searched` in `model` into `kept`, its key into the
// answer's own room, and weighs its belief.
void keep_any(any_answer &kept, const answer_row &row, const cipher_type &searched, const language_model &model) noexcept;

// Whether a type's best answer ends the search: a decoding clearly in the
// language, believed, holding all `cribs`, is the message, which a dearer
// type could only find again.
[[nodiscard]] bool ends_any(const language_model &model, const answer_row &best, std::size_t cribs) noexcept;

// Ranks `pool`, the most believed first, each answer's row pointing into
// its own room again.
void rank_any(std::span<any_answer> pool) noexcept;

#endif
