// Recoding between the seven single-byte pages: 21 constant tables, one per
// pair of pages, each a one-to-one map of 0x80..0xFF whose inverse serves
// the other direction, so that A -> B -> A gives back every byte.
//
// Each character both pages hold goes to itself (as the pages' published
// standards give them: Ё, №, °, the no-break space, the Ukrainian and
// Belarusian letters, the box drawing). A byte whose character the other
// page lacks goes to a fill byte: a byte of the other page whose character
// the first page lacks. The fill bytes keep the images of the tables of
// earlier versions where those were such bytes; the rest pair in ascending
// byte order (tests/engine/test_recode_tables.cpp derives the tables and
// compares).
#pragma once

#include <array>
#include <cstdint>

#include "engine/code_page.h"

namespace snpln::engine {

struct PagePairTable {
  CodePage low; // the lower value: Dos < Win < Koi < Iso < Mac < KoiU < Cp1125
  CodePage high;
  // Entry i: the byte of `high` for the byte 0x80 + i of `low`.
  std::array<std::uint8_t, 128> map;
};

extern const std::array<PagePairTable, 21> kPagePairTables;

// source and target are single-byte pages. Bytes below 0x80 come back
// unchanged, and every byte when the pages are the same.
std::uint8_t recodeByte(std::uint8_t b, CodePage source, CodePage target);

using RecodeMap = std::array<std::uint8_t, 256>;
// map[b] == recodeByte(b, source, target) for every byte b.
RecodeMap makeRecodeMap(CodePage source, CodePage target);

// flags[b]: the character of byte b of `source` is not in `target`, so b
// goes to a fill byte. False for every byte below 0x80 and between equal
// pages.
using ByteFlags = std::array<bool, 256>;
ByteFlags noEquivalentBytes(CodePage source, CodePage target);

} // namespace snpln::engine
