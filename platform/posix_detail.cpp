#ifndef _WIN32

#include "platform/posix_detail.h"

#include <atomic>
#include <cerrno>
#include <chrono>

#include <fcntl.h>
#include <sys/random.h>

namespace snpln::platform::posix {

FileId idOf(const struct stat &st) {
  return FileId{static_cast<std::uint64_t>(st.st_dev),
                static_cast<std::uint64_t>(st.st_ino)};
}

FileStatus statusOf(const struct stat &st) {
  FileStatus s;
  s.id = idOf(st);
  s.size = static_cast<FileSize>(st.st_size);
  s.modifiedSeconds = static_cast<std::int64_t>(st.st_mtim.tv_sec);
  s.modifiedNanoseconds = static_cast<std::int64_t>(st.st_mtim.tv_nsec);
  s.mode = static_cast<std::uint32_t>(st.st_mode & 07777);
  s.owner = static_cast<std::uint32_t>(st.st_uid);
  s.group = static_cast<std::uint32_t>(st.st_gid);
  return s;
}

std::uint32_t statusWord(const struct stat &st) {
  std::uint32_t word;
  if (S_ISDIR(st.st_mode))
    word = kAttrDirectory;
  else if (S_ISREG(st.st_mode))
    word = kAttrArchive;
  else
    word = kAttrSystem;
  if ((st.st_mode & S_IWUSR) == 0)
    word |= kAttrReadOnly;
  return word;
}

std::uint32_t entryWordOf(int dirFd, const char *name, const struct stat &st,
                          const std::string &base) {
  std::uint32_t word = statusWord(st);
  if (S_ISLNK(st.st_mode)) {
    word = kAttrReparsePoint;
    struct stat target;
    if (::fstatat(dirFd, name, &target, 0) == 0)
      word |= statusWord(target);
  }
  return word | hiddenBit(base);
}

std::uint32_t hiddenBit(const std::string &base) {
  const bool hidden =
      !base.empty() && base[0] == '.' && base != "." && base != "..";
  return hidden ? kAttrHidden : 0;
}

int baseFd(const FileLocation &at) {
  if (!at.directory)
    return AT_FDCWD;
  const auto *dir = dynamic_cast<const PosixDirectory *>(at.directory.get());
  return dir ? dir->fd() : -1;
}

bool openParent(int from, const std::string &name, FdGuard &directory,
                std::string &base) {
  const auto slash = name.rfind('/');
  std::string part;
  if (slash == std::string::npos) {
    part = ".";
    base = name;
  } else {
    part = slash == 0 ? "/" : name.substr(0, slash);
    base = name.substr(slash + 1);
  }
  if (base.empty() || base == "." || base == "..")
    return false;
  int fd = ::openat(from, part.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0 && errno == EACCES)
    fd = ::openat(from, part.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0)
    return false;
  directory.reset(fd);
  return true;
}

std::string randomTemporaryName() {
  static constexpr char kDigits[] =
      "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  constexpr std::size_t kBase = sizeof kDigits - 1;
  unsigned char bytes[12];
  if (::getrandom(bytes, sizeof bytes, GRND_NONBLOCK) !=
      static_cast<ssize_t>(sizeof bytes)) {
    // No entropy yet (early boot): the process, the time and a counter
    // still make the name unlikely to be taken, and the exclusive create
    // settles the rest.
    static std::atomic<std::uint64_t> counter{0};
    std::uint64_t x =
        static_cast<std::uint64_t>(::getpid()) * 0x9E3779B97F4A7C15ull ^
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
  std::string name = ".~sn$ln~";
  for (unsigned char b : bytes)
    name += kDigits[b % kBase];
  name += ".tmp";
  return name;
}

} // namespace snpln::platform::posix

#endif // _WIN32
