// The run: every pass of a plan over its names.
//
// runBatch(plan, observer) asks nothing: it makes one pass over the names
// for every operation of the plan, in order; a file gets one job, a
// directory is walked once per mask. Each file is rewritten at most once
// per pass, whatever names, links or masks lead to it. With more than one
// worker the jobs of a pass run on that many threads while the walk goes
// on; every event but a job's progress still comes on the caller's thread
// in the order of the walk, so the output is the same whatever the number
// of workers. A pass ends when its last job has; the next starts then. A
// job ending with Stop (or the plan's cancel flag) ends the run: running
// jobs are cancelled at their next slice, each file whole, and nothing
// else starts. Each name is looked up once per run.
//
// A directory whose walk could not go through the whole tree (out of memory)
// is reported as a failure instead of as completed.
//
// runBatch(selection, host) is one press of the window's start button: it
// checks that a name and an operation are chosen (a refusal only writes the
// status line and keeps the selection), asks once for the parameters the
// selected operations need, moves the filter text to the top of the filter
// list, builds the plan and hands it to the host's runPlan() (by default:
// on the caller's thread with the host as its observer and job runner). Every
// run past the two checks ends with the selection reset and "No action
// selected" on the status line.
#pragma once

#include "batch/batch_host.h"
#include "batch/directory_walk.h"
#include "batch/run_observer.h"
#include "batch/run_outcome.h"
#include "batch/run_plan.h"
#include "batch/selection_state.h"
#include "platform/file_system.h"

namespace snpln::batch {

// `walkHooks` go to every directory walk of the run.
RunOutcome runBatch(const RunPlan &plan, RunObserver &observer,
                    JobRunner &runner,
                    platform::FileSystem &fs = platform::realFileSystem(),
                    const WalkHooks &walkHooks = {});

RunOutcome runBatch(SelectionState &selection, BatchHost &host,
                    platform::FileSystem &fs = platform::realFileSystem(),
                    const WalkHooks &walkHooks = {});

} // namespace snpln::batch
