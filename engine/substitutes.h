// The closest equivalent of a character a code page cannot hold (the
// recoding's --substitute): one table for every page. Typographic quotes
// become " or ', dashes and the minus sign -, the ellipsis ..., № No,
// € EUR, © (c), ® (R), ™ (TM), ± +-, ≠ !=, ∞ oo, ÷ /, † +, £ GBP, ¢ c,
// µ u, ƒ f, arrows -> <- ^ v, bullets *, the
// no-break space a space, box drawing + - |, blocks and shades #, and
// the letters of the other Cyrillic languages their nearest Russian
// letter (Є Е, І И, Ї И, Ґ Г, Ў У, Ј Й, Љ Л, Њ Н, Ћ Ч, Ђ Д, Џ Ц, ...).
// A candidate the page cannot hold whole is passed over; at the end of the
// table stands "?". Every substitute is at most kMaxSubstitute bytes and
// each of its bytes is a character of the page.
#pragma once

#include <cstddef>
#include <string>

#include "engine/code_page.h"

namespace snpln::engine {

inline constexpr std::size_t kMaxSubstitute = 4;

// The bytes of the substitute in `page` (a single-byte page) for a
// character the page does not hold.
std::string substituteFor(char32_t code, CodePage page);

} // namespace snpln::engine
