// Every type in the list of cipher types on arbitrary bytes: the first
// bytes choose the type and its key, the rest are the text.  Deciphering
// must undo enciphering, and a type swept by every key must keep its
// answers within the keys it was asked to try, on a short text.
#include "cipher_types.h"
#include "plain_sweep.h"
#include "sweep.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <numeric>
#include <string>
#include <vector>

namespace {

void check(bool ok)
{
	if (!ok)
		std::abort();
}

constexpr std::size_t MOST_TEXT = 300;
constexpr std::size_t MOST_SWEPT_TEXT = 120;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
	if (size < 4)
		return 0;
	const std::span<const cipher_type> types = cipher_types();
	const cipher_type &type = types[data[0] % types.size()];
	const std::int64_t number = type.least_number + (data[1] | data[2] << 8) % 200;
	std::string text(reinterpret_cast<const char *>(data + 4), std::min(size - 4, MOST_TEXT));
	cipher_key key{number, {}, data[3] % type.offsets(number)};
	std::vector<std::int32_t> order;
	if ((type.options & ORDER_OPTION) != 0 && ((type.options & NUMBER_OPTION) == 0 || data[3] % 2 == 1)) {
		// The order of the text's first bytes, ties left to right.
		order.resize(static_cast<std::size_t>(number));
		std::iota(order.begin(), order.end(), 0);
		std::stable_sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
			const auto byte = [&](std::int32_t c) { return static_cast<std::size_t>(c) < text.size() ? text[static_cast<std::size_t>(c)] : 0; };
			return byte(a) < byte(b);
		});
		key.order = order;
	}
	std::string cipher(text.size(), '\0'), back(text.size(), '\0');
	type.encipher(key, text, cipher);
	type.decipher(key, cipher, back);
	check(back == text);

	if (type.search != search_kind::every_number_and_offset || text.size() > MOST_SWEPT_TEXT)
		return 0;
	static const language_model *model = language_named("en");
	std::vector<char> decoded(text.size());
	sweep_answer best[3], sifted[SHORTLIST];
	const std::int64_t least = type.least_number + data[1] % 3, most = least + data[2] % 40;
	const std::size_t held = sweep_keys(type, *model, cipher, least, most, best, sifted, decoded, nullptr);
	const std::int64_t reach = std::min(most, static_cast<std::int64_t>(text.size()) - 1);
	check(held <= 3 && (held > 0 || reach < least));
	for (std::size_t i = 0; i < held; i++)
		check(best[i].number >= least && best[i].number <= reach && best[i].offset >= 0 &&
		      best[i].offset < type.offsets(best[i].number) && (i == 0 || ranked(best[i].score) <= ranked(best[i - 1].score)));
	return 0;
}
