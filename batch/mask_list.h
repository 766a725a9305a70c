// The masks of a run, cut from the filter box's text.
#pragma once

#include <string>
#include <vector>

namespace snpln::batch {

// The pieces of `filterText` between blanks and TABs, in order, empty pieces
// dropped; the single mask "*.*" when no piece remains.
std::vector<std::string> splitMasks(const std::string &filterText);

} // namespace snpln::batch
