#include "engine/optimize_slice.h"

#include <bit>
#include <cstring>

#include "engine/utf8_codec.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace snpln::engine {

namespace {

constexpr std::uint8_t kSpace = 0x20;
constexpr std::uint8_t kTab = 0x09;

bool isBlank(std::uint8_t b) { return b == kSpace || b == kTab; }

// The index of the first TAB in in[from, length), or length.
std::size_t findTab(const std::uint8_t *in, std::size_t from,
                    std::size_t length) {
  if (from >= length)
    return length;
  const void *hit = std::memchr(in + from, kTab, length - from);
  return hit != nullptr ? static_cast<std::size_t>(
                              static_cast<const std::uint8_t *>(hit) - in)
                        : length;
}

#if defined(__SSE2__)
// Segments of `stop` (at most 16) bytes from in[start], while at least 16
// bytes lie before `limit` and no TAB lies before it, so the only blank is
// SPACE. Each segment is copied whole (16 bytes, the surplus is overwritten
// later or lies past the result) and `o` moves past its kept bytes, and past
// a TAB when it ends with blanks. Returns where it stopped. Writes up to
// 16 bytes at `o`, which must be no further into `out` than `start` is into
// `in`.
std::size_t compressPlainSegments(const std::uint8_t *in, std::size_t start,
                                  std::size_t limit, std::uint8_t *&o,
                                  std::size_t stop) {
  const __m128i space = _mm_set1_epi8(static_cast<char>(kSpace));
  const unsigned segment = (1u << stop) - 1;
  while (limit - start >= 16) {
    const __m128i v =
        _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + start));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(o), v);
    const unsigned spaces =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, space)));
    const std::size_t kept = std::bit_width(~spaces & segment);
    o[kept] = kTab;
    o += kept + (kept < stop ? 1 : 0);
    start += stop;
  }
  return start;
}
#endif

// U+FEFF, the byte order mark (or a zero-width no-break space).
constexpr std::uint32_t kByteOrderMark = 0xFEFF;

// One character (or lone byte) at a time: the segment runs from `start` to
// the end of the character that reaches a tab stop or that is a TAB.
std::size_t compressTabsUtf8(const std::uint8_t *in, std::size_t length,
                             std::uint8_t *out, std::size_t stop) {
  std::uint8_t *o = out;
  std::size_t column = 0; // within the current tab stop's span
  std::size_t start = 0;
  const auto endSegment = [&](std::size_t end) {
    std::size_t kept = end;
    while (kept > start && isBlank(in[kept - 1]))
      --kept;
    std::memcpy(o, in + start, kept - start);
    o += kept - start;
    if (kept < end)
      *o++ = kTab;
    start = end;
  };
  std::size_t i = 0;
  while (i < length) {
    const Utf8Char unit = decodeUtf8AtEnd(in + i, length - i);
    const bool tab = in[i] == kTab;
    i += unit.length;
    if (unit.code == kByteOrderMark)
      continue; // no width: it takes no column
    if (tab || ++column == stop) {
      column = 0;
      endSegment(i);
    }
  }
  if (start < length)
    endSegment(length);
  return static_cast<std::size_t>(o - out);
}

} // namespace

// The line is cut into segments, each ending just after a TAB, at a tab stop
// (`stop` columns after the segment's start) or at the end of the line. A
// segment that ends with a non-blank byte stays as it is; any other keeps its
// bytes up to its last non-blank one and gets a TAB in place of the blanks
// after it. Unchanged segments are not copied one by one: the run of them
// since the last changed segment (in[run, start)) is copied at once.
std::size_t compressTabsInto(const std::uint8_t *in, std::size_t length,
                             std::uint8_t *out, int tabSize,
                             TextEncoding encoding) {
  const std::size_t stop = static_cast<std::size_t>(normalTabSize(tabSize));
  if (length == 0)
    return 0;
  if (encoding == TextEncoding::Utf8)
    return compressTabsUtf8(in, length, out, stop);
  std::uint8_t *o = out;
  std::size_t run = 0;
  std::size_t start = 0;
  std::size_t nextTab = findTab(in, 0, length);
  while (start < length) {
#if defined(__SSE2__)
    if (stop <= 16 && nextTab - start >= 16) {
      std::memcpy(o, in + run, start - run);
      o += start - run;
      run = start = compressPlainSegments(in, start, nextTab, o, stop);
    }
#endif
    // Whole segments before the next TAB (or the end) that end with a
    // non-blank byte stay: only their last byte needs a look.
    while (nextTab - start >= stop && in[start + stop - 1] != kSpace)
      start += stop;
    if (start == length)
      break;
    std::size_t end;
    const bool byTab = nextTab < length && nextTab - start < stop;
    if (byTab)
      end = nextTab + 1;
    else
      end = length - start > stop ? start + stop : length;
    if (!byTab && !isBlank(in[end - 1])) {
      start = end; // unchanged
      continue;
    }
    std::size_t kept = end - 1;
    while (kept > start && isBlank(in[kept - 1]))
      --kept;
    // Without the TAB that ends it a segment that ends with a blank always
    // changes: its blanks (at least one) become one TAB, or it is all
    // blanks.
    std::memcpy(o, in + run, kept - run);
    o += kept - run;
    *o++ = kTab;
    run = start = end;
    if (byTab)
      nextTab = findTab(in, end, length);
  }
  std::memcpy(o, in + run, length - run);
  o += length - run;
  return static_cast<std::size_t>(o - out);
}

OptimizeState::OptimizeState(int size, TextEncoding enc)
    : tabSize(normalTabSize(size)), encoding(enc) {}

StepResult optimizeSlice(SliceStream &job, OptimizeState &state) {
  LineBuffer &line = state.line;
  return lineStep(job, line, [&] {
    // Straight from the slice (or the gathered line) into the output.
    std::uint8_t *out = lineSpace(job);
    std::size_t length = compressTabsInto(line.data, line.length, out,
                                          state.tabSize, state.encoding);
    while (length > 0 && isBlank(out[length - 1]))
      --length;
    return commitLine(job, line, length);
  });
}

} // namespace snpln::engine
