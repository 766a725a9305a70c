// Detection as earlier versions decided it, kept word for word so that the
// tests can show that today's rule never loses one of its right answers:
// the first 8192 bytes; UTF-8 when they are valid UTF-8 with a character of
// two bytes or more (or open with a byte order mark); else the letter
// counts of four 66-entry tables (which held two stray bytes each), the
// letter frequencies reopening close counts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/code_page.h"
#include "engine/detect_code_page.h"

namespace snpln::test {

// The counts alone.
engine::CodePage earlierCounts(const std::uint8_t *sample, std::size_t size);
// The whole rule on a sample; Auto also for binary data.
engine::CodePage earlierDetection(const std::uint8_t *sample, std::size_t size,
                                  bool cutShort);
engine::CodePage earlierDetection(const std::string &bytes);
engine::LetterCounts earlierLetterCounts(const std::uint8_t *sample,
                                         std::size_t size);

} // namespace snpln::test
