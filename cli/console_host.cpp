#include "cli/console_host.h"

#include <algorithm>
#include <csignal>
#include <new>
#include <optional>

#include "batch/mask_list.h"
#include "batch/run_batch.h"
#include "cli/json_lines.h"
#include "cli/output_file.h"
#include "cli/standard_input.h"
#include "job/stages.h"

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
                         std::ostream &err, bool progressOnTerminal)
    : options_(options), out_(out), err_(err),
      progressOnTerminal_(progressOnTerminal) {}

std::string ConsoleHost::say(const i18n::Phrase &phrase) const {
  return i18n::render(phrase, options_.language);
}

void ConsoleHost::printJson(const std::string &object) {
  clearProgress();
  std::ostream &stream = dataOnOutput_ ? err_ : out_;
  stream << object << '\n' << std::flush;
}

void ConsoleHost::printReport(const job::JobReport &report) {
  printJson(jsonOfReport(report));
}

void ConsoleHost::print(bool failure, const i18n::Lines &lines) {
  print(failure, say(lines.line1), say(lines.line2));
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

void ConsoleHost::runMessage(const batch::RunMessage &m) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (options_.json) {
    if (const auto object = jsonOfMessage(m.name, m.message, m.pass))
      printJson(*object);
    return;
  }
  // --check names the files that would change, and failures; the rest
  // only with -v.
  if (options_.check && !options_.verbose &&
      m.kind != batch::MessageKind::Failure)
    return;
  print(m.kind == batch::MessageKind::Failure,
        i18n::messageLines(m.name, m.message));
}

void ConsoleHost::passedOver(const std::string &name, batch::PassedOver why) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (options_.json)
    printJson(jsonOfPassedOver(name, why, firstOperation_));
  else if (options_.verbose || (options_.dryRun && !options_.check))
    print(false, name, say(i18n::passedOverText(why)));
}

void ConsoleHost::fileWaiting(const batch::FileWait &wait) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!options_.verbose || options_.json)
    return;
  clearProgress();
  print(false, say(i18n::waitText(wait)), std::string());
}

void ConsoleHost::fileStarted(const batch::FileStart &start) {
  std::lock_guard<std::mutex> lock(mutex_);
  // The progress shown is that of the file started last.
  progressTitle_ = say(i18n::operationTitle(start.operation));
  progressName_ = start.displayName;
  progressJob_ = &start.task;
  lastPercent_ = -1;
}

void ConsoleHost::fileFinished(const job::FileTask &task,
                               const batch::FileEnd &end) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (progressJob_ == &task)
    progressJob_ = nullptr;
  clearProgress();
  const job::FileReport &report = end.report;
  if (report.result == job::JobResult::Stop && interrupted)
    stoppedByInterrupt_ = true;
  const bool failed = failedJob(report.result);
  // A dry run's success is a change the real run would make.
  const bool changes =
      !failed && std::any_of(report.operations.begin(), report.operations.end(),
                             [](const job::JobReport &operation) {
                               return operation.succeeded();
                             });
  wouldChange_ = wouldChange_ || (options_.dryRun && changes);
  if (isStandardStream(task.location)) {
    standardInputRan_ = true;
    standardInputFailed_ = standardInputFailed_ || failed;
  }
  const auto withOutput = [&](job::JobReport operation) {
    if (options_.output)
      operation.output = *options_.output;
    return operation;
  };
  if (options_.json) {
    if (const job::JobReport *failure = report.failure())
      printReport(withOutput(*failure));
    else
      for (const job::JobReport &operation : report.operations)
        printReport(withOutput(operation));
    return;
  }
  if (failed || (!options_.verbose && !options_.dryRun)) {
    for (const job::JobReport &shown : end.shown)
      print(failedJob(shown.result),
            i18n::reportLines(withOutput(shown), true));
    if (failed)
      return;
    // Characters sent to a fill byte are never silent: a file whose
    // outcome is not shown says so on a line of its own.
    for (const job::JobReport &operation : report.operations) {
      const bool shown = std::any_of(
          end.shown.begin(), end.shown.end(), [&](const job::JobReport &r) {
            return r.operation == operation.operation;
          });
      if (job::isRecoding(operation.operation) && operation.filled > 0 &&
          !shown)
        print(false, i18n::reportLines(withOutput(operation), true));
    }
    return;
  }
  // One line per operation; the backup and the output are named once.
  bool named = false;
  for (job::JobReport operation : report.operations) {
    operation = withOutput(std::move(operation));
    if (named) {
      operation.backup.reset();
      operation.output.reset();
    }
    named = named || operation.backup || operation.succeeded();
    // --check: only what would change, unless -v.
    if (options_.check && !options_.verbose && !operation.succeeded())
      continue;
    print(false, task.location.path(), say(i18n::reportLine(operation, true)));
  }
}

