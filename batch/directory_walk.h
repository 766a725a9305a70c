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

#include <functional>
#include <string>

#include "batch/batch_host.h"
#include "batch/run_parameters.h"
#include "job/job_request.h"
#include "platform/file_system.h"

namespace snpln::batch {

// walkDirectoryTree's results.
inline constexpr int kWalkDone = 0;
inline constexpr int kWalkStop = 4;
inline constexpr int kWalkOutOfMemory = -1;

// processDirectoryFiles's results.
inline constexpr int kFilesDone = 7;
inline constexpr int kFilesStop = 4;

// What a caller may set beyond the walk's arguments.
struct WalkHooks {
  // Asked before every WalkFrame allocation below the top level; false makes
  // the allocation fail as if memory were exhausted. Empty: never asked.
  std::function<bool()> frameAllocationAllowed;
};

// Walks `directory` (a name as the file list gives it; a separator is added
// when it does not end in one). Returns kWalkDone, kWalkStop as soon as a job
// ends with Stop, or kWalkOutOfMemory when a WalkFrame cannot be allocated
// (every listing closed, every frame released).
int walkDirectoryTree(const std::string &directory, const std::string &mask,
                      job::OperationCode operation, int lastJob,
                      const RunParameters &parameters, BatchHost &host,
                      platform::FileSystem &fs = platform::realFileSystem(),
                      const WalkHooks &hooks = {});

// Runs the jobs of one directory: `directoryPath` ends in a separator. A mask
// that holds a separator names no file of this directory and runs no job.
// Returns kFilesDone, or kFilesStop as soon as a job ends with Stop.
int processDirectoryFiles(
    const std::string &directoryPath, const std::string &mask,
    job::OperationCode operation, int lastJob, const RunParameters &parameters,
    BatchHost &host, platform::FileSystem &fs = platform::realFileSystem());

} // namespace snpln::batch
