#include "batch/run_observer.h"
#include "job/file_run.h"

namespace snpln::batch {

job::FileReport PlainJobRunner::runJob(const job::FileTask &task,
                                       const job::FilePlan &plan,
                                       const job::JobControl &control) {
  return job::runFile(task, plan, control, fs_);
}

} // namespace snpln::batch
