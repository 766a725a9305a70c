// What a job came to, as data: the edges decide the words (a two-line
// message, a report line, a JSON object).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/code_page.h"
#include "job/job_request.h"
#include "job/message.h"

namespace snpln::job {

struct JobReport {
  JobResult result = JobResult::Stop;
  // Why the job ended so: a failure, the reason the file was left as it
  // was, a detection report, or Converted.
  Message message;
  OperationCode operation = OperationCode::UpperCase;
  // The file as the run names it.
  std::string path;
  // Recoding and detection: the page the file was read in (Auto: unknown
  // or none), and for recoding the target.
  CodePage from = CodePage::Auto;
  CodePage to = CodePage::Auto;
  // `from` came from detection, not from the user.
  bool detected = false;
  // Exclusion, replacement, empty-line removal: occurrences (or lines)
  // found.
  std::optional<std::uint64_t> hits;
  // Recoding between single-byte pages: characters written as a fill byte.
  std::uint64_t filled = 0;
  // --substitute: characters (of the file, or of the typed replacement)
  // written as their closest equivalent.
  std::uint64_t substituted = 0;
  // The line end the LineEnds pass wrote, and what the Bom pass did.
  engine::LineEnd lineEnd = engine::LineEnd::Lf;
  engine::BomChange bom = engine::BomChange::Add;
  // A failure at a place in the file: the byte offset (from 0).
  std::optional<std::uint64_t> offset;
  // A dry run: nothing was written; a success says what would be.
  bool dryRun = false;
  // A success that kept the original as a backup: the backup's name.
  std::optional<std::string> backup;
  // The command line's --output: the file the run's result goes to (the
  // file itself stays as it was).
  std::optional<std::string> output;

  bool succeeded() const {
    return result == JobResult::Done && message.id == MessageId::Converted;
  }
};

} // namespace snpln::job
