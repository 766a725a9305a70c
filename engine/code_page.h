// The four single-byte Cyrillic code pages, UTF-8, and the value that asks
// for detection. Bytes 0x00 to 0x7F are the same in all of them.
#pragma once

#include <cstdint>

namespace snpln::engine {

enum class CodePage : std::uint8_t {
  Auto = 0,
  Dos = 1,
  Win = 2,
  Koi = 3,
  Iso = 4,
  Utf8 = 5
};

// Dos, Win, Koi and Iso: a byte is a character.
constexpr bool isSingleBytePage(CodePage page) {
  return page == CodePage::Dos || page == CodePage::Win ||
         page == CodePage::Koi || page == CodePage::Iso;
}

} // namespace snpln::engine