void ConsoleHost::fileProgress(const job::FileTask &task, int percent) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!progressOnTerminal_ || percent == lastPercent_ || progressJob_ != &task)
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

batch::RunPlan planOf(const CliOptions &o) {
  using job::OperationCode;
  batch::RunPlan plan;
  const std::vector<OperationCode> operations = operationsOf(o);
  plan.operations = batch::inPassOrder(operations);

  job::RunParameters &p = plan.parameters;
  p.searchText = o.exclude ? *o.exclude : o.replace.value_or("");
  p.replaceText = o.with;
  p.typedText = o.bytes ? job::TypedText::Bytes : job::TypedText::Characters;
  p.leftPartOfWord = o.leftPart;
  p.rightPartOfWord = o.rightPart;
  p.caseInsensitive = o.ignoreCase;
  p.targetCodePage = o.to.value_or(engine::CodePage::Auto);
  p.sourceCodePage = o.from;
  p.detectOnly = o.detect;
  p.dryRun = o.dryRun;
  p.tabSize = o.tabSize;
  p.allowChown = o.allowChown;
  p.takeHidden = o.hidden;
  p.keepDate = o.keepDate;
  p.substitute = o.substitute;
  p.strict = o.strict;
  p.lineEnd = o.lineEnds.value_or(engine::LineEnd::Lf);
  p.bom = o.bom.value_or(engine::BomChange::Add);
  p.backupSuffix = o.backup ? o.backupSuffix : std::string();
  plan.saveUpper = o.saveUpper;
  plan.names = o.names;
  plan.masks = batch::splitMasks(o.filter);
  plan.workers = o.jobs > 0 ? o.jobs : batch::defaultWorkers();
  return plan;
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
  host.runMessage(batch::RunMessage{batch::MessageKind::Failure, std::nullopt,
                                    *options.output, message});
  return false;
}

} // namespace

int runCli(int argc, char **argv, std::istream &in, std::ostream &out,
           std::ostream &err, bool progressOnTerminal,
           platform::FileSystem &diskFs) {
  CliOptions options;
  if (auto status = parseOptions(argc, argv, options, out, err))
    return *status;
  ConsoleHost host(options, out, err, progressOnTerminal);
  return runOptions(options, host, in, out, err, diskFs);
}

int runOptions(const CliOptions &options, ConsoleHost &host, std::istream &in,
               std::ostream &out, std::ostream &err,
               platform::FileSystem &diskFs) {
  if (auto status = checkOutputFiles(options, diskFs, err))
    return *status;

  // "-" reads standard input whole; the run rewrites it like a file and
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
  batch::RunPlan plan = planOf(options);
  plan.cancel = &interrupted;
  if (!plan.operations.empty())
    host.setFirstOperation(plan.operations.front());
  if (standardInput)
    host.keepOutputForData();
  // --output: FILE's state is taken and its new content begun before the
  // run; the run's result goes there, and FILE gets it once the run is
  // over.
  std::optional<OutputFileSystem> outputs;
  if (options.output) {
    outputs.emplace(diskFs, options.names.front(), *options.output,
                    options.keepDate, options.allowChown);
    platform::SystemError why;
    if (!outputs->begin(why)) {
      job::Message message(job::MessageId::NoTempFile);
      message.systemError = why.code;
      host.runMessage(batch::RunMessage{
          batch::MessageKind::Failure, std::nullopt, *options.output, message});
      return kExitFailure;
    }
  }
  platform::FileSystem &fs =
      streams   ? static_cast<platform::FileSystem &>(*streams)
      : outputs ? static_cast<platform::FileSystem &>(*outputs)
                : diskFs;
  // Standard input's text is one file in memory, and --output's new file
  // is one file's: one file at a time.
  if (standardInput || outputs)
    plan.workers = 1;
  batch::PlainJobRunner runner(fs);
  const batch::RunOutcome outcome = batch::runBatch(plan, host, runner, fs);
  if (host.stoppedByInterrupt())
    return interruptStatus();
  if (streams && host.standardInputRan() && !host.standardInputFailed() &&
      !options.dryRun && !plan.parameters.detectOnly) {
    const std::string &text = streams->content();
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    // The stream keeps why it failed; the caller says so.
    if (!out)
      return kExitFailure;
  }
  if (outcome.failed > 0 || outcome.stopped > 0)
    return kExitFailure;
  if (options.check && host.wouldChange())
    return kExitFailure;
  if (outputs && !commitOutput(*outputs, options, host))
    return kExitFailure;
  return kExitSuccess;
}

} // namespace snpln::cli
