#include "answer_decoding.h"

#include "columnar.h"
#include "decoder.h"
#include "keyed_columns.h"

#include <algorithm>

void naturalise_answer(const answer_row &row, std::span<const char> compact, const report_scratch &scratch) noexcept
{
	std::span<const char> text = compact;
	if (!row.second.empty()) {
		decipher_columnar({0, row.second}, compact, {scratch.decoded, BUFFER_SIZE});
		text = {scratch.decoded, compact.size()};
	}
	if (row.order.empty())
		std::copy(text.begin(), text.end(), scratch.natural);
	else
		naturalise_columns(text, text.size(), row.order, {scratch.natural, BUFFER_SIZE});
}

void decode_answer(const answer_row &row, std::span<const char> compact, const report_scratch &scratch) noexcept
{
	if (row.type != nullptr && !row.type->column_form) {
		cipher_key key{row.key, row.order, row.offset, row.route, row.tied};
		row.type->decipher(key, compact, {scratch.decoded, BUFFER_SIZE});
		return;
	}
	naturalise_answer(row, compact, scratch);
	decode_columns({scratch.natural, compact.size()}, compact.size(), row.key, {scratch.decoded, BUFFER_SIZE});
}
