// The file services and the directory search on POSIX, with raw system
// calls and 64-bit offsets.
//
// The attribute word (see file_system.h for the bits) is computed from a
// file's status:
//   - a directory gives kAttrDirectory (0x10);
//   - a regular file gives kAttrArchive (0x20), as Windows reports a file
//     that has been written since its last backup, which is nearly every
//     file (a word is never empty of type bits);
//   - anything else (FIFO, device, socket) gives kAttrSystem (0x04);
//   - plus kAttrReadOnly (0x01) when the owner may not write (S_IWUSR clear);
//   - plus kAttrHidden (0x02) when the base name begins with '.', except for
//     "." and "..".
// Listings and the lookup look at the entry itself: a symbolic link gives
// kAttrReparsePoint (0x400), plus the bits of the file it resolves to (the
// read-only, directory, archive or system bits; nothing more when it
// dangles) and the hidden bit of its own name. So a link is never "exactly
// a directory" and the walk never enters one.
#pragma once

#include <functional>

#include "platform/file_system.h"

namespace snpln::platform {

class PosixFileSystem : public FileSystem {
public:
  // openRead refuses anything that is not a regular file after following
  // links, without blocking on a FIFO and without opening a device.
  std::unique_ptr<InputFile> openRead(const FileLocation &at) override;
  // fstatat, links followed.
  std::optional<FileStatus> status(const FileLocation &at) override;

  // Splits `pattern` at its last '/': the directory part ("." when there is
  // none) is read at once, and the names that match the last part by
  // matchesDosMask are kept in readdir order, "." and ".." included when they
  // match. Each entry's attributes are read (lstat) when next() reaches it;
  // an entry that has vanished by then is skipped. Taking the names at once
  // means that files created or replaced while the listing is open (the jobs
  // of the walk) are never returned twice or late.
  std::unique_ptr<DirListing> list(const std::string &pattern) override;

  // Wildcards ('*' or '?') in the last part: the first entry of list(name).
  // Otherwise the name itself (lstat, after cutting trailing '/'; a name
  // with a trailing '/' must then also resolve to a directory).
  std::optional<std::uint32_t> lookup(const std::string &name) override;

  // The links of the name are followed one by one (readlinkat, at most 40)
  // from the directory that holds it to the directory that holds the file;
  // that directory stays open for the save, so the file is replaced there
  // whatever happens to the path meanwhile. The temporary file is made in
  // it: unnamed (O_TMPFILE) where the file system allows, so that nothing
  // is left behind whenever the process ends; else under a fresh random
  // name (isTemporaryName), created exclusively and never through a link.
  // commit(): fchown (only when the owner differs) and fchmod on the
  // descriptor, fsync, a name for an unnamed file (linkat), the look at the
  // target (fstatat without following: it must be the regular file read,
  // same device, inode, size and modification time), renameat over it,
  // fsync of the directory. Nothing is ever done through the target's name
  // but that look and the rename.
  std::unique_ptr<SaveFile> beginSave(const FileLocation &at,
                                      const FileStatus &original) override;

  // O_RDONLY | O_DIRECTORY | O_NOFOLLOW, trailing '/' cut first.
  std::shared_ptr<const Directory>
  openDirectory(const FileLocation &at) override;
  // Reads every name at once (readdir on a descriptor of its own), then
  // looks at each matching entry with fstatat. A read error, or an entry
  // that cannot be looked at for any reason but having vanished, makes the
  // whole directory unreadable.
  std::optional<std::vector<DirEntry>>
  listDirectory(const Directory &directory, const std::string &mask) override;

  // Tests: where a commit may be made to fail (or the process to end).
  enum class CommitStep { Attributes, Flush, Link, Rename, DirectoryFlush };
  using CommitCheck = std::function<bool(CommitStep)>;
  // Asked before each step of every commit that begins after it is set;
  // false makes the step fail as if the system had refused it.
  CommitCheck commitCheck;
  // Tests: false makes every temporary file a named one, as where the file
  // system has no unnamed files.
  bool unnamedTemporaryFiles = true;
};

} // namespace snpln::platform
