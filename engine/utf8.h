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

// Writes the UTF-8 form of `codePoint` (a character) to `out` and returns
// its length (1 to 4).
std::size_t encodeUtf8(std::uint32_t codePoint, std::uint8_t *out);

namespace utf8_detail {

inline bool isContinuation(std::uint8_t b) { return (b & 0xC0) == 0x80; }

// The Cyrillic capitals U+0400..U+042F pair with U+0450..U+045F (the first
// sixteen) and U+0430..U+044F (the rest).
inline constexpr std::uint32_t kCyrillicFirst = 0x400;
inline constexpr std::uint32_t kCyrillicSmallFirst = 0x430;
inline constexpr std::uint32_t kCyrillicLast = 0x45F;

} // namespace utf8_detail

// The unit at `bytes` (`available` >= 1 bytes at hand). At the end of the
// file a unit of length 0 is to be taken as one byte that starts no
// character (use utf8UnitAtEnd). Inline, as the letter functions below: the
// engines call them once per character.
inline Utf8Unit utf8Unit(const std::uint8_t *bytes, std::size_t available) {
  const std::uint8_t lead = bytes[0];
  if (lead < 0x80)
    return {1, lead};
  std::size_t length = 0;
  std::uint32_t code = 0;
  // The allowed range of the second byte, narrower than 80..BF after E0,
  // ED, F0 and F4 (overlong forms, surrogates, beyond U+10FFFF).
  std::uint8_t low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0Fu;
    if (lead == 0xE0)
      low = 0xA0;
    else if (lead == 0xED)
      high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07u;
    if (lead == 0xF0)
      low = 0x90;
    else if (lead == 0xF4)
      high = 0x8F;
  } else {
    return {1, kNotACharacter};
  }
  for (std::size_t i = 1; i < length; ++i) {
    if (i == available)
      return {0, 0};
    const std::uint8_t b = bytes[i];
    if (i == 1 ? (b < low || b > high) : !utf8_detail::isContinuation(b))
      return {1, kNotACharacter};
    code = (code << 6) | (b & 0x3Fu);
  }
  return {length, code};
}

// The same, where nothing follows the bytes at hand.
inline Utf8Unit utf8UnitAtEnd(const std::uint8_t *bytes,
                              std::size_t available) {
  const Utf8Unit unit = utf8Unit(bytes, available);
  return unit.length == 0 ? Utf8Unit{1, kNotACharacter} : unit;
}

// A letter that has a capital form other than itself.
inline bool isUtf8Small(std::uint32_t c) {
  return (c >= 'a' && c <= 'z') || (c >= utf8_detail::kCyrillicSmallFirst &&
                                    c <= utf8_detail::kCyrillicLast);
}

inline bool isUtf8Capital(std::uint32_t c) {
  return (c >= 'A' && c <= 'Z') || (c >= utf8_detail::kCyrillicFirst &&
                                    c < utf8_detail::kCyrillicSmallFirst);
}

inline bool isUtf8Letter(std::uint32_t c) {
  return isUtf8Small(c) || isUtf8Capital(c);
}

inline std::uint32_t toUpperCodePoint(std::uint32_t c) {
  if (c >= 'a' && c <= 'z')
    return c - 0x20;
  if (c >= 0x430 && c <= 0x44F)
    return c - 0x20;
  if (c >= 0x450 && c <= utf8_detail::kCyrillicLast)
    return c - 0x50;
  return c;
}

inline std::uint32_t toLowerCodePoint(std::uint32_t c) {
  if (c >= 'A' && c <= 'Z')
    return c + 0x20;
  if (c >= 0x410 && c <= 0x42F)
    return c + 0x20;
  if (c >= utf8_detail::kCyrillicFirst && c <= 0x40F)
    return c + 0x50;
  return c;
}

} // namespace snpln::engine
