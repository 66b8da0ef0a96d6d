// The cribs the page's searches prefer: words known to stand in the plain
// text, from its crib field, as untranspose-key takes them from --crib.
#ifndef UNTRANSPOSE_WEB_PAGE_CRIBS_H
#define UNTRANSPOSE_WEB_PAGE_CRIBS_H

#include "crib.h"

// The cribs last set, or null when there are none.
[[nodiscard]] const crib_list *page_cribs() noexcept;

#endif
