// Which line ends a text uses, by the one line model (engine/line_span.h):
// CR LF, LF CR, and a lone CR or LF are each one line end. The text comes
// in pieces of any size, cut anywhere (a pair of bytes, or a UTF-16 unit,
// may be cut between two pieces); the answer is the same.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/line_end_slice.h"

namespace snpln::engine {

enum class LineEndKinds : std::uint8_t {
  None,  // no line end at all (one line)
  Lf,    // every line end is LF
  CrLf,  // every one CR LF
  Cr,    // every one a lone CR
  LfCr,  // every one LF CR
  Mixed, // more than one of those
};

class LineEndCensus {
public:
  explicit LineEndCensus(LineUnits units = LineUnits::Bytes) : units_(units) {}

  void add(const std::uint8_t *bytes, std::size_t size);
  // The answer once every piece has been added.
  LineEndKinds result() const;

private:
  void unit(std::uint32_t u);
  void saw(LineEndKinds kind);

  LineUnits units_;
  // The first byte of a UTF-16 unit cut by a piece's end.
  int halfUnit_ = -1;
  // A CR or LF whose partner may still come (0: none).
  std::uint32_t pending_ = 0;
  LineEndKinds seen_ = LineEndKinds::None;
};

// The same over a whole text at once: the plain reference.
LineEndKinds lineEndKindsOf(const std::uint8_t *bytes, std::size_t size,
                            LineUnits units = LineUnits::Bytes);

} // namespace snpln::engine
