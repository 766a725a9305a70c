// One operation over one file.
//
// start() settles everything before the first byte is written: the file is
// opened and locked against our other runs, its status taken, the code page
// detected for recoding and detection, the save begun (a temporary file in
// the directory the file was opened in). A start-up end settles the result
// at once (with its message through the host). Otherwise the host calls
// tick() once per timer turn until ended(); each tick runs exactly one
// engine step.
//
// A file another of our runs holds locked is waited for: start() then
// returns true with waitingForLock() set, and each tick tries the lock
// again (a host may rest between those ticks; cancel ends the wait like any
// job). Once locked, the name must still lead to the file that was opened
// (a run that held it may have replaced it): else the file is opened again
// by its name, once; a second such change ends the job with "Error reading
// file". Jobs that write nothing (detection, a dry run) take no lock.
//
// The job ends through its success end (the save is committed: the new
// content takes the file's place, with the file's owner, mode and
// attributes, only if the file is still the version read) or its failure
// end (the save is abandoned). Nothing is ever changed through the file's
// name: a job that ends in any way, or a process that is killed, leaves the
// file with its old content or its new one, and its mode.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "engine/bom_slice.h"
#include "engine/case_slice.h"
#include "engine/detect_code_page.h"
#include "engine/empty_line_slice.h"
#include "engine/exclusion_slice.h"
#include "engine/line_end_slice.h"
#include "engine/optimize_slice.h"
#include "engine/recode_slice.h"
#include "engine/slice_stream.h"
#include "engine/text_encoding.h"
#include "job/job_host.h"
#include "job/job_report.h"
#include "job/job_request.h"
#include "platform/file_system.h"

namespace snpln::job {

// How long a host that drives a job by itself rests between two tries of a
// lock another run holds.
inline constexpr std::chrono::milliseconds kLockRetry{10};

class FileJob {
public:
  FileJob(JobRequest request, JobHost &host,
          platform::FileSystem &fs = platform::realFileSystem());
  ~FileJob();
  FileJob(const FileJob &) = delete;
  FileJob &operator=(const FileJob &) = delete;

  // Bytes per slice: 8192 in the product; tests may set less before start().
  void setSliceSize(std::size_t size) { sliceSize_ = size; }
  std::size_t sliceSize() const { return sliceSize_; }

  // Start-up. True when the job now runs and wants ticks; false when a
  // start-up end has settled its result.
  bool start();
  // One timer turn: the busy guard, the cancel check, one engine step.
  void tick();
  // The CANCEL button and Esc: honoured at the next tick.
  void requestCancel() { cancelRequested_ = true; }

  bool ended() const { return result_.has_value(); }
  // The file is locked by another of our runs: the job waits for it (each
  // tick tries again).
  bool waitingForLock() const { return waitingForLock_; }
  JobResult result() const { return result_.value_or(JobResult::Stop); }
  // What became of the file once the job has ended: its failure, the
  // reason it was left as it was, its detection, or its success, with the
  // pages, counts, offset and system error that go with it. Set whether or
  // not the job showed it.
  const JobReport &report() const { return report_; }
  // start() and then tick() until the job ends, for hosts without a timer.
  JobResult run();

  const JobRequest &request() const { return request_; }
  bool busy() const { return busy_; }
  bool autoDetected() const { return autoDetected_; }
  engine::CodePage sourceCodePage() const { return request_.sourceCodePage; }
  // The page the file's text is in as far as the job knows (settled by
  // start(), the target once a recoding has taken the file's place).
  std::optional<engine::CodePage> filePage() const { return pageNow_; }
  // How the engine cuts the file into characters (settled by start()).
  engine::TextEncoding textEncoding() const { return textEncoding_; }
  // A job that ended Done with its request's DirectoryFlush::Later: the
  // directory whose flush its save left to the run (the file is not yet
  // known to survive a power cut until it is flushed). Nothing otherwise.
  const std::shared_ptr<const platform::Directory> &unflushedDirectory() const {
    return unflushed_;
  }
  // A job that ended Done and replaced its file: the new file's status,
  // where its save knew it without a look by name
  // (platform::SaveFile::replacement). Nothing otherwise.
  const std::optional<platform::FileStatus> &replacement() const {
    return replacement_;
  }

private:
  using EngineState =
      std::variant<std::monostate, engine::RecodeState, engine::CaseState,
                   engine::ExclusionState, engine::OptimizeState,
                   engine::EmptyLineState, engine::LineEndState,
                   engine::BomState>;

