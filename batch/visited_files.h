// The files one pass has visited: a file is rewritten at most once in a
// pass, however many names, links or masks lead to it, and a file that
// merely took the number of a visited one (another program saved by
// writing a new file and renaming it, and the file system gave the new file
// a freed number) is not taken for it.
#pragma once

#include <map>
#include <set>
#include <string>

#include "batch/file_pages.h"
#include "platform/file_system.h"

namespace snpln::batch {

class VisitedFiles {
public:
  // Whether the file `status` describes has been visited: the same device,
  // number and birth time. Where the file system keeps no birth time, the
  // same device and number whose status has not changed since the visit:
  // a later change time makes it a new file.
  bool contains(const platform::FileStatus &status) const;
  // Records a visit of the file as `status` describes it now.
  void add(const platform::FileStatus &status);

private:
  // The latest change time seen at a visit of each file.
  std::map<platform::FileId, platform::FileTime> visited_;
};

inline bool VisitedFiles::contains(const platform::FileStatus &status) const {
  const auto found = visited_.find(status.id);
  if (found == visited_.end())
    return false;
  return platform::knowsBirth(status.id) || status.changed() <= found->second;
}

inline void VisitedFiles::add(const platform::FileStatus &status) {
  auto [at, added] = visited_.emplace(status.id, status.changed());
  if (!added && at->second < status.changed())
    at->second = status.changed();
}

// The backups a run has made (--backup): their files are the originals,
// which the run never takes as files to work on, under any name or mask;
// and the files whose backup the run has taken, which keep that backup
// (the file as it was before the run) through the run's later passes.
class RunBackups {
public:
  // Whether `id` is the file of a backup this run made.
  bool madeByRun(const platform::FileId &id) const {
    return made_.count(id) != 0;
  }
  // Whether the file `id` already has its backup of this run.
  bool taken(const platform::FileId &id) const { return taken_.count(id) != 0; }
  // A job replaced the file `before` by `after`: with `keptBackup`, the
  // original became a backup; a file whose backup was taken keeps it.
  void replaced(const platform::FileId &before, const platform::FileId &after,
                bool keptBackup) {
    if (keptBackup)
      made_.insert(before);
    if (keptBackup || taken(before))
      taken_.insert(after);
  }

private:
  std::set<platform::FileId> made_;
  std::set<platform::FileId> taken_;
};

} // namespace snpln::batch
