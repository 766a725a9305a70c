#include "engine/line_end_census.h"

#include "engine/line_span.h"

namespace snpln::engine {

void LineEndCensus::saw(LineEndKinds kind) {
  if (seen_ == LineEndKinds::None)
    seen_ = kind;
  else if (seen_ != kind)
    seen_ = LineEndKinds::Mixed;
}

void LineEndCensus::unit(std::uint32_t u) {
  if (pending_ != 0) {
    const std::uint32_t first = pending_;
    pending_ = 0;
    if (u == lineEndPartner(static_cast<std::uint8_t>(first))) {
      saw(first == kCr ? LineEndKinds::CrLf : LineEndKinds::LfCr);
      return;
    }
    saw(first == kCr ? LineEndKinds::Cr : LineEndKinds::Lf);
  }
  if (u == kCr || u == kLf)
    pending_ = u;
}

void LineEndCensus::add(const std::uint8_t *bytes, std::size_t size) {
  if (units_ == LineUnits::Bytes) {
    for (std::size_t i = 0; i < size; ++i)
      unit(bytes[i]);
    return;
  }
  const bool little = units_ == LineUnits::Utf16Le;
  for (std::size_t i = 0; i < size; ++i) {
    if (halfUnit_ < 0) {
      halfUnit_ = bytes[i];
      continue;
    }
    const auto first = static_cast<std::uint32_t>(halfUnit_);
    halfUnit_ = -1;
    unit(little ? first | std::uint32_t{bytes[i]} << 8 : first << 8 | bytes[i]);
  }
}

LineEndKinds LineEndCensus::result() const {
  if (pending_ == 0)
    return seen_;
  LineEndCensus last = *this;
  last.pending_ = 0;
  last.saw(pending_ == kCr ? LineEndKinds::Cr : LineEndKinds::Lf);
  return last.seen_;
}

LineEndKinds lineEndKindsOf(const std::uint8_t *bytes, std::size_t size,
                            LineUnits units) {
  const std::size_t step = units == LineUnits::Bytes ? 1 : 2;
  const auto at = [&](std::size_t i) -> std::uint32_t {
    if (step == 1)
      return bytes[i];
    return units == LineUnits::Utf16Le
               ? bytes[i] | std::uint32_t{bytes[i + 1]} << 8
               : std::uint32_t{bytes[i]} << 8 | bytes[i + 1];
  };
  const std::size_t end = size - size % step;
  LineEndKinds seen = LineEndKinds::None;
  for (std::size_t i = 0; i < end; i += step) {
    const std::uint32_t u = at(i);
    if (u != kCr && u != kLf)
      continue;
    LineEndKinds kind = u == kCr ? LineEndKinds::Cr : LineEndKinds::Lf;
    if (i + step < end && at(i + step) == (u == kCr ? kLf : kCr)) {
      kind = u == kCr ? LineEndKinds::CrLf : LineEndKinds::LfCr;
      i += step;
    }
    if (seen == LineEndKinds::None)
      seen = kind;
    else if (seen != kind)
      seen = LineEndKinds::Mixed;
  }
  return seen;
}

} // namespace snpln::engine
