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

job::JobResult runFileJob(BatchHost &host, job::OperationCode operation,
                          const std::string &path, bool lastJob,
                          const RunParameters &parameters) {
  job::JobRequest request =
      makeJobRequest(operation, path, lastJob, parameters);
  request.saveUpper = host.saveUpperChecked();
  host.refresh();
  return host.runJob(request);
}

} // namespace snpln::batch
