// The files a run has visited: a file is rewritten at most once in a
// run, however many names, links or masks lead to it, and a file that
// merely took the number of a visited one (another program saved by
// writing a new file and renaming it, and the file system gave the new file
// a freed number) is not taken for it.
#pragma once

#include <map>
#include <set>
#include <string>

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
// which the run never takes as files to work on, under any name or mask.
class RunBackups {
public:
  // Whether `id` is the file of a backup this run made.
  bool madeByRun(const platform::FileId &id) const {
    return made_.count(id) != 0;
  }
  // A rewrite kept the original `id` as its backup.
  void made(const platform::FileId &id) { made_.insert(id); }

private:
  std::set<platform::FileId> made_;
};

} // namespace snpln::batch
