#ifndef _WIN32

#include "platform/posix_file_system.h"
#include "platform/posix_detail.h"

#include <algorithm>
#include <cerrno>
#include <limits>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

static_assert(sizeof(off_t) == 8, "64-bit file offsets are required");

namespace snpln::platform {

namespace {

using posix::FdGuard;
using posix::kMaxIo;

std::string baseNameOf(const std::string &path) {
  std::string p = path;
  while (p.size() > 1 && p.back() == '/')
    p.pop_back();
  const auto slash = p.rfind('/');
  return slash == std::string::npos ? p : p.substr(slash + 1);
}

// The word of an entry as it stands (a link is described as a link).
std::optional<std::uint32_t> entryWord(const std::string &path,
                                       const std::string &base) {
  struct statx st;
  if (!posix::statusAt(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, st))
    return std::nullopt;
  return posix::entryWordOf(AT_FDCWD, path.c_str(), st, base);
}

class PosixInputFile : public InputFile {
public:
  // `opened`: the status of `fd` taken right after the open.
  PosixInputFile(FdGuard fd, const struct statx &opened,
                 std::shared_ptr<const posix::PosixDirectory> dir,
                 std::string base, std::string reached, posix::SaveSeams seams,
                 bool lockRefused)
      : fd_(std::make_shared<FdGuard>(std::move(fd))),
        opened_(posix::statusOf(opened)), dir_(std::move(dir)),
        base_(std::move(base)), reached_(std::move(reached)),
        seams_(std::move(seams)), lockRefused_(lockRefused) {}

  bool read(void *buffer, std::size_t size, std::size_t &got) override {
    got = 0;
    char *out = static_cast<char *>(buffer);
    while (got < size) {
      const ssize_t n =
          ::read(fd_->get(), out + got, std::min(size - got, kMaxIo));
      if (n < 0) {
        if (errno == EINTR)
          continue;
        return false;
      }
      if (n == 0)
        break; // end of file
      got += static_cast<std::size_t>(n);
      pos_ += static_cast<FileSize>(n);
    }
    return true;
  }

  bool readAt(FileSize offset, void *buffer, std::size_t size,
              std::size_t &got) override {
    got = 0;
    char *out = static_cast<char *>(buffer);
    while (got < size) {
      const FileSize at = offset + got;
      if (at > static_cast<FileSize>(std::numeric_limits<off_t>::max()))
        return false;
      const ssize_t n =
          ::pread(fd_->get(), out + got, std::min(size - got, kMaxIo),
                  static_cast<off_t>(at));
      if (n < 0) {
        if (errno == EINTR)
          continue;
        return false;
      }
      if (n == 0)
        break; // end of file
      got += static_cast<std::size_t>(n);
    }
    return true;
  }

  bool seek(FileSize position) override {
    if (position > static_cast<FileSize>(std::numeric_limits<off_t>::max()))
      return false;
    if (::lseek(fd_->get(), static_cast<off_t>(position), SEEK_SET) < 0)
      return false;
    pos_ = position;
    return true;
  }

  FileSize position() const override { return pos_; }

  bool size(FileSize &result) override {
    struct stat st;
    if (::fstat(fd_->get(), &st) != 0)
      return false;
    result = static_cast<FileSize>(st.st_size);
    return true;
  }

  bool status(FileStatus &result) override {
    // The status taken at the open stands until something else may have
    // happened to the file: a wait for the lock. A change made after it
    // changes the change time, which the save's last check compares.
    if (openedFresh_) {
      result = opened_;
      return true;
    }
    struct statx st;
    if (!posix::statusOf(fd_->get(), st))
      return false;
    result = posix::statusOf(st);
    return true;
  }

  LockOutcome lock() override {
    if (lockRefused_)
      return LockOutcome::Unsupported;
    for (;;) {
      if (::flock(fd_->get(), LOCK_EX | LOCK_NB) == 0)
        return LockOutcome::Locked;
      if (errno == EWOULDBLOCK) {
        openedFresh_ = false;
        return LockOutcome::Busy;
      }
      if (errno != EINTR)
        return LockOutcome::Unsupported; // ENOLCK, EBADF on NFS, ...
    }
  }

  bool stillNamed() override {
    // The descriptor is the file it was opened as: its identity was taken
    // then.
    struct statx named;
    return posix::statusAt(dir_->fd(), base_.c_str(), AT_SYMLINK_NOFOLLOW,
                           named) &&
           S_ISREG(named.stx_mode) && posix::idOf(named) == opened_.id;
  }

