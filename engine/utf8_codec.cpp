#include "engine/utf8_codec.h"

namespace snpln::engine {

namespace {

bool isContinuation(std::uint8_t b) { return (b & 0xC0) == 0x80; }

} // namespace

Utf8Char decodeUtf8(const std::uint8_t *bytes, std::size_t size) {
  Utf8Char c;
  const std::uint8_t lead = bytes[0];
  if (lead < 0x80) {
    c.status = Utf8Status::Ok;
    c.code = lead;
    c.length = 1;
    return c;
  }
  std::size_t length = 0;
  char32_t code = 0;
  // The range the second byte must lie in; it rules out overlong forms,
  // surrogates and code points above U+10FFFF.
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
    return c; // a continuation byte, C0, C1 or F5..FF
  }
  for (std::size_t i = 1; i < length; ++i) {
    if (i >= size) {
      c.status = Utf8Status::Incomplete;
      return c;
    }
    const std::uint8_t b = bytes[i];
    if (i == 1 ? (b < low || b > high) : !isContinuation(b))
      return c;
    code = code << 6 | (b & 0x3Fu);
  }
  c.status = Utf8Status::Ok;
  c.code = code;
  c.length = length;
  return c;
}

std::size_t writeUtf8(char32_t code, std::uint8_t *out) {
  if (code < 0x80) {
    out[0] = static_cast<std::uint8_t>(code);
    return 1;
  }
  if (code < 0x800) {
    out[0] = static_cast<std::uint8_t>(0xC0 | code >> 6);
    out[1] = static_cast<std::uint8_t>(0x80 | (code & 0x3F));
    return 2;
  }
  if (code < 0x10000) {
    out[0] = static_cast<std::uint8_t>(0xE0 | code >> 12);
    out[1] = static_cast<std::uint8_t>(0x80 | (code >> 6 & 0x3F));
    out[2] = static_cast<std::uint8_t>(0x80 | (code & 0x3F));
    return 3;
  }
  out[0] = static_cast<std::uint8_t>(0xF0 | code >> 18);
  out[1] = static_cast<std::uint8_t>(0x80 | (code >> 12 & 0x3F));
  out[2] = static_cast<std::uint8_t>(0x80 | (code >> 6 & 0x3F));
  out[3] = static_cast<std::uint8_t>(0x80 | (code & 0x3F));
  return 4;
}

bool looksLikeUtf8(const std::uint8_t *bytes, std::size_t size, bool cutShort) {
  bool multiByte = false;
  std::size_t i = 0;
  while (i < size) {
    if (bytes[i] < 0x80) {
      ++i;
      continue;
    }
    const Utf8Char c = decodeUtf8(bytes + i, size - i);
    if (c.status == Utf8Status::Incomplete)
      return cutShort && multiByte;
    if (c.status == Utf8Status::Invalid)
      return false;
    multiByte = true;
    i += c.length;
  }
  return multiByte;
}

} // namespace snpln::engine
