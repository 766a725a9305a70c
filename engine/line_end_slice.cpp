#include "engine/line_end_slice.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
  // Whether a line end read as `first` (and `second`, or 0) is already
  // the one asked for.
  bool keeps(std::uint8_t first, std::uint8_t second) const {
    const std::size_t read = second == 0 ? 1 : 2;
    return read == length_ && first == end_[0] &&
           (read == 1 || second == end_[1]);
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

// Whether every line end of bytes[0, count) is `target` already, read as
// the engine reads them, given that no byte before them waits and that the
// last one is no CR or LF: LF alone (no CR at all), CR alone (no LF at
// all), or CR LF (every CR followed by LF and every LF after a CR).
bool keepsEveryLineEnd(const std::uint8_t *bytes, std::size_t count,
                       LineEnd target) {
  if (target == LineEnd::Lf)
    return std::memchr(bytes, kCr, count) == nullptr;
  if (target == LineEnd::Cr)
    return std::memchr(bytes, kLf, count) == nullptr;
  std::size_t i = 0;
  bool crBefore = false; // the byte before bytes[i] is a CR
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8(static_cast<char>(kCr));
  const __m128i lf = _mm_set1_epi8(static_cast<char>(kLf));
  for (; i + 16 <= count; i += 16) {
    const __m128i v =
        _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes + i));
    const auto crs =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, cr)));
    const auto lfs =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf)));
    if (((crs << 1 | (crBefore ? 1u : 0u)) & 0xFFFFu) != lfs)
      return false;
    crBefore = (crs >> 15 & 1u) != 0;
  }
#endif
  for (; i < count; ++i) {
    if ((bytes[i] == kLf) != crBefore)
      return false;
    crBefore = bytes[i] == kCr;
  }
  return !crBefore;
}

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
  // A slice whose every line end is the one asked for already, and whose
  // last byte ends no line, goes out as it is.
  if (i == 0 && writer.position() == state.out.data() && count > 0 &&
      !isLineEndByte(in[count - 1]) &&
      keepsEveryLineEnd(in, count, state.target)) {
    job.slicePos = count;
    job.processed += count;
    return job.writeAll(in, count) ? StepResult::Continue
                                   : StepResult::WriteFailed;
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
  // Bytes from `run` on go out as they are, up to a line end to change.
  std::size_t run = i;
  std::size_t upTo = count;
  while (i < count) {
    const std::size_t j = nextLineEnd(i);
    if (j == count)
      break;
    const std::uint8_t first = in[j];
    if (j + 1 == count) {
      state.pending = first; // its partner may open the next slice
      upTo = j;
      break;
    }
    const std::uint8_t next = in[j + 1];
    const std::uint8_t second = isLineEndByte(next) && next != first ? next : 0;
    i = j + (second != 0 ? 2 : 1);
    if (writer.keeps(first, second))
      continue;
    writer.copy(in + run, j - run);
    writer.end(first, second);
    run = i;
  }
  job.slicePos = count;
  job.processed += count;
  // A slice whose line ends all stay goes out straight from where it was
  // read.
  if (writer.position() == state.out.data())
    return job.writeAll(in + run, upTo - run) ? StepResult::Continue
                                              : StepResult::WriteFailed;
  writer.copy(in + run, upTo - run);
  return flushOut() ? StepResult::Continue : StepResult::WriteFailed;
}

} // namespace snpln::engine
