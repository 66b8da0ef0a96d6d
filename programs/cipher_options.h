// The options that name a cipher type and give its key, as both programs
// take them, checked against what each type of the list takes.
#ifndef UNTRANSPOSE_CIPHER_OPTIONS_H
#define UNTRANSPOSE_CIPHER_OPTIONS_H

#include "cipher_types.h"

#include <cstddef>
#include <cstdint>
#include <string>

enum class cipher_option { cipher, key, keyword, order, offset, route, corner, start };

struct cipher_choice {
	const cipher_type *type = nullptr;     // named by --cipher; null until then
	unsigned given = 0;                     // the key options given, as key_option bits
	int key_options = 0;                    // how many of --key, --keyword and --order
	std::int64_t number = 0;
	std::int64_t offset = 0;
	std::int64_t route = 0, corner = 0;     // as route.h numbers them
	std::size_t columns = 0;                // of a keyword or ranks given
	// Room for two keys of MOST_ORDER_COLUMNS each, set by the caller: the
	// second --keyword or --order of a type of two keys is the second.
	std::int32_t *ranks = nullptr;
	std::int32_t *order = nullptr;          // and the read order made of them
	std::size_t orders = 0;                 // how many --keyword and --order
	std::size_t second_columns = 0;
	std::uint8_t *tied = nullptr;           // and where its ranks tie, room for MOST_ORDER_COLUMNS
	bool order_ties = false;                // whether an --order given has ties
	const char *order_name = "--keyword";   // the option that gave them
};

// Takes one of the options; returns -1 to go on, or EXIT_USAGE after
// saying what was wrong.
int take_cipher_option(const char *program, cipher_option option, const char *argument, cipher_choice &choice);

// After the last option: the type named, or the first of the list,
// checked to take the key options given, at most one of --key, --keyword and --order,
// with a number and an offset in range; with `key_needed`, one of them.
// Fills `key`.  Returns -1 to go on, or EXIT_USAGE.
int finish_cipher_options(const char *program, cipher_choice &choice, bool key_needed, cipher_key &key);

// The types for --help, one line each.
[[nodiscard]] std::string cipher_type_lines();

// The key of a type in its own terms, for people: "rail fence, 5 rails,
// offset 3".
[[nodiscard]] std::string describe_key(const cipher_type &type, const cipher_key &key);

#endif
