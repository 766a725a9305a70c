#include "engine/detect_utf8.h"

#include "engine/utf8_codec.h"

namespace snpln::engine {

namespace {

// A byte that starts no valid sequence, as a neighbour.
constexpr char32_t kStray = 0xFFFD;

bool isAsciiLetter(char32_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char32_t c) { return c >= '0' && c <= '9'; }
bool isBlank(char32_t c) {
  return c == 0 || c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isLatinLetter(char32_t c) {
  return (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7) ||
         (c >= 0x1E00 && c <= 0x1EFF);
}

// Characters at home anywhere in a text: the no-break space, ©, ®, §,
// dashes, quotes, bullets and the ellipsis, ‰, the euro and rouble signs,
// №, ™, arrows, mathematical operators, box drawing, blocks and shapes,
// symbols and dingbats, emoji.
bool anywhere(char32_t c) {
  switch (c) {
  case 0xA0:
  case 0xA9:
  case 0xAE:
  case 0xA7:
  case 0xD7:
  case 0x20AC:
  case 0x20BD:
  case 0x2116:
  case 0x2122:
    return true;
  default:
    break;
  }
  return (c >= 0x2010 && c <= 0x2027) || (c >= 0x2030 && c <= 0x203A) ||
         (c >= 0x2190 && c <= 0x22FF) || (c >= 0x2500 && c <= 0x25FF) ||
         (c >= 0x2600 && c <= 0x27BF) || (c >= 0x1F300 && c <= 0x1FAFF);
}

} // namespace

bool plausibleInShortText(char32_t code, char32_t before, char32_t after) {
  if (code >= 0x400 && code <= 0x52F) // Cyrillic
    return true;
  if (isLatinLetter(code)) // within a word of ASCII letters too
    return isAsciiLetter(before) || isAsciiLetter(after);
  if (anywhere(code))
    return true;
  switch (code) {
  case 0xAB: // « opens a quote: something follows it
    return !isBlank(after);
  case 0xBB: // » closes one: something comes before it
    return !isBlank(before);
  case 0xB0: // °, ², ³ after a digit or a letter
  case 0xB2:
  case 0xB3:
    return isDigit(before) || isAsciiLetter(before);
  case 0xB1: // ± before a number
    return isDigit(after) || (after == ' ' && isDigit(before));
  case 0xB5: // µ before a unit
    return isAsciiLetter(after);
  case 0xBC: // ¼, ½, ¾ beside a digit
  case 0xBD:
  case 0xBE:
    return isDigit(before) || isDigit(after);
  case 0xB7: // · between words or numbers
    return !isBlank(before) && !isBlank(after) && before != kStray &&
           after != kStray;
  default:
    return false;
  }
}

namespace {

// The reading of readAsUtf8. With `decide` it stops as soon as the bytes
// not yet read cannot make the text UTF-8 (each character of two bytes or
// more takes two of them at least), and says so in `givenUp`.
Utf8Evidence read(const std::uint8_t *bytes, std::size_t size, bool cutShort,
                  bool decide, bool &givenUp) {
  Utf8Evidence e;
  // The characters are looked at with their neighbours: the one before,
  // the one under examination (when it is of two bytes or more) and the
  // one after it.
  char32_t before = 0;
  char32_t pending = 0; // a sequence waiting for the character after it
  bool waiting = false;
  const auto next = [&](char32_t c) {
    if (waiting) {
      if (!plausibleInShortText(pending, before, c))
        ++e.implausible;
      before = pending;
      waiting = false;
    }
    if (c >= 0x80 && c != kStray) {
      pending = c;
      waiting = true;
    } else {
      before = c;
    }
  };
  std::size_t i = 0;
  while (i < size) {
    const std::uint8_t b = bytes[i];
    if (b < 0x80) {
      next(b);
      ++i;
      continue;
    }
    const Utf8Char unit = decodeUtf8(bytes + i, size - i);
    if (unit.status == Utf8Status::Incomplete) { // cut by the end of the bytes
      if (!cutShort)
        e.strayBytes += size - i;
      break;
    }
    if (unit.status == Utf8Status::Invalid) {
      ++e.strayBytes;
      next(kStray);
      ++i;
      const std::uint64_t most = e.sequences + (size - i) / 2;
      if (decide &&
          (most < kSequencesWithStrays || most < kStrayRatio * e.strayBytes)) {
        givenUp = true;
        return e;
      }
      continue;
    }
    ++e.sequences;
    next(unit.code);
    i += unit.length;
  }
  next(0);
  return e;
}

} // namespace

Utf8Evidence readAsUtf8(const std::uint8_t *bytes, std::size_t size,
                        bool cutShort) {
  bool givenUp = false;
  return read(bytes, size, cutShort, false, givenUp);
}

bool readsAsUtf8(const std::uint8_t *bytes, std::size_t size, bool cutShort) {
  bool givenUp = false;
  const Utf8Evidence e = read(bytes, size, cutShort, true, givenUp);
  return !givenUp && isUtf8Text(e);
}

bool isUtf8Text(const Utf8Evidence &e) {
  if (e.sequences == 0)
    return false;
  if (e.strayBytes > 0)
    return e.sequences >= kSequencesWithStrays &&
           e.sequences >= kStrayRatio * e.strayBytes;
  return e.sequences >= kSureSequences || e.implausible == 0;
}

} // namespace snpln::engine
