// Which line ends a text uses: the census over pieces of every size against
// the whole-text reference, in bytes and in UTF-16 units of both orders.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/line_end_census.h"

using namespace snpln::engine;

namespace {

std::vector<std::uint8_t> inUnits(const std::string &text, LineUnits units) {
  std::vector<std::uint8_t> bytes;
  for (char c : text) {
    const auto b = static_cast<std::uint8_t>(c);
    if (units == LineUnits::Bytes) {
      bytes.push_back(b);
    } else if (units == LineUnits::Utf16Le) {
      bytes.push_back(b);
      bytes.push_back(0);
    } else {
      bytes.push_back(0);
      bytes.push_back(b);
    }
  }
  return bytes;
}

} // namespace

TEST(LineEndCensus, EachPieceSizeAgreesWithTheWholeText) {
  const struct {
    std::string text;
    LineEndKinds kinds;
  } cases[] = {
      {"", LineEndKinds::None},
      {"one line", LineEndKinds::None},
      {"a\nb\n", LineEndKinds::Lf},
      {"a\nb", LineEndKinds::Lf},
      {"\n", LineEndKinds::Lf},
      {"\n\n\n", LineEndKinds::Lf},
      {"a\r\nb\r\n", LineEndKinds::CrLf},
      {"\r\n", LineEndKinds::CrLf},
      {"a\rb\r", LineEndKinds::Cr},
      {"\r", LineEndKinds::Cr},
      {"a\n\rb\n\r", LineEndKinds::LfCr},
      // CR LF CR: one CR LF, then a lone CR.
      {"a\r\n\rb", LineEndKinds::Mixed},
      {"a\r\nb\n", LineEndKinds::Mixed},
      {"a\nb\r", LineEndKinds::Mixed},
      // LF LF: two LF; CR CR: two CR.
      {"a\n\nb", LineEndKinds::Lf},
      {"a\r\rb", LineEndKinds::Cr},
      {"x\r\n\r\n\r\n", LineEndKinds::CrLf},
  };
  for (const LineUnits units :
       {LineUnits::Bytes, LineUnits::Utf16Le, LineUnits::Utf16Be}) {
    for (const auto &c : cases) {
      const std::vector<std::uint8_t> bytes = inUnits(c.text, units);
      SCOPED_TRACE(testing::PrintToString(c.text) + " units " +
                   std::to_string(static_cast<int>(units)));
      EXPECT_EQ(lineEndKindsOf(bytes.data(), bytes.size(), units), c.kinds);
      for (const std::size_t piece :
           std::initializer_list<std::size_t>{1, 2, 3, 7, 64, 8192}) {
        LineEndCensus census(units);
        for (std::size_t at = 0; at < bytes.size(); at += piece)
          census.add(bytes.data() + at, std::min(piece, bytes.size() - at));
        EXPECT_EQ(census.result(), c.kinds) << "pieces of " << piece;
      }
    }
  }
}

// A UTF-16 unit whose high byte is 0x0A or 0x0D is no line end (U+0A0D is
// a Gurmukhi letter), in either order.
TEST(LineEndCensus, Utf16UnitsAreReadWhole) {
  const std::uint8_t le[] = {0x0D, 0x0A, 0x0A, 0x0D};
  EXPECT_EQ(lineEndKindsOf(le, sizeof le, LineUnits::Utf16Le),
            LineEndKinds::None);
  LineEndCensus census(LineUnits::Utf16Be);
  census.add(le, 1);
  census.add(le + 1, 3);
  EXPECT_EQ(census.result(), LineEndKinds::None);
}
