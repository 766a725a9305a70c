#include "engine/bom_slice.h"

#include <algorithm>
#include <cstring>

#include "engine/utf16.h"

namespace snpln::engine {

namespace {

// The mark's bytes.
const std::uint8_t *markBytes(BomMark mark, std::size_t &length) {
  switch (mark) {
  case BomMark::Utf16Le:
    length = 2;
    return kUtf16LeBom;
  case BomMark::Utf16Be:
    length = 2;
    return kUtf16BeBom;
  case BomMark::Utf8:
    break;
  }
  length = 3;
  return kUtf8Bom;
}

} // namespace

bool beginsWithBom(const std::uint8_t *bytes, std::size_t size) {
  return beginsWithMark(bytes, size, BomMark::Utf8);
}

bool beginsWithMark(const std::uint8_t *bytes, std::size_t size, BomMark mark) {
  std::size_t length = 0;
  const std::uint8_t *expected = markBytes(mark, length);
  return size >= length && std::memcmp(bytes, expected, length) == 0;
}

StepResult bomSlice(SliceStream &job, BomState &state) {
  std::size_t length = 0;
  const std::uint8_t *mark = markBytes(state.mark, length);
  if (!state.decided) {
    const std::uint8_t *head = nullptr;
    std::size_t got = 0;
    if (!job.bytesAhead(head, got, length))
      return StepResult::ReadFailed;
    const bool has = beginsWithMark(head, got, state.mark);
    state.decided = true;
    state.alreadyAsAsked = has == (state.change == BomChange::Add);
    if (state.change == BomChange::Remove && has)
      state.toDrop = length;
  }
  if (state.change == BomChange::Add && !state.alreadyAsAsked &&
      !state.written) {
    if (!job.writeAll(mark, length))
      return StepResult::WriteFailed;
    state.written = true;
  }
  if (job.atEnd())
    return finishStream(job);
  if (!job.readSlice())
    return StepResult::ReadFailed;
  const std::size_t count = job.bytesRead;
  const std::size_t from = std::min(state.toDrop, count);
  state.toDrop -= from;
  job.slicePos = count;
  job.processed += count;
  return job.writeAll(job.slice + from, count - from) ? StepResult::Continue
                                                      : StepResult::WriteFailed;
}

} // namespace snpln::engine
