#include "cli/console_host.h"

#include <csignal>

#include "batch/batch_texts.h"
#include "batch/run_batch.h"
#include "batch/selection_state.h"
#include "job/file_job.h"
#include "job/messages.h"

namespace snpln::cli {

std::atomic<bool> interrupted{false};
std::atomic<int> interruptSignal{0};

namespace {

// The first signal decides the exit status; any of them cancels.
extern "C" void onInterrupt(int signal) {
  int none = 0;
  interruptSignal.compare_exchange_strong(none, signal);
  interrupted = true;
}

// Whether a job that ended so failed (or was stopped).
bool failedJob(job::JobResult result) {
  return result != job::JobResult::Done && result != job::JobResult::Skipped;
}

} // namespace

void installInterruptHandler() {
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP})
    sigaction(signal, &action, nullptr);
}

int interruptStatus() {
  const int signal = interruptSignal.load();
  return 128 + (signal != 0 ? signal : SIGINT);
}

ConsoleHost::ConsoleHost(const CliOptions &options, std::ostream &out,
                         std::ostream &err, bool progressOnTerminal,
                         platform::FileSystem &fs)
    : options_(options), out_(out), err_(err),
      progressOnTerminal_(progressOnTerminal), fs_(fs) {}

bool ConsoleHost::fileNameFieldEmpty() { return options_.names.empty(); }

const std::vector<std::string> &ConsoleHost::fileList() {
  return options_.names;
}

void ConsoleHost::setStatusLine(const std::string &) {}

job::DialogAnswer ConsoleHost::prompt(batch::PromptKind kind,
                                      std::string &answer) {
  switch (kind) {
  case batch::PromptKind::SearchText:
    answer =
        options_.exclude ? *options_.exclude : options_.replace.value_or("");
    break;
  case batch::PromptKind::ReplaceText:
    answer = options_.with;
    break;
  case batch::PromptKind::TabSize:
    answer = std::to_string(options_.tabSize);
    break;
  }
  return job::DialogAnswer::Ok;
}

job::DialogAnswer ConsoleHost::excludeOptions(batch::WordOptions &options) {
  options.leftPartOfWord = options_.leftPart;
  options.rightPartOfWord = options_.rightPart;
  options.caseInsensitive = options_.ignoreCase;
  return job::DialogAnswer::Ok;
}

void ConsoleHost::print(bool failure, const std::string &line1,
                        const std::string &line2) {
  clearProgress();
  std::string text = line1;
  if (!line1.empty() && !line2.empty())
    text += ": ";
  text += line2;
  std::ostream &stream = failure ? err_ : out_;
  stream << text << '\n' << std::flush;
}

job::DialogAnswer ConsoleHost::showMessage(batch::MessageKind kind,
                                           const std::string &line1,
                                           const std::string &line2) {
  print(kind == batch::MessageKind::Failure, line1, line2);
  return job::DialogAnswer::Ok;
}

job::DialogAnswer ConsoleHost::showMessage(const std::string &line1,
                                           const std::string &line2) {
  jobMessages_.emplace_back(line1, line2);
  return job::DialogAnswer::Ok;
}

job::JobResult ConsoleHost::runJob(const job::JobRequest &request) {
  if (interrupted) {
    stoppedByInterrupt_ = true;
    print(true, request.path, job::messages::kCanceled);
    return job::JobResult::Stop;
  }
  jobMessages_.clear();
  job::FileJob job(request, *this, fs_);
  if (sliceSize_ != 0)
    job.setSliceSize(sliceSize_);
  progressTitle_ = job::messages::operationTitle(request.operation);
  progressName_ = request.displayName;
  lastPercent_ = -1;
  if (job.start()) {
    while (!job.ended()) {
      if (interrupted)
        job.requestCancel();
      job.tick();
    }
  }
  clearProgress();
  const job::JobResult result = job.result();
  if (result == job::JobResult::Stop && interrupted)
    stoppedByInterrupt_ = true;
  for (const auto &[line1, line2] : jobMessages_)
    print(failedJob(result), line1, line2);
  jobMessages_.clear();
  return result;
}

std::string ConsoleHost::filterText() { return options_.filter; }

std::vector<std::string> &ConsoleHost::filterList() { return filters_; }

bool ConsoleHost::saveUpperChecked() { return options_.saveUpper; }

void ConsoleHost::setProgress(int percent) {
  if (!progressOnTerminal_ || percent == lastPercent_)
    return;
  lastPercent_ = percent;
  err_ << '\r' << progressTitle_ << ": " << progressName_ << ' ' << percent
       << "%\033[K" << std::flush;
  progressShown_ = true;
}

void ConsoleHost::clearProgress() {
  if (progressShown_) {
    err_ << "\r\033[K" << std::flush;
    progressShown_ = false;
  }
}

int runCli(int argc, char **argv, std::ostream &out, std::ostream &err,
           bool progressOnTerminal, platform::FileSystem &fs) {
  CliOptions options;
  if (auto status = parseOptions(argc, argv, options, out, err))
    return *status;

  // The options press the window's mode buttons, so the run is the very
  // same as the window's.
  batch::SelectionState selection;
  for (batch::ModeButton button : modeButtonsOf(options))
    selection.pressModeButton(button);

  ConsoleHost host(options, out, err, progressOnTerminal, fs);
  const batch::RunOutcome outcome = batch::runBatch(selection, host, fs);
  if (host.stoppedByInterrupt())
    return interruptStatus();
  if (outcome.failed > 0 || outcome.stopped > 0)
    return kExitFailure;
  return kExitSuccess;
}

} // namespace snpln::cli
