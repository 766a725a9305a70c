#include "tests/support/reference_utf8_engines.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

namespace snpln::test {
namespace {

using Byte = unsigned char;

// Well-formed UTF-8 byte sequences: the first byte's range and the ranges
// the bytes after it must lie in.
struct SequenceRow {
  Byte firstLow, firstHigh;
  int length;
  Byte low[3], high[3];
};

const SequenceRow kRows[] = {
    {0x00, 0x7F, 1, {}, {}},
    {0xC2, 0xDF, 2, {0x80}, {0xBF}},
    {0xE0, 0xE0, 3, {0xA0, 0x80}, {0xBF, 0xBF}},
    {0xE1, 0xEC, 3, {0x80, 0x80}, {0xBF, 0xBF}},
    {0xED, 0xED, 3, {0x80, 0x80}, {0x9F, 0xBF}},
    {0xEE, 0xEF, 3, {0x80, 0x80}, {0xBF, 0xBF}},
    {0xF0, 0xF0, 4, {0x90, 0x80, 0x80}, {0xBF, 0xBF, 0xBF}},
    {0xF1, 0xF3, 4, {0x80, 0x80, 0x80}, {0xBF, 0xBF, 0xBF}},
    {0xF4, 0xF4, 4, {0x80, 0x80, 0x80}, {0x8F, 0xBF, 0xBF}},
};

// A unit: its bytes and its character, or -1 for a lone byte.
struct Unit {
  std::string bytes;
  long code = -1;
};

std::vector<Unit> cut(const std::string &text) {
  std::vector<Unit> units;
  std::size_t i = 0;
  while (i < text.size()) {
    const Byte first = static_cast<Byte>(text[i]);
    std::size_t length = 1;
    long code = -1;
    for (const SequenceRow &row : kRows) {
      if (first < row.firstLow || first > row.firstHigh)
        continue;
      bool ok = i + static_cast<std::size_t>(row.length) <= text.size();
      for (int k = 1; ok && k < row.length; ++k) {
        const Byte b = static_cast<Byte>(text[i + static_cast<std::size_t>(k)]);
        ok = b >= row.low[k - 1] && b <= row.high[k - 1];
      }
      if (!ok)
        break;
      length = static_cast<std::size_t>(row.length);
      static const Byte kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
      code = first & kLeadMask[row.length];
      for (std::size_t k = 1; k < length; ++k)
        code = code * 64 + (static_cast<Byte>(text[i + k]) & 0x3F);
      break;
    }
    units.push_back({text.substr(i, length), code});
    i += length;
  }
  return units;
}

// The letters and their other case, from the alphabets written out.
struct Alphabet {
  std::map<long, long> toUpper, toLower;
  Alphabet() {
    const std::pair<const char *, const char *> pairs[] = {
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "abcdefghijklmnopqrstuvwxyz"},
        {"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ",
         "абвгдеёжзийклмнопрстуфхцчшщъыьэюя"},
        {"ЀЂЃЄЅІЇЈЉЊЋЌЍЎЏ", "ѐђѓєѕіїјљњћќѝўџ"},
        {"Ґ", "ґ"},
    };
    for (const auto &[capitals, smalls] : pairs) {
      const std::vector<Unit> c = cut(capitals), s = cut(smalls);
      for (std::size_t i = 0; i < c.size(); ++i) {
        toUpper[s[i].code] = c[i].code;
        toLower[c[i].code] = s[i].code;
      }
    }
  }
};

const Alphabet &alphabet() {
  static const Alphabet a;
  return a;
}

bool isLetter(const Unit &u) {
  return alphabet().toUpper.count(u.code) || alphabet().toLower.count(u.code);
}
bool isSmall(const Unit &u) { return alphabet().toUpper.count(u.code) > 0; }
bool isCapital(const Unit &u) { return alphabet().toLower.count(u.code) > 0; }

std::string encode(long code) {
  std::string out;
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
  return out;
}

Unit upper(const Unit &u) {
  const auto it = alphabet().toUpper.find(u.code);
  return it == alphabet().toUpper.end() ? u
                                        : Unit{encode(it->second), it->second};
}
Unit lower(const Unit &u) {
  const auto it = alphabet().toLower.find(u.code);
  return it == alphabet().toLower.end() ? u
                                        : Unit{encode(it->second), it->second};
}

bool isAscii(const Unit &u, const char *set) {
  return u.code > 0 && u.code < 0x80 &&
         std::strchr(set, static_cast<char>(u.code)) != nullptr;
}
bool isTerminator(const Unit &u) { return isAscii(u, ".!?/+;:-*&=<{[>}\\"); }
bool isBlank(const Unit &u) {
  if (isLetter(u))
    return false;
  return u.code < 0 || u.code <= 0x20 || u.code >= 0x80;
}
bool isLineEnd(const Unit &u) { return u.code == '\r' || u.code == '\n'; }

Unit smartUnit(const std::vector<Unit> &in, std::size_t i,
               const std::vector<Unit> &out, bool saveUpper) {
  const Unit &orig = in[i];
  Unit cur = lower(orig);
  // The look-back sees the last 254 characters written.
  const std::size_t held = std::min<std::size_t>(out.size(), 254);
  auto back = [&](std::size_t n) -> const Unit & {
    return out[out.size() - n];
  };
  if (saveUpper && cur.code != orig.code) {
    cur = orig;
  } else if (isLetter(cur)) {
    bool decided = false;
    for (std::size_t n = 1; n <= held && !decided; ++n) {
      const Unit &b = back(n);
      if (n == 1 && held >= 4 && isLineEnd(b) &&
          (back(2).code == '-' ||
           (isLineEnd(back(2)) && back(3).code == '-'))) {
        decided = true;
      } else if (isLetter(b)) {
        decided = true;
      } else if (isBlank(b)) {
        if (n == 1 && isCapital(orig) && i + 1 < in.size() &&
            isSmall(in[i + 1])) {
          cur = orig;
          decided = true;
        }
      } else if (isTerminator(b)) {
        cur = upper(cur);
        decided = true;
      }
    }
    if (!decided)
      cur = upper(cur);
  }
  if (out.empty())
    cur = upper(cur);
  return cur;
}

bool sameUnit(const Unit &a, const Unit &b, bool fold) {
  if (a.bytes == b.bytes)
    return true;
  return fold && isLetter(a) && isLetter(b) && upper(a).code == upper(b).code;
}

std::string transformSegment(const std::string &segment) {
  std::size_t last = segment.size();
  while (last > 0 && (segment[last - 1] == ' ' || segment[last - 1] == '\t'))
    --last;
  return last < segment.size() ? segment.substr(0, last) + "\t" : segment;
}

} // namespace

