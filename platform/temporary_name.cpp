#include "platform/temporary_name.h"

#include <atomic>
#include <chrono>

#include "platform/file_system.h"

namespace snpln::platform {

namespace {

constexpr const char *kOldFixedName = "~sn$ln~.tmp";
constexpr const char *kPrefix = ".~sn$ln~";
constexpr const char *kSuffix = ".tmp";
constexpr std::size_t kRandomLength = kTemporaryNameBytes;
constexpr char kDigits[] =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr std::size_t kBase = sizeof kDigits - 1;

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

void fillWithoutRandomSource(unsigned char (&bytes)[kTemporaryNameBytes],
                             std::uint64_t processId) {
  static std::atomic<std::uint64_t> counter{0};
  std::uint64_t x =
      processId * 0x9E3779B97F4A7C15ull ^
      static_cast<std::uint64_t>(
          std::chrono::steady_clock::now().time_since_epoch().count()) ^
      (counter++ << 40);
  for (unsigned char &b : bytes) {
    x ^= x >> 33;
    x *= 0xFF51AFD7ED558CCDull;
    x ^= x >> 29;
    b = static_cast<unsigned char>(x);
  }
}

std::string
temporaryNameFrom(const unsigned char (&bytes)[kTemporaryNameBytes]) {
  std::string name = kPrefix;
  for (unsigned char b : bytes)
    name += kDigits[b % kBase];
  name += kSuffix;
  return name;
}

} // namespace snpln::platform
