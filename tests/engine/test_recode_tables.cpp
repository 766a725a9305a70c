#include "engine/recode_slice.h"
#include "engine/recode_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/code_page_chars.h"
#include "tests/support/memory_file.h"
#include "tests/support/native_file_system.h"
#include "tests/support/russian_samples.h"

namespace snpln::test {
namespace {

using engine::CodePage;
using engine::recodeByte;

constexpr CodePage kPages[] = {CodePage::Dos,   CodePage::Win, CodePage::Koi,
                               CodePage::Iso,   CodePage::Mac, CodePage::KoiU,
                               CodePage::Cp1125};

// The pages earlier versions knew, whose fill bytes keep their old images.
bool isEarlierPage(CodePage page) {
  return page == CodePage::Dos || page == CodePage::Win ||
         page == CodePage::Koi || page == CodePage::Iso;
}

std::string nameOf(CodePage page) { return pageName(page); }

std::string hex(unsigned b) {
  std::ostringstream s;
  s << std::uppercase << std::hex << std::setw(2) << std::setfill('0') << b;
  return s.str();
}

std::uint8_t recode(unsigned b, CodePage from, CodePage to) {
  return recodeByte(static_cast<std::uint8_t>(b), from, to);
}

// The tables of earlier versions: entry i is the byte of the Dos byte
// 0x80 + i, and every recoding went through Dos, a byte that no entry held
// taking index 0. The fill bytes of today's tables keep their images.
// clang-format off
const std::array<std::uint8_t, 128> kLegacyDosToWin = {
    0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF,
    0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF,
    0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF,
    0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F,
    0x90, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9A, 0x9B, 0x9C, 0x9D, 0x9E, 0x9F,
    0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xBE, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF,
    0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF,
    0xA8, 0xB8, 0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xBF, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD,
};
const std::array<std::uint8_t, 128> kLegacyDosToKoi = {
    0xE1, 0xE2, 0xF7, 0xE7, 0xE4, 0xE5, 0xF6, 0xFA, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF, 0xF0,
    0xF2, 0xF3, 0xF4, 0xF5, 0xE6, 0xE8, 0xE3, 0xFE, 0xFB, 0xFD, 0xFF, 0xF9, 0xF8, 0xFC, 0xE0, 0xF1,
    0xC1, 0xC2, 0xD7, 0xC7, 0xC4, 0xC5, 0xD6, 0xDA, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF, 0xD0,
    0x90, 0x91, 0x92, 0x81, 0x87, 0xB2, 0xB4, 0xA7, 0xA6, 0xB5, 0xA1, 0xA8, 0xAE, 0xAD, 0xAC, 0x83,
    0x84, 0x89, 0x88, 0x86, 0x80, 0x8A, 0xAF, 0xB0, 0xAB, 0xA5, 0xBB, 0xB8, 0xB1, 0xA0, 0xBE, 0xB9,
    0xBA, 0xB6, 0xB7, 0xAA, 0xA9, 0xA2, 0xA4, 0xBD, 0xBC, 0x85, 0x82, 0x8D, 0x8C, 0x8E, 0x8F, 0x8B,
    0xD2, 0xD3, 0xD4, 0xD5, 0xC6, 0xC8, 0xC3, 0xDE, 0xDB, 0xDD, 0xDF, 0xD9, 0xD8, 0xDC, 0xC0, 0xD1,
    0xB3, 0xA3, 0x99, 0x98, 0x93, 0x9B, 0x9F, 0x97, 0x9C, 0x9E, 0x95, 0x96, 0x9A, 0x9D, 0x94, 0xBF,
};
const std::array<std::uint8_t, 128> kLegacyDosToIso = {
    0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF,
    0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF,
    0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF,
    0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF,
    0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF,
    0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF,
    0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF,
    0xA2, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF,
};
// clang-format on

const std::array<std::uint8_t, 128> *legacyTableOf(CodePage page) {
  switch (page) {
  case CodePage::Win:
    return &kLegacyDosToWin;
  case CodePage::Koi:
    return &kLegacyDosToKoi;
  case CodePage::Iso:
    return &kLegacyDosToIso;
  default:
    return nullptr;
  }
}

// What earlier versions made of byte b (0x80 or above).
unsigned legacyRecode(unsigned b, CodePage from, CodePage to) {
  unsigned index = 0;
  if (from == CodePage::Dos) {
    index = b - 0x80;
  } else {
    const auto &table = *legacyTableOf(from);
    const auto *at = std::find(table.begin(), table.end(), b);
    index = at == table.end() ? 0 : static_cast<unsigned>(at - table.begin());
  }
  return to == CodePage::Dos ? 0x80 + index : (*legacyTableOf(to))[index];
}

bool holds(CodePage page, char16_t c) {
  return engine::byteOfChar(c, page) >= 0;
}

// The table of a pair by its rule, from the characters of the two pages
// and (between the pages earlier versions knew) the legacy tables.
std::array<std::uint8_t, 128> deriveTable(CodePage low, CodePage high) {
  const engine::CharTable &lowChars = engine::charsOf(low);
  const engine::CharTable &highChars = engine::charsOf(high);
  std::array<int, 256> image;
  image.fill(-1);
  std::set<unsigned> taken;
  std::vector<unsigned> lowLeft, highLeft;
  for (unsigned b = 0x80; b < 256; ++b) {
    if (holds(high, lowChars[b])) {
      image[b] = engine::byteOfChar(lowChars[b], high);
      taken.insert(static_cast<unsigned>(image[b]));
    } else {
      lowLeft.push_back(b);
    }
    if (!holds(low, highChars[b]))
      highLeft.push_back(b);
  }
  // A leftover byte keeps its old image where that is a leftover byte of
  // the other page and still free ...
  for (unsigned b : lowLeft) {
    if (!isEarlierPage(low) || !isEarlierPage(high))
      break;
    const unsigned old = legacyRecode(b, low, high);
    const bool leftover = std::count(highLeft.begin(), highLeft.end(), old);
    if (leftover && taken.insert(old).second)
      image[b] = static_cast<int>(old);
  }
  // ... and the rest pair in ascending byte order.
  std::vector<unsigned> freeHigh;
  for (unsigned b : highLeft)
    if (!taken.count(b))
      freeHigh.push_back(b);
  std::size_t next = 0;
  for (unsigned b : lowLeft)
    if (image[b] < 0)
      image[b] = static_cast<int>(freeHigh.at(next++));
  std::array<std::uint8_t, 128> table{};
  for (unsigned i = 0; i < 128; ++i)
    table[i] = static_cast<std::uint8_t>(image[0x80 + i]);
  return table;
}

std::string sourceOf(const engine::PagePairTable &t,
                     const std::array<std::uint8_t, 128> &map) {
  std::string s = "    {CodePage::" + nameOf(t.low) +
                  ", CodePage::" + nameOf(t.high) + ", {{\n";
  for (unsigned row = 0; row < 8; ++row) {
    s += "       ";
    for (unsigned col = 0; col < 16; ++col)
      s += " 0x" + hex(map[row * 16 + col]) + ",";
    s += " // " + hex(0x80 + row * 16) + "\n";
  }
  return s + "    }}},\n";
}

TEST(RecodeTables, ConstantTablesAreTheOnesTheirRuleDerives) {
  std::set<std::pair<CodePage, CodePage>> pairs;
  std::string derived;
  bool same = true;
  for (const engine::PagePairTable &t : engine::kPagePairTables) {
    ASSERT_LT(t.low, t.high);
    pairs.insert({t.low, t.high});
    const auto map = deriveTable(t.low, t.high);
    derived += sourceOf(t, map);
    if (map != t.map) {
      same = false;
      ADD_FAILURE() << nameOf(t.low) << "-" << nameOf(t.high)
                    << " differs from its rule";
    }
  }
  EXPECT_EQ(pairs.size(), 21u);
  EXPECT_TRUE(same) << "the tables by their rule:\n" << derived;
}

TEST(RecodeTables, EveryTableIsOneToOne) {
  for (const engine::PagePairTable &t : engine::kPagePairTables) {
    std::set<unsigned> images(t.map.begin(), t.map.end());
    EXPECT_EQ(images.size(), 128u) << nameOf(t.low) << "-" << nameOf(t.high);
    EXPECT_GE(*images.begin(), 0x80u);
  }
}

TEST(RecodeTables, RoundTripsGiveBackEveryByte) {
  for (CodePage a : kPages)
    for (CodePage b : kPages)
      for (unsigned x = 0; x < 256; ++x)
        ASSERT_EQ(int{recode(recode(x, a, b), b, a)}, int(x))
            << nameOf(a) << "->" << nameOf(b) << "->" << nameOf(a) << " "
            << hex(x);
}

TEST(RecodeTables, PrecomputedMapAndFlagsEqualTheByteRule) {
  for (CodePage from : kPages)
    for (CodePage to : kPages) {
      const engine::RecodeMap map = engine::makeRecodeMap(from, to);
      const engine::ByteFlags flags = engine::noEquivalentBytes(from, to);
      for (unsigned b = 0; b < 256; ++b) {
        ASSERT_EQ(int{map[b]}, int{recode(b, from, to)})
            << nameOf(from) << "->" << nameOf(to) << " byte " << hex(b);
        const char16_t c = engine::charsOf(from)[b];
        ASSERT_EQ(flags[b], from != to && !holds(to, c))
            << nameOf(from) << "->" << nameOf(to) << " byte " << hex(b);
      }
    }
}

std::optional<std::string> convert(const std::string &text,
                                   const std::string &from,
                                   const std::string &to) {
  return convertText(text, from.c_str(), to.c_str());
}

struct EngineRun {
  engine::StepResult result;
  std::string out;
  std::uint64_t filled = 0;
};

EngineRun recodeStreaming(const std::string &text, CodePage from, CodePage to,
                          std::size_t slice = 64) {
  MemoryStream m(text, slice);
  engine::RecodeState state(from, to);
  EngineRun run;
  run.result = runSteps([&] { return engine::recodeSlice(m.stream, state); });
  run.out = m.out.data;
  run.filled = state.filled;
  return run;
}

// Mac Cyrillic has € at 0xFF, as browsers read it, where the C library's
// MAC-CYRILLIC has ¤: a character that is either, on a Mac side, is pinned
// on its own (MacEuroIsAtFF) instead.
bool macEuroSide(CodePage from, CodePage to, char16_t c) {
  return (from == CodePage::Mac || to == CodePage::Mac) &&
         (c == u'€' || c == u'¤');
}

// Windows-1251 leaves 0x98 unassigned and the C library refuses it; here it
// stands for U+0098, which ISO 8859-5 holds at 0x98 too.
bool windows1251Unassigned(CodePage from, CodePage to, unsigned b) {
  return b == 0x98 && (from == CodePage::Win || to == CodePage::Win) &&
         (from == CodePage::Iso || to == CodePage::Iso || to == CodePage::Utf8);
}

// Every byte 1..255 of every single-byte page into each of the other four
// pages (UTF-8 among them), and back from UTF-8, through the engine: the
// C library's result wherever it converts the character. Where it refuses
// the character, a single-byte target has it at a fill byte, counted.
TEST(RecodeTables, EveryByteOfEveryPairOfPagesAgreesWithIconv) {
  SNPLN_SKIP_ON_WINDOWS(
      "the reference is iconv; Windows' tables differ at 0x98 of Windows-1251");
  std::vector<CodePage> targets(std::begin(kPages), std::end(kPages));
  targets.push_back(CodePage::Utf8);
  std::map<std::string, int> agreed;
  for (CodePage from : kPages)
    for (CodePage to : targets) {
      if (from == to)
        continue;
      const std::string pair = nameOf(from) + "->" + nameOf(to);
      for (unsigned b = 1; b < 256; ++b) {
        if (macEuroSide(from, to, engine::charsOf(from)[b]) ||
            (from == CodePage::Mac && b == 0xFF))
          continue;
        const std::string one(1, static_cast<char>(b));
        const auto theirs = convert(one, iconvName(from), iconvName(to));
        const EngineRun ours = recodeStreaming(one, from, to);
        ASSERT_EQ(ours.result, engine::StepResult::Finished) << pair;
        if (theirs) {
          EXPECT_EQ(ours.out, *theirs) << pair << " byte " << hex(b);
          EXPECT_EQ(ours.filled, 0u) << pair << " byte " << hex(b);
          ++agreed[pair];
        } else if (to != CodePage::Utf8 &&
                   !windows1251Unassigned(from, to, b)) {
          EXPECT_EQ(ours.filled, 1u) << pair << " byte " << hex(b);
        }
        // The character as UTF-8, back into `from` and into `to`.
        const auto asUtf8 = convert(one, iconvName(from), "UTF-8");
        if (!asUtf8 || to == CodePage::Utf8)
          continue;
        const auto utf8Theirs = convert(*asUtf8, "UTF-8", iconvName(to));
        const EngineRun utf8Ours = recodeStreaming(*asUtf8, CodePage::Utf8, to);
        if (utf8Theirs) {
          EXPECT_EQ(utf8Ours.out, *utf8Theirs)
              << "Utf8->" << nameOf(to) << " of " << nameOf(from) << " "
              << hex(b);
        } else if (!windows1251Unassigned(from, to, b)) {
          EXPECT_EQ(utf8Ours.result, engine::StepResult::BadText)
              << "Utf8->" << nameOf(to) << " of " << nameOf(from) << " "
              << hex(b);
        }
      }
    }
  // ASCII (127) and the characters each pair shares; every byte to UTF-8
  // but Windows-1251's unassigned 0x98 (and the € and ¤ of a Mac side).
  const std::map<std::string, int> expected = {
      {"dos->win", 204},     {"dos->koi", 247},      {"dos->iso", 201},
      {"dos->mac", 203},     {"dos->koi8u", 243},    {"dos->cp1125", 251},
      {"dos->utf8", 255},    {"win->dos", 204},      {"win->koi", 197},
      {"win->iso", 223},     {"win->mac", 244},      {"win->koi8u", 205},
      {"win->cp1125", 205},  {"win->utf8", 254},     {"koi->dos", 247},
      {"koi->win", 197},     {"koi->iso", 194},      {"koi->mac", 201},
      {"koi->koi8u", 247},   {"koi->cp1125", 245},   {"koi->utf8", 255},
      {"iso->dos", 201},     {"iso->win", 223},      {"iso->koi", 194},
      {"iso->mac", 222},     {"iso->koi8u", 200},    {"iso->cp1125", 201},
      {"iso->utf8", 255},    {"mac->dos", 203},      {"mac->win", 244},
      {"mac->koi", 201},     {"mac->iso", 222},      {"mac->koi8u", 209},
      {"mac->cp1125", 204},  {"mac->utf8", 254},     {"koi8u->dos", 243},
      {"koi8u->win", 205},   {"koi8u->koi", 247},    {"koi8u->iso", 200},
      {"koi8u->mac", 209},   {"koi8u->cp1125", 245}, {"koi8u->utf8", 255},
      {"cp1125->dos", 251},  {"cp1125->win", 205},   {"cp1125->koi", 245},
      {"cp1125->iso", 201},  {"cp1125->mac", 204},   {"cp1125->koi8u", 245},
      {"cp1125->utf8", 255},
  };
  EXPECT_EQ(agreed, expected);
}

struct Case {
  unsigned byte;
  CodePage from;
  CodePage to;
  unsigned expected;
};

// The characters earlier versions changed between pages that both hold
// them, each pinned where the old tables put it elsewhere.
TEST(RecodeTables, SharedCharactersNoLongerBecomeOtherCharacters) {
  const Case cases[] = {
      // CP866 № became Windows-1251 є, √ became №, ° became ¶.
      {0xFC, CodePage::Dos, CodePage::Win, 0xB9},
      {0xF8, CodePage::Dos, CodePage::Win, 0xB0},
      {0xFA, CodePage::Dos, CodePage::Win, 0xB7}, // ·
      {0xFF, CodePage::Dos, CodePage::Win, 0xA0}, // no-break space
      {0xFD, CodePage::Dos, CodePage::Win, 0xA4}, // ¤
      {0xF2, CodePage::Dos, CodePage::Win, 0xAA}, // Є
      {0xF5, CodePage::Dos, CodePage::Win, 0xBF}, // ї
      {0xF6, CodePage::Dos, CodePage::Win, 0xA1}, // Ў
      {0xB9, CodePage::Win, CodePage::Dos, 0xFC},
      // ISO 8859-5 Ё (A1) and ё both ways; earlier A1 became А.
      {0xA1, CodePage::Iso, CodePage::Dos, 0xF0},
      {0xA1, CodePage::Iso, CodePage::Win, 0xA8},
      {0xA1, CodePage::Iso, CodePage::Koi, 0xB3},
      {0xF1, CodePage::Iso, CodePage::Koi, 0xA3},
      {0xF0, CodePage::Dos, CodePage::Iso, 0xA1},
      {0xA8, CodePage::Win, CodePage::Iso, 0xA1},
      {0xB3, CodePage::Koi, CodePage::Iso, 0xA1},
      {0xF0, CodePage::Iso, CodePage::Dos, 0xFC}, // №
      {0xA6, CodePage::Iso, CodePage::Win, 0xB2}, // І
      // Ё and ё between Win, Dos and Koi, as before.
      {0xA8, CodePage::Win, CodePage::Dos, 0xF0},
      {0xB8, CodePage::Win, CodePage::Koi, 0xA3},
      // The two dot characters of CP866 and KOI8-R, crossed before.
      {0xF9, CodePage::Dos, CodePage::Koi, 0x95},
      {0xFA, CodePage::Dos, CodePage::Koi, 0x9E},
      {0xFF, CodePage::Dos, CodePage::Koi, 0x9A},
      // Box drawing between CP866 and KOI8-R.
      {0xC9, CodePage::Dos, CodePage::Koi, 0xA5}, // ╔
      {0xAD, CodePage::Koi, CodePage::Dos, 0xBD}, // ╜
  };
  for (const Case &c : cases)
    EXPECT_EQ(hex(recode(c.byte, c.from, c.to)), hex(c.expected))
        << nameOf(c.from) << "->" << nameOf(c.to) << " byte " << hex(c.byte);
}

TEST(RecodeTables, FillBytesKeepTheirOldImagesWhereThoseAreFree) {
  const Case cases[] = {
      // CP866 box drawing kept its Windows-1251 places 80..9F.
      {0xB0, CodePage::Dos, CodePage::Win, 0x80},
      {0xCF, CodePage::Dos, CodePage::Win, 0x9F},
      // The CP866 characters KOI8-R lacks kept their free places.
      {0xF2, CodePage::Dos, CodePage::Koi, 0x99},
      {0xFD, CodePage::Dos, CodePage::Koi, 0x9D},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(hex(recode(c.byte, c.from, c.to)), hex(c.expected))
        << nameOf(c.from) << "->" << nameOf(c.to) << " byte " << hex(c.byte);
    EXPECT_EQ(c.expected, legacyRecode(c.byte, c.from, c.to));
  }
}

// The three later pages: each character they share with another page goes
// to it, and the bytes they hold alone pair in ascending order.
TEST(RecodeTables, LaterPagesShareTheirLettersAndFillInOrder) {
  const Case cases[] = {
      // і in KOI8-U, CP1125 and Mac Cyrillic is Windows-1251's і.
      {0xA6, CodePage::KoiU, CodePage::Win, 0xB3},
      {0xF7, CodePage::Cp1125, CodePage::Win, 0xB3},
      {0xB4, CodePage::Mac, CodePage::Win, 0xB3},
      {0xBD, CodePage::KoiU, CodePage::Cp1125, 0xF2}, // Ґ
      {0xB6, CodePage::Mac, CodePage::KoiU, 0xAD},    // ґ
      // Mac's capitals are CP866's, its small letters Windows-1251's but я.
      {0x8A, CodePage::Mac, CodePage::Dos, 0x8A},
      {0xE0, CodePage::Mac, CodePage::Win, 0xE0},
      {0xDF, CodePage::Mac, CodePage::Win, 0xFF},
      {0xC7, CodePage::Mac, CodePage::Win, 0xAB}, // «
      {0xDD, CodePage::Mac, CodePage::Koi, 0xB3}, // Ё
      // KOI8-R and KOI8-U differ at eight bytes: box drawing against the
      // Ukrainian letters, which fill each other's places.
      {0xA4, CodePage::Koi, CodePage::KoiU, 0xA4},
      {0xBD, CodePage::KoiU, CodePage::Koi, 0xBD},
      {0xA5, CodePage::Koi, CodePage::KoiU, 0xA5}, // ╔ in both
      // CP866's Є є Ї ї are CP1125's at other bytes; Ў ў ° ∙ fill its Ґ ґ
      // І і.
      {0xF2, CodePage::Dos, CodePage::Cp1125, 0xF4},
      {0xF5, CodePage::Dos, CodePage::Cp1125, 0xF9},
      {0xF6, CodePage::Dos, CodePage::Cp1125, 0xF2},
      {0xF9, CodePage::Dos, CodePage::Cp1125, 0xF7},
  };
  for (const Case &c : cases)
    EXPECT_EQ(hex(recode(c.byte, c.from, c.to)), hex(c.expected))
        << nameOf(c.from) << "->" << nameOf(c.to) << " byte " << hex(c.byte);
  const engine::ByteFlags koi =
      engine::noEquivalentBytes(CodePage::Koi, CodePage::KoiU);
  EXPECT_EQ(std::count(koi.begin(), koi.end(), true), 8);
}

// Mac Cyrillic's 0xFF is €, as browsers read x-mac-cyrillic; the C
// library's MAC-CYRILLIC has ¤ there (the one byte where they differ).
TEST(RecodeTables, MacEuroIsAtFF) {
  const EngineRun toUtf8 =
      recodeStreaming("\xFF", CodePage::Mac, CodePage::Utf8);
  EXPECT_EQ(toUtf8.out, "\xE2\x82\xAC");
  const EngineRun fromUtf8 =
      recodeStreaming("\xE2\x82\xAC", CodePage::Utf8, CodePage::Mac);
  EXPECT_EQ(fromUtf8.out, "\xFF");
  EXPECT_EQ(hex(recode(0x88, CodePage::Win, CodePage::Mac)), "FF");
  EXPECT_EQ(hex(recode(0xFF, CodePage::Mac, CodePage::Win)), "88");
  // ¤ (CP866 FD) has no place in Mac Cyrillic: a fill byte, counted.
  const EngineRun sign = recodeStreaming("\xFD", CodePage::Dos, CodePage::Mac);
  EXPECT_EQ(sign.filled, 1u);
  EXPECT_EQ(recodeStreaming(sign.out, CodePage::Mac, CodePage::Dos).out,
            "\xFD");
#ifndef _WIN32
  EXPECT_EQ(convert("\xFF", "MAC-CYRILLIC", "UTF-8").value_or(""), "\xC2\xA4")
      << "the C library's MAC-CYRILLIC no longer differs at 0xFF: the README "
         "says it does";
#endif
}

// A file converted from CP866 by an earlier version holds є where № was
// (Windows-1251 BA); converted back it keeps that є.
TEST(RecodeTables, OldVersionsNumeroSignComesBackAsUkrainianYe) {
  const unsigned written = legacyRecode(0xFC, CodePage::Dos, CodePage::Win);
  ASSERT_EQ(hex(written), "BA");
  EXPECT_EQ(hex(recode(written, CodePage::Win, CodePage::Dos)), "F3"); // є
  EXPECT_EQ(engine::charsOf(CodePage::Dos)[0xF3], u'є');
}

// «Цитата» — № in Windows-1251 to CP866 and back: № stays №, and «, » and —
// (which CP866 lacks) go to fill bytes, are counted, and come back.
TEST(RecodeTables, QuotesAndDashComeBackAndAreCounted) {
  const std::string win = "\xAB\xD6\xE8\xF2\xE0\xF2\xE0\xBB \x97 \xB9";
  const EngineRun dos = recodeStreaming(win, CodePage::Win, CodePage::Dos, 3);
  ASSERT_EQ(dos.result, engine::StepResult::Finished);
  EXPECT_EQ(dos.filled, 3u);
  EXPECT_EQ(dos.out.substr(1, 6), "\x96\xA8\xE2\xA0\xE2\xA0");
  EXPECT_EQ(dos.out.back(), '\xFC');
  const EngineRun back =
      recodeStreaming(dos.out, CodePage::Dos, CodePage::Win, 3);
  EXPECT_EQ(back.out, win);
  EXPECT_EQ(back.filled, 3u);
}

// Russian prose in UTF-8, converted by the C library into each code page.
std::string readProse() { return readTestData("russian_prose.txt"); }

// Recoding real text (Ё among it) agrees with the C library's
// converter between every two pages, with nothing counted as filled.
TEST(RecodeTables, ProseAgreesWithIconvBetweenEveryTwoPages) {
  const std::string prose = readProse();
  ASSERT_GT(prose.size(), 1000u);
  std::map<CodePage, std::string> text;
  for (CodePage page : kPages) {
    text[page] = convert(prose, "UTF-8", iconvName(page)).value_or("");
#ifdef _WIN32
    if (text[page].empty())
      continue; // Windows has no table of CP1125
#endif
    ASSERT_FALSE(text[page].empty()) << iconvName(page);
  }
  for (CodePage from : kPages)
    for (CodePage to : kPages) {
      if (from == to || text[from].empty() || text[to].empty())
        continue;
      const EngineRun run = recodeStreaming(text[from], from, to);
      EXPECT_EQ(run.out, text[to]) << nameOf(from) << "->" << nameOf(to);
      EXPECT_EQ(run.filled, 0u) << nameOf(from) << "->" << nameOf(to);
    }
}

// Ukrainian prose (і ї є ґ, capitals among them) in every page that holds
// all its characters agrees with the C library's converter, nothing filled.
TEST(RecodeTables, UkrainianProseAgreesWithIconvBetweenItsPages) {
  SNPLN_SKIP_ON_WINDOWS("Windows has no table of CP1125");
  const std::string prose = readTestData("ukrainian_prose.txt");
  ASSERT_GT(prose.size(), 1000u);
  const CodePage pages[] = {CodePage::Win, CodePage::Mac, CodePage::KoiU,
                            CodePage::Cp1125, CodePage::Utf8};
  std::map<CodePage, std::string> text;
  for (CodePage page : pages) {
    text[page] = convert(prose, "UTF-8", iconvName(page)).value_or("");
    ASSERT_FALSE(text[page].empty()) << iconvName(page);
  }
  for (CodePage from : pages)
    for (CodePage to : pages) {
      if (from == to)
        continue;
      const EngineRun run = recodeStreaming(text[from], from, to, 7);
      EXPECT_EQ(run.out, text[to]) << nameOf(from) << "->" << nameOf(to);
      EXPECT_EQ(run.filled, 0u) << nameOf(from) << "->" << nameOf(to);
    }
}

} // namespace
} // namespace snpln::test
