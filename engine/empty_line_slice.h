// The excessive-empty-line engine step (operation 10): whole lines until they
// total 8192 bytes per step. A run of empty lines shrinks to one; a single
// empty line stays only after a block of at least two text lines.
// Carried across steps: the emptiness of the last two lines, the position
// in the current empty run, whether its first line stayed, and `hitCount`.
#pragma once

#include <cstdint>

#include "engine/line_io.h"
#include "engine/slice_stream.h"

namespace snpln::engine {

struct EmptyLineState {
  LineBuffer line;
  bool lastEmpty = true;       // lines before the file count as empty
  bool beforeLastEmpty = true;
  unsigned runPosition = 0;
  bool runFirstStayed = false;
  std::uint64_t hitCount = 0;
};

StepResult emptyLineSlice(SliceStream &job, EmptyLineState &state);

} // namespace snpln::engine
