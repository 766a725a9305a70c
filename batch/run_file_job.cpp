#include "batch/run_file_job.h"
#include "batch/run_outcome.h"
#include "job/file_job.h"

namespace snpln::batch {

namespace {

// The request for `path`, with the display name (the text after the last
// '\\', '/' or ':') but without saveUpper.
job::JobRequest makeJobRequest(job::OperationCode operation,
                               const std::string &path, bool lastJob,
                               const RunParameters &parameters) {
  job::JobRequest request;
  static_cast<RunParameters &>(request) = parameters;
  request.operation = operation;
  request.path = path;
  request.lastJob = lastJob;
  request.displayName = job::displayNameOf(path);
  return request;
}

} // namespace

std::optional<job::JobResult>
runFileJobOnce(BatchHost &host, platform::FileSystem &fs, PassState &pass,
               job::OperationCode operation, const FileToVisit &file,
               bool lastJob, const RunParameters &parameters) {
  job::JobRequest request =
      makeJobRequest(operation, file.path, lastJob, parameters);
  request.directory = file.directory;
  request.entryName = file.entryName;
  const platform::FileLocation at = request.location();
  // A name that leads nowhere is the job's to report.
  const auto before = fs.status(at);
  const bool backupAsked = !request.backupSuffix.empty() && pass.backups;
  if (before && backupAsked) {
    // A backup this run made is no file to work on; a file whose backup
    // the run took keeps that one.
    if (pass.backups->madeByRun(before->id))
      return std::nullopt;
    if (pass.backups->taken(before->id))
      request.backupSuffix.clear();
  }
  if (before) {
    if (pass.visited.contains(*before))
      return std::nullopt;
    pass.visited.add(*before);
  }
  // The page an earlier pass of the run settled for the file, and the one
  // the job leaves it in.
  std::optional<engine::CodePage> pageAfter;
  if (pass.pages && before) {
    request.filePage = pass.pages->find(before->id);
    request.notePage = [&pageAfter](engine::CodePage page) {
      pageAfter = page;
    };
  }
  request.saveUpper = host.saveUpperChecked();
  host.refresh();
  const job::JobResult result = host.runJob(request);
  if (pass.outcome)
    pass.outcome->count(result);
  const auto after = fs.status(at);
  if (after)
    pass.visited.add(*after);
  if (backupAsked && before && after && after->id != before->id &&
      result == job::JobResult::Done && !request.dryRun)
    pass.backups->replaced(before->id, after->id,
                           !request.backupSuffix.empty());
  if (pass.pages && before)
    pass.pages->moved(before->id, after ? after->id : before->id, pageAfter);
  return result;
}

} // namespace snpln::batch
