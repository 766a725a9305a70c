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
  if (before) {
    if (pass.visited.contains(before->id))
      return std::nullopt;
    pass.visited.add(before->id);
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
    pass.visited.add(after->id);
  if (pass.pages && before)
    pass.pages->moved(before->id, after ? after->id : before->id, pageAfter);
  return result;
}

} // namespace snpln::batch
