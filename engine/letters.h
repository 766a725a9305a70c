// Letter functions over byte values, whatever the file's code page: the ASCII
// letters and the 64 Cyrillic letters of Windows-1251 (0xC0 to 0xFF), without
// Yo (0xA8, 0xB8).
#pragma once

#include <cstdint>

namespace snpln::engine {

std::uint8_t toUpperChar(std::uint8_t c);
std::uint8_t toLowerChar(std::uint8_t c);
bool isLetterChar(std::uint8_t c);

} // namespace snpln::engine
