#include "engine/bom_slice.h"

#include <algorithm>
#include <cstring>

namespace snpln::engine {

bool beginsWithBom(const std::uint8_t *bytes, std::size_t size) {
  return size >= 3 && std::memcmp(bytes, kUtf8Bom, 3) == 0;
}

StepResult bomSlice(SliceStream &job, BomState &state) {
  if (state.change == BomChange::Add && !state.written) {
    if (!job.writeAll(kUtf8Bom, 3))
      return StepResult::WriteFailed;
    state.written = true;
  }
  if (job.atEnd())
    return finishStream(job);
  if (!job.readSlice())
    return StepResult::ReadFailed;
  const std::size_t count = job.bytesRead;
  std::size_t from = 0;
  if (state.change == BomChange::Remove) {
    from = std::min(state.toDrop, count);
    state.toDrop -= from;
  }
  job.slicePos = count;
  job.processed += count;
  return job.writeAll(job.slice + from, count - from) ? StepResult::Continue
                                                      : StepResult::WriteFailed;
}

} // namespace snpln::engine
