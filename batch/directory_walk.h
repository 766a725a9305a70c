// The walk through a directory tree for one filter mask.
//
// walkDirectoryTree() runs one job (through the host) for every file of the
// tree whose name matches `mask`, depth first in pre-order: a directory's own
// files, then each subdirectory completely, in the platform's listing order.
// It keeps no recursion: one WalkFrame per open directory level, chained to
// its parent, and one path that grows and shrinks at its end. Only an entry
// whose attribute word is exactly the directory attribute is entered (so
// never a symbolic link, nor a read-only, hidden, system or archive
// directory); every other matching entry is handed to a job, except "." and
// "..", and the job's temporary file. A directory that cannot be listed
// counts as empty. Paths of any length are built whole; a path the system
// refuses is reported by the job that opens it ("This file not found").
//
// A directory's matching names are all read before its first job runs, so a
// file a job creates or replaces there is never visited twice in one walk.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "batch/batch_host.h"
#include "job/job_request.h"
#include "platform/file_system.h"

namespace snpln::batch {

// How a walk (or the jobs of one directory) ended.
enum class WalkOutcome : std::uint8_t {
  Done,        // every matching file had its job
  Stopped,     // a job ended with Stop: the rest of the tree is untouched
  OutOfMemory, // a WalkFrame could not be allocated: the tree is not done
};

// What a caller may set beyond the walk's arguments.
struct WalkHooks {
  // Asked before every WalkFrame allocation below the top level; false makes
  // the allocation fail as if memory were exhausted. Empty: never asked.
  std::function<bool()> frameAllocationAllowed;
};

// Walks `directory` (a name as the file list gives it; a separator is added
// when it does not end in one). Returns Done, Stopped as soon as a job ends
// with Stop, or OutOfMemory when a WalkFrame cannot be allocated (every
// listing closed, every frame released).
WalkOutcome
walkDirectoryTree(const std::string &directory, const std::string &mask,
                  job::OperationCode operation, bool lastJob,
                  const RunParameters &parameters, BatchHost &host,
                  platform::FileSystem &fs = platform::realFileSystem(),
                  const WalkHooks &hooks = {});

// Runs the jobs of one directory: `directoryPath` ends in a separator. A mask
// that holds a separator names no file of this directory and runs no job.
// Returns Done, or Stopped as soon as a job ends with Stop.
WalkOutcome
processDirectoryFiles(const std::string &directoryPath, const std::string &mask,
                      job::OperationCode operation, bool lastJob,
                      const RunParameters &parameters, BatchHost &host,
                      platform::FileSystem &fs = platform::realFileSystem());

} // namespace snpln::batch
