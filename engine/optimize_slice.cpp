#include "engine/optimize_slice.h"

#include <cstring>

namespace snpln::engine {

namespace {

constexpr std::uint8_t kSpace = 0x20;
constexpr std::uint8_t kTab = 0x09;

bool isBlank(std::uint8_t b) { return b == kSpace || b == kTab; }

} // namespace

void compressTabs(std::vector<std::uint8_t> &line, std::size_t &length,
                  int tabSize) {
  const std::uint64_t stop =
      static_cast<std::uint64_t>(tabSize < 1 ? kDefaultTabSize : tabSize);
  std::uint8_t *bytes = line.data();
  // The output is written at `out`, never ahead of the segment being read,
  // because a transformed segment is never longer than the segment.
  std::size_t out = 0;
  std::size_t segmentStart = 0;
  std::size_t otherEnd = 0; // just after the segment's last non-blank byte
  std::uint64_t column = 0; // column since the last tab stop

  const auto emitSegment = [&](std::size_t segmentEnd) {
    if (otherEnd == segmentStart) { // blanks only
      bytes[out++] = kTab;
      return;
    }
    const std::size_t keep = otherEnd - segmentStart;
    std::memmove(bytes + out, bytes + segmentStart, keep);
    out += keep;
    if (otherEnd < segmentEnd)
      bytes[out++] = kTab; // the blanks after the last other byte
  };

  for (std::size_t i = 0; i < length; ++i) {
    const std::uint8_t b = bytes[i];
    if (!isBlank(b))
      otherEnd = i + 1;
    bool atStop;
    if (b == kTab) {
      atStop = true;
    } else {
      ++column;
      atStop = column == stop;
    }
    if (atStop) {
      emitSegment(i + 1);
      column = 0;
      segmentStart = i + 1;
      otherEnd = segmentStart;
    }
  }
  if (segmentStart < length)
    emitSegment(length);
  length = out;
}

OptimizeState::OptimizeState(int size)
    : tabSize(size < 1 ? kDefaultTabSize : size) {}

StepResult optimizeSlice(SliceStream &job, OptimizeState &state) {
  LineBuffer &line = state.line;
  if (job.atEnd()) {
    const StepResult flushed = flushLines(job, line);
    return flushed == StepResult::Continue ? StepResult::Finished : flushed;
  }
  std::size_t budget = 0;
  do {
    StepResult r = readLine(job, line);
    if (r != StepResult::Continue)
      return r;
    budget += line.length;
    compressTabs(line.bytes, line.length, state.tabSize);
    while (line.length > 0 && isBlank(line.bytes[line.length - 1]))
      --line.length;
    r = writeLine(job, line);
    if (r != StepResult::Continue)
      return r;
  } while (!job.atEnd() && budget < kLineStepBudget);
  return StepResult::Continue;
}

} // namespace snpln::engine
