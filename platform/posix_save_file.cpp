#ifndef _WIN32

#include <algorithm>
#include <cerrno>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix_detail.h"
#include "platform/posix_file_system.h"

namespace snpln::platform {

namespace {

using posix::FdGuard;
using posix::idOf;
using posix::kMaxIo;

// Symbolic links followed from the name to the file, as the system allows.
constexpr int kMaxLinks = 40;
// Names tried before giving up when every one is taken.
constexpr int kNameTries = 100;

// Follows the links of `at` to the file they lead to: `directory` is the
// directory that holds it and `base` its name there, which is not a link.
bool resolveTarget(const FileLocation &at, FdGuard &directory,
                   std::string &base) {
  const int from = posix::baseFd(at);
  if (from == -1 || !posix::openParent(from, at.name, directory, base))
    return false;
  std::string text(4096, '\0');
  for (int hop = 0; hop <= kMaxLinks; ++hop) {
    const ssize_t n =
        ::readlinkat(directory.get(), base.c_str(), text.data(), text.size());
    if (n < 0)
      return errno == EINVAL; // not a link: the file itself
    if (static_cast<std::size_t>(n) >= text.size())
      return false; // a link text this long names no file we can reach
    FdGuard next;
    if (!posix::openParent(directory.get(),
                           text.substr(0, static_cast<std::size_t>(n)), next,
                           base))
      return false;
    directory = std::move(next);
  }
  return false; // a loop
}

bool fsyncFd(int fd) {
  while (::fsync(fd) != 0)
    if (errno != EINTR)
      return false;
  return true;
}

class PosixSaveFile : public SaveFile {
public:
  PosixSaveFile(FdGuard directory, std::string base, FileStatus original,
                FdGuard file, std::string tempName, FileId tempId,
                PosixFileSystem::CommitCheck check)
      : directory_(std::move(directory)), base_(std::move(base)),
        original_(original), file_(std::move(file)),
        tempName_(std::move(tempName)), tempId_(tempId),
        check_(std::move(check)) {}

  ~PosixSaveFile() override { abandon(); }

  bool write(const void *buffer, std::size_t size,
             std::size_t &written) override {
    written = 0;
    if (file_.get() < 0)
      return false;
    if (size == 0)
      return true;
    for (;;) {
      const ssize_t n = ::write(file_.get(), buffer, std::min(size, kMaxIo));
      if (n < 0) {
        if (errno == EINTR)
          continue;
        return false;
      }
      written = static_cast<std::size_t>(n);
      return true;
    }
  }

  bool flush() override { return file_.get() >= 0 && fsyncFd(file_.get()); }

  SaveOutcome commit() override {
    if (file_.get() < 0)
      return SaveOutcome::WriteFailed;
    const SaveOutcome outcome = put();
    if (outcome != SaveOutcome::Replaced)
      abandon();
    return outcome;
  }

  void abandon() override {
    // An unnamed file goes with its descriptor. A named one is removed only
    // while the name still leads to it.
    if (!tempName_.empty() && directory_.get() >= 0) {
      struct stat st;
      if (::fstatat(directory_.get(), tempName_.c_str(), &st,
                    AT_SYMLINK_NOFOLLOW) == 0 &&
          idOf(st) == tempId_)
        ::unlinkat(directory_.get(), tempName_.c_str(), 0);
    }
    tempName_.clear();
    file_.reset();
    directory_.reset();
  }

private:
  bool allowed(PosixFileSystem::CommitStep step) {
    if (check_ && !check_(step)) {
      errno = EIO;
      return false;
    }
    return true;
  }

