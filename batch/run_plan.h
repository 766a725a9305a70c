// What a run does, settled before it starts: the operations in the order
// they apply with their parameters, the names, the masks and the run's
// options. The command line builds it from its options, the window from its
// selection and its prompts; runBatch() takes it whole and asks nothing.
#pragma once

#include <atomic>
#include <cstddef>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/code_page.h"
#include "job/job_request.h"

namespace snpln::batch {

// The waits the user has cut short (Skip): the files, by their number in
// the run (FileWait::number), to leave as they are. Safe from any thread.
class WaitSkips {
public:
  void skip(std::size_t number) {
    std::lock_guard<std::mutex> lock(mutex_);
    skipped_.insert(number);
  }
  bool skipped(std::size_t number) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return skipped_.count(number) != 0;
  }

private:
  mutable std::mutex mutex_;
  std::set<std::size_t> skipped_;
};

struct RunPlan {
  // The operations, in the order they apply to each file (passOrder()).
  std::vector<job::OperationCode> operations;
  // The values every job of the run gets: texts and word options, tab
  // size, pages, line end, byte order mark, dry run, hidden, keep date,
  // substitute, allow chown.
  job::RunParameters parameters;
  // "Sa&ve upper": smart case keeps the capitals a file already has.
  bool saveUpper = false;
  // The names in order, each exactly as its source delivered it: a file
  // gets one run of every operation, a directory is walked once per mask.
  std::vector<std::string> names;
  // The masks the walks take (never empty: "*.*" when none is given).
  std::vector<std::string> masks;
  // How many files may compute at once (1: one after another on the
  // caller's thread).
  int workers = 1;
  // New bytes per engine step: the product's; tests may set less.
  std::size_t sliceSize = 8192;
  // Set from anywhere (a signal handler, the CANCEL button): every running
  // job is cancelled at its next slice, each file left whole, and no other
  // job starts. Null: never.
  const std::atomic<bool> *cancel = nullptr;
  // The waiting files the user skipped (null: none is ever skipped: a
  // file another program holds is waited for until it is free or the run
  // is cancelled).
  const WaitSkips *skips = nullptr;

  bool canceled() const { return cancel && cancel->load(); }
};

// The operation that recodes into `page`; nothing for Auto.
std::optional<job::OperationCode> recodingTo(engine::CodePage page);
// `operations` in pass order, each once.
std::vector<job::OperationCode>
inPassOrder(const std::vector<job::OperationCode> &operations);

// The number of workers a run takes by default: the machine's cores (1 when
// they cannot be counted).
int defaultWorkers();

} // namespace snpln::batch
