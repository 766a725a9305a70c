#include "engine/letters.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace snpln::test
