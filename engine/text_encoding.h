// How a file's bytes make characters, for the engines that work on
// characters (case, exclusion, tab optimization): one byte per character
// (the single-byte Cyrillic code pages), or UTF-8.
#pragma once

#include <cstdint>

namespace snpln::engine {

enum class TextEncoding : std::uint8_t {
  SingleByte,
  Utf8,
};

} // namespace snpln::engine
