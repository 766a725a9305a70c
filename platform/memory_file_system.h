// Files and folders held in memory, beside the POSIX and Windows file
// systems and under the same contract: the files a browser's page was
// given, and the trees of tests.
//
// A file's bytes are a MemoryContent, one per version, never changed once
// made: a plain string, or whatever the caller implements (the page reads
// a dropped file's bytes in slices from the browser, so that its whole
// content never has to be in memory at once). A save writes its new
// content through the ContentStore the file system was made with (plain
// strings by default; the page keeps them outside its memory) and its
// commit puts it under the file's name in one step, as a new file (a new
// number), while the file named there is still the version the save began
// from.
//
// Names are byte strings separated by '/'; a path is taken from the root
// ("." and ".." as usual, ".." of the root is the root, a leading '/'
// means the root too). There are no links, no other users and no backups
// (a save that asks for one is refused, ENOTSUP); every file and
// directory may be read and written, a file whose mode lacks the owner's
// write bit carries the read-only attribute and keeps it when rewritten,
// and a name that begins with a dot carries the hidden one. Listings come
// in the byte order of the names, "." and ".." first where the mask takes
// them. Times come from the file system's clock (by default a count that
// goes up by one second at each change: no test depends on the real
// time). Failures set errno as POSIX would (ENOENT, ENOTDIR, EISDIR).
//
// Every call takes one lock: jobs on several threads may share it. A
// MemoryContent other than the plain one is read on the thread of the job
// that opened it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace snpln::platform {

// The bytes of one version of a file.
class MemoryContent {
public:
  virtual ~MemoryContent() = default;
  virtual FileSize size() const = 0;
  // Reads up to `size` bytes from `offset`; `got` is what arrived (fewer
  // only at the end). False when the bytes cannot be had.
  virtual bool read(FileSize offset, void *buffer, std::size_t size,
                    std::size_t &got) const = 0;
  // Where each read costs much whatever its size (the browser's slices):
  // how many bytes an open file asks for at once, keeping what its caller
  // has not taken yet for the next reads; 0 for none.
  virtual std::size_t readSize() const { return 0; }
};

// A new version on its way, written from its start.
class ContentWriter {
public:
  virtual ~ContentWriter() = default;
  // False when the bytes cannot be kept.
  virtual bool write(const void *buffer, std::size_t size) = 0;
  // Everything written, as one content; nothing when it cannot be kept.
  // Called at most once, after the last write.
  virtual std::shared_ptr<const MemoryContent> finish() = 0;
};

// Where the new versions of a file system's files go.
class ContentStore {
public:
  virtual ~ContentStore() = default;
  virtual std::unique_ptr<ContentWriter> begin() = 0;
};

// Plain bytes as a content, and a store of such contents.
std::shared_ptr<const MemoryContent> stringContent(std::string bytes);
std::shared_ptr<ContentStore> stringContentStore();
// Every byte of `content`; nothing when it cannot be read.
std::optional<std::string> bytesOf(const MemoryContent &content);

class MemoryFileSystem : public FileSystem {
public:
  // `store`: where saves write (plain strings when null).
  explicit MemoryFileSystem(std::shared_ptr<ContentStore> store = nullptr);
  ~MemoryFileSystem() override;
  MemoryFileSystem(const MemoryFileSystem &) = delete;
  MemoryFileSystem &operator=(const MemoryFileSystem &) = delete;

  // Puts a file under `path` (its folders made as needed), replacing the
  // file of that name as another program would: a new file, a new number.
  // False, with nothing changed, when a folder of the path is a file, the
  // name is a folder, or the path names no file ("", "a/", "a/..").
  bool putFile(const std::string &path,
               std::shared_ptr<const MemoryContent> content,
               FileTime modified = {});
  bool putFile(const std::string &path, std::string bytes) {
    return putFile(path, stringContent(std::move(bytes)));
  }
  // Makes the folder `path` and those above it; true when it is one now.
  bool makeDirectory(const std::string &path);
  // Moves a file or folder to a new name (what another program may do
  // meanwhile); a file there is replaced. False when `from` does not
  // exist, `to`'s folder does not, or a folder would go inside itself.
  bool rename(const std::string &from, const std::string &to);
  // The permission bits of the file or folder at `path`.
  bool setMode(const std::string &path, std::uint32_t mode);

  // The content of the file at `path` now; null when there is none.
  std::shared_ptr<const MemoryContent> content(const std::string &path) const;
  // The names in the folder `path` ("" for the root), in byte order.
  std::vector<std::string> names(const std::string &path = {}) const;

  // Told of every commit that replaced a file: its path from the root and
  // its new content, under the file system's lock (call nothing of it).
  std::function<void(const std::string &path,
                     const std::shared_ptr<const MemoryContent> &content)>
      committed;
  // The time a new version takes, when its save was given none.
  std::function<FileTime()> clock;

  // Tests: where a commit may fail. Finish is the end of the writing,
  // Check the check of the version, Replace the moment the new content
  // takes the name. False from the check makes that step fail.
  enum class CommitStep : std::uint8_t { Finish, Check, Replace };
  std::function<bool(CommitStep)> commitCheck;

  // FileSystem.
  std::unique_ptr<InputFile> openRead(const FileLocation &at) override;
  std::optional<FileStatus> status(const FileLocation &at) override;
  std::shared_ptr<const Directory>
  openDirectory(const FileLocation &at) override;
  std::optional<std::vector<DirEntry>>
  listDirectory(const Directory &directory, const std::string &mask) override;
  std::unique_ptr<DirListing> list(const std::string &pattern) override;
  std::optional<std::uint32_t> lookup(const std::string &name) override;

  struct State;

private:
  std::shared_ptr<State> state_;
};

} // namespace snpln::platform
