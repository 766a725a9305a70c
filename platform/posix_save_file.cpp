#ifndef _WIN32

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "platform/backup_name.h"
#include "platform/posix_detail.h"
#include "platform/posix_file_system.h"

namespace snpln::platform::posix {

namespace {

using Step = PosixFileSystem::CommitStep;

// Names tried before giving up when every one is taken.
constexpr int kNameTries = 100;

// Numbered backup names tried after the first, before giving up (each
// taken meanwhile by another run).
constexpr unsigned kBackupNumbers = 100000;

// The names of the directory `dirFd`; nothing where it cannot be read (a
// directory we may write in but not list).
std::optional<std::vector<std::string>> namesIn(int dirFd) {
  const int fd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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
    names.emplace_back(e->d_name);
  }
  ::closedir(d);
  if (failed)
    return std::nullopt;
  return names;
}

// Past this much written and not yet handed to the disk, a save starts its
// writeback (never waiting for it), so the disk works while the job goes on
// and the flush before the commit finds little left to write. A smaller
// file never asks: its flush alone writes it.
constexpr FileSize kWritebackChunk = FileSize{4} << 20;

bool fsyncFd(int fd) {
  while (::fsync(fd) != 0)
    if (errno != EINTR)
      return false;
  return true;
}

bool notSupported(int code) { return code == ENOTSUP || code == ENOSYS; }

// The names of the extended attributes of `fd`: empty where the file system
// has none; nothing when they cannot be read.
std::optional<std::vector<std::string>> attributeNames(int fd) {
  std::vector<char> buffer(1024);
  for (;;) {
    const ssize_t n = ::flistxattr(fd, buffer.data(), buffer.size());
    if (n >= 0) {
      std::vector<std::string> names;
      for (std::size_t at = 0; at < static_cast<std::size_t>(n);) {
        const std::string name(buffer.data() + at);
        at += name.size() + 1;
        if (!name.empty())
          names.push_back(name);
      }
      return names;
    }
    if (notSupported(errno))
      return std::vector<std::string>{};
    if (errno != ERANGE)
      return std::nullopt;
    const ssize_t size = ::flistxattr(fd, nullptr, 0);
    if (size < 0)
      return std::nullopt;
    buffer.resize(static_cast<std::size_t>(size) + 1024);
  }
}

// The value of one attribute of `fd`; nothing when it has none of that name
// (or it cannot be read: `missing` tells which).
std::optional<std::string> attributeValue(int fd, const std::string &name,
                                          bool &missing) {
  missing = false;
  std::string value(256, '\0');
  for (;;) {
    const ssize_t n = ::fgetxattr(fd, name.c_str(), value.data(), value.size());
    if (n >= 0) {
      value.resize(static_cast<std::size_t>(n));
      return value;
    }
    if (errno == ENODATA) {
      missing = true;
      return std::nullopt;
    }
    if (errno != ERANGE)
      return std::nullopt;
    const ssize_t size = ::fgetxattr(fd, name.c_str(), nullptr, 0);
    if (size < 0)
      return std::nullopt;
    value.assign(static_cast<std::size_t>(size) + 256, '\0');
  }
}

// Gives `to` exactly the extended attributes of `from`: POSIX ACLs, security
// labels, user attributes. A call that fails is no failure when `to`
// already holds what it was to do. False when `to` would differ. `touched`:
// whether either file had any attribute (so that `to`'s mode bits may have
// changed with an ACL).
bool copyAttributes(int from, int to, bool &touched) {
  touched = false;
  const auto names = attributeNames(from);
  if (!names)
    return false;
  touched = !names->empty();
  for (const std::string &name : *names) {
    bool missing = false;
    const auto value = attributeValue(from, name, missing);
    if (!value) {
      if (missing)
        continue; // removed since it was listed
      return false;
    }
    if (::fsetxattr(to, name.c_str(), value->data(), value->size(), 0) == 0)
      continue;
    bool none = false;
    if (attributeValue(to, name, none) != value)
      return false;
  }
  // What the new file got beside them (an ACL inherited from the
  // directory) goes.
  const auto own = attributeNames(to);
  if (!own)
    return false;
  touched = touched || !own->empty();
  for (const std::string &name : *own) {
    if (std::find(names->begin(), names->end(), name) != names->end())
      continue;
    if (::fremovexattr(to, name.c_str()) != 0 && errno != ENODATA)
      return false;
  }
  return true;
}

// What a NewFile's next reader sees: the temporary file's content, read
// by position through a descriptor of its own.
class ScratchInput : public InputFile {
public:
  explicit ScratchInput(FdGuard fd) : fd_(std::move(fd)) {}