std::vector<std::string> referenceUtf8Units(const std::string &bytes) {
  std::vector<std::string> units;
  for (const Unit &u : cut(bytes))
    units.push_back(u.bytes);
  return units;
}

bool referenceIsValidUtf8(const std::string &bytes) {
  for (const Unit &u : cut(bytes))
    if (u.code < 0)
      return false;
  return true;
}

std::string referenceCaseUtf8(const std::string &bytes,
                              engine::CaseOperation operation, bool saveUpper) {
  const std::vector<Unit> in = cut(bytes);
  std::vector<Unit> out;
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (operation == engine::CaseOperation::Upper)
      out.push_back(upper(in[i]));
    else if (operation == engine::CaseOperation::Lower)
      out.push_back(lower(in[i]));
    else
      out.push_back(smartUnit(in, i, out, saveUpper));
  }
  std::string text;
  for (const Unit &u : out)
    text += u.bytes;
  return text;
}

std::string referenceExclusionUtf8(const std::string &bytes,
                                   const std::string &search,
                                   const std::string &replace,
                                   const engine::ExclusionOptions &options,
                                   std::uint64_t *hits) {
  const std::vector<Unit> in = cut(bytes);
  const std::vector<Unit> s = cut(search);
  std::string out, held;
  std::size_t k = 0; // characters of the search text matched
  bool previousLetter = false;
  std::uint64_t count = 0;
  for (std::size_t i = 0; i < in.size(); ++i) {
    const Unit &c = in[i];
    if (s.empty() || (options.leftPartOfWord && k == 0 && previousLetter)) {
      out += c.bytes;
    } else if (!sameUnit(c, s[k], options.caseInsensitive != 0)) {
      out += held + c.bytes;
      held.clear();
      k = 0;
    } else {
      held += c.bytes;
      if (++k == s.size()) {
        const bool nextLetter = i + 1 < in.size() && isLetter(in[i + 1]);
        if (options.rightPartOfWord && nextLetter) {
          out += held;
        } else {
          out += replace;
          ++count;
        }
        held.clear();
        k = 0;
      }
    }
    previousLetter = isLetter(c);
  }
  if (hits)
    *hits = count;
  return out + held;
}

