// The file services the jobs, the walk and the preview use, behind one
// interface so that a Windows implementation can stand beside the POSIX one
// and tests can make any call fail.
//
// Paths are byte strings, handed to the system unchanged. Sizes and positions
// are 64-bit everywhere. Every call reports failure through its result; none
// throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace snpln::platform {

using FileSize = std::uint64_t;

// The attribute word, with the values of the Windows file attributes. How
// the POSIX implementation computes it from a file's status (a regular file
// reports kAttrArchive; a link reports kAttrReparsePoint in listings and
// lookups): see posix_file_system.h.
inline constexpr std::uint32_t kAttrReadOnly = 0x01;
inline constexpr std::uint32_t kAttrHidden = 0x02;
inline constexpr std::uint32_t kAttrSystem = 0x04;
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrArchive = 0x20;
inline constexpr std::uint32_t kAttrReparsePoint = 0x400; // a symbolic link

// True when the word is the directory attribute and nothing else.
inline bool isExactlyDirectory(std::uint32_t word) {
  return word == kAttrDirectory;
}

// True when the word names a directory, whatever else it carries (read-only,
// hidden, or a link that leads to one).
inline bool isDirectoryWord(std::uint32_t word) {
  return (word & kAttrDirectory) != 0;
}

// A moment as the file system keeps it.
struct FileTime {
  std::int64_t seconds = 0;
  std::int64_t nanoseconds = 0;
  friend bool operator==(const FileTime &, const FileTime &) = default;
  friend auto operator<=>(const FileTime &, const FileTime &) = default;
};

// Which file a name leads to: its volume, the number the file system gives
// it there, and the moment it was made where the file system keeps that
// (zero where it does not). A number the file system gives again to a later
// file does not make that file the same one: with a birth time, two files
// that lived at different times never share a FileId. Ordered, so that it
// serves as a key of a set or a map.
struct FileId {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  FileTime born;
  friend bool operator==(const FileId &, const FileId &) = default;
  friend auto operator<=>(const FileId &, const FileId &) = default;
};

// Whether the file system told when the file was made.
inline bool knowsBirth(const FileId &id) { return id.born != FileTime{}; }

// A file as it stood when it was looked at: which file it is, the version of
// its content (size and modification time), the last change of its content
// or status (a chmod, a chown, a write, a rename that put it under a name
// sets it; nothing can set it back), and what a new version of it must keep
// (permission bits, owner and group).
struct FileStatus {
  FileId id;
  FileSize size = 0;
  std::int64_t modifiedSeconds = 0;
  std::int64_t modifiedNanoseconds = 0;
  std::int64_t changedSeconds = 0;
  std::int64_t changedNanoseconds = 0;
  // The last access, as the file system kept it (not part of the version).
  std::int64_t accessedSeconds = 0;
  std::int64_t accessedNanoseconds = 0;
  std::uint32_t mode = 0; // permission bits, set-id and sticky included
  std::uint32_t owner = 0;
  std::uint32_t group = 0;
  // How many names the file has (hard links); 0 where it is not known.
  std::uint32_t links = 0;

  FileTime changed() const { return {changedSeconds, changedNanoseconds}; }
  FileTime modified() const { return {modifiedSeconds, modifiedNanoseconds}; }
  FileTime accessed() const { return {accessedSeconds, accessedNanoseconds}; }
};

// Whether `now` is still the very version `then` describes: same file, same
// size, same modification time and same status change time (so a change of
// the same size whose modification time was set back, or a chmod, is a new
// version).
inline bool sameVersion(const FileStatus &then, const FileStatus &now) {
  return then.id == now.id && then.size == now.size &&
         then.modifiedSeconds == now.modifiedSeconds &&
         then.modifiedNanoseconds == now.modifiedNanoseconds &&
         then.changedSeconds == now.changedSeconds &&
         then.changedNanoseconds == now.changedNanoseconds;
}

// What the system said when a call failed: its own number for the reason
// (errno on POSIX, the last-error value on Windows) and its own words.
struct SystemError {
  int code = 0;
  std::string text;
};

// The lock our runs take on a file before they read it to replace it, so
// that two of them never work on one version of a file at once.
enum class LockOutcome : std::uint8_t {
  Locked,      // held until the file and every save begun from it are closed
  Busy,        // another of our runs holds it: try again later
  Unsupported, // the file system takes no such lock: go on without it
};

