// The nearest known option to a mistyped one, by edit distance.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace snpln::cli {

// The fewest insertions, deletions and substitutions of one byte, and
// swaps of two neighbouring bytes, that make `a` into `b` (no byte is
// edited twice).
std::size_t editDistance(std::string_view a, std::string_view b);

// Of `known` ("--keep-date", ...), the one nearest to `typed`, when it is
// near enough to be a typo: at most 2 edits, and fewer than half of the
// typed name's letters (the first of equal distance wins). Nothing else.
std::optional<std::string> nearestOption(std::string_view typed,
                                         const std::vector<std::string> &known);

} // namespace snpln::cli
