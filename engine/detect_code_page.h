// Code page detection from the letters of a file's first 8192 bytes.
// In: the job's input positioned at the start. Out: Dos, Win, Koi, Iso, or
// Auto when no byte of the sample is a letter of any of the four. The input
// is put back at the start of the file afterwards.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/code_page.h"
#include "platform/file_system.h"

namespace snpln::engine {

inline constexpr std::size_t kDetectSampleSize = 8192;

struct LetterCounts {
  unsigned dosCount = 0;
  unsigned winCount = 0;
  unsigned koiCount = 0;
  unsigned isoCount = 0;
  int lowerBalance = 0;
};

LetterCounts countLetters(const std::uint8_t *sample, std::size_t size);
CodePage chooseCodePage(const LetterCounts &counts);

// Reads min(fileSize, kDetectSampleSize) bytes (a failed read counts as 0
// bytes) and rewinds the input to 0.
CodePage detectCodePage(platform::InputFile &input,
                        platform::FileSize fileSize);

} // namespace snpln::engine
