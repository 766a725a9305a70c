// The seven single-byte Cyrillic code pages, UTF-8, UTF-16, and the value
// that asks for detection. Bytes 0x00 to 0x7F are the same in all of them
// but UTF-16, whose units are two bytes. The values are stored (settings,
// reports): a new page takes the next free value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

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
  Mac = 9,     // Mac Cyrillic, as browsers read x-mac-cyrillic (FF is €)
  KoiU = 10,   // KOI8-U: KOI8-R with the Ukrainian letters
  Cp1125 = 11, // CP1125: CP866 with the Ukrainian letters
};

// Dos, Win, Koi, Iso, Mac, KoiU and Cp1125: a byte is a character.
constexpr bool isSingleBytePage(CodePage page) {
  return page == CodePage::Dos || page == CodePage::Win ||
         page == CodePage::Koi || page == CodePage::Iso ||
         page == CodePage::Mac || page == CodePage::KoiU ||
         page == CodePage::Cp1125;
}

// Every single-byte page, in the order of their values.
inline constexpr CodePage kSingleBytePages[] = {
    CodePage::Dos, CodePage::Win,  CodePage::Koi,   CodePage::Iso,
    CodePage::Mac, CodePage::KoiU, CodePage::Cp1125};

// The position of a single-byte page in kSingleBytePages (0 for any other
// page), for tables with a row per page.
constexpr std::size_t singleByteIndex(CodePage page) {
  for (std::size_t i = 0; i < std::size(kSingleBytePages); ++i)
    if (kSingleBytePages[i] == page)
      return i;
  return 0;
}

// The three UTF-16 pages: two bytes per unit, no other operation than
// recoding works on them.
constexpr bool isUtf16Page(CodePage page) {
  return page == CodePage::Utf16 || page == CodePage::Utf16Le ||
         page == CodePage::Utf16Be;
}

} // namespace snpln::engine
