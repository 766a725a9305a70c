#include "platform/file_system.h"

namespace snpln::platform {

namespace {

char foldAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// '*' any run, '?' one character, ASCII letters regardless of case, the
// rest literal. Greedy with one back-tracking point (the last '*'): every
// mismatch moves the run of the last '*' on by one, so the work is at most
// name length x mask length, never exponential. With kCount, each turn of
// the loop adds one to `steps` (the product's matcher counts nothing).
template <bool kCount>
bool matchPlain(const std::string &name, std::string::size_type nameEnd,
                const std::string &mask, std::string::size_type maskEnd,
                std::uint64_t *steps) {
  std::string::size_type n = 0, m = 0;
  std::string::size_type starMask = std::string::npos, starName = 0;
  while (n < nameEnd) {
    if constexpr (kCount)
      ++*steps;
    if (m < maskEnd && mask[m] == '*') {
      starMask = m++;
      starName = n;
    } else if (m < maskEnd &&
               (mask[m] == '?' || foldAscii(mask[m]) == foldAscii(name[n]))) {
      ++m;
      ++n;
    } else if (starMask != std::string::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < maskEnd && mask[m] == '*') {
    if constexpr (kCount)
      ++*steps;
    ++m;
  }
  return m == maskEnd;
}

template <bool kCount>
bool matchMask(const std::string &name, const std::string &mask,
               std::uint64_t *steps) {
  if (matchPlain<kCount>(name, name.size(), mask, mask.size(), steps))
    return true;
  // A mask ending in ".*" also matches when the part before ".*" matches
  // the whole name, as the Windows search does (its trailing ".*" may match
  // nothing): "*.*" matches every name, "abc.*" matches "abc", and "*b.*"
  // matches "a.b".
  const auto size = mask.size();
  return size >= 2 && mask[size - 2] == '.' && mask[size - 1] == '*' &&
         matchPlain<kCount>(name, name.size(), mask, size - 2, steps);
}

} // namespace

bool matchesDosMask(const std::string &name, const std::string &mask) {
  return matchMask<false>(name, mask, nullptr);
}

bool matchesDosMask(const std::string &name, const std::string &mask,
                    std::uint64_t &steps) {
  return matchMask<true>(name, mask, &steps);
}

} // namespace snpln::platform
