// The case engine step for upper, lower and smart (sentence) case.
//
// Each call handles one slice in place and writes it to the temporary file,
// or returns Finished once the whole file has been consumed (an empty file
// finishes on its first call). Upper and lower case map every letter on its
// own. Smart case writes letters small except the first letter of a sentence;
// with `saveUpper` it keeps existing capitals, and it keeps a capitalised word
// (a capital after a blank followed by a small letter).
//
// Carried across steps: `caseHistory`, the last 254 output bytes, which the
// smart case looks back over. The capitalised-word rule may look one byte
// past the slice (the file position is put back; a failed look-ahead is
// ReadFailed).
#pragma once

#include <cstdint>
#include <vector>

#include "engine/slice_stream.h"

namespace snpln::engine {

inline constexpr unsigned kCaseHistorySize = 254;

enum class CaseOperation : std::uint8_t { Upper, Lower, Smart };

struct CaseState {
  CaseState(CaseOperation operation, bool saveUpper);
  CaseOperation operation;
  bool saveUpper;
  // caseHistory: the most recent output bytes of the job, oldest first,
  // at most kCaseHistorySize.
  std::uint8_t history[kCaseHistorySize] = {};
  unsigned historySize = 0;
  // The slice as read, while smart case rewrites it in place.
  std::vector<std::uint8_t> original;
  // Which bytes of the slice are letters (1) or not (0).
  std::vector<std::uint8_t> letters;
};

StepResult caseSlice(SliceStream &job, CaseState &state);

} // namespace snpln::engine
