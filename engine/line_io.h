// The line reader and writer of the two line engines (optimize, delete empty
// lines). A line is every byte up to its line end, without it; lines end as
// engine/line_span.h says (CR LF and LF CR are one line end; any other CR
// or LF ends a line on its own). The last line ends at the end of the file; a
// file whose last byte ends a line has no empty line after it, and an empty
// file has no line at all. Each line is written with the line end it was read
// with (CR LF, LF CR, CR or LF), and a last line that had none is written
// without one.
//
// readLine takes the partner byte of a two-byte line end together with the
// line, reading the next slice for it when needed, so once a line has been
// read `job.atEnd()` tells whether another line follows.
//
// A line that lies whole inside the slice is not copied: `line.data` points
// into `job.slice` and stays valid until the next readLine. Only a line
// that crosses a slice end (or whose line end is the slice's last byte) is
// gathered in `line.bytes`.
//
// Carried across calls: `slicePos` and the unread rest of the slice, and a
// map of where the slice's CR and LF bytes lie (made as the searches reach
// into the slice). A LineBuffer serves one stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/line_span.h"
#include "engine/slice_stream.h"

namespace snpln::engine {

inline constexpr std::size_t kLineLimit = 30000;
// A line engine step handles whole lines until they total this many bytes,
// line ends not counted.
inline constexpr std::size_t kLineStepBudget = 8192;
// Written lines are collected in the stream's output and handed to `temp`
// once they reach this size.
inline constexpr std::size_t kOutputFlushSize = kIoBlockSize;

struct LineBuffer {
  // The line read last: `length` bytes at `data`, either in the slice or in
  // `bytes`.
  const std::uint8_t *data = nullptr;
  std::size_t length = 0;
  // Its line end: lineEndLength (0 to 2) bytes. A buffer that has read no
  // line yet writes CR LF.
  std::uint8_t lineEnd[2] = {0x0D, 0x0A};
  std::size_t lineEndLength = 2;
  // The longest line read (at most kLineLimit): a stage that stands for
  // one on a longer form of the text (single-byte text to be recoded to
  // UTF-8 afterwards) refuses lines sooner.
  std::size_t limit = kLineLimit;
  StreamBytes bytes; // kLineLimit bytes, not cleared
  // Bit i of lineEnds[i / 64] is set when byte i of the slice that starts
  // at file offset `mappedSliceStart` is a CR or LF; words below
  // `mappedWords` are mapped (those below the word of the slice's first
  // search hold nothing).
  platform::FileSize mappedSliceStart = ~platform::FileSize{0};
  std::size_t mappedWords = 0;
  std::vector<std::uint64_t> lineEnds;
  LineBuffer();
};

// Sets bit i of words[i / 64] when bytes[i] is a CR or LF, for i < size;
// the bits past `size` in the last word are clear. `words` holds
// (size + 63) / 64 words.
void mapLineEnds(const std::uint8_t *bytes, std::size_t size,
                 std::uint64_t *words);

// Continue (a line is complete, or the file is used up; the line may be
// empty), ReadFailed or LineTooLong (longer than line.limit). Call only while
// !job.atEnd().
StepResult readLine(SliceStream &job, LineBuffer &line);

// The index of the first CR or LF in the slice at or after slicePos
// (which is inside the slice), or bytesRead. The slice is mapped as the
// searches reach into it, a few words at a time from the word of the first
// search on (searches only move forward through a slice), so a slice whose
// lines are mostly read another way costs only the part searched.
std::size_t nextLineEnd(const SliceStream &job, LineBuffer &line);

// Room for one line of up to kLineLimit bytes and its line end at the end
// of the stream's output. Write the line there, then call commitLine with
// its length.
inline std::uint8_t *lineSpace(SliceStream &job) {
  return job.outputSpace(kLineLimit + 2);
}
// Adds the line end of the line read last after the `length` bytes written
// at lineSpace(); the stream hands its output to `temp` once it has grown
// to kOutputFlushSize. Continue or WriteFailed.
StepResult commitLine(SliceStream &job, LineBuffer &line, std::size_t length);
// Appends `length` (at most kLineLimit) bytes at `bytes` and the line end,
// as commitLine does.
StepResult writeLine(SliceStream &job, LineBuffer &line,
                     const std::uint8_t *bytes, std::size_t length);
// Hands everything still in the stream's output to `temp`. Continue or
// WriteFailed.
StepResult flushLines(SliceStream &job, LineBuffer &line);

// One step of a line engine: at the end of the file, flush and finish;
// otherwise read whole lines and hand each to `handleLine` (which returns
// Continue or a failure) until they total kLineStepBudget bytes, line ends
// not counted, or the file is used up.
template <typename HandleLine>
StepResult lineStep(SliceStream &job, LineBuffer &line,
                    HandleLine &&handleLine) {
  if (job.atEnd()) {
    const StepResult flushed = flushLines(job, line);
    return flushed == StepResult::Continue ? finishStream(job) : flushed;
  }
  std::size_t budget = 0;
  do {
    StepResult r = readLine(job, line);
    if (r != StepResult::Continue)
      return r;
    budget += line.length;
    r = handleLine();
    if (r != StepResult::Continue)
      return r;
  } while (!job.atEnd() && budget < kLineStepBudget);
  return StepResult::Continue;
}

} // namespace snpln::engine
