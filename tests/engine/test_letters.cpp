#include "engine/letters.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

#include "engine/code_page_chars.h"
#include "engine/utf8_codec.h"
#include "tests/support/reference_utf8_engines.h"

namespace snpln::test {
namespace {

using engine::CodePage;
using engine::isLetterChar;
using engine::toLowerChar;
using engine::toUpperChar;

// A page's Cyrillic letters as the published standards place them: runs of
// capitals, each paired with a run of small letters of the same length.
struct LetterRun {
  unsigned capital, small, count;
};

struct PageCase {
  CodePage page;
  std::vector<LetterRun> runs;
};

const std::vector<PageCase> &pageCases() {
  static const std::vector<PageCase> cases = {
      {CodePage::Dos,
       {{0x80, 0xA0, 16},  // А..П, а..п
        {0x90, 0xE0, 16},  // Р..Я, р..я
        {0xF0, 0xF1, 1},   // Ё ё
        {0xF2, 0xF3, 1},   // Є є
        {0xF4, 0xF5, 1},   // Ї ї
        {0xF6, 0xF7, 1}}}, // Ў ў
      {CodePage::Win,
       {{0xC0, 0xE0, 32},  // А..Я, а..я
        {0xA8, 0xB8, 1},   // Ё ё
        {0x80, 0x90, 1},   // Ђ ђ
        {0x81, 0x83, 1},   // Ѓ ѓ
        {0x8A, 0x9A, 1},   // Љ љ
        {0x8C, 0x9C, 4},   // Њ Ќ Ћ Џ
        {0xA1, 0xA2, 1},   // Ў ў
        {0xA3, 0xBC, 1},   // Ј ј
        {0xAA, 0xBA, 1},   // Є є
        {0xAF, 0xBF, 1},   // Ї ї
        {0xB2, 0xB3, 1},   // І і
        {0xBD, 0xBE, 1},   // Ѕ ѕ
        {0xA5, 0xB4, 1}}}, // Ґ ґ
      {CodePage::Koi,
       {{0xE0, 0xC0, 32},  // Ю А Б Ц ..., the small letters 0x20 below
        {0xB3, 0xA3, 1}}}, // Ё ё
      {CodePage::Iso,
       {{0xB0, 0xD0, 32},  // А..Я, а..я
        {0xA1, 0xF1, 12},  // Ё Ђ Ѓ Є Ѕ І Ї Ј Љ Њ Ћ Ќ
        {0xAE, 0xFE, 2}}}, // Ў Џ
      {CodePage::Mac,
       {{0x80, 0xE0, 31},  // А..Ю, а..ю
        {0x9F, 0xDF, 1},   // Я я
        {0xDD, 0xDE, 1},   // Ё ё
        {0xA2, 0xB6, 1},   // Ґ ґ
        {0xA7, 0xB4, 1},   // І і
        {0xAB, 0xAC, 1},   // Ђ ђ
        {0xAE, 0xAF, 1},   // Ѓ ѓ
        {0xB7, 0xC0, 1},   // Ј ј
        {0xB8, 0xB9, 1},   // Є є
        {0xBA, 0xBB, 1},   // Ї ї
        {0xBC, 0xBD, 1},   // Љ љ
        {0xBE, 0xBF, 1},   // Њ њ
        {0xC1, 0xCF, 1},   // Ѕ ѕ
        {0xCB, 0xCC, 1},   // Ћ ћ
        {0xCD, 0xCE, 1},   // Ќ ќ
        {0xD8, 0xD9, 1},   // Ў ў
        {0xDA, 0xDB, 1}}}, // Џ џ
      {CodePage::KoiU,
       {{0xE0, 0xC0, 32},  // as KOI8-R
        {0xB3, 0xA3, 1},   // Ё ё
        {0xB4, 0xA4, 1},   // Є є
        {0xB6, 0xA6, 2},   // І і, Ї ї
        {0xBD, 0xAD, 1}}}, // Ґ ґ
      {CodePage::Cp1125,
       {{0x80, 0xA0, 16}, // as CP866
        {0x90, 0xE0, 16},
        {0xF0, 0xF1, 1},   // Ё ё
        {0xF2, 0xF3, 1},   // Ґ ґ
        {0xF4, 0xF5, 1},   // Є є
        {0xF6, 0xF7, 1},   // І і
        {0xF8, 0xF9, 1}}}, // Ї ї
      {CodePage::Auto, {}},
      {CodePage::Utf8, {}},
  };
  return cases;
}

TEST(Letters, EveryPageHasItsOwnCyrillicLettersInPairs) {
  for (const PageCase &pc : pageCases()) {
    SCOPED_TRACE("page " + std::to_string(static_cast<int>(pc.page)));
    std::array<int, 256> upper{}, lower{};
    std::array<bool, 256> letter{};
    for (unsigned c = 0; c < 256; ++c) {
      upper[c] = lower[c] = static_cast<int>(c);
      const bool asciiCapital = c >= 'A' && c <= 'Z';
      const bool asciiSmall = c >= 'a' && c <= 'z';
      letter[c] = asciiCapital || asciiSmall;
      if (asciiCapital)
        lower[c] = static_cast<int>(c + 0x20);
      if (asciiSmall)
        upper[c] = static_cast<int>(c - 0x20);
    }
    for (const LetterRun &run : pc.runs) {
      for (unsigned i = 0; i < run.count; ++i) {
        const unsigned cap = run.capital + i, small = run.small + i;
        ASSERT_FALSE(letter[cap] || letter[small]) << "a byte twice";
        letter[cap] = letter[small] = true;
        lower[cap] = static_cast<int>(small);
        upper[small] = static_cast<int>(cap);
      }
    }
    for (unsigned c = 0; c < 256; ++c) {
      const auto b = static_cast<std::uint8_t>(c);
      EXPECT_EQ(isLetterChar(b, pc.page), letter[c]) << "byte " << c;
      EXPECT_EQ(int(toUpperChar(b, pc.page)), upper[c]) << "byte " << c;
      EXPECT_EQ(int(toLowerChar(b, pc.page)), lower[c]) << "byte " << c;
      const auto &table = engine::lettersOf(pc.page);
      EXPECT_EQ(table.upper[c], toUpperChar(b, pc.page));
      EXPECT_EQ(table.lower[c], toLowerChar(b, pc.page));
      EXPECT_EQ(table.letter[c] != 0, isLetterChar(b, pc.page));
    }
  }
}

// The fault this pins: Yo was no letter in a single-byte file, so upper
// case turned "ёлка" into "ёЛКА".
TEST(Letters, YoIsALetterInEveryPage) {
  const struct {
    CodePage page;
    std::uint8_t capital, small;
  } yo[] = {{CodePage::Dos, 0xF0, 0xF1},   {CodePage::Win, 0xA8, 0xB8},
            {CodePage::Koi, 0xB3, 0xA3},   {CodePage::Iso, 0xA1, 0xF1},
            {CodePage::Mac, 0xDD, 0xDE},   {CodePage::KoiU, 0xB3, 0xA3},
            {CodePage::Cp1125, 0xF0, 0xF1}};
  for (const auto &y : yo) {
    EXPECT_TRUE(isLetterChar(y.capital, y.page));
    EXPECT_TRUE(isLetterChar(y.small, y.page));
    EXPECT_EQ(toUpperChar(y.small, y.page), y.capital);
    EXPECT_EQ(toLowerChar(y.capital, y.page), y.small);
  }
}

// A letter's case partner is always a letter of the same page, and the
// page's letters are exactly the bytes whose characters the UTF-8 engines
// take for letters.
TEST(Letters, AgreeWithTheUtf8LettersByteForByte) {
  for (CodePage page : engine::kSingleBytePages) {
    const auto &chars = engine::charsOf(page);
    for (unsigned c = 0; c < 256; ++c) {
      const auto b = static_cast<std::uint8_t>(c);
      const std::uint32_t code = chars[c];
      EXPECT_EQ(isLetterChar(b, page), engine::isUtf8Letter(code)) << c;
      EXPECT_EQ(chars[toUpperChar(b, page)], engine::toUpperCodePoint(code))
          << c;
      EXPECT_EQ(chars[toLowerChar(b, page)], engine::toLowerCodePoint(code))
          << c;
    }
  }
}

// UTF-8 units, as the engines cut a file.

std::vector<std::string> engineUnits(const std::string &text) {
  std::vector<std::string> units;
  const auto *bytes = reinterpret_cast<const std::uint8_t *>(text.data());
  for (std::size_t i = 0; i < text.size();) {
    const engine::Utf8Char unit =
        engine::decodeUtf8AtEnd(bytes + i, text.size() - i);
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

TEST(Utf8Char, CutsWellFormedSequencesAndLoneBytes) {
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

TEST(Utf8Char, AnIncompleteSequenceAsksForMoreBytes) {
  const auto unit = [](const char *bytes, std::size_t n) {
    return engine::decodeUtf8(reinterpret_cast<const std::uint8_t *>(bytes), n);
  };
  EXPECT_EQ(unit("\xD0", 1).length, 0u);
  EXPECT_EQ(unit("\xF0\x9F\x98", 3).length, 0u);
  EXPECT_EQ(unit("\xE0\x80", 2).length, 1u); // can never become one
  EXPECT_EQ(unit("\xC1", 1).length, 1u);
  const engine::Utf8Char yo = unit("\xD1\x91", 2);
  EXPECT_EQ(yo.length, 2u);
  EXPECT_EQ(yo.code, 0x451u);
}

TEST(Utf8Char, AgreesWithTheReferenceOnRandomBytes) {
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
