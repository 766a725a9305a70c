// UTF-8 characters for the engines.
//
// A file is cut into units from its start: a well-formed UTF-8 sequence (no
// overlong forms, no surrogates, nothing above U+10FFFF) is one character;
// any other byte is a unit of its own and is never changed. The letters are
// the ASCII letters and the Cyrillic letters U+0400..U+045F (Ё and ё among
// them), each paired with its other case; every other character has no case
// and is no letter. Case conversion keeps each letter's length in bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace snpln::engine {

struct Utf8Unit {
  // Bytes of the unit: 1 to 4; 0 when the bytes at hand are the start of a
  // well-formed sequence that continues past them.
  std::size_t length = 0;
  // The character, or kNotACharacter for a byte that starts no well-formed
  // sequence.
  std::uint32_t codePoint = 0;
};

inline constexpr std::uint32_t kNotACharacter = 0xFFFFFFFF;

// The unit at `bytes` (`available` >= 1 bytes at hand). At the end of the
// file a unit of length 0 is to be taken as one byte that starts no
// character (use utf8UnitAtEnd).
Utf8Unit utf8Unit(const std::uint8_t *bytes, std::size_t available);
// The same, where nothing follows the bytes at hand.
Utf8Unit utf8UnitAtEnd(const std::uint8_t *bytes, std::size_t available);

bool isUtf8Letter(std::uint32_t codePoint);
// A letter that has a capital form other than itself.
bool isUtf8Small(std::uint32_t codePoint);
bool isUtf8Capital(std::uint32_t codePoint);
std::uint32_t toUpperCodePoint(std::uint32_t codePoint);
std::uint32_t toLowerCodePoint(std::uint32_t codePoint);

// Writes the UTF-8 form of `codePoint` (a character) to `out` and returns
// its length (1 to 4).
std::size_t encodeUtf8(std::uint32_t codePoint, std::uint8_t *out);

} // namespace snpln::engine
