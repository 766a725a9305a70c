#include "tests/support/russian_samples.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "engine/code_page_chars.h"
#include "engine/code_page_names.h"
#include "engine/utf8_codec.h"

namespace snpln::test {

using engine::CodePage;

std::string readTestData(const char *name) {
  std::ifstream file(std::filesystem::path(SNPLN_TEST_DATA_DIR) / name,
                     std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

std::string allRussianProse() {
  return readTestData("russian_prose.txt") + "\n" +
         readTestData("russian_prose_2.txt");
}

std::string pageName(CodePage page) {
  const engine::CodePageNaming *naming = engine::namingOf(page);
  return naming ? std::string(naming->name) : std::string("auto");
}

std::string iconvName(CodePage page) {
  const engine::CodePageNaming *naming = engine::namingOf(page);
  return std::string(naming ? naming->standardName : "UTF-8");
}

#ifdef _WIN32
namespace {

// The Windows code page of a C library name (no iconv there: the system's
// own tables serve as the independent conversion).
UINT windowsPageOf(const char *name) {
  switch (engine::codePageByName(name).value_or(CodePage::Auto)) {
  case CodePage::Dos:
    return 866;
  case CodePage::Win:
    return 1251;
  case CodePage::Koi:
    return 20866;
  case CodePage::Iso:
    return 28595;
  case CodePage::KoiU:
    return 21866;
  case CodePage::Utf8:
    return CP_UTF8;
  default:
    return 0;
  }
}

} // namespace

std::optional<std::string> convertText(const std::string &text,
                                       const char *from, const char *to) {
  const UINT source = windowsPageOf(from), target = windowsPageOf(to);
  if (source == 0 || target == 0)
    return std::nullopt;
  if (text.empty())
    return std::string();
  const int size = static_cast<int>(text.size());
  const DWORD strict = source == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
  const int units =
      MultiByteToWideChar(source, strict, text.data(), size, nullptr, 0);
  if (units <= 0)
    return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(source, strict, text.data(), size, wide.data(), units);
  BOOL lost = FALSE;
  BOOL *lostFlag = target == CP_UTF8 ? nullptr : &lost;
  const DWORD exact = target == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const int bytes = WideCharToMultiByte(target, exact, wide.data(), units,
                                        nullptr, 0, nullptr, lostFlag);
  if (bytes <= 0 || lost)
    return std::nullopt;
  std::string out(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(target, exact, wide.data(), units, out.data(), bytes,
                      nullptr, lostFlag);
  return out;
}
#else
std::optional<std::string> convertText(const std::string &text,
                                       const char *from, const char *to) {
  // One converter per pair of names and thread, opened once: opening one
  // costs far more than a short text's conversion.
  struct Converters {
    std::map<std::pair<std::string, std::string>, iconv_t> open;
    ~Converters() {
      for (auto &entry : open)
        if (entry.second != reinterpret_cast<iconv_t>(-1))
          iconv_close(entry.second);
    }
  };
  thread_local Converters converters;
  const auto key = std::make_pair(std::string(from), std::string(to));
  auto at = converters.open.find(key);
  if (at == converters.open.end())
    at = converters.open.emplace(key, iconv_open(to, from)).first;
  iconv_t cd = at->second;
  if (cd == reinterpret_cast<iconv_t>(-1))
    return std::nullopt;
  iconv(cd, nullptr, nullptr, nullptr, nullptr); // the initial state
  std::string out(text.size() * 4 + 4, '\0');
  char *in = const_cast<char *>(text.data());
  std::size_t inLeft = text.size();
  char *dest = out.data();
  std::size_t outLeft = out.size();
  const std::size_t r = iconv(cd, &in, &inLeft, &dest, &outLeft);
  if (r == static_cast<std::size_t>(-1) || inLeft != 0)
    return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
}
#endif

std::optional<std::string> iconvInPage(const std::string &utf8, CodePage page) {
  return convertText(utf8, "UTF-8", iconvName(page).c_str());
}

namespace {

// The characters of a UTF-8 text (a byte that starts no character as
// itself).
std::vector<char32_t> charactersOf(const std::string &utf8) {
  std::vector<char32_t> out;
  const auto *p = reinterpret_cast<const std::uint8_t *>(utf8.data());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const engine::Utf8Char c = engine::decodeUtf8(p + i, utf8.size() - i);
    const bool ok = c.status == engine::Utf8Status::Ok;
    out.push_back(ok ? c.code : p[i]);
    i += ok ? c.length : 1;
  }
  return out;
}

std::string utf8Of(const std::vector<char32_t> &chars) {
  std::string out;
  for (char32_t c : chars) {
    std::uint8_t b[4];
    out.append(reinterpret_cast<char *>(b), engine::encodeUtf8(c, b));
  }
  return out;
}

bool isCyrillic(char32_t c) {
  return (c >= U'А' && c <= U'я') || c == U'ё' || c == U'Ё';
}

} // namespace

std::string capitalsOf(const std::string &utf8) {
  std::vector<char32_t> chars = charactersOf(utf8);
  for (char32_t &code : chars) {
    if (code >= U'а' && code <= U'я')
      code -= 0x20;
    else if (code >= 0x450 && code <= 0x45F) // ё, і, ї, є, ...
      code -= 0x50;
    else if (code == U'ґ')
      code = U'Ґ';
    else if (code >= U'a' && code <= U'z')
      code -= 0x20;
  }
  return utf8Of(chars);
}

std::string withStrayBytes(const std::string &utf8, std::size_t strays,
                           unsigned seed) {
  static const char kStrays[] = "\xE0\xEF\xC0\xAB\xBB\x97\x80\xBF\xD0\xF0";
  std::mt19937 rng(seed);
  std::string out = utf8;
  for (std::size_t n = 0; n < strays && !out.empty(); ++n) {
    std::size_t at = rng() % out.size();
    while (at < out.size() &&
           (static_cast<std::uint8_t>(out[at]) & 0xC0) == 0x80)
      ++at; // between characters
    out.insert(at, 1, kStrays[rng() % (sizeof kStrays - 1)]);
  }
  return out;
}

std::string encodeInPage(const std::string &utf8, engine::CodePage page) {
  std::string out;
  const auto *p = reinterpret_cast<const std::uint8_t *>(utf8.data());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const engine::Utf8Char c = engine::decodeUtf8(p + i, utf8.size() - i);
    const int b = c.ok() ? engine::byteOfChar(c.code, page) : -1;
    if (b < 0)
      return {};
    out.push_back(static_cast<char>(b));
    i += c.length;
  }
  return out;
}

std::string readInPage(const std::string &bytes, engine::CodePage page) {
  const engine::CharTable &chars = engine::charsOf(page);
  std::string out;
  for (char c : bytes) {
    std::uint8_t b[4];
    out.append(reinterpret_cast<char *>(b),
               engine::encodeUtf8(chars[static_cast<std::uint8_t>(c)], b));
  }
  return out;
}

std::vector<std::string> excerptsOf(const std::string &utf8, std::size_t chars,
                                    std::size_t count, unsigned seed) {
  std::vector<std::size_t> starts; // byte offset of every character
  for (std::size_t i = 0; i < utf8.size(); ++i)
    if ((static_cast<std::uint8_t>(utf8[i]) & 0xC0) != 0x80)
      starts.push_back(i);
  std::vector<std::string> out;
  std::mt19937 rng(seed);
  if (starts.size() <= chars)
    return out;
  for (std::size_t tries = 0; out.size() < count && tries < count * 50;
       ++tries) {
    const std::size_t first = rng() % (starts.size() - chars);
    const std::size_t end =
        first + chars < starts.size() ? starts[first + chars] : utf8.size();
    std::string excerpt = utf8.substr(starts[first], end - starts[first]);
    std::size_t cyrillic = 0;
    for (std::size_t i = 0; i + 1 < excerpt.size(); ++i)
      cyrillic +=
          excerpt[i] == '\xD0' || excerpt[i] == '\xD1' || excerpt[i] == '\xD2';
    if (cyrillic * 4 >= chars)
      out.push_back(std::move(excerpt));
  }
  return out;
}

std::vector<std::string> wordsOf(const std::string &utf8) {
  std::set<std::string> words;
  std::vector<char32_t> word;
  for (char32_t c : charactersOf(utf8 + " ")) {
    if (isCyrillic(c)) {
      if (c >= U'А' && c <= U'Я')
        c += 0x20;
      else if (c == U'Ё')
        c = U'ё';
      word.push_back(c);
    } else if (!word.empty()) {
      words.insert(utf8Of(word));
      word.clear();
    }
  }
  return {words.begin(), words.end()};
}

namespace {

// One style of frame: corners, junctions, lines.
struct FrameStyle {
  const char *topLeft, *topJoin, *topRight;
  const char *midLeft, *midJoin, *midRight;
  const char *bottomLeft, *bottomJoin, *bottomRight;
  const char *outerHorizontal, *innerHorizontal;
  const char *outerVertical, *innerVertical;
};

constexpr FrameStyle kStyles[] = {
    {"╔", "╤", "╗", "╟", "┼", "╢", "╚", "╧", "╝", "═", "─", "║", "│"},
    {"┌", "┬", "┐", "├", "┼", "┤", "└", "┴", "┘", "─", "─", "│", "│"},
    {"╔", "╦", "╗", "╠", "╬", "╣", "╚", "╩", "╝", "═", "═", "║", "║"},
};

std::string repeat(const char *piece, unsigned times) {
  std::string out;
  for (unsigned i = 0; i < times; ++i)
    out += piece;
  return out;
}

std::size_t lengthOf(const std::string &utf8) {
  return charactersOf(utf8).size();
}

} // namespace

std::string makeForm(const std::vector<std::string> &words,
                     const FormShape &shape, unsigned seed) {
  const FrameStyle &s = kStyles[shape.style % 3];
  const unsigned rows = shape.rows, columns = shape.columns;
  const unsigned width = shape.width;
  std::mt19937 rng(seed);
  const auto rule = [&](const char *left, const char *join, const char *right,
                        const char *line) {
    std::string out = left;
    for (unsigned c = 0; c < columns; ++c) {
      out += repeat(line, width + 2);
      out += c + 1 < columns ? join : right;
    }
    return out + "\r\n";
  };
  std::string form = rule(s.topLeft, s.topJoin, s.topRight, s.outerHorizontal);
  for (unsigned r = 0; r < rows; ++r) {
    std::string line = s.outerVertical;
    for (unsigned c = 0; c < columns; ++c) {
      std::string cell;
      const auto wanted = static_cast<std::size_t>(shape.fill * width);
      for (int tries = 0; tries < 8 && lengthOf(cell) < wanted; ++tries) {
        std::string word = words[rng() % words.size()];
        if (cell.empty() && rng() % 2 == 0)
          word = capitalsOf(word.substr(0, 2)) + word.substr(2);
        const std::size_t room = width - lengthOf(cell);
        const std::size_t need = lengthOf(word) + (cell.empty() ? 0 : 1);
        if (need <= room)
          cell += (cell.empty() ? "" : " ") + word;
      }
      line += " " + cell + std::string(width - lengthOf(cell), ' ') + " ";
      line += c + 1 < columns ? s.innerVertical : s.outerVertical;
    }
    form += line + "\r\n";
    if (r + 1 < rows && shape.ruled)
      form += rule(s.midLeft, s.midJoin, s.midRight, s.innerHorizontal);
  }
  return form +
         rule(s.bottomLeft, s.bottomJoin, s.bottomRight, s.outerHorizontal);
}

double boxShareOf(const std::string &utf8) {
  std::size_t box = 0, other = 0;
  for (char32_t c : charactersOf(utf8)) {
    if (c < 0x80)
      continue;
    (c >= 0x2500 && c <= 0x259F ? box : other) += 1;
  }
  return box + other == 0
             ? 0.0
             : static_cast<double>(box) / static_cast<double>(box + other);
}

} // namespace snpln::test
