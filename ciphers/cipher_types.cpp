#include "cipher_types.h"

#include "amsco.h"
#include "columnar.h"
#include "double_columnar.h"
#include "key_space.h"
#include "myszkowski.h"
#include "orders.h"
#include "permutation.h"
#include "railfence.h"
#include "route.h"

#include <algorithm>
#include <iterator>

namespace {

std::int64_t one(std::int64_t) noexcept
{
	return 1;
}

std::int64_t orders(std::int64_t number, bool natural) noexcept
{
	return natural ? 0 : log10_factorial_millionths(number);
}

std::int64_t tied_orders(std::int64_t number, bool natural) noexcept
{
	return natural ? 0 : log10_tied_orders_millionths(number);
}

std::int64_t rail_keys(std::int64_t rails, bool) noexcept
{
	return log10_millionths(rail_offsets(rails));
}

std::int64_t rail_orders(std::int64_t rails, bool natural) noexcept
{
	return rail_keys(rails, natural) + orders(rails, natural);
}

std::int64_t routes(std::int64_t width, bool) noexcept
{
	return log10_millionths(route_numbers(width));
}

std::int64_t amsco_orders(std::int64_t columns, bool natural) noexcept
{
	return log10_millionths(2) + orders(columns, natural);
}

constexpr cipher_type TYPES[] = {
    {.name = "columnar", .title = "column transposition",
     .summary = "columns read out from left to right, or in a key's order",
     .options = NUMBER_OPTION | ORDER_OPTION, .needs = NUMBER_OPTION | ORDER_OPTION, .number_name = "columns",
     .least_number = 1, .most_number = INT32_MAX, .column_form = true, .search = search_kind::plain_columns,
     .offsets = one, .routes = one, .whole_rows = false, .ties = false, .key_space = orders, .encipher = encipher_columnar, .decipher = decipher_columnar},
    {.name = "keyed", .title = "keyed column transposition", .summary = "columns read out in a keyword's order",
     .options = ORDER_OPTION, .needs = ORDER_OPTION, .number_name = "columns", .least_number = 1,
     .most_number = INT32_MAX, .column_form = true, .search = search_kind::keyed_columns, .offsets = one, .routes = one,
     .whole_rows = false, .ties = false, .key_space = orders, .encipher = encipher_columnar, .decipher = decipher_columnar},
    {.name = "permutation", .title = "block permutation",
     .summary = "each block of K letters rearranged in a keyword's order", .options = ORDER_OPTION,
     .needs = ORDER_OPTION, .number_name = "columns", .least_number = 1, .most_number = MOST_ORDER_COLUMNS,
     .column_form = false, .search = search_kind::keyed_rows, .offsets = one, .routes = one, .whole_rows = false, .ties = false,
     .key_space = orders, .encipher = encipher_permutation, .decipher = decipher_permutation},
    {.name = "railfence", .title = "rail fence",
     .summary = "a zigzag over N rails (--key N), read rail by rail (--offset M)",
     .options = NUMBER_OPTION | OFFSET_OPTION, .needs = NUMBER_OPTION, .number_name = "rails", .least_number = 2,
     .most_number = MOST_RAILS, .column_form = false, .search = search_kind::every_number_and_offset,
     .offsets = rail_offsets, .routes = one, .whole_rows = false, .ties = false, .key_space = rail_keys, .encipher = encipher_railfence,
     .decipher = decipher_railfence},
    {.name = "redefence", .title = "redefence",
     .summary = "a rail fence, its rails read in a keyword's order (--offset M)",
     .options = ORDER_OPTION | OFFSET_OPTION, .needs = ORDER_OPTION, .number_name = "rails", .least_number = 2,
     .most_number = MOST_RAILS, .column_form = false, .search = search_kind::rails_and_order, .offsets = rail_offsets,
     .routes = one, .whole_rows = false, .ties = false, .key_space = rail_orders, .encipher = encipher_railfence, .decipher = decipher_railfence},
    {.name = "route", .title = "route cipher",
     .summary = "rows of W (--key W) read along a route (--route, --corner)",
     .options = NUMBER_OPTION | ROUTE_OPTION, .needs = NUMBER_OPTION, .number_name = "columns", .least_number = 1,
     .most_number = INT32_MAX, .column_form = false, .search = search_kind::every_number_and_offset, .offsets = one,
     .routes = route_numbers, .whole_rows = true, .ties = false, .key_space = routes, .encipher = encipher_route, .decipher = decipher_route},
    {.name = "amsco", .title = "AMSCO",
     .summary = "cells of 1 and 2 letters, columns read in a keyword's order (--start)",
     .options = ORDER_OPTION | START_OPTION, .needs = ORDER_OPTION, .number_name = "columns", .least_number = 1,
     .most_number = MOST_ORDER_COLUMNS, .column_form = false, .search = search_kind::fitted_order,
     .offsets = amsco_starts, .routes = one, .whole_rows = false, .ties = false, .key_space = amsco_orders, .encipher = encipher_amsco,
     .decipher = decipher_amsco},
    {.name = "myszkowski", .title = "Myszkowski transposition",
     .summary = "columns of one keyword letter read together, row by row",
     .options = ORDER_OPTION, .needs = ORDER_OPTION, .number_name = "columns", .least_number = 1,
     .most_number = MOST_ORDER_COLUMNS, .column_form = false, .search = search_kind::fitted_order, .offsets = one,
     .routes = one, .whole_rows = false, .ties = true, .key_space = tied_orders, .encipher = encipher_myszkowski,
     .decipher = decipher_myszkowski},
    {.name = "double", .title = "double columnar transposition",
     .summary = "keyed columns twice: --keyword FIRST --keyword SECOND",
     .options = ORDER_OPTION, .needs = ORDER_OPTION, .number_name = "columns", .least_number = 1,
     .most_number = MOST_DOUBLE_COLUMNS, .column_form = true, .search = search_kind::two_orders, .offsets = one,
     .routes = one, .whole_rows = false, .ties = false, .orders = 2, .key_space = orders,
     .encipher = encipher_double, .decipher = decipher_double},
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