  bool read(void *buffer, std::size_t size, std::size_t &got) override {
    got = 0;
    char *out = static_cast<char *>(buffer);
    while (got < size) {
      const ssize_t n =
          ::pread(fd_.get(), out + got, std::min(size - got, kMaxIo),
                  static_cast<off_t>(position_));
      if (n < 0) {
        if (errno == EINTR)
          continue;
        return false;
      }
      if (n == 0)
        break;
      got += static_cast<std::size_t>(n);
      position_ += static_cast<FileSize>(n);
    }
    return true;
  }
  bool seek(FileSize position) override {
    position_ = position;
    return true;
  }
  FileSize position() const override { return position_; }
  bool size(FileSize &result) override {
    struct statx st;
    if (!statusOf(fd_.get(), st))
      return false;
    result = st.stx_size;
    return true;
  }
  bool status(FileStatus &result) override {
    struct statx st;
    if (!statusOf(fd_.get(), st))
      return false;
    result = statusOf(st);
    return true;
  }

private:
  FdGuard fd_;
  FileSize position_ = 0;
};

// Gives the file open as `fd` a fresh random name in `dir`; false (errno
// set) when it cannot be linked there.
bool linkUnderTemporaryName(int fd, int dir, std::string &linked) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  for (int i = 0; i < kNameTries; ++i) {
    std::string name = randomTemporaryName();
    // The descriptor itself needs a privilege; the descriptor's entry in
    // /proc does not.
    int r = ::linkat(fd, "", dir, name.c_str(), AT_EMPTY_PATH);
    if (r != 0 && errno != EEXIST)
      r = ::linkat(AT_FDCWD, self.c_str(), dir, name.c_str(),
                   AT_SYMLINK_FOLLOW);
    if (r == 0) {
      linked = std::move(name);
      return true;
    }
    if (errno != EEXIST)
      return false;
  }
  return false;
}

// Removes `name` from `dir` while it still leads to the file `id`.
void unlinkIfStill(int dir, const std::string &name, const FileId &id) {
  struct statx st;
  if (statusAt(dir, name.c_str(), AT_SYMLINK_NOFOLLOW, st) && idOf(st) == id)
    ::unlinkat(dir, name.c_str(), 0);
}

// The save of a file's new version (`locked` open: it replaces that file)
// or of a new file (`locked` closed: it takes a name no file has).
class PosixSaveFile : public NewFile {
public:
  // `tempStatus`: the temporary file's status as it was made.
  PosixSaveFile(std::shared_ptr<FdGuard> locked,
                std::shared_ptr<const PosixDirectory> directory,
                std::string base, FileStatus original, FdGuard file,
                std::string tempName, const FileStatus &tempStatus,
                SaveRules rules, SaveSeams seams)
      : locked_(std::move(locked)), directory_(std::move(directory)),
        base_(std::move(base)), original_(original), file_(std::move(file)),
        tempName_(std::move(tempName)), tempId_(tempStatus.id),
        tempStatus_(tempStatus), rules_(std::move(rules)),
        seams_(std::move(seams)), create_(lockedFd() < 0) {}

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
      writtenEnd_ += static_cast<FileSize>(n);
      if (writtenEnd_ - writebackFrom_ >= kWritebackChunk)
        startWriteback();
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

  bool setTimes(const FileTime &accessed, const FileTime &modified) override {
    if (file_.get() < 0 || !allowed(Step::Times))
      return false;
    struct timespec times[2] = {};
    times[0].tv_sec = static_cast<time_t>(accessed.seconds);
    times[0].tv_nsec = static_cast<long>(accessed.nanoseconds);
    times[1].tv_sec = static_cast<time_t>(modified.seconds);
    times[1].tv_nsec = static_cast<long>(modified.nanoseconds);
    return ::futimens(file_.get(), times) == 0;
  }

  std::string backupName() const override { return backupName_; }

  std::shared_ptr<const Directory> unflushedDirectory() const override {
    return unflushed_;
  }

