#include "engine/empty_line_slice.h"

#include <cstring>

namespace snpln::engine {

namespace {

// Decides one line and moves the state on. True when the line stays.
bool decideLine(EmptyLineState &state, bool empty) {
  bool stays = true;
  if (!empty) {
    state.runPosition = 0;
  } else {
    if (state.runPosition < 3) // saturates: the third and later are alike
      ++state.runPosition;
    if (state.runPosition == 1) {
      stays = !state.lastEmpty && !state.beforeLastEmpty;
      state.runFirstStayed = stays;
    } else if (state.runPosition == 2) {
      stays = !state.runFirstStayed;
    } else {
      stays = false;
    }
  }
  state.beforeLastEmpty = state.lastEmpty;
  state.lastEmpty = empty;
  return stays;
}

} // namespace

bool isBlankLine(const std::uint8_t *bytes, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    const std::uint8_t b = bytes[i];
    if (b != 0x20 && b != 0x09 && b != 0x0D && b != 0x0A)
      return false;
  }
  return true;
}

namespace {

// The lines that lie whole in the slice from slicePos on, each together
// with the byte after its line end's first byte, decided as they come; the
// lines that stay go out as they were read, as many at a time as stand
// together. Stops before a line longer than line.limit (the plain way
// reports it) and once the lines total kLineStepBudget bytes with
// `budget`. Continue or WriteFailed.
StepResult wholeLines(SliceStream &job, EmptyLineState &state,
                      std::size_t &budget) {
  LineBuffer &line = state.line;
  std::size_t run = job.slicePos; // the lines from here on stay
  const auto keep = [&](std::size_t to) {
    const std::size_t size = to - run;
    if (size == 0)
      return true;
    std::memcpy(job.outputSpace(size), job.slice + run, size);
    return job.commitOutput(size);
  };
  const std::uint8_t *bytes = job.slice;
  while (budget < kLineStepBudget && job.slicePos < job.bytesRead) {
    const std::size_t start = job.slicePos;
    const std::size_t end = nextLineEnd(job, line);
    if (end + 1 >= job.bytesRead || end - start > line.limit)
      break;
    const std::size_t next =
        end + (bytes[end + 1] == lineEndPartner(bytes[end]) ? 2 : 1);
    job.processed += next - start;
    job.slicePos = next;
    budget += end - start;
    if (!decideLine(state, isBlankLine(bytes + start, end - start))) {
      ++state.hitCount;
      if (!keep(start))
        return StepResult::WriteFailed;
      run = next;
    }
  }
  return keep(job.slicePos) ? StepResult::Continue : StepResult::WriteFailed;
}

} // namespace

StepResult emptyLineSlice(SliceStream &job, EmptyLineState &state) {
  LineBuffer &line = state.line;
  if (job.atEnd()) {
    const StepResult flushed = flushLines(job, line);
    return flushed == StepResult::Continue ? finishStream(job) : flushed;
  }
  std::size_t budget = 0;
  do {
    StepResult r = wholeLines(job, state, budget);
    if (r != StepResult::Continue)
      return r;
    if (job.atEnd() || budget >= kLineStepBudget)
      break;
    // The next line the plain way: one across the slice's end, or too
    // long.
    r = readLine(job, line);
    if (r != StepResult::Continue)
      return r;
    budget += line.length;
    if (!decideLine(state, isBlankLine(line.data, line.length))) {
      ++state.hitCount;
      continue;
    }
    r = writeLine(job, line, line.data, line.length); // as read
    if (r != StepResult::Continue)
      return r;
  } while (!job.atEnd() && budget < kLineStepBudget);
  return StepResult::Continue;
}

} // namespace snpln::engine
