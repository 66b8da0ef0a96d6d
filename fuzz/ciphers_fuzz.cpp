// Every type in the list of cipher types on arbitrary bytes: the first
// bytes choose the type and its key, the rest are the text.  Deciphering
// must undo enciphering, and a type swept by every key, or a redefence,
// must keep its answers within the keys it was asked to try, on a short
// text; so must the double columnar's search over a pair or two of widths.
#include "cipher_types.h"
#include "double_search.h"
#include "plain_sweep.h"
#include "order_fit.h"
#include "rail_orders.h"
#include "sweep.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
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
constexpr std::size_t MOST_RAILED_TEXT = 60;
constexpr std::size_t MOST_FITTED_TEXT = 40;
constexpr std::size_t MOST_DOUBLED_TEXT = 40;

// Each answer's order is one of its columns.
void check_order(const std::int32_t *order, std::int32_t columns)
{
	std::vector<bool> seen(static_cast<std::size_t>(columns));
	for (std::int32_t j = 0; j < columns; j++) {
		check(order[j] >= 0 && order[j] < columns && !seen[static_cast<std::size_t>(order[j])]);
		seen[static_cast<std::size_t>(order[j])] = true;
	}
}

// A double columnar's search of a short text over two or three widths
// must keep its answers to them, each with an order of each key's
// columns, best first.
void search_doubled(const language_model &model, std::span<const char> cipher, std::int32_t least, std::int32_t more)
{
	struct memory {
		keyed_tables tables;
		double_search search;
		double_scratch scratch;
		double_job_result result;
	};
	static const std::unique_ptr<memory> m = [&] {
		auto made = std::make_unique<memory>();
		build_keyed_tables(model, made->tables);
		return made;
	}();
	double_settings settings;
	settings.least = least;
	settings.most = least + more;
	settings.most_climbs = 2;
	settings.answers = 3;
	begin_double_search(m->search, m->tables, cipher, settings);
	double_on_one_thread(m->search, m->scratch, m->result);
	const std::span<const double_answer> answers = double_answers(m->search);
	const std::int32_t most = most_double_columns(cipher.size(), settings);
	check(answers.size() <= 3 && (!answers.empty() || most < least));
	for (std::size_t i = 0; i < answers.size(); i++) {
		const double_answer &a = answers[i];
		check(a.columns >= least && a.columns <= most && a.second_columns >= least && a.second_columns <= most);
		check_order(a.order, a.columns);
		check_order(a.second, a.second_columns);
		check(i == 0 || a.cribs < answers[i - 1].cribs || a.belief <= answers[i - 1].belief);
	}
}

// An order fitted to a short text's decodings, over a few columns, must
// keep its answers to the columns and offsets asked for, each with an
// order of its columns, best first.
void fit_order(const cipher_type &type, const language_model &model, std::span<const char> cipher,
               std::int32_t least, std::int32_t more)
{
	struct memory {
		keyed_tables tables;
		fit_search search;
		fit_scratch scratch;
		fit_job_result result;
	};
	static const std::unique_ptr<memory> m = [&] {
		auto made = std::make_unique<memory>();
		build_keyed_tables(model, made->tables);
		return made;
	}();
	fit_settings settings;
	settings.type = &type;
	settings.least = least;
	settings.most = least + more;
	settings.answers = 3;
	begin_fit_search(m->search, m->tables, cipher, settings);
	fit_on_one_thread(m->search, m->scratch, m->result);
	const std::span<const fit_answer> answers = fit_answers(m->search);
	const std::int32_t most = most_fitted_columns(cipher.size(), settings);
	check(answers.size() <= 3 && (!answers.empty() || most < least));
	for (std::size_t i = 0; i < answers.size(); i++) {
		const fit_answer &a = answers[i];
		check(a.columns >= least && a.columns <= most && a.offset >= 0 && a.offset < type.offsets(a.columns));
		std::vector<bool> seen(static_cast<std::size_t>(a.columns));
		for (std::int32_t j = 0; j < a.columns; j++) {
			check(a.order[j] >= 0 && a.order[j] < a.columns && !seen[static_cast<std::size_t>(a.order[j])]);
			seen[static_cast<std::size_t>(a.order[j])] = true;
		}
		check(i == 0 || a.cribs < answers[i - 1].cribs || a.belief <= answers[i - 1].belief);
	}
}

