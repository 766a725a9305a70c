// UTF-8: the one decoder, encoder and validator every layer uses.
//
// A text is cut into units from its start: a well-formed UTF-8 sequence (no
// overlong forms, no surrogates, nothing above U+10FFFF) is one character;
// any other byte is a unit of its own, Invalid, and the engines never change
// it. Bytes that end inside a sequence that may still be well formed are
// Incomplete: a stream asks for more, the end of a file makes its first
// byte an Invalid unit (decodeUtf8AtEnd).
//
// The letters are the ASCII letters, the Cyrillic letters U+0400..U+045F
// (Ё and ё among them) and the Ukrainian Ґ and ґ (U+0490, U+0491), each
// paired with its other case; every other character has no case and is no
// letter. Case conversion keeps each
// letter's length in bytes.
//
// checkUtf8 is the validator (whole-word ASCII skipping, two-byte
// sequences without a call); its plain form, one decodeUtf8 a unit, is the
// tests' (tests/support/reference_utf8_engines.h).
#pragma once

#include <cstddef>
#include <cstdint>

namespace snpln::engine {

inline constexpr std::uint8_t kUtf8Bom[3] = {0xEF, 0xBB, 0xBF};

enum class Utf8Status : std::uint8_t {
  Ok,         // one character decoded
  Incomplete, // the bytes end inside a sequence that may still be valid
  Invalid,    // not the start of any valid sequence
};

struct Utf8Char {
  Utf8Status status = Utf8Status::Invalid;
  char32_t code = 0; // the character when Ok
  // Bytes of the unit: 1 to 4 when Ok, 1 when Invalid, 0 when Incomplete.
  std::size_t length = 1;

  bool ok() const { return status == Utf8Status::Ok; }
};

namespace utf8_detail {

inline bool isContinuation(std::uint8_t b) { return (b & 0xC0) == 0x80; }

// The Cyrillic capitals U+0400..U+042F pair with U+0450..U+045F (the first
// sixteen) and U+0430..U+044F (the rest).
inline constexpr char32_t kCyrillicFirst = 0x400;
inline constexpr char32_t kCyrillicSmallFirst = 0x430;
inline constexpr char32_t kCyrillicLast = 0x45F;
// Ґ and ґ, beyond the block's first part.
inline constexpr char32_t kGheUpturn = 0x490;
inline constexpr char32_t kSmallGheUpturn = 0x491;

} // namespace utf8_detail

// The unit at `bytes` (`size` >= 1 bytes at hand). Inline, as the letter
// functions below: the engines call it once per character.
inline Utf8Char decodeUtf8(const std::uint8_t *bytes, std::size_t size) {
  const std::uint8_t lead = bytes[0];
  if (lead < 0x80)
    return {Utf8Status::Ok, lead, 1};
  std::size_t length = 0;
  char32_t code = 0;
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
    return {};
  }
  for (std::size_t i = 1; i < length; ++i) {
    if (i == size)
      return {Utf8Status::Incomplete, 0, 0};
    const std::uint8_t b = bytes[i];
    if (i == 1 ? (b < low || b > high) : !utf8_detail::isContinuation(b))
      return {};
    code = (code << 6) | (b & 0x3Fu);
  }
  return {Utf8Status::Ok, code, length};
}

// The same, where nothing follows the bytes at hand: a cut sequence's first
// byte is a unit of its own.
inline Utf8Char decodeUtf8AtEnd(const std::uint8_t *bytes, std::size_t size) {
  const Utf8Char c = decodeUtf8(bytes, size);
  return c.status == Utf8Status::Incomplete ? Utf8Char{} : c;
}

// Writes the UTF-8 form of `code` (a character) to `out` (room for 4
// bytes) and returns its length (1 to 4).
std::size_t encodeUtf8(char32_t code, std::uint8_t *out);

// How far bytes are UTF-8.
struct Utf8Check {
  // Bytes from the start that are whole well-formed characters.
  std::size_t valid = 0;
  // Ok: all of them are; Incomplete: the rest is a sequence cut by the end
  // of the bytes; Invalid: the byte at `valid` starts no character.
  Utf8Status stop = Utf8Status::Ok;
  // Characters of two bytes or more among the valid bytes.
  std::uint64_t sequences = 0;
};

Utf8Check checkUtf8(const std::uint8_t *bytes, std::size_t size);

// Whether the whole of `bytes` is UTF-8 (nothing cut at the end).
inline bool isUtf8(const std::uint8_t *bytes, std::size_t size) {
  return checkUtf8(bytes, size).stop == Utf8Status::Ok;
}

// A letter that has a capital form other than itself.
inline bool isUtf8Small(char32_t c) {
  return (c >= 'a' && c <= 'z') ||
         (c >= utf8_detail::kCyrillicSmallFirst &&
          c <= utf8_detail::kCyrillicLast) ||
         c == utf8_detail::kSmallGheUpturn;
}

inline bool isUtf8Capital(char32_t c) {
  return (c >= 'A' && c <= 'Z') ||
         (c >= utf8_detail::kCyrillicFirst &&
          c < utf8_detail::kCyrillicSmallFirst) ||
         c == utf8_detail::kGheUpturn;
}

inline bool isUtf8Letter(char32_t c) {
  return isUtf8Small(c) || isUtf8Capital(c);
}

inline char32_t toUpperCodePoint(char32_t c) {
  if (c >= 'a' && c <= 'z')
    return c - 0x20;
  if (c >= 0x430 && c <= 0x44F)
    return c - 0x20;
  if (c >= 0x450 && c <= utf8_detail::kCyrillicLast)
    return c - 0x50;
  if (c == utf8_detail::kSmallGheUpturn)
    return utf8_detail::kGheUpturn;
  return c;
}

inline char32_t toLowerCodePoint(char32_t c) {
  if (c >= 'A' && c <= 'Z')
    return c + 0x20;
  if (c >= 0x410 && c <= 0x42F)
    return c + 0x20;
  if (c >= utf8_detail::kCyrillicFirst && c <= 0x40F)
    return c + 0x50;
  if (c == utf8_detail::kGheUpturn)
    return utf8_detail::kSmallGheUpturn;
  return c;
}

} // namespace snpln::engine
