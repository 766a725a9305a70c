#include "engine/recode_slice.h"
#include "engine/recode_tables.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "tests/support/memory_file.h"

namespace snpln::test {
namespace {

using engine::CodePage;
using engine::recodeByte;

constexpr CodePage kPages[] = {CodePage::Dos, CodePage::Win, CodePage::Koi,
                               CodePage::Iso};

std::string nameOf(CodePage page) {
  switch (page) {
  case CodePage::Dos:
    return "Dos";
  case CodePage::Win:
    return "Win";
  case CodePage::Koi:
    return "Koi";
  case CodePage::Iso:
    return "Iso";
  default:
    return "Auto";
  }
}

std::uint8_t recode(unsigned b, CodePage from, CodePage to) {
  return recodeByte(static_cast<std::uint8_t>(b), from, to);
}

TEST(RecodeTables, PrecomputedMapEqualsSearchingDefinition) {
  for (CodePage from : kPages)
    for (CodePage to : kPages) {
      const engine::RecodeMap map = engine::makeRecodeMap(from, to);
      for (unsigned b = 0; b < 256; ++b)
        ASSERT_EQ(int{map[b]}, int{recode(b, from, to)})
            << nameOf(from) << "->" << nameOf(to) << " byte " << b;
    }
}

TEST(RecodeTables, RoundTripsGiveBackEveryByte) {
  const std::pair<CodePage, CodePage> trips[] = {
      {CodePage::Dos, CodePage::Win}, {CodePage::Win, CodePage::Dos},
      {CodePage::Dos, CodePage::Koi}, {CodePage::Koi, CodePage::Dos},
      {CodePage::Win, CodePage::Koi}, {CodePage::Koi, CodePage::Win},
  };
  for (const auto &[a, b] : trips)
    for (unsigned x = 0; x < 256; ++x)
      ASSERT_EQ(int{recode(recode(x, a, b), b, a)}, int(x))
          << nameOf(a) << "->" << nameOf(b) << "->" << nameOf(a) << " " << x;
}

// Each table as a list of the target bytes it holds, with their number.
std::multiset<int> entriesOf(const std::array<std::uint8_t, 128> &table) {
  return {table.begin(), table.end()};
}

TEST(RecodeTables, WinAndKoiTablesAreOneToOne) {
  for (const auto *table : {&engine::kDosToWin, &engine::kDosToKoi}) {
    const auto entries = entriesOf(*table);
    for (int b = 0x80; b < 0x100; ++b)
      EXPECT_EQ(entries.count(b), 1u) << "byte " << b;
  }
}

TEST(RecodeTables, IsoTableCoversB0ToDFTwiceAndLeavesGaps) {
  const auto entries = entriesOf(engine::kDosToIso);
  for (int b = 0x80; b < 0x100; ++b) {
    std::size_t expected = 1;
    if (b >= 0xB0 && b <= 0xDF)
      expected = 2;
    else if (b <= 0xA1 || (b >= 0xA3 && b <= 0xAF) || b == 0xF0)
      expected = 0;
    EXPECT_EQ(entries.count(b), expected) << "Iso byte " << b;
  }
}

struct Case {
  unsigned byte;
  CodePage from;
  CodePage to;
  unsigned expected;
};

TEST(RecodeTables, NamedBytes) {
  const Case cases[] = {
      // Ё and ё between Win, Dos and Koi, both ways.
      {0xA8, CodePage::Win, CodePage::Dos, 0xF0},
      {0xB8, CodePage::Win, CodePage::Dos, 0xF1},
      {0xA8, CodePage::Win, CodePage::Koi, 0xB3},
      {0xB8, CodePage::Win, CodePage::Koi, 0xA3},
      {0xF0, CodePage::Dos, CodePage::Win, 0xA8},
      {0xF1, CodePage::Dos, CodePage::Win, 0xB8},
      {0xB3, CodePage::Koi, CodePage::Win, 0xA8},
      {0xA3, CodePage::Koi, CodePage::Win, 0xB8},
      // Iso holds Ё at A2, and its own A1 is in no entry.
      {0xF0, CodePage::Dos, CodePage::Iso, 0xA2},
      {0xA8, CodePage::Win, CodePage::Iso, 0xA2},
      {0xA2, CodePage::Iso, CodePage::Dos, 0xF0},
      {0xA1, CodePage::Iso, CodePage::Dos, 0x80},
      {0xA1, CodePage::Iso, CodePage::Win, 0xC0},
      {0xA1, CodePage::Iso, CodePage::Koi, 0xE1},
      // Iso F0 and the other bytes no entry holds become capital А.
      {0xF0, CodePage::Iso, CodePage::Dos, 0x80},
      {0xF0, CodePage::Iso, CodePage::Win, 0xC0},
      {0xF0, CodePage::Iso, CodePage::Koi, 0xE1},
      {0x80, CodePage::Iso, CodePage::Win, 0xC0},
      {0xAF, CodePage::Iso, CodePage::Koi, 0xE1},
      // Symbols that go by position, not by meaning.
      {0xFC, CodePage::Dos, CodePage::Win, 0xBA},
      {0xF9, CodePage::Dos, CodePage::Koi, 0x9E},
      {0xFA, CodePage::Dos, CodePage::Koi, 0x95},
      {0xFF, CodePage::Dos, CodePage::Koi, 0xBF},
      {0xFF, CodePage::Dos, CodePage::Iso, 0xFF},
  };
  for (const Case &c : cases)
    EXPECT_EQ(int{recode(c.byte, c.from, c.to)}, int(c.expected))
        << nameOf(c.from) << "->" << nameOf(c.to) << " byte " << c.byte;
}

TEST(RecodeTables, DosBoxDrawingBecomesIsoLettersAndComesBackAsLetters) {
  for (unsigned b = 0xB0; b <= 0xDF; ++b) {
    EXPECT_EQ(int{recode(b, CodePage::Dos, CodePage::Iso)}, int(b));
    EXPECT_EQ(int{recode(b, CodePage::Iso, CodePage::Dos)}, int(b - 0x30));
  }
}

// Russian prose in UTF-8, converted by the C library into each code page.
std::string readProse() {
  const auto path =
      std::filesystem::path(SNPLN_TEST_DATA_DIR) / "russian_prose.txt";
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

std::string iconvName(CodePage page) {
  switch (page) {
  case CodePage::Dos:
    return "CP866";
  case CodePage::Win:
    return "CP1251";
  case CodePage::Koi:
    return "KOI8-R";
  default:
    return "ISO-8859-5";
  }
}

// The C library's conversion of `text`; empty when it fails.
std::string convert(const std::string &text, const std::string &from,
                    const std::string &to) {
  iconv_t cd = iconv_open(to.c_str(), from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1))
    return {};
  std::string out(text.size() * 4, '\0');
  char *in = const_cast<char *>(text.data());
  std::size_t inLeft = text.size();
  char *dest = out.data();
  std::size_t outLeft = out.size();
  const std::size_t r = iconv(cd, &in, &inLeft, &dest, &outLeft);
  iconv_close(cd);
  if (r == static_cast<std::size_t>(-1) || inLeft != 0)
    return {};
  out.resize(out.size() - outLeft);
  return out;
}

std::string fromUtf8(const std::string &utf8, CodePage page) {
  return convert(utf8, "UTF-8", iconvName(page));
}

// Every Dos byte that the tables send to the character of the same meaning,
// checked one by one against the C library.
TEST(RecodeTables, SameMeaningEntriesAgreeWithIconv) {
  struct Range {
    CodePage to;
    unsigned first, last;
  };
  const Range ranges[] = {
      {CodePage::Win, 0x80, 0xAF}, {CodePage::Win, 0xE0, 0xF1},
      {CodePage::Koi, 0x80, 0xF1}, {CodePage::Koi, 0xF8, 0xF8},
      {CodePage::Koi, 0xFB, 0xFB}, {CodePage::Koi, 0xFE, 0xFE},
      {CodePage::Iso, 0x80, 0xAF}, {CodePage::Iso, 0xE0, 0xEF},
      {CodePage::Iso, 0xF1, 0xF1},
  };
  int checked = 0;
  for (const Range &r : ranges)
    for (unsigned b = r.first; b <= r.last; ++b) {
      const std::string theirs = convert(std::string(1, static_cast<char>(b)),
                                         "CP866", iconvName(r.to));
      ASSERT_EQ(theirs.size(), 1u) << nameOf(r.to) << " Dos byte " << b;
      EXPECT_EQ(int{recode(b, CodePage::Dos, r.to)},
                int{static_cast<std::uint8_t>(theirs[0])})
          << nameOf(r.to) << " Dos byte " << b;
      ++checked;
    }
  EXPECT_EQ(checked, 48 + 18 + 114 + 3 + 48 + 16 + 1);
}

std::string recodeStreaming(const std::string &text, CodePage from,
                            CodePage to) {
  MemoryStream m(text, 64);
  engine::RecodeState state(from, to);
  runSteps([&] { return engine::recodeSlice(m.stream, state); });
  return m.out.data;
}

// Recoding real text agrees with the C library's converter, except for Ё
// where Iso is involved: it is written as Iso A2 (not ISO 8859-5's A1), and
// Iso A1, which no entry holds, is read as the target's capital А.
TEST(RecodeTables, ProseAgreesWithIconvExceptIsoYo) {
  const std::string prose = readProse();
  ASSERT_GT(prose.size(), 1000u);
  std::map<CodePage, std::string> text;
  for (CodePage page : kPages) {
    text[page] = fromUtf8(prose, page);
    ASSERT_FALSE(text[page].empty()) << iconvName(page);
  }
  const std::string &dos = text[CodePage::Dos];
  for (CodePage from : kPages)
    for (CodePage to : kPages) {
      if (from == to)
        continue;
      std::string expected = text[to];
      int exempt = 0;
      for (std::size_t i = 0; i < dos.size(); ++i) {
        if (static_cast<std::uint8_t>(dos[i]) != 0xF0) // Ё
          continue;
        if (from == CodePage::Iso)
          expected[i] = static_cast<char>(recode(0x80, CodePage::Dos, to));
        else if (to == CodePage::Iso)
          expected[i] = static_cast<char>(0xA2);
        else
          continue;
        ++exempt;
      }
      if (from == CodePage::Iso || to == CodePage::Iso) {
        EXPECT_GT(exempt, 0);
      }

      std::string byByte = text[from];
      for (char &c : byByte)
        c = static_cast<char>(recode(static_cast<std::uint8_t>(c), from, to));
      EXPECT_EQ(byByte, expected) << nameOf(from) << "->" << nameOf(to);
      EXPECT_EQ(recodeStreaming(text[from], from, to), expected)
          << nameOf(from) << "->" << nameOf(to);
    }
}

} // namespace
} // namespace snpln::test
