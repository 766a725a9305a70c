#include "batch/run_outcome.h"

namespace snpln::batch {

void RunOutcome::count(job::JobResult result) {
  switch (result) {
  case job::JobResult::Done:
    ++done;
    break;
  case job::JobResult::Skipped:
    ++unchanged;
    break;
  case job::JobResult::Stop:
    ++stopped;
    break;
  case job::JobResult::ReadFailed:
  case job::JobResult::WriteFailed:
  case job::JobResult::NotFound:
    ++failed;
    break;
  }
}

void RunOutcome::count(WalkOutcome outcome) {
  switch (outcome) {
  case WalkOutcome::Done:
  case WalkOutcome::Stopped: // the job that stopped it is counted already
    break;
  case WalkOutcome::OutOfMemory:
    ++failed;
    break;
  }
}

} // namespace snpln::batch
