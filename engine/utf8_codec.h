// UTF-8 sequences one character at a time: strict decoding (no overlong
// forms, no surrogates, nothing above U+10FFFF) that tells an incomplete
// sequence at the end of the bytes at hand from an invalid one, and
// encoding.
#pragma once

#include <cstddef>
#include <cstdint>

namespace snpln::engine {

inline constexpr std::uint8_t kUtf8Bom[3] = {0xEF, 0xBB, 0xBF};

enum class Utf8Status : std::uint8_t {
  Ok,         // one character decoded
  Incomplete, // the bytes end inside a sequence that may still be valid
  Invalid,    // not the start of any valid sequence
};

struct Utf8Char {
  Utf8Status status = Utf8Status::Invalid;
  char32_t code = 0;
  std::size_t length = 0; // bytes taken when Ok
};

// Decodes the character that starts at bytes[0]; size > 0.
Utf8Char decodeUtf8(const std::uint8_t *bytes, std::size_t size);

// Writes the encoding of `code` (at most 4 bytes) and returns its length.
std::size_t writeUtf8(char32_t code, std::uint8_t *out);

// True when `bytes` is valid UTF-8 and holds at least one character of two
// bytes or more. An incomplete sequence at the very end counts as valid when
// `cutShort` says the bytes are the head of something longer.
bool looksLikeUtf8(const std::uint8_t *bytes, std::size_t size, bool cutShort);

} // namespace snpln::engine
