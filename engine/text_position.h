// Where a byte of a text lies for its reader: the line and the column a
// failure names beside the byte offset.
//
// Lines are cut by the one rule of engine/line_span.h (CR LF, LF CR, a lone
// CR or a lone LF ends a line) and counted from 1; a line end's first byte
// is the last place of its line, and the place after it (its partner
// included) begins the next line. Columns count characters from 1: one per
// byte in a single-byte page; in UTF-8 one per byte that does not continue
// a sequence, and none for a byte order mark at the start of the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/text_encoding.h"

namespace snpln::engine {

struct TextPosition {
  std::uint64_t line = 1;
  std::uint64_t column = 1;
  friend bool operator==(const TextPosition &, const TextPosition &) = default;
};

// The text's bytes from its start, fed in slices of any size; position()
// is the place of the byte after the last one fed.
class TextPositionCounter {
public:
  explicit TextPositionCounter(TextEncoding encoding) : encoding_(encoding) {}
  void feed(const std::uint8_t *bytes, std::size_t size);
  TextPosition position() const { return {line_, column_}; }

private:
  TextEncoding encoding_;
  std::uint64_t line_ = 1;
  std::uint64_t column_ = 1;
  std::uint64_t fed_ = 0;
  // The byte that would pair with the line end just fed (0 when none).
  std::uint8_t partner_ = 0;
  // How many bytes of a byte order mark the text began with (4: none).
  std::uint64_t bomMatched_ = 0;
};

// The place of bytes[offset] (offset <= size: at size, the end of the
// text) in one pass over the whole text, by lines: the plain reference of
// the counter.
TextPosition textPositionAt(std::string_view bytes, std::size_t offset,
                            TextEncoding encoding);

// The character whose UTF-8 begins at bytes[0], when the bytes hold it
// whole and valid.
std::optional<char32_t> utf8CharacterAt(const std::uint8_t *bytes,
                                        std::size_t size);

// "U+20AC", with the character itself after a blank ("U+20AC €") when it
// is one that shows (not a control, a format character or a noncharacter).
std::string characterName(char32_t code);

} // namespace snpln::engine
