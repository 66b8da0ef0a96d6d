#include "page_answers.h"

#include "answer_decoding.h"
#include "answer_judgement.h"
#include "decoder.h"
#include "white_space.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace {

char line[BUFFER_SIZE];
char compact[BUFFER_SIZE];
std::size_t length;
char natural[BUFFER_SIZE];
char decoded[BUFFER_SIZE];
std::int32_t ranks[MOST_ANY_COLUMNS];

any_answer shown[MOST_PAGE_ANSWERS];
std::size_t shown_count;

const any_answer *shown_at(std::size_t i)
{
	return i < shown_count ? &shown[i] : nullptr;
}

} // namespace

std::span<const char> set_searched_text(const char *text, std::size_t size) noexcept
{
	std::memset(line, 0, sizeof line);
	std::memset(compact, 0, sizeof compact);
	std::size_t kept = std::min(size, BUFFER_SIZE - 1);
	std::memcpy(line, text, kept);
	kept = space_separators({line, kept});
	length = normalize_text({line, kept}, {compact, BUFFER_SIZE});
	shown_count = 0;
	return {compact, length};
}

std::size_t page_languages(int language, std::span<const language_model *> into) noexcept
{
	const std::span<const std::string_view> codes = language_codes();
	std::size_t count = 0;
	for (std::size_t n = 0; n < codes.size() && count < into.size(); n++)
		if (language < 0 || static_cast<std::size_t>(language) == n)
			if (const language_model *model = language_named(codes[n]); model != nullptr)
				into[count++] = model;
	return count;
}

void show_rows(std::span<const answer_row> rows, const language_model &model) noexcept
{
	shown_count = std::min(rows.size(), MOST_PAGE_ANSWERS);
	for (std::size_t i = 0; i < shown_count; i++) {
		any_answer &a = shown[i];
		a.row = rows[i];
		a.model = &model;
		a.belief = 0;
		const auto copy = [](auto from, auto *room) {
			const std::size_t count = std::min(from.size(), MOST_ANY_COLUMNS);
			std::copy_n(from.begin(), count, room);
			return std::span{room, count};
		};
		a.row.order = copy(rows[i].order, a.order);
		a.row.tied = copy(rows[i].tied, a.tied);
		a.row.second = copy(rows[i].second, a.second);
	}
}

void show_any(std::span<const any_answer> answers) noexcept
{
	shown_count = std::min(answers.size(), MOST_PAGE_ANSWERS);
	std::copy_n(answers.begin(), shown_count, shown);
	for (std::size_t i = 0; i < shown_count; i++) {
		any_answer &a = shown[i];
		a.row.order = {a.order, a.row.order.size()};
		a.row.tied = {a.tied, a.row.tied.size()};
		a.row.second = {a.second, a.row.second.size()};
	}
}

extern "C" {

EMSCRIPTEN_KEEPALIVE std::size_t web_shown_count()
{
	return shown_count;
}

// The type of answer i, numbered as the list numbers them: the plain
// columns' when it has none.
EMSCRIPTEN_KEEPALIVE std::size_t web_shown_type(std::size_t i)
{
	const any_answer *a = shown_at(i);
	const std::span<const cipher_type> types = cipher_types();
	return a != nullptr && a->row.type != nullptr ? static_cast<std::size_t>(a->row.type - types.data()) : 0;
}

// Its language, numbered as language_codes() numbers them.
EMSCRIPTEN_KEEPALIVE int web_shown_language(std::size_t i)
{
	const any_answer *a = shown_at(i);
	const std::span<const std::string_view> codes = language_codes();
	for (std::size_t n = 0; a != nullptr && n < codes.size(); n++)
		if (language_named(codes[n]) == a->model)
			return static_cast<int>(n);
	return 0;
}

// Its number of columns or rails.
EMSCRIPTEN_KEEPALIVE std::int32_t web_shown_number(std::size_t i)
{
	const any_answer *a = shown_at(i);
	return a != nullptr ? a->row.key : 0;
}

EMSCRIPTEN_KEEPALIVE double web_shown_offset(std::size_t i)
{
	const any_answer *a = shown_at(i);
	return a != nullptr ? static_cast<double>(a->row.offset) : 0;
}

EMSCRIPTEN_KEEPALIVE double web_shown_route(std::size_t i)
{
	const any_answer *a = shown_at(i);
	return a != nullptr ? static_cast<double>(a->row.route) : 0;
}

// The ranks of answer i's order, tied ranks shared, or of its second
// order, at web_shown_ranks(); returns how many, 0 for none.
EMSCRIPTEN_KEEPALIVE std::size_t web_shown_order(std::size_t i, bool second)
{
	const any_answer *a = shown_at(i);
	if (a == nullptr)
		return 0;
	const std::span<const std::int32_t> order = second ? a->row.second : a->row.order;
	const std::span<const std::uint8_t> tied = second ? std::span<const std::uint8_t>{} : a->row.tied;
	for (std::size_t j = 0, rank = 0; j < order.size(); j++) {
		rank += j > 0 && j < tied.size() && tied[j] != 0 ? 0 : 1;
		ranks[order[j]] = static_cast<std::int32_t>(rank);
	}
	return order.size();
}

EMSCRIPTEN_KEEPALIVE const std::int32_t *web_shown_ranks()
{
	return ranks;
}

EMSCRIPTEN_KEEPALIVE double web_shown_score(std::size_t i)
{
	const any_answer *a = shown_at(i);
	return a != nullptr ? log10_per_quadgram(*a->model, a->row.score) : 0;
}

EMSCRIPTEN_KEEPALIVE std::size_t web_shown_quadgrams(std::size_t i)
{
	const any_answer *a = shown_at(i);
	return a != nullptr ? a->row.score.quadgrams : 0;
}

EMSCRIPTEN_KEEPALIVE std::uint32_t web_shown_cribs(std::size_t i)
{
	const any_answer *a = shown_at(i);
	return a != nullptr ? a->row.score.cribs : 0;
}

// The verdict on answer i, as untranspose-key gives it: 0 too short to
// judge, 1 reads as the language, 2 does not.
EMSCRIPTEN_KEEPALIVE int web_shown_verdict(std::size_t i)
{
	const any_answer *a = shown_at(i);
	return a != nullptr ? static_cast<int>(judge_answer(*a->model, a->row).said) : 0;
}

// Answer i's decoding of the searched text, at web_shown_decoded();
// returns its length.
EMSCRIPTEN_KEEPALIVE std::size_t web_shown_decode(std::size_t i)
{
	const any_answer *a = shown_at(i);
	std::memset(decoded, 0, sizeof decoded);
	if (a == nullptr)
		return 0;
	decode_answer(a->row, {compact, length}, {natural, decoded});
	return length;
}

EMSCRIPTEN_KEEPALIVE const char *web_shown_decoded()
{
	return decoded;
}

} // extern "C"
