// Letter functions over byte values, whatever the file's code page: the ASCII
// letters and the 64 Cyrillic letters of Windows-1251 (0xC0 to 0xFF), without
// Yo (0xA8, 0xB8).
//
// toUpperChar: a..z -> A..Z, 0xE0..0xFF -> 0xC0..0xDF, every other byte as is.
// toLowerChar: the reverse. isLetterChar: A..Z, a..z and 0xC0..0xFF.
// The same mappings are offered as 256-entry tables for loops over slices.
#pragma once

#include <array>
#include <cstdint>

namespace snpln::engine {

std::uint8_t toUpperChar(std::uint8_t c);
std::uint8_t toLowerChar(std::uint8_t c);
bool isLetterChar(std::uint8_t c);

extern const std::array<std::uint8_t, 256> kUpperCaseTable;
extern const std::array<std::uint8_t, 256> kLowerCaseTable;
extern const std::array<bool, 256> kLetterTable;

} // namespace snpln::engine
