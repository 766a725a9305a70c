#include "engine/case_slice.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/code_page_chars.h"
#include "engine/letters.h"
#include "engine/utf8_codec.h"

namespace snpln::engine {
namespace {

constexpr std::uint8_t kCr = 0x0D;
constexpr std::uint8_t kLf = 0x0A;
constexpr std::uint8_t kHyphen = 0x2D;

// Classes of the smart-case look-back over bytes already written.
enum ByteClass : std::uint8_t { Letter, Blank, Terminator, Other };

// The classes of a page's bytes: its letters; then, of the other bytes,
// controls, the space and every byte above 0x7F are blanks, 17 ASCII signs
// are terminators, and the rest are others.
std::array<std::uint8_t, 256> makeClasses(const PageLetters &letters) {
  std::array<std::uint8_t, 256> t{};
  for (unsigned c = 0; c < 256; ++c) {
    if (letters.letter[c])
      t[c] = Letter;
    else if (c <= 0x20 || c >= 0x80)
      t[c] = Blank;
    else
      t[c] = Other;
  }
  for (const char c : {'.', '!', '?', '/', '+', ';', ':', '-', '*', '&', '=',
                       '<', '{', '[', '>', '}', '\\'})
    t[static_cast<std::uint8_t>(c)] = Terminator;
  return t;
}

// The row of a page in the tables below: 0 for the Latin letters alone,
// then the single-byte pages in their order.
constexpr std::size_t kRows = std::size(kSingleBytePages) + 1;

std::size_t rowOf(CodePage page) {
  return isSingleBytePage(page) ? singleByteIndex(page) + 1 : 0;
}

// The page of each row.
CodePage pageOfRow(std::size_t row) {
  return row == 0 ? CodePage::Auto : kSingleBytePages[row - 1];
}

const std::array<std::uint8_t, 256> &classesOf(CodePage page) {
  static const auto tables = [] {
    std::array<std::array<std::uint8_t, 256>, kRows> t{};
    for (std::size_t row = 0; row < kRows; ++row)
      t[row] = makeClasses(lettersOf(pageOfRow(row)));
    return t;
  }();
  return tables[rowOf(page)];
}

// The classes of the UTF-8 look-back's bytes (lookBackByte below): ASCII as
// in every page, 0xC0 a letter, 0x80 a blank.
const std::array<std::uint8_t, 256> &utf8LookBackClasses() {
  static const std::array<std::uint8_t, 256> table = [] {
    std::array<std::uint8_t, 256> t = classesOf(CodePage::Auto);
    t[0xC0] = Letter;
    return t;
  }();
  return table;
}

// The byte of ё in `page` (Ё with `capital`), 0 where it has none.
std::uint8_t yoOf(CodePage page, bool capital) {
  const int byte = byteOfChar(capital ? U'Ё' : U'ё', page);
  return byte < 0 ? 0 : static_cast<std::uint8_t>(byte);
}

// A case map that moves the letters of one range of ASCII and of one range
// of 0xC0..0xFF by a fixed step each and leaves every other byte of those
// halves as it is (Windows-1251 and KOI8-R both ways), as told from its
// table; `usable` is false for any other map.
struct ShiftMap {
  bool usable = false;
  std::uint8_t asciiFrom = 0, asciiSpan = 0, asciiStep = 0;
  std::uint8_t highFrom = 0, highSpan = 0, highStep = 0;
  // One byte of 0x80..0xBF more the map changes (Ё or ё, frequent in
  // Russian), and what it becomes; where there is none, a byte the steps
  // give anyway.
  std::uint8_t extra = 0, extraTo = 0;
};

// The changed bytes of table[from, to): one range, one step; false when
// they are not.
bool shiftRange(const std::array<std::uint8_t, 256> &table, unsigned from,
                unsigned to, std::uint8_t &first, std::uint8_t &span,
                std::uint8_t &step) {
  unsigned lo = to, hi = from;
  for (unsigned c = from; c < to; ++c)
    if (table[c] != c) {
      lo = std::min(lo, c);
      hi = std::max(hi, c);
    }
  first = span = step = 0;
  if (lo == to)
    return true;
  step = static_cast<std::uint8_t>(table[lo] - lo);
  for (unsigned c = from; c < to; ++c) {
    const bool inside = c >= lo && c <= hi;
    if (table[c] != static_cast<std::uint8_t>(inside ? c + step : c))
      return false;
  }
  first = static_cast<std::uint8_t>(lo);
  span = static_cast<std::uint8_t>(hi - lo);
  return true;
}

ShiftMap shiftMapOf(const std::array<std::uint8_t, 256> &table,
                    std::uint8_t extra) {
  ShiftMap m;
  m.usable =
      shiftRange(table, 0x00, 0x80, m.asciiFrom, m.asciiSpan, m.asciiStep) &&
      shiftRange(table, 0xC0, 0x100, m.highFrom, m.highSpan, m.highStep);
  if (extra < 0x80 || extra >= 0xC0)
    extra = 0; // NUL: no letter, left as it is
  m.extra = extra;
  m.extraTo = table[extra];
  return m;
}

// A page's case map over a whole slice into `out`, four independent
// lookups at a time; a map of fixed steps sixteen bytes at a time, with
// `extra` among them and the other bytes of 0x80..0xBF looked up.
void mapSlice(const std::uint8_t *bytes, std::uint8_t *out, std::size_t size,
              const std::array<std::uint8_t, 256> &table, std::uint8_t extra) {
  const std::uint8_t *t = table.data();
  std::size_t i = 0;
#if defined(__SSE2__)
  static thread_local const std::uint8_t *known = nullptr;
  static thread_local std::uint8_t knownExtra = 0;
  static thread_local ShiftMap shift;
  if (known != t || knownExtra != extra) {
    shift = shiftMapOf(table, extra);
    known = t;
    knownExtra = extra;
  }
  if (shift.usable) {
    const auto splat = [](std::uint8_t b) {
      return _mm_set1_epi8(static_cast<char>(b));
    };
    // x - from <= span, unsigned.
    const auto within = [](__m128i v, __m128i from, __m128i span) {
      const __m128i d = _mm_sub_epi8(v, from);
      return _mm_cmpeq_epi8(_mm_max_epu8(d, span), span);
    };
    const __m128i aFrom = splat(shift.asciiFrom),
                  aSpan = splat(shift.asciiSpan),
                  aStep = splat(shift.asciiStep);
    const __m128i hFrom = splat(shift.highFrom), hSpan = splat(shift.highSpan),
                  hStep = splat(shift.highStep);
    const __m128i below = splat(0xC0);
    const __m128i top = splat(0x80);
    const __m128i extraFrom = splat(shift.extra);
    const __m128i extraTo = splat(shift.extraTo);
    for (; i + 16 <= size; i += 16) {
      const __m128i v =
          _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes + i));
      // 0x80..0xBF but `extra`: bytes the steps do not describe.
      const __m128i isExtra = _mm_cmpeq_epi8(v, extraFrom);
      const __m128i middle = _mm_andnot_si128(
          _mm_or_si128(_mm_cmpeq_epi8(_mm_max_epu8(v, below), v), isExtra),
          _mm_cmpeq_epi8(_mm_max_epu8(v, top), v));
      const __m128i step =
          _mm_or_si128(_mm_and_si128(within(v, aFrom, aSpan), aStep),
                       _mm_and_si128(within(v, hFrom, hSpan), hStep));
      const __m128i shifted = _mm_add_epi8(v, step);
      _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i),
                       _mm_or_si128(_mm_and_si128(isExtra, extraTo),
                                    _mm_andnot_si128(isExtra, shifted)));
      // The few bytes the steps do not describe (Ё, ё, signs): looked up.
      for (unsigned rest = static_cast<unsigned>(_mm_movemask_epi8(middle));
           rest != 0; rest &= rest - 1) {
        const std::size_t k = i + static_cast<unsigned>(std::countr_zero(rest));
        out[k] = t[bytes[k]];
      }
    }
  }
