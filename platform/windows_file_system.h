// The file services and the directory search on Windows, with wide-character
// calls, long-path prefixes and opens relative to directory handles.
//
// Names are UTF-8 byte strings, turned into UTF-16 at the call; a name that
// is not UTF-8 names nothing. A path is made absolute and given the prefix
// "\\?\" (or "\\?\UNC\"), so paths of any length work.
//
// The attribute word is the entry's own Windows attributes (read-only,
// hidden, system, directory, archive), plus the hidden bit for a name that
// begins with '.'. A name surrogate (a symbolic link or a junction) also
// carries kAttrReparsePoint and is a Link to the walk, which passes over
// it; another reparse point (a cloud placeholder, a deduplicated file) is
// the file or directory it stands for, without that bit.
//
// openRead(): a path is opened with its links followed and then opened
// again, by its final name, in the directory that holds it (a file reached
// through a link is replaced where it lies); a name in an open directory is
// opened relative to that directory's handle and never through a link. The
// file is opened for reading with read and delete sharing only: no other
// program may write it while it is open (a file another program holds open
// for writing cannot be opened). lock() is LockFileEx on one byte far beyond
// any file's end, which only our own runs ever take.
//
// beginSave() creates the temporary file beside the file, relative to the
// directory's handle, under a fresh random name (isTemporaryName), with the
// original's attributes. commit():
//   1. the attributes (read-only, hidden, system, archive) given to the new
//      file through its handle and read back;
//   2. FlushFileBuffers;
//   3. the check: the locked file is still the version read (sameVersion:
//      volume, file index, creation time, size, write and change times),
//      and its name in the directory still leads to it;
//   4. the new file renamed over the old by its handle, relative to the
//      directory (FileRenameInfoEx with POSIX semantics, replacing and
//      ignoring the read-only attribute): the old file stays open and
//      locked to the end. Where the file system refuses that (FAT, older
//      Windows, wine), our handle of the old file is closed and the new one
//      moved over it by name (MoveFileExW with MOVEFILE_REPLACE_EXISTING and
//      MOVEFILE_WRITE_THROUGH), the old file's read-only attribute cleared
//      through a handle first and put back if the move fails.
// A save that does not commit deletes its temporary file through its
// handle. Access control lists and alternate data streams are not carried
// to the new file: it gets the directory's inherited permissions.
#pragma once

#include <functional>

#include "platform/file_system.h"

namespace snpln::platform {

class WindowsFileSystem : public FileSystem {
public:
  std::unique_ptr<InputFile> openRead(const FileLocation &at) override;
  std::optional<FileStatus> status(const FileLocation &at) override;
  std::shared_ptr<const Directory>
  openDirectory(const FileLocation &at) override;
  std::optional<std::vector<DirEntry>>
  listDirectory(const Directory &directory, const std::string &mask) override;
  std::unique_ptr<DirListing> list(const std::string &pattern) override;
  std::optional<std::uint32_t> lookup(const std::string &name) override;

  // Tests: where a commit may be made to fail or to meet another program's
  // change. Check comes before the check of step 3, Rename before the
  // rename of step 4.
  enum class CommitStep {
    Attributes,
    Flush,
    Check,
    Rename,
  };
  using CommitCheck = std::function<bool(CommitStep)>;
  // Asked before each step of every commit of a file opened after it is
  // set; false makes the step fail as if the system had refused it.
  CommitCheck commitCheck;
  // Tests: true refuses the rename by handle, as FAT and wine do.
  bool renameByHandleRefused = false;

private:
  std::unique_ptr<InputFile> openFile(const FileLocation &at);
  std::optional<std::uint32_t> lookupWord(const std::string &name);
  std::shared_ptr<const Directory> openDirectoryAt(const FileLocation &at);
};

} // namespace snpln::platform
