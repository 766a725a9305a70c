// One walk of a tree whose files each get a run through a scripted host,
// once per file (the visited files), as a run gives them: the walk's
// order, its passed-over entries and its unreadable directories recorded
// in the host and in the pass.
#pragma once

#include <set>
#include <string>

#include "batch/directory_walk.h"
#include "batch/visited_files.h"
#include "job/job_request.h"
#include "tests/support/scripted_batch_host.h"

namespace snpln::test {

// What the walks of one run share.
struct WalkPass {
  batch::VisitedFiles visited;
  int unreadableDirectories = 0;
  std::set<std::string> passedOver;
};

batch::WalkOutcome
walkWithHost(const std::string &directory, const std::string &mask,
             job::OperationCode operation, const job::RunParameters &parameters,
             ScriptedBatchHost &host,
             platform::FileSystem &fs = platform::realFileSystem(),
             const batch::WalkHooks &hooks = {}, WalkPass *pass = nullptr);

} // namespace snpln::test
