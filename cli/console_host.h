// The console's side of a run: the prompts answered from the options,
// messages printed as lines, progress on a terminal, Ctrl-C as CANCEL.
//
// Every message becomes one line, its two lines joined by ": " (only the
// non-empty one when the other is empty): failures go to the error stream,
// everything else to the output stream. Every message is answered with OK.
#pragma once

#include <atomic>
#include <ostream>
#include <string>
#include <vector>

#include "batch/batch_host.h"
#include "cli/cli_options.h"
#include "job/job_host.h"
#include "platform/file_system.h"

namespace snpln::cli {

// Set by the handler of SIGINT (Ctrl-C), SIGTERM and SIGHUP; read between
// slices. Any of them cancels the job like the CANCEL button: the file stays
// as it was and nothing is left behind.
extern std::atomic<bool> interrupted;
// The first of those signals that arrived (0: none).
extern std::atomic<int> interruptSignal;
void installInterruptHandler();
// The exit status of a run the signal stopped: 128 + its number (130 for
// Ctrl-C, 143 for SIGTERM, 129 for SIGHUP).
int interruptStatus();

class ConsoleHost : public batch::BatchHost, public job::JobHost {
public:
  ConsoleHost(const CliOptions &options, std::ostream &out, std::ostream &err,
              bool progressOnTerminal,
              platform::FileSystem &fs = platform::realFileSystem());

  // batch::BatchHost
  bool fileNameFieldEmpty() override;
  const std::vector<std::string> &fileList() override;
  void setStatusLine(const std::string &text) override;
  int prompt(const std::string &text, std::string &answer) override;
  job::TypedText typedText() const override {
    return options_.bytes ? job::TypedText::Bytes : job::TypedText::Characters;
  }
  int excludeOptions(int &left, int &right, int &caseInsensitive) override;
  int showMessage(const std::string &line1, const std::string &line2) override;
  job::JobResult runJob(const job::JobRequest &request) override;
  std::string filterText() override;
  std::vector<std::string> &filterList() override;
  bool saveUpperChecked() override;

  // job::JobHost
  void setProgress(int percent) override;
  void drainTimerMessages() override {}

  // Whether every job ended Done and nothing failed on the way.
  bool allDone() const { return allDone_; }
  bool stoppedByInterrupt() const { return stoppedByInterrupt_; }
  // Slice size for the jobs (tests use small ones).
  void setSliceSize(std::size_t size) { sliceSize_ = size; }

private:
  void clearProgress();

  const CliOptions &options_;
  std::ostream &out_;
  std::ostream &err_;
  bool progressOnTerminal_;
  platform::FileSystem &fs_;
  std::vector<std::string> filters_;
  std::string progressTitle_;
  std::string progressName_;
  int lastPercent_ = -1;
  bool progressShown_ = false;
  bool allDone_ = true;
  bool stoppedByInterrupt_ = false;
  std::size_t sliceSize_ = 0;
};

// Runs snpln-cli; returns the exit status: 0 when every job ended Done,
// interruptStatus() when a signal stopped the run, 2 for a usage error, 1
// otherwise (a directory that could not be read included).
int runCli(int argc, char **argv, std::ostream &out, std::ostream &err,
           bool progressOnTerminal,
           platform::FileSystem &fs = platform::realFileSystem());

} // namespace snpln::cli
