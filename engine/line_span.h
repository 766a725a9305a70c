// Where lines end: the one rule of every part that cuts text into lines
// (the line engines, the preview's editor and its fast view).
//
// A line ends at CR LF, at LF CR, or at a CR or LF that neither pair takes
// (so LF LF is a line end followed by an empty line, and CR LF CR is one
// line end followed by a lone CR). The last line ends at the end of the
// text; a text whose last byte ends a line has no line after it as the
// engines count, while the preview shows an empty last line there.
#pragma once

#include <cstddef>
#include <cstdint>

namespace snpln::engine {

inline constexpr std::uint8_t kCr = 0x0D;
inline constexpr std::uint8_t kLf = 0x0A;

inline bool isLineEndByte(std::uint8_t b) { return b == kCr || b == kLf; }

// The byte that, right after `first` (a CR or LF), makes one line end of
// the two.
inline std::uint8_t lineEndPartner(std::uint8_t first) {
  return first == kCr ? kLf : kCr;
}

// The line end at bytes[at] (a CR or LF) of the `size` bytes at hand: 2
// bytes when its partner follows, else 1.
inline std::size_t lineEndLength(const std::uint8_t *bytes, std::size_t size,
                                 std::size_t at) {
  return at + 1 < size && bytes[at + 1] == lineEndPartner(bytes[at]) ? 2 : 1;
}

// One line of a text in memory: its bytes [begin, begin + length) and the
// line end after them (0 to 2 bytes; 0 only for the text's last line).
struct LineSpan {
  std::size_t begin = 0;
  std::size_t length = 0;
  std::size_t endLength = 0;
  std::size_t next() const { return begin + length + endLength; }
};

// The line that begins at `from` (<= size) in `bytes`.
inline LineSpan lineSpanAt(const std::uint8_t *bytes, std::size_t size,
                           std::size_t from) {
  LineSpan span{from, 0, 0};
  std::size_t i = from;
  while (i < size && !isLineEndByte(bytes[i]))
    ++i;
  span.length = i - from;
  if (i < size)
    span.endLength = lineEndLength(bytes, size, i);
  return span;
}

} // namespace snpln::engine
