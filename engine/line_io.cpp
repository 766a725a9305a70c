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

namespace {

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
