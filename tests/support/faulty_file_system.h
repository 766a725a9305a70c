// A FileSystem for tests that passes every call on to another one (the real
// file system unless told otherwise) but fails the calls its plan names, and
// counts and logs every call.
//
//   platform::FaultyFileSystem fs;      // over realFileSystem()
//   fs.fail.commit = true;              // the rename never happens
//   fs.fail.writeAt = 8192;             // the save's write past 8 KiB
//   ... run a job with fs ...
//   EXPECT_EQ(fs.calls.commits, 1);
//
// A failed call is not passed on: the inner file system never sees it, so a
// failed commit leaves the file as it was (the inner save is then abandoned
// when it goes). The plan may be changed at any time; files already open
// read it at each call, so they must not outlive the FaultyFileSystem that
// opened them. `beforeCall`, when set, runs before each logged call is
// passed on (with its log line): a test makes another program act there,
// between two steps of a job.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace snpln::platform {

inline constexpr std::uint64_t kNoFault =
    std::numeric_limits<std::uint64_t>::max();

struct FaultPlan {
  // Calls of the file system that fail (return null, nothing or false);
  // beginSave is the call on a file opened through openRead.
  bool openRead = false;
  bool status = false;
  bool beginSave = false;
  // beginNewFile; the NewFiles it begins fail their writes, flushes,
  // times and commits as saves do, and what they read back as inputs do.
  bool beginNewFile = false;
  bool openDirectory = false;
  bool listDirectory = false;
  bool list = false;
  bool lookup = false;
  // replaceAccess answers Denied (with `error`, or EACCES when that is 0).
  bool replaceAccess = false;
  // When not empty, the calls above fail only for this name (the location's
  // name, for listDirectory the mask, for list and lookup the pattern or
  // name).
  std::string onlyPath;

  // Input files opened through openRead: a read that would deliver byte N
  // (counted from the file start, the first byte being 0) fails and
  // delivers nothing; every seek fails; status fails.
  std::uint64_t readAt = kNoFault;
  bool seek = false;
  bool inputStatus = false;
  // Their lock: Busy this many times before it is passed on.
  int lockBusy = 0;

  // Saves begun through beginSave, counted from the file start: a write
  // that would take byte N fails and takes nothing (writeAt); a write that
  // would take byte N is cut to the bytes before N and still returns true
  // (shortWriteAt); every flush fails, and so does the flush a commit makes
  // (flush: WriteFailed); the commit ends with `commitOutcome` without
  // reaching the inner save (commit).
  std::uint64_t writeAt = kNoFault;
  std::uint64_t shortWriteAt = kNoFault;
  bool flush = false;
  // Setting the save's times fails (the system refuses it).
  bool times = false;
  bool commit = false;
  SaveOutcome commitOutcome = SaveOutcome::WriteFailed;

  // flushDirectory fails (with `error`, or EIO when that is 0): for every
  // directory, or only for the one of this identity when it is set.
  bool directoryFlush = false;
  std::optional<FileId> onlyDirectory;

  // The system's reason (errno) that a failing openRead, status, write,
  // flush or commit leaves, as the system would; 0 leaves errno alone.
  int error = 0;

  // Every status given out (status, the entries of listDirectory, the
  // files' own) as a file system without birth times gives it (FUSE, NFS,
  // vfat), and with change and modification times of whole seconds. A
  // save begun from such a status is begun from the inner one.
  bool hideBirthTimes = false;
  bool wholeSecondTimes = false;
};

// How often each call was made, failed or not.
struct FaultCounts {
  int openRead = 0;
  int status = 0;
  int beginSave = 0;
  int beginNewFile = 0;
  int openDirectory = 0;
  int listDirectory = 0;
  int list = 0;
  int lookup = 0;
  int replaceAccess = 0;
  int locks = 0;
  // Calls on the files and saves opened through this file system.
  int reads = 0;
  int seeks = 0;
  int writes = 0;
  int flushes = 0;
  int commits = 0;
  int times = 0;
  int abandons = 0;
  int directoryFlushes = 0;
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
  // "openRead /tmp/x/a.txt", "beginSave a.txt", "commit a.txt"; a location
  // in an open directory is logged by its name there), with the commits and
  // abandons of saves; reads and writes are not logged.
  std::vector<std::string> log;
  std::function<void(const std::string &)> beforeCall;

  FileSystem &inner() { return inner_; }

  std::unique_ptr<InputFile> openRead(const FileLocation &at) override;
  std::optional<FileStatus> status(const FileLocation &at) override;
  std::shared_ptr<const Directory>
  openDirectory(const FileLocation &at) override;
  std::optional<std::vector<DirEntry>>
  listDirectory(const Directory &directory, const std::string &mask) override;
  std::unique_ptr<DirListing> list(const std::string &pattern) override;
  std::optional<std::uint32_t> lookup(const std::string &name) override;
  ReplaceCheck replaceAccess(const FileLocation &at) override;
  std::unique_ptr<NewFile> beginNewFile(const FileLocation &at,
                                        std::uint32_t mode,
                                        const SaveRules &rules,
                                        SystemError &why) override;
  // Logged as "flushDirectory".
  bool flushDirectory(const Directory &directory, SystemError &why) override;

  // Logs a call (and runs beforeCall); the files opened here log so too.
  void note(const std::string &entry);
  // `status` as the plan shows it (hideBirthTimes, wholeSecondTimes).
  FileStatus shown(FileStatus status) const;
  bool fails(bool planned, const std::string &path) const;

private:
  FileSystem &inner_;
};

// Opens the file at `at` through `fs` and begins its save from the open
// file, as a job does (without taking its lock); nothing when either
// fails. The open file is closed again: the save keeps what it needs.
std::unique_ptr<SaveFile> beginSaveOf(FileSystem &fs, const FileLocation &at,
                                      const FileStatus &original,
                                      const SaveRules &rules = {});

} // namespace snpln::platform
