#include "tests/support/reference_text_engines.h"

#include <cstring>
#include <stdexcept>

#include "engine/code_page_chars.h"
#include "tests/support/reference_utf8_engines.h"

namespace snpln::test {
namespace {

using Byte = unsigned char;
using engine::CodePage;

// The letters of one page as plain functions of a byte.
struct RefLetters {
  // Windows-1251 as it was: 0xC0..0xFF and ASCII, no Yo.
  bool legacy = false;
  CodePage page = CodePage::Win;

  char32_t charOf(Byte c) const {
    if (c < 0x80)
      return c;
    if (!engine::isSingleBytePage(page))
      return 0xFFFF;
    return engine::charsOf(page)[c];
  }
  static bool isCyrillicLetter(char32_t code) {
    return (code >= 0x400 && code <= 0x45F) || code == 0x490 || code == 0x491;
  }
  static bool isAsciiLetter(char32_t code) {
    return (code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z');
  }
  // The byte of `code`, or `fallback` when the page lacks it.
  Byte byteOf(char32_t code, Byte fallback) const {
    for (unsigned b = 0; b < 256; ++b)
      if (charOf(static_cast<Byte>(b)) == code)
        return static_cast<Byte>(b);
    return fallback;
  }

  bool isLetter(Byte c) const {
    if (legacy)
      return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0xC0;
    const char32_t code = charOf(c);
    return isAsciiLetter(code) || isCyrillicLetter(code);
  }
  Byte upper(Byte c) const {
    if (legacy) {
      if (c >= 'a' && c <= 'z')
        return static_cast<Byte>(c & ~0x20);
      if (c >= 0xE0)
        return static_cast<Byte>(c - 0x20);
      return c;
    }
    const char32_t code = charOf(c);
    if ((code >= 'a' && code <= 'z') || (code >= 0x430 && code <= 0x44F))
      return byteOf(code - 0x20, c);
    if (code >= 0x450 && code <= 0x45F)
      return byteOf(code - 0x50, c);
    if (code == 0x491) // ґ
      return byteOf(0x490, c);
    return c;
  }
  Byte lower(Byte c) const {
    if (legacy) {
      if (c >= 'A' && c <= 'Z')
        return static_cast<Byte>(c | 0x20);
      if (c >= 0xC0 && c <= 0xDF)
        return static_cast<Byte>(c + 0x20);
      return c;
    }
    const char32_t code = charOf(c);
    if ((code >= 'A' && code <= 'Z') || (code >= 0x410 && code <= 0x42F))
      return byteOf(code + 0x20, c);
    if (code >= 0x400 && code <= 0x40F)
      return byteOf(code + 0x50, c);
    if (code == 0x490) // Ґ
      return byteOf(0x491, c);
    return c;
  }
  bool isBlank(Byte c) const {
    return !isLetter(c) && (c <= 0x20 || c >= 0x80);
  }
};

bool refIsTerminator(Byte c) {
  return c != 0 && std::strchr(".!?/+;:-*&=<{[>}\\", c) != nullptr;
}

bool refIsLineEnd(Byte c) { return c == 0x0D || c == 0x0A; }

Byte smartByte(const RefLetters &l, const std::string &in, std::size_t i,
               const std::string &out, bool saveUpper) {
  const Byte orig = static_cast<Byte>(in[i]);
  Byte cur = l.lower(orig);
  // caseHistory: the output so far, at most its last 254 bytes.
  const std::size_t oldest = out.size() > 254 ? out.size() - 254 : 0;
  const std::size_t held = out.size() - oldest;
  auto back = [&](std::size_t n) {
    return static_cast<Byte>(out[out.size() - n]);
  };

  if (saveUpper && cur != orig) {
    cur = orig;
  } else if (l.isLetter(cur)) {
    bool decided = false;
    for (std::size_t n = 1; n <= held && !decided; ++n) {
      const Byte b = back(n);
      if (n == 1 && held >= 4 && refIsLineEnd(b) &&
          (back(2) == '-' || (refIsLineEnd(back(2)) && back(3) == '-'))) {
        decided = true; // stays small
      } else if (l.isLetter(b)) {
        decided = true; // stays small
      } else if (l.isBlank(b)) {
        const bool hasNext = i + 1 < in.size();
        if (n == 1 && l.upper(orig) == orig && hasNext &&
            l.upper(static_cast<Byte>(in[i + 1])) !=
                static_cast<Byte>(in[i + 1])) {
          cur = orig;
          decided = true;
        }
      } else if (refIsTerminator(b)) {
        cur = l.upper(cur);
        decided = true;
      }
    }
    if (!decided)
      cur = l.upper(cur);
  }
  if (out.empty())
    cur = l.upper(cur);
  return cur;
}

std::string caseWith(const RefLetters &l, const std::string &bytes,
                     engine::CaseOperation operation, bool saveUpper) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const Byte c = static_cast<Byte>(bytes[i]);
    Byte r = c;
    if (operation == engine::CaseOperation::Upper)
      r = l.upper(c);
    else if (operation == engine::CaseOperation::Lower)
      r = l.lower(c);
    else
      r = smartByte(l, bytes, i, out, saveUpper);
    out.push_back(static_cast<char>(r));
  }
  return out;
}

std::string exclusionWith(const RefLetters &l, const std::string &bytes,
                          const std::string &search, const std::string &replace,
                          const engine::ExclusionOptions &options,
                          std::uint64_t *hits) {
  std::string out;
  std::string held;
  std::size_t k = 1;
  Byte previous = ' ';
  std::uint64_t count = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const Byte c = static_cast<Byte>(bytes[i]);
    if (search.empty() ||
        (options.leftPartOfWord && k == 1 && l.isLetter(previous))) {
      out.push_back(static_cast<char>(c));
      previous = c;
      continue;
    }
    const Byte s = static_cast<Byte>(search[k - 1]);
    const bool same =
        c == s || (options.caseInsensitive && l.upper(c) == l.upper(s));
    if (!same && k == 1) {
      out.push_back(static_cast<char>(c));
    } else if (!same) {
      held.push_back(static_cast<char>(c));
      out += held;
      held.clear();
      k = 1;
    } else {
      held.push_back(static_cast<char>(c));
      ++k;
      if (k > search.size()) {
        const Byte next =
            i + 1 < bytes.size() ? static_cast<Byte>(bytes[i + 1]) : ' ';
        if (options.rightPartOfWord && l.isLetter(next)) {
          out += held;
        } else {
          out += replace;
          ++count;
        }
        held.clear();
        k = 1;
      }
    }
    previous = c;
  }
  out += held;
  if (hits)
    *hits = count;
  return out;
}

} // namespace

