// A plain whole-buffer reference of recoding with UTF-16 on a side: the
// whole text decoded to its characters first (stopping at the first fault),
// then each character written in the target. No slices, no held-back
// bytes, no byte tricks. And the streaming engine run over a text at a
// given slice size, for comparing the two.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>

#include "engine/code_page.h"
#include "engine/recode_slice.h"

namespace snpln::test {

struct RecodeOutcome {
  std::string out; // nothing when there is a fault
  engine::RecodeFault fault = engine::RecodeFault::None;
  std::uint64_t offset = 0;
  std::uint64_t substituted = 0; // 0 when there is a fault
  friend bool operator==(const RecodeOutcome &,
                         const RecodeOutcome &) = default;
};

std::ostream &operator<<(std::ostream &os, const RecodeOutcome &o);

RecodeOutcome referenceUtf16Recode(const std::string &text,
                                   engine::CodePage source,
                                   engine::CodePage target,
                                   bool substitute = false);

// The engine over `text` (the source resolved: Utf16Le or Utf16Be, not
// Utf16) in slices of `slice` bytes.
RecodeOutcome streamedRecode(const std::string &text, engine::CodePage source,
                             engine::CodePage target, std::size_t slice,
                             bool substitute = false);

} // namespace snpln::test
