// The verdict on a text's best answer, as untranspose-key and the page
// give it.
#ifndef UNTRANSPOSE_ANSWER_JUDGEMENT_H
#define UNTRANSPOSE_ANSWER_JUDGEMENT_H

#include "key_report.h"
#include "scoring.h"

// A keyed order is held to what the search's wrong answers of its size
// score; columns read from left to right, to the language's floor.
[[nodiscard]] judgement judge_answer(const language_model &model, const answer_row &best) noexcept;

#endif
