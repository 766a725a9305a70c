// The byte-order-mark engine step (--bom): the text gets the mark of its
// encoding at its start (UTF-8's EF BB BF, or UTF-16's FF FE or FE FF), or
// loses the one it begins with. The step decides at its first call, from
// the first bytes of its input: a text that already is as asked passes
// through unchanged (`alreadyAsAsked`); otherwise it copies every other
// byte as it is, one slice read per step.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/slice_stream.h"
#include "engine/utf8_codec.h"

namespace snpln::engine {

enum class BomChange : std::uint8_t { Add, Remove };

// Which mark: the text's encoding.
enum class BomMark : std::uint8_t { Utf8, Utf16Le, Utf16Be };

// Whether `bytes` (the file's first `size` bytes) begin with the UTF-8 mark.
bool beginsWithBom(const std::uint8_t *bytes, std::size_t size);
// Whether they begin with `mark`.
bool beginsWithMark(const std::uint8_t *bytes, std::size_t size, BomMark mark);

struct BomState {
  explicit BomState(BomChange what, BomMark which = BomMark::Utf8)
      : change(what), mark(which) {}
  BomChange change;
  BomMark mark;
  // The first bytes have been looked at.
  bool decided = false;
  // The text already has the mark to add, or lacks the one to remove.
  bool alreadyAsAsked = false;
  // Add: the mark is written. Remove: bytes of the mark still to drop.
  bool written = false;
  std::size_t toDrop = 0;
};

StepResult bomSlice(SliceStream &job, BomState &state);

} // namespace snpln::engine
