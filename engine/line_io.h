// The line reader and writer of the two line engines (optimize, delete empty
// lines). A line is every byte up to its line end, without it. CR LF and
// LF CR are one line end; any other CR or LF ends a line on its own. The last
// line ends at the end of the file; a file whose last byte ends a line has no
// empty line after it. Lines are written with CR LF.
// Carried across calls: `slicePos` and the unread rest of the slice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/slice_stream.h"

namespace snpln::engine {

inline constexpr std::size_t kLineLimit = 30000;

struct LineBuffer {
  std::vector<std::uint8_t> bytes; // capacity kLineLimit
  std::size_t length = 0;
  // Line-end state carried between lines: the first byte of a two-byte
  // line end has been seen and its partner may follow.
  std::uint8_t pendingLineEnd = 0;
  LineBuffer();
};

// Continue (a line is complete, or the file is used up), ReadFailed or
// LineTooLong.
StepResult readLine(SliceStream &job, LineBuffer &line);
// Writes line.bytes[0, length) then CR LF. Continue or WriteFailed.
StepResult writeLine(SliceStream &job, const LineBuffer &line);

} // namespace snpln::engine
