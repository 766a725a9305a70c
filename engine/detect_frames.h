// Frames and tables drawn with box-drawing characters, as detection sees
// them in one reading of the bytes.
//
// A box-drawing character stands in a frame when its line meets a
// neighbour's: each arm it has to the left or right meets a character
// beside it with an arm of the same kind (single or double) pointing back
// (╔═╦═╗, ╟─┼─╢); a character without such arms (│, ║) stands in one
// between blanks, line ends or box-drawing characters, and a block or
// shade (█, ░) beside one of its own kind. Text in another page read as
// CP866 or KOI8-R gives box-drawing characters too, but mixed at random,
// so few of them meet.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/code_page.h"

namespace snpln::engine {

struct FrameEvidence {
  std::size_t boxes = 0;  // bytes that are box drawing in the page
  std::size_t framed = 0; // of which standing in a frame
};

// A page draws frames in the bytes when at least this many of its box
// characters stand in one, and at least three in four of all of them.
inline constexpr std::size_t kFramedAtLeast = 8;

// `page` is Dos, Win, Koi or Iso (Win and Iso have no box drawing). When
// `framed` is given, it is sized to `size` and marks the framed bytes.
FrameEvidence findFrames(const std::uint8_t *bytes, std::size_t size,
                         CodePage page, std::vector<bool> *framed = nullptr);
bool drawsFrames(const FrameEvidence &evidence);

} // namespace snpln::engine
