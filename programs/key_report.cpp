#include "key_report.h"

#include "answer_decoding.h"

#include "cipher_options.h"
#include "columnar.h"
#include "decoder.h"
#include "keyed_columns.h"
#include "orders.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

namespace {

constexpr std::size_t SHOWN_BYTES = 48;

// Up to SHOWN_BYTES of a decoding, with bytes a terminal would not show as
// dots.
void show_start(const char *text, std::size_t length)
{
	for (std::size_t i = 0; i < std::min(length, SHOWN_BYTES); i++) {
		const auto byte = static_cast<unsigned char>(text[i]);
		std::putchar(byte >= 0x20 && byte < 0x7f ? byte : '.');
	}
	if (length > SHOWN_BYTES)
		std::fputs("...", stdout);
	std::putchar('\n');
}

void show_order(std::span<const std::int32_t> order, std::span<const std::uint8_t> tied)
{
	std::int32_t ranks[MOST_ORDER_COLUMNS];
	// Tied columns share the rank of the one read before them.
	for (std::int32_t j = 0, rank = 0; j < static_cast<std::int32_t>(order.size()); j++) {
		const auto at = static_cast<std::size_t>(j);
		rank += at < tied.size() && j > 0 && tied[at] != 0 ? 0 : 1;
		ranks[order[at]] = rank;
	}
	std::fputs("                order ", stdout);
	for (std::size_t c = 0; c < order.size(); c++)
		std::printf(c == 0 ? "%" PRId32 : ",%" PRId32, ranks[c]);
	char letters[26];
	if (keyword_of({ranks, order.size()}, letters))
		std::printf("  keyword %.*s", static_cast<int>(order.size()), letters);
	std::putchar('\n');
}

} // namespace

void write_case(const answer_row &row, std::span<const char> compact, std::span<const char> line,
                const report_scratch &scratch)
{
	if (row.type != nullptr && !row.type->column_form) {
		decode_answer(row, compact, scratch);
		std::fputs("1\n", stdout);
		std::fwrite(scratch.decoded, 1, compact.size(), stdout);
		std::putchar('\n');
		return;
	}
	std::printf("%" PRId32 "\n", row.key);
	if (row.order.empty()) {
		std::fwrite(line.data(), 1, line.size(), stdout);
	} else {
		naturalise_answer(row, compact, scratch);
		std::fwrite(scratch.natural, 1, compact.size(), stdout);
	}
	std::putchar('\n');
}

void write_decoding(const answer_row &row, std::span<const char> compact, const report_scratch &scratch)
{
	decode_answer(row, compact, scratch);
	std::fwrite(scratch.decoded, 1, compact.size(), stdout);
	std::putchar('\n');
}

void write_table(const language_model &model, bool named, const line_place &place, std::span<const char> compact,
                 const judgement &judged, std::span<const answer_row> rows, std::size_t shown,
                 const report_scratch &scratch, const crib_list *cribs)
{
	const std::size_t length = compact.size();
	const auto letters = static_cast<std::size_t>(
	    std::count_if(compact.begin(), compact.end(), [](char c) { return c >= 'A' && c <= 'Z'; }));
	std::printf("text %zu (%s:%zu): ", place.text, place.file, place.line);
	if (letters == length)
		std::printf("%zu letters", letters);
	else
		std::printf("%zu bytes after normalising, %zu of them letters", length, letters);
	if (named)
		std::printf(", scored as %s", model.name);
	switch (judged.said) {
	case verdict::too_short:
		std::printf("; too short to judge\n");
		break;
	case verdict::english:
		std::printf("; looks like %s\n", model.name);
		break;
	case verdict::not_english:
		std::printf("; does not look like %s (below %.2f)", model.name, judged.floor);
		if (judged.reads_as != nullptr)
			std::printf("; it reads as %s: try --lang %s", judged.reads_as->name, judged.reads_as->code);
		std::putchar('\n');
		break;
	}
	std::printf("%4s %6s %14s %8s  ", "rank", "key", "log10/quadgram", "margin");
	if (cribs != nullptr)
		std::printf("%5s  ", "cribs");
	std::printf("decoding\n");
	const double best = log10_per_quadgram(model, rows[0].score);
	for (std::size_t rank = 0; rank < std::min(shown, rows.size()); rank++) {
		const answer_row &row = rows[rank];
		std::printf("%4zu %6" PRId32 " ", rank + 1, row.key);
		if (row.score.quadgrams == 0) {
			// Fewer than four letters: nothing was scored.
			std::printf("%14s %8s  ", "-", "-");
		} else {
			// The best answer's lead over the runner-up, if there is one;
			// for the others, how far each is behind the best.
			const double mine = log10_per_quadgram(model, row.score);
			if (rank == 0 && rows.size() == 1)
				std::printf("%14.3f %8s  ", mine, "-");
			else
				std::printf("%14.3f %+8.3f  ", mine, rank == 0 ? mine - log10_per_quadgram(model, rows[1].score) : mine - best);
		}
		if (cribs != nullptr)
			std::printf("%2" PRIu32 "/%-2zu  ", row.score.cribs, cribs->count);
		decode_answer(row, compact, scratch);
		show_start(scratch.decoded, length);
		if (row.type != nullptr)
			std::printf("                %s\n", describe_key(*row.type, {row.key, row.order, row.offset, row.route, row.tied}).c_str());
		if (!row.order.empty())
			show_order(row.order, row.tied);
		if (!row.second.empty())
			show_order(row.second, {});
	}
	if ((rows[0].type == nullptr || rows[0].type->column_form) && rows[0].order.empty() && static_cast<std::size_t>(rows[0].key) >= length &&
	    length >= 3)
		std::printf("(no key was tried: keys of %zu or more leave this text as it is)\n", length);
	std::putchar('\n');
}

void warn_not_english(const language_model &model, const char *program, const line_place &place, const key_score &best,
                      const judgement &judged, const char *try_instead)
{
	std::fprintf(stderr, "%s: %s:%zu: this does not look like %s (at best %.2f log10 per quadgram, below %.2f); ",
	             program, place.file, place.line, model.name, log10_per_quadgram(model, best), judged.floor);
	if (judged.reads_as != nullptr)
		std::fprintf(stderr, "it reads as %s: try --lang %s\n", judged.reads_as->name, judged.reads_as->code);
	else
		std::fprintf(stderr, "%s\n", try_instead);
}

void warn_cribs_missing(const char *program, const line_place &place, const crib_list &cribs, std::uint32_t held)
{
	if (cribs.count == 1) {
		std::fprintf(stderr, "%s: %s:%zu: no answer holds the crib ", program, place.file, place.line);
		for (std::size_t i = 0; i < cribs.length[0]; i++)
			std::fputc('A' + cribs.letters[0][i], stderr);
		std::fputc('\n', stderr);
		return;
	}
	std::fprintf(stderr, "%s: %s:%zu: no answer holds every crib: the best holds %" PRIu32 " of %zu\n", program,
	             place.file, place.line, held, cribs.count);
}
