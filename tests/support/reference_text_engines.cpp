#include "tests/support/reference_text_engines.h"

#include <cstring>

namespace snpln::test {
namespace {

using Byte = unsigned char;

bool refIsLetter(Byte c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0xC0;
}

Byte refUpper(Byte c) {
  if (c >= 'a' && c <= 'z')
    return static_cast<Byte>(c & ~0x20);
  if (c >= 0xE0)
    return static_cast<Byte>(c - 0x20);
  return c;
}

Byte refLower(Byte c) {
  if (c >= 'A' && c <= 'Z')
    return static_cast<Byte>(c | 0x20);
  if (c >= 0xC0 && c <= 0xDF)
    return static_cast<Byte>(c + 0x20);
  return c;
}

bool refIsBlank(Byte c) { return !refIsLetter(c) && (c <= 0x20 || c >= 0x80); }

bool refIsTerminator(Byte c) {
  return c != 0 && std::strchr(".!?/+;:-*&=<{[>}\\", c) != nullptr;
}

bool refIsLineEnd(Byte c) { return c == 0x0D || c == 0x0A; }

Byte smartByte(const std::string &in, std::size_t i, const std::string &out,
               bool saveUpper) {
  const Byte orig = static_cast<Byte>(in[i]);
  Byte cur = refLower(orig);
  // caseHistory: the output so far, at most its last 254 bytes.
  const std::size_t oldest = out.size() > 254 ? out.size() - 254 : 0;
  const std::size_t held = out.size() - oldest;
  auto back = [&](std::size_t n) {
    return static_cast<Byte>(out[out.size() - n]);
  };

  if (saveUpper && cur != orig) {
    cur = orig;
  } else if (refIsLetter(cur)) {
    bool decided = false;
    for (std::size_t n = 1; n <= held && !decided; ++n) {
      const Byte b = back(n);
      if (n == 1 && held >= 4 && refIsLineEnd(b) &&
          (back(2) == '-' || (refIsLineEnd(back(2)) && back(3) == '-'))) {
        decided = true; // stays small
      } else if (refIsLetter(b)) {
        decided = true; // stays small
      } else if (refIsBlank(b)) {
        const bool hasNext = i + 1 < in.size();
        if (n == 1 && refUpper(orig) == orig && hasNext &&
            refUpper(static_cast<Byte>(in[i + 1])) !=
                static_cast<Byte>(in[i + 1])) {
          cur = orig;
          decided = true;
        }
      } else if (refIsTerminator(b)) {
        cur = refUpper(cur);
        decided = true;
      }
    }
    if (!decided)
      cur = refUpper(cur);
  }
  if (out.empty())
    cur = refUpper(cur);
  return cur;
}

} // namespace

std::string referenceCase(const std::string &bytes,
                          engine::CaseOperation operation, bool saveUpper) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const Byte c = static_cast<Byte>(bytes[i]);
    Byte r = c;
    if (operation == engine::CaseOperation::Upper)
      r = refUpper(c);
    else if (operation == engine::CaseOperation::Lower)
      r = refLower(c);
    else
      r = smartByte(bytes, i, out, saveUpper);
    out.push_back(static_cast<char>(r));
  }
  return out;
}

std::string referenceExclusion(const std::string &bytes,
                               const std::string &search,
                               const std::string &replace,
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
        (options.leftPartOfWord && k == 1 && refIsLetter(previous))) {
      out.push_back(static_cast<char>(c));
      previous = c;
      continue;
    }
    const Byte s = static_cast<Byte>(search[k - 1]);
    const bool same =
        c == s || (options.caseInsensitive && refUpper(c) == refUpper(s));
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
        if (options.rightPartOfWord && refIsLetter(next)) {
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

std::string win1251(const std::string &utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const Byte c = static_cast<Byte>(utf8[i]);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    const unsigned code =
        ((c & 0x1Fu) << 6) | (static_cast<Byte>(utf8[++i]) & 0x3Fu);
    if (code == 0x401)
      out.push_back('\xA8'); // Yo
    else if (code == 0x451)
      out.push_back('\xB8'); // yo
    else
      out.push_back(static_cast<char>(code - 0x410 + 0xC0));
  }
  return out;
}

} // namespace snpln::test
