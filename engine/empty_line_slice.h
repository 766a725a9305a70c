// The excessive-empty-line engine step (operation 10): whole lines until they
// total 8192 bytes per step (line ends not counted, so empty lines cost
// nothing). A line is empty when it holds only SPACE and TAB bytes. A run of
// empty lines shrinks to one; a single empty line stays only after a block of
// at least two text lines. A line that stays is written as read, plus CR LF.
// The step after the one that used up the file hands the last lines to
// `temp` and returns Finished.
// Carried across steps: the emptiness of the last two lines, the position
// in the current empty run, whether its first line stayed, `hitCount` (the
// lines deleted so far) and the line reader's and writer's state.
#pragma once

#include <cstdint>

#include "engine/line_io.h"
#include "engine/slice_stream.h"

namespace snpln::engine {

struct EmptyLineState {
  LineBuffer line;
  bool lastEmpty = true; // lines before the file count as empty
  bool beforeLastEmpty = true;
  unsigned runPosition = 0; // 1 for the first empty line of a run, 0 for text
  bool runFirstStayed = false;
  std::uint64_t hitCount = 0;
};

// True when the line holds only SPACE, TAB, CR and LF bytes (or nothing).
bool isBlankLine(const std::uint8_t *bytes, std::size_t length);

StepResult emptyLineSlice(SliceStream &job, EmptyLineState &state);

} // namespace snpln::engine
