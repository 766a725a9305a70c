// Whole-buffer reference versions of the case and exclusion engines, written
// plainly from the rules (no slices, no look-ahead reads, no fast paths), to
// check the streaming engines against.
#pragma once

#include "engine/case_slice.h"

#include <cstdint>
#include <string>

#include "engine/exclusion_slice.h"

namespace snpln::test {

// The whole file after a case operation.
std::string referenceCase(const std::string &bytes,
                          engine::CaseOperation operation, bool saveUpper);

// The whole file after exclusion of `search` (replacing it by `replace`);
// `hits` receives the number of occurrences.
std::string referenceExclusion(const std::string &bytes,
                               const std::string &search,
                               const std::string &replace,
                               const engine::ExclusionOptions &options,
                               std::uint64_t *hits);

// UTF-8 text with Russian letters as Windows-1251 bytes (other characters
// must be ASCII), so tests can be written readably.
std::string win1251(const std::string &utf8);

} // namespace snpln::test
