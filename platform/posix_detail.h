// Pieces the POSIX file services share: a descriptor that closes itself,
// the open directory, the status of a file (statx, with its birth time where
// the file system keeps one), the attribute word of a status, and the way
// from a FileLocation to a descriptor and a name.
#pragma once

#ifndef _WIN32

#include <memory>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_system.h"
#include "platform/posix_file_system.h"

namespace snpln::platform::posix {

class FdGuard {
public:
  explicit FdGuard(int fd = -1) : fd_(fd) {}
  ~FdGuard() { reset(); }
  FdGuard(FdGuard &&other) noexcept : fd_(other.release()) {}
  FdGuard &operator=(FdGuard &&other) noexcept {
    reset(other.release());
    return *this;
  }
  FdGuard(const FdGuard &) = delete;
  FdGuard &operator=(const FdGuard &) = delete;
  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void reset(int fd = -1) {
    if (fd_ >= 0)
      ::close(fd_);
    fd_ = fd;
  }
  // Closes now and reports the result of close.
  bool close() {
    const int fd = release();
    return fd < 0 || ::close(fd) == 0;
  }

private:
  int fd_;
};

// An open directory: a descriptor opened for reading (or, where reading is
// not allowed, only as a path) and the directory's identity.
class PosixDirectory : public Directory {
public:
  PosixDirectory(FdGuard fd, FileId id) : fd_(std::move(fd)), id_(id) {}
  FileId id() const override { return id_; }
  int fd() const { return fd_.get(); }

private:
  FdGuard fd_;
  FileId id_;
};

// The most one read or write call is asked to move (some systems refuse
// more than about 2 GiB at once).
inline constexpr std::size_t kMaxIo = std::size_t{1} << 30;

// The status of `name` in `dirFd` (AT_FDCWD: a path; an empty name: the
// descriptor itself), links followed unless `flags` holds
// AT_SYMLINK_NOFOLLOW; false (errno set) when there is none.
bool statusAt(int dirFd, const char *name, int flags, struct statx &st);
// The status of an open descriptor.
bool statusOf(int fd, struct statx &st);

// Which file a status is of (device, inode and birth time).
FileId idOf(const struct statx &st);
FileStatus statusOf(const struct statx &st);

// The type and read-only bits of a status, without the hidden bit.
std::uint32_t statusWord(const struct statx &st);
// What an entry of that status is.
EntryKind kindOf(const struct statx &st);

// The attribute word of the entry `name` of `dirFd` (AT_FDCWD: a path),
// whose own status, a link not followed, is `st`: a link is described as a
// link, with the type of what it leads to. `base` decides the hidden bit.
std::uint32_t entryWordOf(int dirFd, const char *name, const struct statx &st,
                          const std::string &base);
std::uint32_t hiddenBit(const std::string &base);

// The descriptor a location's name is taken from: its directory's, or
// AT_FDCWD for a path. A directory that is not ours gives -1.
int baseFd(const FileLocation &at);
// The open directory of a location (none for a path or one not ours).
std::shared_ptr<const PosixDirectory> directoryOf(const FileLocation &at);

// Opens the directory that holds `name` (taken from `from`), for reading
// where allowed and else as a path; `base` becomes the last part of the
// name. False when there is no such directory or the name has no last
// part ("", "dir/", ".", "..").
bool openParent(int from, const std::string &name, FdGuard &directory,
                std::string &base);

// Follows the links of the path `name` (from `from`) one by one to what
// they lead to: `directory` is the directory that holds it and `base` its
// name there, which is not a link (or does not exist); `reached`, when
// given, the path of it as the links spell it (each link's text in place
// of the link's name, a relative one beside the link). False when a
// directory on the way cannot be opened, or the links loop.
bool resolvePath(int from, const std::string &name, FdGuard &directory,
                 std::string &base, std::string *reached = nullptr);

// An open directory made from a descriptor (its identity read from it);
// none when the descriptor cannot be looked at.
std::shared_ptr<const PosixDirectory> makeDirectory(FdGuard fd);

// What a save made from an open file takes from the file system's test
// seams, as they stood when the file was opened.
struct SaveSeams {
  PosixFileSystem::CommitCheck check;
  bool unnamedTemporaryFiles = true;
  bool exchangeRefused = false;
};

// Begins the new version of the file open (and locked, where it could be)
// as `locked`, whose name is `base` in `directory`: the temporary file is
// made in `directory`, and the save holds the locked descriptor (and so
// its lock) until it ends. Nothing (with the system's reason) when no
// temporary file can be made there.
std::unique_ptr<SaveFile>
beginPosixSave(std::shared_ptr<FdGuard> locked,
               std::shared_ptr<const PosixDirectory> directory,
               std::string base, const FileStatus &original,
               const SaveRules &rules, const SaveSeams &seams,
               SystemError &why);

// Begins a NewFile named `base` in `directory` (see NewFile): over the
// regular file of that name, a save of it (its owner, mode and attributes
// kept, `rules` without a backup); where there is none, a temporary file
// of `mode` (limited by the umask) that takes the name without replacing
// one. Nothing (with the system's reason) when the name is a directory or
// another kind of file, or no temporary file can be made there.
std::unique_ptr<NewFile>
beginPosixNewFile(std::shared_ptr<const PosixDirectory> directory,
                  std::string base, std::uint32_t mode, const SaveRules &rules,
                  const SaveSeams &seams, SystemError &why);

// The system's words for errno `code`.
SystemError systemError(int code);

// A new random name for a temporary file (see isTemporaryName).
std::string randomTemporaryName();

} // namespace snpln::platform::posix

#endif // _WIN32
