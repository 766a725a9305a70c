// Code page detection from a file's first 8192 bytes.
// In: the job's input positioned at the start. Out: whether the file is text
// at all (a zero byte says it is not), and its code page: Utf8 for valid
// UTF-8 holding a character of two bytes or more, or opening with a byte
// order mark; otherwise Dos, Win, Koi or Iso chosen by counting letters, or
// Auto when no byte of the sample is a letter of any of the four. Where the
// counts of the leading code pages are close, or where Win and Koi tie and
// the letters of the favoured reading are mostly capitals, the reading that
// fits Russian letter frequencies clearly better wins. The input is put
// back at the start of the file afterwards.
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

enum class TextKind : std::uint8_t { Text, Binary };

struct Detection {
  TextKind kind = TextKind::Text;
  CodePage page = CodePage::Auto; // Auto for binary data
};

LetterCounts countLetters(const std::uint8_t *sample, std::size_t size);
// The letter counts alone.
CodePage chooseCodePage(const LetterCounts &counts);
// The letter counts, with the letter frequencies where the counts are weak.
CodePage chooseSingleByte(const std::uint8_t *sample, std::size_t size);
// The whole rule on a sample. `cutShort` says the sample is the head of a
// longer file, so a sequence cut by its end is no fault of the file.
Detection detectSample(const std::uint8_t *sample, std::size_t size,
                       bool cutShort);

// Reads min(fileSize, kDetectSampleSize) bytes (a failed read counts as 0
// bytes) and rewinds the input to 0.
Detection detectFile(platform::InputFile &input, platform::FileSize fileSize);
CodePage detectCodePage(platform::InputFile &input,
                        platform::FileSize fileSize);

} // namespace snpln::engine
