// A batch host for tests: the file list, filter box and "Sa&ve upper" mark are
// plain fields; prompts, the options dialog and messages are answered from
// queues; every status text, prompt, message and file handed to the run's
// runner is recorded, and `events` keeps all of them in one ordered
// journal.
//
// Files: by default each is only recorded and answered with Done (or with
// the next value of `jobResults`). With `realJobs` set, job::runFile runs
// over `fs` (the reports the run shows of each file land in `jobMessages`
// and in the journal). `cancelJob` (1-based) makes that file be cancelled
// by its user after its first step.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "batch/batch_host.h"
#include "job/job_request.h"
#include "platform/file_system.h"

namespace snpln::test {

// A file handed to the run's runner: the plan's operations and parameters
// as the file got them, and where it is.
struct JobRecord : job::RunParameters {
  std::vector<job::OperationCode> operations;
  // The file (its directory not kept open), and its name alone.
  platform::FileLocation location;
  std::string displayName;
  bool saveUpper = false;
  platform::DirectoryFlush directoryFlush =
      platform::DirectoryFlush::WithCommit;
};

class ScriptedBatchHost : public batch::BatchHost {
public:
  struct PromptAnswer {
    job::DialogAnswer result = job::DialogAnswer::Ok;
    std::string text;
    bool keepPreset = false; // leave the preset as the answer
  };
  struct OptionsAnswer {
    job::DialogAnswer result = job::DialogAnswer::Ok;
    bool left = false, right = false, caseInsensitive = false;
  };

  ScriptedBatchHost() = default;
  explicit ScriptedBatchHost(std::vector<std::string> list)
      : files(std::move(list)), field(files.empty() ? "" : "chosen") {}

  bool fileNameFieldEmpty() override { return field.empty(); }
  const std::vector<std::string> &fileList() override { return files; }
  void setStatusLine(const batch::Status &status) override;
  job::DialogAnswer prompt(batch::PromptKind kind,
                           std::string &answer) override;
  job::DialogAnswer excludeOptions(batch::WordOptions &options) override;
  job::DialogAnswer showMessage(batch::MessageKind kind,
                                const std::string &name,
                                const job::Message &message) override;
  // Runs the plan on the calling thread with this host as the run's
  // observer and job runner: each file through runJob() (Save upper read
  // and the window refreshed before it), each message through
  // showMessage(), each report the run shows of a file into jobMessages.
  batch::RunOutcome runPlan(batch::RunPlan &plan, platform::FileSystem &fs,
                            const batch::WalkHooks &walkHooks) override;
  // One file of the run, recorded and answered as the script says.
  job::FileReport runJob(const job::FileTask &task, const job::FilePlan &plan);
  // The reports the run shows of a file, recorded in English.
  void fileShown(const batch::FileEnd &end);
  std::string filterText() override { return filter; }
  std::vector<std::string> &filterList() override { return filters; }
  bool saveUpperChecked() override { return saveUpper; }
  void refresh() override { ++refreshes; }
  bool allowChown() const override { return chownAllowed; }
  bool takeHidden() const override { return hiddenTaken; }
  void passedOver(const std::string &name, batch::PassedOver why) override;
  job::TypedText typedText() const override { return typed; }

  // Paths of the recorded jobs, in order.
  std::vector<std::string> jobPaths() const;

  // The script.
  std::vector<std::string> files;
  std::string field;
  std::string filter;
  std::vector<std::string> filters;
  bool saveUpper = false;
  job::TypedText typed = job::TypedText::Bytes;
  std::deque<PromptAnswer> promptAnswers;       // OK with the preset when empty
  std::deque<OptionsAnswer> optionsAnswers;     // OK, all clear when empty
  std::deque<job::DialogAnswer> messageAnswers; // OK when empty
  std::deque<job::JobResult> jobResults;        // Done when empty
  std::function<void(const JobRecord &)> beforeJob;
  bool realJobs = false;
  std::size_t cancelJob = 0; // 1-based; 0 for none
  platform::FileSystem *fs = &platform::realFileSystem();
  std::size_t sliceSize = 8192;
  bool chownAllowed = false;
  bool hiddenTaken = false;

  // The record.
  // Each in English, and as data.
  std::vector<std::string> statusLines;
  std::vector<batch::Status> statuses;
  // The prompt's text as the window shows it, and the preset.
  std::vector<std::pair<std::string, std::string>> prompts;
  std::vector<batch::PromptKind> promptKinds;
  int optionsDialogs = 0;
  std::vector<std::pair<std::string, std::string>> messages;
  std::vector<job::Message> messageIds;
  std::vector<batch::MessageKind> messageKinds;
  std::vector<std::pair<std::string, std::string>> jobMessages;
  std::vector<JobRecord> jobs;
  std::vector<job::JobResult> results;
  std::vector<std::pair<std::string, batch::PassedOver>> passed;
  std::vector<std::string> events;
  int refreshes = 0;
};

// A path the walk built, with '/' between its names on every system (the
// walk joins names with '\\' on Windows), as the tests write them.
std::string portablePath(std::string path);

} // namespace snpln::test
