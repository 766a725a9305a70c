// The three constant recoding tables (entry i is the target byte of the Dos
// byte 0x80 + i), `recodeByte` by its searching definition, and the 256-entry
// byte maps precomputed from it for the recoding engine.
#pragma once

#include <array>
#include <cstdint>

#include "engine/code_page.h"

namespace snpln::engine {

extern const std::array<std::uint8_t, 128> kDosToWin;
extern const std::array<std::uint8_t, 128> kDosToKoi;
extern const std::array<std::uint8_t, 128> kDosToIso;

// source and target are Dos, Win, Koi or Iso. Bytes below 0x80 come back
// unchanged; others go through their Dos index (first table position that
// holds the byte; index 0 when none does).
std::uint8_t recodeByte(std::uint8_t b, CodePage source, CodePage target);

using RecodeMap = std::array<std::uint8_t, 256>;
// map[b] == recodeByte(b, source, target) for every byte b.
RecodeMap makeRecodeMap(CodePage source, CodePage target);

} // namespace snpln::engine
