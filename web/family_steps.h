// The page's search of one type beyond the columns, a job at a time, as
// untranspose-key --jobs 1 runs it: those made of jobs (a redefence's
// rails, an order fitted to a type's decodings, both keys of a double
// columnar) and those that try every key.  Each language asked for is
// searched in full, and the one whose best answer scores highest in its
// own terms is kept, as untranspose-key --lang auto keeps it.
#ifndef UNTRANSPOSE_WEB_FAMILY_STEPS_H
#define UNTRANSPOSE_WEB_FAMILY_STEPS_H

#include "cipher_types.h"
#include "key_report.h"
#include "language.h"

#include <cstddef>
#include <cstdint>
#include <span>

// Whether a type's search is run here.
[[nodiscard]] bool family_searches(const cipher_type &type) noexcept;

// Begins the search of `compact`, which must stay as it is, for a key of
// `type` in each of `models`, keeping the `wanted` best, with the ranges
// untranspose-key searches by default, and with --cipher any's when
// `among_every_type`.
void family_begin(const cipher_type &type, std::span<const char> compact, std::span<const language_model *const> models,
                  std::uint64_t seed, std::size_t wanted, bool among_every_type) noexcept;

// Runs the search's next job; false once the search is done, or if its
// memory could not be had.
bool family_step() noexcept;

[[nodiscard]] bool family_failed() noexcept;

// How far it has gone, from 0 to 1, by its languages.
[[nodiscard]] double family_progress() noexcept;

// What the last job searched, as untranspose-key's progress line says it.
[[nodiscard]] const char *family_doing() noexcept;

// The answers as they stand, into `rows`, which point into the search's
// room until its next step: the kept language's, or the current one's if
// they already score higher.  Returns how many, and their language.
std::size_t family_answers(std::span<answer_row> rows, const language_model *&model) noexcept;

#endif