  std::optional<FileStatus> replacement() const override {
    return replacement_;
  }

  std::unique_ptr<InputFile> readBack() override {
    if (file_.get() < 0)
      return nullptr;
    FdGuard fd(::fcntl(file_.get(), F_DUPFD_CLOEXEC, 0));
    if (fd.get() < 0)
      return nullptr;
    return std::make_unique<ScratchInput>(std::move(fd));
  }

  void abandon() override {
    // An unnamed file goes with its descriptor. A named one is removed only
    // while the name still leads to it.
    if (!tempName_.empty() && directory_) {
      struct statx st;
      if (statusAt(directory_->fd(), tempName_.c_str(), AT_SYMLINK_NOFOLLOW,
                   st) &&
          idOf(st) == tempId_)
        ::unlinkat(directory_->fd(), tempName_.c_str(), 0);
    }
    tempName_.clear();
    file_.reset();
    locked_.reset();
    directory_.reset();
  }

private:
  int lockedFd() const { return locked_ ? locked_->get() : -1; }

  bool allowed(Step step) {
    if (seams_.check && !seams_.check(step)) {
      errno = EIO;
      return false;
    }
    return true;
  }

  // Starts the writeback of what was written since the last start. Only a
  // head start: where the system refuses it (no such call on this file
  // system, an I/O error), the save goes on, and the flush before the
  // commit decides whether the data reached the disk.
  void startWriteback() {
    const FileSize from = writebackFrom_;
    writebackFrom_ = writtenEnd_;
    if (!writebackWorks_ || !allowed(Step::Writeback))
      return;
    if (::sync_file_range(file_.get(), static_cast<off_t>(from),
                          static_cast<off_t>(writtenEnd_ - from),
                          SYNC_FILE_RANGE_WRITE) != 0 &&
        (errno == ENOSYS || errno == ESPIPE || errno == EINVAL))
      writebackWorks_ = false; // no use asking again
  }

  SaveOutcome put() {
    if (create_)
      return putNew();
    const int fd = file_.get();
    const int dir = directory_->fd();
    if (!allowed(Step::Attributes))
      return SaveOutcome::WriteFailed;
    const SaveOutcome kept = keepAttributes();
    if (kept != SaveOutcome::Replaced)
      return kept;
    if (!allowed(Step::Flush) || !fsyncFd(fd))
      return SaveOutcome::WriteFailed;
    if (tempName_.empty() && !link())
      return SaveOutcome::WriteFailed;

    // The last look before the swap: the locked file is still the version
    // that was read, and its name still leads to it (not to a link or to
    // another program's file).
    if (!allowed(Step::Check))
      return SaveOutcome::WriteFailed;
    if (!unchanged())
      return SaveOutcome::TargetChanged;

    if (!allowed(Step::Exchange))
      return SaveOutcome::WriteFailed;
    bool exchanged = false;
    if (!seams_.exchangeRefused) {
      if (::renameat2(dir, tempName_.c_str(), dir, base_.c_str(),
                      RENAME_EXCHANGE) == 0)
        exchanged = true;
      else if (errno == ENOENT)
        return SaveOutcome::TargetChanged; // the file went meanwhile
      else if (errno != EINVAL && errno != ENOSYS && !notSupported(errno))
        return SaveOutcome::WriteFailed;
    }
    if (exchanged) {
      // The exchange itself changes the swapped-out file's change time, so
      // only the rest can be checked: it must be the locked file as read.
      if (!swappedOutIsTheOriginal(tempName_)) {
        // Another program's file was put under the name between the check
        // and the exchange: it goes back, and our content is removed.
        if (!allowed(Step::SwapBack) ||
            ::renameat2(dir, tempName_.c_str(), dir, base_.c_str(),
                        RENAME_EXCHANGE) != 0)
          tempName_.clear(); // the other version stays under that name
        return SaveOutcome::TargetChanged;
      }
      if (!rules_.backupSuffix.empty()) {
        if (!keepSwappedOut())
          return SaveOutcome::BackupNotKept;
      } else if (allowed(Step::Unlink)) {
        ::unlinkat(dir, tempName_.c_str(), 0); // the old content
      }
    } else {
      // No exchange on this file system: the check and the rename are two
      // steps (our own runs are kept apart by the lock).
      if (!rules_.backupSuffix.empty()) {
        const SaveOutcome linked = linkBackup();
        if (linked != SaveOutcome::Replaced)
          return linked;
      }
      if (!allowed(Step::Rename) ||
          ::renameat(dir, tempName_.c_str(), dir, base_.c_str()) != 0) {
        // No backup of a file that was not replaced.
        const int reason = errno;
        if (backupLinked_)
          unlinkIfStill(dir, backupName_, original_.id);
        backupName_.clear();
        errno = reason;
        return SaveOutcome::WriteFailed;
      }
    }
    tempName_.clear();
    noteReplacement();
    flushOrHandOver();
    file_.reset();
    locked_.reset();
    directory_.reset();
    return SaveOutcome::Replaced;
  }

