// The byte-order-mark engine step (--bom): a UTF-8 file gets EF BB BF at
// its start, or loses the one it begins with. The job decides beforehand
// whether there is anything to do (a file that already is as asked is
// left alone); the step copies every other byte as it is, one slice read
// per step.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/slice_stream.h"
#include "engine/utf8_codec.h"

namespace snpln::engine {

enum class BomChange : std::uint8_t { Add, Remove };

// Whether `bytes` (the file's first `size` bytes) begin with the mark.
bool beginsWithBom(const std::uint8_t *bytes, std::size_t size);

struct BomState {
  explicit BomState(BomChange what) : change(what) {}
  BomChange change;
  // Add: the mark is written. Remove: bytes of the mark still to drop.
  bool written = false;
  std::size_t toDrop = 3;
};

StepResult bomSlice(SliceStream &job, BomState &state);

} // namespace snpln::engine
