#include "cli/option_suggestion.h"

#include <algorithm>

namespace snpln::cli {

std::size_t editDistance(std::string_view a, std::string_view b) {
  // d[i][j]: the distance between the first i bytes of a and the first j
  // bytes of b.
  const std::size_t width = b.size() + 1;
  std::vector<std::size_t> d((a.size() + 1) * width);
  const auto at = [&](std::size_t i, std::size_t j) -> std::size_t & {
    return d[i * width + j];
  };
  for (std::size_t i = 0; i <= a.size(); ++i)
    at(i, 0) = i;
  for (std::size_t j = 0; j <= b.size(); ++j)
    at(0, j) = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
      at(i, j) = std::min(
          {at(i - 1, j) + 1, at(i, j - 1) + 1, at(i - 1, j - 1) + cost});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        at(i, j) = std::min(at(i, j), at(i - 2, j - 2) + 1);
    }
  }
  return at(a.size(), b.size());
}

std::optional<std::string>
nearestOption(std::string_view typed, const std::vector<std::string> &known) {
  std::string_view letters = typed;
  while (!letters.empty() && letters.front() == '-')
    letters.remove_prefix(1);
  std::optional<std::string> best;
  std::size_t bestDistance = 0;
  for (const std::string &option : known) {
    const std::size_t d = editDistance(typed, option);
    if (d == 0 || d > 2 || 2 * d >= letters.size())
      continue;
    if (!best || d < bestDistance) {
      best = option;
      bestDistance = d;
    }
  }
  return best;
}

} // namespace snpln::cli
