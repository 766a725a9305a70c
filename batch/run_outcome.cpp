#include "batch/run_outcome.h"

#include <algorithm>

namespace snpln::batch {

void RunOutcome::count(job::JobResult result) {
  switch (result) {
  case job::JobResult::Done:
    ++succeeded;
    break;
  case job::JobResult::Skipped:
    ++skipped;
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

namespace {

bool nothingWouldChange(const job::FileReport &report) {
  return report.result == job::JobResult::Skipped &&
         std::any_of(report.operations.begin(), report.operations.end(),
                     [](const job::JobReport &operation) {
                       return operation.message.id == job::MessageId::Identical;
                     });
}

} // namespace

void RunOutcome::count(const job::FileReport &report) {
  if (nothingWouldChange(report)) {
    ++unchanged;
  } else {
    count(report.result);
  }
  if (report.result != job::JobResult::Stop &&
      !(report.result == job::JobResult::Skipped &&
        std::any_of(report.operations.begin(), report.operations.end(),
                    [](const job::JobReport &operation) {
                      return operation.message.id ==
                             job::MessageId::HeldSkipped;
                    })))
    ++done;
  if (report.failed())
    return;
  bool rewrote = false;
  for (const job::JobReport &operation : report.operations) {
    if (operation.succeeded() &&
        operation.operation != job::OperationCode::Detect)
      rewrote = true;
    filled += operation.filled;
    if (!operation.hits)
      continue;
    auto at = std::find_if(hits.begin(), hits.end(),
                           [&](const OperationHits &counted) {
                             return counted.operation == operation.operation;
                           });
    if (at == hits.end())
      at = hits.insert(hits.end(), OperationHits{operation.operation, 0});
    at->hits += *operation.hits;
  }
  if (rewrote)
    ++converted;
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

void RunOutcome::settleLeft() {
  const std::size_t left = found > done ? found - done : 0;
  notTouched = walkEnded ? left : 0;
  notReached = walkEnded ? 0 : left;
}

} // namespace snpln::batch
