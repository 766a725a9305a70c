#include "engine/line_io.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace snpln::engine {

void mapLineEnds(const std::uint8_t *bytes, std::size_t size,
                 std::uint64_t *words) {
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8(static_cast<char>(kCr));
  const __m128i lf = _mm_set1_epi8(static_cast<char>(kLf));
  for (; size - i >= 64; i += 64) {
    std::uint64_t word = 0;
    for (std::size_t k = 0; k < 64; k += 16) {
      const __m128i v =
          _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes + i + k));
      const __m128i hit =
          _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf));
      word |= static_cast<std::uint64_t>(
                  static_cast<std::uint16_t>(_mm_movemask_epi8(hit)))
              << k;
    }
    words[i / 64] = word;
  }
#endif
  for (; i < size; i += 64) {
    std::uint64_t word = 0;
    const std::size_t n = std::min<std::size_t>(64, size - i);
    for (std::size_t k = 0; k < n; ++k)
      word |= static_cast<std::uint64_t>(isLineEndByte(bytes[i + k])) << k;
    words[i / 64] = word;
  }
}

namespace {

// The index of the first CR or LF in the slice at or after slicePos, or
// bytesRead. The slice is mapped as the searches reach into it, a few words
// at a time from the word of the first search on (searches only move
// forward through a slice), so a slice whose lines are mostly read another
// way costs only the part searched.
std::size_t nextLineEnd(const SliceStream &job, LineBuffer &line) {
  constexpr std::size_t kWordsPerMap = 4;
  const platform::FileSize sliceStart = job.processed - job.slicePos;
  const std::size_t wordCount = (job.bytesRead + 63) / 64;
  std::size_t w = job.slicePos / 64;
  if (line.mappedSliceStart != sliceStart) {
    line.mappedSliceStart = sliceStart;
    if (line.lineEnds.size() < wordCount)
      line.lineEnds.resize(wordCount);
    line.mappedWords = w;
  }
  const auto wordAt = [&](std::size_t at) {
    if (at >= line.mappedWords) {
      const std::size_t to = std::min(wordCount, at + kWordsPerMap);
      const std::size_t from = line.mappedWords * 64;
      mapLineEnds(job.slice + from, std::min(job.bytesRead, to * 64) - from,
                  line.lineEnds.data() + line.mappedWords);
      line.mappedWords = to;
    }
    return line.lineEnds[at];
  };
  std::uint64_t word = wordAt(w) & (~std::uint64_t{0} << (job.slicePos % 64));
  while (word == 0) {
    if (++w == wordCount)
      return job.bytesRead;
    word = wordAt(w);
  }
  return w * 64 + static_cast<std::size_t>(std::countr_zero(word));
}

// Makes sure an unhandled byte is in the slice. False with `result` set when
// the file is used up (Continue) or the read failed (ReadFailed).
bool haveByte(SliceStream &job, StepResult &result) {
  if (job.slicePos < job.bytesRead)
    return true;
  if (job.atEnd()) {
    result = StepResult::Continue;
    return false;
  }
  if (!job.readSlice()) {
    result = StepResult::ReadFailed;
    return false;
  }
  return true;
}

} // namespace

LineBuffer::LineBuffer() { bytes.grow(kLineLimit, 0); }

StepResult readLine(SliceStream &job, LineBuffer &line) {
  line.data = line.bytes.data();
  line.length = 0;
  line.lineEndLength = 0; // until a line end is found
  StepResult result = StepResult::Continue;
  for (;;) {
    if (!haveByte(job, result))
      return result; // used up inside the line: it ends here
    const std::size_t start = job.slicePos;
    const std::size_t at = nextLineEnd(job, line);
    const std::size_t count = at - start;
    if (count > line.limit - line.length)
      return StepResult::LineTooLong;
    const std::uint8_t *begin = job.slice + start;
    job.slicePos = at;
    job.processed += count;
    if (at < job.bytesRead - 1 && line.length == 0) {
      // The line and its line end's first byte lie inside the slice, and the
      // partner check below needs no read: use the slice as it is.
      line.data = begin;
      line.length = count;
    } else {
      // The slice ends inside the line or with its line end: the next read
      // will overwrite the slice, so the line is gathered.
      if (count > 0)
        std::memcpy(line.bytes.data() + line.length, begin, count);
      line.length += count;
      if (at == job.bytesRead)
        continue;
    }

    // A line end: take it, and its partner when one follows.
    const std::uint8_t first = job.slice[at];
    ++job.slicePos;
    ++job.processed;
    line.lineEnd[0] = first;
    line.lineEndLength = 1;
    if (!haveByte(job, result))
      return result;
    const std::uint8_t partner = lineEndPartner(first);
    if (job.slice[job.slicePos] == partner) {
      ++job.slicePos;
      ++job.processed;
      line.lineEnd[1] = partner;
      line.lineEndLength = 2;
    }
    return StepResult::Continue;
  }
}

