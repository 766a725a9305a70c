// The tab optimization engine step (operation 9): whole lines until they
// total 8192 bytes per step (line ends not counted); blanks that end at a
// tab stop become one TAB, blanks at the end of a line are removed, each
// line keeps its line end. The step after the one that used up the file
// hands the last lines to `temp` and returns Finished. Columns count bytes,
// or in a UTF-8 file characters (utf8_codec.h; a byte that starts no character
// counts as one, a byte order mark as none).
// Carried across steps: the line reader's and writer's state in `line`.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/line_io.h"
#include "engine/slice_stream.h"
#include "engine/text_encoding.h"

namespace snpln::engine {

inline constexpr int kDefaultTabSize = 8;

// The tab size rule of every caller: below 1 means kDefaultTabSize.
constexpr int normalTabSize(int tabSize) {
  return tabSize < 1 ? kDefaultTabSize : tabSize;
}

// Writes the transform of in[0, length) to `out` and returns its length,
// which is never more than `length`. `out` has room for `length` bytes
// (which may all be written, whatever the result's length) and does not
// overlap `in`. Any tabSize >= 1 works (a tab size below 1 is taken as 8).
std::size_t compressTabsInto(const std::uint8_t *in, std::size_t length,
                             std::uint8_t *out, int tabSize,
                             TextEncoding encoding = TextEncoding::SingleByte);

struct OptimizeState {
  // tabSize below 1 → 8
  explicit OptimizeState(int tabSize,
                         TextEncoding encoding = TextEncoding::SingleByte);
  int tabSize;
  TextEncoding encoding;
  LineBuffer line;
};

StepResult optimizeSlice(SliceStream &job, OptimizeState &state);

} // namespace snpln::engine