  // The new file under the file's name is the temporary file: its identity
  // is the one it was made with, where the file system keeps a birth time;
  // else its change time is needed too, as it is now.
  void noteReplacement() {
    if (knowsBirth(tempStatus_.id)) {
      replacement_ = tempStatus_;
      return;
    }
    struct statx st;
    if (statusOf(file_.get(), st))
      replacement_ = statusOf(st);
  }

  // The change itself must survive a power cut: the directory is flushed
  // now, or kept for the caller who flushes it later (once for many files).
  // A directory opened only as a path cannot be flushed; its file system
  // then keeps the order.
  void flushOrHandOver() {
    if (rules_.directoryFlush == DirectoryFlush::Later) {
      unflushed_ = directory_;
      return;
    }
    if (allowed(Step::DirectoryFlush))
      (void)fsyncFd(directory_->fd());
  }

  // Owner and group first (a change of owner clears the set-id bits), then
  // the mode, taken from the version read (a chmod or chown since changed
  // the file's change time, so the last check before the swap refuses
  // it), then the extended attributes of the locked file as it is now (an
  // ACL rewrites the group bits); then the new file is checked to be like
  // it.
  SaveOutcome keepAttributes() {
    const int fd = file_.get();
    struct statx own {};
    own.stx_uid = tempStatus_.owner;
    own.stx_gid = tempStatus_.group;
    bool ownerChanged = false;
    if (own.stx_uid != original_.owner || own.stx_gid != original_.group) {
      if (::fchown(fd, original_.owner, original_.group) != 0) {
        if (!rules_.ownerMayChange)
          return SaveOutcome::OwnerNotKept;
        ownerChanged = true;
      } else {
        own.stx_uid = original_.owner;
        own.stx_gid = original_.group;
      }
    }
    auto mode = static_cast<mode_t>(original_.mode & 07777);
    if (ownerChanged)
      mode &= static_cast<mode_t>(~(S_ISUID | S_ISGID));
    // Checked below by its result where anything but its success could
    // leave other bits: the system drops a set-group-ID bit silently.
    const bool modeSet = ::fchmod(fd, mode) == 0;
    bool touched = false;
    if (!copyAttributes(lockedFd(), fd, touched))
      return SaveOutcome::AttributesNotKept;
    if (modeSet && !touched && !ownerChanged && (mode & S_ISGID) == 0)
      return SaveOutcome::Replaced; // exactly as asked, owner and mode
    if (!statusOf(fd, own))
      return SaveOutcome::WriteFailed;
    if ((own.stx_mode & 07777) != mode) {
      // An ACL removed above left its mask in the group bits.
      (void)::fchmod(fd, mode);
      if (!statusOf(fd, own))
        return SaveOutcome::WriteFailed;
    }
    if ((own.stx_mode & 07777) != mode)
      return SaveOutcome::AttributesNotKept;
    if (!ownerChanged &&
        (own.stx_uid != original_.owner || own.stx_gid != original_.group))
      return SaveOutcome::OwnerNotKept;
    return SaveOutcome::Replaced;
  }

  bool unchanged() {
    struct statx now, named;
    if (!statusOf(lockedFd(), now) || !sameVersion(original_, statusOf(now)))
      return false;
    return statusAt(directory_->fd(), base_.c_str(), AT_SYMLINK_NOFOLLOW,
                    named) &&
           S_ISREG(named.stx_mode) && idOf(named) == idOf(now);
  }

