// The characters of the seven single-byte code pages as their published
// standards give them (CP866, Windows-1251, KOI8-R, ISO 8859-5, KOI8-U,
// CP1125; Mac Cyrillic as browsers read x-mac-cyrillic, with € at 0xFF
// where the C library's MAC-CYRILLIC has ¤), for recoding to and from
// UTF-8. These are not the recoding tables between the
// single-byte pages, which keep their own long-standing choices.
//
// Windows-1251 leaves 0x98 undefined; it stands for U+0098 here, so that
// every byte of every page has a character of its own and comes back.
#pragma once

#include <array>
#include <cstdint>

#include "engine/code_page.h"

namespace snpln::engine {

using CharTable = std::array<char16_t, 256>;
// The character of every byte value of a single-byte page (Win for any
// other page).
const CharTable &charsOf(CodePage page);

// The byte of each character of the Basic Multilingual Plane in a page;
// 0 where the page has none (U+0000 itself is byte 0).
using ByteTable = std::array<std::uint8_t, 65536>;
const ByteTable &bytesOf(CodePage page);

// The byte of `code` in `page`, or -1 when the page cannot hold it.
int byteOfChar(char32_t code, CodePage page);

} // namespace snpln::engine
