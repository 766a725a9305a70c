#include "tests/support/scripted_batch_host.h"

#include "batch/run_batch.h"
#include "i18n/catalogue.h"
#include "i18n/texts.h"
#include "job/file_job.h"

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

// The host as the run's observer and job runner, one job after another on
// the caller's thread.
class HostRun final : public batch::RunObserver, public batch::JobRunner {
public:
  explicit HostRun(ScriptedBatchHost &host) : host_(host) {}

  batch::JobEnd runJob(const job::JobRequest &request,
                       const batch::JobControl &) override {
    job::JobRequest ask = request;
    ask.saveUpper = host_.saveUpperChecked();
    host_.refresh();
    return host_.runJob(ask);
  }
  void jobStarted(const batch::JobStart &start) override {
    host_.jobStarted(start);
  }
  void passedOver(job::OperationCode, const std::string &name,
                  batch::PassedOver why) override {
    host_.passedOver(name, why);
  }
  void runMessage(const batch::RunMessage &message) override {
    host_.showMessage(message.kind, message.name, message.message);
  }

private:
  ScriptedBatchHost &host_;
};

} // namespace

batch::RunOutcome ScriptedBatchHost::runPlan(batch::RunPlan &plan,
                                             platform::FileSystem &runFs,
                                             const batch::WalkHooks &hooks) {
  HostRun hostRun(*this);
  return batch::runBatch(plan, hostRun, hostRun, runFs, hooks);
}

batch::JobEnd ScriptedBatchHost::runJob(const job::JobRequest &request) {
  jobs.push_back(request);
  // The record keeps no directory open.
  jobs.back().location.directory.reset();
  events.push_back(
      "job:" + std::to_string(static_cast<int>(request.operation)) + ":" +
      request.location.path());
  if (beforeJob)
    beforeJob(request);
  job::JobResult result = job::JobResult::Done;
  batch::JobEnd end;
  end.report.operation = request.operation;
  end.report.path = request.location.path();
  if (!jobResults.empty()) {
    result = jobResults.front();
    jobResults.pop_front();
  } else if (realJobs) {
    RecordingJobHost jobHost;
    job::FileJob job(request, jobHost, *fs);
    job.setSliceSize(sliceSize);
    if (job.start()) {
      if (jobs.size() == cancelJob) {
        job.tick();
        job.requestCancel();
      }
      while (!job.ended())
        job.tick();
    }
    result = job.result();
    end.report = job.report();
    for (const auto &m : jobHost.messages) {
      jobMessages.push_back(m);
      events.push_back("jobmessage:" + m.first + "|" + m.second);
    }
  }
  results.push_back(result);
  end.result = result;
  end.report.result = result;
  return end;
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