  // Whether `name` leads to the locked file (the file read, whose identity
  // the locked descriptor keeps), still with the content, mode and owner
  // read (its change time aside, which a rename or a link sets).
  bool swappedOutIsTheOriginal(const std::string &name) {
    struct statx out;
    if (!statusAt(directory_->fd(), name.c_str(), AT_SYMLINK_NOFOLLOW, out))
      return false;
    const FileStatus s = statusOf(out);
    return s.id == original_.id && s.size == original_.size &&
           s.modifiedSeconds == original_.modifiedSeconds &&
           s.modifiedNanoseconds == original_.modifiedNanoseconds &&
           s.mode == original_.mode && s.owner == original_.owner &&
           s.group == original_.group;
  }

  // Gives the unnamed file a fresh name beside the target.
  bool link() {
    if (!allowed(Step::Link))
      return false;
    return linkUnderTemporaryName(file_.get(), directory_->fd(), tempName_);
  }

  // After the exchange: the original, now under the temporary name, takes
  // its backup name (claimBackupName), claimed without replacing
  // anything (RENAME_NOREPLACE; a hard link and an unlink where the file
  // system refuses that flag). Where no name can be claimed so, the
  // exchange is undone and false returned (errno: why).
  bool keepSwappedOut() {
    const int dir = directory_->fd();
    std::string claimed;
    bool already = false;
    if (!allowed(Step::Backup) ||
        !claimBackupName(
            [&](const std::string &backup) {
              if (!seams_.exchangeRefused &&
                  ::renameat2(dir, tempName_.c_str(), dir, backup.c_str(),
                              RENAME_NOREPLACE) == 0)
                return true;
              if (!seams_.exchangeRefused && errno != EINVAL &&
                  errno != ENOSYS && !notSupported(errno))
                return false;
              if (::linkat(dir, tempName_.c_str(), dir, backup.c_str(), 0) != 0)
                return false;
              ::unlinkat(dir, tempName_.c_str(), 0);
              return true;
            },
            claimed, already)) {
      const int reason = errno;
      if (!allowed(Step::SwapBack) ||
          ::renameat2(dir, tempName_.c_str(), dir, base_.c_str(),
                      RENAME_EXCHANGE) != 0)
        tempName_.clear(); // the original stays under that name
      errno = reason;
      return false;
    }
    if (already)
      ::unlinkat(dir, tempName_.c_str(), 0); // the original is kept there
    tempName_.clear();
    backupName_ = claimed;
    return true;
  }

  // Without an exchange: a hard link to the locked file under its backup
  // name (claimBackupName; linkat never replaces), then the check that the
  // file is still the version read, so that the backup is of that version
  // (else the link goes again).
  SaveOutcome linkBackup() {
    const int dir = directory_->fd();
    const std::string self = "/proc/self/fd/" + std::to_string(lockedFd());
    std::string claimed;
    bool already = false;
    if (!allowed(Step::Backup) ||
        !claimBackupName(
            [&](const std::string &backup) {
              // The descriptor itself needs a privilege; its entry in /proc
              // does not.
              if (::linkat(lockedFd(), "", dir, backup.c_str(),
                           AT_EMPTY_PATH) == 0)
                return true;
              if (errno == EEXIST)
                return false;
              return ::linkat(AT_FDCWD, self.c_str(), dir, backup.c_str(),
                              AT_SYMLINK_FOLLOW) == 0;
            },
            claimed, already))
      return SaveOutcome::BackupNotKept;
    // The link has changed the file's change time: the rest must still be
    // the version read, under its name.
    struct statx named;
    if (!swappedOutIsTheOriginal(base_) ||
        !statusAt(dir, base_.c_str(), AT_SYMLINK_NOFOLLOW, named) ||
        !S_ISREG(named.stx_mode)) {
      if (!already)
        unlinkIfStill(dir, claimed, original_.id);
      return SaveOutcome::TargetChanged;
    }
    backupName_ = claimed;
    backupLinked_ = !already;
    return SaveOutcome::Replaced;
  }

