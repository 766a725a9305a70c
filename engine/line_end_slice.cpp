#include "engine/line_end_slice.h"

#include <bit>
#include <cstring>

#include "engine/line_io.h"
#include "engine/utf16.h"

namespace snpln::engine {

namespace {

class Writer {
public:
  Writer(LineEndState &state, std::uint8_t *out) : state_(state), o_(out) {
    // What the bytes version writes, in the order the units are read.
    switch (state.target) {
    case LineEnd::Lf:
      end_[0] = kLf;
      length_ = 1;
      break;
    case LineEnd::CrLf:
      end_[0] = kCr;
      end_[1] = kLf;
      length_ = 2;
      break;
    case LineEnd::Cr:
      end_[0] = kCr;
      length_ = 1;
      break;
    }
  }
  // One line end that was read as `first` (and `second` when it had two
  // bytes, else 0).
  void end(std::uint8_t first, std::uint8_t second) {
    const std::size_t read = second == 0 ? 1 : 2;
    if (read != length_ || first != end_[0] || (read == 2 && second != end_[1]))
      ++state_.changed;
    std::memcpy(o_, end_, 2);
    o_ += length_;
  }
  void copy(const std::uint8_t *from, std::size_t count) {
    std::memcpy(o_, from, count);
    o_ += count;
  }
  std::uint8_t *position() const { return o_; }

  // The same for UTF-16 units (the CR or LF unit `first`, its partner
  // `second` or 0) in byte order `order`.
  void endUnits(std::uint16_t first, std::uint16_t second, ByteOrder order) {
    const std::size_t read = second == 0 ? 1 : 2;
    if (read != length_ || first != end_[0] || (read == 2 && second != end_[1]))
      ++state_.changed;
    for (std::size_t i = 0; i < length_; ++i) {
      writeUnit(end_[i], o_, order);
      o_ += 2;
    }
  }

private:
  LineEndState &state_;
  std::uint8_t *o_;
  std::uint8_t end_[2] = {0, 0};
  std::size_t length_ = 1;
};

bool isLineEndUnit(std::uint16_t unit) { return unit == kCr || unit == kLf; }

// The UTF-16 step: as the bytes step, a unit at a time.
StepResult lineEndSliceUtf16(SliceStream &job, LineEndState &state) {
  const ByteOrder order =
      state.units == LineUnits::Utf16Be ? ByteOrder::Big : ByteOrder::Little;
  // Each unit read becomes at most two, and a unit that waited adds its own
  // two; a byte left over is copied.
  state.out.resize(2 * job.sliceSize + 8);
  Writer writer(state, state.out.data());
  const auto flushOut = [&] {
    const auto size =
        static_cast<std::size_t>(writer.position() - state.out.data());
    return job.writeAll(state.out.data(), size);
  };
  if (job.atEnd()) {
    if (state.pending != 0)
      writer.endUnits(state.pending, 0, order);
    state.pending = 0;
    return flushOut() ? finishStream(job) : StepResult::WriteFailed;
  }
  if (!job.readSlice())
    return StepResult::ReadFailed;
  const std::uint8_t *in = job.slice;
  const bool last = job.processed + job.bytesRead >= job.fileSize;
  // Whole units; a byte of a unit cut by the slice's end comes again with
  // the next slice, and the last byte of an odd text is copied.
  std::size_t count = job.bytesRead & ~std::size_t{1};
  std::size_t i = 0;
  if (state.pending != 0 && count > 0) {
    const std::uint16_t unit = readUnit(in, order);
    if (isLineEndUnit(unit) && unit != state.pending) {
      writer.endUnits(state.pending, unit, order);
      i = 2;
    } else {
      writer.endUnits(state.pending, 0, order);
    }
    state.pending = 0;
  }
  while (i < count) {
    const std::uint16_t unit = readUnit(in + i, order);
    if (!isLineEndUnit(unit)) {
      writer.copy(in + i, 2);
      i += 2;
      continue;
    }
    if (i + 2 == count) {
      i += 2;
      if (!last) {
        state.pending = unit; // its partner may open the next slice
        break;
      }
      writer.endUnits(unit, 0, order);
      continue;
    }
    const std::uint16_t next = readUnit(in + i + 2, order);
    if (isLineEndUnit(next) && next != unit) {
      writer.endUnits(unit, next, order);
      i += 4;
    } else {
      writer.endUnits(unit, 0, order);
      i += 2;
    }
  }
  if (last && count < job.bytesRead) {
    if (state.pending != 0)
      writer.endUnits(state.pending, 0, order);
    state.pending = 0;
    writer.copy(in + count, 1);
    count = job.bytesRead;
  }
  job.slicePos = count;
  job.processed += count;
  return flushOut() ? StepResult::Continue : StepResult::WriteFailed;
}

} // namespace

StepResult lineEndSlice(SliceStream &job, LineEndState &state) {
  if (state.units != LineUnits::Bytes)
    return lineEndSliceUtf16(job, state);
  // Each byte read becomes at most two (a lone CR or LF made CR LF), and a
  // byte that waited adds its own two.
  state.out.resize(2 * job.sliceSize + 2);
  Writer writer(state, state.out.data());
  const auto flushOut = [&] {
    const auto size =
        static_cast<std::size_t>(writer.position() - state.out.data());
    return job.writeAll(state.out.data(), size);
  };
  if (job.atEnd()) {
    if (state.pending != 0)
      writer.end(static_cast<std::uint8_t>(state.pending), 0);
    state.pending = 0;
    return flushOut() ? finishStream(job) : StepResult::WriteFailed;
  }
  if (!job.readSlice())
    return StepResult::ReadFailed;
  const std::uint8_t *in = job.slice;
  const std::size_t count = job.bytesRead;
  std::size_t i = 0;
  if (state.pending != 0 && count > 0) {
    const std::uint8_t b = in[0];
    if (isLineEndByte(b) && b != state.pending) {
      writer.end(static_cast<std::uint8_t>(state.pending), b);
      i = 1;
    } else {
      writer.end(static_cast<std::uint8_t>(state.pending), 0);
    }
    state.pending = 0;
  }
  // Where the slice's CR and LF bytes lie, a bit per byte, so the runs
  // between them are found a word at a time.
  const std::size_t words = (count + 63) / 64;
  if (state.lineEnds.size() < words)
    state.lineEnds.resize(words);
  mapLineEnds(in, count, state.lineEnds.data());
  const auto nextLineEnd = [&](std::size_t from) {
    std::size_t w = from / 64;
    std::uint64_t word = state.lineEnds[w] & (~std::uint64_t{0} << (from % 64));
    while (word == 0) {
      if (++w == words)
        return count;
      word = state.lineEnds[w];
    }
    return w * 64 + static_cast<std::size_t>(std::countr_zero(word));
  };
  while (i < count) {
    // The run of other bytes up to the next CR or LF, copied whole.
    const std::size_t j = nextLineEnd(i);
    writer.copy(in + i, j - i);
    if (j == count)
      break;
    const std::uint8_t first = in[j];
    if (j + 1 == count) {
      state.pending = first; // its partner may open the next slice
      break;
    }
    const std::uint8_t next = in[j + 1];
    if (isLineEndByte(next) && next != first) {
      writer.end(first, next);
      i = j + 2;
    } else {
      writer.end(first, 0);
      i = j + 1;
    }
  }
  job.slicePos = count;
  job.processed += count;
  return flushOut() ? StepResult::Continue : StepResult::WriteFailed;
}

} // namespace snpln::engine
