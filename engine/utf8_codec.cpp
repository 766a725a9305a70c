#include "engine/utf8_codec.h"

#include <cstring>

namespace snpln::engine {

std::size_t encodeUtf8(char32_t c, std::uint8_t *out) {
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

Utf8Check checkUtf8(const std::uint8_t *bytes, std::size_t size) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
  Utf8Check check;
  std::size_t i = 0;
  while (i < size) {
    // Eight ASCII bytes at a time.
    while (i + 8 <= size) {
      std::uint64_t word;
      std::memcpy(&word, bytes + i, sizeof word);
      if (word & kHighBits)
        break;
      i += 8;
    }
    if (i == size)
      break;
    const std::uint8_t lead = bytes[i];
    if (lead < 0x80) {
      ++i;
      continue;
    }
    if (lead >= 0xC2 && lead <= 0xDF && i + 1 < size &&
        utf8_detail::isContinuation(bytes[i + 1])) {
      ++check.sequences;
      i += 2;
      continue;
    }
    const Utf8Char c = decodeUtf8(bytes + i, size - i);
    if (!c.ok()) {
      check.stop = c.status;
      break;
    }
    ++check.sequences;
    i += c.length;
  }
  check.valid = i;
  return check;
}

} // namespace snpln::engine