  // Claims a backup name with `claim` (its false with EEXIST: the name is
  // taken, the next is tried; with any other errno: no name can be
  // claimed): the first one, else the numbered one after the highest
  // number of the directory's names (nextBackupNumber), else the next ones
  // as other runs take them meanwhile. A name that leads to the original
  // itself already (another name of it, `already`: the first, or the
  // highest numbered one) is its backup.
  template <class Claim>
  bool claimBackupName(Claim claim, std::string &name, bool &already) {
    const int dir = directory_->fd();
    already = false;
    const auto isOriginal = [&](const std::string &candidate) {
      struct statx there;
      return statusAt(dir, candidate.c_str(), AT_SYMLINK_NOFOLLOW, there) &&
             S_ISREG(there.stx_mode) && idOf(there) == original_.id;
    };
    name = backupNameOf(base_, rules_.backupSuffix, 0);
    if (claim(name))
      return true;
    if (errno != EEXIST)
      return false;
    if (isOriginal(name)) {
      already = true;
      return true;
    }
    const auto names = namesIn(dir);
    unsigned number =
        names ? nextBackupNumber(*names, base_, rules_.backupSuffix) : 1;
    if (number > 1) {
      name = backupNameOf(base_, rules_.backupSuffix, number - 1);
      if (isOriginal(name)) {
        already = true;
        return true;
      }
    }
    for (unsigned tries = 0; tries < kBackupNumbers; ++tries, ++number) {
      name = backupNameOf(base_, rules_.backupSuffix, number);
      if (claim(name))
        return true;
      if (errno != EEXIST)
        return false;
      if (isOriginal(name)) {
        already = true;
        return true;
      }
    }
    errno = EEXIST;
    return false;
  }

  // A new file takes its name, never replacing one that appeared there: a
  // hard link of the unnamed file, or the named one renamed with
  // RENAME_NOREPLACE (a hard link and an unlink where the file system
  // refuses that flag).
  SaveOutcome putNew() {
    const int fd = file_.get();
    const int dir = directory_->fd();
    if (!allowed(Step::Flush) || !fsyncFd(fd))
      return SaveOutcome::WriteFailed;
    if (!allowed(Step::Check))
      return SaveOutcome::WriteFailed;
    const auto failed = [] {
      return errno == EEXIST ? SaveOutcome::TargetChanged
                             : SaveOutcome::WriteFailed;
    };
    if (tempName_.empty()) {
      if (!allowed(Step::Link))
        return SaveOutcome::WriteFailed;
      const std::string self = "/proc/self/fd/" + std::to_string(fd);
      int r = ::linkat(fd, "", dir, base_.c_str(), AT_EMPTY_PATH);
      if (r != 0 && errno != EEXIST)
        r = ::linkat(AT_FDCWD, self.c_str(), dir, base_.c_str(),
                     AT_SYMLINK_FOLLOW);
      if (r != 0)
        return failed();
    } else {
      if (!allowed(Step::Rename))
        return SaveOutcome::WriteFailed;
      bool renamed = false;
      if (!seams_.exchangeRefused) {
        if (::renameat2(dir, tempName_.c_str(), dir, base_.c_str(),
                        RENAME_NOREPLACE) == 0)
          renamed = true;
        else if (errno != EINVAL && errno != ENOSYS && !notSupported(errno))
          return failed();
      }
      if (!renamed) {
        if (::linkat(dir, tempName_.c_str(), dir, base_.c_str(), 0) != 0)
          return failed();
        ::unlinkat(dir, tempName_.c_str(), 0);
      }
      tempName_.clear();
    }
    flushOrHandOver();
    file_.reset();
    directory_.reset();
    return SaveOutcome::Replaced;
  }

  // The descriptor of the file read, which holds its lock (shared with the
  // InputFile it was read through).
  std::shared_ptr<FdGuard> locked_;
  std::shared_ptr<const PosixDirectory> directory_;
  std::string base_;
  FileStatus original_;
  FdGuard file_;
  std::string tempName_; // empty while the file has no name
  FileId tempId_;
  FileStatus tempStatus_;
  SaveRules rules_;
  SaveSeams seams_;
  bool create_;
  // Bytes written so far, and the end of those whose writeback has started.
  FileSize writtenEnd_ = 0;
  FileSize writebackFrom_ = 0;
  bool writebackWorks_ = true;
  std::string backupName_;
  // The backup name is a link this save made (without an exchange).
  bool backupLinked_ = false;
  // Committed under DirectoryFlush::Later: the directory to flush.
  std::shared_ptr<const PosixDirectory> unflushed_;
  // Committed: the new file under the file's name.
  std::optional<FileStatus> replacement_;
};

