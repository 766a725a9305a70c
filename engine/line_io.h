// The line reader and writer of the two line engines (optimize, delete empty
// lines). A line is every byte up to its line end, without it. CR LF and
// LF CR are one line end; any other CR or LF ends a line on its own (so
// LF LF is a line end followed by an empty line). The last line ends at the
// end of the file; a file whose last byte ends a line has no empty line after
// it, and an empty file has no line at all. Lines are written with CR LF.
//
// readLine takes the partner byte of a two-byte line end together with the
// line, reading the next slice for it when needed, so once a line has been
// read `job.atEnd()` tells whether another line follows.
//
// Carried across calls: `slicePos` and the unread rest of the slice, and the
// written lines not yet handed to `temp` (`output`, see flushLines).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/slice_stream.h"

namespace snpln::engine {

inline constexpr std::size_t kLineLimit = 30000;
// A line engine step handles whole lines until they total this many bytes,
// line ends not counted.
inline constexpr std::size_t kLineStepBudget = 8192;
// Written lines are collected and handed to `temp` once they reach this size.
inline constexpr std::size_t kOutputFlushSize = 8192;

struct LineBuffer {
  std::vector<std::uint8_t> bytes; // kLineLimit bytes
  std::size_t length = 0;
  // Lines written but not yet handed to `temp`.
  std::vector<std::uint8_t> output;
  LineBuffer();
};

// Continue (a line is complete, or the file is used up; the line may be
// empty), ReadFailed or LineTooLong. Call only while !job.atEnd().
StepResult readLine(SliceStream &job, LineBuffer &line);
// Appends line.bytes[0, length) and CR LF to `output`, and hands `output` to
// `temp` once it has grown to kOutputFlushSize. Continue or WriteFailed.
StepResult writeLine(SliceStream &job, LineBuffer &line);
// Hands everything still in `output` to `temp`. Continue or WriteFailed.
StepResult flushLines(SliceStream &job, LineBuffer &line);

} // namespace snpln::engine
