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
// Listings and the lookup look at the entry itself (and listings give its
// EntryKind): a symbolic link gives
// kAttrReparsePoint (0x400), plus the bits of the file it resolves to (the
// read-only, directory, archive or system bits; nothing more when it
// dangles) and the hidden bit of its own name. So a link is never "exactly
// a directory", and the walk, which goes by the kind, never enters one.
#pragma once

#include <functional>

#include "platform/file_system.h"

namespace snpln::platform {

class PosixFileSystem : public FileSystem {
public:
  // A path is followed through its links one by one (readlinkat, at most
  // 40) from the directory that holds it to the directory that holds the
  // file, which is opened there with O_NOFOLLOW; a name in an open
  // directory is opened with O_NOFOLLOW at once. Anything that is not a
  // regular file is refused after a look (statx without following), so a
  // device or FIFO is never opened; the open is checked to be the file
  // looked at. The InputFile keeps that directory open: lock() is
  // flock(LOCK_EX | LOCK_NB) on the read-only descriptor (any failure but
  // "held by another" counts as Unsupported: ENOLCK, the emulation of some
  // network file systems), stillNamed() looks at its name there without
  // following.
  //
  // beginSave() makes the temporary file in that directory: unnamed
  // (O_TMPFILE) where the file system allows, so that nothing is left
  // behind whenever the process ends; else under a fresh random name
  // (isTemporaryName), created exclusively and never through a link. It
  // keeps its own descriptor of the locked file (the lock stays held).
  // commit(), every step on a descriptor or on a name in that directory:
  //   1. owner and group (fchown, only when they differ), mode (fchmod),
  //      then every extended attribute of the locked file copied fd to fd
  //      and every other one removed; then the new file is checked to have
  //      exactly the original's owner, group, mode and attributes;
  //   2. fsync; a name for an unnamed file (linkat);
  //   3. the check: the locked file (fstat) is still the version read
  //      (sameVersion: device, inode, birth, size, modification and change
  //      times), and the file's name leads to it (no link, no other file);
  //   4. renameat2(RENAME_EXCHANGE) of the temporary name and the file's
  //      name; then the file now under the temporary name must be the
  //      locked one with its size, modification time, mode and owner as
  //      read (the exchange changes its change time), else the two are
  //      exchanged back once and the save ends with TargetChanged. Where
  //      the file system refuses the exchange (EINVAL: NFS, vfat, CIFS,
  //      most FUSE file systems), renameat over the file instead;
  //   5. the old content, now under the temporary name, is removed (with
  //      a backup suffix it takes its backup name instead (backup_name.h),
  //      renamed with RENAME_NOREPLACE, or linked and unlinked where the
  //      flag is refused; where no name can be claimed, the exchange is
  //      undone); fsync of the directory (with DirectoryFlush::Later, left
  //      to the caller through unflushedDirectory() and flushDirectory()).
  //      Without the exchange, a backup is a hard link of the locked file
  //      under its backup name (linkat, which never replaces),
  //      made before the file is checked once more.
  //
  // beginNewFile() follows a path's links as openRead() does; over a
  // regular file it begins that file's save, else a temporary file of the
  // given mode that its commit links (unnamed) or renames with
  // RENAME_NOREPLACE (named; a hard link and an unlink where the flag is
  // refused) to the name: EEXIST, a file that appeared meanwhile, is
  // TargetChanged.
  std::unique_ptr<InputFile> openRead(const FileLocation &at) override;
  // statx: a path's links followed, a name in an open directory not.
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
  // Denied when the directory that holds the file (a path's links
  // followed) cannot take a new name (write and search permission), or
  // when the file belongs to another user and the caller is not the
  // superuser (its new version could not keep its owner: EACCES where the
  // caller may not write the file either, else EPERM); ReadOnly when the
  // owner may not write it (for the superuser: nobody may); else Allowed.
  ReplaceCheck replaceAccess(const FileLocation &at) override;

  std::unique_ptr<NewFile> beginNewFile(const FileLocation &at,
                                        std::uint32_t mode,
                                        const SaveRules &rules,
                                        SystemError &why) override;

  // O_RDONLY | O_DIRECTORY, trailing '/' cut first; with O_NOFOLLOW for a
  // name in an open directory.
  std::shared_ptr<const Directory>
  openDirectory(const FileLocation &at) override;
  // Reads every name at once (readdir on a descriptor of its own), then
  // looks at each matching entry with statx, links not followed. A read
  // error, or an entry that cannot be looked at for any reason but having
  // vanished, makes the whole directory unreadable.
  std::optional<std::vector<DirEntry>>
  listDirectory(const Directory &directory, const std::string &mask) override;
  // fsync of the directory's descriptor; true at once for one opened only
  // as a path (O_PATH), which fsync refuses. The commit check is asked for
  // DirectoryFlush first.
  bool flushDirectory(const Directory &directory, SystemError &why) override;

  // Tests: where a commit may be made to fail, to wait, to meet another
  // program's change or to end the process. Check comes before the check
  // of step 3, Exchange and Rename between that check and the exchange or
  // the rename, SwapBack before an exchange back, Unlink before the old
  // content is removed. Backup is the making of a backup (its rename after
  // an exchange, its hard link without one). Times is the setting of a save's
  // times, before its commit. Writeback is the start of the early writeback
  // of a large save's data while it is written (its failure fails nothing).
  enum class CommitStep {
    Times,
    Attributes,
    Flush,
    Link,
    Rename,
    DirectoryFlush,
    Check,
    Exchange,
    SwapBack,
    Unlink,
    Backup,
    Writeback,
  };
  using CommitCheck = std::function<bool(CommitStep)>;
  // Asked before each step of every commit of a file opened after it is
  // set; false makes the step fail as if the system had refused it.
  CommitCheck commitCheck;
  // Tests: false makes every temporary file a named one, as where the file
  // system has no unnamed files.
  bool unnamedTemporaryFiles = true;
  // Tests: true makes every exchange refused (EINVAL) and every lock
  // unsupported (ENOLCK), as on file systems that have neither.
  bool exchangeRefused = false;
  bool lockRefused = false;
};

} // namespace snpln::platform
