#include "engine/optimize_slice.h"

#include <bit>
#include <cstring>

#include "engine/line_span.h"
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
// Segments of `stop` (at most 16) bytes from in[start], while more than 16
// bytes lie before `limit` and no TAB lies before it, so the only blank is
// SPACE. Each segment is copied whole (16 bytes, the surplus is overwritten
// later or lies past the result) and `o` moves past its kept bytes, and past
// a TAB when it ends with blanks. Returns where it stopped. Writes up to
// 17 bytes at `o` (a TAB after 16 kept ones), which must be no further into
// `out` than `start` is into `in`, so no byte past in[limit]'s place.
std::size_t compressPlainSegments(const std::uint8_t *in, std::size_t start,
                                  std::size_t limit, std::uint8_t *&o,
                                  std::size_t stop) {
  const __m128i space = _mm_set1_epi8(static_cast<char>(kSpace));
  const unsigned segment = (1u << stop) - 1;
  while (limit - start > 16) {
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

#if defined(__SSE2__)
// Bit i set where `test` holds for byte i of the 64 in `v`.
template <typename Test>
inline std::uint64_t mask64(const __m128i v[4], Test test) {
  const auto bits = [&](int k) {
    return static_cast<std::uint64_t>(
        static_cast<std::uint16_t>(_mm_movemask_epi8(test(v[k]))));
  };
  return bits(0) | bits(1) << 16 | bits(2) << 32 | bits(3) << 48;
}

// Segments from in[0] on, as long as each segment's bytes are ASCII and
// whole two-byte sequences (leads C2..DF) and it ends before the line:
// there each byte that continues no sequence is one character, and a
// segment of `stop` (at most 16) characters spans at most 32 bytes. The
// bytes of unchanged segments are copied at once, from in[run] on, when a
// segment changes and before it returns. Returns where it stopped: a
// segment's start, where the plain way goes on with column 0.
std::size_t compressTwoByteSegments(const std::uint8_t *in, std::size_t length,
                                    std::uint8_t *&o, std::size_t stop) {
  const __m128i continuationEnd = _mm_set1_epi8(-64);
  const __m128i leadBelow = _mm_set1_epi8(-63);
  const __m128i leadAbove = _mm_set1_epi8(-32);
  const __m128i tab = _mm_set1_epi8(static_cast<char>(kTab));
  const __m128i space = _mm_set1_epi8(static_cast<char>(kSpace));
  std::size_t start = 0;
  std::size_t run = 0;
  // The last bytes of the line, fewer than 64, are looked at in a copy.
  std::uint8_t tail[64];
  bool plain = true;
  while (plain && start < length) {
    const std::size_t ahead = length - start;
    const std::uint8_t *window = in + start;
    if (ahead < 64) {
      const __m128i filler = _mm_set1_epi8('x');
      for (int k = 0; k < 4; ++k)
        _mm_storeu_si128(reinterpret_cast<__m128i *>(tail + 16 * k), filler);
      std::memcpy(tail, window, ahead);
      window = tail;
    }
    __m128i v[4];
    for (int k = 0; k < 4; ++k)
      v[k] =
          _mm_loadu_si128(reinterpret_cast<const __m128i *>(window + 16 * k));
    // Signed: 80..BF are below -64, C2..DF are -62..-33.
    const std::uint64_t cont = mask64(
        v, [&](__m128i x) { return _mm_cmplt_epi8(x, continuationEnd); });
    const std::uint64_t lead = mask64(v, [&](__m128i x) {
      return _mm_and_si128(_mm_cmpgt_epi8(x, leadBelow),
                           _mm_cmplt_epi8(x, leadAbove));
    });
    const std::uint64_t other =
        mask64(v, [](__m128i x) { return x; }) & ~(cont | lead);
    const std::uint64_t tabs =
        mask64(v, [&](__m128i x) { return _mm_cmpeq_epi8(x, tab); });
    const std::uint64_t blanks =
        tabs | mask64(v, [&](__m128i x) { return _mm_cmpeq_epi8(x, space); });
    // Segments while the one that follows lies within the 64 bytes.
    std::size_t at = 0;
    while (at <= 32) {
      std::uint64_t starts = ~cont >> at;
      for (std::size_t k = 1; k < stop; ++k)
        starts &= starts - 1;
      const auto last = static_cast<std::size_t>(std::countr_zero(starts));
      if (last >= 31) { // not the bytes of the segment this way takes
        plain = false;
        break;
      }
      std::size_t end = last + ((lead >> (at + last)) & 1u) + 1;
      std::uint64_t span = (std::uint64_t{1} << end) - 1;
      const std::uint64_t tabsIn = (tabs >> at) & span;
      if (tabsIn != 0) {
        end = static_cast<std::size_t>(std::countr_zero(tabsIn)) + 1;
        span = (std::uint64_t{1} << end) - 1;
      }
      if (at + end > ahead || ((other >> at) & span) != 0 ||
          ((cont >> at) & span) != ((lead << 1 >> at) & span)) {
        plain = false;
        break;
      }
      const std::size_t segment = start + at;
      at += end;
      const bool changed = tabsIn != 0 || in[segment + end - 1] == kSpace;
      if (run == segment && length - segment > 32) {
        // Without a branch on the segment: its 32 bytes are stored whole
        // (the output lies no further on than the input, so the stores and
        // the TAB stay before in[length]'s place), and the output moves
        // past its kept bytes and TAB, or past it all when it stays.
        const __m128i *from = reinterpret_cast<const __m128i *>(in + segment);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(o), _mm_loadu_si128(from));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(o + 16),
                         _mm_loadu_si128(from + 1));
        const auto kept = static_cast<std::size_t>(
            std::bit_width(~(blanks >> (at - end)) & span));
        const std::size_t taken = changed ? kept : end;
        o[taken] = kTab;
        o += taken + (changed ? 1 : 0);
        run = start + at;
        continue;
      }
      if (!changed)
        continue;
      const std::size_t kept =
          segment + static_cast<std::size_t>(
                        std::bit_width(~(blanks >> (at - end)) & span));
      std::memcpy(o, in + run, kept - run);
      o += kept - run;
      *o++ = kTab;
      run = start + at;
    }
    start += at;
  }
  std::memcpy(o, in + run, start - run);
  o += start - run;
  return start;
}
#endif

