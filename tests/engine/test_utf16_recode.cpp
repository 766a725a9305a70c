// Recoding from and to UTF-16: the streaming engine against a plain
// whole-buffer reference at every slice size, on random and real text,
// and against the C library's converter (iconv).
#include "engine/utf16_recode.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <random>
#include <string>
#include <vector>

#include "engine/code_page_chars.h"
#include "engine/recode_slice.h"
#include "engine/substitutes.h"
#include "engine/utf16.h"
#include "engine/utf8_codec.h"

#include "tests/support/memory_file.h"
#include "tests/support/reference_utf16.h"
#include "tests/support/reference_utf8_engines.h"
#include "tests/support/russian_samples.h"

namespace snpln::test {
namespace {

using engine::CodePage;
using engine::RecodeFault;
using engine::StepResult;

constexpr std::size_t kSliceSizes[] = {1, 2, 3, 7, 64, 8192};
constexpr CodePage kSingleByte[] = {CodePage::Dos, CodePage::Win, CodePage::Koi,
                                    CodePage::Iso};
constexpr CodePage kUtf16Sources[] = {CodePage::Utf16Le, CodePage::Utf16Be};
constexpr CodePage kUtf16Targets[] = {CodePage::Utf16, CodePage::Utf16Le,
                                      CodePage::Utf16Be};

// --- Text ------------------------------------------------------------------

std::string utf16Of(const std::u32string &text, CodePage page) {
  std::string out;
  for (char32_t c : text) {
    std::uint8_t buf[4];
    out.append(reinterpret_cast<char *>(buf),
               engine::writeUtf16(c, buf, engine::byteOrderOf(page)));
  }
  return out;
}

// Random characters dense in what matters: ASCII, Cyrillic, characters of
// three UTF-8 bytes, pairs of surrogates, U+FEFF, and now and then (when
// `broken`) a lone surrogate or an odd last byte.
std::string randomUtf16(std::mt19937 &rng, CodePage page, std::size_t chars,
                        bool broken) {
  static const char32_t kPool[] = {
      'a',    'Z',    ' ',    '\n',   '\r',    '0',     0x0410,
      0x044F, 0x0401, 0x0451, 0x0404, 0x00AB,  0x2014,  0x2116,
      0x20AC, 0x2500, 0xFEFF, 0xFFFD, 0x1F600, 0x10000, 0x10FFFF,
      0x0000, 0xE000, 0x4E2D, 0x00E9, 0x0436,  0x0448,  0x00A0};
  std::uniform_int_distribution<std::size_t> pick(0, std::size(kPool) - 1);
  std::uniform_int_distribution<int> percent(0, 99);
  std::u32string text;
  for (std::size_t i = 0; i < chars; ++i)
    text += kPool[pick(rng)];
  std::string out = utf16Of(text, page);
  if (broken && !out.empty()) {
    std::uniform_int_distribution<std::size_t> at(0, out.size() / 2 - 1);
    const std::size_t unit = 2 * at(rng);
    std::uint8_t lone[2];
    engine::writeUnit(percent(rng) < 50 ? 0xD834 : 0xDD1E, lone,
                      engine::byteOrderOf(page));
    out[unit] = static_cast<char>(lone[0]);
    out[unit + 1] = static_cast<char>(lone[1]);
    if (percent(rng) < 30)
      out += 'x';
  }
  return out;
}

// --- Tests -------------------------------------------------------------------

TEST(Utf16Recode, ByteOrderMarksAreToldApart) {
  const struct {
    std::string head;
    engine::BomKind kind;
  } cases[] = {
      {"", engine::BomKind::None},
      {"\xFF", engine::BomKind::None},
      {"\xFF\xFE", engine::BomKind::Utf16Le},
      {"\xFF\xFE\x00", engine::BomKind::Utf16Le},
      {std::string("\xFF\xFE\x00\x00", 4), engine::BomKind::Utf32},
      {std::string("\x00\x00\xFE\xFF", 4), engine::BomKind::Utf32},
      {std::string("\xFF\xFE\x41\x00", 4), engine::BomKind::Utf16Le},
      {"\xFE\xFF", engine::BomKind::Utf16Be},
      {"\xEF\xBB\xBF", engine::BomKind::Utf8},
      {"\xEF\xBB", engine::BomKind::None},
      {"\xFE\xFE", engine::BomKind::None},
  };
  for (const auto &c : cases)
    EXPECT_EQ(
        engine::bomKindOf(reinterpret_cast<const std::uint8_t *>(c.head.data()),
                          c.head.size()),
        c.kind)
        << testing::PrintToString(c.head);
}

TEST(Utf16Recode, RandomTextAtEverySliceSizeEqualsTheReference) {
  std::mt19937 rng(21);
  for (std::size_t round = 0; round < 40; ++round) {
    for (CodePage source : kUtf16Sources) {
      const std::string text = randomUtf16(rng, source, 1 + round * 13,
                                           /*broken=*/round % 3 == 2);
      std::vector<CodePage> targets(std::begin(kSingleByte),
                                    std::end(kSingleByte));
      targets.push_back(CodePage::Utf8);
      targets.insert(targets.end(), std::begin(kUtf16Targets),
                     std::end(kUtf16Targets));
      for (CodePage target : targets)
        for (bool substitute : {false, true}) {
          const RecodeOutcome want =
              referenceUtf16Recode(text, source, target, substitute);
          for (std::size_t slice : kSliceSizes)
            ASSERT_EQ(streamedRecode(text, source, target, slice, substitute),
                      want)
                << "round " << round << ", " << iconvName(source) << " to "
                << iconvName(target) << ", slice " << slice;
        }
    }
  }
}

TEST(Utf16Recode, EveryPageToUtf16AtEverySliceSizeEqualsTheReference) {
  std::mt19937 rng(866);
  for (CodePage source : kSingleByte) {
    std::string all;
    for (int b = 0; b < 256; ++b)
      all += static_cast<char>(b);
    std::shuffle(all.begin(), all.end(), rng);
    for (CodePage target : kUtf16Targets)
      for (std::size_t slice : kSliceSizes)
        ASSERT_EQ(streamedRecode(all, source, target, slice),
                  referenceUtf16Recode(all, source, target))
            << iconvName(source) << " to " << iconvName(target) << ", slice "
            << slice;
  }
  for (int round = 0; round < 20; ++round) {
    const std::string utf8 =
        round % 2 ? randomUtf8Text(rng, 300) : randomMostlyUtf8Bytes(rng, 300);
    for (CodePage target : kUtf16Targets)
      for (std::size_t slice : kSliceSizes)
        ASSERT_EQ(streamedRecode(utf8, CodePage::Utf8, target, slice),
                  referenceUtf16Recode(utf8, CodePage::Utf8, target))
            << "round " << round << " to " << iconvName(target) << ", slice "
            << slice;
  }
}

// Russian prose, and the same with characters outside the Basic
// Multilingual Plane, agree with iconv in every direction.
TEST(Utf16Recode, ProseEqualsTheCLibraryConverterBothWays) {
  const std::string prose = russianProse();
  const std::string astral = prose + "\xF0\x9F\x98\x80 \xF0\x90\x80\x80\n";
  for (const std::string &utf8 : {prose, astral})
    for (CodePage page : kUtf16Sources) {
      const auto utf16 = convertText(utf8, "UTF-8", iconvName(page).c_str());
      ASSERT_TRUE(utf16);
      for (std::size_t slice : kSliceSizes) {
        EXPECT_EQ(streamedRecode(*utf16, page, CodePage::Utf8, slice).out, utf8)
            << iconvName(page) << " to UTF-8, slice " << slice;
        EXPECT_EQ(streamedRecode(utf8, CodePage::Utf8, page, slice).out, *utf16)
            << "UTF-8 to " << iconvName(page) << ", slice " << slice;
      }
      // iconv's UTF-16 writes a byte order mark in the machine's order.
      const auto marked = convertText(utf8, "UTF-8", "UTF-16");
      ASSERT_TRUE(marked);
      EXPECT_EQ(streamedRecode(utf8, CodePage::Utf8, CodePage::Utf16, 8192).out,
                *marked);
      EXPECT_EQ(
          streamedRecode(*marked, CodePage::Utf16Le, CodePage::Utf8, 7).out,
          utf8);
    }
  for (CodePage single : kSingleByte) {
    const auto bytes = convertText(prose, "UTF-8", iconvName(single).c_str());
    ASSERT_TRUE(bytes) << iconvName(single);
    for (CodePage page : kUtf16Sources) {
      const auto utf16 = convertText(*bytes, iconvName(single).c_str(),
                                     iconvName(page).c_str());
      ASSERT_TRUE(utf16);
      for (std::size_t slice : kSliceSizes) {
        EXPECT_EQ(streamedRecode(*bytes, single, page, slice).out, *utf16)
            << iconvName(single) << " to " << iconvName(page) << ", slice "
            << slice;
        EXPECT_EQ(streamedRecode(*utf16, page, single, slice).out, *bytes)
            << iconvName(page) << " to " << iconvName(single) << ", slice "
            << slice;
      }
    }
  }
}

// A pair of surrogates cut by the end of a slice at every place is joined.
TEST(Utf16Recode, SurrogatePairSplitAcrossSlicesIsJoined) {
  for (CodePage page : kUtf16Sources)
    for (std::size_t lead = 0; lead < 9; ++lead) {
      const std::u32string text = std::u32string(lead, U'ж') + U"\U0001F600ж";
      const std::string in = utf16Of(text, page);
      std::string want;
      for (std::size_t i = 0; i < lead; ++i)
        want += "ж";
      want += "\xF0\x9F\x98\x80ж";
      for (std::size_t slice : kSliceSizes)
        EXPECT_EQ(streamedRecode(in, page, CodePage::Utf8, slice).out, want)
            << iconvName(page) << ", lead " << lead << ", slice " << slice;
    }
}

TEST(Utf16Recode, FaultsNameTheOffsetOfTheirFirstByte) {
  struct Case {
    const char *name;
    std::string input; // UTF-16LE
    CodePage target;
    RecodeFault fault;
    std::uint64_t offset;
  };
  const std::string ya = utf16Of(U"я", CodePage::Utf16Le);
  const Case cases[] = {
      {"odd length", ya + "a", CodePage::Utf8, RecodeFault::OddLength, 2},
      {"one byte alone", "a", CodePage::Win, RecodeFault::OddLength, 0},
      {"lone low surrogate", ya + std::string("\x00\xDC", 2), CodePage::Utf8,
       RecodeFault::InvalidUtf16, 2},
      {"high surrogate then a letter",
       ya + ya + std::string("\x00\xD8", 2) + ya, CodePage::Utf16Be,
       RecodeFault::InvalidUtf16, 4},
      {"high surrogate at the end", ya + std::string("\x00\xD8", 2),
       CodePage::Koi, RecodeFault::InvalidUtf16, 2},
      {"high surrogate and one byte at the end",
       ya + std::string("\x00\xD8x", 3), CodePage::Utf8,
       RecodeFault::InvalidUtf16, 2},
      {"two high surrogates", std::string("\x00\xD8\x00\xD8\x00\xDC", 6),
       CodePage::Utf8, RecodeFault::InvalidUtf16, 0},
      {"latin e acute into KOI8-R", ya + utf16Of(U"é", CodePage::Utf16Le),
       CodePage::Koi, RecodeFault::Unrepresentable, 2},
      {"emoji into Windows-1251",
       ya + utf16Of(U"\U0001F600", CodePage::Utf16Le), CodePage::Win,
       RecodeFault::Unrepresentable, 2},
  };
  for (const Case &c : cases)
    for (std::size_t slice : kSliceSizes) {
      const RecodeOutcome got =
          streamedRecode(c.input, CodePage::Utf16Le, c.target, slice);
      EXPECT_EQ(got.fault, c.fault) << c.name << ", slice " << slice;
      EXPECT_EQ(got.offset, c.offset) << c.name << ", slice " << slice;
      EXPECT_EQ(got, referenceUtf16Recode(c.input, CodePage::Utf16Le, c.target))
          << c.name;
    }
}

TEST(Utf16Recode, ByteOrderMarkIsDroppedOnlyAtTheStartAndAddedForUtf16) {
  const std::string marked = utf16Of(U"\uFEFFя\uFEFF", CodePage::Utf16Be);
  for (std::size_t slice : kSliceSizes) {
    EXPECT_EQ(
        streamedRecode(marked, CodePage::Utf16Be, CodePage::Utf8, slice).out,
        "я\xEF\xBB\xBF");
    EXPECT_EQ(
        streamedRecode(marked, CodePage::Utf16Be, CodePage::Utf16, slice).out,
        utf16Of(U"\uFEFFя\uFEFF", CodePage::Utf16Le));
    EXPECT_EQ(
        streamedRecode(marked, CodePage::Utf16Be, CodePage::Utf16Le, slice).out,
        utf16Of(U"я\uFEFF", CodePage::Utf16Le));
    EXPECT_EQ(streamedRecode("\xEF\xBB\xBFok", CodePage::Utf8,
                             CodePage::Utf16Be, slice)
                  .out,
              utf16Of(U"ok", CodePage::Utf16Be));
  }
  // Nothing in, nothing out, as iconv does.
  EXPECT_EQ(streamedRecode("", CodePage::Win, CodePage::Utf16, 8192).out, "");
}

TEST(Utf16Recode, SubstitutesFromUtf16FollowTheTable) {
  const std::string in = utf16Of(U"«Ёж» — №1 …", CodePage::Utf16Le);
  const RecodeOutcome got =
      streamedRecode(in, CodePage::Utf16Le, CodePage::Koi, 3, true);
  EXPECT_EQ(got,
            referenceUtf16Recode(in, CodePage::Utf16Le, CodePage::Koi, true));
  EXPECT_EQ(got.substituted, 5u); // « » — № …
  EXPECT_EQ(got.fault, RecodeFault::None);
  for (const char c : got.out) {
    const auto b = static_cast<std::uint8_t>(c);
    EXPECT_TRUE(b < 0x80 || engine::charsOf(CodePage::Koi)[b] != 0) << +b;
  }
}

TEST(Utf16Recode, WriteFailureEndsWithWriteFailed) {
  std::mt19937 rng(5);
  const std::string input = randomUtf16(rng, CodePage::Utf16Le, 40000, false);
  MemoryStream m(input, 8192);
  m.out.failWriteAt = 1000;
  engine::RecodeState state(CodePage::Utf16Le, CodePage::Utf8);
  EXPECT_EQ(runSteps([&] { return engine::recodeSlice(m.stream, state); }),
            StepResult::WriteFailed);
}

TEST(Utf16Recode, ReadFailureEndsWithReadFailed) {
  const std::string input = utf16Of(U"Привет, мир", CodePage::Utf16Be);
  for (std::uint64_t at = 0; at < input.size(); ++at) {
    MemoryStream m(input, 3);
    m.in.failReadAt = at;
    m.in.maxRead = 2;
    engine::RecodeState state(CodePage::Utf16Be, CodePage::Win);
    EXPECT_EQ(runSteps([&] { return engine::recodeSlice(m.stream, state); }),
              StepResult::ReadFailed)
        << "at " << at;
  }
}

} // namespace
} // namespace snpln::test
