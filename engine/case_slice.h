// The case engine step for operation 0 (upper), 5 (lower) and 6 (smart case).
// Carried across steps: `caseHistory`, the last 254 output bytes, which the
// smart case looks back over. The capitalised-word rule may look one byte
// past the slice (the file position is put back).
#pragma once

#include <cstdint>

#include "engine/slice_stream.h"

namespace snpln::engine {

struct CaseState {
  CaseState(std::uint8_t operation, bool saveUpper);
  std::uint8_t operation;
  bool saveUpper;
  // caseHistory: ring of the most recent output bytes (at most 254), kept
  // by the implementation.
  std::uint8_t history[254] = {};
  unsigned historySize = 0;
  unsigned historyStart = 0;
};

StepResult caseSlice(SliceStream &job, CaseState &state);

} // namespace snpln::engine
