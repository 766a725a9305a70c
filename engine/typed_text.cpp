#include "engine/typed_text.h"

#include <cstdint>

#include "engine/code_page_chars.h"
#include "engine/substitutes.h"
#include "engine/utf8_codec.h"

namespace snpln::engine {

std::optional<std::string> typedTextIn(const std::string &utf8, CodePage page,
                                       std::uint64_t *substituted) {
  const auto *bytes = reinterpret_cast<const std::uint8_t *>(utf8.data());
  std::string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const Utf8Char c = decodeUtf8(bytes + i, utf8.size() - i);
    if (c.status != Utf8Status::Ok)
      return std::nullopt;
    if (page == CodePage::Utf8) {
      out.append(utf8, i, c.length);
    } else {
      const int b = byteOfChar(c.code, page);
      if (b >= 0) {
        out.push_back(static_cast<char>(b));
      } else if (substituted) {
        out += substituteFor(c.code, page);
        ++*substituted;
      } else {
        return std::nullopt;
      }
    }
    i += c.length;
  }
  return out;
}

std::optional<char32_t> firstUnfitCharacter(const std::string &utf8,
                                            CodePage page) {
  if (page == CodePage::Utf8)
    return std::nullopt;
  const auto *bytes = reinterpret_cast<const std::uint8_t *>(utf8.data());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const Utf8Char c = decodeUtf8(bytes + i, utf8.size() - i);
    if (c.status != Utf8Status::Ok)
      return std::nullopt;
    if (byteOfChar(c.code, page) < 0)
      return c.code;
    i += c.length;
  }
  return std::nullopt;
}

} // namespace snpln::engine
