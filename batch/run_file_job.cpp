#include "batch/run_file_job.h"
#include "job/file_job.h"

namespace snpln::batch {

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

namespace {

job::JobResult runRequest(BatchHost &host, job::JobRequest &request) {
  request.saveUpper = host.saveUpperChecked();
  host.refresh();
  return host.runJob(request);
}

} // namespace

job::JobResult runFileJob(BatchHost &host, job::OperationCode operation,
                          const std::string &path, bool lastJob,
                          const RunParameters &parameters) {
  job::JobRequest request =
      makeJobRequest(operation, path, lastJob, parameters);
  return runRequest(host, request);
}

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
  if (const auto before = fs.status(at)) {
    if (pass.visited.contains(before->id))
      return std::nullopt;
    pass.visited.add(before->id);
  }
  const job::JobResult result = runRequest(host, request);
  if (const auto after = fs.status(at))
    pass.visited.add(after->id);
  return result;
}

} // namespace snpln::batch
