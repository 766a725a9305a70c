#include "batch/run_file_job.h"
#include "job/file_job.h"

namespace snpln::batch {

job::JobRequest makeJobRequest(job::OperationCode operation,
                               const std::string &path, int lastJob,
                               const RunParameters &parameters) {
  job::JobRequest request;
  request.operation = operation;
  request.path = path;
  request.lastJob = lastJob;
  request.searchText = parameters.searchText;
  request.replaceText = parameters.replaceText;
  request.typedText = parameters.typedText;
  request.leftPartOfWord = parameters.leftPartOfWord;
  request.rightPartOfWord = parameters.rightPartOfWord;
  request.caseInsensitive = parameters.caseInsensitive;
  request.targetCodePage = parameters.targetCodePage;
  request.sourceCodePage = parameters.sourceCodePage;
  request.detectOnly = parameters.detectOnly;
  request.tabSize = parameters.tabSize;
  request.displayName = job::displayNameOf(path);
  return request;
}

job::JobResult runFileJob(BatchHost &host, job::OperationCode operation,
                          const std::string &path, int lastJob,
                          const RunParameters &parameters) {
  job::JobRequest request =
      makeJobRequest(operation, path, lastJob, parameters);
  request.saveUpper = host.saveUpperChecked() ? 1 : 0;
  host.refresh();
  return host.runJob(request);
}

} // namespace snpln::batch
