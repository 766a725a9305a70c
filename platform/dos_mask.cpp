#include "platform/file_system.h"

#include <vector>

namespace snpln::platform {

namespace {

// A mask's two wildcards, as bytes and as characters alike.
constexpr char32_t kStar = U'*';
constexpr char32_t kQuestion = U'?';
constexpr char32_t kDot = U'.';

char32_t foldAscii(char32_t c) {
  return (c >= U'A' && c <= U'Z') ? c - U'A' + U'a' : c;
}

// ASCII and Cyrillic letters folded to lower case: А-Я, Ѐ-Џ (Ё among them)
// and the upper/lower pairs of the rest of the Cyrillic blocks (Ѣ, Ѳ, Ґ,
// Ә, ...); every other character is itself.
char32_t foldLetter(char32_t c) {
  if (c < 0x80)
    return foldAscii(c);
  if (c >= 0x0410 && c <= 0x042F)
    return c + 0x20;
  if (c >= 0x0400 && c <= 0x040F)
    return c + 0x50;
  if (c == 0x04C0)
    return 0x04CF;
  // Pairs whose upper case is the odd one.
  if (c >= 0x04C1 && c <= 0x04CE)
    return (c & 1) != 0 ? c + 1 : c;
  // Pairs whose upper case is the even one.
  if ((c >= 0x0460 && c <= 0x0481) || (c >= 0x048A && c <= 0x04BF) ||
      (c >= 0x04D0 && c <= 0x052F))
    return (c & 1) == 0 ? c + 1 : c;
  return c;
}

// The characters of a UTF-8 name: nothing when it is not UTF-8 (overlong
// forms, surrogates and code points past U+10FFFF included).
bool decodeUtf8(const std::string &text, std::vector<char32_t> &out,
                bool lenient) {
  out.clear();
  out.reserve(text.size());
  const auto byte = [&](std::size_t i) {
    return static_cast<unsigned char>(text[i]);
  };
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    char32_t c = 0, least = 0;
    if (lead < 0x80) {
      length = 1;
      c = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      c = lead & 0x1Fu;
      least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      c = lead & 0x0Fu;
      least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      c = lead & 0x07u;
      least = 0x10000;
    }
    bool valid = length != 0 && i + length <= text.size();
    for (std::size_t k = 1; valid && k < length; ++k) {
      if ((byte(i + k) & 0xC0) != 0x80)
        valid = false;
      else
        c = (c << 6) | (byte(i + k) & 0x3Fu);
    }
    valid =
        valid && c >= least && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
    if (!valid) {
      if (!lenient)
        return false;
      // A stray byte of a mask: a unit no character of a UTF-8 name is.
      out.push_back(0xDC00 + lead);
      ++i;
      continue;
    }
    out.push_back(c);
    i += length;
  }
  return true;
}

bool isAscii(const std::string &text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80)
      return false;
  return true;
}

// '*' any run, '?' one unit, letters folded by `fold`, the rest literal.
// Greedy with one back-tracking point (the last '*'): every mismatch moves
// the run of the last '*' on by one, so the work is at most name length x
// mask length, never exponential. With kCount, each turn of the loop adds
// one to `steps` (the product's matcher counts nothing).
template <bool kCount, typename Units, typename Fold>
bool matchPlain(const Units &name, std::size_t nameEnd, const Units &mask,
                std::size_t maskEnd, Fold fold, std::uint64_t *steps) {
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::size_t n = 0, m = 0;
  std::size_t starMask = kNone, starName = 0;
  const auto unit = [](auto u) { return static_cast<char32_t>(u); };
  while (n < nameEnd) {
    if constexpr (kCount)
      ++*steps;
    if (m < maskEnd && unit(mask[m]) == kStar) {
      starMask = m++;
      starName = n;
    } else if (m < maskEnd && (unit(mask[m]) == kQuestion ||
                               fold(unit(mask[m])) == fold(unit(name[n])))) {
      ++m;
      ++n;
    } else if (starMask != kNone) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < maskEnd && unit(mask[m]) == kStar) {
    if constexpr (kCount)
      ++*steps;
    ++m;
  }
  return m == maskEnd;
}

template <bool kCount, typename Units, typename Fold>
bool matchUnits(const Units &name, const Units &mask, Fold fold,
                std::uint64_t *steps) {
  if (matchPlain<kCount>(name, name.size(), mask, mask.size(), fold, steps))
    return true;
  // A mask ending in ".*" also matches when the part before ".*" matches
  // the whole name, as the Windows search does (its trailing ".*" may match
  // nothing): "*.*" matches every name, "abc.*" matches "abc", and "*b.*"
  // matches "a.b".
  const auto size = mask.size();
  return size >= 2 && static_cast<char32_t>(mask[size - 2]) == kDot &&
         static_cast<char32_t>(mask[size - 1]) == kStar &&
         matchPlain<kCount>(name, name.size(), mask, size - 2, fold, steps);
}

// Bytes as units, unsigned so that a byte above 0x7F is never a wildcard.
std::basic_string_view<unsigned char> bytesOf(const std::string &text) {
  return {reinterpret_cast<const unsigned char *>(text.data()), text.size()};
}

template <bool kCount>
bool matchMask(const std::string &name, const std::string &mask,
               std::uint64_t *steps) {
  if (isAscii(name) && isAscii(mask))
    return matchUnits<kCount>(bytesOf(name), bytesOf(mask), foldAscii, steps);
  // A UTF-8 name is matched character by character; any other name byte by
  // byte (its code page is unknown: only ASCII letters fold).
  thread_local std::vector<char32_t> nameChars, maskChars;
  if (!decodeUtf8(name, nameChars, false))
    return matchUnits<kCount>(bytesOf(name), bytesOf(mask), foldAscii, steps);
  decodeUtf8(mask, maskChars, true);
  return matchUnits<kCount>(nameChars, maskChars, foldLetter, steps);
}

} // namespace

bool matchesDosMask(const std::string &name, const std::string &mask) {
  return matchMask<false>(name, mask, nullptr);
}

bool matchesDosMask(const std::string &name, const std::string &mask,
                    std::uint64_t &steps) {
  return matchMask<true>(name, mask, &steps);
}

} // namespace snpln::platform
