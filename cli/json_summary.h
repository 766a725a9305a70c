// The last object of snpln-cli --json: what the run came to, for a script
// that reads one line instead of counting the others.
//
//   {"kind":"summary","files":{...},"directories":{...},"passes":{...},
//    "status":1}
//
// "files" counts each file once, under the outcome of its worst operation
// (skipped < unchanged < detected < would-convert < converted < canceled <
// failed), entries passed over under "skipped", names not found and
// --output's file that could not be made under "failed"; "directories" the
// trees done and failed; "passes", for each operation of the run, the hits its
// files had (exclude, replace, delete-empty) and the characters sent to a fill
// byte (recoding). A run a cancel stopped adds "done" (files that came to their
// end) and "notTouched" (files stopped whole, each as it was) from the run's
// own count.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "batch/run_outcome.h"
#include "job/job_report.h"
#include "job/message.h"

namespace snpln::cli {

class JsonSummary {
public:
  // The run's operations, in the order they apply.
  explicit JsonSummary(std::vector<job::OperationCode> operations);

  void fileEnded(const job::FileReport &report);
  void passedOver() { ++skipped_; }
  // A message of the run: a name not found, a directory done or failed,
  // --output's file that could not be made.
  void runMessage(const job::Message &message);

  // The object (no newline), with the run's exit status; `outcome` is the
  // run's end as the batch counted it (none: the run never began).
  std::string object(int status, const batch::RunOutcome *outcome) const;

private:
  struct PassCount {
    std::uint64_t hits = 0;
    std::uint64_t filled = 0;
  };

  std::vector<job::OperationCode> operations_;
  std::map<std::string, int> files_;
  std::map<job::OperationCode, PassCount> passes_;
  int skipped_ = 0;
  int directoriesDone_ = 0;
  int directoriesFailed_ = 0;
};

} // namespace snpln::cli