// How a save ended.
enum class SaveOutcome : std::uint8_t {
  Replaced,          // the new content is the file now, and on the disk
  WriteFailed,       // it could not be put on the disk or in place
  TargetChanged,     // the file is no longer the version that was read
  OwnerNotKept,      // the new file could not get the original's owner and
                     // group (a user saving another user's file)
  AttributesNotKept, // nor its mode or an extended attribute it has
  BackupNotKept,     // the original could not be kept under its backup
                     // name (SaveRules::backupSuffix)
};

// Whether a new version of a file may take its place, as far as its
// permissions tell before anything is written (a save may still fail).
enum class ReplaceAccess : std::uint8_t {
  Allowed,  // the file may be replaced
  ReadOnly, // it may, but it is marked read-only (the user's own file with
            // no write permission for its owner): the new version keeps
            // that mark
  Denied,   // no new version of it can take its place
};

struct ReplaceCheck {
  ReplaceAccess access = ReplaceAccess::Allowed;
  int systemError = 0; // the system's reason (errno) of Denied
};

class Directory;

// When a save puts the change of its directory (the new content under the
// file's name) on the disk.
enum class DirectoryFlush : std::uint8_t {
  // commit() flushes the directory before it returns Replaced.
  WithCommit,
  // commit() leaves that flush to its caller, who gets the directory from
  // SaveFile::unflushedDirectory() and flushes it (once for many files of
  // it) through FileSystem::flushDirectory() before it tells anyone that
  // the file is saved. The file's own content is still on the disk before
  // it takes the file's name.
  Later,
};

// What a save may do beyond what it must keep.
struct SaveRules {
  // Where the original's owner or group cannot be given to the new file, it
  // may belong to the user who saves it (without set-id bits) instead of
  // the save failing with OwnerNotKept.
  bool ownerMayChange = false;
  // Not empty: the commit keeps the original under the file's name followed
  // by this suffix, in the file's directory (the name a link leads to, not
  // the link's); where that name is taken, under the numbered one after
  // the highest there (platform/backup_name.h). Nothing is ever replaced: each
  // name is claimed only while no entry has it, so that saves at once never
  // take each other's. With an exchange, the original itself is renamed there
  // (nothing copied: owner, mode, attributes and times stay its own);
  // without one, a hard link to it is made before the last check. Where
  // the file system can claim a name neither way, or the backup cannot be
  // made for another reason, the file stays as it was (BackupNotKept,
  // errno the system's reason).
  std::string backupSuffix;
  // A NewFile always flushes its directory with its commit.
  DirectoryFlush directoryFlush = DirectoryFlush::WithCommit;
};

class OutputFile {
public:
  virtual ~OutputFile() = default;
  // Writes up to `size` bytes; `written` is what the system took. A write
  // that takes fewer bytes than asked is short, and callers treat it as a
  // failure.
  virtual bool write(const void *buffer, std::size_t size,
                     std::size_t &written) = 0;
  // Puts everything written so far on the disk.
  virtual bool flush() = 0;
};

