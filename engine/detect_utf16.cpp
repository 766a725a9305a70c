#include "engine/detect_utf16.h"

#include <cstring>

namespace snpln::engine {

namespace {

enum class UnitKind : std::uint8_t { Other, Sign, Letter };

// What a unit without a mark is: a letter (ASCII or Cyrillic), another
// character text holds, or anything else.
UnitKind kindOf(std::uint16_t unit) {
  const unsigned high = unit >> 8;
  const unsigned low = unit & 0xFFu;
  switch (high) {
  case 0x00:
    if ((low >= 'a' && low <= 'z') || (low >= 'A' && low <= 'Z'))
      return UnitKind::Letter;
    if (low == '\t' || low == '\n' || low == '\r' ||
        (low >= 0x20 && low <= 0x7E) || low >= 0xA0)
      return UnitKind::Sign;
    return UnitKind::Other;
  case 0x04:
    return UnitKind::Letter;
  case 0x20: // punctuation, the euro and rouble signs
    return low <= 0x6F || low == 0xAC || low == 0xBD ? UnitKind::Sign
                                                     : UnitKind::Other;
  case 0x21: // letterlike signs (№, ™) and arrows
  case 0x25: // box drawing, blocks and shapes
    return UnitKind::Sign;
  default:
    return UnitKind::Other;
  }
}

} // namespace

bool utf16MarkHolds(const std::uint8_t *rest, std::size_t size,
                    ByteOrder order) {
  if (size == 0 || std::memchr(rest, 0, size) != nullptr)
    return true;
  const std::size_t units = size / 2;
  std::size_t usual = 0;
  for (std::size_t i = 0; i < units; ++i) {
    const unsigned high = readUnit(rest + 2 * i, order) >> 8;
    usual += high == 0x04 || high == 0x20;
  }
  return units > 0 && usual * 2 >= units;
}

CodePage unmarkedUtf16(const std::uint8_t *bytes, std::size_t size,
                       bool cutShort) {
  if (size < 2 || (size % 2 != 0 && !cutShort))
    return CodePage::Auto;
  const std::size_t units = size / 2;
  std::size_t letters[2] = {0, 0};
  bool text[2] = {true, true};
  for (const ByteOrder order : {ByteOrder::Little, ByteOrder::Big}) {
    const auto k = static_cast<std::size_t>(order);
    for (std::size_t i = 0; i < units && text[k]; ++i) {
      const UnitKind kind = kindOf(readUnit(bytes + 2 * i, order));
      text[k] = kind != UnitKind::Other;
      letters[k] += kind == UnitKind::Letter;
    }
  }
  const auto le = static_cast<std::size_t>(ByteOrder::Little);
  const auto be = static_cast<std::size_t>(ByteOrder::Big);
  if (text[le] && (!text[be] || letters[le] >= letters[be]))
    return CodePage::Utf16Le;
  if (text[be])
    return CodePage::Utf16Be;
  return CodePage::Auto;
}

} // namespace snpln::engine
