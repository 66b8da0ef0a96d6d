// The page's entry points into the list of cipher types: their names and
// the key options each takes, and any type's encipher and decipher, so
// that the page offers what the programs offer without a list of its own.
#include "cipher_types.h"
#include "decoder.h"
#include "orders.h"
#include "white_space.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace {

char line[BUFFER_SIZE];
char compact[BUFFER_SIZE];
char output[BUFFER_SIZE];
std::int32_t ranks[MOST_ORDER_COLUMNS];
std::int32_t order[MOST_ORDER_COLUMNS];
std::uint8_t tied[MOST_ORDER_COLUMNS];
std::int32_t second_ranks[MOST_ORDER_COLUMNS];
std::int32_t second_order[MOST_ORDER_COLUMNS];

const cipher_type *type_at(std::size_t i)
{
	const std::span<const cipher_type> types = cipher_types();
	return i < types.size() ? &types[i] : nullptr;
}

} // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE std::size_t web_cipher_type_count()
{
	return cipher_types().size();
}

// The type's name as --cipher takes it, its title for people, and the key
// options it takes (1 a number, 2 an order, 4 an offset).
EMSCRIPTEN_KEEPALIVE const char *web_cipher_type_name(std::size_t i)
{
	const cipher_type *type = type_at(i);
	return type != nullptr ? type->name.data() : "";
}

EMSCRIPTEN_KEEPALIVE const char *web_cipher_type_title(std::size_t i)
{
	const cipher_type *type = type_at(i);
	return type != nullptr ? type->title.data() : "";
}

// What its number counts, plural: "columns", "rails".
EMSCRIPTEN_KEEPALIVE const char *web_cipher_type_units(std::size_t i)
{
	const cipher_type *type = type_at(i);
	return type != nullptr ? type->number_name.data() : "";
}

// How many keys in order the type takes: 2 for the double columnar.
EMSCRIPTEN_KEEPALIVE unsigned web_cipher_type_keys(std::size_t i)
{
	const cipher_type *type = type_at(i);
	return type != nullptr ? type->orders : 0;
}

// Whether the keyed search finds its key, reading blocks as the grid's rows.
EMSCRIPTEN_KEEPALIVE bool web_cipher_type_rows(std::size_t i)
{
	const cipher_type *type = type_at(i);
	return type != nullptr && type->search == search_kind::keyed_rows;
}

EMSCRIPTEN_KEEPALIVE unsigned web_cipher_type_options(std::size_t i)
{
	const cipher_type *type = type_at(i);
	return type != nullptr ? type->options : 0;
}

// Enciphers, or deciphers, `size` bytes of `text`, normalised as transpose
// normalises a line, by the type numbered `i` with the number, the order
// given as a keyword or ranks in `key` (none when key_size is 0; two keys
// separated by a space for a type of two), the offset (an AMSCO start
// less one) and the route (its path times 4 plus its corner).  A type
// read from a whole grid has its last row filled with X when enciphered,
// as transpose fills it.  The result is at web_cipher_output(); returns
// its length, or -1 for a key the type cannot take.
EMSCRIPTEN_KEEPALIVE long web_cipher_transform(std::size_t i, const char *text, std::size_t size, double number,
                                               const char *key, std::size_t key_size, double offset, double route,
                                               bool decipher)
{
	const cipher_type *type = type_at(i);
	if (type == nullptr)
		return -1;
	if (std::isnan(number) || std::isnan(offset) || std::isnan(route))
		return -1;
	cipher_key given;
	given.number = static_cast<std::int64_t>(std::clamp(number, 0.0, static_cast<double>(INT32_MAX)));
	given.offset = static_cast<std::int64_t>(std::clamp(offset, 0.0, static_cast<double>(INT32_MAX)));
	given.route = static_cast<std::int64_t>(std::clamp(route, 0.0, static_cast<double>(INT32_MAX)));
	if (key_size > 0) {
		std::string_view written{key, key_size};
		// A type of two keys takes them separated by a space, the first
		// applied first.
		if (type->orders == 2) {
			const std::size_t space = written.find(' ');
			if (space == std::string_view::npos)
				return -1;
			const std::string_view last = written.substr(space + 1);
			written = written.substr(0, space);
			const bool numbers = std::any_of(last.begin(), last.end(), [](char c) { return c >= '0' && c <= '9'; });
			const std::size_t columns = numbers ? parse_ranks(last, second_ranks) : keyword_ranks(last, second_ranks);
			if (columns == 0 || static_cast<std::int64_t>(columns) > type->most_number)
				return -1;
			read_order({second_ranks, columns}, {second_order, columns});
			given.second = {second_order, columns};
		}
		const bool numbers = std::any_of(written.begin(), written.end(), [](char c) { return c >= '0' && c <= '9'; });
		// Ranks tie only for a type whose ranks may: equal letters, or
		// equal numbers, share a rank.
		const std::size_t columns = type->ties ? (numbers ? parse_tied_ranks(written, ranks, tied)
		                                                  : keyword_tied_ranks(written, ranks, tied))
		                                       : (numbers ? parse_ranks(written, ranks) : keyword_ranks(written, ranks));
		if (columns == 0)
			return -1;
		read_order({ranks, columns}, {order, columns});
		given.order = {order, columns};
		if (type->ties)
			given.tied = {tied, columns};
	}
	const std::int64_t count = key_number(given);
	if (count < type->least_number || count > type->most_number || given.offset >= type->offsets(count) ||
	    given.route >= type->routes(count) ||
	    (given.order.empty() ? (type->options & NUMBER_OPTION) == 0 : (type->options & ORDER_OPTION) == 0))
		return -1;
	std::memset(line, 0, sizeof line);
	std::memset(compact, 0, sizeof compact);
	std::memset(output, 0, sizeof output);
	std::size_t kept = std::min(size, BUFFER_SIZE - 1);
	std::memcpy(line, text, kept);
	kept = space_separators({line, kept});
	std::size_t length = normalize_text({line, kept}, {compact, BUFFER_SIZE});
	const auto width = static_cast<std::size_t>(count);
	if (!decipher && type->whole_rows && length > 0 && length % width != 0 && length + width - length % width < BUFFER_SIZE) {
		std::memset(compact + length, 'X', width - length % width);
		length += width - length % width;
	}
	(decipher ? type->decipher : type->encipher)(given, {compact, length}, {output, BUFFER_SIZE});
	return static_cast<long>(length);
}

EMSCRIPTEN_KEEPALIVE const char *web_cipher_output()
{
	return output;
}

} // extern "C"
