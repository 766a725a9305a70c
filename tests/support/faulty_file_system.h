// A FileSystem for tests that passes every call on to another one (the real
// file system unless told otherwise) but fails the calls its plan names, and
// counts every call.
//
//   platform::FaultyFileSystem fs;      // over realFileSystem()
//   fs.fail.replaceWith = true;         // the rename never happens
//   fs.fail.writeAt = 8192;             // the temp file's write past 8 KiB
//   ... run a job with fs ...
//   EXPECT_EQ(fs.calls.replaceWith, 1);
//
// A failed call is not passed on: the inner file system never sees it, so a
// failed replaceWith leaves target and temporary file as they were and a
// failed remove leaves the file. The plan may be changed at any time; files
// already open read it at each call, so they must not outlive the
// FaultyFileSystem that opened them.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace snpln::platform {

inline constexpr std::uint64_t kNoFault =
    std::numeric_limits<std::uint64_t>::max();

struct FaultPlan {
  // Calls of the file system that fail (return null, nothing or false).
  bool openRead = false;
  bool getAttributes = false;
  bool setNormal = false;
  bool restoreAttributes = false;
  bool createTemp = false;
  bool markTemporary = false;
  bool remove = false;
  bool replaceWith = false;
  bool list = false;
  bool lookup = false;
  // When not empty, the calls above fail only for this path (the argument
  // of the call; for replaceWith either the temporary name or the target;
  // for list and lookup the pattern or name).
  std::string onlyPath;

  // Input files opened through openRead: a read that would deliver byte N
  // (counted from the file start, the first byte being 0) fails and
  // delivers nothing; every seek fails.
  std::uint64_t readAt = kNoFault;
  bool seek = false;

  // Output files made by createTemp, counted from the file start: a write
  // that would take byte N fails and takes nothing (writeAt); a write that
  // would take byte N is cut to the bytes before N and still returns true
  // (shortWriteAt); every flush fails (flush).
  std::uint64_t writeAt = kNoFault;
  std::uint64_t shortWriteAt = kNoFault;
  bool flush = false;
};

// How often each call was made, failed or not.
struct FaultCounts {
  int openRead = 0;
  int getAttributes = 0;
  int setNormal = 0;
  int restoreAttributes = 0;
  int createTemp = 0;
  int markTemporary = 0;
  int remove = 0;
  int replaceWith = 0;
  int list = 0;
  int lookup = 0;
  // Calls on the files opened or created through this file system.
  int reads = 0;
  int seeks = 0;
  int writes = 0;
  int flushes = 0;
  // Injected failures of any kind, short writes included.
  int faults = 0;
};

class FaultyFileSystem : public FileSystem {
public:
  explicit FaultyFileSystem(FileSystem &inner = realFileSystem())
      : inner_(inner) {}

  FaultPlan fail;
  FaultCounts calls;
  // Every file system call in order, as "name argument" (for example
  // "openRead /tmp/x/a.txt", "replaceWith ~sn$ln~.tmp /tmp/x/a.txt");
  // calls on open files are not logged.
  std::vector<std::string> log;

  FileSystem &inner() { return inner_; }

  std::unique_ptr<InputFile> openRead(const std::string &path) override;
  std::optional<FileAttributes> getAttributes(const std::string &path) override;
  bool setNormal(const std::string &path) override;
  bool restoreAttributes(const std::string &path,
                         const FileAttributes &saved) override;
  std::unique_ptr<OutputFile> createTemp(const std::string &name) override;
  bool markTemporary(const std::string &name) override;
  bool remove(const std::string &path) override;
  bool replaceWith(const std::string &tempName, const std::string &target,
                   const FileAttributes &keep) override;
  std::unique_ptr<DirListing> list(const std::string &pattern) override;
  std::optional<std::uint32_t> lookup(const std::string &name) override;
  bool sameFile(const std::string &a, const std::string &b) override {
    return inner_.sameFile(a, b);
  }

private:
  bool fails(bool planned, const std::string &path) const;
  bool fails(bool planned, const std::string &path1,
             const std::string &path2) const;

  FileSystem &inner_;
};

} // namespace snpln::platform
