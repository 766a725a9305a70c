#include "engine/recode_slice.h"

#include <cstring>

namespace snpln::engine {

namespace {

// Maps `count` bytes in place, eight at a time through the pair table.
void mapBytes(std::uint8_t *bytes, std::size_t count, const RecodeMap &map,
              const std::uint16_t *pairs) {
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    std::uint64_t v;
    std::memcpy(&v, bytes + i, 8);
    std::uint64_t r = 0;
    for (int shift = 0; shift < 64; shift += 16) {
      // Either byte order works: the pair table maps each half alike.
      const std::uint16_t pair = static_cast<std::uint16_t>(v >> shift);
      r |= static_cast<std::uint64_t>(pairs[pair]) << shift;
    }
    std::memcpy(bytes + i, &r, 8);
  }
  for (; i < count; ++i)
    bytes[i] = map[bytes[i]];
}

} // namespace

RecodeState::RecodeState(CodePage from, CodePage to)
    : source(from), target(to), map(makeRecodeMap(from, to)), pairMap(65536) {
  for (unsigned a = 0; a < 256; ++a)
    for (unsigned b = 0; b < 256; ++b)
      pairMap[a | b << 8] = static_cast<std::uint16_t>(map[a] | map[b] << 8);
}

StepResult recodeSlice(SliceStream &job, RecodeState &state) {
  if (job.atEnd())
    return StepResult::Finished;
  if (!job.readSlice())
    return StepResult::ReadFailed;

  std::uint8_t *bytes = job.sliceBuffer.data();
  const std::size_t count = job.bytesRead;
  mapBytes(bytes, count, state.map, state.pairMap.data());
  job.slicePos = count;
  job.processed += count;

  if (!job.writeAll(bytes, count))
    return StepResult::WriteFailed;
  return StepResult::Continue;
}

} // namespace snpln::engine
