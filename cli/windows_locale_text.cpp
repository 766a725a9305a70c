#if defined(_WIN32) || defined(__EMSCRIPTEN__)

// Command-line text on Windows: snpln-cli takes its arguments as UTF-16 and
// makes them UTF-8 (cli/windows_console.cpp), so the text is UTF-8 already;
// so are the browser page's arguments (JavaScript strings). Other
// character sets are read with the program's own tables, without iconv.

#include "cli/locale_text.h"

#include <cstdint>

#include "engine/code_page_chars.h"
#include "engine/utf8_codec.h"

namespace snpln::cli {

namespace {

char foldAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The single-byte page a character set's name stands for.
std::optional<engine::CodePage> pageNamed(const char *charset) {
  std::string name;
  for (const char *c = charset; *c != '\0'; ++c)
    if (*c != '-' && *c != '_')
      name += foldAscii(*c);
  if (name == "CP866" || name == "IBM866")
    return engine::CodePage::Dos;
  if (name == "CP1251" || name == "WINDOWS1251")
    return engine::CodePage::Win;
  if (name == "KOI8R")
    return engine::CodePage::Koi;
  if (name == "ISO88595")
    return engine::CodePage::Iso;
  return std::nullopt;
}

} // namespace

std::optional<std::string> textToUtf8(const std::string &bytes,
                                      const char *charset) {
  const auto *data = reinterpret_cast<const std::uint8_t *>(bytes.data());
  if (const auto page = pageNamed(charset)) {
    const engine::CharTable &chars = engine::charsOf(*page);
    std::string out;
    std::uint8_t unit[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      const std::size_t n = engine::encodeUtf8(chars[data[i]], unit);
      out.append(reinterpret_cast<const char *>(unit), n);
    }
    return out;
  }
  std::string name;
  for (const char *c = charset; *c != '\0'; ++c)
    if (*c != '-' && *c != '_')
      name += foldAscii(*c);
  if (name != "UTF8")
    return std::nullopt;
  for (std::size_t i = 0; i < bytes.size();) {
    const engine::Utf8Char c = engine::decodeUtf8(data + i, bytes.size() - i);
    if (c.status != engine::Utf8Status::Ok)
      return std::nullopt;
    i += c.length;
  }
  return bytes;
}

std::optional<std::string> localeTextToUtf8(const std::string &bytes) {
  return textToUtf8(bytes, "UTF-8");
}

} // namespace snpln::cli

#endif // _WIN32 || __EMSCRIPTEN__
