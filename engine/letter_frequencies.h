// How well a reading of single-byte text fits Russian: the bytes read as
// one code page, each Cyrillic letter (case folded, Ё with Е kept apart)
// scored by how common it is in Russian and by how common it is after the
// letter before it, each other byte above 0x7F scored as an unlikely sign.
// Detection uses it where the letter counts cannot tell code pages apart.
//
// The scores are natural logarithms in eighths: the letters' frequencies
// as published for Russian text, and for each pair of letters the ratio of
// its frequency in running Russian prose to what the two letters' own
// frequencies predict.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/code_page.h"

namespace snpln::engine {

struct ReadingFit {
  long score = 0;        // higher fits better
  unsigned letters = 0;  // Cyrillic letters in the reading
  unsigned capitals = 0; // of which capitals
};

// `page` is a single-byte page.
ReadingFit fitOfReading(const std::uint8_t *sample, std::size_t size,
                        CodePage page);

} // namespace snpln::engine
