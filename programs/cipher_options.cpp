#include "cipher_options.h"

#include "command_line.h"
#include "orders.h"
#include "route.h"

#include <algorithm>
#include <cinttypes>

namespace {

// Key options, for messages: "--key and --offset".
std::string options_named(unsigned options)
{
	std::string names;
	const auto add = [&](const char *name) { names += (names.empty() ? "" : " and ") + std::string(name); };
	if ((options & NUMBER_OPTION) != 0)
		add("--key");
	if ((options & ORDER_OPTION) != 0)
		add("--keyword or --order");
	if ((options & OFFSET_OPTION) != 0)
		add("--offset");
	if ((options & ROUTE_OPTION) != 0)
		add("--route and --corner");
	if ((options & START_OPTION) != 0)
		add("--start");
	return names;
}

const char *option_name(const cipher_choice &choice, unsigned bit)
{
	return bit == NUMBER_OPTION ? "--key" : bit == ORDER_OPTION ? choice.order_name : bit == OFFSET_OPTION ? "--offset" : bit == ROUTE_OPTION ? "--route" : "--start";
}

} // namespace

int take_cipher_option(const char *program, cipher_option option, const char *argument, cipher_choice &choice)
{
	switch (option) {
	case cipher_option::cipher:
		choice.type = cipher_named(argument);
		if (choice.type == nullptr) {
			std::string names;
			for (const cipher_type &type : cipher_types())
				names += std::string(type.name) + ", ";
			return usage_error(program, ("--cipher takes one of " + names.substr(0, names.size() - 2) + ", not").c_str(),
			                   argument);
		}
		return -1;
	case cipher_option::key:
		choice.given |= NUMBER_OPTION;
		choice.key_options++;
		if (!parse_count(argument, INT32_MAX, choice.number))
			return usage_error(program, "--key takes a number from 1 to 2147483647, not", argument);
		return -1;
	case cipher_option::keyword:
	case cipher_option::order: {
		const bool keyword = option == cipher_option::keyword;
		choice.given |= ORDER_OPTION;
		choice.order_name = keyword ? "--keyword" : "--order";
		choice.key_options++;
		// A second key, for a type of two, is kept beside the first;
		// whether the type takes two is settled at the end.
		const bool second = choice.orders++ == 1;
		const std::span<std::int32_t> ranks{choice.ranks + (second ? MOST_ORDER_COLUMNS : 0), MOST_ORDER_COLUMNS};
		std::uint8_t ties[MOST_ORDER_COLUMNS];
		const std::span<std::uint8_t> tied = second ? std::span<std::uint8_t>(ties) : std::span<std::uint8_t>(choice.tied, MOST_ORDER_COLUMNS);
		// Ranks may tie for a type that takes ties, which may be named
		// after this option: whether they may is settled at the end.
		const std::size_t columns =
		    keyword ? keyword_tied_ranks(folded_argument(argument), ranks, tied) : parse_tied_ranks(argument, ranks, tied);
		if (columns == 0)
			return keyword ? usage_error(program, "a keyword needs from 1 to 9999 letters, not", argument)
			               : usage_error(program, "an order is the ranks 1 to K, each once, separated by commas, not",
			                             argument);
		const bool ties_given = !keyword && std::find(tied.begin(), tied.begin() + static_cast<std::ptrdiff_t>(columns), 1) !=
		                                        tied.begin() + static_cast<std::ptrdiff_t>(columns);
		if (second) {
			choice.second_columns = columns;
			choice.order_ties = choice.order_ties || ties_given;
		} else {
			choice.columns = columns;
			choice.order_ties = ties_given;
		}
		return -1;
	}
	case cipher_option::offset:
		choice.given |= OFFSET_OPTION;
		// An offset may be 0, which parse_count does not take.
		if (*argument != '\0' && std::string_view(argument).find_first_not_of('0') == std::string_view::npos)
			choice.offset = 0;
		else if (!parse_count(argument, INT32_MAX, choice.offset))
			return usage_error(program, "--offset takes a number from 0 to 2147483647, not", argument);
		return -1;
	case cipher_option::route:
	case cipher_option::corner: {
		const bool route = option == cipher_option::route;
		const std::span<const std::string_view> names = route ? std::span<const std::string_view>(ROUTE_NAMES)
		                                                      : std::span<const std::string_view>(CORNER_NAMES);
		const auto found = std::find(names.begin(), names.end(), std::string_view(argument));
		if (found == names.end())
			return usage_error(program, route ? "--route takes spiral, spiral-ccw, snake or snake-rows, not"
			                                  : "--corner takes tl, tr, bl or br, not",
			                   argument);
		choice.given |= ROUTE_OPTION;
		(route ? choice.route : choice.corner) = found - names.begin();
		return -1;
	}
	case cipher_option::start:
		if (std::string_view(argument) != "1" && std::string_view(argument) != "2")
			return usage_error(program, "--start takes 1 or 2, not", argument);
		choice.given |= START_OPTION;
		choice.offset = argument[0] - '1';
		return -1;
	}
	return -1;
}