// The new content of one file, on its way to replacing it. It is written to
// a temporary file of its own in the directory the file was opened in
// (never through a link); the file keeps its old content, its mode, owner
// and attributes until commit() puts the new one in its place in one step.
// A SaveFile that is destroyed or abandoned without a commit leaves the file
// as it was and nothing behind.
class SaveFile : public OutputFile {
public:
  // Gives the new content the owner and group, then the mode (set-id bits
  // included), then every extended attribute the file has at that moment
  // (OwnerNotKept or AttributesNotKept when the new file would differ in
  // any of them, unless the rules allow a new owner); puts it on the disk;
  // checks that the file under its name is still the version the save began
  // from (else TargetChanged: that version stays); puts the new content in
  // its place and that change on the disk too. On any outcome but Replaced
  // the file is untouched and the temporary file gone (should the system
  // refuse to put back another program's file that an exchange took out,
  // that file stays under the temporary name). A save commits at most
  // once.
  virtual SaveOutcome commit() = 0;
  // Gives the new content these access and modification times, on the
  // temporary file itself (never through a name), to the nanosecond where
  // the file system keeps them. Call after the last write and before
  // commit(), which changes neither. False, with the file untouched, when
  // the system refuses; a save that has no file on a disk (standard input,
  // a dry run) takes them as given and returns true.
  virtual bool setTimes(const FileTime &accessed, const FileTime &modified) = 0;
  // Throws the new content away; the file stays as it was.
  virtual void abandon() = 0;
  // The name, in the file's directory, under which a commit that replaced
  // the file kept the original (the backup name it claimed); empty when it
  // kept none.
  virtual std::string backupName() const { return {}; }
  // After a commit that returned Replaced under DirectoryFlush::Later: the
  // directory whose flush it left to the caller (kept open until the last
  // holder lets it go). Nothing otherwise, and wherever the save has
  // nothing to flush or flushed it itself (a system whose saves ignore the
  // rule, standard input, a dry run).
  virtual std::shared_ptr<const Directory> unflushedDirectory() const {
    return nullptr;
  }
  // After a commit that returned Replaced: the status of the new file now
  // under the file's name, where the save knows it without a look by name
  // (its identity, and its change time where the file system keeps no
  // birth time). Nothing otherwise.
  virtual std::optional<FileStatus> replacement() const { return std::nullopt; }
};

class InputFile;

// A file made anew under a name of its own (the command line's --output),
// from content written here first, in a temporary file of its own in the
// directory of that name. commit() gives it the name in one step:
//   - where no file had the name when the NewFile was begun, the name is
//     created without ever replacing a file that appeared there since
//     (TargetChanged: that file stays as it is); the new file's mode is the
//     one it was begun with, limited by the umask;
//   - where a regular file had it, that file is replaced as a SaveFile
//     replaces one (only while it is still the version seen at the begin,
//     its owner, mode and extended attributes kept).
// Abandoned or destroyed without a commit, it leaves nothing behind.
class NewFile : public SaveFile {
public:
  // What has been written so far, read from its start (the next pass of a
  // run reads it); nothing when it cannot be read.
  virtual std::unique_ptr<InputFile> readBack() = 0;
};

// An open file, read from its start. It stays the file it was opened as,
// whatever happens to its name; it remembers the directory that holds it
// (kept open) and its name there, so that a save begun from it is made in
// that very directory and nothing is ever looked up by path again.
class InputFile {
public:
  virtual ~InputFile() = default;
  // Reads up to `size` bytes; `got` is what arrived (0 at the end of file).
  virtual bool read(void *buffer, std::size_t size, std::size_t &got) = 0;
  virtual bool seek(FileSize position) = 0;
  virtual FileSize position() const = 0;
  // Reads up to `size` bytes from `offset` on (fewer only at the end of
  // the file), leaving the position read() goes on from where it is. By
  // default through seek() and read(), the position put back after.
  virtual bool readAt(FileSize offset, void *buffer, std::size_t size,
                      std::size_t &got) {
    got = 0;
    const FileSize at = position();
    if (!seek(offset))
      return false;
    bool ok = true;
    auto *out = static_cast<unsigned char *>(buffer);
    while (ok && got < size) {
      std::size_t n = 0;
      ok = read(out + got, size - got, n);
      if (n == 0)
        break;
      got += n;
    }
    return seek(at) && ok;
  }
  virtual bool size(FileSize &result) = 0;
  // The status of the open file itself (never of a name).
  virtual bool status(FileStatus &result) = 0;

  // The three below concern a file on a disk, which the file systems'
  // files override (a file that wraps another passes them on). Their
  // defaults are those of a text no one else reaches and nothing can
  // replace, as engines' tests feed them.

  // Takes our runs' lock on the file without waiting (see LockOutcome).
  virtual LockOutcome lock() { return LockOutcome::Unsupported; }
  // Whether the name it was opened by still leads to this very file (not a
  // link, not another file put there since).
  virtual bool stillNamed() { return true; }
  // The path of the file as the links of the path it was opened by led to
  // it: each link's text in place of the link's name (a relative one read
  // beside the link), so that a name beside the file is that path's last
  // part replaced. The path itself where no link was followed; empty where
  // the file was not opened by a path (a name in an open directory, a text
  // in memory): its location's path stands.
  virtual std::string reachedPath() const { return {}; }
  // Begins a new version of this file, which was read as `original` (the
  // only way a file is ever replaced). The temporary file is made in the
  // directory the file was opened in; the save keeps the file's lock until
  // it ends. Nothing, with the system's reason in `why`, when no temporary
  // file can be made there.
  virtual std::unique_ptr<SaveFile> beginSave(const FileStatus &original,
                                              const SaveRules &rules,
                                              SystemError &why) {
    (void)original;
    (void)rules;
    why = SystemError{};
    return nullptr;
  }
};

