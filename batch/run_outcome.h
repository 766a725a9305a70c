// What one press of the start button came to: how the run ended and what
// became of its files. The command line takes its exit status from it and
// the window its decisions; nobody reads the texts the run showed.
#pragma once

#include <cstdint>

#include "batch/directory_walk.h"
#include "job/job_request.h"

namespace snpln::batch {

enum class RunEnd : std::uint8_t {
  Refused,   // an entry check failed: nothing ran, the selection is kept
  Canceled,  // a prompt was cancelled or the empty search text refused
  Completed, // every name was gone through
  // A file ended with Stop (a cancel): the remaining files were skipped.
  Stopped,
};

struct RunOutcome {
  RunEnd end = RunEnd::Refused;
  // Files that ended Done: rewritten, or reported on (their coding).
  int done = 0;
  // Files left as they were without failing: no Cyrillic letter, already
  // in the target coding, nothing that changes.
  int unchanged = 0;
  // Files that failed (not found, a read or write failure), entries of the
  // file list that were not found, and walks that could not go through
  // their whole tree.
  int failed = 0;
  // Files that ended with Stop: the user cancelled. At most one.
  int stopped = 0;

  // Whether the selection was reset: every run past the two entry checks.
  bool selectionReset() const { return end != RunEnd::Refused; }

  void count(job::JobResult result);
  // A walk that did not go through its whole tree counts as a failure.
  void count(WalkOutcome outcome);
};

} // namespace snpln::batch
