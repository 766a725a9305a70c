// Recoding with UTF-16 on either side: from UTF-16 (either byte order) to
// every page, and to UTF-16 from every page. Each character of the source
// is decoded to its code and written in the target; the recoding step
// (engine/recode_slice.h) calls it once per slice.
//
// A byte order mark (U+FEFF) opening a UTF-8 or UTF-16 source is dropped,
// and the target Utf16 opens with one (little-endian). A unit or surrogate
// pair, or a UTF-8 sequence, cut by the end of a slice waits for the next
// slice. Faults, at the file offset of their first byte: a surrogate
// without its other half (InvalidUtf16), a last byte left over from the
// units (OddLength), invalid UTF-8, and a character the single-byte target
// cannot hold without --substitute (Unrepresentable). U+0000 is byte 0.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/code_page.h"
#include "platform/file_system.h"

namespace snpln::engine {

struct RecodeState;

// Whether recoding from `source` to `target` goes through here: one of them
// is a UTF-16 page (the source already resolved to Utf16Le or Utf16Be).
constexpr bool isUtf16Recoding(CodePage source, CodePage target) {
  return isUtf16Page(source) || isUtf16Page(target);
}

// Recodes `count` bytes of the source at `in` (file offset `at`; `last`:
// nothing follows them) into `out`, which has room for 2 * count + 16
// bytes. Returns the bytes written and sets `used` to the bytes consumed
// (a cut unit, pair or sequence at the end stays unconsumed unless
// `last`). On a fault sets it in the state and returns what was written
// before it.
using Utf16Convert = std::size_t (*)(const std::uint8_t *in, std::size_t count,
                                     platform::FileSize at, bool last,
                                     std::uint8_t *out, std::size_t &used,
                                     RecodeState &state);

// The converter for a pair of pages with UTF-16 on one side.
Utf16Convert utf16ConverterFor(CodePage source, CodePage target);

} // namespace snpln::engine