// An open directory. Files and subdirectories are reached from it by name,
// so that no path ever grows with the depth of a tree.
class Directory {
public:
  virtual ~Directory() = default;
  virtual FileId id() const = 0;
};

// Where a file is: a name inside an open directory, or (without a directory)
// a path taken from the current directory. The file system reaches it by
// `directory` and `name` only; path() is what messages and reports show it
// by.
struct FileLocation {
  FileLocation() = default;
  FileLocation(std::string path) : name(std::move(path)) {}
  FileLocation(const char *path) : name(path) {}
  FileLocation(std::shared_ptr<const Directory> in, std::string entry)
      : directory(std::move(in)), name(std::move(entry)) {}
  // The name `entry` in the open directory `in`, shown as `shownAs` (the
  // path a walk reached it by).
  FileLocation(std::shared_ptr<const Directory> in, std::string entry,
               std::string shownAs)
      : directory(std::move(in)), name(std::move(entry)),
        shown(std::move(shownAs)) {}

  // The path the file is shown by: the path itself, or for a name in an
  // open directory the path it was reached by (the name when none was
  // given).
  const std::string &path() const { return shown.empty() ? name : shown; }

  std::shared_ptr<const Directory> directory;
  std::string name;
  // What path() shows when it is not `name`.
  std::string shown;
  // A name in an open directory that its caller has just looked at (a
  // walk's listing, without following a link) and found a regular file:
  // its status then. openRead() opens it without looking again, and takes
  // the open file only while it is that very file (else it looks as
  // without this). Nothing for a path.
  std::optional<FileStatus> seen;
};

// Whether `name` is one of the names our temporary files bear: the old fixed
// name "~sn$ln~.tmp", or ".~sn$ln~" followed by twelve letters or digits and
// ".tmp". The walk never hands such a name to a job.
bool isTemporaryName(const std::string &name);

// What a listed entry is, as it stands (a link is not followed).
enum class EntryKind : std::uint8_t {
  File,      // a regular file
  Directory, // a directory, whatever its mode or attributes
  Link,      // a symbolic link (or another reparse point), wherever it leads
  Other,     // a FIFO, a socket or a device
};

// One entry of a directory listing.
struct DirEntry {
  std::string name; // without directory
  std::uint32_t attributes = 0;
  EntryKind kind = EntryKind::File;
  // The entry's own status as the listing looked at it (a link not
  // followed), where the listing has it.
  std::optional<FileStatus> status = std::nullopt;
};

// An open listing, as the C runtime's directory search gives it: entries that
// match the pattern, in the platform's order, "." and ".." included when the
// pattern matches them.
class DirListing {
public:
  virtual ~DirListing() = default;
  // The next entry, or nothing when the listing is exhausted.
  virtual std::optional<DirEntry> next() = 0;
};

class FileSystem {
public:
  virtual ~FileSystem() = default;

  // Opens an existing regular file for reading. A path (a name the user
  // gave) is followed through its links, one by one, to the file they lead
  // to, which is then opened in the directory that holds it (a file reached
  // through a link is replaced where it lies, and the link stays). A name in
  // an open directory (a file of a walked tree) is never followed: a link
  // there is refused. A directory, a FIFO, a device or a socket is refused
  // without being opened, after a look at the name (for a name its caller
  // has seen, FileLocation::seen, that look is the caller's: what was put
  // there since is opened without waiting, found to be something else, and
  // refused after a look of its own).
  virtual std::unique_ptr<InputFile> openRead(const FileLocation &at) = 0;
  // The status of the file at `at`: a path's links followed, a name in an
  // open directory as it stands (a link's own status); nothing when there
  // is none.
  virtual std::optional<FileStatus> status(const FileLocation &at) = 0;