std::string referenceCase(const std::string &bytes,
                          engine::CaseOperation operation, bool saveUpper,
                          CodePage page) {
  return caseWith(RefLetters{false, page}, bytes, operation, saveUpper);
}

std::string referenceExclusion(const std::string &bytes,
                               const std::string &search,
                               const std::string &replace,
                               const engine::ExclusionOptions &options,
                               std::uint64_t *hits, CodePage page) {
  return exclusionWith(RefLetters{false, page}, bytes, search, replace, options,
                       hits);
}

std::string legacyWinCase(const std::string &bytes,
                          engine::CaseOperation operation, bool saveUpper) {
  return caseWith(RefLetters{true, CodePage::Win}, bytes, operation, saveUpper);
}

std::string legacyWinExclusion(const std::string &bytes,
                               const std::string &search,
                               const std::string &replace,
                               const engine::ExclusionOptions &options,
                               std::uint64_t *hits) {
  return exclusionWith(RefLetters{true, CodePage::Win}, bytes, search, replace,
                       options, hits);
}

std::vector<std::string> winProseExcerptsWithoutYo() {
  std::vector<std::string> out;
  for (const std::string &excerpt : russianProseExcerpts())
    if (excerpt.find("ё") == std::string::npos &&
        excerpt.find("Ё") == std::string::npos)
      out.push_back(win1251(excerpt));
  return out;
}

std::string win1251(const std::string &utf8) {
  return inPage(utf8, CodePage::Win);
}

std::string inPage(const std::string &utf8, CodePage page) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const Byte c = static_cast<Byte>(utf8[i]);
    char32_t code = c;
    std::size_t length = 1;
    if (c >= 0xF0) {
      length = 4;
      code = c & 0x07u;
    } else if (c >= 0xE0) {
      length = 3;
      code = c & 0x0Fu;
    } else if (c >= 0xC0) {
      length = 2;
      code = c & 0x1Fu;
    }
    for (std::size_t k = 1; k < length; ++k)
      code = (code << 6) | (static_cast<Byte>(utf8.at(i + k)) & 0x3Fu);
    i += length;
    if (code < 0x80) {
      out.push_back(static_cast<char>(code));
      continue;
    }
    const auto &chars = engine::charsOf(page);
    std::size_t b = 0x80;
    while (b < 256 && chars[b] != code)
      ++b;
    if (b == 256)
      throw std::invalid_argument("a character the page lacks");
    out.push_back(static_cast<char>(b));
  }
  return out;
}

std::string fromPage(const std::string &bytes, CodePage page) {
  std::string out;
  for (const char ch : bytes) {
    const Byte c = static_cast<Byte>(ch);
    const char32_t code = c < 0x80 ? c : engine::charsOf(page)[c];
    if (code < 0x80) {
      out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (code >> 6)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (code >> 12)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return out;
}

} // namespace snpln::test
