#include "engine/letters.h"

namespace snpln::engine {
namespace {

constexpr bool isAsciiSmall(unsigned c) { return c >= 'a' && c <= 'z'; }
constexpr bool isAsciiCapital(unsigned c) { return c >= 'A' && c <= 'Z'; }

// Win: capitals 0xC0..0xDF pair with small letters 0xE0..0xFF by position.
constexpr bool isWinSmall(unsigned c) { return c >= 0xE0 && c <= 0xFF; }
constexpr bool isWinCapital(unsigned c) { return c >= 0xC0 && c <= 0xDF; }

constexpr std::array<std::uint8_t, 256> makeUpper() {
  std::array<std::uint8_t, 256> t{};
  for (unsigned c = 0; c < 256; ++c)
    t[c] = static_cast<std::uint8_t>(isAsciiSmall(c) || isWinSmall(c) ? c - 0x20
                                                                      : c);
  return t;
}

constexpr std::array<std::uint8_t, 256> makeLower() {
  std::array<std::uint8_t, 256> t{};
  for (unsigned c = 0; c < 256; ++c)
    t[c] = static_cast<std::uint8_t>(
        isAsciiCapital(c) || isWinCapital(c) ? c + 0x20 : c);
  return t;
}

constexpr std::array<bool, 256> makeLetters() {
  std::array<bool, 256> t{};
  for (unsigned c = 0; c < 256; ++c)
    t[c] = isAsciiSmall(c) || isAsciiCapital(c) || c >= 0xC0;
  return t;
}

} // namespace

constexpr std::array<std::uint8_t, 256> kUpperCaseTable = makeUpper();
constexpr std::array<std::uint8_t, 256> kLowerCaseTable = makeLower();
constexpr std::array<bool, 256> kLetterTable = makeLetters();

std::uint8_t toUpperChar(std::uint8_t c) { return kUpperCaseTable[c]; }
std::uint8_t toLowerChar(std::uint8_t c) { return kLowerCaseTable[c]; }
bool isLetterChar(std::uint8_t c) { return kLetterTable[c]; }

} // namespace snpln::engine