#endif
  for (; i + 4 <= size; i += 4) {
    const std::uint8_t a = t[bytes[i]], b = t[bytes[i + 1]],
                       c = t[bytes[i + 2]], d = t[bytes[i + 3]];
    out[i] = a;
    out[i + 1] = b;
    out[i + 2] = c;
    out[i + 3] = d;
  }
  for (; i < size; ++i)
    out[i] = t[bytes[i]];
}

// What smart case looks for in a page's bytes, as bits: 1 a letter, 2 a
// terminator, 4 a letter that may not come out small (upper case leaves it
// as it is, or lower case changes it).
std::array<std::uint8_t, 256> makeKinds(CodePage page) {
  const PageLetters &letters = lettersOf(page);
  const std::array<std::uint8_t, 256> &classes = classesOf(page);
  std::array<std::uint8_t, 256> t{};
  for (unsigned c = 0; c < 256; ++c) {
    if (classes[c] == Letter)
      t[c] = 1;
    else if (classes[c] == Terminator)
      t[c] = 2;
    if (classes[c] == Letter &&
        (letters.upper[c] == c || letters.lower[c] != c))
      t[c] |= 4;
  }
  return t;
}

const std::array<std::uint8_t, 256> &kindsOf(CodePage page) {
  static const auto tables = [] {
    std::array<std::array<std::uint8_t, 256>, kRows> t{};
    for (std::size_t row = 0; row < kRows; ++row)
      t[row] = makeKinds(pageOfRow(row));
    return t;
  }();
  return tables[rowOf(page)];
}

