// The tab optimization engine step (operation 9): whole lines until they
// total 8192 bytes per step (line ends not counted); blanks that end at a
// tab stop become one TAB, blanks at the end of a line are removed, lines
// are written with CR LF. The step after the one that used up the file hands
// the last lines to `temp` and returns Finished.
// Carried across steps: the line reader's and writer's state in `line`.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/line_io.h"
#include "engine/slice_stream.h"

namespace snpln::engine {

inline constexpr int kDefaultTabSize = 8;

// Writes the transform of in[0, length) to `out` and returns its length,
// which is never more than `length`. `out` has room for `length` bytes
// (which may all be written, whatever the result's length) and does not
// overlap `in`. Any tabSize >= 1 works (a tab size below 1 is taken as 8).
std::size_t compressTabsInto(const std::uint8_t *in, std::size_t length,
                             std::uint8_t *out, int tabSize);

struct OptimizeState {
  explicit OptimizeState(int tabSize); // below 1 → 8
  int tabSize;
  LineBuffer line;
};

StepResult optimizeSlice(SliceStream &job, OptimizeState &state);

} // namespace snpln::engine
