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
  FdGuard fd(::openat(from, name.c_str(),
                      O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (fd.get() < 0)
    return nullptr;
  struct stat st;
  if (::fstat(fd.get(), &st) != 0)
    return nullptr;
  return std::make_shared<posix::PosixDirectory>(std::move(fd),
                                                 posix::idOf(st));
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
    struct stat st;
    if (::fstatat(dir->fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno == ENOENT)
        continue; // vanished since the names were read
      return std::nullopt;
    }
    const std::uint32_t word =
        posix::entryWordOf(dir->fd(), name.c_str(), st, name);
    entries.push_back(DirEntry{std::move(name), word});
  }
  return entries;
}

} // namespace snpln::platform

#endif // _WIN32
