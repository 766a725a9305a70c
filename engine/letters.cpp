#include "engine/letters.h"

#include "engine/code_page_chars.h"
#include "engine/utf8_codec.h"

namespace snpln::engine {
namespace {

// The byte of `code` among the page's characters, or `fallback`.
std::uint8_t byteIn(const CharTable &chars, std::uint32_t code,
                    std::uint8_t fallback) {
  for (std::size_t b = 0; b < chars.size(); ++b)
    if (chars[b] == code)
      return static_cast<std::uint8_t>(b);
  return fallback;
}

PageLetters makeLetters(CodePage page) {
  PageLetters t{};
  const bool cyrillic = isSingleBytePage(page);
  const CharTable &chars = charsOf(page);
  for (unsigned b = 0; b < 256; ++b) {
    const auto byte = static_cast<std::uint8_t>(b);
    t.upper[b] = t.lower[b] = byte;
    const std::uint32_t code = b < 0x80 ? b : (cyrillic ? chars[b] : 0xFFFFu);
    if (!isUtf8Letter(code))
      continue;
    t.letter[b] = 1;
    // A letter whose other case the page lacks keeps its case.
    t.upper[b] = byteIn(chars, toUpperCodePoint(code), byte);
    t.lower[b] = byteIn(chars, toLowerCodePoint(code), byte);
  }
  return t;
}

} // namespace

const PageLetters &lettersOf(CodePage page) {
  // Built once per process, on first use: the Latin letters alone, then
  // each single-byte page.
  static const auto tables = [] {
    std::array<PageLetters, std::size(kSingleBytePages) + 1> t{};
    t[0] = makeLetters(CodePage::Auto);
    for (std::size_t i = 0; i < std::size(kSingleBytePages); ++i)
      t[i + 1] = makeLetters(kSingleBytePages[i]);
    return t;
  }();
  return isSingleBytePage(page) ? tables[singleByteIndex(page) + 1] : tables[0];
}

std::uint8_t toUpperChar(std::uint8_t c, CodePage page) {
  return lettersOf(page).upper[c];
}

std::uint8_t toLowerChar(std::uint8_t c, CodePage page) {
  return lettersOf(page).lower[c];
}

bool isLetterChar(std::uint8_t c, CodePage page) {
  return lettersOf(page).letter[c] != 0;
}

} // namespace snpln::engine
