#include "cipher_types.h"

#include "columnar.h"
#include "orders.h"
#include "permutation.h"
#include "railfence.h"

#include <algorithm>
#include <iterator>

namespace {

std::int64_t one_offset(std::int64_t) noexcept
{
	return 1;
}

constexpr cipher_type TYPES[] = {
    {"columnar", "column transposition", "columns read out from left to right, or in a key's order",
     NUMBER_OPTION | ORDER_OPTION, NUMBER_OPTION | ORDER_OPTION, "columns", 1, INT32_MAX, true, search_kind::plain_columns,
     one_offset, encipher_columnar, decipher_columnar},
    {"keyed", "keyed column transposition", "columns read out in a keyword's order", ORDER_OPTION, ORDER_OPTION,
     "columns", 1, INT32_MAX, true, search_kind::keyed_columns, one_offset, encipher_columnar, decipher_columnar},
    {"permutation", "block permutation", "each block of K letters rearranged in a keyword's order", ORDER_OPTION,
     ORDER_OPTION, "columns", 1, MOST_ORDER_COLUMNS, false, search_kind::keyed_rows, one_offset, encipher_permutation,
     decipher_permutation},
    {"railfence", "rail fence", "a zigzag over N rails (--key N), read rail by rail (--offset M)",
     NUMBER_OPTION | OFFSET_OPTION, NUMBER_OPTION, "rails", 2, MOST_RAILS, false, search_kind::every_number_and_offset,
     rail_offsets, encipher_railfence, decipher_railfence},
    {"redefence", "redefence", "a rail fence, its rails read in a keyword's order (--offset M)",
     ORDER_OPTION | OFFSET_OPTION, ORDER_OPTION, "rails", 2, MOST_RAILS, false, search_kind::rails_and_order,
     rail_offsets, encipher_railfence, decipher_railfence},
};

} // namespace

std::span<const cipher_type> cipher_types() noexcept
{
	return TYPES;
}

const cipher_type *cipher_named(std::string_view name) noexcept
{
	const auto found = std::find_if(std::begin(TYPES), std::end(TYPES),
	                                [&](const cipher_type &type) { return type.name == name; });
	return found == std::end(TYPES) ? nullptr : found;
}
