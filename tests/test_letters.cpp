#include "engine/letters.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/utf8.h"
#include "tests/support/reference_utf8_engines.h"

namespace snpln::test {
namespace {

using engine::isLetterChar;
using engine::toLowerChar;
using engine::toUpperChar;

struct ByteRange {
  unsigned first, last;
  bool letter;
  int upperShift; // toUpperChar(c) - c
  int lowerShift; // toLowerChar(c) - c
};

// Every byte value falls in exactly one row.
const ByteRange kRanges[] = {
    {0x00, 0x40, false, 0, 0},    {0x41, 0x5A, true, 0, +0x20},
    {0x5B, 0x60, false, 0, 0},    {0x61, 0x7A, true, -0x20, 0},
    {0x7B, 0xBF, false, 0, 0},    {0xC0, 0xDF, true, 0, +0x20},
    {0xE0, 0xFF, true, -0x20, 0},
};

TEST(Letters, EveryByteValueMapsAsItsRangeSays) {
  unsigned covered = 0;
  for (const ByteRange &r : kRanges) {
    for (unsigned c = r.first; c <= r.last; ++c, ++covered) {
      const auto b = static_cast<std::uint8_t>(c);
      EXPECT_EQ(isLetterChar(b), r.letter) << "byte " << c;
      EXPECT_EQ(int(toUpperChar(b)), int(c) + r.upperShift) << "byte " << c;
      EXPECT_EQ(int(toLowerChar(b)), int(c) + r.lowerShift) << "byte " << c;
      EXPECT_EQ(engine::kUpperCaseTable[c], toUpperChar(b));
      EXPECT_EQ(engine::kLowerCaseTable[c], toLowerChar(b));
      EXPECT_EQ(engine::kLetterTable[c], isLetterChar(b));
    }
  }
  EXPECT_EQ(covered, 256u);
}

TEST(Letters, YoIsNeitherLetterNorFolded) {
  for (std::uint8_t yo : {std::uint8_t{0xA8}, std::uint8_t{0xB8}}) {
    EXPECT_FALSE(isLetterChar(yo));
    EXPECT_EQ(toUpperChar(yo), yo);
    EXPECT_EQ(toLowerChar(yo), yo);
  }
}

// UTF-8 units, as the engines cut a file.

std::vector<std::string> engineUnits(const std::string &text) {
  std::vector<std::string> units;
  const auto *bytes = reinterpret_cast<const std::uint8_t *>(text.data());
  for (std::size_t i = 0; i < text.size();) {
    const engine::Utf8Unit unit =
        engine::utf8UnitAtEnd(bytes + i, text.size() - i);
    units.push_back(text.substr(i, unit.length));
    i += unit.length;
  }
  return units;
}

struct UnitCase {
  const char *name;
  std::string text;
  std::vector<std::string> units;
};

TEST(Utf8Unit, CutsWellFormedSequencesAndLoneBytes) {
  const std::vector<UnitCase> cases = {
      {"ascii and Cyrillic", "aЖ", {"a", "Ж"}},
      {"three and four bytes", "€😀", {"€", "😀"}},
      {"overlong two bytes", "\xC0\x80", {"\xC0", "\x80"}},
      {"overlong three bytes", "\xE0\x80\x80", {"\xE0", "\x80", "\x80"}},
      {"surrogate", "\xED\xA0\x80", {"\xED", "\xA0", "\x80"}},
      {"last before surrogates", "\xED\x9F\xBF", {"\xED\x9F\xBF"}},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", {"\xF4", "\x90", "\x80", "\x80"}},
      {"U+10FFFF", "\xF4\x8F\xBF\xBF", {"\xF4\x8F\xBF\xBF"}},
      {"F5 and up", "\xF5\xFF", {"\xF5", "\xFF"}},
      {"cut short by a letter",
       "\xD0"
       "a",
       {"\xD0", "a"}},
      {"cut short by the end", "a\xE2\x82", {"a", "\xE2", "\x82"}},
      {"lone continuation", "\x80ж", {"\x80", "ж"}},
  };
  for (const UnitCase &c : cases) {
    EXPECT_EQ(referenceUtf8Units(c.text), c.units) << "reference, " << c.name;
    EXPECT_EQ(engineUnits(c.text), c.units) << c.name;
  }
}

TEST(Utf8Unit, AnIncompleteSequenceAsksForMoreBytes) {
  const auto unit = [](const char *bytes, std::size_t n) {
    return engine::utf8Unit(reinterpret_cast<const std::uint8_t *>(bytes), n);
  };
  EXPECT_EQ(unit("\xD0", 1).length, 0u);
  EXPECT_EQ(unit("\xF0\x9F\x98", 3).length, 0u);
  EXPECT_EQ(unit("\xE0\x80", 2).length, 1u); // can never become one
  EXPECT_EQ(unit("\xC1", 1).length, 1u);
  const engine::Utf8Unit yo = unit("\xD1\x91", 2);
  EXPECT_EQ(yo.length, 2u);
  EXPECT_EQ(yo.codePoint, 0x451u);
}

TEST(Utf8Unit, AgreesWithTheReferenceOnRandomBytes) {
  std::mt19937 rng(8);
  for (int round = 0; round < 3000; ++round) {
    std::string text(rng() % 12, ' ');
    for (char &c : text)
      c = static_cast<char>(rng() % 3 == 0 ? 0x80 + rng() % 0x40
                                           : 0xC0 + rng() % 0x40);
    ASSERT_EQ(engineUnits(text), referenceUtf8Units(text))
        << testing::PrintToString(text);
  }
}

TEST(Utf8Letters, CaseMapsKeepTheLengthAndPairUp) {
  for (std::uint32_t c = 0; c < 0x800; ++c) {
    const std::uint32_t up = engine::toUpperCodePoint(c);
    const std::uint32_t down = engine::toLowerCodePoint(c);
    std::uint8_t a[4], b[4];
    EXPECT_EQ(engine::encodeUtf8(up, a), engine::encodeUtf8(c, b)) << c;
    EXPECT_EQ(engine::encodeUtf8(down, a), engine::encodeUtf8(c, b)) << c;
    if (engine::isUtf8Small(c)) {
      EXPECT_TRUE(engine::isUtf8Capital(up)) << c;
      EXPECT_EQ(engine::toLowerCodePoint(up), c) << c;
    } else if (engine::isUtf8Capital(c)) {
      EXPECT_TRUE(engine::isUtf8Small(down)) << c;
      EXPECT_EQ(engine::toUpperCodePoint(down), c) << c;
    } else {
      EXPECT_EQ(up, c);
      EXPECT_EQ(down, c);
      EXPECT_FALSE(engine::isUtf8Letter(c));
    }
  }
  EXPECT_EQ(engine::toUpperCodePoint(0x451), 0x401u); // ё
  EXPECT_EQ(engine::toLowerCodePoint(0x42F), 0x44Fu); // Я
}

} // namespace
} // namespace snpln::test
