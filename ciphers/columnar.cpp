#include "columnar.h"

#include "decoder.h"
#include "keyed_columns.h"

#include <algorithm>

void encipher_columnar(const cipher_key &key, std::span<const char> text, std::span<char> out) noexcept
{
	if (key.order.empty())
		encipher_columns(text, text.size(), key.number, out);
	else
		encipher_keyed(text, text.size(), key.order, out);
}

void decipher_columnar(const cipher_key &key, std::span<const char> cipher, std::span<char> out) noexcept
{
	const std::size_t length = std::min({cipher.size(), out.size(), BUFFER_SIZE});
	if (key.order.empty()) {
		decode_columns(cipher, length, static_cast<std::int32_t>(std::min<std::int64_t>(key.number, INT32_MAX)), out);
		return;
	}
	// The runs are put back in natural order in `out`, then read row after
	// row: decode_columns reads from a buffer of its own.
	char natural[BUFFER_SIZE];
	naturalise_columns(cipher, length, key.order, {natural, BUFFER_SIZE});
	decode_columns({natural, length}, length, static_cast<std::int32_t>(key.order.size()), out);
}
