// A fresh directory for one test, removed with everything in it when the
// fixture goes; and a guard that makes a directory the current one for a
// while (jobs put their temporary file in the current directory).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace snpln::test {

class TempDir {
public:
  // A new directory "snpln-XXXXXX" under `base`, or under the system's
  // temporary directory ($TMPDIR, else /tmp) when `base` is empty. Throws
  // std::runtime_error when it cannot be made.
  explicit TempDir(const std::string &base = std::string());
  // Removes the tree (permissions are widened first so that a read-only
  // directory inside does not stop it; links are removed, never followed).
  ~TempDir();
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;

  // The directory's absolute path, without a trailing '/'.
  const std::string &path() const { return path_; }
  // path() + "/" + name.
  std::string file(const std::string &name) const;

  // Writes (creates or truncates) the file `name` with exactly `bytes`.
  // Throws std::runtime_error on failure.
  void write(const std::string &name, const std::string &bytes) const;
  // The whole content of `name` (links followed); throws when it cannot be
  // read.
  std::string read(const std::string &name) const;
  // st_mode & 07777 of `name`, links followed; -1 when it does not exist.
  int mode(const std::string &name) const;
  // Whether `name` exists as an entry (a dangling link counts).
  bool exists(const std::string &name) const;
  // The names in the directory `sub` ("" for the directory itself), without
  // "." and "..", sorted.
  std::vector<std::string> names(const std::string &sub = "") const;
  // Whether the directory `sub` holds an entry with one of our temporary
  // files' names (platform::isTemporaryName).
  bool holdsTemporaryFile(const std::string &sub = "") const;

  // Helpers for building trees; each throws std::runtime_error on failure.
  void mkdir(const std::string &name, int mode = 0755) const;
  void symlink(const std::string &target, const std::string &name) const;
  void chmod(const std::string &name, int mode) const;

  // The device of the directory (st_dev), to tell filesystems apart.
  std::uint64_t device() const;

private:
  std::string path_;
};

// Removes a tree as TempDir's destructor does, at any depth; true when it
// is gone.
bool removeTree(const std::string &path);

// Makes `levels` nested directories named `level` under `root` and, in the
// deepest, the file `name` holding `content`: built one level at a time
// from open directories, so the whole path may be as long as it likes.
// Throws std::runtime_error on failure.
void makeDeepTree(const std::string &root, const std::string &level, int levels,
                  const std::string &name, const std::string &content);

class ChangeDirectory {
public:
  // chdir into `dir`; throws std::runtime_error when it cannot.
  explicit ChangeDirectory(const std::string &dir);
  // chdir back to the directory that was current before.
  ~ChangeDirectory();
  ChangeDirectory(const ChangeDirectory &) = delete;
  ChangeDirectory &operator=(const ChangeDirectory &) = delete;

private:
  std::string previous_;
};

} // namespace snpln::test
