#include "engine/text_position.h"

#include <cstdio>

#include "engine/line_span.h"
#include "engine/utf8_codec.h"

namespace snpln::engine {

namespace {

bool startsWithBom(std::string_view bytes) {
  return bytes.size() >= 3 &&
         static_cast<std::uint8_t>(bytes[0]) == kUtf8Bom[0] &&
         static_cast<std::uint8_t>(bytes[1]) == kUtf8Bom[1] &&
         static_cast<std::uint8_t>(bytes[2]) == kUtf8Bom[2];
}

bool startsCharacter(std::uint8_t b, TextEncoding encoding) {
  return encoding == TextEncoding::SingleByte || (b & 0xC0) != 0x80;
}

bool shows(char32_t c) {
  if (c < 0x20 || (c >= 0x7F && c < 0xA0))
    return false; // C0 and C1 controls, DEL
  if (c == 0xAD || c == 0x061C || c == 0x180E || (c >= 0x200B && c <= 0x200F) ||
      (c >= 0x2028 && c <= 0x202E) || (c >= 0x2060 && c <= 0x206F) ||
      c == 0xFEFF || (c >= 0xFFF9 && c <= 0xFFFB))
    return false; // format characters and separators
  if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
    return false;
  if ((c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE)
    return false; // noncharacters
  return true;
}

} // namespace

void TextPositionCounter::feed(const std::uint8_t *bytes, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint8_t b = bytes[i];
    const std::uint64_t at = fed_++;
    if (partner_ != 0 && b == partner_) {
      partner_ = 0; // the second byte of a two-byte line end
      continue;
    }
    partner_ = 0;
    if (isLineEndByte(b)) {
      ++line_;
      column_ = 1;
      partner_ = lineEndPartner(b);
      continue;
    }
    if (encoding_ == TextEncoding::Utf8 && at < 3) {
      // A byte order mark takes no column: its first byte took one.
      bomMatched_ = at == bomMatched_ && b == kUtf8Bom[at] ? at + 1 : 4;
      if (bomMatched_ == 3)
        --column_;
    }
    if (!startsCharacter(b, encoding_))
      continue;
    ++column_;
  }
}

TextPosition textPositionAt(std::string_view bytes, std::size_t offset,
                            TextEncoding encoding) {
  const auto *data = reinterpret_cast<const std::uint8_t *>(bytes.data());
  std::size_t start = 0;
  if (encoding == TextEncoding::Utf8 && startsWithBom(bytes) && offset >= 3)
    start = 3; // the mark is no character of the first line
  TextPosition place;
  for (;;) {
    const LineSpan span = lineSpanAt(data, bytes.size(), start);
    if (offset <= span.begin + span.length || span.endLength == 0) {
      for (std::size_t i = span.begin; i < offset; ++i)
        if (startsCharacter(data[i], encoding))
          ++place.column;
      return place;
    }
    ++place.line;
    start = span.next();
    if (offset < start)
      return place; // the partner of a two-byte line end
  }
}

std::optional<char32_t> utf8CharacterAt(const std::uint8_t *bytes,
                                        std::size_t size) {
  if (size == 0)
    return std::nullopt;
  const Utf8Char c = decodeUtf8(bytes, size);
  if (c.status != Utf8Status::Ok)
    return std::nullopt;
  return c.code;
}

std::string characterName(char32_t code) {
  char number[16];
  std::snprintf(number, sizeof number, "U+%04X", static_cast<unsigned>(code));
  std::string name = number;
  if (shows(code)) {
    std::uint8_t utf8[4];
    const std::size_t length = encodeUtf8(code, utf8);
    name += ' ';
    name.append(reinterpret_cast<const char *>(utf8), length);
  }
  return name;
}

} // namespace snpln::engine
