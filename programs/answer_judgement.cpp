#include "answer_judgement.h"

judgement judge_answer(const language_model &model, const answer_row &best) noexcept
{
	bool keyed = false;
	for (std::size_t j = 0; j < best.order.size(); j++)
		keyed |= best.order[j] != static_cast<std::int32_t>(j);
	const auto columns = static_cast<std::size_t>(best.key);
	const std::size_t second = best.second.size();
	keyed |= second > 0;
	return {keyed ? judge_order(model, best.score, columns, best.reached_once, second) : judge(model, best.score),
	        keyed ? order_floor(model, best.score, columns, best.reached_once, second) : model.verdict_floor, nullptr};
}
