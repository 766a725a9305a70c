// The step the run and the directory walk both take for one file: build the
// request, read the "Sa&ve upper" mark, refresh the host, run the job.
#pragma once

#include <string>

#include "batch/batch_host.h"
#include "job/job_request.h"

namespace snpln::batch {

// The request for `path`, with the display name (the text after the last
// '\\', '/' or ':') but without saveUpper.
job::JobRequest makeJobRequest(job::OperationCode operation,
                               const std::string &path, bool lastJob,
                               const RunParameters &parameters);

// Completes the request with the current "Sa&ve upper" mark, refreshes the
// host and runs the job there.
job::JobResult runFileJob(BatchHost &host, job::OperationCode operation,
                          const std::string &path, bool lastJob,
                          const RunParameters &parameters);

} // namespace snpln::batch
