#include "batch/tab_size.h"

#include <climits>

#include "engine/optimize_slice.h"

namespace snpln::batch {

namespace {

bool isCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

} // namespace

int parseTabSize(const std::string &answer) {
  std::size_t i = 0;
  while (i < answer.size() && isCSpace(answer[i]))
    ++i;
  bool negative = false;
  if (i < answer.size() && (answer[i] == '+' || answer[i] == '-')) {
    negative = answer[i] == '-';
    ++i;
  }
  // Accumulate as a non-positive number so INT_MIN fits too.
  long long value = 0;
  bool saturated = false;
  for (; i < answer.size() && answer[i] >= '0' && answer[i] <= '9'; ++i) {
    if (saturated)
      continue;
    value = value * 10 + (answer[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1)
      saturated = true;
  }
  int result;
  if (negative)
    result = saturated ? INT_MIN : static_cast<int>(-value);
  else
    result = saturated || value > INT_MAX ? INT_MAX : static_cast<int>(value);
  return engine::normalTabSize(result);
}

} // namespace snpln::batch