#if !defined(__SSE2__)
// Bit 0 of each of eight bytes (the first byte lowest), packed into eight
// bits in the same order.
std::uint64_t packLowBits(std::uint64_t bytes) {
  return ((bytes & 0x0101010101010101ull) * 0x0102040810204080ull) >> 56;
}
#endif

// Smart case's view of each byte of a page in one entry: in bits 0..7
// what the plain rule makes of it (small; as it is with saveUpper), in
// bits 32..39 its kinds (makeKinds). Four entries shifted by 0, 8, 16 and
// 24 bits and or-ed together hold four plain bytes in the low half and
// their four kinds in the high half.
using SmartBytes = std::array<std::uint64_t, 256>;

SmartBytes makeSmartBytes(CodePage page, bool saveUpper) {
  const PageLetters &letters = lettersOf(page);
  const std::array<std::uint8_t, 256> &kinds = kindsOf(page);
  SmartBytes t{};
  for (unsigned c = 0; c < 256; ++c) {
    const std::uint64_t plain = saveUpper ? c : letters.lower[c];
    t[c] = plain | std::uint64_t{kinds[c]} << 32;
  }
  return t;
}

const SmartBytes &smartBytesOf(CodePage page, bool saveUpper) {
  static const auto tables = [] {
    // 2 * kRows tables of 2 KiB: on the heap.
    auto t = std::make_unique<std::array<SmartBytes, 2 * kRows>>();
    for (std::size_t row = 0; row < kRows; ++row) {
      (*t)[2 * row] = makeSmartBytes(pageOfRow(row), false);
      (*t)[2 * row + 1] = makeSmartBytes(pageOfRow(row), true);
    }
    return t;
  }();
  return (*tables)[2 * rowOf(page) + (saveUpper ? 1 : 0)];
}

// What the bytes of a chunk are, one bit per byte (the first byte lowest).
struct ChunkKinds {
  std::uint64_t letter = 0;
  std::uint64_t terminator = 0;
  std::uint64_t capital = 0;
};

