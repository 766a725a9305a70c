// The four single-byte Cyrillic code pages, UTF-8, UTF-16, and the value
// that asks for detection. Bytes 0x00 to 0x7F are the same in all of them
// but UTF-16, whose units are two bytes.
#pragma once

#include <cstdint>

namespace snpln::engine {

enum class CodePage : std::uint8_t {
  Auto = 0,
  Dos = 1,
  Win = 2,
  Koi = 3,
  Iso = 4,
  Utf8 = 5,
  // UTF-16. As a target: little-endian after a byte order mark. As a
  // source: the byte order mark decides, little-endian without one.
  // Detection never gives it: a file's page is one of the two below.
  Utf16 = 6,
  Utf16Le = 7, // little-endian; as a target, no byte order mark
  Utf16Be = 8, // big-endian; as a target, no byte order mark
};

// Dos, Win, Koi and Iso: a byte is a character.
constexpr bool isSingleBytePage(CodePage page) {
  return page == CodePage::Dos || page == CodePage::Win ||
         page == CodePage::Koi || page == CodePage::Iso;
}

// The three UTF-16 pages: two bytes per unit, no other operation than
// recoding works on them.
constexpr bool isUtf16Page(CodePage page) {
  return page == CodePage::Utf16 || page == CodePage::Utf16Le ||
         page == CodePage::Utf16Be;
}

} // namespace snpln::engine
