#include "tests/support/scripted_batch_host.h"

#include "batch/run_batch.h"
#include "i18n/catalogue.h"
#include "i18n/texts.h"
#include "job/file_run.h"

namespace snpln::test {

void ScriptedBatchHost::setStatusLine(const batch::Status &status) {
  const std::string text = i18n::english(i18n::statusText(status));
  statuses.push_back(status);
  statusLines.push_back(text);
  events.push_back("status:" + text);
}

job::DialogAnswer ScriptedBatchHost::prompt(batch::PromptKind kind,
                                            std::string &answer) {
  const std::string text = i18n::english(i18n::promptText(kind));
  prompts.emplace_back(text, answer);
  promptKinds.push_back(kind);
  events.push_back("prompt:" + text);
  if (promptAnswers.empty())
    return job::DialogAnswer::Ok;
  PromptAnswer a = promptAnswers.front();
  promptAnswers.pop_front();
  if (!a.keepPreset)
    answer = a.text;
  return a.result;
}

job::DialogAnswer
ScriptedBatchHost::excludeOptions(batch::WordOptions &options) {
  ++optionsDialogs;
  events.push_back("options");
  OptionsAnswer a;
  if (!optionsAnswers.empty()) {
    a = optionsAnswers.front();
    optionsAnswers.pop_front();
  }
  options.leftPartOfWord = a.left;
  options.rightPartOfWord = a.right;
  options.caseInsensitive = a.caseInsensitive;
  return a.result;
}

job::DialogAnswer ScriptedBatchHost::showMessage(batch::MessageKind kind,
                                                 const std::string &name,
                                                 const job::Message &message) {
  const i18n::Lines lines = i18n::messageLines(name, message);
  const std::string line1 = i18n::english(lines.line1);
  const std::string line2 = i18n::english(lines.line2);
  messages.emplace_back(portablePath(line1), line2);
  messageIds.push_back(message);
  messageKinds.push_back(kind);
  events.push_back("message:" + line1 + "|" + line2);
  if (messageAnswers.empty())
    return job::DialogAnswer::Ok;
  const job::DialogAnswer a = messageAnswers.front();
  messageAnswers.pop_front();
  return a;
}

void ScriptedBatchHost::passedOver(const std::string &name,
                                   batch::PassedOver why) {
  passed.emplace_back(portablePath(name), why);
  events.push_back("passed over:" + name + "|" +
                   i18n::english(i18n::passedOverText(why)));
}

namespace {

// The host as the run's observer and job runner, one file after another on
// the caller's thread.
class HostRun final : public batch::RunObserver, public batch::JobRunner {
public:
  explicit HostRun(ScriptedBatchHost &host) : host_(host) {}

  job::FileReport runJob(const job::FileTask &task, const job::FilePlan &plan,
                         const job::JobControl &control) override {
    job::FilePlan asked = plan;
    asked.saveUpper = host_.saveUpperChecked();
    host_.refresh();
    (void)control;
    return host_.runJob(task, asked);
  }
  void fileStarted(const batch::FileStart &start) override {
    host_.fileStarted(start);
  }
  void fileFinished(const job::FileTask &, const batch::FileEnd &end) override {
    host_.fileShown(end);
  }
  void passedOver(const std::string &name, batch::PassedOver why) override {
    host_.passedOver(name, why);
  }
  void runMessage(const batch::RunMessage &message) override {
    host_.showMessage(message.kind, message.name, message.message);
  }

private:
  ScriptedBatchHost &host_;
};

// A file's report that says only `result`.
job::FileReport scriptedReport(const job::FileTask &task,
                               const job::FilePlan &plan,
                               job::JobResult result) {
  job::FileReport report;
  report.path = task.location.path();
  report.result = result;
  const bool failed =
      result != job::JobResult::Done && result != job::JobResult::Skipped;
  if (failed)
    report.failedAt = 0;
  for (job::OperationCode operation : plan.operations) {
    job::JobReport one;
    one.operation = operation;
    one.path = report.path;
    one.result = result;
    one.message = job::Message(
        result == job::JobResult::Done      ? job::MessageId::Converted
        : result == job::JobResult::Skipped ? job::MessageId::Identical
        : result == job::JobResult::Stop    ? job::MessageId::Canceled
                                            : job::MessageId::ReadError);
    report.operations.push_back(one);
  }
  return report;
}

} // namespace

batch::RunOutcome ScriptedBatchHost::runPlan(batch::RunPlan &plan,
                                             platform::FileSystem &runFs,
                                             const batch::WalkHooks &hooks) {
  HostRun hostRun(*this);
  plan.sliceSize = sliceSize;
  return batch::runBatch(plan, hostRun, hostRun, runFs, hooks);
}

job::FileReport ScriptedBatchHost::runJob(const job::FileTask &task,
                                          const job::FilePlan &plan) {
  JobRecord record;
  static_cast<job::RunParameters &>(record) = plan.parameters;
  record.operations = plan.operations;
  // The record keeps no directory open.
  record.location = platform::FileLocation(task.location.path());
  record.displayName = job::displayNameOf(task.location.path());
  record.saveUpper = plan.saveUpper;
  record.directoryFlush = task.directoryFlush;
  jobs.push_back(record);
  std::string operations;
  for (job::OperationCode operation : plan.operations)
    operations += (operations.empty() ? "" : ",") +
                  std::to_string(static_cast<int>(operation));
  events.push_back("job:" + operations + ":" + task.location.path());
  if (beforeJob)
    beforeJob(record);
  job::JobResult result = job::JobResult::Done;
  if (!jobResults.empty()) {
    result = jobResults.front();
    jobResults.pop_front();
  } else if (realJobs) {
    job::FilePlan real = plan;
    real.sliceSize = sliceSize;
    job::JobControl control;
    const bool cancels = jobs.size() == cancelJob;
    int steps = 0;
    control.progress = [&](int) { ++steps; };
    control.canceled = [&] { return cancels && steps > 0; };
    job::FileReport report = job::runFile(task, real, control, *fs);
    results.push_back(report.result);
    return report;
  }
  results.push_back(result);
  return scriptedReport(task, plan, result);
}

void ScriptedBatchHost::fileShown(const batch::FileEnd &end) {
  for (const job::JobReport &report : end.shown) {
    const i18n::Lines lines = i18n::reportLines(report);
    const std::pair<std::string, std::string> m{i18n::english(lines.line1),
                                                i18n::english(lines.line2)};
    jobMessages.push_back(m);
    events.push_back("jobmessage:" + m.first + "|" + m.second);
  }
}

std::string portablePath(std::string path) {
#ifdef _WIN32
  for (char &c : path)
    if (c == '\\')
      c = '/';
#endif
  return path;
}

std::vector<std::string> ScriptedBatchHost::jobPaths() const {
  std::vector<std::string> paths;
  for (const auto &r : jobs)
    paths.push_back(portablePath(r.location.path()));
  return paths;
}

} // namespace snpln::test
