#include "cli/console_host.h"

#include <algorithm>
#include <csignal>
#include <new>
#include <optional>
#include <thread>

#include "batch/run_batch.h"
#include "batch/selection_state.h"
#include "cli/json_lines.h"
#include "cli/output_file.h"
#include "cli/standard_input.h"
#include "job/file_job.h"

namespace snpln::cli {

std::atomic<bool> interrupted{false};
std::atomic<int> interruptSignal{0};

namespace {

#ifndef _WIN32
// The first signal decides the exit status; any of them cancels.
extern "C" void onInterrupt(int signal) {
  int none = 0;
  interruptSignal.compare_exchange_strong(none, signal);
  interrupted = true;
}
#endif

// Reads the whole stream; false when it could not be read (or held).
bool readWhole(std::istream &in, std::string &text) {
  char buffer[65536];
  try {
    while (in && !interrupted) {
      in.read(buffer, sizeof buffer);
      text.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
  } catch (const std::bad_alloc &) {
    return false;
  }
  return !in.bad();
}

// Whether a job that ended so failed (or was stopped).
bool failedJob(job::JobResult result) {
  return result != job::JobResult::Done && result != job::JobResult::Skipped;
}

} // namespace

// On Windows: the console's control handler (cli/windows_console.cpp).
#ifndef _WIN32
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
#endif

ConsoleHost::ConsoleHost(const CliOptions &options, std::ostream &out,
                         std::ostream &err, bool progressOnTerminal,
                         platform::FileSystem &fs)
    : options_(options), out_(out), err_(err),
      progressOnTerminal_(progressOnTerminal), fs_(fs) {}

bool ConsoleHost::fileNameFieldEmpty() { return options_.names.empty(); }

const std::vector<std::string> &ConsoleHost::fileList() {
  return options_.names;
}

void ConsoleHost::setStatusLine(const batch::Status &) {}

std::string ConsoleHost::say(const i18n::Phrase &phrase) const {
  return i18n::render(phrase, options_.language);
}

void ConsoleHost::printJson(const std::string &object) {
  clearProgress();
  std::ostream &stream = dataOnOutput_ ? err_ : out_;
  stream << object << '\n' << std::flush;
}

void ConsoleHost::print(bool failure, const i18n::Lines &lines) {
  print(failure, say(lines.line1), say(lines.line2));
}

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
  if (options_.quiet && !failure)
    return;
  clearProgress();
  std::string text = line1;
  if (!line1.empty() && !line2.empty())
    text += ": ";
  text += line2;
  std::ostream &stream = failure || dataOnOutput_ ? err_ : out_;
  stream << text << '\n' << std::flush;
}

job::DialogAnswer ConsoleHost::showMessage(batch::MessageKind kind,
                                           const std::string &name,
                                           const job::Message &message) {
  if (options_.json) {
    if (const auto object = jsonOfMessage(name, message))
      printJson(*object);
    return job::DialogAnswer::Ok;
  }
  print(kind == batch::MessageKind::Failure, i18n::messageLines(name, message));
  return job::DialogAnswer::Ok;
}

void ConsoleHost::passedOver(const std::string &name, batch::PassedOver why) {
  if (options_.json)
    printJson(jsonOfPassedOver(name, why));
  else if (options_.verbose || options_.dryRun)
    print(false, name, say(i18n::passedOverText(why)));
}

job::DialogAnswer ConsoleHost::showReport(const job::JobReport &report) {
  jobReports_.push_back(report);
  return job::DialogAnswer::Ok;
}

job::JobResult ConsoleHost::runJob(const job::JobRequest &request) {
  if (interrupted) {
    stoppedByInterrupt_ = true;
    job::JobReport canceled;
    canceled.operation = request.operation;
    canceled.path = request.path;
    canceled.message = job::Message(job::MessageId::Canceled);
    if (options_.json)
      printJson(jsonOfReport(canceled));
    else
      print(true, request.path, say(i18n::reportLine(canceled)));
    return job::JobResult::Stop;
  }
  jobReports_.clear();
  job::FileJob job(request, *this, fs_);
  if (sliceSize_ != 0)
    job.setSliceSize(sliceSize_);
  progressTitle_ = say(i18n::operationTitle(request.operation));
  progressName_ = request.displayName;
  lastPercent_ = -1;
  if (job.start()) {
    while (!job.ended()) {
      if (interrupted)
        job.requestCancel();
      else if (job.waitingForLock())
        std::this_thread::sleep_for(job::kLockRetry);
      job.tick();
    }
  }
  clearProgress();
  const job::JobResult result = job.result();
  if (result == job::JobResult::Stop && interrupted)
    stoppedByInterrupt_ = true;
  const bool failed = failedJob(result);
  if (isStandardStream(request.location())) {
    standardInputRan_ = true;
    standardInputFailed_ = standardInputFailed_ || failed;
  }
  job::JobReport ended = job.report();
  if (options_.output)
    ended.output = *options_.output;
  if (options_.json)
    printJson(jsonOfReport(ended));
  else if (failed || options_.verbose || options_.dryRun)
    print(failed, request.path, say(i18n::reportLine(ended)));
  else
    for (const job::JobReport &report : jobReports_)
      print(false, i18n::reportLines(report));
  jobReports_.clear();
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

namespace {

// Gives --output's FILE the run's result; false (the failure reported
// under FILE's name) when FILE could not be made or replaced.
bool commitOutput(OutputFileSystem &outputs, const CliOptions &options,
                  ConsoleHost &host) {
  const platform::SaveOutcome saved = outputs.commitOutput();
  job::Message message(job::MessageId::WriteError);
  message.systemError = errno;
  switch (saved) {
  case platform::SaveOutcome::Replaced:
    return true;
  case platform::SaveOutcome::TargetChanged:
    message = job::Message(job::MessageId::OutputChanged);
    break;
  case platform::SaveOutcome::OwnerNotKept:
    message.id = job::MessageId::OwnerNotKept;
    break;
  case platform::SaveOutcome::AttributesNotKept:
    message.id = job::MessageId::AttributesNotKept;
    break;
  case platform::SaveOutcome::WriteFailed:
  case platform::SaveOutcome::BackupNotKept:
    break;
  }
  host.showMessage(batch::MessageKind::Failure, *options.output, message);
  return false;
}

} // namespace

int runCli(int argc, char **argv, std::istream &in, std::ostream &out,
           std::ostream &err, bool progressOnTerminal,
           platform::FileSystem &diskFs) {
  CliOptions options;
  if (auto status = parseOptions(argc, argv, options, out, err))
    return *status;
  if (auto status = checkOutputFiles(options, diskFs, err))
    return *status;

  // The options press the window's mode buttons, so the run is the very
  // same as the window's.
  batch::SelectionState selection;
  for (batch::ModeButton button : modeButtonsOf(options))
    selection.pressModeButton(button);
  if (options.lineEnds)
    selection.selectPass(job::OperationCode::LineEnds);
  if (options.bom)
    selection.selectPass(job::OperationCode::Bom);

  // "-" reads standard input whole; the passes rewrite it like a file and
  // the result goes to standard output at the end.
  const bool standardInput =
      std::find(options.names.begin(), options.names.end(),
                std::string(kStandardStreamName)) != options.names.end();
  std::optional<StandardInputFileSystem> streams;
  if (standardInput) {
    std::string text;
    const bool read = readWhole(in, text);
    if (interrupted)
      return interruptStatus();
    if (!read) {
      err << kStandardStreamName << ": "
          << i18n::render(
                 i18n::messageText(job::Message{job::MessageId::ReadError}),
                 options.language)
          << '\n';
      return kExitFailure;
    }
    streams.emplace(diskFs, std::move(text));
  }
  // --output: the passes chain through new files beside FILE, which gets
  // the last one once the run is over.
  std::optional<OutputFileSystem> outputs;
  if (options.output)
    outputs.emplace(diskFs, options.names.front(), *options.output,
                    options.keepDate, options.allowChown);
  platform::FileSystem &fs =
      streams   ? static_cast<platform::FileSystem &>(*streams)
      : outputs ? static_cast<platform::FileSystem &>(*outputs)
                : diskFs;
  const bool detectOnly = selection.detectOnly();

  ConsoleHost host(options, out, err, progressOnTerminal, fs);
  if (standardInput)
    host.keepOutputForData();
  const batch::RunOutcome outcome = batch::runBatch(selection, host, fs);
  if (host.stoppedByInterrupt())
    return interruptStatus();
  if (streams && host.standardInputRan() && !host.standardInputFailed() &&
      !options.dryRun && !detectOnly) {
    const std::string &text = streams->content();
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    // The stream keeps why it failed; the caller says so.
    if (!out)
      return kExitFailure;
  }
  if (outcome.failed > 0 || outcome.stopped > 0)
    return kExitFailure;
  if (outputs && !commitOutput(*outputs, options, host))
    return kExitFailure;
  return kExitSuccess;
}

} // namespace snpln::cli
