// What a run tells while it goes: typed events, in the order of the walk.
// The edges turn them into words (i18n/), lines, JSON objects or drawing;
// the run formats nothing and asks nothing.
//
// Every event but jobProgress() comes on the thread that called runBatch(),
// one at a time. jobProgress() comes on the thread that runs the job (a
// worker when the plan has more than one), never two at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "job/job_report.h"
#include "job/job_request.h"
#include "job/message.h"
#include "platform/file_system.h"

namespace snpln::batch {

struct RunOutcome;
struct RunPlan;

// What a message tells: a host that routes messages (the console's two
// streams) goes by this, never by the text.
enum class MessageKind : std::uint8_t {
  Info,    // an outcome, a report, a refusal the user asked for
  Failure, // a name or a tree that could not be handled
};

// Why the walk passed over an entry of a tree: none of these is a failure.
enum class PassedOver : std::uint8_t {
  Link,    // a symbolic link, to a file or a directory: never followed
  Special, // a FIFO, a socket or a device
  Hidden,  // its name begins with a dot (taken only when asked for)
  Backup,  // a backup (NAME followed by the backup suffix, or one of its
           // numbered names) beside NAME itself: never taken by a walk
};

// A job handed to a worker (or started on the caller's thread).
struct JobStart {
  const job::JobRequest &request;
  // Its place among the files of the pass (from 1), and how many files the
  // pass has found so far (the walk may read ahead of the jobs).
  std::size_t number = 0;
  std::size_t found = 0;
  // The file's size when known (the largest running file gets the
  // progress window).
  std::optional<std::uint64_t> size;
};

// How a job ended.
struct JobEnd {
  job::JobResult result = job::JobResult::Stop;
  // What became of the file (its result is `result`).
  job::JobReport report;
  // The job asked for its report to be shown (a failure, the last file's
  // success, a detection), as `shown` says it: the last file of the run
  // counts the hits of every file of its pass.
  std::optional<job::JobReport> shown;
  // A job run with DirectoryFlush::Later that replaced its file: the
  // directory the run flushes before it tells this end (observers are
  // told the end once it is flushed, or as a failure when it could not
  // be).
  std::shared_ptr<const platform::Directory> unflushed;
  // A job that replaced its file: the new file's status where the job knew
  // it (its identity), so that the run need not look at the name again.
  std::optional<platform::FileStatus> replacement;
};

// A message of the run itself (not of a job): a name not found, a directory
// that could not be read or walked whole, a tree done.
struct RunMessage {
  MessageKind kind = MessageKind::Info;
  // The pass it came in (none: a message of the run as a whole).
  std::optional<job::OperationCode> pass;
  // The list entry or the directory; empty for none.
  std::string name;
  job::Message message;
};

// The end of one pass.
struct PassEnd {
  job::OperationCode operation = job::OperationCode::UpperCase;
  // Jobs the pass ran, and of them, those that failed.
  std::size_t files = 0;
  std::size_t failed = 0;
  // Exclusion, replacement and empty-line removal: the hits of every file
  // of the pass. Nothing for the other operations.
  std::optional<std::uint64_t> hits;
};

class RunObserver {
public:
  virtual ~RunObserver() = default;
  virtual void passStarted(job::OperationCode operation) { (void)operation; }
  virtual void jobStarted(const JobStart &start) { (void)start; }
  // 0 to 100, from the thread that runs the job.
  virtual void jobProgress(const job::JobRequest &request, int percent) {
    (void)request;
    (void)percent;
  }
  virtual void jobFinished(const job::JobRequest &request, const JobEnd &end) {
    (void)request;
    (void)end;
  }
  // An entry of a walked tree passed over, once per entry and pass.
  virtual void passedOver(job::OperationCode pass, const std::string &name,
                          PassedOver why) {
    (void)pass;
    (void)name;
    (void)why;
  }
  virtual void runMessage(const RunMessage &message) { (void)message; }
  virtual void passEnded(const PassEnd &end) { (void)end; }
  virtual void runEnded(const RunOutcome &outcome) { (void)outcome; }
};

// What a running job may ask of its run.
struct JobControl {
  // Whether the job is to stop at its next slice (the file left whole).
  std::function<bool()> canceled;
  // Takes the job's percentages.
  std::function<void(int)> progress;
  // Told when the job begins (true) and ends (false) its wait for the disk
  // (job::JobHost::waitingForDisk).
  std::function<void(bool)> waitingForDisk;
};

// Runs one job to its end on the calling thread: a worker's when the plan
// has more than one, so a runner for several workers must be safe to call
// from several threads at once.
class JobRunner {
public:
  virtual ~JobRunner() = default;
  virtual JobEnd runJob(const job::JobRequest &request,
                        const JobControl &control) = 0;
  // Whether the runner hands back, in JobEnd::unflushed, the directory a
  // job's save left unflushed: only then does the run ask its jobs to
  // leave that flush to it (DirectoryFlush::Later). A runner that does not
  // keeps every save's directory flush with its commit.
  virtual bool handsBackUnflushed() const { return false; }
};

// Drives a FileJob to its end: it rests between tries of a lock another run
// holds, and is cancelled at its next slice once the control says so.
// `sliceSize` 0: the product's.
class PlainJobRunner : public JobRunner {
public:
  explicit PlainJobRunner(platform::FileSystem &fs, std::size_t sliceSize = 0)
      : fs_(fs), sliceSize_(sliceSize) {}
  JobEnd runJob(const job::JobRequest &request,
                const JobControl &control) override;
  bool handsBackUnflushed() const override { return true; }

private:
  platform::FileSystem &fs_;
  std::size_t sliceSize_;
};

} // namespace snpln::batch
