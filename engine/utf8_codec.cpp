#include "engine/utf8_codec.h"

#include "engine/utf8.h"

namespace snpln::engine {

Utf8Char decodeUtf8(const std::uint8_t *bytes, std::size_t size) {
  // The engines' unit reader, read as a status: a unit of length 0 is a
  // sequence cut short by the end of the bytes at hand.
  const Utf8Unit unit = utf8Unit(bytes, size);
  Utf8Char c;
  if (unit.length == 0) {
    c.status = Utf8Status::Incomplete;
  } else if (unit.codePoint != kNotACharacter) {
    c.status = Utf8Status::Ok;
    c.code = unit.codePoint;
    c.length = unit.length;
  }
  return c;
}

std::size_t writeUtf8(char32_t code, std::uint8_t *out) {
  return encodeUtf8(code, out);
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