std::string referenceCompressTabsUtf8(const std::string &line, int tabSize) {
  // 64 bits: with a tab size near INT_MAX the column passes 2^31 - 1 at the
  // first character after a tab (a long has 32 bits on Windows).
  const std::int64_t t = tabSize;
  std::int64_t column = 0;
  std::string segment, out;
  for (const Unit &u : cut(line)) {
    segment += u.bytes;
    if (u.code == 0xFEFF) // the byte order mark has no width
      continue;
    column = u.code == '\t' ? (column / t + 1) * t : column + 1;
    if (column % t == 0) {
      out += transformSegment(segment);
      segment.clear();
    }
  }
  return out + transformSegment(segment);
}

std::string randomUtf8Text(std::mt19937 &rng, std::size_t maxLength) {
  static const char *const kPieces[] = {
      "а",  "я",  "Я",    "Б",  "ё",   "Ё",   "ж",   "Ж", "п",  "р",  "П",
      "Р",  "ѐ",  "Ѐ",    "џ",  "Џ",   "і",   "Ї",   "ґ", "Ґ",  "Ѡ",  "ѡ",
      "Ͽ",  "a",  "I",    "Iv", "Ёж",  "Мир", "мИР", " ", "  ", "\t", "\r\n",
      "\n", "\r", "\n\r", "-",  "-\n", ".",   ". ",  "?", ",",  "\"", "(",
      "3",  "«",  "»",    "—",  "é",   "€",   "😀",   "ÿ", "x",  "_",  "Ab"};
  const auto below = [&](std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
  };
  const std::size_t length = below(maxLength + 1);
  std::string text;
  while (true) {
    std::string piece = below(80) == 0 ? std::string(250 + below(10), ' ')
                                       : kPieces[below(std::size(kPieces))];
    if (text.size() + piece.size() > length)
      break;
    text += piece;
  }
  return text;
}

std::string randomMostlyUtf8Bytes(std::mt19937 &rng, std::size_t maxLength) {
  static const char kBreakers[] = "\x80\xBF\xC0\xC1\xD0\xD1\xE0\xED\xF0\xF4"
                                  "\xF5\xFF";
  std::string text = randomUtf8Text(rng, maxLength);
  for (std::size_t n = text.size() / 20 + 1; n > 0 && !text.empty(); --n)
    text[rng() % text.size()] = kBreakers[rng() % (sizeof kBreakers - 1)];
  return text;
}

namespace {

std::string testData(const char *name) {
  std::ifstream in(std::filesystem::path(SNPLN_TEST_DATA_DIR) / name,
                   std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

} // namespace

std::string russianProse() { return testData("russian_prose.txt"); }

std::vector<std::string> russianProseExcerpts() {
  std::vector<std::string> excerpts;
  for (const char *name : {"russian_prose.txt", "russian_prose_2.txt"}) {
    const std::string text = testData(name);
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
      const std::size_t end = text.find('\n', at);
      const std::size_t next = end == std::string::npos ? text.size() : end + 1;
      lines.push_back(text.substr(at, next - at));
      at = next;
    }
    for (std::size_t first = 0; first < lines.size(); ++first) {
      std::string excerpt;
      for (std::size_t n = 0; n < 3 && first + n < lines.size(); ++n) {
        excerpt += lines[first + n];
        excerpts.push_back(excerpt);
      }
    }
  }
  return excerpts;
}

engine::Utf8Check checkUtf8Reference(const std::uint8_t *bytes,
                                     std::size_t size) {
  engine::Utf8Check check;
  std::size_t i = 0;
  while (i < size) {
    const engine::Utf8Char c = engine::decodeUtf8(bytes + i, size - i);
    if (!c.ok()) {
      check.stop = c.status;
      break;
    }
    if (c.length > 1)
      ++check.sequences;
    i += c.length;
  }
  check.valid = i;
  return check;
}

} // namespace snpln::test