// Makes the temporary file in `directory` (unnamed where allowed) with
// `mode`, open for reading and writing.
bool makeTemporary(const PosixDirectory &directory, const SaveSeams &seams,
                   mode_t mode, FdGuard &file, std::string &name,
                   FileStatus &made, SystemError &why) {
  const int dir = directory.fd();
  int error = 0;
  if (seams.unnamedTemporaryFiles) {
    file.reset(::openat(dir, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode));
    error = errno;
  }
  for (int i = 0; file.get() < 0 && i < kNameTries; ++i) {
    name = randomTemporaryName();
    file.reset(::openat(dir, name.c_str(),
                        O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                        mode));
    if (file.get() < 0) {
      error = errno;
      name.clear();
      if (error != EEXIST)
        break;
    }
  }
  if (file.get() < 0) {
    why = systemError(error);
    return false;
  }
  struct statx st;
  if (!statusOf(file.get(), st)) {
    why = systemError(errno);
    if (!name.empty())
      ::unlinkat(dir, name.c_str(), 0);
    file.reset();
    return false;
  }
  made = statusOf(st);
  return true;
}

} // namespace

SystemError systemError(int code) {
  char buffer[256];
  // The GNU strerror_r returns the text, in `buffer` or elsewhere.
  const char *text = ::strerror_r(code, buffer, sizeof buffer);
  return SystemError{code, text ? text : ""};
}

std::unique_ptr<SaveFile>
beginPosixSave(std::shared_ptr<FdGuard> locked,
               std::shared_ptr<const PosixDirectory> directory,
               std::string base, const FileStatus &original,
               const SaveRules &rules, const SaveSeams &seams,
               SystemError &why) {
  why = SystemError{};
  if (!locked || locked->get() < 0 || !directory) {
    why = systemError(EBADF);
    return nullptr;
  }
  FdGuard file;
  std::string name;
  FileStatus made;
  if (!makeTemporary(*directory, seams, 0600, file, name, made, why))
    return nullptr;
  return std::make_unique<PosixSaveFile>(
      std::move(locked), std::move(directory), std::move(base), original,
      std::move(file), std::move(name), made, rules, seams);
}

std::unique_ptr<NewFile>
beginPosixNewFile(std::shared_ptr<const PosixDirectory> directory,
                  std::string base, std::uint32_t mode, const SaveRules &rules,
                  const SaveSeams &seams, SystemError &why) {
  why = SystemError{};
  if (!directory || base.empty()) {
    why = systemError(ENOENT);
    return nullptr;
  }
  const int dir = directory->fd();
  SaveRules replacing = rules;
  replacing.backupSuffix.clear(); // a new file keeps no backup
  // Nothing hands a new file's directory on: its commit flushes it.
  replacing.directoryFlush = DirectoryFlush::WithCommit;
  FdGuard existing;
  FileStatus original;
  struct statx st;
  if (statusAt(dir, base.c_str(), AT_SYMLINK_NOFOLLOW, st)) {
    if (!S_ISREG(st.stx_mode)) {
      why = systemError(S_ISDIR(st.stx_mode) ? EISDIR : EEXIST);
      return nullptr;
    }
    existing.reset(
        ::openat(dir, base.c_str(),
                 O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct statx open;
    if (existing.get() < 0 || !statusOf(existing.get(), open)) {
      why = systemError(errno);
      return nullptr;
    }
    if (!S_ISREG(open.stx_mode) || idOf(open) != idOf(st)) {
      why = systemError(EAGAIN); // replaced between the look and the open
      return nullptr;
    }
    original = statusOf(open);
  } else if (errno != ENOENT) {
    why = systemError(errno);
    return nullptr;
  }
  FdGuard file;
  std::string name;
  FileStatus made;
  const auto permissions =
      existing.get() >= 0 ? mode_t{0600} : static_cast<mode_t>(mode & 0777);
  if (!makeTemporary(*directory, seams, permissions, file, name, made, why))
    return nullptr;
  return std::make_unique<PosixSaveFile>(
      std::make_shared<FdGuard>(std::move(existing)), std::move(directory),
      std::move(base), original, std::move(file), std::move(name), made,
      replacing, seams);
}

} // namespace snpln::platform::posix

#endif // _WIN32
