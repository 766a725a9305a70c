#include "cli/console_host.h"

#include <algorithm>
#include <cerrno>
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
std::atomic<bool> textLossReported{false};

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

// A detection's line with what it found of the file as it is (its line
// ends, its mark, its neighbour page).
i18n::Phrase withFacts(const job::JobReport &report, i18n::Phrase line) {
  i18n::Phrase facts = i18n::detectionFacts(report);
  if (facts.empty())
    return line;
  return i18n::join({std::move(line), std::move(facts)}, "; ");
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
      progressOnTerminal_(progressOnTerminal),
      summary_(batch::inPassOrder(operationsOf(options))) {}

std::string ConsoleHost::say(const i18n::Phrase &phrase) const {
  return i18n::render(phrase, options_.language);
}

void ConsoleHost::write(bool failure, const std::string &line) {
  if (dataOnOutput_ && holding_) {
    held_.push_back(Held{failure, line});
    return;
  }
  clearProgress();
  std::ostream &stream = failure || dataOnOutput_ ? err_ : out_;
  stream << line << '\n' << std::flush;
  if (!stream)
    lost_ = true;
}

void ConsoleHost::printJson(const std::string &object) { write(false, object); }

void ConsoleHost::printReport(const job::JobReport &report) {
  printJson(
      jsonOfReport(report, DryRunOptions{options_.backup, options_.keepDate}));
}

void ConsoleHost::printSummary(const std::string &object) {
  write(false, object);
}

void ConsoleHost::textDelivered(int lostWith) {
  std::lock_guard<std::mutex> lock(mutex_);
  holding_ = false;
  std::vector<Held> held = std::move(held_);
  held_.clear();
  if (lostWith != 0 && heldReport_ && options_.json) {
    // The file's objects said what became of the text; it never arrived.
    job::FileReport &report = *heldReport_;
    job::JobReport lost;
    lost.path = report.path;
    lost.operation = report.operations.empty()
                         ? firstOperation_
                         : report.operations.front().operation;
    lost.result = job::JobResult::WriteFailed;
    lost.message = job::Message(job::MessageId::WriteError);
    lost.message.systemError = lostWith;
    report.result = job::JobResult::WriteFailed;
    report.operations.assign(1, lost);
    report.failedAt = 0;
    held.clear();
    held.push_back(Held{true, jsonOfReport(lost)});
    textLossReported = true;
  }
  if (heldReport_)
    summary_.fileEnded(*heldReport_);
  heldReport_.reset();
  for (const Held &line : held)
    if (lostWith == 0 || line.failure)
      write(line.failure, line.line);
}

int ConsoleHost::finishRun(int status, const batch::RunOutcome *outcome) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (options_.json)
    printSummary(summary_.object(status, outcome));
  if (lost_ && status == kExitSuccess)
    return kExitFailure;
  return status;
}

void ConsoleHost::print(bool failure, const i18n::Lines &lines) {
  print(failure, say(lines.line1), say(lines.line2));
}

void ConsoleHost::print(bool failure, const std::string &line1,
                        const std::string &line2) {
  if (options_.quiet && !failure)
    return;
  std::string text = line1;
  if (!line1.empty() && !line2.empty())
    text += ": ";
  text += line2;
  write(failure, text);
}

void ConsoleHost::runMessage(const batch::RunMessage &m) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (options_.json) {
    summary_.runMessage(m.message);
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
  if (options_.json) {
    summary_.passedOver();
    printJson(jsonOfPassedOver(name, why, firstOperation_));
  } else if (options_.verbose || (options_.dryRun && !options_.check))
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
    // Standard input's file is counted once its text is delivered.
    if (holding_)
      heldReport_ = report;
    else
      summary_.fileEnded(report);
    if (const job::JobReport *failure = report.failure())
      printReport(withOutput(*failure));
    else
      for (const job::JobReport &operation : report.operations)
        printReport(withOutput(operation));
    return;
  }
  if (failed || (!options_.verbose && !options_.dryRun)) {
    for (const job::JobReport &shown : end.shown) {
      i18n::Lines lines = i18n::reportLines(withOutput(shown), true);
      lines.line2 = withFacts(shown, std::move(lines.line2));
      print(failedJob(shown.result), lines);
    }
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
    print(false, task.location.path(),
          say(withFacts(operation, i18n::reportLine(operation, true))));
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
  // the result goes to standard output at the end (not for a dry run nor
  // detection, which answer there instead).
  const bool standardInput =
      std::find(options.names.begin(), options.names.end(),
                std::string(kStandardStreamName)) != options.names.end();
  const bool delivers = standardInput && !options.dryRun && !options.detect;
  std::optional<StandardInputFileSystem> streams;
  if (standardInput) {
    std::string text;
    const bool read = readWhole(in, text);
    if (interrupted)
      return host.finishRun(interruptStatus(), nullptr);
    if (!read) {
      err << kStandardStreamName << ": "
          << i18n::render(
                 i18n::messageText(job::Message{job::MessageId::ReadError}),
                 options.language)
          << '\n';
      return host.finishRun(kExitFailure, nullptr);
    }
    streams.emplace(diskFs, std::move(text));
  }
  batch::RunPlan plan = planOf(options);
  plan.cancel = &interrupted;
  if (!plan.operations.empty())
    host.setFirstOperation(plan.operations.front());
  if (delivers) {
    host.keepOutputForData();
#ifndef _WIN32
    // A reader that goes before the whole text arrived is a write error
    // like any other (status 1, its line), not a silent death.
    std::signal(SIGPIPE, SIG_IGN);
#endif
  }
  // --output: FILE's state is taken and its new content begun before the
  // run; the run's result goes there, and FILE gets it once the run is
  // over.
  std::optional<OutputFileSystem> outputs;
  if (options.output) {
    outputs.emplace(diskFs, options.names.front(), *options.output,
                    options.keepDate, options.allowChown);
    platform::SystemError why;
    if (!outputs->begin(why)) {
      // FILE's name holding something else than a regular file is
      // EEXIST (the file system's contract).
      job::Message message(why.code == EEXIST ? job::MessageId::OutputNotRegular
                                              : job::MessageId::OutputNotMade);
      if (why.code != EEXIST)
        message.systemError = why.code;
      host.runMessage(batch::RunMessage{
          batch::MessageKind::Failure, std::nullopt, *options.output, message});
      return host.finishRun(kExitFailure, nullptr);
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
  if (host.stoppedByInterrupt()) {
    host.textDelivered(0);
    return host.finishRun(interruptStatus(), &outcome);
  }
  if (delivers && host.standardInputRan() && !host.standardInputFailed()) {
    const std::string &text = streams->content();
    errno = 0;
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    // The stream keeps why it failed; the caller says so.
    if (!out) {
      host.textDelivered(errno != 0 ? errno : EIO);
      return host.finishRun(kExitFailure, &outcome);
    }
  }
  host.textDelivered(0);
  int status = kExitSuccess;
  if (outcome.failed > 0 || outcome.stopped > 0)
    status = kExitFailure;
  else if (options.check && host.wouldChange())
    status = kExitFailure;
  else if (outputs && !commitOutput(*outputs, options, host))
    status = kExitFailure;
  return host.finishRun(status, &outcome);
}

} // namespace snpln::cli