  // Opens the directory at `at`: a path (a name the user gave) through its
  // links, a name in an open directory never through a link (".." of an
  // open directory is its parent). Nothing when it cannot be opened.
  virtual std::shared_ptr<const Directory>
  openDirectory(const FileLocation &at) = 0;
  // Every entry of `directory` whose name matches the DOS mask, with its
  // attribute word (as list() gives it), in the platform's order, "." and
  // ".." included when the mask matches them. Nothing when the directory
  // cannot be read, or an entry of it cannot be looked at (an entry that
  // has vanished is left out).
  virtual std::optional<std::vector<DirEntry>>
  listDirectory(const Directory &directory, const std::string &mask) = 0;

  // A listing of the directory part of `pattern` filtered by its last part,
  // a DOS wildcard mask ("dir/*.*", "dir/*.txt"). Nothing when the directory
  // cannot be listed or no entry matches.
  virtual std::unique_ptr<DirListing> list(const std::string &pattern) = 0;

  // The batch run's lookup of one name: the attribute word of the first
  // entry the name matches (it may hold wildcards in its last part), or
  // nothing when it matches none. A link is not exactly a directory, but
  // carries the directory bit when it leads to one (isDirectoryWord).
  virtual std::optional<std::uint32_t> lookup(const std::string &name) = 0;

  // Whether a new version of the file at `at` (a path's links followed)
  // could take its place, asked before anything is written. Allowed where
  // the system cannot tell beforehand.
  virtual ReplaceCheck replaceAccess(const FileLocation &at) {
    (void)at;
    return {};
  }

  // Begins a NewFile for the path `at` (its links followed to the name
  // they lead to, as openRead follows them). A new file takes `mode`'s
  // permission bits (limited by the umask); `rules` apply to replacing an
  // existing one. Nothing, with the system's reason in `why`, when the
  // name's directory cannot be opened, the name is not a regular file
  // (EISDIR for a directory, EEXIST for anything else), or
  // no temporary file can be made there; always nothing where the system
  // offers no such file (see kNewFilesAndBackups).
  virtual std::unique_ptr<NewFile> beginNewFile(const FileLocation &at,
                                                std::uint32_t mode,
                                                const SaveRules &rules,
                                                SystemError &why) {
    (void)at;
    (void)mode;
    (void)rules;
    why = SystemError{};
    return nullptr;
  }

  // Puts on the disk the changes of names made in `directory` (a save's
  // unflushedDirectory()). False, with the system's reason in `why`, when
  // the system refused: the files renamed there have their new content
  // under their names, but a power cut may still undo that. True without
  // doing anything for a directory that cannot be flushed (opened only as
  // a path, where its file system keeps the order of its changes) and
  // where the system has nothing to flush.
  virtual bool flushDirectory(const Directory &directory, SystemError &why) {
    (void)directory;
    why = SystemError{};
    return true;
  }
};

// DOS wildcard matching as the directory search does it: '*' any run
// (possibly empty), '?' exactly one character, letters regardless of case,
// everything else literal. A name that is valid UTF-8 is taken character by
// character (its mask too), ASCII and Cyrillic letters folded; any other
// name byte by byte (its code page unknown), only ASCII letters folded. A
// mask ending in ".*" also matches a name that the part before ".*" matches
// whole, as on Windows: so "*.*" matches every name, also names without a
// dot, and "abc.*" matches "abc". At most name length x mask length steps,
// never exponential.
bool matchesDosMask(const std::string &name, const std::string &mask);
// The same, adding the matcher's steps to `steps` (for tests of its work).
bool matchesDosMask(const std::string &name, const std::string &mask,
                    std::uint64_t &steps);

// The real file system of this machine (one static PosixFileSystem on
// POSIX).
FileSystem &realFileSystem();

// The separator the walk appends to a directory name and cuts at.
// kNewFilesAndBackups: whether this system's saves keep backups
// (SaveRules::backupSuffix) and make NewFiles; the command line refuses
// --backup and --output where they do not.
#ifdef _WIN32
inline constexpr bool kNewFilesAndBackups = false;
inline constexpr char kPathSeparator = '\\';
inline bool isPathSeparator(char c) {
  return c == '\\' || c == '/' || c == ':';
}
#else
inline constexpr bool kNewFilesAndBackups = true;
inline constexpr char kPathSeparator = '/';
inline bool isPathSeparator(char c) { return c == '/'; }
#endif

} // namespace snpln::platform
