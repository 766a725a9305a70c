// The tab optimization engine step (operation 9): whole lines until they
// total 8192 bytes per step; blanks that end at a tab stop become one TAB,
// blanks at the end of a line are removed, lines are written with CR LF.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/line_io.h"
#include "engine/slice_stream.h"

namespace snpln::engine {

// The line transformed in place; the output is never longer than the input.
// tabSize >= 1.
void compressTabs(std::vector<std::uint8_t> &line, std::size_t &length,
                  int tabSize);

struct OptimizeState {
  explicit OptimizeState(int tabSize);
  int tabSize;
  LineBuffer line;
};

StepResult optimizeSlice(SliceStream &job, OptimizeState &state);

} // namespace snpln::engine
