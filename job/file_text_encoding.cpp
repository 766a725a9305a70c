#include "job/file_text_encoding.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/utf8.h"
#include "engine/utf8_codec.h"

namespace snpln::job {

namespace {

constexpr std::size_t kChunk = 65536;

std::size_t firstNonAscii(const std::uint8_t *bytes, std::size_t size) {
  std::size_t i = 0;
  for (; i + 8 <= size; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes + i, 8);
    if (word & 0x8080808080808080ull)
      break;
  }
  while (i < size && bytes[i] < 0x80)
    ++i;
  return i;
}

// True when bytes[0, size) are well-formed UTF-8, the last sequence
// possibly cut short when `cut`.
bool wellFormed(const std::uint8_t *bytes, std::size_t size, bool cut) {
  for (std::size_t i = 0; i < size;) {
    const engine::Utf8Unit unit = engine::utf8Unit(bytes + i, size - i);
    if (unit.length == 0)
      return cut;
    if (unit.codePoint == engine::kNotACharacter)
      return false;
    i += unit.length;
  }
  return true;
}

engine::TextEncoding decide(platform::InputFile &input,
                            platform::FileSize fileSize) {
  std::vector<std::uint8_t> buffer(kChunk + kUtf8Window);
  platform::FileSize position = 0;
  bool first = true;
  while (position < fileSize) {
    std::size_t got = 0;
    const std::size_t want = static_cast<std::size_t>(
        std::min<platform::FileSize>(kChunk, fileSize - position));
    if (!input.read(buffer.data(), want, got) || got == 0)
      return engine::TextEncoding::SingleByte;
    position += got;
    if (first && got >= 3 &&
        std::memcmp(buffer.data(), engine::kUtf8Bom, 3) == 0)
      return engine::TextEncoding::Utf8;
    first = false;
    const std::size_t at = firstNonAscii(buffer.data(), got);
    if (at == got)
      continue;
    // The window from the first byte above 0x7F, topped up from the file.
    std::size_t size = got;
    const std::size_t wanted = std::min(at + kUtf8Window, buffer.size());
    while (size < wanted && position < fileSize) {
      std::size_t more = 0;
      const std::size_t ask = static_cast<std::size_t>(
          std::min<platform::FileSize>(wanted - size, fileSize - position));
      if (!input.read(buffer.data() + size, ask, more) || more == 0)
        return engine::TextEncoding::SingleByte;
      size += more;
      position += more;
    }
    const std::size_t end = std::min(size, at + kUtf8Window);
    return wellFormed(buffer.data() + at, end - at,
                      position < fileSize || end < size)
               ? engine::TextEncoding::Utf8
               : engine::TextEncoding::SingleByte;
  }
  return engine::TextEncoding::SingleByte;
}

} // namespace

std::optional<engine::TextEncoding>
fileTextEncoding(platform::InputFile &input, platform::FileSize fileSize) {
  const engine::TextEncoding encoding = decide(input, fileSize);
  if (!input.seek(0))
    return std::nullopt;
  return encoding;
}

} // namespace snpln::job