  std::unique_ptr<SaveFile> beginSave(const FileStatus &original,
                                      const SaveRules &rules,
                                      SystemError &why) override {
    return posix::beginPosixSave(fd_, dir_, base_, original, rules, seams_,
                                 why);
  }

  std::string reachedPath() const override { return reached_; }

private:
  // Shared with the saves begun from it, which hold the lock through it.
  std::shared_ptr<FdGuard> fd_;
  FileStatus opened_;
  bool openedFresh_ = true;
  std::shared_ptr<const posix::PosixDirectory> dir_;
  std::string base_;
  // The path the links led to; empty for a name in an open directory.
  std::string reached_;
  posix::SaveSeams seams_;
  bool lockRefused_;
  FileSize pos_ = 0;
};

class PosixDirListing : public DirListing {
public:
  PosixDirListing(std::string prefix, std::vector<std::string> names)
      : prefix_(std::move(prefix)), names_(std::move(names)) {}

  std::optional<DirEntry> next() override {
    while (index_ < names_.size()) {
      std::string &name = names_[index_++];
      const auto word = entryWord(prefix_ + name, name);
      if (!word)
        continue; // vanished since the listing was taken
      return DirEntry{std::move(name), *word};
    }
    return std::nullopt;
  }

private:
  std::string prefix_;
  std::vector<std::string> names_;
  std::size_t index_ = 0;
};

bool hasWildcard(const std::string &part) {
  return part.find_first_of("*?") != std::string::npos;
}

} // namespace

std::unique_ptr<InputFile> PosixFileSystem::openRead(const FileLocation &at) {
  if (at.name.empty())
    return nullptr;
  // Where the file lies: a walked file in its open directory as it is, a
  // path through its links to the directory that holds the file.
  std::shared_ptr<const posix::PosixDirectory> dir;
  std::string base;
  std::string reached;
  if (at.directory) {
    dir = posix::directoryOf(at);
    base = at.name;
    if (!dir || base.find('/') != std::string::npos || base == "." ||
        base == "..")
      return nullptr;
  } else {
    FdGuard parent;
    if (!posix::resolvePath(AT_FDCWD, at.name, parent, base, &reached))
      return nullptr;
    dir = posix::makeDirectory(std::move(parent));
    if (!dir)
      return nullptr;
  }
  constexpr int kOpenFlags =
      O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  FdGuard fd;
  struct statx st;
  if (at.directory && at.seen) {
    // Its caller has just looked at the name and found a regular file:
    // opened at once (never through a link, never waiting on a FIFO), and
    // taken only while it is still that very regular file.
    fd.reset(::openat(dir->fd(), base.c_str(), kOpenFlags));
    if (fd.get() >= 0 &&
        (!posix::statusOf(fd.get(), st) || !S_ISREG(st.stx_mode) ||
         posix::idOf(st) != at.seen->id))
      fd.reset(); // something else now: looked at afresh below
  }
  if (fd.get() < 0) {
    // Look first, so that a device or FIFO is never opened at all.
    struct statx before;
    if (!posix::statusAt(dir->fd(), base.c_str(), AT_SYMLINK_NOFOLLOW, before))
      return nullptr;
    if (!S_ISREG(before.stx_mode)) {
      // Refused here, not by the system: errno tells a directory, and no
      // reason of the system's for anything else.
      errno = S_ISDIR(before.stx_mode) ? EISDIR : 0;
      return nullptr;
    }
    fd.reset(::openat(dir->fd(), base.c_str(), kOpenFlags));
    if (fd.get() < 0)
      return nullptr;
    // The name may have changed between the look and the open.
    if (!posix::statusOf(fd.get(), st))
      return nullptr;
    if (!S_ISREG(st.stx_mode) || posix::idOf(st) != posix::idOf(before)) {
      errno = 0;
      return nullptr;
    }
  }
  // Reads wait for their bytes again (F_SETFL changes only the status
  // flags, of which the file was opened with O_NONBLOCK alone).
  if (::fcntl(fd.get(), F_SETFL, 0) != 0)
    return nullptr;
  posix::SaveSeams seams{commitCheck, unnamedTemporaryFiles, exchangeRefused};
  return std::make_unique<PosixInputFile>(std::move(fd), st, std::move(dir),
                                          std::move(base), std::move(reached),
                                          std::move(seams), lockRefused);
}

std::unique_ptr<DirListing> PosixFileSystem::list(const std::string &pattern) {
  const auto slash = pattern.rfind('/');
  std::string dir, prefix, mask;
  if (slash == std::string::npos) {
    dir = ".";
    mask = pattern;
  } else {
    prefix = pattern.substr(0, slash + 1);
    dir = prefix;
    mask = pattern.substr(slash + 1);
  }
  DIR *d = ::opendir(dir.c_str());
  if (d == nullptr)
    return nullptr;
  std::vector<std::string> names;
  for (;;) {
    errno = 0;
    const struct dirent *e = ::readdir(d);
    if (e == nullptr)
      break; // the end, or an error: what was read so far stands
    std::string name(e->d_name);
    if (matchesDosMask(name, mask))
      names.push_back(std::move(name));
  }
  ::closedir(d);
  if (names.empty())
    return nullptr;
  return std::make_unique<PosixDirListing>(std::move(prefix), std::move(names));
}

std::optional<std::uint32_t> PosixFileSystem::lookup(const std::string &name) {
  if (name.empty())
    return std::nullopt;
  const auto slash = name.rfind('/');
  const std::string last =
      slash == std::string::npos ? name : name.substr(slash + 1);
  if (hasWildcard(last)) {
    auto listing = list(name);
    if (!listing)
      return std::nullopt;
    auto entry = listing->next();
    if (!entry)
      return std::nullopt;
    return entry->attributes;
  }
  std::string stripped = name;
  while (stripped.size() > 1 && stripped.back() == '/')
    stripped.pop_back();
  if (stripped.size() != name.size()) {
    // "name/" names a directory: it must resolve to one.
    struct statx st;
    if (!posix::statusAt(AT_FDCWD, name.c_str(), 0, st) ||
        !S_ISDIR(st.stx_mode))
      return std::nullopt;
  }
  return entryWord(stripped, baseNameOf(stripped));
}

ReplaceCheck PosixFileSystem::replaceAccess(const FileLocation &at) {
  const auto denied = [](int error) {
    return ReplaceCheck{ReplaceAccess::Denied, error != 0 ? error : EACCES};
  };
  errno = 0;
  FdGuard parent;
  std::string base;
  int dirFd = posix::baseFd(at);
  if (at.directory) {
    base = at.name;
  } else {
    if (!posix::resolvePath(AT_FDCWD, at.name, parent, base))
      return denied(errno != 0 ? errno : ENOENT);
    dirFd = parent.get();
  }
  struct statx st;
  if (dirFd == -1 || base.empty() ||
      !posix::statusAt(dirFd, base.c_str(), AT_SYMLINK_NOFOLLOW, st))
    return denied(errno != 0 ? errno : ENOENT);
  // The new version comes in under a new name in the same directory.
  if (::faccessat(dirFd, ".", W_OK | X_OK, AT_EACCESS) != 0)
    return denied(errno);
  const uid_t me = ::geteuid();
  if (me != 0 && st.stx_uid != me)
    return denied(::faccessat(dirFd, base.c_str(), W_OK, AT_EACCESS) == 0
                      ? EPERM
                      : EACCES);
  const bool writable =
      me == 0 ? (st.stx_mode & 0222) != 0 : (st.stx_mode & S_IWUSR) != 0;
  return {writable ? ReplaceAccess::Allowed : ReplaceAccess::ReadOnly, 0};
}

std::optional<FileStatus> PosixFileSystem::status(const FileLocation &at) {
  const int from = posix::baseFd(at);
  const int flags = at.directory ? AT_SYMLINK_NOFOLLOW : 0;
  struct statx st;
  if (from == -1 || at.name.empty() ||
      !posix::statusAt(from, at.name.c_str(), flags, st))
    return std::nullopt;
  return posix::statusOf(st);
}

std::unique_ptr<NewFile> PosixFileSystem::beginNewFile(const FileLocation &at,
                                                       std::uint32_t mode,
                                                       const SaveRules &rules,
                                                       SystemError &why) {
  std::shared_ptr<const posix::PosixDirectory> dir;
  std::string base;
  errno = 0;
  if (at.directory) {
    dir = posix::directoryOf(at);
    base = at.name;
  } else {
    FdGuard parent;
    if (posix::resolvePath(AT_FDCWD, at.name, parent, base))
      dir = posix::makeDirectory(std::move(parent));
  }
  if (!dir || base.empty() || base.find('/') != std::string::npos ||
      base == "." || base == "..") {
    why = posix::systemError(errno != 0 ? errno : ENOENT);
    return nullptr;
  }
  posix::SaveSeams seams{commitCheck, unnamedTemporaryFiles, exchangeRefused};
  return posix::beginPosixNewFile(std::move(dir), std::move(base), mode, rules,
                                  seams, why);
}

FileSystem &realFileSystem() {
  static PosixFileSystem instance;
  return instance;
}

} // namespace snpln::platform

#endif // _WIN32
