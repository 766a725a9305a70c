#ifndef _WIN32

#include "platform/posix_file_system.h"
#include "platform/posix_detail.h"

#include <algorithm>
#include <cerrno>
#include <limits>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
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
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0)
    return std::nullopt;
  return posix::entryWordOf(AT_FDCWD, path.c_str(), st, base);
}

class PosixInputFile : public InputFile {
public:
  explicit PosixInputFile(int fd) : fd_(fd) {}

  bool read(void *buffer, std::size_t size, std::size_t &got) override {
    got = 0;
    char *out = static_cast<char *>(buffer);
    while (got < size) {
      const ssize_t n =
          ::read(fd_.get(), out + got, std::min(size - got, kMaxIo));
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

  bool seek(FileSize position) override {
    if (position > static_cast<FileSize>(std::numeric_limits<off_t>::max()))
      return false;
    if (::lseek(fd_.get(), static_cast<off_t>(position), SEEK_SET) < 0)
      return false;
    pos_ = position;
    return true;
  }

  FileSize position() const override { return pos_; }

  bool size(FileSize &result) override {
    struct stat st;
    if (::fstat(fd_.get(), &st) != 0)
      return false;
    result = static_cast<FileSize>(st.st_size);
    return true;
  }

  bool status(FileStatus &result) override {
    struct stat st;
    if (::fstat(fd_.get(), &st) != 0)
      return false;
    result = posix::statusOf(st);
    return true;
  }

private:
  FdGuard fd_;
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
  const int from = posix::baseFd(at);
  if (from == -1 || at.name.empty())
    return nullptr;
  const char *name = at.name.c_str();
  // Look first, so that a device or FIFO is never opened at all.
  struct stat before;
  if (::fstatat(from, name, &before, 0) != 0 || !S_ISREG(before.st_mode))
    return nullptr;
  FdGuard fd(::openat(from, name, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0)
    return nullptr;
  // The name may have changed between the look and the open.
  struct stat st;
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
    return nullptr;
  const int flags = ::fcntl(fd.get(), F_GETFL);
  if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
    return nullptr;
  return std::make_unique<PosixInputFile>(fd.release());
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
    struct stat st;
    if (::stat(name.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
      return std::nullopt;
  }
  return entryWord(stripped, baseNameOf(stripped));
}

std::optional<FileStatus> PosixFileSystem::status(const FileLocation &at) {
  const int from = posix::baseFd(at);
  struct stat st;
  if (from == -1 || at.name.empty() ||
      ::fstatat(from, at.name.c_str(), &st, 0) != 0)
    return std::nullopt;
  return posix::statusOf(st);
}

FileSystem &realFileSystem() {
  static PosixFileSystem instance;
  return instance;
}

} // namespace snpln::platform

#endif // _WIN32
