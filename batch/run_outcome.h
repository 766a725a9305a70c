// What one press of the start button came to: how the run ended and what
// became of its files. The command line takes its exit status from it and
// the window its decisions and its closing words; nobody reads the texts
// the run showed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "batch/directory_walk.h"
#include "job/job_report.h"
#include "job/job_request.h"

namespace snpln::batch {

enum class RunEnd : std::uint8_t {
  Refused,   // an entry check failed: nothing ran, the selection is kept
  Canceled,  // a prompt was cancelled or the empty search text refused
  Completed, // every name was gone through
  // A file ended with Stop (a cancel): the remaining files were skipped.
  Stopped,
};

// The hits of one operation over the whole run (exclusion, replacement,
// empty lines, repair: the operations that count them).
struct OperationHits {
  job::OperationCode operation = job::OperationCode::UpperCase;
  std::uint64_t hits = 0;

  friend bool operator==(const OperationHits &,
                         const OperationHits &) = default;
};

struct RunOutcome {
  RunEnd end = RunEnd::Refused;
  // Files that ended Done: rewritten, or reported on (their coding).
  int succeeded = 0;
  // Files left as they were without failing because nothing in them would
  // change (every operation that ran made the file's own bytes).
  int unchanged = 0;
  // Files left as they were for another reason that is no failure: no
  // Cyrillic letter, not text, already in the target coding, skipped by
  // the user while another program held them.
  int skipped = 0;
  // Files that failed (not found, a read or write failure), entries of the
  // file list that were not found, and walks that could not go through
  // their whole tree.
  int failed = 0;
  // Files that ended with Stop: the user cancelled. At most one.
  int stopped = 0;

  // The files the run found (walked or named), each once.
  std::size_t found = 0;
  // Files whose run came to its end: rewritten, left as they were, or
  // failed (what a cancel leaves aside is not among them).
  std::size_t done = 0;
  // Found files left as they were at the user's word (a Skip, a cancel)
  // once the walk had gone through every name: found - done.
  std::size_t notTouched = 0;
  // The same for a run canceled before its walk had ended: the found files
  // it never finished. The names beyond were never found, so never counted.
  std::size_t notReached = 0;
  // The walk went through every name of the list.
  bool walkEnded = false;

  // Files rewritten (a dry run: that would be).
  std::size_t converted = 0;
  // Characters a recoding wrote as a fill byte, over the run.
  std::uint64_t filled = 0;
  // Each operation of the plan that counts hits, in the plan's order, with
  // the hits of every file that did not fail.
  std::vector<OperationHits> hits;

  // Whether the selection was reset: every run past the two entry checks.
  bool selectionReset() const { return end != RunEnd::Refused; }

  void count(job::JobResult result);
  // A file's end: its result, and (when it did not fail) its counts.
  void count(const job::FileReport &report);
  // A walk that did not go through its whole tree counts as a failure.
  void count(WalkOutcome outcome);
  // Settles notTouched and notReached from found, done and walkEnded.
  void settleLeft();
};

} // namespace snpln::batch
