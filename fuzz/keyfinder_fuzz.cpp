// The key finder on arbitrary bytes, one text per line as untranspose-key
// reads them, white space taken as spaces, each line in the next language,
// with the line before as its crib: the search must end, keep to its
// range, put the answers that hold the crib first, and its answers,
// written as untranspose-key writes them, must make a case stream that the
// filter reads back as one decoded line per text.
#include "decoder.h"
#include "plain_sweep.h"
#include "model.h"
#include "white_space.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

void check(bool ok)
{
	if (!ok)
		std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
	std::string_view input(reinterpret_cast<const char *>(data), size);
	std::vector<char> line(BUFFER_SIZE), compact(BUFFER_SIZE), decoded(BUFFER_SIZE);
	key_score best[3];
	std::string stream, expected;
	std::size_t texts = 0;
	std::string_view before;
	while (!input.empty()) {
		const std::string_view raw = input.substr(0, input.find('\n'));
		input.remove_prefix(std::min(input.size(), raw.size() + 1));
		std::string kept(raw.substr(0, BUFFER_SIZE - 1));
		kept.resize(space_separators(kept));
		check(kept.find_first_of("\t\v\f\r") == std::string::npos);
		std::fill(line.begin(), line.end(), 0);
		std::fill(compact.begin(), compact.end(), 0);
		std::copy(kept.begin(), kept.end(), line.begin());
		const std::size_t length = normalize_text({line.data(), kept.size()}, compact);
		const std::span<const std::string_view> codes = language_codes();
		const language_model &model = *language_named(codes[texts % codes.size()]);
		crib_list cribs;
		const bool cribbed = add_crib(cribs, before.substr(0, MOST_CRIB_LETTERS)) == crib_added::added;
		before = raw;
		const std::size_t found = find_keys(model, compact, length, 1, INT32_MAX, best, decoded, cribbed ? &cribs : nullptr);
		check(found >= 1 && found <= 3);
		check((judge(model, best[0]) == verdict::too_short) == (best[0].quadgrams + 3 < JUDGED_LETTERS));
		for (std::size_t i = 0; i < found; i++) {
			check(best[i].key >= 1);
			check(length < 3 ? best[i].key == 1 : static_cast<std::size_t>(best[i].key) < length);
			check(i == 0 || best[i - 1].cribs >= best[i].cribs);
			const std::string decoding = place_columns({compact.data(), length}, best[i].key);
			check(best[i].cribs == cribs_held_in_text(cribs, decoding));
			stream += std::to_string(best[i].key) + "\n" + kept + "\n";
			expected += decoding + "\n";
		}
		texts++;
	}
	stream += "0\n";
	const model_result filtered = run_model(stream);
	check(filtered.status == 0);
	check(filtered.output == expected);
	return 0;
}
