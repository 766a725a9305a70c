#ifndef _WIN32

#include "platform/posix_file_system.h"
#include "platform/posix_detail.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
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

// The largest amount handed to one read or write call.
constexpr std::size_t kMaxIo = std::size_t{1} << 30;

using posix::FdGuard;
using posix::hiddenBit;
using posix::statusWord;

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
  if (S_ISLNK(st.st_mode)) {
    std::uint32_t word = kAttrReparsePoint | hiddenBit(base);
    struct stat target;
    if (::stat(path.c_str(), &target) == 0)
      word |= statusWord(target);
    return word;
  }
  return statusWord(st) | hiddenBit(base);
}

std::string directoryOf(const std::string &path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos)
    return ".";
  if (slash == 0)
    return "/";
  return path.substr(0, slash);
}

// Best effort: puts the directory entry changes of `dir` on the disk.
void syncDirectory(const std::string &dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0)
    return;
  (void)::fsync(fd);
  ::close(fd);
}

bool writeAllFd(int fd, const char *data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, std::min(size, kMaxIo));
    if (n < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    if (n == 0)
      return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
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

class PosixOutputFile : public OutputFile {
public:
  explicit PosixOutputFile(int fd) : fd_(fd) {}

  bool write(const void *buffer, std::size_t size,
             std::size_t &written) override {
    written = 0;
    if (size == 0)
      return true;
    for (;;) {
      const ssize_t n = ::write(fd_.get(), buffer, std::min(size, kMaxIo));
      if (n < 0) {
        if (errno == EINTR)
          continue;
        return false;
      }
      written = static_cast<std::size_t>(n);
      return true;
    }
  }

  bool flush() override {
    while (::fsync(fd_.get()) != 0) {
      if (errno != EINTR)
        return false;
    }
    return true;
  }

private:
  FdGuard fd_;
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

// Copies `from` (by name) into a fresh hidden sibling of `target`, gives it
// `owner` (best effort) and `mode` and renames it over `target`. On failure
// the sibling is gone and `target` untouched.
bool copyReplace(const std::string &from, const std::string &target,
                 const struct stat &owner, mode_t mode) {
  FdGuard in(::open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  if (in.get() < 0)
    return false;
  struct stat inStat;
  if (::fstat(in.get(), &inStat) != 0 || !S_ISREG(inStat.st_mode))
    return false;

  const std::string dir = directoryOf(target);
  std::string sibling =
      (dir == "/" ? std::string("/") : dir + "/") + ".~sn$ln~XXXXXX";
  std::vector<char> name(sibling.begin(), sibling.end());
  name.push_back('\0');
  FdGuard out(::mkostemp(name.data(), O_CLOEXEC));
  if (out.get() < 0)
    return false;
  sibling.assign(name.data());

  bool ok = true;
  std::vector<char> buffer(1 << 16);
  while (ok) {
    const ssize_t n = ::read(in.get(), buffer.data(), buffer.size());
    if (n < 0) {
      if (errno == EINTR)
        continue;
      ok = false;
    } else if (n == 0) {
      break;
    } else {
      ok = writeAllFd(out.get(), buffer.data(), static_cast<std::size_t>(n));
    }
  }
  if (ok) {
    (void)::fchown(out.get(), owner.st_uid, owner.st_gid);
    ok = ::fchmod(out.get(), mode) == 0;
  }
  if (ok)
    ok = ::fsync(out.get()) == 0;
  if (!out.close())
    ok = false;
  if (ok)
    ok = ::rename(sibling.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(sibling.c_str());
    return false;
  }
  return true;
}

} // namespace

std::unique_ptr<InputFile> PosixFileSystem::openRead(const std::string &path) {
  return openRead(FileLocation(path));
}

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

std::optional<FileAttributes>
PosixFileSystem::getAttributes(const std::string &path) {
  struct stat st;
  if (path.empty() || ::stat(path.c_str(), &st) != 0)
    return std::nullopt;
  FileAttributes a;
  a.word = statusWord(st) | hiddenBit(baseNameOf(path));
  a.mode = static_cast<std::uint32_t>(st.st_mode & 07777);
  return a;
}

bool PosixFileSystem::setNormal(const std::string &path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0)
    return false;
  return ::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
}

bool PosixFileSystem::restoreAttributes(const std::string &path,
                                        const FileAttributes &saved) {
  return ::chmod(path.c_str(), static_cast<mode_t>(saved.mode & 07777)) == 0;
}

std::unique_ptr<OutputFile>
PosixFileSystem::createTemp(const std::string &name) {
  if (name.empty())
    return nullptr;
  // Removes a leftover file or a planted link (not what it points to). A
  // directory of that name stays, and the exclusive create below fails.
  ::unlink(name.c_str());
  const int fd = ::open(
      name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0)
    return nullptr;
  return std::make_unique<PosixOutputFile>(fd);
}

bool PosixFileSystem::markTemporary(const std::string &) { return true; }

bool PosixFileSystem::remove(const std::string &path) {
  return ::unlink(path.c_str()) == 0;
}

bool PosixFileSystem::replaceWith(const std::string &tempName,
                                  const std::string &target,
                                  const FileAttributes &keep) {
  // The temporary file must be a regular file of its own, not a link.
  struct stat tempStat;
  if (::lstat(tempName.c_str(), &tempStat) != 0 || !S_ISREG(tempStat.st_mode))
    return false;

  // Replace the file a link points to, so that the link stays.
  std::string resolved = target;
  struct stat linkStat;
  if (::lstat(target.c_str(), &linkStat) == 0 && S_ISLNK(linkStat.st_mode)) {
    char *real = ::realpath(target.c_str(), nullptr);
    if (real == nullptr)
      return false; // a dangling link: nothing to replace
    resolved = real;
    std::free(real);
  }

  struct stat targetStat;
  const bool targetExists = ::stat(resolved.c_str(), &targetStat) == 0;
  mode_t mode;
  if (keep.word == 0 && keep.mode == 0)
    mode = targetExists ? (targetStat.st_mode & 07777) : 0600;
  else
    mode = static_cast<mode_t>(keep.mode & 07777);
  if (!targetExists) {
    targetStat.st_uid = ::geteuid();
    targetStat.st_gid = ::getegid();
  }

  if (!forceCopyReplace) {
    // chown first: it may clear set-id bits that chmod then puts back.
    (void)::chown(tempName.c_str(), targetStat.st_uid, targetStat.st_gid);
    if (::chmod(tempName.c_str(), mode) != 0)
      return false;
    if (::rename(tempName.c_str(), resolved.c_str()) == 0) {
      syncDirectory(directoryOf(resolved));
      return true;
    }
    if (errno != EXDEV)
      return false;
  }

  if (!copyReplace(tempName, resolved, targetStat, mode))
    return false;
  syncDirectory(directoryOf(resolved));
  ::unlink(tempName.c_str());
  return true;
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

bool PosixFileSystem::sameFile(const std::string &a, const std::string &b) {
  struct stat sa {
  }, sb{};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 &&
         sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

} // namespace snpln::platform

#endif // _WIN32
