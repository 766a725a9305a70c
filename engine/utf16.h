// UTF-16 one unit at a time: the byte order marks a file opens with, the
// byte order of each UTF-16 page, and encoding a character as one unit or a
// surrogate pair.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/code_page.h"

namespace snpln::engine {

enum class ByteOrder : std::uint8_t { Little, Big };

inline constexpr std::uint8_t kUtf16LeBom[2] = {0xFF, 0xFE};
inline constexpr std::uint8_t kUtf16BeBom[2] = {0xFE, 0xFF};

// What the first bytes of a file say by a byte order mark. UTF-32 marks
// (FF FE 00 00, 00 00 FE FF) come before UTF-16's FF FE, which they begin
// with.
enum class BomKind : std::uint8_t { None, Utf8, Utf16Le, Utf16Be, Utf32 };

// The mark the file whose first bytes (all of them, or at least four) are
// `bytes` begins with.
BomKind bomKindOf(const std::uint8_t *bytes, std::size_t size);

// The byte order of a UTF-16 page as a target (Utf16: little-endian).
constexpr ByteOrder byteOrderOf(CodePage page) {
  return page == CodePage::Utf16Be ? ByteOrder::Big : ByteOrder::Little;
}

// The page a UTF-16 source is read in: the byte order mark at the start of
// the file decides for Utf16 (little-endian without one); Utf16Le and
// Utf16Be are read as they say, a mark of the other order being a
// character like any other.
CodePage utf16SourceOrder(CodePage page, const std::uint8_t *head,
                          std::size_t size);

inline std::uint16_t readUnit(const std::uint8_t *p, ByteOrder order) {
  return order == ByteOrder::Little
             ? static_cast<std::uint16_t>(p[0] | p[1] << 8)
             : static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}

inline void writeUnit(std::uint16_t unit, std::uint8_t *out, ByteOrder order) {
  if (order == ByteOrder::Little) {
    out[0] = static_cast<std::uint8_t>(unit);
    out[1] = static_cast<std::uint8_t>(unit >> 8);
  } else {
    out[0] = static_cast<std::uint8_t>(unit >> 8);
    out[1] = static_cast<std::uint8_t>(unit);
  }
}

constexpr bool isHighSurrogate(std::uint32_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
constexpr bool isLowSurrogate(std::uint32_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Writes `code` (a Unicode scalar value) as 2 or 4 bytes and returns the
// count.
inline std::size_t writeUtf16(char32_t code, std::uint8_t *out,
                              ByteOrder order) {
  if (code < 0x10000) {
    writeUnit(static_cast<std::uint16_t>(code), out, order);
    return 2;
  }
  const std::uint32_t v = static_cast<std::uint32_t>(code) - 0x10000;
  writeUnit(static_cast<std::uint16_t>(0xD800 | v >> 10), out, order);
  writeUnit(static_cast<std::uint16_t>(0xDC00 | (v & 0x3FF)), out + 2, order);
  return 4;
}

// A whole UTF-16 text as UTF-8, for showing it: a byte order mark at the
// start is dropped, and a lone surrogate or a last byte left over becomes
// U+FFFD.
std::string utf16AsUtf8(const std::uint8_t *bytes, std::size_t size,
                        ByteOrder order);

} // namespace snpln::engine