// A redefence's search of a short text over a few rails must keep its
// answers to the rails and offsets it was asked for, each with an order
// of its rails, best first.
void search_rails(const language_model &model, std::span<const char> cipher, std::int32_t least, std::int32_t more)
{
	struct memory {
		keyed_tables tables;
		rail_search search;
		rail_scratch scratch;
		rail_job_result result;
	};
	static const std::unique_ptr<memory> m = [&] {
		auto made = std::make_unique<memory>();
		build_keyed_tables(model, made->tables);
		return made;
	}();
	rail_settings settings;
	settings.least = least;
	settings.most = least + more;
	settings.answers = 3;
	begin_rail_search(m->search, m->tables, cipher, settings);
	search_rails_on_one_thread(m->search, m->scratch, m->result);
	const std::span<const rail_answer> answers = rail_answers(m->search);
	const std::int32_t most = most_searched_rails(cipher.size(), settings);
	check(answers.size() <= 3 && (!answers.empty() || most < least));
	for (std::size_t i = 0; i < answers.size(); i++) {
		const rail_answer &a = answers[i];
		check(a.rails >= least && a.rails <= most && a.offset >= 0 && a.offset < a.rails - 1);
		std::vector<bool> seen(static_cast<std::size_t>(a.rails));
		for (std::int32_t j = 0; j < a.rails; j++) {
			check(a.order[j] >= 0 && a.order[j] < a.rails && !seen[static_cast<std::size_t>(a.order[j])]);
			seen[static_cast<std::size_t>(a.order[j])] = true;
		}
		check(i == 0 || a.cribs < answers[i - 1].cribs || a.belief <= answers[i - 1].belief);
	}
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
	if (size < 4)
		return 0;
	const std::span<const cipher_type> types = cipher_types();
	const cipher_type &type = types[data[0] % types.size()];
	const std::int64_t number =
	    type.least_number + (data[1] | data[2] << 8) % std::min<std::int64_t>(200, type.most_number - type.least_number + 1);
	std::string text(reinterpret_cast<const char *>(data + 4), std::min(size - 4, MOST_TEXT));
	cipher_key key{number, {}, data[3] % type.offsets(number), data[3] / 4 % type.routes(number)};
	std::vector<std::int32_t> order;
	std::vector<std::uint8_t> tied;
	std::vector<std::int32_t> second;
	if ((type.options & ORDER_OPTION) != 0 && ((type.options & NUMBER_OPTION) == 0 || data[3] % 2 == 1)) {
		// The order of the text's first bytes, ties left to right.
		order.resize(static_cast<std::size_t>(number));
		std::iota(order.begin(), order.end(), 0);
		std::stable_sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
			const auto byte = [&](std::int32_t c) { return static_cast<std::size_t>(c) < text.size() ? text[static_cast<std::size_t>(c)] : 0; };
			return byte(a) < byte(b);
		});
		key.order = order;
		// A second key, for a type of two: the order of the text's last
		// bytes, of a size of its own.
		if (type.orders == 2) {
			second.resize(1 + static_cast<std::size_t>(data[3]) % std::min<std::size_t>(static_cast<std::size_t>(type.most_number), 60));
			std::iota(second.begin(), second.end(), 0);
			std::stable_sort(second.begin(), second.end(), [&](std::int32_t a, std::int32_t b) {
				const auto byte = [&](std::int32_t c) {
					return static_cast<std::size_t>(c) < text.size() ? text[text.size() - 1 - static_cast<std::size_t>(c)] : 0;
				};
				return byte(a) < byte(b);
			});
			key.second = second;
		}
		// Equal bytes tie, for a type whose ranks may.
		if (type.ties) {
			tied.assign(order.size(), 0);
			for (std::size_t j = 1; j < order.size(); j++) {
				const auto byte = [&](std::int32_t c) { return static_cast<std::size_t>(c) < text.size() ? text[static_cast<std::size_t>(c)] : 0; };
				tied[j] = byte(order[j]) == byte(order[j - 1]) ? 1 : 0;
			}
			key.tied = tied;
		}
	}
	std::string cipher(text.size(), '\0'), back(text.size(), '\0');
	type.encipher(key, text, cipher);
	type.decipher(key, cipher, back);
	check(back == text);

	static const language_model *model = language_named("en");
	if (type.search == search_kind::fitted_order && text.size() <= MOST_FITTED_TEXT) {
		fit_order(type, *model, cipher, 2 + data[1] % 3, data[2] % 3);
		return 0;
	}
	if (type.search == search_kind::two_orders && text.size() <= MOST_DOUBLED_TEXT) {
		search_doubled(*model, cipher, 2 + data[1] % 4, data[2] % 2);
		return 0;
	}
	if (type.search == search_kind::rails_and_order && text.size() <= MOST_RAILED_TEXT) {
		search_rails(*model, cipher, 2 + data[1] % 4, data[2] % 4);
		return 0;
	}
	if (type.search != search_kind::every_number_and_offset || text.size() > MOST_SWEPT_TEXT)
		return 0;
	std::vector<char> decoded(text.size());
	sweep_answer best[3], sifted[SHORTLIST];
	const std::int64_t least = type.least_number + data[1] % 3, most = least + data[2] % 40;
	const std::size_t held = sweep_keys(type, *model, cipher, least, most, best, sifted, decoded, nullptr);
	const std::int64_t reach = std::min(most, static_cast<std::int64_t>(text.size()) - 1);
	bool any = false;   // key in the range: a whole grid's width must divide the text
	for (std::int64_t width = least; width <= reach; width++)
		any |= !type.whole_rows || text.size() % static_cast<std::size_t>(width) == 0;
	check(held <= 3 && (held > 0 || !any));
	for (std::size_t i = 0; i < held; i++)
		check(best[i].number >= least && best[i].number <= reach && best[i].offset >= 0 &&
		      best[i].offset < type.offsets(best[i].number) && best[i].route >= 0 &&
		      best[i].route < type.routes(best[i].number) &&
		      (!type.whole_rows || text.size() % static_cast<std::size_t>(best[i].number) == 0) && (i == 0 || ranked(best[i].score) <= ranked(best[i - 1].score)));
	return 0;
}
