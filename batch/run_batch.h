// The run: every operation of a plan over its names, in one sweep.
//
// runBatch(plan, observer) asks nothing: it goes once through the names, a
// directory walked once per mask, and hands each file to one run of every
// operation (job::runFile: one streaming pass, one rewrite at most). Each
// file is run at most once, whatever names, links or masks lead to it, and
// never a backup the run made. With more than one worker the files run on
// threads while the walk goes on: a thread is started when a file is
// handed over and none is idle (none for a list of one file, for detection
// alone or for one worker, never more than files in flight); every event
// but a file's progress still comes on the caller's thread in the order of
// the walk, so the output is the same whatever the number of workers. A
// file that ends with Stop (or the plan's cancel flag) ends the run:
// running files are cancelled at their next step, each left whole, and
// nothing else starts. Each name is looked up once per run (a missing one
// again in its turn, once), and a missing one is reported and counted a
// failure; the run goes on.
//
// A directory whose walk could not go through the whole tree (out of memory)
// is reported as a failure instead of as completed.
//
// runBatch(selection, host) is one press of the window's start button: it
// checks that a name and an operation are chosen (a refusal only writes the
// status line and keeps the selection), asks once for the parameters the
// selected operations need, moves the filter text to the top of the filter
// list, builds the plan and hands it to the host's runPlan(). Every run
// past the two checks ends with the selection reset and "No action
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
