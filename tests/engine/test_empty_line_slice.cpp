#include "engine/empty_line_slice.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/line_engine_run.h"
#include "tests/support/memory_file.h"
#include "tests/support/reference_line_engines.h"

namespace snpln::test {
namespace {

using engine::StepResult;

const std::size_t kSliceSizes[] = {1, 2, 3, 7, 64, 8192};

// "T1 T2 E T3" → the lines "T1", "T2", "", "T3", each ended by CR LF.
std::string linesOf(const std::string &words) {
  std::istringstream in(words);
  std::string word, text;
  while (in >> word)
    text += (word == "E" ? "" : word) + "\r\n";
  return text;
}

struct EmptyCase {
  std::string input;
  std::string output;
  std::uint64_t hits;
};

TEST(EmptyLineSlice, DeletesOnlyExcessiveEmptyLines) {
  const std::vector<EmptyCase> cases = {
      {linesOf("T1 T2 E T3"), linesOf("T1 T2 E T3"), 0},
      {linesOf("T1 T2 E E E T3"), linesOf("T1 T2 E T3"), 2},
      {linesOf("T1 E T2"), linesOf("T1 T2"), 1},
      {linesOf("T1 E E T2"), linesOf("T1 E T2"), 1},
      {linesOf("E T1"), linesOf("T1"), 1},
      {linesOf("E E T1"), linesOf("E T1"), 1},
      {linesOf("T1 E T2 E T3 T4 E T5"), linesOf("T1 T2 T3 T4 E T5"), 2},
      {linesOf("T1 T2 E"), linesOf("T1 T2 E"), 0},
      {linesOf("T1 E"), linesOf("T1"), 1},
      {linesOf("T1 T2 E E E E E"), linesOf("T1 T2 E"), 4},
      {linesOf("T1 E E E E T2"), linesOf("T1 E T2"), 3},
      {"T1\r\nT2\r\n \t \r\nT3", "T1\r\nT2\r\n \t \r\nT3", 0},
      {"T1\r\n   \r\nT2", "T1\r\nT2", 1},
      {"T1", "T1", 0},
      {"", "", 0},
      {"  T1  \r\n", "  T1  \r\n", 0},
  };
  for (const EmptyCase &c : cases) {
    for (std::size_t slice : kSliceSizes) {
      const LineEngineRun run = runDeleteEmpty(c.input, slice);
      EXPECT_EQ(run.result, StepResult::Finished);
      EXPECT_EQ(run.output, c.output)
          << "input " << testing::PrintToString(c.input) << " slice " << slice;
      EXPECT_EQ(run.hits, c.hits)
          << "input " << testing::PrintToString(c.input) << " slice " << slice;
    }
  }
}

// The old line model ended a line at the second CR or LF since it began, so
// "T1 LF T2 LF LF T3" was read as "T1T2" and "T3": text merged, break lost.
TEST(EmptyLineSlice, LfOnlyLinesAreNotMergedInPairs) {
  const LineEngineRun lf = runDeleteEmpty("T1\nT2\n\nT3\n", 8192);
  EXPECT_EQ(lf.output, "T1\nT2\n\nT3\n");
  EXPECT_EQ(lf.hits, 0u);
  const LineEngineRun cr = runDeleteEmpty("T1\r\r\rT2\r", 8192);
  EXPECT_EQ(cr.output, "T1\r\rT2\r");
  EXPECT_EQ(cr.hits, 1u);
}

// Deleting empty lines used to write every line with CR LF, so a file with
// LF line ends came back with CR LF ones, and a last line without a line
// end gained one.
TEST(EmptyLineSlice, LfLineEndsAreNotTurnedIntoCrLf) {
  const std::vector<EmptyCase> cases = {
      {"T1\nT2\n\n\n\nT3", "T1\nT2\n\nT3", 2},
      {"T1\n\nT2\n", "T1\nT2\n", 1},
      {"T1\rT2\n\r\r\nT3\n", "T1\rT2\n\r\r\nT3\n", 0},
      {"T1\r\nT2\r\n   ", "T1\r\nT2\r\n   ", 0},
      {"T1\n\r\n\rT2\n\r", "T1\n\rT2\n\r", 1},
      {"\n\nT1", "\nT1", 1},
  };
  for (const EmptyCase &c : cases) {
    for (std::size_t slice : kSliceSizes) {
      const LineEngineRun run = runDeleteEmpty(c.input, slice);
      EXPECT_EQ(run.result, StepResult::Finished);
      EXPECT_EQ(run.output, c.output)
          << "input " << testing::PrintToString(c.input) << " slice " << slice;
      EXPECT_EQ(run.hits, c.hits)
          << "input " << testing::PrintToString(c.input) << " slice " << slice;
    }
  }
}

TEST(EmptyLineSlice, RulesHoldAcrossStepBoundaries) {
  // One text line fills a step's budget; the empty line after it is decided
  // on the next step and still sees only one text line before it.
  const std::string big(engine::kLineStepBudget, 'b');
  const std::string oneBlock = big + "\r\n\r\nT\r\n";
  MemoryStream memory(oneBlock, 64);
  engine::EmptyLineState state;
  ASSERT_EQ(engine::emptyLineSlice(memory.stream, state), StepResult::Continue);
  EXPECT_EQ(memory.stream.processed, big.size() + 2);
  EXPECT_EQ(runSteps([&] { return emptyLineSlice(memory.stream, state); }),
            StepResult::Finished);
  EXPECT_EQ(memory.out.data, big + "\r\nT\r\n");
  EXPECT_EQ(state.hitCount, 1u);

  // Two text lines end a step; the run after them keeps its first line.
  const std::string half(engine::kLineStepBudget / 2, 'h');
  const LineEngineRun two =
      runDeleteEmpty(half + "\r\n" + half + "\r\n\r\n\r\n\r\nT", 64);
  EXPECT_GE(two.steps, 3u);
  EXPECT_EQ(two.output, half + "\r\n" + half + "\r\n\r\nT");
  EXPECT_EQ(two.hits, 2u);
}

TEST(EmptyLineSlice, MatchesReferenceOnRandomTextsAndSliceSizes) {
  std::mt19937 rng(13);
  for (int i = 0; i < 400; ++i) {
    std::string text = randomLineText(rng, i % 20 == 0 ? 40000 : 400);
    if (i % 7 == 0) // long lines, so that the budget cuts steps often
      text.insert(text.size() / 2,
                  std::string(static_cast<std::size_t>(5000 + i), 'L'));
    std::uint64_t hits = 0;
    const ReferenceOutput expected = referenceDeleteEmpty(text, &hits);
    ASSERT_FALSE(expected.lineTooLong);
    for (std::size_t slice : kSliceSizes) {
      const LineEngineRun run = runDeleteEmpty(text, slice);
      ASSERT_EQ(run.result, StepResult::Finished);
      ASSERT_EQ(run.output, expected.bytes)
          << "input " << testing::PrintToString(text) << " slice " << slice;
      ASSERT_EQ(run.hits, hits) << "slice " << slice;
    }
  }
}

TEST(EmptyLineSlice, LineOf30000BytesPassesAndOneMoreIsTooLong) {
  const std::string longest(engine::kLineLimit, 'w');
  const LineEngineRun ok = runDeleteEmpty("\r\n" + longest + "\n", 7);
  EXPECT_EQ(ok.result, StepResult::Finished);
  EXPECT_EQ(ok.output, longest + "\n");
  EXPECT_EQ(runDeleteEmpty("\r\n" + longest + "w\n", 7).result,
            StepResult::LineTooLong);
  EXPECT_EQ(runDeleteEmpty(longest + " ", 8192).result,
            StepResult::LineTooLong);
}

// Behind text lines, which go out many at a time, at every slice size: the
// longest line passes and one byte more fails, for either limit, in both
// line engines.
TEST(LineEngines, LimitHoldsBehindTextLines) {
  struct Case {
    std::size_t limit;
    int shifts; // the long line at as many offsets into 16-byte blocks
  };
  for (const Case c : {Case{engine::kLineLimit, 1}, Case{100, 16}})
    for (int shift = 0; shift < c.shifts; ++shift) {
      std::string head(static_cast<std::size_t>(shift), 'p');
      for (int i = 0; i < 40; ++i)
        head += "text " + std::to_string(i) + (i % 2 ? "\r\n" : "\n");
      const std::string longest(c.limit, 'w');
      // Text lines after it too, so that its line end lies among them.
      const std::string ok = head + longest + "\r\n" + head;
      const std::string tooLong = head + longest + "w\r\n" + head;
      for (std::size_t slice : kSliceSizes) {
        SCOPED_TRACE("limit " + std::to_string(c.limit) + " shift " +
                     std::to_string(shift) + " slice " + std::to_string(slice));
        const LineEngineRun kept = runDeleteEmpty(ok, slice, c.limit);
        EXPECT_EQ(kept.result, StepResult::Finished);
        EXPECT_EQ(kept.output, ok);
        EXPECT_EQ(runDeleteEmpty(tooLong, slice, c.limit).result,
                  StepResult::LineTooLong);
        EXPECT_EQ(
            runOptimize(ok, 8, slice, engine::TextEncoding::SingleByte, c.limit)
                .result,
            StepResult::Finished);
        EXPECT_EQ(runOptimize(tooLong, 8, slice,
                              engine::TextEncoding::SingleByte, c.limit)
                      .result,
                  StepResult::LineTooLong);
      }
    }
}

TEST(EmptyLineSlice, ReadOrWriteFailureAnywhereIsReported) {
  std::mt19937 rng(17);
  std::string text;
  while (text.size() < 30000)
    text += randomLineText(rng, 300) + "\r\n\r\n";
  std::uint64_t hits = 0;
  const std::size_t outputSize = referenceDeleteEmpty(text, &hits).bytes.size();
  for (std::size_t slice : {std::size_t{7}, std::size_t{8192}}) {
    for (std::uint64_t at = 0; at < text.size(); at += 997) {
      MemoryStream memory(text, slice);
      memory.in.failReadAt = at;
      engine::EmptyLineState state;
      EXPECT_EQ(runSteps([&] { return emptyLineSlice(memory.stream, state); }),
                StepResult::ReadFailed)
          << "read fails at " << at << " slice " << slice;
    }
    for (std::uint64_t at = 0; at < outputSize; at += 997) {
      for (int shortWrite = 0; shortWrite < 2; ++shortWrite) {
        MemoryStream memory(text, slice);
        (shortWrite ? memory.out.shortWriteAt : memory.out.failWriteAt) = at;
        engine::EmptyLineState state;
        EXPECT_EQ(
            runSteps([&] { return emptyLineSlice(memory.stream, state); }),
            StepResult::WriteFailed)
            << "write fails at " << at << " short " << shortWrite;
      }
    }
  }
}

// Written lines are collected in a buffer, but a write that fails is
// reported by the step that makes it, well before the file is used up.
TEST(EmptyLineSlice, WriteFailureStopsTheRunWhereItHappens) {
  std::string text;
  while (text.size() < 4 * engine::kIoBlockSize)
    text += "a line of text that stays\r\n";
  for (int shortWrite = 0; shortWrite < 2; ++shortWrite) {
    MemoryStream memory(text, 8192);
    (shortWrite ? memory.out.shortWriteAt : memory.out.failWriteAt) = 100000;
    engine::EmptyLineState state;
    EXPECT_EQ(runSteps([&] { return emptyLineSlice(memory.stream, state); }),
              StepResult::WriteFailed);
    // The first block written fails.
    EXPECT_LT(memory.stream.processed, engine::kIoBlockSize + 65536)
        << "short " << shortWrite;
  }
}

} // namespace
} // namespace snpln::test
