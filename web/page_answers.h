// What the page's searches of every type share: the text they search, the
// languages they search it in, and the answers they show, each copied
// into a room of its own with its type and language, so that the page
// reads them alike whichever search found them.
#ifndef UNTRANSPOSE_WEB_PAGE_ANSWERS_H
#define UNTRANSPOSE_WEB_PAGE_ANSWERS_H

#include "any_ranking.h"
#include "key_report.h"
#include "language.h"

#include <cstddef>
#include <span>

// The most answers the page keeps of a search.
inline constexpr std::size_t MOST_PAGE_ANSWERS = 20;

// Normalises `size` bytes of `text` as untranspose-key reads a line, into
// the text searched, which stays until the next; returns it.
std::span<const char> set_searched_text(const char *text, std::size_t size) noexcept;

// The languages numbered `language` as language_codes() numbers them, or
// every one for -1, into `into`; returns how many.
std::size_t page_languages(int language, std::span<const language_model *> into) noexcept;

// Shows `rows`, each scored in `model`, in place of the answers shown.
void show_rows(std::span<const answer_row> rows, const language_model &model) noexcept;

// Shows `answers`, each scored in its own language.
void show_any(std::span<const any_answer> answers) noexcept;

#endif