// One character (or lone byte) at a time: the segment runs from `start` to
// the end of the character that reaches a tab stop or that is a TAB.
std::size_t compressTabsUtf8(const std::uint8_t *in, std::size_t length,
                             std::uint8_t *out, std::size_t stop) {
  std::uint8_t *o = out;
  std::size_t column = 0; // within the current tab stop's span
  std::size_t start = 0;
#if defined(__SSE2__)
  if (stop <= 16)
    start = compressTwoByteSegments(in, length, o, stop);
#endif
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
  std::size_t i = start;
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
    if (stop <= 16 && nextTab - start > 16) {
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

namespace {

#if defined(__SSE2__)
// The number of bits up to the highest set bit of `bits` (0 for none),
// without the branch a zero would need.
inline std::size_t keptOf(unsigned bits) {
  return static_cast<std::size_t>(std::bit_width((bits << 1) | 1u)) - 1;
}

// The lines of a single-byte text from in[0], each found and transformed in
// one pass, while they lie whole in the `size` bytes at `in` together with
// the byte after their line end's first byte (which tells whether a partner
// follows), the scan reaches each line end with 16 bytes still to load, and
// they total less than `budget` bytes; `stop` is at most 16. Writes their
// transforms, trailing blanks removed, each with its line end, at `o` (room
// for the `size` bytes and 17 more) and moves `o` past them; adds their
// lengths to `budget`. Returns the bytes consumed, and sets `stuck` when it
// stopped at a line it could not take (one longer than `limit` among
// them): the caller reads that one the plain way.
//
// Each turn loads the 16 bytes from the current segment's start and
// stores them whole at the output; the segment is the bytes before the
// first TAB or line end among its `stop` bytes, or all `stop` bytes. A
// segment that ends with a TAB or with SPACEs keeps its bytes up to its last
// non-blank one and a TAB; any other stays as it is.
std::size_t compressLinesInPlace(const std::uint8_t *in, std::size_t size,
                                 std::uint8_t *&o, std::size_t stop,
                                 std::size_t &budget, bool &stuck,
                                 std::size_t limit) {
  const __m128i space = _mm_set1_epi8(static_cast<char>(kSpace));
  const __m128i tab = _mm_set1_epi8(static_cast<char>(kTab));
  const __m128i cr = _mm_set1_epi8(static_cast<char>(kCr));
  const __m128i lf = _mm_set1_epi8(static_cast<char>(kLf));
  const unsigned segment = (1u << stop) - 1;
  std::uint8_t *lineOut = o; // where the current line's transform begins
  std::size_t lineStart = 0;
  std::size_t pos = 0;
  while (size - pos >= 16 && pos - lineStart <= limit) {
    const __m128i v =
        _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + pos));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(o), v);
    const unsigned spaces =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, space)));
    const unsigned tabs =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, tab)));
    const unsigned ends = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))));
    if (stop == 8 && (tabs | ends) == 0) {
      // Two whole segments: the low one is in place already.
      const std::size_t keptLow = keptOf(~spaces & 0xFFu);
      o[keptLow] = kTab;
      o += keptLow + (keptLow < 8 ? 1 : 0);
      const std::size_t keptHigh = keptOf(~(spaces >> 8) & 0xFFu);
      _mm_storel_epi64(reinterpret_cast<__m128i *>(o),
                       _mm_unpackhi_epi64(v, v));
      o[keptHigh] = kTab;
      o += keptHigh + (keptHigh < 8 ? 1 : 0);
      pos += 16;
      continue;
    }
    const unsigned cut = (tabs | ends) & segment;
    if (cut == 0) {
      const std::size_t kept = keptOf(~spaces & segment);
      o[kept] = kTab;
      o += kept + (kept < stop ? 1 : 0);
      pos += stop;
      continue;
    }
    const unsigned first = static_cast<unsigned>(std::countr_zero(cut));
    // Before the first TAB or line end the only blank is SPACE.
    const std::size_t kept = keptOf(~spaces & ((1u << first) - 1));
    if ((tabs >> first & 1u) != 0) {
      o[kept] = kTab;
      o += kept + 1;
      pos += first + 1;
      continue;
    }
    const std::size_t end = pos + first;
    if (end + 1 >= size || end - lineStart > limit)
      break;
    o += kept;
    while (o > lineOut && isBlank(o[-1]))
      --o;
    const std::uint8_t lineEnd = in[end];
    const std::uint8_t partner = lineEndPartner(lineEnd);
    const std::size_t endLength = in[end + 1] == partner ? 2 : 1;
    o[0] = lineEnd;
    o[1] = partner;
    o += endLength;
    budget += end - lineStart;
    pos = lineStart = end + endLength;
    lineOut = o;
    if (budget >= kLineStepBudget)
      return lineStart;
  }
  stuck = true;
  o = lineOut;
  return lineStart;
}