  engine::StepResult step();
  // Takes the lock on the open file and makes sure its name still leads to
  // it (opening it again once when not). False while the lock is held by
  // another run (waitingForLock_ is then set) or when the job has ended.
  bool takeLock();
  // The start-up after the lock: detection, the checks, the save begun.
  // True when the job now runs and wants ticks.
  bool settle();
  void finishJob();
  // The failure end (also the end of a file found not to be text): the save
  // abandoned, the result and report settled, the report shown unless
  // `shown` is false.
  void abortJob(const Message &message, JobResult result, bool shown = true);
  // A start-up end: the files closed, the result settled.
  void endEarly(JobResult result);
  // The same with its message, shown; the Esc answer makes the result Stop.
  void endEarly(JobResult result, const Message &message);
  // A start-up end whose message is not shown (not the last file of the
  // run), only kept in the job's report.
  void endUnshown(JobResult result, const Message &message);
  // The report's fields a job that went through fills: pages, counts.
  void fillSuccess();
  Message badTextMessage();
  // Adds the line, column and character of a fault at a byte offset.
  void placeFault(Message &fault, engine::CodePage source);
  // Sets the report's offset, line, column and character from a failure.
  void notePlace(const Message &message);
  // For the Bom pass: why the file stays as it is (not UTF-8, already as
  // asked), or nothing when there is work; ReadError when its head could
  // not be read.
  std::optional<MessageId> bomUnchanged();
  // Whether recoding the UTF-16 file whose head is given from its page to a
  // UTF-16 target would give the same bytes (order and mark alike).
  bool sameUtf16(const std::uint8_t *head, std::size_t size) const;
  // How far detection goes: as far as this job, or a later pass of the
  // run, uses what it decides.
  engine::DetectDepth detectDepth() const;
  // The page of the file's text for an operation other than recoding:
  // carried from the run's earlier pass, named by the run, or `detected`.
  engine::CodePage textPage(engine::CodePage detected) const;
  // The page typed texts are written in for this file.
  engine::CodePage filePageOfText() const;
  // The page of the file's new content once it has taken the file's place.
  std::optional<engine::CodePage> pageAfterSuccess() const;
  // Tells the request's notePage the page the file is in now, if known.
  void notePage();
  // Makes typed texts the file's bytes; false when the replacement cannot
  // be written in the file's page.
  bool textsInFilePage();
  void closeFiles();

  JobRequest request_;
  JobHost &host_;
  platform::FileSystem &fs_;
  std::size_t sliceSize_ = engine::kSliceSize;
  bool busy_ = false;
  bool cancelRequested_ = false;
  bool autoDetected_ = false;
  // The file is read as UTF-16: its zero bytes are text.
  bool utf16Source_ = false;
  bool waitingForLock_ = false;
  bool reopened_ = false;
  engine::TextEncoding textEncoding_ = engine::TextEncoding::SingleByte;
  // The page the file's text is in as far as the job knows.
  std::optional<engine::CodePage> pageNow_;
  // The typed texts were given as characters (before they became bytes).
  bool typedAsCharacters_ = false;
  // Characters of the typed replacement that became their substitute.
  std::uint64_t typedSubstituted_ = 0;
  platform::FileStatus original_;
  std::unique_ptr<platform::InputFile> input_;
  std::unique_ptr<platform::SaveFile> temp_;
  std::shared_ptr<const platform::Directory> unflushed_;
  std::optional<platform::FileStatus> replacement_;
  engine::SliceStream stream_;
  EngineState engine_;
  std::optional<JobResult> result_;
  JobReport report_;
};

// The file name without its directory: the text after the last '\\', '/' or
// ':', or the whole path when it holds none of them.
std::string displayNameOf(const std::string &path);

// How a report names the backup a save kept under `kept` (a name in the
// file's own directory): the file's real place, `reachedAs` (the path it
// was opened by with its links followed, InputFile::reachedPath(); for a
// file found by a walk, or opened without links, the path it is shown by),
// with its last part replaced by `kept`. Only this system's path
// separators cut it ('/' on POSIX, where '\\' and ':' are characters of a
// name; '\\', '/' and ':' on Windows).
std::string backupPathOf(const std::string &reachedAs, const std::string &kept);

} // namespace snpln::job
