// The recoding engine step (operations 1 to 4): one slice read, every byte
// mapped on its own through the precomputed map, the slice written. Nothing
// but `processed` and the file positions carries across steps.
//
// The map is applied two bytes at a time through a 65536-entry table of
// byte pairs built from it once per job (128 KiB), which halves the lookups.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/code_page.h"
#include "engine/recode_tables.h"
#include "engine/slice_stream.h"

namespace snpln::engine {

struct RecodeState {
  RecodeState(CodePage source, CodePage target);
  CodePage source;
  CodePage target;
  RecodeMap map;
  // pairMap[a | b << 8] == map[a] | map[b] << 8.
  std::vector<std::uint16_t> pairMap;
};

StepResult recodeSlice(SliceStream &job, RecodeState &state);

} // namespace snpln::engine
