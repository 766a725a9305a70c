#ifndef _WIN32

#include "platform/posix_detail.h"

#include "platform/temporary_name.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/random.h>
#include <sys/sysmacros.h>

namespace snpln::platform::posix {

namespace {

constexpr unsigned kStatusMask = STATX_BASIC_STATS | STATX_BTIME;

} // namespace

bool statusAt(int dirFd, const char *name, int flags, struct statx &st) {
  if (*name == '\0')
    flags |= AT_EMPTY_PATH;
  return ::statx(dirFd, name, flags | AT_NO_AUTOMOUNT, kStatusMask, &st) == 0;
}

bool statusOf(int fd, struct statx &st) { return statusAt(fd, "", 0, st); }

FileId idOf(const struct statx &st) {
  FileId id;
  // The same number stat() gives as st_dev.
  id.device =
      static_cast<std::uint64_t>(makedev(st.stx_dev_major, st.stx_dev_minor));
  id.inode = st.stx_ino;
  if ((st.stx_mask & STATX_BTIME) != 0)
    id.born = FileTime{st.stx_btime.tv_sec, st.stx_btime.tv_nsec};
  return id;
}

FileStatus statusOf(const struct statx &st) {
  FileStatus s;
  s.id = idOf(st);
  s.size = static_cast<FileSize>(st.stx_size);
  s.modifiedSeconds = st.stx_mtime.tv_sec;
  s.modifiedNanoseconds = st.stx_mtime.tv_nsec;
  s.changedSeconds = st.stx_ctime.tv_sec;
  s.changedNanoseconds = st.stx_ctime.tv_nsec;
  s.accessedSeconds = st.stx_atime.tv_sec;
  s.accessedNanoseconds = st.stx_atime.tv_nsec;
  s.mode = static_cast<std::uint32_t>(st.stx_mode & 07777);
  s.owner = st.stx_uid;
  s.group = st.stx_gid;
  s.links = st.stx_nlink;
  return s;
}

std::uint32_t statusWord(const struct statx &st) {
  std::uint32_t word;
  if (S_ISDIR(st.stx_mode))
    word = kAttrDirectory;
  else if (S_ISREG(st.stx_mode))
    word = kAttrArchive;
  else
    word = kAttrSystem;
  if ((st.stx_mode & S_IWUSR) == 0)
    word |= kAttrReadOnly;
  return word;
}

EntryKind kindOf(const struct statx &st) {
  if (S_ISLNK(st.stx_mode))
    return EntryKind::Link;
  if (S_ISDIR(st.stx_mode))
    return EntryKind::Directory;
  if (S_ISREG(st.stx_mode))
    return EntryKind::File;
  return EntryKind::Other;
}

std::uint32_t entryWordOf(int dirFd, const char *name, const struct statx &st,
                          const std::string &base) {
  std::uint32_t word = statusWord(st);
  if (S_ISLNK(st.stx_mode)) {
    word = kAttrReparsePoint;
    struct statx target;
    if (statusAt(dirFd, name, 0, target))
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

std::shared_ptr<const PosixDirectory> directoryOf(const FileLocation &at) {
  return std::dynamic_pointer_cast<const PosixDirectory>(at.directory);
}

std::shared_ptr<const PosixDirectory> makeDirectory(FdGuard fd) {
  struct statx st;
  if (fd.get() < 0 || !statusOf(fd.get(), st))
    return nullptr;
  return std::make_shared<PosixDirectory>(std::move(fd), idOf(st));
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

bool resolvePath(int from, const std::string &name, FdGuard &directory,
                 std::string &base, std::string *reached) {
  // Symbolic links followed from the name to the file, as the system allows.
  constexpr int kMaxLinks = 40;
  if (!openParent(from, name, directory, base))
    return false;
  if (reached)
    *reached = name;
  std::string text(4096, '\0');
  for (int hop = 0; hop <= kMaxLinks; ++hop) {
    const ssize_t n =
        ::readlinkat(directory.get(), base.c_str(), text.data(), text.size());
    if (n < 0)
      return errno == EINVAL || errno == ENOENT; // not a link, or nothing
    if (static_cast<std::size_t>(n) >= text.size())
      return false; // a link text this long names no file we can reach
    const std::string target = text.substr(0, static_cast<std::size_t>(n));
    FdGuard next;
    if (!openParent(directory.get(), target, next, base))
      return false;
    directory = std::move(next);
    if (reached) {
      // An absolute text stands alone; a relative one is read in the
      // directory of the link (the path up to its last '/').
      const auto slash = reached->rfind('/');
      if (target.empty() || target.front() == '/' || slash == std::string::npos)
        *reached = target;
      else
        *reached = reached->substr(0, slash + 1) + target;
    }
  }
  return false; // a loop
}

std::string randomTemporaryName() {
  // The system's random bytes, fetched for many names at once (each thread
  // its own), each byte used for one name only.
  constexpr std::size_t kNamesAhead = 64;
  thread_local unsigned char pool[kTemporaryNameBytes * kNamesAhead];
  thread_local std::size_t left = 0;
  unsigned char bytes[kTemporaryNameBytes];
  if (left < sizeof bytes) {
    const ssize_t got = ::getrandom(pool, sizeof pool, GRND_NONBLOCK);
    left = got > 0 ? static_cast<std::size_t>(got) : 0;
  }
  if (left >= sizeof bytes) {
    left -= sizeof bytes;
    std::memcpy(bytes, pool + left, sizeof bytes);
    std::memset(pool + left, 0, sizeof bytes);
  } else {
    fillWithoutRandomSource(bytes, static_cast<std::uint64_t>(::getpid()));
  }
  return temporaryNameFrom(bytes);
}

} // namespace snpln::platform::posix

#endif // _WIN32