  SaveOutcome put() {
    using Step = PosixFileSystem::CommitStep;
    const int fd = file_.get();
    const int dir = directory_.get();

    // Owner first: a change of owner clears the set-id bits, which the mode
    // then puts back. Where the owner cannot be given (a user saving a file
    // of another), the new file stays the user's, without set-id bits.
    auto mode = static_cast<mode_t>(original_.mode & 07777);
    struct stat own;
    if (::fstat(fd, &own) != 0)
      return SaveOutcome::WriteFailed;
    if (own.st_uid != original_.owner || own.st_gid != original_.group) {
      if (::fchown(fd, original_.owner, original_.group) != 0)
        mode &= static_cast<mode_t>(~(S_ISUID | S_ISGID));
    }
    if (!allowed(Step::Attributes) || ::fchmod(fd, mode) != 0)
      return SaveOutcome::WriteFailed;
    if (!allowed(Step::Flush) || !fsyncFd(fd))
      return SaveOutcome::WriteFailed;
    if (tempName_.empty() && !link())
      return SaveOutcome::WriteFailed;

    // The last look before the rename: the name must still lead to the
    // very version that was read, not to a link or another program's file.
    struct stat now;
    if (::fstatat(dir, base_.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(now.st_mode) || !sameVersion(original_, posix::statusOf(now)))
      return SaveOutcome::TargetChanged;
    if (!allowed(Step::Rename) ||
        ::renameat(dir, tempName_.c_str(), dir, base_.c_str()) != 0)
      return SaveOutcome::WriteFailed;
    tempName_.clear();
    // The rename itself must survive a power cut. A directory opened only
    // as a path cannot be flushed; its file system then keeps the order.
    if (allowed(Step::DirectoryFlush))
      (void)fsyncFd(dir);
    file_.reset();
    directory_.reset();
    return SaveOutcome::Replaced;
  }

  // Gives the unnamed file a fresh name beside the target.
  bool link() {
    if (!allowed(PosixFileSystem::CommitStep::Link))
      return false;
    const std::string self = "/proc/self/fd/" + std::to_string(file_.get());
    for (int i = 0; i < kNameTries; ++i) {
      std::string name = posix::randomTemporaryName();
      // The descriptor itself needs a privilege; the descriptor's entry in
      // /proc does not.
      int r = ::linkat(file_.get(), "", directory_.get(), name.c_str(),
                       AT_EMPTY_PATH);
      if (r != 0 && errno != EEXIST)
        r = ::linkat(AT_FDCWD, self.c_str(), directory_.get(), name.c_str(),
                     AT_SYMLINK_FOLLOW);
      if (r == 0) {
        tempName_ = std::move(name);
        return true;
      }
      if (errno != EEXIST)
        return false;
    }
    return false;
  }

  FdGuard directory_;
  std::string base_;
  FileStatus original_;
  FdGuard file_;
  std::string tempName_; // empty while the file has no name
  FileId tempId_;
  PosixFileSystem::CommitCheck check_;
};

} // namespace

std::unique_ptr<SaveFile>
PosixFileSystem::beginSave(const FileLocation &at, const FileStatus &original) {
  FdGuard directory;
  std::string base;
  if (!resolveTarget(at, directory, base))
    return nullptr;
  struct stat target;
  if (::fstatat(directory.get(), base.c_str(), &target, AT_SYMLINK_NOFOLLOW) !=
          0 ||
      !S_ISREG(target.st_mode))
    return nullptr;

  FdGuard file;
  std::string name;
  if (unnamedTemporaryFiles)
    file.reset(
        ::openat(directory.get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
  for (int i = 0; file.get() < 0 && i < kNameTries; ++i) {
    name = posix::randomTemporaryName();
    file.reset(::openat(directory.get(), name.c_str(),
                        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                        0600));
    if (file.get() < 0) {
      name.clear();
      if (errno != EEXIST)
        break;
    }
  }
  if (file.get() < 0)
    return nullptr;
  struct stat st;
  if (::fstat(file.get(), &st) != 0) {
    if (!name.empty())
      ::unlinkat(directory.get(), name.c_str(), 0);
    return nullptr;
  }
  return std::make_unique<PosixSaveFile>(
      std::move(directory), std::move(base), original, std::move(file),
      std::move(name), idOf(st), commitCheck);
}

} // namespace snpln::platform

#endif // _WIN32
