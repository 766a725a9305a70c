// The console's side of a run: the plan built from the options, the run's
// events printed as lines, progress on a terminal, Ctrl-C as CANCEL.
//
// Every message becomes one line, its two lines joined by ": " (only the
// non-empty one when the other is empty). Failures go to the error stream,
// everything else to the output stream (to the error stream too while the
// output stream carries standard input's text): the run says which of its
// messages are failures, and a file is a failure by its result, never by
// its text. A failed file prints the report of the operation that failed
// as "path: text", once. Otherwise the run's choice is printed (each
// detection; for the list's last file each operation's end); with
// --verbose or --dry-run every file prints one line per operation, and
// every entry of a tree the walk passes over prints a line too ("path:
// Symbolic link, passed over"); --check prints only the lines of the
// operations that would change a file (and failures) unless --verbose
// is given too; with --quiet only failures are printed. A
// file another program holds is tried again every few milliseconds while
// the other files go on (with -j 1, once the others have run); --verbose
// prints "Waiting for NAME: in use by another program" once per wait.
// Nothing skips such a file: Ctrl-C ends the wait like any file. With -j N
// the files run on up to N threads and the lines still come in the order
// of the walk. With --json every file prints one JSON object per operation
// (one, for the operation that failed, when it failed), every entry passed over
// and every failed name or directory one (cli/json_lines.h), each directory
// done one, and the run ends with its summary (cli/json_summary.h); nothing
// else is printed but the progress on a terminal. The objects go to the output
// stream unless it carries standard input's text. While standard input's text
// is on its way, what the run says is held: it is printed once the text is
// delivered, and a text that could not be delivered drops every word of
// success. A line or object that could not be written fails the run.
#pragma once

#include <atomic>
#include <istream>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "batch/run_observer.h"
#include "batch/run_plan.h"
#include "cli/cli_options.h"
#include "cli/json_summary.h"
#include "i18n/catalogue.h"
#include "i18n/texts.h"
#include "platform/file_system.h"

namespace snpln::cli {

// Set by the handler of SIGINT (Ctrl-C), SIGTERM and SIGHUP; read between
// slices. Any of them cancels the job like the CANCEL button: the file stays
// as it was and nothing is left behind.
extern std::atomic<bool> interrupted;
// The first of those signals that arrived (0: none).
extern std::atomic<int> interruptSignal;
void installInterruptHandler();
// Set when --json reported standard input's text as lost in an object of
// its own: the final "write error" line is then left out of the stream.
extern std::atomic<bool> textLossReported;
// The exit status of a run the signal stopped: 128 + its number (130 for
// Ctrl-C, 143 for SIGTERM, 129 for SIGHUP).
int interruptStatus();

// The console's side of a run: its events printed as lines (or JSON
// objects), the progress of the running job on a terminal. Its output goes
// through one lock: progress comes from the workers' threads.
class ConsoleHost : public batch::RunObserver {
public:
  ConsoleHost(const CliOptions &options, std::ostream &out, std::ostream &err,
              bool progressOnTerminal);

  // batch::RunObserver
  void fileStarted(const batch::FileStart &start) override;
  void fileProgress(const job::FileTask &task, int percent) override;
  void fileFinished(const job::FileTask &task,
                    const batch::FileEnd &end) override;
  void passedOver(const std::string &name, batch::PassedOver why) override;
  void runMessage(const batch::RunMessage &message) override;
  void fileWaiting(const batch::FileWait &wait) override;

  // The operation the objects of entries passed over are filed under (the
  // plan's first).
  void setFirstOperation(job::OperationCode operation) {
    firstOperation_ = operation;
  }

  // Whether Ctrl-C stopped a job.
  bool stoppedByInterrupt() const { return stoppedByInterrupt_; }
  // The output stream carries standard input's text: every message goes to
  // the error stream, held until the text is delivered.
  void keepOutputForData() { dataOnOutput_ = holding_ = true; }
  // The text is delivered (0), or could not be (the system's reason): the
  // held lines are printed, or only the failures among them (with --json,
  // an object saying that the text was lost instead of the file's).
  void textDelivered(int lostWith);
  // The run is over with `status`: with --json its summary is printed.
  // Returns the status, 1 when a line or object could not be written.
  int finishRun(int status, const batch::RunOutcome *outcome);
  // Whether a job ran over standard input ("-"), and whether one failed.
  bool standardInputRan() const { return standardInputRan_; }
  bool standardInputFailed() const { return standardInputFailed_; }
  // Whether a dry run found a file it would change.
  bool wouldChange() const { return wouldChange_; }

protected:
  // Prints one operation's report as its JSON object.
  virtual void printReport(const job::JobReport &report);
  // Prints the run's summary object.
  virtual void printSummary(const std::string &object);

private:
  void clearProgress();
  void print(bool failure, const std::string &line1, const std::string &line2);
  void print(bool failure, const i18n::Lines &lines);
  void printJson(const std::string &object);
  void write(bool failure, const std::string &line);
  std::string say(const i18n::Phrase &phrase) const;

  const CliOptions &options_;
  std::ostream &out_;
  std::ostream &err_;
  bool progressOnTerminal_;
  // Held while anything is written.
  std::mutex mutex_;
  std::string progressTitle_;
  std::string progressName_;
  const job::FileTask *progressJob_ = nullptr;
  job::OperationCode firstOperation_ = job::OperationCode::UpperCase;
  int lastPercent_ = -1;
  bool progressShown_ = false;
  bool stoppedByInterrupt_ = false;
  bool dataOnOutput_ = false;
  bool holding_ = false;
  bool standardInputRan_ = false;
  bool standardInputFailed_ = false;
  bool wouldChange_ = false;
  // A line or object that did not reach its stream.
  bool lost_ = false;
  JsonSummary summary_;
  // Standard input's report, while its text is on its way.
  struct Held {
    bool failure;
    std::string line;
  };
  std::vector<Held> held_;
  std::optional<job::FileReport> heldReport_;
};

// The plan the options stand for: the operations in the order they apply
// with their parameters, the names, the masks, the workers.
batch::RunPlan planOf(const CliOptions &options);

// Runs snpln-cli; returns the exit status: interruptStatus() when a signal
// stopped the run (130 for Ctrl-C), 2 for a usage error, 1 when a file, a
// name or a directory failed (or a job could not start its temporary file)
// or, with --check, when a file would change; 0 otherwise.
int runCli(int argc, char **argv, std::istream &in, std::ostream &out,
           std::ostream &err, bool progressOnTerminal,
           platform::FileSystem &fs = platform::realFileSystem());

// runCli past the parsing of its options, through `host` (made over the
// same options and streams): a face other than the console (the browser's
// page) parses, checks and adjusts the options itself and watches the run
// through a host of its own.
int runOptions(const CliOptions &options, ConsoleHost &host, std::istream &in,
               std::ostream &out, std::ostream &err, platform::FileSystem &fs);

} // namespace snpln::cli