// Four bytes of `in` through the table: their plain bytes stored at `out`,
// their kinds returned (the first byte's lowest).
inline std::uint64_t plainFour(const std::uint8_t *in, std::uint8_t *out,
                               const std::uint64_t *t) {
  const std::uint64_t w =
      t[in[0]] | t[in[1]] << 8 | t[in[2]] << 16 | t[in[3]] << 24;
  auto plain = static_cast<std::uint32_t>(w);
  if constexpr (std::endian::native == std::endian::big)
    plain = __builtin_bswap32(plain);
  std::memcpy(out, &plain, 4);
  return w >> 32;
}

// The plain rule of smart case over `size` (at most 64) bytes of `in` into
// `out`, and what each byte is. A whole chunk goes four bytes at a time:
// one table lookup per byte, one store per four bytes, no marks in memory.
ChunkKinds plainChunk(const std::uint8_t *in, std::uint8_t *out,
                      std::size_t size, const SmartBytes &table) {
  ChunkKinds kinds;
  const std::uint64_t *t = table.data();
  if (size == 64) {
#if defined(__SSE2__)
    // Sixteen kinds at a time: each bit moved to the top of its byte, the
    // tops gathered by movemask.
    for (std::size_t k = 0; k < 64; k += 16) {
      const auto low =
          static_cast<long long>(plainFour(in + k, out + k, t) |
                                 plainFour(in + k + 4, out + k + 4, t) << 32);
      const auto high =
          static_cast<long long>(plainFour(in + k + 8, out + k + 8, t) |
                                 plainFour(in + k + 12, out + k + 12, t) << 32);
      const __m128i marks = _mm_set_epi64x(high, low);
      const auto bits = [&](int shift) {
        return static_cast<std::uint64_t>(static_cast<unsigned>(
                   _mm_movemask_epi8(_mm_slli_epi16(marks, shift))))
               << k;
      };
      kinds.letter |= bits(7);
      kinds.terminator |= bits(6);
      kinds.capital |= bits(5);
    }
#else
    for (std::size_t k = 0; k < 64; k += 8) {
      const std::uint64_t marks = plainFour(in + k, out + k, t) |
                                  plainFour(in + k + 4, out + k + 4, t) << 32;
      kinds.letter |= packLowBits(marks) << k;
      kinds.terminator |= packLowBits(marks >> 1) << k;
      kinds.capital |= packLowBits(marks >> 2) << k;
    }
#endif
    return kinds;
  }
  for (std::size_t k = 0; k < size; ++k) {
    const std::uint64_t e = t[in[k]];
    out[k] = static_cast<std::uint8_t>(e);
    kinds.letter |= ((e >> 32) & 1u) << k;
    kinds.terminator |= ((e >> 33) & 1u) << k;
    kinds.capital |= ((e >> 34) & 1u) << k;
  }
  return kinds;
}

// The output so far as seen from slice position `pos`: the slice bytes
// before it (already converted), then the history kept from earlier slices.
class LookBack {
public:
  LookBack(const std::uint8_t *slice, std::size_t pos,
           const std::uint8_t *history, unsigned historySize)
      : slice_(slice), pos_(pos), history_(history), historySize_(historySize),
        size_(static_cast<unsigned>(
            std::min<std::size_t>(kCaseHistorySize, historySize + pos))) {}

  unsigned size() const { return size_; }
  // The byte `back` places before the current one (1 is the newest).
  std::uint8_t at(unsigned back) const {
    return back <= pos_ ? slice_[pos_ - back]
                        : history_[historySize_ - (back - pos_)];
  }

private:
  const std::uint8_t *slice_;
  std::size_t pos_;
  const std::uint8_t *history_;
  unsigned historySize_;
  unsigned size_;
};

bool isLineEnd(std::uint8_t c) { return c == kCr || c == kLf; }

enum class Lookahead { None, Small, NotSmall, Failed };

