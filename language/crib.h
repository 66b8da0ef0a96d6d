// Cribs: words known to stand in the plain text, which the searches prefer
// their answers to hold.  Only a crib's letters count, and a decoding holds
// it when its letters, other bytes passed over, run through the crib's.
#ifndef UNTRANSPOSE_CRIB_H
#define UNTRANSPOSE_CRIB_H

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

inline constexpr std::size_t MOST_CRIBS = 16;
inline constexpr std::size_t MOST_CRIB_LETTERS = 100;

struct crib_list {
	std::size_t count = 0;
	std::size_t length[MOST_CRIBS] = {};
	std::uint8_t letters[MOST_CRIBS][MOST_CRIB_LETTERS] = {};   // 0 to 25
};

enum class crib_added { added, no_letters, too_long, too_many };

// Adds the letters of `word`, in either case, other bytes passed over.
crib_added add_crib(crib_list &cribs, std::string_view word) noexcept;

// How many of the cribs a text holds: `symbols` are its letters as 0 to
// 25 and any other byte as a number above 25.
[[nodiscard]] std::uint32_t cribs_held(const crib_list &cribs, std::span<const std::uint8_t> symbols) noexcept;

// The same for a text of bytes, as the filter decodes them.
[[nodiscard]] std::uint32_t cribs_held_in_text(const crib_list &cribs, std::span<const char> text) noexcept;

#endif
