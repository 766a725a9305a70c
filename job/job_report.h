// What a file's run came to, as data: the edges decide the words (a
// two-line message, a report line, a JSON object).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/code_page.h"
#include "engine/detect_neighbours.h"
#include "engine/line_end_census.h"
#include "engine/repair_chain.h"
#include "engine/utf16.h"
#include "job/job_request.h"
#include "job/message.h"

namespace snpln::job {

// What one operation came to on one file.
struct JobReport {
  JobResult result = JobResult::Stop;
  // Why it ended so: a failure, the reason the file was left as it was, a
  // detection report, or Converted.
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
  // The line end the LineEnds operation writes, and what the Bom one does.
  engine::LineEnd lineEnd = engine::LineEnd::Lf;
  engine::BomChange bom = engine::BomChange::Add;
  // Repair: the chain of wrong readings undone (for a repair line by line,
  // the one that undid most lines of the sample), and whether it went line
  // by line, with the lines it repaired. Detection of a UTF-8 file that
  // reads as garbled: the chain a repair would undo.
  std::optional<engine::RepairChain> repairChain;
  std::optional<std::uint64_t> linesRepaired;
  // Repair: a short piece of the text as it was and as repaired (UTF-8,
  // control characters shown as U+FFFD); empty when there is none.
  std::string excerptBefore;
  std::string excerptAfter;
  // Detection of the file as it is: the line ends it uses and the byte
  // order mark it opens with (none where the text after it does not bear
  // it out); where the page found shares its bytes with a neighbour, that
  // page and why the text was told from it.
  std::optional<engine::LineEndKinds> lineEnds;
  engine::BomKind mark = engine::BomKind::None;
  engine::CodePage toldFrom = engine::CodePage::Auto;
  engine::NeighbourNote neighbourNote = engine::NeighbourNote::None;
  // A failure at a place in the file: the byte offset (from 0).
  std::optional<std::uint64_t> offset;
  // The same place as a line and a column, both from 1 (see
  // engine/text_position.h), where the job could tell.
  std::optional<std::uint64_t> line;
  std::optional<std::uint64_t> column;
  // The character a failure is about: the one the target page cannot hold
  // (of the file, or of the typed replacement).
  std::optional<char32_t> character;
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

// What became of one file: the file's end, and one report per operation of
// the plan, in its order.
struct FileReport {
  std::string path;
  // Done: rewritten (or, without another operation, reported on by
  // detection); Skipped: left as it was; a failure or Stop: left as it
  // was, `failedAt` says by which operation.
  JobResult result = JobResult::Stop;
  std::vector<JobReport> operations;
  // The operation whose stage failed (or during which the file was
  // cancelled, or the first one when the file could not even be read).
  std::optional<std::size_t> failedAt;
  // The page the file's text is in after the run (nothing: not known).
  std::optional<CodePage> page;
  // A rewrite under DirectoryFlush::Later: the directory whose flush the
  // save left to the run.
  std::shared_ptr<const platform::Directory> unflushed;
  // A rewrite: the new file's status, where the save knew it without a
  // look by name.
  std::optional<platform::FileStatus> replacement;
  // Another program held the file and the run set it aside
  // (HeldAnswer::SetAside): nothing was read or written; it is to run again.
  bool setAside = false;

  bool failed() const { return failedAt.has_value(); }
  // The report of the operation that failed; null when none did.
  const JobReport *failure() const {
    return failedAt && *failedAt < operations.size() ? &operations[*failedAt]
                                                     : nullptr;
  }
};

} // namespace snpln::job