// How a letter that begins a word comes out of smart case (saveUpper
// aside), from the output before it and, for a capital right after a blank,
// whether a small letter follows (`next`, called only then).
enum class WordStart { Small, Capital, AsIs, ReadFailed };

template <typename Next>
WordStart wordStartCase(const LookBack &back, bool originalIsCapital,
                        const std::array<std::uint8_t, 256> &classes,
                        Next &&next) {
  if (back.size() == 0)
    return WordStart::Capital; // the walk passed the oldest byte
  const std::uint8_t newest = back.at(1);
  if (back.size() >= 4 && isLineEnd(newest) &&
      (back.at(2) == kHyphen ||
       (isLineEnd(back.at(2)) && back.at(3) == kHyphen)))
    return WordStart::Small; // a word continued after a hyphenated line end
  for (unsigned k = 1; k <= back.size(); ++k) {
    const std::uint8_t cls = classes[back.at(k)];
    if (cls == Letter)
      return WordStart::Small;
    if (cls == Terminator)
      return WordStart::Capital;
    if (cls == Blank && k == 1 && originalIsCapital) {
      const Lookahead following = next();
      if (following == Lookahead::Failed)
        return WordStart::ReadFailed;
      if (following == Lookahead::Small)
        return WordStart::AsIs;
    }
  }
  return WordStart::Capital; // the walk passed the oldest byte
}

// Appends the slice's output to the history, keeping the newest bytes.
void remember(CaseState &state, const std::uint8_t *bytes, std::size_t size) {
  if (size >= kCaseHistorySize) {
    std::memcpy(state.history, bytes + size - kCaseHistorySize,
                kCaseHistorySize);
    state.historySize = kCaseHistorySize;
    return;
  }
  const unsigned add = static_cast<unsigned>(size);
  const unsigned keep = std::min(state.historySize, kCaseHistorySize - add);
  std::memmove(state.history, state.history + state.historySize - keep, keep);
  std::memcpy(state.history + keep, bytes, add);
  state.historySize = keep + add;
}

// UTF-8. The Cyrillic letters U+0400..U+045F are the two-byte sequences
// D0 80..D1 9F: capitals D0 80..D0 AF, small letters D0 B0..D1 9F; Ґ and ґ
// are D2 90 and D2 91. A D0, D1 or D2 byte always begins a character, so
// each output byte follows from the byte, the one before it and the one
// after it, whatever lies around them.

// The upper case of byte c of a UTF-8 text, p being the byte before it and
// x the byte after it (0 for none). Branch-free, so that loops over it
// vectorise.
inline std::uint8_t upperUtf8Byte(std::uint8_t p, std::uint8_t c,
                                  std::uint8_t x) {
  const bool ascii = static_cast<std::uint8_t>(c - 'a') < 26;
  // a..p (D0 B0..BF) -> A..P (D0 90..9F)
  const bool d0 = (p == 0xD0) & (static_cast<std::uint8_t>(c - 0xB0) < 16);
  // r..ya (D1 80..8F) -> R..Ya (D0 A0..AF)
  const bool d1Low = (p == 0xD1) & (static_cast<std::uint8_t>(c - 0x80) < 16);
  // U+0450..045F (D1 90..9F) -> U+0400..040F (D0 80..8F)
  const bool d1High = (p == 0xD1) & (static_cast<std::uint8_t>(c - 0x90) < 16);
  const bool lead = (c == 0xD1) & (static_cast<std::uint8_t>(x - 0x80) < 32);
  // ґ (D2 91) -> Ґ (D2 90)
  const bool ghe = (p == 0xD2) & (c == 0x91);
  return static_cast<std::uint8_t>(c - ((ascii | d0) << 5) + (d1Low << 5) -
                                   (d1High << 4) - lead - ghe);
}

