#include "page_cribs.h"

#include <emscripten/emscripten.h>

#include <string_view>

namespace {

crib_list cribs;

} // namespace

const crib_list *page_cribs() noexcept
{
	return cribs.count > 0 ? &cribs : nullptr;
}

extern "C" {

// Sets the cribs from the crib field's `size` bytes: words separated by
// spaces or commas, each as one --crib.  Returns how many, or -1 when a
// word is longer than a crib may be or there are more than a search
// takes; the cribs are then none.
EMSCRIPTEN_KEEPALIVE int web_set_cribs(const char *text, std::size_t size)
{
	cribs = {};
	const std::string_view words{text, size};
	for (std::size_t at = 0; at < words.size();) {
		const std::size_t end = std::min(words.find_first_of(" ,", at), words.size());
		if (end > at)
			switch (add_crib(cribs, words.substr(at, end - at))) {
			case crib_added::added:
			case crib_added::no_letters:
				break;
			case crib_added::too_long:
			case crib_added::too_many:
				cribs = {};
				return -1;
			}
		at = end + 1;
	}
	return static_cast<int>(cribs.count);
}

} // extern "C"
