#include "engine/repair_model.h"

#include <algorithm>

namespace snpln::engine {

namespace {

using repair_model::kSymbols;

// Costs in quarters of a natural logarithm.
constexpr int kMixedCase = -24;   // пРИВЕТ, ПрИвЕт
constexpr int kMixedScript = -40; // a word of Cyrillic and Latin letters
constexpr int kRussianSign = -24; // « » — … № ° and the like
constexpr int kOtherLetter = -48; // À, ђ, Ї: a letter of no Russian word
constexpr int kSymbol = -48;      // ± ¤ ╨ and other signs
constexpr int kControl = -80;     // C1 controls, U+FFFD, private use
constexpr int kCommonBonus = 12;  // a common word, in a text's fit
constexpr int kLatinAccent = -12; // ü in Grüße

inline int trigram(int a, int b, int c) {
  return repair_model::kTrigrams[(static_cast<std::size_t>(a) * kSymbols +
                                  static_cast<std::size_t>(b)) *
                                     kSymbols +
                                 static_cast<std::size_t>(c)];
}

bool isAsciiLetter(char32_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isRussianCapital(char32_t c) {
  return (c >= 0x410 && c <= 0x42F) || c == 0x401;
}

} // namespace

int russianLetterOf(char32_t c) {
  if (c >= 0x410 && c <= 0x42F)
    c += 0x20;
  else if (c == 0x401)
    c = 0x451;
  if (c == 0x451)
    return 7;
  if (c >= 0x430 && c <= 0x435)
    return static_cast<int>(c - 0x430) + 1;
  if (c >= 0x436 && c <= 0x44F)
    return static_cast<int>(c - 0x436) + 8;
  return 0;
}

int signWeightOf(char32_t c) {
  if (c < 0x80)
    return 0;
  switch (c) {
  case 0x00A0: // no-break space
  case 0x00AB: // «
  case 0x00BB: // »
  case 0x2014: // —
  case 0x2013: // –
  case 0x2026: // …
  case 0x2116: // №
  case 0x00B0: // °
  case 0x201C: // “
  case 0x201D: // ”
  case 0x201E: // „
  case 0x2018: // ‘
  case 0x2019: // ’
  case 0x00A9: // ©
  case 0x20AC: // €
  case 0x00B7: // ·
  case 0x2022: // •
    return kRussianSign;
  default:
    break;
  }
  if (c < 0xA0 || c == 0xFFFD || (c >= 0xE000 && c <= 0xF8FF) ||
      (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF || c == 0xAD ||
      (c >= 0x200B && c <= 0x200F) || c == 0xFEFF)
    return kControl;
  if ((c >= 0xC0 && c <= 0x24F) || (c >= 0x400 && c <= 0x52F))
    return kOtherLetter;
  return kSymbol;
}

namespace {

// A word being scored: its letters so far and what its case and script
// say.
struct WordScan {
  int previous2 = 0;
  int previous1 = 0;
  std::uint32_t letters = 0;
  std::uint32_t capitals = 0;
  bool capitalAfterSmall = false;  // a capital after a small letter
  bool smallAfterCapitals = false; // a small letter after two capitals
  bool cyrillic = false;
  bool latin = false;
  std::uint32_t hash = 0x811C9DC5u;
  bool hashing = true; // Russian letters only so far

  long close() const {
    long s = 0;
    if (previous1 != 0)
      s += trigram(previous2, previous1, 0);
    if (capitalAfterSmall || smallAfterCapitals)
      s += kMixedCase;
    if (cyrillic && latin)
      s += kMixedScript;
    if (hashing && cyrillic && letters <= 12 && isCommonWord(hash))
      s += kCommonBonus;
    return s;
  }
};

} // namespace

namespace {

enum class Kind : std::uint8_t {
  Russian,
  Ascii,
  Accented,
  OtherCyrillic,
  None
};

Kind kindOf(char32_t c) {
  if (russianLetterOf(c) != 0)
    return Kind::Russian;
  if (isAsciiLetter(c))
    return Kind::Ascii;
  if ((c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7))
    return Kind::Accented;
  if (c >= 0x400 && c <= 0x4FF)
    return Kind::OtherCyrillic;
  return Kind::None;
}

bool isCapital(char32_t c) {
  return isRussianCapital(c) || (c >= 'A' && c <= 'Z') ||
         (c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x400 && c <= 0x40F);
}

} // namespace

TextFit fitOfText(const char32_t *chars, std::size_t count) {
  TextFit fit;
  WordScan word;
  bool inWord = false;
  bool lastCapital = false;
  for (std::size_t i = 0; i < count; ++i) {
    const char32_t c = chars[i];
    const Kind kind = kindOf(c);
    if (kind != Kind::None) {
      if (!inWord) {
        word = WordScan{};
        inWord = true;
        lastCapital = false;
      }
      const bool capital = isCapital(c);
      if (capital && word.letters > 0 && !lastCapital)
        word.capitalAfterSmall = true;
      if (!capital && word.capitals >= 2 && lastCapital)
        word.smallAfterCapitals = true;
      word.capitals += capital ? 1u : 0u;
      lastCapital = capital;
      ++word.letters;
      if (kind == Kind::Russian) {
        const int letter = russianLetterOf(c);
        word.cyrillic = true;
        fit.score += trigram(word.previous2, word.previous1, letter);
        word.previous2 = word.previous1;
        word.previous1 = letter;
        ++fit.russian;
        if (word.hashing) {
          word.hash ^= static_cast<std::uint32_t>(letter);
          word.hash *= 0x01000193u;
        }
        continue;
      }
      // Any other letter: no trigram across it.
      word.hashing = false;
      word.previous2 = word.previous1 = 0;
      if (kind == Kind::OtherCyrillic) {
        word.cyrillic = true;
        fit.score += kOtherLetter;
        ++fit.signs;
      } else {
        word.latin = true;
        if (kind == Kind::Accented) {
          // An accented letter beside a plain Latin one is of a Latin
          // word (Grüße); among signs and others, of none (Ïðèâåò).
          const bool besidePlain =
              (i > 0 && isAsciiLetter(chars[i - 1])) ||
              (i + 1 < count && isAsciiLetter(chars[i + 1]));
          fit.score += besidePlain ? kLatinAccent : kOtherLetter;
          ++fit.signs;
        }
      }
      continue;
    }
    if (inWord) {
      fit.score += word.close();
      inWord = false;
    }
    const int sign = signWeightOf(c);
    if (sign != 0 || c >= 0x80) {
      fit.score += sign;
      ++fit.signs;
    }
  }
  if (inWord)
    fit.score += word.close();
  return fit;
}

std::uint32_t wordHash(const std::uint8_t *letters, std::size_t count) {
  std::uint32_t h = 0x811C9DC5u;
  for (std::size_t i = 0; i < count; ++i) {
    h ^= letters[i];
    h *= 0x01000193u;
  }
  return h;
}

bool isCommonWord(std::uint32_t hash) {
  const std::uint32_t *end =
      repair_model::kCommonWords + repair_model::kCommonWordCount;
  return std::binary_search(repair_model::kCommonWords, end, hash);
}

std::optional<std::vector<std::uint32_t>>
decodeRiceSet(const std::uint8_t *code, std::size_t size, std::size_t count,
              unsigned riceBits) {
  if (riceBits > 31)
    return std::nullopt;
  std::vector<std::uint32_t> values;
  values.reserve(count);
  const std::size_t totalBits = size * 8;
  std::size_t bit = 0;
  const auto next = [&]() -> int {
    const int b = (code[bit / 8] >> (7 - bit % 8)) & 1;
    ++bit;
    return b;
  };
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    std::uint64_t quotient = 0;
    for (;;) {
      if (bit >= totalBits)
        return std::nullopt;
      if (next() == 0)
        break;
      ++quotient;
    }
    if (totalBits - bit < riceBits)
      return std::nullopt;
    std::uint64_t remainder = 0;
    for (unsigned k = 0; k < riceBits; ++k)
      remainder = (remainder << 1) | static_cast<std::uint64_t>(next());
    value += (quotient << riceBits) | remainder;
    if (value > 0xFFFFFFFFu || (i > 0 && value == values.back()))
      return std::nullopt;
    values.push_back(static_cast<std::uint32_t>(value));
  }
  // At most the last byte's padding, all zeros, may follow.
  if (totalBits - bit >= 8)
    return std::nullopt;
  while (bit < totalBits)
    if (next() != 0)
      return std::nullopt;
  return values;
}

bool isKnownWord(std::uint32_t hash) {
  // Decoded once, at the first word that asks; a set that does not decode
  // is a fault of the build, and then no word is known.
  static const std::vector<std::uint32_t> known =
      decodeRiceSet(
          repair_model::kKnownWordCode, repair_model::kKnownWordCodeSize,
          repair_model::kKnownWordCount, repair_model::kKnownWordRiceBits)
          .value_or(std::vector<std::uint32_t>());
  return std::binary_search(known.begin(), known.end(), hash);
}

long fitOfWord(const std::uint8_t *letters, std::size_t count) {
  long s = 0;
  int a = 0, b = 0;
  for (std::size_t i = 0; i < count; ++i) {
    s += trigram(a, b, letters[i]);
    a = b;
    b = letters[i];
  }
  if (count > 0)
    s += trigram(a, b, 0);
  const std::uint32_t h = wordHash(letters, count);
  if (isCommonWord(h))
    s += kCommonWordBonus;
  else if (count > 1 && isKnownWord(h))
    s += kKnownWordBonus;
  return s;
}

} // namespace snpln::engine
