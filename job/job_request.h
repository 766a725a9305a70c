// What starts a file's run: the operations, the file, and the run's
// parameters.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/bom_slice.h"
#include "engine/code_page.h"
#include "engine/line_end_slice.h"
#include "engine/optimize_slice.h"
#include "platform/file_system.h"

namespace snpln::job {

using engine::CodePage;

enum class OperationCode : std::uint8_t {
  UpperCase = 0,
  RecodeToWin = 1,
  RecodeToKoi = 2,
  RecodeToIso = 3,
  RecodeToDos = 4,
  LowerCase = 5,
  SmartCase = 6,
  Exclude = 7,
  Replace = 8,
  Optimize = 9,
  DeleteEmpty = 10,
  Detect = 11,
  RecodeToUtf8 = 12,
  // Every line end made one kind (RunParameters::lineEnd); the command
  // line's --line-ends, without a button of the window.
  LineEnds = 13,
  // A UTF-8 file's byte order mark added or removed (RunParameters::bom);
  // the command line's --bom, without a button either.
  Bom = 14,
  // Recoding to a page without a button of its own
  // (RunParameters::targetCodePage): the command line's --to utf16,
  // utf16le, utf16be, mac, koi8u or cp1125.
  RecodeToUtf16 = 15,
  // Garbled text (read in a wrong page and saved again, maybe more than
  // once) undone to the text it was: the command line's --repair.
  Repair = 16,
};
inline constexpr int kOperationCount = 17;

// How the texts of exclusion and replacement were given: as characters
// (UTF-8, written into each file in its own code page) or as bytes taken
// byte for byte whatever the file.
enum class TypedText : std::uint8_t { Bytes, Characters };

// What became of a file (and of each operation on it); the batch run
// stops only on Stop, and counts the others into its outcome
// (batch/run_outcome.h).
enum class JobResult : int {
  Stop = 4,        // cancelled
  ReadFailed = 5,  // a read, a line too long, text that cannot be recoded
  WriteFailed = 6, // a write, no temporary file, or the commit
  Done = 7,        // rewritten (or, when detecting, reported on)
  NotFound = 8,    // the file could not be opened
  // Left as it was without failing: no Cyrillic letter, not text, already
  // in the target code page, nothing that changes.
  Skipped = 10,
};

// The values a run asks for once (prompts and selection) and hands whole to
// every job of the run. A job reads only those its operation uses.
struct RunParameters {
  std::string searchText;
  std::string replaceText;
  // How searchText and replaceText were given.
  TypedText typedText = TypedText::Bytes;
  bool leftPartOfWord = false;
  bool rightPartOfWord = false;
  bool caseInsensitive = false;
  // Auto when no To button is down: no detection result equals it.
  CodePage targetCodePage = CodePage::Auto;
  // The page the files are in (a From button, --from): the recoding's
  // source, and the page of the other operations' letters and texts until
  // the recoding. Auto: detected for each file.
  CodePage sourceCodePage = CodePage::Auto;
  // The run detects (Detect is among its operations): standard input's
  // text is then not written out.
  bool detectOnly = false;
  // Every file runs to its end but nothing is written: no temporary file,
  // the file and its directory untouched. Its report says what would
  // happen.
  bool dryRun = false;
  int tabSize = engine::kDefaultTabSize;
  // A file whose owner or group cannot be kept (a user rewriting another
  // user's file) is rewritten all the same and becomes the user's, without
  // set-id bits; without it such a file fails and stays as it was.
  bool allowChown = false;
  // The walk also takes the files and directories whose names begin with a
  // dot; without it they are passed over.
  bool takeHidden = false;
  // A rewritten file keeps the access and modification times it had when
  // its job read it (the new content gets them before it takes the file's
  // place); without it, it gets the time of the rewrite.
  bool keepDate = false;
  // A character the target page (or the file's page, for typed text)
  // cannot hold becomes its closest equivalent; without it a UTF-8 source
  // fails and a single-byte one takes the fill byte.
  bool substitute = false;
  // Without `substitute`: a recoding between single-byte pages that would
  // send a character to a fill byte fails the file instead (at that
  // character), which stays as it was.
  bool strict = false;
  // The line end the LineEnds operation writes.
  engine::LineEnd lineEnd = engine::LineEnd::Lf;
  // What the Bom operation does to a text's byte order mark.
  engine::BomChange bom = engine::BomChange::Add;
  // Not empty: a rewrite keeps the original under the file's name followed
  // by this suffix (platform::SaveRules::backupSuffix): the file as it was
  // before the run, which rewrites it once. The run takes no backup it made
  // as a file to work on.
  std::string backupSuffix;
};

// What a run asks of each of its files: the operations in the order they
// apply (stageOrder(), job/stages.h) and the values they use.
struct FilePlan {
  std::vector<OperationCode> operations;
  RunParameters parameters;
  // "Sa&ve upper": smart case keeps the capitals a file already has.
  bool saveUpper = false;
  // New bytes per engine step: 8192 in the product; tests may set less.
  std::size_t sliceSize = 8192;
};

// One file of a run: where it is, and what the run knows of it.
struct FileTask {
  // The file, and the path messages and reports name it by
  // (location.path()). A walk's file is a name in its open directory.
  platform::FileLocation location;
  // The page the file's text is in as the run knows it; nothing: the
  // plan's source page, or detection.
  std::optional<CodePage> page;
  // When the save's change of the file's directory goes on the disk: with
  // the commit, or later, by the run, which then takes the directory from
  // FileReport::unflushed.
  platform::DirectoryFlush directoryFlush =
      platform::DirectoryFlush::WithCommit;
};

// What a run answers a file that another program holds (its lock is taken
// elsewhere).
enum class HeldAnswer : std::uint8_t {
  Wait,     // try the lock again after a while
  SetAside, // end the file's run now, as it was, to be run again later
            // (FileReport::setAside)
  Skip,     // end it as it was at the user's word (MessageId::HeldSkipped)
};

// What a running file may ask of its run; each may be empty.
struct JobControl {
  // Whether the file is to stop at its next step (left whole).
  std::function<bool()> canceled;
  // Its progress, 0 to 100, each value once.
  std::function<void(int)> progress;
  // Told (true) before the file waits for the disk to take its new content
  // (the save's commit and its flushes) and (false) after: a run that
  // works on several files may let another one compute meanwhile.
  std::function<void(bool)> waitingForDisk;
  // Asked (true) each time the file is found held by another program,
  // before it waits kLockRetry; told (false) once when such a wait has
  // ended, however it ended (its answer then counts for nothing). Empty:
  // the file waits until the lock comes or the run is cancelled.
  std::function<HeldAnswer(bool held)> held;
};

} // namespace snpln::job
