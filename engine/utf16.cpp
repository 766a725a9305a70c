#include "engine/utf16.h"

#include "engine/utf8_codec.h"

namespace snpln::engine {

std::string utf16AsUtf8(const std::uint8_t *bytes, std::size_t size,
                        ByteOrder order) {
  std::string out;
  out.reserve(size);
  std::size_t i = 0;
  if (size >= 2 && readUnit(bytes, order) == 0xFEFF)
    i = 2;
  std::uint8_t buffer[4];
  while (i < size) {
    char32_t code = 0xFFFD;
    std::size_t length = size - i < 2 ? size - i : 2;
    if (length == 2) {
      const std::uint32_t unit = readUnit(bytes + i, order);
      if (!isHighSurrogate(unit) && !isLowSurrogate(unit)) {
        code = unit;
      } else if (isHighSurrogate(unit) && i + 4 <= size &&
                 isLowSurrogate(readUnit(bytes + i + 2, order))) {
        code = 0x10000 + ((unit - 0xD800) << 10) +
               (readUnit(bytes + i + 2, order) - 0xDC00u);
        length = 4;
      }
    }
    out.append(reinterpret_cast<const char *>(buffer),
               encodeUtf8(code, buffer));
    i += length;
  }
  return out;
}

} // namespace snpln::engine
