// One press of the start button: the whole run over the file list.
//
// runBatch() checks that a name and an operation are chosen (a refusal only
// writes the status line and keeps the selection), asks once for the
// parameters the selected operations need, moves the filter text to the top
// of the filter list, and then makes one pass over the file list for every
// selected operation in ascending order: a file gets one job, a directory is
// walked once per mask. A job (or walk) ending with Stop ends the run at
// once. Every run past the two checks ends with the selection reset and
// "No action selected" on the status line.
#pragma once

#include "batch/batch_host.h"
#include "batch/directory_walk.h"
#include "batch/run_parameters.h"
#include "batch/selection_state.h"
#include "platform/file_system.h"

namespace snpln::batch {

// `walkHooks` go to every directory walk of the run.
void runBatch(SelectionState &selection, BatchHost &host,
              platform::FileSystem &fs = platform::realFileSystem(),
              const WalkHooks &walkHooks = {});

} // namespace snpln::batch
