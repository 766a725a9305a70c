// The recoding engine step (operations 1 to 4): one slice read, every byte
// mapped on its own through the precomputed map, the slice written. Nothing
// but `processed` and the file positions carries across steps.
#pragma once

#include "engine/code_page.h"
#include "engine/recode_tables.h"
#include "engine/slice_stream.h"

namespace snpln::engine {

struct RecodeState {
  RecodeState(CodePage source, CodePage target);
  CodePage source;
  CodePage target;
  RecodeMap map;
};

StepResult recodeSlice(SliceStream &job, RecodeState &state);

} // namespace snpln::engine
