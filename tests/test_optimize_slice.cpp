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

namespace snpln::test {
namespace {

using engine::StepResult;

const std::size_t kSliceSizes[] = {1, 2, 3, 7, 64, 8192};
const int kTabSizes[] = {1, 2, 3, 8, 13, 1000, INT_MAX};

// One line (without its line end) through the engine's transform.
std::string compressTabs(const std::string &line, int tabSize) {
  std::vector<std::uint8_t> out(line.size());
  const std::size_t length = engine::compressTabsInto(
      reinterpret_cast<const std::uint8_t *>(line.data()), line.size(),
      out.data(), tabSize);
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
      {"        abc", 8, "\tabc\r\n"},
      {"        abc", 4, "\t\tabc\r\n"},
      {"a       b", 8, "a\tb\r\n"},
      {"   x", 8, "   x\r\n"},
      {"abcdefg h", 8, "abcdefg\th\r\n"},
      {"a b c d e f g h", 8, "a b c d\te f g h\r\n"},
      {"\t  \t a", 8, "\t\t a\r\n"},
      {"x   ", 8, "x\r\n"},
      {"   \t  ", 8, "\r\n"},
      {"a b  c d ", 1, "a\tb\t\tc\td\r\n"},
      {"\"a      b c\"", 8, "\"a\tb c\"\r\n"},
      {"ab  cd  ef", 2, "ab\tcd\tef\r\n"},
      {"a  b", 3, "a\tb\r\n"},
      {"a       b", INT_MAX, "a       b\r\n"},
      {"  \tx", INT_MAX, "\tx\r\n"},
      {"\xE0\xE1      \xE2", 8, "\xE0\xE1\t\xE2\r\n"},
      // Every line ends with CR LF; no empty line follows the last line end.
      {"a\r\nb\r\n", 8, "a\r\nb\r\n"},
      {"a\n\rb\rc", 8, "a\r\nb\r\nc\r\n"},
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
  EXPECT_EQ(runOptimize("abc\ndef\n", 8, 8192).output, "abc\r\ndef\r\n");
  EXPECT_EQ(runOptimize("abc\rdef\r", 8, 8192).output, "abc\r\ndef\r\n");
  EXPECT_EQ(runOptimize("abc\n\ndef", 8, 8192).output, "abc\r\n\r\ndef\r\n");
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

TEST(OptimizeSlice, MatchesReferenceOnRandomTextsAndSliceSizes) {
  std::mt19937 rng(7);
  for (int i = 0; i < 300; ++i) {
    const std::string text = randomLineText(rng, i % 20 == 0 ? 40000 : 400);
    const int tabSize = kTabSizes[i % std::size(kTabSizes)];
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

TEST(OptimizeSlice, LineOf30000BytesPassesAndOneMoreIsTooLong) {
  std::string longest;
  for (std::size_t i = 0; longest.size() < engine::kLineLimit; ++i)
    longest += i % 9 == 0 ? ' ' : 'w';
  for (std::size_t slice : {std::size_t{3}, std::size_t{8192}}) {
    const std::string fits = "a\r\n" + longest + "\r\nb";
    const LineEngineRun ok = runOptimize(fits, 8, slice);
    EXPECT_EQ(ok.result, StepResult::Finished);
    EXPECT_EQ(ok.output, referenceOptimize(fits, 8).bytes);

    const std::string tooLong = "a\r\n" + longest + "w\r\nb";
    ASSERT_TRUE(referenceOptimize(tooLong, 8).lineTooLong);
    EXPECT_EQ(runOptimize(tooLong, 8, slice).result, StepResult::LineTooLong);
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
  EXPECT_EQ(memory.out.data, "a\r\nb\r\n"); // all written before Finished
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

} // namespace
} // namespace snpln::test
