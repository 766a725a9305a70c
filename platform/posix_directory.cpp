#ifndef _WIN32

#include <cerrno>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix_detail.h"
#include "platform/posix_file_system.h"

namespace snpln::platform {

using posix::FdGuard;

std::shared_ptr<const Directory>
PosixFileSystem::openDirectory(const FileLocation &at) {
  const int from = posix::baseFd(at);
  std::string name = at.name;
  while (name.size() > 1 && name.back() == '/')
    name.pop_back();
  if (from == -1 || name.empty())
    return nullptr;
  // A path is a name the user gave, followed through its links; a name in
  // an open directory (a walked tree) never is.
  const int follow = at.directory ? O_NOFOLLOW : 0;
  FdGuard fd(::openat(from, name.c_str(),
                      O_RDONLY | O_DIRECTORY | follow | O_CLOEXEC));
  if (fd.get() < 0)
    return nullptr;
  return posix::makeDirectory(std::move(fd));
}

bool PosixFileSystem::flushDirectory(const Directory &directory,
                                     SystemError &why) {
  why = SystemError{};
  const auto *dir = dynamic_cast<const posix::PosixDirectory *>(&directory);
  if (dir == nullptr)
    return true; // not ours: nothing of it to flush here
  // A directory opened only as a path cannot be flushed (fsync refuses
  // such a descriptor); its file system keeps the order of its changes.
  const int flags = ::fcntl(dir->fd(), F_GETFL);
  if (flags != -1 && (flags & O_PATH) != 0)
    return true;
  if (commitCheck && !commitCheck(CommitStep::DirectoryFlush)) {
    why = posix::systemError(EIO);
    return false;
  }
  while (::fsync(dir->fd()) != 0)
    if (errno != EINTR) {
      why = posix::systemError(errno);
      return false;
    }
  return true;
}

std::optional<std::vector<DirEntry>>
PosixFileSystem::listDirectory(const Directory &directory,
                               const std::string &mask) {
  const auto *dir = dynamic_cast<const posix::PosixDirectory *>(&directory);
  if (dir == nullptr)
    return std::nullopt;
  // A descriptor of its own, so that the listing starts at the beginning
  // whatever was listed through this directory before.
  const int fd = ::openat(dir->fd(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0)
    return std::nullopt;
  DIR *d = ::fdopendir(fd);
  if (d == nullptr) {
    ::close(fd);
    return std::nullopt;
  }
  std::vector<std::string> names;
  bool failed = false;
  for (;;) {
    errno = 0;
    const struct dirent *e = ::readdir(d);
    if (e == nullptr) {
      failed = errno != 0;
      break;
    }
    std::string name(e->d_name);
    if (matchesDosMask(name, mask))
      names.push_back(std::move(name));
  }
  ::closedir(d);
  if (failed)
    return std::nullopt;

  std::vector<DirEntry> entries;
  entries.reserve(names.size());
  for (std::string &name : names) {
    struct statx st;
    if (!posix::statusAt(dir->fd(), name.c_str(), AT_SYMLINK_NOFOLLOW, st)) {
      if (errno == ENOENT)
        continue; // vanished since the names were read
      return std::nullopt;
    }
    const std::uint32_t word =
        posix::entryWordOf(dir->fd(), name.c_str(), st, name);
    const EntryKind kind = posix::kindOf(st);
    entries.push_back(
        DirEntry{std::move(name), word, kind, posix::statusOf(st)});
  }
  return entries;
}

} // namespace snpln::platform

#endif // _WIN32
