// The one list of the transposition ciphers the programs know.  Each type
// is a module of its own (its key, its shape, encipher and decipher); this
// list is what the command lines, the tests, the benchmarks, the fuzz
// targets and the page take their types from.  Pure: no allocation.
#ifndef UNTRANSPOSE_CIPHER_TYPES_H
#define UNTRANSPOSE_CIPHER_TYPES_H

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

// A key of any type: the parts a type does not take are left as they are.
struct cipher_key {
	std::int64_t number = 0;                 // columns or rails, when given as a number
	std::span<const std::int32_t> order;     // a read order, when the type reads in one
	std::int64_t offset = 0;                 // where a zigzag starts; an AMSCO grid's start less one
	std::int64_t route = 0;                  // a route's path and corner
	// For a type whose ranks may tie: tied[j] when the column read j-th
	// shares its rank with the one read before it.  None, or as many as
	// the order.
	std::span<const std::uint8_t> tied = {};
	// The second key's read order, for a type of two keys.
	std::span<const std::int32_t> second = {};
};

// The options that give a key's parts.
enum key_option : unsigned {
	NUMBER_OPTION = 1,    // --key N
	ORDER_OPTION = 2,     // --keyword WORD or --order LIST
	OFFSET_OPTION = 4,    // --offset M
	ROUTE_OPTION = 8,     // --route NAME and --corner CORNER
	START_OPTION = 16,    // --start 1|2, an offset of 0 or 1
};

// How a type's key is found without one.
enum class search_kind {
	plain_columns,        // every number of columns, read from left to right
	keyed_columns,        // the number of columns and their order, by a climb
	keyed_rows,           // the same, for blocks read out in the order: rows of the grid
	every_number_and_offset,   // and every route, for a type that has them
	rails_and_order,      // the number of rails, the offset and the rails' order
	fitted_order,         // the number of columns, the offset and the order, by their decodings
	two_orders,           // both keys' numbers of columns and orders
};

struct cipher_type {
	std::string_view name;        // as --cipher takes it
	std::string_view title;       // for people
	std::string_view summary;     // one line for --help
	unsigned options;             // the key options it takes
	unsigned needs;               // and of them those it must have, any one of them
	std::string_view number_name; // what --key counts, plural: "columns", "rails"
	std::int64_t least_number;    // the least --key it takes
	std::int64_t most_number;     // and the most
	// Whether its decoding is the filter's: a number of columns and a text
	// that the filter decodes, rather than a plain text already.
	bool column_form;
	search_kind search;
	// The offsets a key of `number` may have: 0 to offsets(number) - 1.
	std::int64_t (*offsets)(std::int64_t number) noexcept;
	// And the routes: 0 to routes(number) - 1.
	std::int64_t (*routes)(std::int64_t number) noexcept;
	// Whether the text fills its grid of `number` columns, its last row
	// padded when it would not: only numbers that divide a cipher's length
	// are searched.
	bool whole_rows;
	// Whether its key's ranks may tie, equal letters of a keyword sharing
	// a rank.
	bool ties;
	// How many keys it takes in order, each a --keyword or --order: two
	// for the double columnar, the first applied first.
	unsigned orders = 1;
	// log10 of how many keys of `number` the type has, in millionths: what
	// an answer pays to be believed against another type's.  A key whose
	// columns or rails are read in their natural order, without ties,
	// pays for the rest of its key alone, as the plain transposition pays
	// nothing.  A type of two keys pays this for each.
	std::int64_t (*key_space)(std::int64_t number, bool natural) noexcept;
	// Enciphers and deciphers a compact text of text.size() bytes into
	// `out`, of at least as many, with a valid key: the number is
	// order.size() when there is an order.
	void (*encipher)(const cipher_key &key, std::span<const char> text, std::span<char> out) noexcept;
	void (*decipher)(const cipher_key &key, std::span<const char> cipher, std::span<char> out) noexcept;
};

// Every type, in the order --help lists them; the first is the default.
[[nodiscard]] std::span<const cipher_type> cipher_types() noexcept;

// The type of that name, or null.
[[nodiscard]] const cipher_type *cipher_named(std::string_view name) noexcept;

// The number of a key: order.size() when it has an order, else number.
[[nodiscard]] constexpr std::int64_t key_number(const cipher_key &key) noexcept
{
	return key.order.empty() ? key.number : static_cast<std::int64_t>(key.order.size());
}

#endif
