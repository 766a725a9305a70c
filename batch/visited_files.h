// The files one pass has visited, by device and inode: a file is rewritten
// at most once in a pass, however many names, links or masks lead to it.
#pragma once

#include <set>

#include "batch/file_pages.h"
#include "platform/file_system.h"

namespace snpln::batch {

class VisitedFiles {
public:
  bool contains(const platform::FileId &id) const { return ids_.count(id) > 0; }
  void add(const platform::FileId &id) { ids_.insert(id); }

private:
  std::set<platform::FileId> ids_;
};

struct RunOutcome;

// What the plain files and the walks of one pass share.
struct PassState {
  // Where the results of the pass's jobs are counted (none: not counted).
  RunOutcome *outcome = nullptr;
  VisitedFiles visited;
  // Directories of the pass that could not be opened or listed (each has
  // been reported under its name as a failure).
  int unreadableDirectories = 0;
  // The pages of the files' texts, carried through the run's passes (none:
  // every job settles its file's page itself).
  FilePages *pages = nullptr;
};

} // namespace snpln::batch
