#include "platform/file_system.h"

namespace snpln::platform {

namespace {

char foldAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// '*' any run, '?' one character, ASCII letters regardless of case, the
// rest literal. Greedy with one back-tracking point (the last '*'): every
// mismatch moves the run of the last '*' on by one, so the work is at most
// name length x mask length, never exponential.
bool matchPlain(const std::string &name, std::string::size_type nameEnd,
                const std::string &mask, std::string::size_type maskEnd) {
  std::string::size_type n = 0, m = 0;
  std::string::size_type starMask = std::string::npos, starName = 0;
  while (n < nameEnd) {
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
  while (m < maskEnd && mask[m] == '*')
    ++m;
  return m == maskEnd;
}

} // namespace

bool matchesDosMask(const std::string &name, const std::string &mask) {
  if (matchPlain(name, name.size(), mask, mask.size()))
    return true;
  // A mask ending in ".*" also matches when the part before ".*" matches
  // the whole name, as the Windows search does (its trailing ".*" may match
  // nothing): "*.*" matches every name, "abc.*" matches "abc", and "*b.*"
  // matches "a.b".
  const auto size = mask.size();
  return size >= 2 && mask[size - 2] == '.' && mask[size - 1] == '*' &&
         matchPlain(name, name.size(), mask, size - 2);
}

} // namespace snpln::platform
