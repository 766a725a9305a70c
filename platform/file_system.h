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

// A file's device and inode: what makes it the same file whatever name
// leads to it.
struct FileId {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  friend bool operator==(const FileId &, const FileId &) = default;
  friend auto operator<=>(const FileId &, const FileId &) = default;
};

// A file as it stood when it was opened: which file it is, the version of
// its content (size and modification time) and what a new version of it
// must keep (permission bits, owner and group).
struct FileStatus {
  FileId id;
  FileSize size = 0;
  std::int64_t modifiedSeconds = 0;
  std::int64_t modifiedNanoseconds = 0;
  std::uint32_t mode = 0; // permission bits, set-id and sticky included
  std::uint32_t owner = 0;
  std::uint32_t group = 0;
};

// Whether `now` is still the very version `then` describes: same file, same
// size, same modification time.
inline bool sameVersion(const FileStatus &then, const FileStatus &now) {
  return then.id == now.id && then.size == now.size &&
         then.modifiedSeconds == now.modifiedSeconds &&
         then.modifiedNanoseconds == now.modifiedNanoseconds;
}

class InputFile {
public:
  virtual ~InputFile() = default;
  // Reads up to `size` bytes; `got` is what arrived (0 at the end of file).
  virtual bool read(void *buffer, std::size_t size, std::size_t &got) = 0;
  virtual bool seek(FileSize position) = 0;
  virtual FileSize position() const = 0;
  virtual bool size(FileSize &result) = 0;
  // The status of the open file itself (never of a name).
  virtual bool status(FileStatus &result) = 0;
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

// An open directory. Files and subdirectories are reached from it by name,
// so that no path ever grows with the depth of a tree.
class Directory {
public:
  virtual ~Directory() = default;
  virtual FileId id() const = 0;
};

// Where a file is: a name inside an open directory, or (without a directory)
// a path taken from the current directory.
struct FileLocation {
  FileLocation(std::string path) : name(std::move(path)) {}
  FileLocation(const char *path) : name(path) {}
  FileLocation(std::shared_ptr<const Directory> in, std::string entry)
      : directory(std::move(in)), name(std::move(entry)) {}

  std::shared_ptr<const Directory> directory;
  std::string name;
};

// How a save ended.
enum class SaveOutcome {
  Replaced,      // the new content is the file now, and on the disk
  WriteFailed,   // it could not be put on the disk or in place
  TargetChanged, // the file is no longer the version that was read
};

// The new content of one file, on its way to replacing it. It is written to
// a temporary file of its own beside the file (never through a link); the
// file keeps its old content, its mode and its owner until commit() puts
// the new one in its place in one step. A SaveFile that is destroyed or
// abandoned without a commit leaves the file as it was and nothing behind.
class SaveFile : public OutputFile {
public:
  // Gives the new content the original's permission bits, owner and group,
  // puts it on the disk, checks that the file is still the version the
  // save began from (else TargetChanged: that version stays), puts the new
  // content in its place and puts that change on the disk too. On any
  // outcome but Replaced the file is untouched and the temporary file gone.
  // A save commits at most once.
  virtual SaveOutcome commit() = 0;
  // Throws the new content away; the file stays as it was.
  virtual void abandon() = 0;
};

// Whether `name` is one of the names our temporary files bear: the old fixed
// name "~sn$ln~.tmp", or ".~sn$ln~" followed by twelve letters or digits and
// ".tmp". The walk never hands such a name to a job.
bool isTemporaryName(const std::string &name);

// One entry of a directory listing.
struct DirEntry {
  std::string name; // without directory
  std::uint32_t attributes = 0;
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

  // Opens an existing regular file for reading (a link is followed). A
  // directory or anything else that is not a regular file is refused.
  virtual std::unique_ptr<InputFile> openRead(const FileLocation &at) = 0;
  // The status of the file at `at`, links followed; nothing when there is
  // none.
  virtual std::optional<FileStatus> status(const FileLocation &at) = 0;

  // Begins a new version of the file at `at`, which was read as `original`
  // (the only way a file is ever replaced). A name that is a symbolic link
  // is followed to the file it leads to, and that file is replaced where it
  // lies (the link stays). Nothing when the file cannot be found or no
  // temporary file can be made beside it.
  virtual std::unique_ptr<SaveFile> beginSave(const FileLocation &at,
                                              const FileStatus &original) = 0;

  // Opens the directory at `at`, never through a symbolic link in its last
  // part (".." of an open directory is its parent). Nothing when it cannot
  // be opened.
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
  // nothing when it matches none. A link is not exactly a directory.
  virtual std::optional<std::uint32_t> lookup(const std::string &name) = 0;
};

// DOS wildcard matching as the directory search does it: '*' any run
// (possibly empty), '?' exactly one character, ASCII letters regardless of
// case, every other byte literal. A mask ending in ".*" also matches a name
// that the part before ".*" matches whole, as on Windows: so "*.*" matches
// every name, also names without a dot, and "abc.*" matches "abc". At most
// name length x mask length steps, never exponential.
bool matchesDosMask(const std::string &name, const std::string &mask);
// The same, adding the matcher's steps to `steps` (for tests of its work).
bool matchesDosMask(const std::string &name, const std::string &mask,
                    std::uint64_t &steps);

// The real file system of this machine (one static PosixFileSystem on
// POSIX).
FileSystem &realFileSystem();

// The separator the walk appends to a directory name and cuts at.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
inline bool isPathSeparator(char c) { return c == '\\' || c == ':'; }
#else
inline constexpr char kPathSeparator = '/';
inline bool isPathSeparator(char c) { return c == '/'; }
#endif

} // namespace snpln::platform
