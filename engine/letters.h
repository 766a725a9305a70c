// The letters of each code page, by byte value: which bytes are letters and
// how each letter changes case.
//
// A page's letters are the ASCII letters and every Cyrillic letter the page
// holds (U+0400..U+045F: А to я, Ё and ё, and Є/є, І/і, Ї/ї, Ў/ў and the
// other letters of that block where the page has them; Ґ/ґ too), each
// paired with its other case in the same page: the letters the UTF-8
// engines know, byte by byte. They follow from the page's characters
// (code_page_chars.h): byte -> character -> letter and its other case -> byte.
// Auto (a file with no byte above 0x7F, or no page known) and Utf8 have the
// ASCII letters alone. Every other byte is no letter and keeps its case.
//
// toUpperChar, toLowerChar and isLetterChar answer for one byte; the same
// answers come as 256-entry tables, built once per page, for loops over
// slices.
#pragma once

#include <array>
#include <cstdint>

#include "engine/code_page.h"

namespace snpln::engine {

struct PageLetters {
  std::array<std::uint8_t, 256> upper;  // the byte of the capital
  std::array<std::uint8_t, 256> lower;  // the byte of the small letter
  std::array<std::uint8_t, 256> letter; // 1 for a letter, 0 for any other
};

const PageLetters &lettersOf(CodePage page);

std::uint8_t toUpperChar(std::uint8_t c, CodePage page);
std::uint8_t toLowerChar(std::uint8_t c, CodePage page);
bool isLetterChar(std::uint8_t c, CodePage page);

} // namespace snpln::engine
