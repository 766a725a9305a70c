#include "platform/file_system.h"

namespace snpln::platform {

namespace {

constexpr const char *kOldFixedName = "~sn$ln~.tmp";
constexpr const char *kPrefix = ".~sn$ln~";
constexpr const char *kSuffix = ".tmp";
constexpr std::size_t kRandomLength = 12;

bool isLetterOrDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
         (c >= 'a' && c <= 'z');
}

} // namespace

bool isTemporaryName(const std::string &name) {
  if (name == kOldFixedName)
    return true;
  const std::string prefix = kPrefix, suffix = kSuffix;
  if (name.size() != prefix.size() + kRandomLength + suffix.size() ||
      name.compare(0, prefix.size(), prefix) != 0 ||
      name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
    return false;
  for (std::size_t i = 0; i < kRandomLength; ++i)
    if (!isLetterOrDigit(name[prefix.size() + i]))
      return false;
  return true;
}

} // namespace snpln::platform
