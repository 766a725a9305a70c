#include "engine/recode_slice.h"

namespace snpln::engine {

RecodeState::RecodeState(CodePage from, CodePage to)
    : source(from), target(to), map(makeRecodeMap(from, to)) {}

StepResult recodeSlice(SliceStream &job, RecodeState &state) {
  if (job.atEnd())
    return StepResult::Finished;
  if (!job.readSlice())
    return StepResult::ReadFailed;

  // A local copy of the map cannot alias the slice, so the loop below is a
  // plain gather the compiler can unroll.
  const RecodeMap map = state.map;
  std::uint8_t *bytes = job.sliceBuffer.data();
  const std::size_t count = job.bytesRead;
  for (std::size_t i = 0; i < count; ++i)
    bytes[i] = map[bytes[i]];
  job.slicePos = count;
  job.processed += count;

  if (!job.writeAll(bytes, count))
    return StepResult::WriteFailed;
  return StepResult::Continue;
}

} // namespace snpln::engine