namespace {

bool isBlankByte(std::uint8_t b) { return b == 0x20 || b == 0x09; }

// Whether the line from `start` holds a byte that is neither a blank nor a
// line end before its line end, within the slice: text whatever follows.
bool beginsText(const SliceStream &job, std::size_t start) {
  while (start < job.bytesRead && isBlankByte(job.slice[start]))
    ++start;
  return start < job.bytesRead && !isLineEndByte(job.slice[start]);
}

#if defined(__SSE2__)
// The text lines from slicePos on, sixteen bytes at a time: a line end
// after which the next line is no text stops the scan (after its own
// line), and so does a line longer than line.limit,
// the budget, or the last 18 bytes of the slice. Moves slicePos past the
// lines taken.
std::size_t scanTextLines(SliceStream &job, const LineBuffer &line,
                          std::size_t &budget) {
  const __m128i cr = _mm_set1_epi8(static_cast<char>(kCr));
  const __m128i lf = _mm_set1_epi8(static_cast<char>(kLf));
  const __m128i space = _mm_set1_epi8(0x20);
  const __m128i tab = _mm_set1_epi8(0x09);
  const auto ends = [&](__m128i v) {
    return _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf));
  };
  const auto blanks = [&](__m128i v) {
    return _mm_or_si128(_mm_cmpeq_epi8(v, space), _mm_cmpeq_epi8(v, tab));
  };
  const std::uint8_t *const bytes = job.slice;
  std::size_t lineStart = job.slicePos;
  std::size_t partnerAt = ~std::size_t{0}; // a pair's second byte
  std::size_t lines = 0;
  bool stop = false;
  for (std::size_t i = lineStart; !stop && i + 18 <= job.bytesRead; i += 16) {
    const auto load = [&](std::size_t at) {
      return _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes + at));
    };
    const __m128i v0 = load(i), v1 = load(i + 1), v2 = load(i + 2);
    const __m128i e0 = ends(v0), e1 = ends(v1);
    // Where the next line may be empty or begin with a blank: the byte
    // after a line end is a blank or the same line end byte, or a line
    // end and its next one a blank or a line end.
    const __m128i doubt = _mm_and_si128(
        e0,
        _mm_or_si128(_mm_or_si128(blanks(v1), _mm_cmpeq_epi8(v0, v1)),
                     _mm_and_si128(e1, _mm_or_si128(ends(v2), blanks(v2)))));
    unsigned endBits = static_cast<unsigned>(_mm_movemask_epi8(e0));
    const unsigned doubtBits = static_cast<unsigned>(_mm_movemask_epi8(doubt));
    if (endBits == 0 && i + 16 - lineStart > line.limit)
      break;
    while (endBits != 0) {
      const unsigned k = static_cast<unsigned>(std::countr_zero(endBits));
      endBits &= endBits - 1;
      const std::size_t end = i + k;
      if (end == partnerAt)
        continue;
      const std::size_t length = end - lineStart;
      if (length > line.limit || budget >= kLineStepBudget) {
        stop = true;
        break;
      }
      const bool pair = bytes[end + 1] == lineEndPartner(bytes[end]);
      partnerAt = end + 1;
      lineStart = end + (pair ? 2 : 1);
      budget += length;
      ++lines;
      // The next line may be empty, or text after blanks.
      if ((doubtBits >> k & 1u) != 0 && !beginsText(job, lineStart)) {
        stop = true;
        break;
      }
    }
  }
  job.processed += lineStart - job.slicePos;
  job.slicePos = lineStart;
  return lines;
}
#endif

} // namespace

std::size_t copyTextLines(SliceStream &job, LineBuffer &line,
                          std::size_t &budget, StepResult &result) {
  result = StepResult::Continue;
  const std::size_t from = job.slicePos;
  std::size_t lines = 0;
  if (beginsText(job, job.slicePos)) {
#if defined(__SSE2__)
    lines = scanTextLines(job, line, budget);
#endif
    // The rest of the slice line by line, as long as each line ahead is
    // text and its line end's next byte is in the slice.
    while (budget < kLineStepBudget && beginsText(job, job.slicePos)) {
      const std::size_t end = nextLineEnd(job, line);
      if (end + 1 >= job.bytesRead)
        break;
      const std::size_t length = end - job.slicePos;
      if (length > line.limit)
        break;
      const std::size_t next =
          end + (job.slice[end + 1] == lineEndPartner(job.slice[end]) ? 2 : 1);
      job.processed += next - job.slicePos;
      job.slicePos = next;
      budget += length;
      ++lines;
    }
  }
  if (const std::size_t taken = job.slicePos - from; taken > 0) {
    std::memcpy(job.outputSpace(taken), job.slice + from, taken);
    if (!job.commitOutput(taken))
      result = StepResult::WriteFailed;
  }
  return lines;
}

StepResult commitLine(SliceStream &job, LineBuffer &line, std::size_t length) {
  std::uint8_t *end = lineSpace(job) + length;
  end[0] = line.lineEnd[0];
  end[1] = line.lineEnd[1];
  return job.commitOutput(length + line.lineEndLength)
             ? StepResult::Continue
             : StepResult::WriteFailed;
}

StepResult writeLine(SliceStream &job, LineBuffer &line,
                     const std::uint8_t *bytes, std::size_t length) {
  if (length > 0)
    std::memcpy(lineSpace(job), bytes, length);
  return commitLine(job, line, length);
}

StepResult flushLines(SliceStream &job, LineBuffer &line) {
  (void)line;
  return job.flushOutput() ? StepResult::Continue : StepResult::WriteFailed;
}

} // namespace snpln::engine
