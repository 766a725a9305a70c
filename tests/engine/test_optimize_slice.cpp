#include "engine/optimize_slice.h"

#include <gtest/gtest.h>

#include <climits>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "tests/support/line_engine_run.h"
#include "tests/support/memory_file.h"
#include "tests/support/reference_line_engines.h"
#include "tests/support/reference_text_engines.h"
#include "tests/support/reference_utf8_engines.h"

namespace snpln::test {
namespace {

using engine::StepResult;

const std::size_t kSliceSizes[] = {1, 2, 3, 7, 64, 8192};
const int kTabSizes[] = {1, 2, 3, 8, 13, 16, 17, 1000, INT_MAX - 1, INT_MAX};

// One line (without its line end) through the engine's transform.
std::string
compressTabs(const std::string &line, int tabSize,
             engine::TextEncoding encoding = engine::TextEncoding::SingleByte) {
  std::vector<std::uint8_t> out(line.size());
  const std::size_t length = engine::compressTabsInto(
      reinterpret_cast<const std::uint8_t *>(line.data()), line.size(),
      out.data(), tabSize, encoding);
  return std::string(out.begin(),
                     out.begin() + static_cast<std::ptrdiff_t>(length));
}

struct OptimizeCase {
  std::string input;
  int tabSize;
  std::string output;
};

TEST(OptimizeSlice, TurnsBlanksEndingAtTabStopsIntoTabs) {
  const std::vector<OptimizeCase> cases = {
      {"        abc", 8, "\tabc"},
      {"        abc", 4, "\t\tabc"},
      {"a       b", 8, "a\tb"},
      {"   x", 8, "   x"},
      {"abcdefg h", 8, "abcdefg\th"},
      {"a b c d e f g h", 8, "a b c d\te f g h"},
      {"\t  \t a", 8, "\t\t a"},
      {"x   ", 8, "x"},
      {"   \t  ", 8, ""},
      {"a b  c d ", 1, "a\tb\t\tc\td"},
      {"\"a      b c\"", 8, "\"a\tb c\""},
      {"ab  cd  ef", 2, "ab\tcd\tef"},
      {"a  b", 3, "a\tb"},
      {"a       b", INT_MAX, "a       b"},
      {"  \tx", INT_MAX, "\tx"},
      {"\xE0\xE1      \xE2", 8, "\xE0\xE1\t\xE2"},
      // Every line keeps its line end, a last line without one stays
      // without; no empty line follows the last line end.
      {"a\r\nb\r\n", 8, "a\r\nb\r\n"},
      {"a\n\rb\rc", 8, "a\n\rb\rc"},
      {"\r\n\r\n", 8, "\r\n\r\n"},
      {"", 8, ""},
  };
  for (const OptimizeCase &c : cases) {
    for (std::size_t slice : kSliceSizes) {
      const LineEngineRun run = runOptimize(c.input, c.tabSize, slice);
      EXPECT_EQ(run.result, StepResult::Finished);
      EXPECT_EQ(run.output, c.output)
          << "input " << testing::PrintToString(c.input) << " T " << c.tabSize
          << " slice " << slice;
    }
  }
}

// The old line model ended a line at the second CR or LF since it began, so
// a file with LF (or CR) line ends had its lines merged in pairs.
TEST(OptimizeSlice, LfOnlyLinesAreNotMergedInPairs) {
  EXPECT_EQ(runOptimize("abc\ndef\n", 8, 8192).output, "abc\ndef\n");
  EXPECT_EQ(runOptimize("abc\rdef\r", 8, 8192).output, "abc\rdef\r");
  EXPECT_EQ(runOptimize("abc\n\ndef", 8, 8192).output, "abc\n\ndef");
}

// Optimizing used to write every line with CR LF, so a file with LF line
// ends came back with CR LF ones, and a last line without a line end gained
// one.
TEST(OptimizeSlice, LfLineEndsAreNotTurnedIntoCrLf) {
  const std::vector<OptimizeCase> cases = {
      {"a  \nb\n", 8, "a\nb\n"},
      {"x   \n\n\n", 8, "x\n\n\n"},
      {"\n", 8, "\n"},
      {"a\r\nb\n\rc\rd\ne", 8, "a\r\nb\n\rc\rd\ne"},
      {"        a\r", 8, "\ta\r"},
      {"a \r\n  ", 8, "a\r\n"},
      {"a", 8, "a"},
  };
  for (const OptimizeCase &c : cases) {
    for (std::size_t slice : kSliceSizes) {
      const LineEngineRun run = runOptimize(c.input, c.tabSize, slice);
      EXPECT_EQ(run.result, StepResult::Finished);
      EXPECT_EQ(run.output, c.output)
          << "input " << testing::PrintToString(c.input) << " slice " << slice;
    }
  }
}

TEST(OptimizeSlice, TabSizeBelowOneIsTakenAsEight) {
  EXPECT_EQ(engine::OptimizeState(0).tabSize, 8);
  EXPECT_EQ(engine::OptimizeState(-5).tabSize, 8);
  EXPECT_EQ(compressTabs("a       b", 0), "a\tb");
}

TEST(CompressTabs, MatchesReferenceForAnyTabSize) {
  std::mt19937 rng(5);
  for (int i = 0; i < 3000; ++i) {
    std::string text = randomLineText(rng, 200);
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
    for (int tabSize : kTabSizes) {
      const std::string got = compressTabs(text, tabSize);
      ASSERT_LE(got.size(), text.size());
      ASSERT_EQ(got, referenceCompressTabs(text, tabSize))
          << "line " << testing::PrintToString(text) << " T " << tabSize;
    }
  }
}

// With tab size 16, a segment of 16 kept bytes had its TAB written after
// them even though none was kept: one byte past the room the caller gave
// when the segment ended the line.
TEST(CompressTabs, TabSize16WritesNothingPastTheLine) {
  for (const std::string line :
       {"abcdefghijklmnop", "abcdefghijklmnopqrstuvwxyz012345",
        "a               abcdefghijklmnop", "abcdefghijklmnopq"}) {
    std::vector<std::uint8_t> out(line.size() + 1, 0xEE);
    const std::size_t length = engine::compressTabsInto(
        reinterpret_cast<const std::uint8_t *>(line.data()), line.size(),
        out.data(), 16);
    EXPECT_EQ(out.back(), 0xEE) << "line " << line;
    EXPECT_EQ(std::string(out.begin(),
                          out.begin() + static_cast<std::ptrdiff_t>(length)),
              referenceCompressTabs(line, 16));
  }
}

TEST(OptimizeSlice, MatchesReferenceOnRandomTextsAndSliceSizes) {
  std::mt19937 rng(7);
  for (int i = 0; i < 300; ++i) {
    const std::string text = randomLineText(rng, i % 20 == 0 ? 40000 : 400);
    const int tabSize =
        kTabSizes[static_cast<std::size_t>(i) % std::size(kTabSizes)];
    const ReferenceOutput expected = referenceOptimize(text, tabSize);
    ASSERT_FALSE(expected.lineTooLong);
    for (std::size_t slice : kSliceSizes) {
      const LineEngineRun run = runOptimize(text, tabSize, slice);
      ASSERT_EQ(run.result, StepResult::Finished);
      ASSERT_EQ(run.output, expected.bytes)
          << "input " << testing::PrintToString(text) << " T " << tabSize
          << " slice " << slice;
    }
  }
}

// Lines longer than 16 bytes, as prose has them: words, single and double
// SPACEs, now and then a TAB or a run of blanks, every kind of line end.
std::string randomProseLines(std::mt19937 &rng, std::size_t size) {
  static const char *const kLineEnds[] = {"\r\n", "\n", "\r", "\n\r"};
  static const char kWordBytes[] = "ab\".\xE0\xFF\x8D\x8A\x0B";
  const auto below = [&](std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
  };
  std::string text;
  while (text.size() < size) {
    const std::size_t length = below(120);
    const std::size_t lineStart = text.size();
    while (text.size() - lineStart < length) {
      const std::size_t pick = below(40);
      if (pick == 0)
        text.append(1 + below(3), '\t');
      else if (pick == 1)
        text.append(1 + below(20), ' ');
      else if (pick < 8)
        text.append(1 + below(2), ' ');
      else
        text += kWordBytes[below(sizeof kWordBytes - 1)];
    }
    text += kLineEnds[below(std::size(kLineEnds))];
  }
  return text;
}

// The lines a slice holds whole are transformed straight from it, a 16-byte
// load per segment; the rest of them the plain way. Every tab size up to 17
// and every slice size meet lines that cross a slice end, line ends split
// by it, blanks running across it and tab stops on it.
TEST(OptimizeSlice, MatchesReferenceOnProseLikeLinesAtEveryTabSize) {
  std::mt19937 rng(17);
  std::vector<std::string> texts = {
      inPage(russianProse(), engine::CodePage::Win),
      // Without a line end after the last line, and with blanks before it.
      randomProseLines(rng, 3000) + "abc   ", randomProseLines(rng, 20000)};
  for (int i = 0; i < 20; ++i)
    texts.push_back(randomProseLines(rng, 2000));
  for (std::size_t t = 0; t < texts.size(); ++t) {
    const std::string &text = texts[t];
    for (int tabSize = 1; tabSize <= 17; ++tabSize) {
      const ReferenceOutput expected = referenceOptimize(text, tabSize);
      ASSERT_FALSE(expected.lineTooLong);
      for (std::size_t slice :
           {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{7},
            std::size_t{17}, std::size_t{64}, std::size_t{8192}}) {
        const LineEngineRun run = runOptimize(text, tabSize, slice);
        ASSERT_EQ(run.result, StepResult::Finished);
        ASSERT_EQ(run.output, expected.bytes)
            << "text " << t << " T " << tabSize << " slice " << slice;
      }
    }
  }
}

// Where a slice of 64 bytes ends on every byte of a line: inside a blank run
// that ends at a tab stop, on the stop itself, between CR and LF or LF and
// CR, and after a line end whose partner the next slice holds.
TEST(OptimizeSlice, SliceEndsOnEveryByteOfALine) {
  const std::vector<std::string> lines = {
      "abcdefg        h", "        x       ",
      "ab\tcd  \t  ef  ", "abcdefgh",
      "abcdefghijklmnop", "a b c d e f g h i j k l m n o p q"};
  for (const std::string &line : lines) {
    for (const char *end : {"\r\n", "\n\r", "\n", "\r"}) {
      for (std::size_t lead = 0; lead < 64; ++lead) {
        const std::string text = std::string(lead, 'w') + "\n" + line + end +
                                 line + end + std::string(40, 'z') + end;
        for (int tabSize : {4, 8, 16}) {
          const LineEngineRun run = runOptimize(text, tabSize, 64);
          ASSERT_EQ(run.result, StepResult::Finished);
          ASSERT_EQ(run.output, referenceOptimize(text, tabSize).bytes)
              << "input " << testing::PrintToString(text) << " T " << tabSize;
        }
      }
    }
  }
}

TEST(OptimizeSlice, LineOf30000BytesPassesAndOneMoreIsTooLong) {
  std::string longest;
  for (std::size_t i = 0; longest.size() < engine::kLineLimit; ++i)
    longest += i % 9 == 0 ? ' ' : 'w';
  // The largest slice holds the whole file: its lines are taken from it
  // straight, the limit checked there too.
  for (std::size_t slice :
       {std::size_t{3}, std::size_t{8192}, std::size_t{65536}}) {
    // A line after the long one, so its line end is not near the file's.
    const std::string next = "\r\n" + std::string(40, 'b');
    const std::string fits = "a\r\n" + longest + next;
    const LineEngineRun ok = runOptimize(fits, 8, slice);
    EXPECT_EQ(ok.result, StepResult::Finished);
    EXPECT_EQ(ok.output, referenceOptimize(fits, 8).bytes);

    const std::string tooLong = "a\r\n" + longest + "w" + next;
    ASSERT_TRUE(referenceOptimize(tooLong, 8).lineTooLong);
    EXPECT_EQ(runOptimize(tooLong, 8, slice).result, StepResult::LineTooLong)
        << "slice " << slice;
    EXPECT_EQ(runOptimize(longest + "w", 8, slice).result,
              StepResult::LineTooLong);
  }
}

TEST(OptimizeSlice, StepHandlesLinesUntilTheyTotal8192Bytes) {
  std::string text;
  for (int i = 0; i < 20; ++i)
    text += std::string(1000, 'q') + "\r\n";
  MemoryStream memory(text, 64);
  engine::OptimizeState state(8);
  ASSERT_EQ(engine::optimizeSlice(memory.stream, state), StepResult::Continue);
  EXPECT_EQ(memory.stream.processed, 9u * 1002u); // 9000 >= 8192

  // Empty lines cost no budget: a long run goes within one step.
  MemoryStream empties(std::string(100000, '\n') + "x", 64);
  engine::OptimizeState emptyState(8);
  ASSERT_EQ(engine::optimizeSlice(empties.stream, emptyState),
            StepResult::Continue);
  EXPECT_TRUE(empties.stream.atEnd());
}

TEST(OptimizeSlice, FinishesOnTheStepAfterTheFileIsUsedUp) {
  MemoryStream memory("a  \r\nb", 8192);
  engine::OptimizeState state(8);
  ASSERT_EQ(engine::optimizeSlice(memory.stream, state), StepResult::Continue);
  EXPECT_TRUE(memory.stream.atEnd());
  ASSERT_EQ(engine::optimizeSlice(memory.stream, state), StepResult::Finished);
  EXPECT_EQ(memory.out.data, "a\r\nb"); // all written before Finished
}

TEST(OptimizeSlice, ReadOrWriteFailureAnywhereIsReported) {
  std::mt19937 rng(3);
  std::string text;
  while (text.size() < 30000)
    text += randomLineText(rng, 300) + "\r\n";
  const std::size_t outputSize = referenceOptimize(text, 4).bytes.size();
  for (std::size_t slice : {std::size_t{7}, std::size_t{8192}}) {
    for (std::uint64_t at = 0; at < text.size(); at += 997) {
      MemoryStream memory(text, slice);
      memory.in.failReadAt = at;
      engine::OptimizeState state(4);
      EXPECT_EQ(runSteps([&] { return optimizeSlice(memory.stream, state); }),
                StepResult::ReadFailed)
          << "read fails at " << at << " slice " << slice;
    }
    for (std::uint64_t at = 0; at < outputSize; at += 997) {
      for (int shortWrite = 0; shortWrite < 2; ++shortWrite) {
        MemoryStream memory(text, slice);
        (shortWrite ? memory.out.shortWriteAt : memory.out.failWriteAt) = at;
        engine::OptimizeState state(4);
        EXPECT_EQ(runSteps([&] { return optimizeSlice(memory.stream, state); }),
                  StepResult::WriteFailed)
            << "write fails at " << at << " short " << shortWrite;
      }
    }
  }
}

// UTF-8 files: columns count characters.

constexpr auto kUtf8 = engine::TextEncoding::Utf8;

TEST(OptimizeSliceUtf8, ColumnsCountCharacters) {
  const std::vector<OptimizeCase> cases = {
      {"ёжик    x", 8, "ёжик\tx"},
      {"😀€é   a", 4, "😀€é\t  a"},
      {"ж\tж  ж", 4, "ж\tж  ж"},
      {"        Привет,   мир", 4, "\t\tПривет,\t  мир"},
      {"«ё» —   конец   \r\n", 8, "«ё» —\tконец\r\n"},
      {"ЁЁЁЁЁЁЁ мир", 8, "ЁЁЁЁЁЁЁ\tмир"},
      {"ЁЁЁЁЁЁЁЁ мир", 8, "ЁЁЁЁЁЁЁЁ мир"},
      // A byte order mark takes no column.
      {"\xEF\xBB\xBF        ёж", 8, "\xEF\xBB\xBF\tёж"},
      {"\xEF\xBB\xBF"
       "abcdefg h",
       8,
       "\xEF\xBB\xBF"
       "abcdefg\th"},
      // A byte that starts no character counts as one column.
      {"\xD0\xFFабвг  x", 8, "\xD0\xFFабвг\tx"},
      // Tab sizes near INT_MAX: after the first tab the column is past
      // 2^31 - 1, after the third past 2^32.
      {"\t\tж  x", INT_MAX, "\t\tж  x"},
      {"ж\t  \t ё", INT_MAX - 1, "ж\t\t ё"},
      {"\t\t\t   a", INT_MAX, "\t\t\t   a"},
  };
  for (const OptimizeCase &c : cases) {
    EXPECT_EQ(referenceOptimize(c.input, c.tabSize, true).bytes, c.output)
        << "reference, input " << testing::PrintToString(c.input);
    for (std::size_t slice : kSliceSizes) {
      const LineEngineRun run = runOptimize(c.input, c.tabSize, slice, kUtf8);
      EXPECT_EQ(run.result, StepResult::Finished);
      EXPECT_EQ(run.output, c.output)
          << "input " << testing::PrintToString(c.input) << " T " << c.tabSize
          << " slice " << slice;
    }
  }
}

// Lines of two-, three- and four-byte characters with blanks ending at tab
// stops, cut by a slice end at every byte.
TEST(OptimizeSliceUtf8, SliceEndsAtEveryBytePosition) {
  const std::string text = "ёж      ж\r\n  😀€   é\tж   \n\xEF\xBB\xBF    Ж  я\r"
                           "Ё ё Ё ё Ё\n\n   ";
  for (int tabSize : {1, 2, 4, 8}) {
    const std::string expected = referenceOptimize(text, tabSize, true).bytes;
    for (std::size_t slice = 1; slice <= text.size(); ++slice) {
      const LineEngineRun run = runOptimize(text, tabSize, slice, kUtf8);
      ASSERT_EQ(run.result, StepResult::Finished);
      ASSERT_EQ(run.output, expected) << "T " << tabSize << " slice " << slice;
    }
  }
}

TEST(CompressTabsUtf8, MatchesReferenceForAnyTabSize) {
  std::mt19937 rng(55);
  for (int i = 0; i < 2000; ++i) {
    std::string text =
        i % 3 == 0 ? randomMostlyUtf8Bytes(rng, 200) : randomUtf8Text(rng, 200);
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
    for (int tabSize : kTabSizes) {
      const std::string got = compressTabs(text, tabSize, kUtf8);
      ASSERT_LE(got.size(), text.size());
      ASSERT_EQ(got, referenceCompressTabsUtf8(text, tabSize))
          << "line " << testing::PrintToString(text) << " T " << tabSize;
    }
  }
}

TEST(OptimizeSliceUtf8, MatchesReferenceOnProseAndRandomTexts) {
  std::mt19937 rng(77);
  std::vector<std::string> texts = {russianProse()};
  for (int i = 0; i < 200; ++i)
    texts.push_back(i % 4 == 0
                        ? randomMostlyUtf8Bytes(rng, 400)
                        : randomUtf8Text(rng, i % 20 == 0 ? 20000 : 400));
  for (std::size_t t = 0; t < texts.size(); ++t) {
    const std::string &text = texts[t];
    const int tabSize = kTabSizes[t % std::size(kTabSizes)];
    const ReferenceOutput expected = referenceOptimize(text, tabSize, true);
    ASSERT_FALSE(expected.lineTooLong);
    if (referenceIsValidUtf8(text)) {
      ASSERT_TRUE(referenceIsValidUtf8(expected.bytes));
    }
    for (std::size_t slice : kSliceSizes) {
      const LineEngineRun run = runOptimize(text, tabSize, slice, kUtf8);
      ASSERT_EQ(run.result, StepResult::Finished);
      ASSERT_EQ(run.output, expected.bytes)
          << "text " << t << " T " << tabSize << " slice " << slice;
    }
  }
}

// Long lines of two-byte letters and ASCII with runs of blanks, now and then
// a character of three or four bytes, a byte order mark or a byte that
// starts no character: the ways through a line of two-byte text and back
// to one character at a time, at every place of a segment.
std::string cyrillicLine(std::mt19937 &rng, std::size_t maxLength) {
  static const char *const kCommon[] = {
      "ж", "Ё", "я", "п",  "р",   "Щ",        "ѕ",  "a",   "Z",  "7",
      ",", " ", " ", "  ", "   ", "        ", "\t", " \t", "ё ", "ёж "};
  static const char *const kRare[] = {
      "€", "😀", "\xEF\xBB\xBF", "\xD0", "\x80", "\xC1\x81", "\xE2\x82"};
  std::uniform_int_distribution<std::size_t> below(0, 99);
  const std::size_t length = below(rng) * maxLength / 100;
  std::string line;
  while (line.size() < length) {
    if (below(rng) == 0)
      line += kRare[below(rng) % std::size(kRare)];
    else
      line += kCommon[below(rng) % std::size(kCommon)];
  }
  return line;
}

TEST(CompressTabsUtf8, TwoByteTextMatchesReference) {
  std::mt19937 rng(91);
  for (int i = 0; i < 3000; ++i) {
    const std::string line = cyrillicLine(rng, 400);
    for (int tabSize : kTabSizes) {
      ASSERT_EQ(compressTabs(line, tabSize, kUtf8),
                referenceCompressTabsUtf8(line, tabSize))
          << "line " << testing::PrintToString(line) << " T " << tabSize;
    }
  }
}

TEST(OptimizeSliceUtf8, TwoByteTextMatchesReferenceAtEverySliceSize) {
  std::mt19937 rng(92);
  std::string text;
  for (int i = 0; i < 300; ++i)
    text += cyrillicLine(rng, 600) + (i % 3 == 0 ? "\r\n" : "\n");
  for (int tabSize : {2, 4, 8, 16}) {
    const std::string expected = referenceOptimize(text, tabSize, true).bytes;
    for (std::size_t slice : kSliceSizes) {
      const LineEngineRun run = runOptimize(text, tabSize, slice, kUtf8);
      ASSERT_EQ(run.result, StepResult::Finished);
      ASSERT_EQ(run.output, expected) << "T " << tabSize << " slice " << slice;
    }
  }
}

} // namespace
} // namespace snpln::test
