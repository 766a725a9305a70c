// The line-end engine step (--line-ends): every line end becomes the one
// asked for. Line ends are read as the line engines read them: CR LF and
// LF CR are one line end, any other CR or LF ends a line on its own (so
// LF LF is two). A last line without a line end stays without one; every
// other byte is copied as it is, and no line is too long.
//
// One slice read per step, its output written whole. A CR or LF that is the
// last byte of a slice waits in the state until the next byte tells whether
// it is half of a two-byte line end. The step after the one that used up
// the file writes what waits and returns Finished.
//
// UTF-16 text (`units`) is read and written a unit at a time in its byte
// order: CR and LF are the units 000D and 000A, every other unit is copied
// (a byte order mark among them), and a last byte left over stays as it
// is.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/slice_stream.h"

namespace snpln::engine {

enum class LineEnd : std::uint8_t { Lf, CrLf, Cr };

// What a line end is made of: bytes, or UTF-16 units in either order.
enum class LineUnits : std::uint8_t { Bytes, Utf16Le, Utf16Be };

struct LineEndState {
  explicit LineEndState(LineEnd end, LineUnits in = LineUnits::Bytes)
      : target(end), units(in) {}
  LineEnd target;
  LineUnits units;
  // A CR or LF (a byte, or a UTF-16 unit) that ended the last slice (0:
  // none).
  std::uint16_t pending = 0;
  // Line ends read so far that were written differently.
  std::uint64_t changed = 0;
  std::vector<std::uint8_t> out;
  // A bit per byte of the slice: set where a CR or LF lies.
  std::vector<std::uint64_t> lineEnds;
};

StepResult lineEndSlice(SliceStream &job, LineEndState &state);

} // namespace snpln::engine
