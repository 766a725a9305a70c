// What a run tells while it goes: typed events, in the order of the walk.
// The edges turn them into words (i18n/), lines, JSON objects or drawing;
// the run formats nothing and asks nothing.
//
// Every event but fileProgress() comes on the thread that called
// runBatch(), one at a time. fileProgress() comes on the thread that runs
// the file (a worker when the plan has more than one), never two at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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
  // A file the run already worked on: a name given again (or a file named
  // and also in a tree given), or another name of it (a hard link).
  NamedAgain,
  OtherLink,
};

// A file handed to a worker (or started on the caller's thread).
struct FileStart {
  const job::FileTask &task;
  // The operation its progress is shown under (the plan's first), and its
  // name without its directory.
  job::OperationCode operation = job::OperationCode::UpperCase;
  std::string displayName;
  // Its place among the files of the run (from 1), and how many files the
  // run has found so far (the walk may read ahead of the jobs).
  std::size_t number = 0;
  std::size_t found = 0;
  // The file's size when known (the largest running file gets the
  // progress window).
  std::optional<std::uint64_t> size;
  // The walk has ended: `found` is every file of the run.
  bool allFound = false;
  // A file set aside while another program held it, started again.
  bool again = false;
};

// How a file's run ended, and what the run shows of it.
struct FileEnd {
  job::FileReport report;
  // The reports to show, in order (the words are the edges'): a failure;
  // each detection; and for the file of the list's last entry, each
  // operation's outcome, a success counting the hits of every file of the
  // run. A window shows each as a message; a console prints them.
  std::vector<job::JobReport> shown;
};

// Why a file's run waits.
enum class WaitReason : std::uint8_t {
  HeldByOtherProgram, // another program holds the file (its lock)
};

// A file whose run waits while the others go on.
struct FileWait {
  // Its place among the files of the run (FileStart::number).
  std::size_t number = 0;
  // Its path below the chosen directory it was found in (a name the user
  // gave: as given).
  std::string name;
  WaitReason why = WaitReason::HeldByOtherProgram;
};

// A message of the run itself (not of a file): a name not found, a
// directory that could not be read or walked whole, a tree done.
struct RunMessage {
  MessageKind kind = MessageKind::Info;
  // The operation it is filed under (the plan's first; none: a message of
  // the run as a whole).
  std::optional<job::OperationCode> pass;
  // The list entry or the directory; empty for none.
  std::string name;
  job::Message message;
};

class RunObserver {
public:
  virtual ~RunObserver() = default;
  virtual void fileStarted(const FileStart &start) { (void)start; }
  // 0 to 100, from the thread that runs the file.
  virtual void fileProgress(const job::FileTask &task, int percent) {
    (void)task;
    (void)percent;
  }
  virtual void fileFinished(const job::FileTask &task, const FileEnd &end) {
    (void)task;
    (void)end;
  }
  // An entry of a walked tree passed over, once per entry.
  virtual void passedOver(const std::string &name, PassedOver why) {
    (void)name;
    (void)why;
  }
  virtual void runMessage(const RunMessage &message) { (void)message; }
  // A file's run began to wait (the others go on), and the wait ended (the
  // file goes on, or was skipped or cancelled), each once per wait.
  virtual void fileWaiting(const FileWait &wait) { (void)wait; }
  virtual void fileWaitEnded(const FileWait &wait) { (void)wait; }
  // The walk has gone through every name: the run has `files` files
  // (every later FileStart::found says so too).
  virtual void allFound(std::size_t files) { (void)files; }
};

// Runs one file's run to its end on the calling thread: a worker's when
// the plan has more than one, so a runner for several workers must be
// safe to call from several threads at once.
class JobRunner {
public:
  virtual ~JobRunner() = default;
  virtual job::FileReport runJob(const job::FileTask &task,
                                 const job::FilePlan &plan,
                                 const job::JobControl &control) = 0;
  // Whether the runner hands back, in FileReport::unflushed, the directory
  // a save left unflushed: only then does the run ask its files to leave
  // that flush to it (DirectoryFlush::Later). A runner that does not keeps
  // every save's directory flush with its commit.
  virtual bool handsBackUnflushed() const { return false; }
};

// Runs a file through job::runFile() over a file system.
class PlainJobRunner : public JobRunner {
public:
  explicit PlainJobRunner(platform::FileSystem &fs) : fs_(fs) {}
  job::FileReport runJob(const job::FileTask &task, const job::FilePlan &plan,
                         const job::JobControl &control) override;
  bool handsBackUnflushed() const override { return true; }

private:
  platform::FileSystem &fs_;
};

} // namespace snpln::batch