// Lines that lie whole in the slice, each found and transformed in one pass
// straight into the output, until they total `budget` bytes or one cannot be
// taken that way. The output has room for the slice and 32 bytes more: no
// line grows, and the stores past a line's end reach 17 bytes at most. A
// used-up slice is followed by the next one. Continue, ReadFailed or
// WriteFailed.
StepResult fastLines(SliceStream &job, std::size_t stop, std::size_t &budget,
                     std::size_t limit) {
  while (budget < kLineStepBudget && !job.atEnd()) {
    if (job.slicePos == job.bytesRead && !job.readSlice())
      return StepResult::ReadFailed;
    const std::size_t size = job.bytesRead - job.slicePos;
    std::uint8_t *const out = job.outputSpace(size + 32);
    std::uint8_t *o = out;
    bool stuck = false;
    const std::size_t at = compressLinesInPlace(job.slice + job.slicePos, size,
                                                o, stop, budget, stuck, limit);
    job.slicePos += at;
    job.processed += at;
    if (!job.commitOutput(static_cast<std::size_t>(o - out)))
      return StepResult::WriteFailed;
    // A slice used up to its last byte is followed by the next one.
    if (stuck && at < size)
      break;
  }
  return StepResult::Continue;
}
#endif

StepResult optimizeLine(SliceStream &job, OptimizeState &state) {
  LineBuffer &line = state.line;
  // Straight from the slice (or the gathered line) into the output.
  std::uint8_t *out = lineSpace(job);
  std::size_t length = compressTabsInto(line.data, line.length, out,
                                        state.tabSize, state.encoding);
  while (length > 0 && isBlank(out[length - 1]))
    --length;
  return commitLine(job, line, length);
}

} // namespace

StepResult optimizeSlice(SliceStream &job, OptimizeState &state) {
  LineBuffer &line = state.line;
#if defined(__SSE2__)
  if (state.encoding == TextEncoding::SingleByte && state.tabSize <= 16) {
    if (job.atEnd())
      return finishStream(job);
    const std::size_t stop = static_cast<std::size_t>(state.tabSize);
    std::size_t budget = 0;
    for (;;) {
      const StepResult fast = fastLines(job, stop, budget, line.limit);
      if (fast != StepResult::Continue)
        return fast;
      if (job.atEnd() || budget >= kLineStepBudget)
        return StepResult::Continue;
      // A line the fast way could not take: the plain way.
      StepResult r = readLine(job, line);
      if (r != StepResult::Continue)
        return r;
      budget += line.length;
      r = optimizeLine(job, state);
      if (r != StepResult::Continue)
        return r;
    }
  }
#endif
  return lineStep(job, line, [&] { return optimizeLine(job, state); });
}

} // namespace snpln::engine
