// The exclusion engine step for operation 7 (exclude) and 8 (replace): a
// single-pass matcher without backtracking that streams the file into the
// temporary file, putting `replaceText` in the place of every occurrence of
// `searchText`. Carried across steps: the match position, `MatchBuffer`, the
// previous byte, the output buffer and `hitCount`.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/slice_stream.h"

namespace snpln::engine {

struct ExclusionOptions {
  int leftPartOfWord = 0;
  int rightPartOfWord = 0;
  int caseInsensitive = 0;
};

struct ExclusionState {
  ExclusionState(std::string searchText, std::string replaceText,
                 ExclusionOptions options);
  std::string searchText; // at least one byte
  std::string replaceText;
  ExclusionOptions options;
  std::uint64_t hitCount = 0;
  // The matcher's own state, kept by the implementation.
  std::size_t matchPos = 1;
  std::string matchBuffer;
  std::uint8_t previousByte = 0x20;
  std::vector<std::uint8_t> output;
  std::size_t writeThreshold = 0;
};

StepResult exclusionSlice(SliceStream &job, ExclusionState &state);

} // namespace snpln::engine
