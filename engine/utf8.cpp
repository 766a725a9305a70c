#include "engine/utf8.h"

namespace snpln::engine {

namespace {

bool isContinuation(std::uint8_t b) { return (b & 0xC0) == 0x80; }

// The Cyrillic capitals U+0400..U+042F pair with U+0450..U+045F (the first
// sixteen) and U+0430..U+044F (the rest).
constexpr std::uint32_t kCyrillicFirst = 0x400;
constexpr std::uint32_t kCyrillicSmallFirst = 0x430;
constexpr std::uint32_t kCyrillicLast = 0x45F;

} // namespace

Utf8Unit utf8Unit(const std::uint8_t *bytes, std::size_t available) {
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
    if (i == 1 ? (b < low || b > high) : !isContinuation(b))
      return {1, kNotACharacter};
    code = (code << 6) | (b & 0x3Fu);
  }
  return {length, code};
}

Utf8Unit utf8UnitAtEnd(const std::uint8_t *bytes, std::size_t available) {
  const Utf8Unit unit = utf8Unit(bytes, available);
  return unit.length == 0 ? Utf8Unit{1, kNotACharacter} : unit;
}

bool isUtf8Small(std::uint32_t c) {
  return (c >= 'a' && c <= 'z') ||
         (c >= kCyrillicSmallFirst && c <= kCyrillicLast);
}

bool isUtf8Capital(std::uint32_t c) {
  return (c >= 'A' && c <= 'Z') ||
         (c >= kCyrillicFirst && c < kCyrillicSmallFirst);
}

bool isUtf8Letter(std::uint32_t c) {
  return isUtf8Small(c) || isUtf8Capital(c);
}

std::uint32_t toUpperCodePoint(std::uint32_t c) {
  if (c >= 'a' && c <= 'z')
    return c - 0x20;
  if (c >= 0x430 && c <= 0x44F)
    return c - 0x20;
  if (c >= 0x450 && c <= kCyrillicLast)
    return c - 0x50;
  return c;
}

std::uint32_t toLowerCodePoint(std::uint32_t c) {
  if (c >= 'A' && c <= 'Z')
    return c + 0x20;
  if (c >= 0x410 && c <= 0x42F)
    return c + 0x20;
  if (c >= kCyrillicFirst && c <= 0x40F)
    return c + 0x50;
  return c;
}

std::size_t encodeUtf8(std::uint32_t c, std::uint8_t *out) {
  if (c < 0x80) {
    out[0] = static_cast<std::uint8_t>(c);
    return 1;
  }
  if (c < 0x800) {
    out[0] = static_cast<std::uint8_t>(0xC0 | (c >> 6));
    out[1] = static_cast<std::uint8_t>(0x80 | (c & 0x3F));
    return 2;
  }
  if (c < 0x10000) {
    out[0] = static_cast<std::uint8_t>(0xE0 | (c >> 12));
    out[1] = static_cast<std::uint8_t>(0x80 | ((c >> 6) & 0x3F));
    out[2] = static_cast<std::uint8_t>(0x80 | (c & 0x3F));
    return 3;
  }
  out[0] = static_cast<std::uint8_t>(0xF0 | (c >> 18));
  out[1] = static_cast<std::uint8_t>(0x80 | ((c >> 12) & 0x3F));
  out[2] = static_cast<std::uint8_t>(0x80 | ((c >> 6) & 0x3F));
  out[3] = static_cast<std::uint8_t>(0x80 | (c & 0x3F));
  return 4;
}

} // namespace snpln::engine