// Lower case, as upperUtf8Byte.
inline std::uint8_t lowerUtf8Byte(std::uint8_t p, std::uint8_t c,
                                  std::uint8_t x) {
  const bool ascii = static_cast<std::uint8_t>(c - 'A') < 26;
  // A..P (D0 90..9F) -> a..p (D0 B0..BF)
  const bool d0Mid = (p == 0xD0) & (static_cast<std::uint8_t>(c - 0x90) < 16);
  // R..Ya (D0 A0..AF) -> r..ya (D1 80..8F)
  const bool d0High = (p == 0xD0) & (static_cast<std::uint8_t>(c - 0xA0) < 16);
  // U+0400..040F (D0 80..8F) -> U+0450..045F (D1 90..9F)
  const bool d0Low = (p == 0xD0) & (static_cast<std::uint8_t>(c - 0x80) < 16);
  const bool lead = (c == 0xD0) & ((static_cast<std::uint8_t>(x - 0x80) < 16) |
                                   (static_cast<std::uint8_t>(x - 0xA0) < 16));
  // Ґ (D2 90) -> ґ (D2 91)
  const bool ghe = (p == 0xD2) & (c == 0x90);
  return static_cast<std::uint8_t>(c + ((ascii | d0Mid) << 5) - (d0High << 5) +
                                   (d0Low << 4) + lead + ghe);
}

// The case of w[0, n) into out[0, n): `before` is the byte before w[0],
// `after` the byte after w[n - 1] (0 for none).
template <std::uint8_t (*Convert)(std::uint8_t, std::uint8_t, std::uint8_t)>
void convertUtf8(const std::uint8_t *w, std::size_t n, std::uint8_t before,
                 std::uint8_t after, std::uint8_t *out) {
  if (n == 0)
    return;
  if (n == 1) {
    out[0] = Convert(before, w[0], after);
    return;
  }
  out[0] = Convert(before, w[0], w[1]);
  for (std::size_t k = 1; k + 1 < n; ++k)
    out[k] = Convert(w[k - 1], w[k], w[k + 1]);
  out[n - 1] = Convert(w[n - 2], w[n - 1], after);
}

// The byte standing for a character in the look-back: ASCII as it is, any
// letter as a letter byte, every other character (and a byte that starts
// none) as a blank.
std::uint8_t lookBackByte(const Utf8Char &unit) {
  if (!unit.ok())
    return 0x80;
  if (unit.code < 0x80)
    return static_cast<std::uint8_t>(unit.code);
  return isUtf8Letter(unit.code) ? 0xC0 : 0x80;
}

// Smart case of the characters of w[0, m) into `out`, as far as each
// character's next character is at hand (or the file ends after w[m - 1]
// when `last`). Returns the number of bytes handled.
std::size_t smartUtf8(CaseState &state, const std::uint8_t *w, std::size_t m,
                      bool last, std::uint8_t *out) {
  const auto unitAt = [&](std::size_t i) {
    return last ? decodeUtf8AtEnd(w + i, m - i) : decodeUtf8(w + i, m - i);
  };
  state.letters.resize(m);
  std::uint8_t *marks = state.letters.data(); // one byte per character
  const auto &lookBackClass = utf8LookBackClasses();
  std::size_t count = 0;
  std::size_t i = 0;
  // No unit: the end of w, or a sequence cut by it.
  constexpr Utf8Char kNone{Utf8Status::Incomplete, 0, 0};
  Utf8Char unit = m > 0 ? unitAt(0) : kNone;
  while (i < m && unit.length > 0) {
    const std::size_t j = i + unit.length;
    Utf8Char next = kNone;
    if (j < m) {
      next = unitAt(j);
      if (next.status == Utf8Status::Incomplete)
        break;
    } else if (!last) {
      break;
    }
    const std::uint32_t c = unit.code;
    if (!isUtf8Letter(c)) {
      std::memcpy(out + i, w + i, unit.length);
    } else {
      std::uint32_t cur = toLowerCodePoint(c);
      const LookBack back(marks, count, state.history, state.historySize);
      if (state.saveUpper && cur != c) {
        cur = c;
      } else if (back.size() == 0 || lookBackClass[back.at(1)] != Letter) {
        const auto following = [&] {
          if (next.status == Utf8Status::Incomplete)
            return Lookahead::None;
          return isUtf8Small(next.code) ? Lookahead::Small
                                        : Lookahead::NotSmall;
        };
        switch (
            wordStartCase(back, isUtf8Capital(c), lookBackClass, following)) {
        case WordStart::Small:
        case WordStart::ReadFailed: // nothing is read ahead here
          break;
        case WordStart::Capital:
          cur = toUpperCodePoint(cur);
          break;
        case WordStart::AsIs:
          cur = c;
          break;
        }
      }
      encodeUtf8(cur, out + i);
    }
    marks[count++] = lookBackByte(unit);
    i = j;
    unit = next;
  }
  remember(state, marks, count);
  return i;
}