int finish_cipher_options(const char *program, cipher_choice &choice, bool key_needed, cipher_key &key)
{
	if (choice.type == nullptr)
		choice.type = &cipher_types()[0];
	const cipher_type &type = *choice.type;
	for (const unsigned bit : {NUMBER_OPTION, ORDER_OPTION, OFFSET_OPTION, ROUTE_OPTION, START_OPTION})
		if ((choice.given & bit) != 0 && (type.options & bit) == 0)
			return usage_error(program,
			                   ("--cipher " + std::string(type.name) + " takes " + options_named(type.options) + ", not").c_str(),
			                   option_name(choice, bit));
	if (type.orders == 2 && choice.orders > 0 && (choice.orders != 2 || choice.key_options != 2))
		return usage_error(program,
		                   ("--cipher " + std::string(type.name) + " takes two keys, --keyword or --order twice, the first applied first")
		                       .c_str(),
		                   nullptr);
	if (type.orders == 1 && choice.key_options > 1)
		return usage_error(program, "give one of --key, --keyword and --order", nullptr);
	if (key_needed && (choice.given & type.needs) == 0)
		return usage_error(program, ("--cipher " + std::string(type.name) + " needs " + options_named(type.needs)).c_str(),
		                   nullptr);
	if ((choice.given & OFFSET_OPTION) != 0 && (choice.given & (NUMBER_OPTION | ORDER_OPTION)) == 0)
		return usage_error(program, "--offset goes with the key it starts", nullptr);
	if ((choice.given & START_OPTION) != 0 && (choice.given & ORDER_OPTION) == 0)
		return usage_error(program, "--start goes with the --keyword or --order it starts", nullptr);
	if ((choice.given & ROUTE_OPTION) != 0 && (choice.given & NUMBER_OPTION) == 0)
		return usage_error(program, "--route and --corner go with the --key they read", nullptr);
	if (choice.order_ties && !type.ties)
		return usage_error(program,
		                   ("a " + std::string(type.title) + "'s order is the ranks 1 to K, each once: no ranks tie").c_str(),
		                   nullptr);
	read_order({choice.ranks, choice.columns}, {choice.order, choice.columns});
	key = {};
	if ((choice.given & ORDER_OPTION) != 0)
		key.order = {choice.order, choice.columns};
	if (choice.orders == 2) {
		const std::span<std::int32_t> second{choice.order + MOST_ORDER_COLUMNS, choice.second_columns};
		read_order({choice.ranks + MOST_ORDER_COLUMNS, choice.second_columns}, second);
		key.second = second;
		if (static_cast<std::int64_t>(choice.second_columns) > type.most_number)
			return usage_error(program,
			                   ("a " + std::string(type.title) + "'s key has at most " + std::to_string(type.most_number) +
			                    " " + std::string(type.number_name) + ", not")
			                       .c_str(),
			                   std::to_string(choice.second_columns).c_str());
	}
	if ((choice.given & ORDER_OPTION) != 0 && type.ties)
		key.tied = {choice.tied, choice.columns};
	key.number = (choice.given & NUMBER_OPTION) != 0 ? choice.number : static_cast<std::int64_t>(choice.columns);
	key.offset = choice.offset;
	key.route = route_number(choice.route, choice.corner);
	if ((choice.given & (NUMBER_OPTION | ORDER_OPTION)) != 0 && key_number(key) < type.least_number)
		return usage_error(program,
		                   ("a " + std::string(type.title) + " needs at least " + std::to_string(type.least_number) +
		                    " " + std::string(type.number_name) + ", not")
		                       .c_str(),
		                   std::to_string(key_number(key)).c_str());
	if ((choice.given & (NUMBER_OPTION | ORDER_OPTION)) != 0 && key_number(key) > type.most_number)
		return usage_error(program,
		                   ("a " + std::string(type.title) + " has at most " + std::to_string(type.most_number) + " " +
		                    std::string(type.number_name) + ", not")
		                       .c_str(),
		                   std::to_string(key_number(key)).c_str());
	if ((choice.given & OFFSET_OPTION) != 0 && key.offset >= type.offsets(key_number(key)))
		return usage_error(program,
		                   ("an offset for " + std::to_string(key_number(key)) + " " + std::string(type.number_name) +
		                    " is from 0 to " + std::to_string(type.offsets(key_number(key)) - 1) + ", not")
		                       .c_str(),
		                   std::to_string(key.offset).c_str());
	return -1;
}

std::string cipher_type_lines()
{
	std::string lines;
	for (const cipher_type &type : cipher_types()) {
		std::string name = "    " + std::string(type.name);
		name.resize(std::max<std::size_t>(name.size() + 1, 16), ' ');
		lines += name + std::string(type.summary) + "\n";
	}
	return lines;
}

std::string describe_key(const cipher_type &type, const cipher_key &key)
{
	std::string text = std::string(type.title) + ", " + std::to_string(key_number(key)) + " " +
	                   std::string(type.number_name);
	if ((type.options & OFFSET_OPTION) != 0)
		text += ", offset " + std::to_string(key.offset);
	if ((type.options & START_OPTION) != 0)
		text += ", start " + std::to_string(key.offset + 1);
	if ((type.options & ROUTE_OPTION) != 0)
		text += ", " + std::string(ROUTE_NAMES[key.route / CORNER_COUNT % ROUTE_COUNT]) + " from " +
		        std::string(CORNER_NAMES[key.route % CORNER_COUNT]);
	return text;
}
