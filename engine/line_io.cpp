#include "engine/line_io.h"

#include <cstring>

namespace snpln::engine {

namespace {

constexpr std::uint8_t kCr = 0x0D;
constexpr std::uint8_t kLf = 0x0A;

bool isLineEnd(std::uint8_t b) { return b == kCr || b == kLf; }

// The first CR or LF in [p, end), or end. Eight bytes at a time while none
// of them can be one: a word has a zero byte exactly when
// (w - 0x01..) & ~w & 0x80.. is not zero.
const std::uint8_t *findLineEnd(const std::uint8_t *p,
                                const std::uint8_t *end) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
  const auto hasZero = [](std::uint64_t w) {
    return ((w - kOnes) & ~w & kHighs) != 0;
  };
  while (end - p >= 8) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    if (hasZero(w ^ (kOnes * kCr)) || hasZero(w ^ (kOnes * kLf)))
      break;
    p += 8;
  }
  while (p != end && !isLineEnd(*p))
    ++p;
  return p;
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

LineBuffer::LineBuffer() : bytes(kLineLimit) {
  output.reserve(kOutputFlushSize + kLineLimit + 2);
}

StepResult readLine(SliceStream &job, LineBuffer &line) {
  line.length = 0;
  StepResult result = StepResult::Continue;
  for (;;) {
    if (!haveByte(job, result))
      return result; // used up inside the line: it ends here
    const std::uint8_t *begin = job.sliceBuffer.data() + job.slicePos;
    const std::uint8_t *end = job.sliceBuffer.data() + job.bytesRead;
    const std::uint8_t *p = findLineEnd(begin, end);
    const std::size_t count = static_cast<std::size_t>(p - begin);
    if (count > kLineLimit - line.length)
      return StepResult::LineTooLong;
    std::memcpy(line.bytes.data() + line.length, begin, count);
    line.length += count;
    job.slicePos += count;
    job.processed += count;
    if (p == end)
      continue;

    // A line end: take it, and its partner when one follows.
    const std::uint8_t first = *p;
    ++job.slicePos;
    ++job.processed;
    if (!haveByte(job, result))
      return result;
    const std::uint8_t partner = first == kCr ? kLf : kCr;
    if (job.sliceBuffer[job.slicePos] == partner) {
      ++job.slicePos;
      ++job.processed;
    }
    return StepResult::Continue;
  }
}

StepResult writeLine(SliceStream &job, LineBuffer &line) {
  line.output.insert(line.output.end(), line.bytes.begin(),
                     line.bytes.begin() +
                         static_cast<std::ptrdiff_t>(line.length));
  line.output.push_back(kCr);
  line.output.push_back(kLf);
  if (line.output.size() < kOutputFlushSize)
    return StepResult::Continue;
  return flushLines(job, line);
}

StepResult flushLines(SliceStream &job, LineBuffer &line) {
  if (!job.writeAll(line.output.data(), line.output.size()))
    return StepResult::WriteFailed;
  line.output.clear();
  return StepResult::Continue;
}

} // namespace snpln::engine