StepResult caseSliceUtf8(SliceStream &job, CaseState &state) {
  // The last slice is handled whole, so nothing is left at the end.
  if (job.atEnd())
    return finishStream(job);
  if (!job.readSlice())
    return StepResult::ReadFailed;
  const std::uint8_t *w = job.slice;
  const std::size_t m = job.bytesRead;
  const bool last = job.processed + m >= job.fileSize;
  std::uint8_t *out = job.outputSpace(m);

  // What is not handled now (a lead byte waiting for its partner, a
  // character whose next one is not at hand) is left unconsumed: it comes
  // again at the front of the next slice.
  std::size_t done = m;
  if (state.operation != CaseOperation::Smart) {
    if (!last && m > 0 && (w[m - 1] == 0xD0 || w[m - 1] == 0xD1))
      done = m - 1;
    const std::uint8_t after = done < m ? w[done] : 0;
    if (state.operation == CaseOperation::Upper)
      convertUtf8<upperUtf8Byte>(w, done, state.previousOriginal, after, out);
    else
      convertUtf8<lowerUtf8Byte>(w, done, state.previousOriginal, after, out);
  } else {
    done = smartUtf8(state, w, m, last, out);
  }
  if (done > 0)
    state.previousOriginal = w[done - 1];
  job.slicePos = done;
  job.processed += done;
  if (!job.commitOutput(done))
    return StepResult::WriteFailed;
  return StepResult::Continue;
}

} // namespace

CaseState::CaseState(CaseOperation op, bool keepUpper, TextEncoding enc,
                     CodePage filePage)
    : operation(op), saveUpper(keepUpper), encoding(enc), page(filePage) {}

