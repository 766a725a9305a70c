#include "cli/console_host.h"

#include <csignal>
#include <set>

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

bool isFailureText(const std::string &text) {
  static const std::set<std::string> kFailures = {
      job::messages::kNotFound,
      job::messages::kNoTempFile,
      job::messages::kCanceled,
      job::messages::kReadError,
      job::messages::kWriteError,
      job::messages::lineTooLong(engine::kLineLimit),
      batch::texts::kNotFound,
      batch::texts::kDirectoryUnreadable,
  };
  return kFailures.count(text) > 0;
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

int ConsoleHost::prompt(const std::string &text, std::string &answer) {
  if (text == batch::texts::kPromptExclude)
    answer =
        options_.exclude ? *options_.exclude : options_.replace.value_or("");
  else if (text == batch::texts::kPromptReplace)
    answer = options_.with;
  else if (text == batch::texts::kPromptTabSize)
    answer = options_.tabSize;
  return job::kAnswerOk;
}

int ConsoleHost::excludeOptions(int &left, int &right, int &caseInsensitive) {
  left = options_.leftPart;
  right = options_.rightPart;
  caseInsensitive = options_.ignoreCase;
  return job::kAnswerOk;
}

int ConsoleHost::showMessage(const std::string &line1,
                             const std::string &line2) {
  clearProgress();
  std::string text = line1;
  if (!line1.empty() && !line2.empty())
    text += ": ";
  text += line2;
  if (isFailureText(line2) || isFailureText(line1)) {
    allDone_ = false;
    err_ << text << '\n' << std::flush;
  } else {
    out_ << text << '\n' << std::flush;
  }
  return job::kAnswerOk;
}

job::JobResult ConsoleHost::runJob(const job::JobRequest &request) {
  if (interrupted) {
    stoppedByInterrupt_ = true;
    showMessage(request.path, job::messages::kCanceled);
    return job::JobResult::Stop;
  }
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
  if (result != job::JobResult::Done)
    allDone_ = false;
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
  auto press = [&](int index) { selection.pressModeButton(index); };
  if (options.upper)
    press(0);
  if (options.lower)
    press(5);
  if (options.smart)
    press(6);
  if (options.exclude)
    press(7);
  if (options.replace)
    press(8);
  if (options.optimize)
    press(9);
  if (options.deleteEmpty)
    press(10);
  if (options.detect)
    press(11);
  static const std::pair<const char *, int> kTargets[] = {
      {"win", batch::kToWinButton},
      {"koi", batch::kToKoiButton},
      {"iso", batch::kToIsoButton},
      {"dos", batch::kToDosButton},
      {"utf8", batch::kToUtf8Button}};
  static const std::pair<const char *, int> kSources[] = {
      {"win", batch::kFromWinButton},   {"koi", batch::kFromKoiButton},
      {"iso", batch::kFromIsoButton},   {"dos", batch::kFromDosButton},
      {"utf8", batch::kFromUtf8Button}, {"auto", batch::kFromAutoButton}};
  if (!options.to.empty()) {
    for (const auto &[name, index] : kTargets)
      if (options.to == name)
        press(index);
    for (const auto &[name, index] : kSources)
      if (options.from == name)
        press(index);
  }

  ConsoleHost host(options, out, err, progressOnTerminal, fs);
  batch::runBatch(selection, host, fs);
  if (host.stoppedByInterrupt())
    return interruptStatus();
  return host.allDone() ? 0 : 1;
}

} // namespace snpln::cli
