#include "engine/empty_line_slice.h"

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

StepResult emptyLineSlice(SliceStream &job, EmptyLineState &state) {
  LineBuffer &line = state.line;
  if (job.atEnd()) {
    const StepResult flushed = flushLines(job, line);
    return flushed == StepResult::Continue ? finishStream(job) : flushed;
  }
  std::size_t budget = 0;
  do {
    // A text line always stays as it is: the text lines ahead in the slice
    // go out in one piece.
    StepResult r = StepResult::Continue;
    const std::size_t lines = copyTextLines(job, line, budget, r);
    if (r != StepResult::Continue)
      return r;
    for (std::size_t i = 0; i < lines && i < 2; ++i)
      decideLine(state, false);
    if (job.atEnd() || budget >= kLineStepBudget)
      break;
    // The next line the plain way: an empty one, or one across the slice.
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
