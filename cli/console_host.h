// The console's side of a run: the prompts answered from the options,
// messages printed as lines, progress on a terminal, Ctrl-C as CANCEL.
//
// Every message becomes one line, its two lines joined by ": " (only the
// non-empty one when the other is empty). Failures go to the error stream,
// everything else to the output stream (to the error stream too while the
// output stream carries standard input's text): the run says which of its
// messages are failures, and a job is a failure by its result, never by its
// text. A failed job prints its report as "path: text". With --verbose or
// --dry-run every job prints its report so; with --quiet only failures are
// printed. With --verbose or --dry-run every entry of a tree the walk
// passes over prints a line too ("path: Symbolic link, passed over"). Every
// message is answered with OK. A job waiting for a file another run holds is
// tried again every few milliseconds; Ctrl-C ends the wait like any job.
// With --json every job, every entry passed over and every failed name or
// directory prints one JSON object instead (cli/json_lines.h), and nothing
// else is printed but the progress on a terminal.
#pragma once

#include <atomic>
#include <istream>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "batch/batch_host.h"
#include "cli/cli_options.h"
#include "i18n/catalogue.h"
#include "i18n/texts.h"
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
  void setStatusLine(const batch::Status &status) override;
  job::DialogAnswer prompt(batch::PromptKind kind,
                           std::string &answer) override;
  job::DialogAnswer excludeOptions(batch::WordOptions &options) override;
  job::DialogAnswer showMessage(batch::MessageKind kind,
                                const std::string &name,
                                const job::Message &message) override;
  job::TypedText typedText() const override {
    return options_.bytes ? job::TypedText::Bytes : job::TypedText::Characters;
  }
  bool dryRun() const override { return options_.dryRun; }
  bool allowChown() const override { return options_.allowChown; }
  bool takeHidden() const override { return options_.hidden; }
  bool keepDate() const override { return options_.keepDate; }
  bool substitute() const override { return options_.substitute; }
  engine::BomChange bom() const override {
    return options_.bom.value_or(engine::BomChange::Add);
  }
  std::string backupSuffix() const override {
    return options_.backup ? options_.backupSuffix : std::string();
  }
  engine::LineEnd lineEnd() const override {
    return options_.lineEnds.value_or(engine::LineEnd::Lf);
  }
  void passedOver(const std::string &name, batch::PassedOver why) override;
  job::JobResult runJob(const job::JobRequest &request) override;
  std::string filterText() override;
  std::vector<std::string> &filterList() override;
  bool saveUpperChecked() override;

  // job::JobHost: the job's report is printed once it has ended.
  job::DialogAnswer showReport(const job::JobReport &report) override;
  void setProgress(int percent) override;
  void drainTimerMessages() override {}

  // Whether Ctrl-C stopped a job.
  bool stoppedByInterrupt() const { return stoppedByInterrupt_; }
  // The output stream carries standard input's text: every message goes to
  // the error stream.
  void keepOutputForData() { dataOnOutput_ = true; }
  // Whether a job ran over standard input ("-"), and whether one failed.
  bool standardInputRan() const { return standardInputRan_; }
  bool standardInputFailed() const { return standardInputFailed_; }
  // Slice size for the jobs (tests use small ones).
  void setSliceSize(std::size_t size) { sliceSize_ = size; }

private:
  void clearProgress();
  void print(bool failure, const std::string &line1, const std::string &line2);
  void print(bool failure, const i18n::Lines &lines);
  void printJson(const std::string &object);
  std::string say(const i18n::Phrase &phrase) const;

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
  // The reports a job asked to show (the last file's success).
  std::vector<job::JobReport> jobReports_;
  bool stoppedByInterrupt_ = false;
  bool dataOnOutput_ = false;
  bool standardInputRan_ = false;
  bool standardInputFailed_ = false;
  std::size_t sliceSize_ = 0;
};

// Runs snpln-cli; returns the exit status: interruptStatus() when a signal
// stopped the run (130 for Ctrl-C), 2 for a usage error, 1 when a file, a
// name or a directory failed (or a job could not start its temporary file),
// 0 otherwise.
int runCli(int argc, char **argv, std::istream &in, std::ostream &out,
           std::ostream &err, bool progressOnTerminal,
           platform::FileSystem &fs = platform::realFileSystem());

} // namespace snpln::cli