StepResult caseSlice(SliceStream &job, CaseState &state) {
  if (state.encoding == TextEncoding::Utf8)
    return caseSliceUtf8(job, state);
  if (job.atEnd())
    return finishStream(job);
  if (!job.readSlice())
    return StepResult::ReadFailed;

  // The slice as read, and its output, written straight into the stream's
  // output.
  const std::uint8_t *orig = job.slice;
  const std::size_t size = job.bytesRead;
  std::uint8_t *bytes = job.outputSpace(size);
  const bool lastSliceOfFile = job.processed + size >= job.fileSize;
  const PageLetters &letters = lettersOf(state.page);

  if (state.operation == CaseOperation::Upper) {
    mapSlice(orig, bytes, size, letters.upper, yoOf(state.page, false));
  } else if (state.operation == CaseOperation::Lower) {
    mapSlice(orig, bytes, size, letters.lower, yoOf(state.page, true));
  } else {
    const auto &classes = classesOf(state.page);
    const auto isSmallLetter = [&](std::uint8_t c) {
      return letters.upper[c] != c;
    };
    // Only a letter that begins a word can come out other than as the
    // plain rule gives it (small, or as it is with saveUpper): every other
    // byte's output follows from the byte alone, because case conversion
    // keeps letters letters. So each chunk of 64 bytes is converted by the
    // plain rule, which also tells what its bytes are, and the word starts
    // that may differ are then decided one by one, in order, each looking
    // back over output that is already final.
    const SmartBytes &plain = smartBytesOf(state.page, state.saveUpper);

    // The next input byte after position i, for the capitalised-word rule.
    auto nextByte = [&](std::size_t i) {
      std::uint8_t next = 0;
      if (i + 1 < size)
        next = orig[i + 1];
      else if (lastSliceOfFile)
        return Lookahead::None;
      else if (!job.peekNextByte(next))
        return Lookahead::Failed;
      return isSmallLetter(next) ? Lookahead::Small : Lookahead::NotSmall;
    };

    // Only a word start can come out other than small (as it is with
    // saveUpper), and only where the walk back in wordStartCase may end
    // otherwise: after a terminator (the nearest letter or terminator
    // before it being a terminator), with no letter or terminator within
    // the look-back (the file's first letters among them), or on a capital
    // (a capitalised word, saveUpper). Those candidates are found 64 bytes
    // at a time from bit masks of the slice's letters, terminators and
    // capitals, and each is decided by the walk; every other word start is
    // small already.
    const platform::FileSize sliceAt = job.processed;
    for (std::size_t base = 0; base < size; base += 64) {
      const ChunkKinds kinds =
          plainChunk(orig + base, bytes + base,
                     std::min<std::size_t>(64, size - base), plain);
      const std::uint64_t letter = kinds.letter;
      const std::uint64_t terminator = kinds.terminator;
      const std::uint64_t capital = kinds.capital;
      const std::uint64_t significant = letter | terminator;
      const std::uint64_t gap = ~significant;
      // The first letter or terminator after each terminator (and after
      // one before the chunk): a carry through the gap that follows it.
      const std::uint64_t afterTerminator =
          (gap + ((terminator << 1) | state.afterTerminator)) & significant;
      std::uint64_t candidates = afterTerminator & letter;
      const std::uint64_t starts = letter & ~((letter << 1) | state.lastLetter);
      candidates |= starts & capital;
      if (significant != 0) {
        const unsigned first =
            static_cast<unsigned>(std::countr_zero(significant));
        const platform::FileSize at = sliceAt + base + first;
        if (!state.seenSignificant ||
            at - state.lastSignificant > kCaseHistorySize)
          candidates |= letter & (std::uint64_t{1} << first);
        const unsigned lastBit =
            63u - static_cast<unsigned>(std::countl_zero(significant));
        state.lastSignificant = sliceAt + base + lastBit;
        state.seenSignificant = true;
        state.afterTerminator = (terminator >> lastBit) & 1u;
      }
      state.lastLetter = letter >> 63;
      while (candidates) {
        const std::size_t i =
            base + static_cast<std::size_t>(std::countr_zero(candidates));
        candidates &= candidates - 1;
        const std::uint8_t original = orig[i];
        std::uint8_t cur = letters.lower[original];
        const LookBack back(bytes, i, state.history, state.historySize);
        if (state.saveUpper && cur != original) {
          cur = original;
        } else {
          switch (wordStartCase(back, !isSmallLetter(original), classes,
                                [&] { return nextByte(i); })) {
          case WordStart::Small:
            break;
          case WordStart::Capital:
            cur = letters.upper[cur];
            break;
          case WordStart::AsIs:
            cur = original; // a capitalised word stays as it is
            break;
          case WordStart::ReadFailed:
            return StepResult::ReadFailed;
          }
        }
        if (back.size() == 0)
          cur = letters.upper[cur]; // the first byte of the file
        bytes[i] = cur;
      }
    }
    remember(state, bytes, size);
  }

  job.processed += size;
  if (!job.commitOutput(size))
    return StepResult::WriteFailed;
  return StepResult::Continue;
}

} // namespace snpln::engine
