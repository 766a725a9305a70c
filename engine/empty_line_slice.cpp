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
  return lineStep(job, line, [&] {
    if (!decideLine(state, isBlankLine(line.data, line.length))) {
      ++state.hitCount;
      return StepResult::Continue;
    }
    return writeLine(job, line, line.data, line.length); // as read
  });
}

} // namespace snpln::engine
