// The step the run and the directory walk both take for one file: build the
// request, read the "Sa&ve upper" mark, refresh the host, run the job, and
// count its result into the pass's run outcome.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "batch/batch_host.h"
#include "batch/visited_files.h"
#include "job/job_request.h"
#include "platform/file_system.h"

namespace snpln::batch {

// Where a job finds its file: by `path` alone, or (from the walk) as
// `entryName` in the open `directory`, `path` then naming it in messages.
struct FileToVisit {
  std::string path;
  std::shared_ptr<const platform::Directory> directory;
  std::string entryName;
};

// Runs the job for `file` once per pass: a file the pass has already
// visited (by any name) is passed over silently and gives nothing. The file is
// marked visited as it is before its job and as the job leaves it (a
// rewritten file is a new file).
std::optional<job::JobResult>
runFileJobOnce(BatchHost &host, platform::FileSystem &fs, PassState &pass,
               job::OperationCode operation, const FileToVisit &file,
               bool lastJob, const RunParameters &parameters);

} // namespace snpln::batch
