#include "tests/support/walk_with_host.h"

#include "job/file_run.h"

namespace snpln::test {

namespace {

class HostSink final : public batch::WalkSink {
public:
  HostSink(job::OperationCode operation, const job::RunParameters &parameters,
           ScriptedBatchHost &host, platform::FileSystem &fs, WalkPass &pass)
      : operation_(operation), parameters_(parameters), host_(host), fs_(fs),
        pass_(pass) {}

  bool fileFound(const std::string &path,
                 const platform::FileLocation &at) override {
    const auto before = fs_.status(at);
    std::optional<batch::FilePlace> place;
    if (at.directory)
      place = batch::FilePlace{at.directory->id(), at.name};
    if (before) {
      if (pass_.visited.contains(*before, place, !at.directory))
        return true;
      pass_.visited.add(*before, place, !at.directory);
    }
    job::FileTask task;
    task.location = at.directory
                        ? platform::FileLocation(at.directory, at.name, path)
                        : platform::FileLocation(path);
    job::FilePlan plan;
    plan.operations = {operation_};
    plan.parameters = parameters_;
    plan.saveUpper = host_.saveUpperChecked();
    host_.refresh();
    const job::FileReport report = host_.runJob(task, plan);
    if (const auto after = fs_.status(at))
      pass_.visited.replaced(before, *after, place, !at.directory);
    return report.result != job::JobResult::Stop;
  }
  void passedOver(const std::string &path, batch::PassedOver why) override {
    if (pass_.passedOver.insert(path).second)
      host_.passedOver(path, why);
  }
  void directoryUnreadable(const std::string &name, int systemError) override {
    ++pass_.unreadableDirectories;
    job::Message unreadable{job::MessageId::DirectoryUnreadable};
    unreadable.systemError = systemError;
    host_.showMessage(batch::MessageKind::Failure, name, unreadable);
  }

private:
  job::OperationCode operation_;
  const job::RunParameters &parameters_;
  ScriptedBatchHost &host_;
  platform::FileSystem &fs_;
  WalkPass &pass_;
};

} // namespace

batch::WalkOutcome
walkWithHost(const std::string &directory, const std::string &mask,
             job::OperationCode operation, const job::RunParameters &parameters,
             ScriptedBatchHost &host, platform::FileSystem &fs,
             const batch::WalkHooks &hooks, WalkPass *pass) {
  WalkPass own;
  HostSink sink(operation, parameters, host, fs, pass ? *pass : own);
  return batch::walkDirectoryTree(
      directory, mask, batch::walkRulesOf(parameters), sink, fs, hooks);
}

} // namespace snpln::test
