#include "engine/line_io.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/support/line_engine_run.h"
#include "tests/support/memory_file.h"
#include "tests/support/reference_line_engines.h"

namespace snpln::test {
namespace {

using engine::LineBuffer;
using engine::StepResult;

const std::size_t kSliceSizes[] = {1, 2, 3, 7, 64, 8192};

// Reads every line of `bytes` the way the line engines do: a line while the
// file is not used up.
std::vector<std::string> readAllLines(const std::string &bytes,
                                      std::size_t sliceSize) {
  MemoryStream memory(bytes, sliceSize);
  LineBuffer line;
  std::vector<std::string> lines;
  while (!memory.stream.atEnd()) {
    const StepResult r = engine::readLine(memory.stream, line);
    EXPECT_EQ(r, StepResult::Continue);
    if (r != StepResult::Continue)
      break;
    lines.emplace_back(line.data, line.data + line.length);
  }
  return lines;
}

struct SplitCase {
  std::string input;
  std::vector<std::string> lines;
};

TEST(ReadLine, SplitsAtEveryKindOfLineEnd) {
  const std::vector<SplitCase> cases = {
      {"", {}},
      {"abc", {"abc"}},
      {"abc\r\n", {"abc"}},
      {"abc\n", {"abc"}},
      {"abc\r", {"abc"}},
      {"abc\n\r", {"abc"}},
      {"a\r\nb", {"a", "b"}},
      {"a\n\rb", {"a", "b"}},
      {"a\n\nb", {"a", "", "b"}},
      {"a\r\rb", {"a", "", "b"}},
      {"a\nb\nc\n", {"a", "b", "c"}},
      {"a\rb\rc", {"a", "b", "c"}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"a\r\n\n", {"a", ""}},
      {"a\n\r\n", {"a", ""}},
      {"a\r\n\r", {"a", ""}},
      {"\r\n", {""}},
      {"\n", {""}},
      {"\n\r\n\r", {"", ""}},
      {"\r\n\r\n\r\n", {"", "", ""}},
      {" \t \r\nx", {" \t ", "x"}},
  };
  for (const SplitCase &c : cases)
    for (std::size_t slice : kSliceSizes)
      EXPECT_EQ(readAllLines(c.input, slice), c.lines)
          << "input " << testing::PrintToString(c.input) << " slice " << slice;
}

TEST(ReadLine, MatchesReferenceOnRandomTexts) {
  std::mt19937 rng(11);
  for (int i = 0; i < 400; ++i) {
    const std::string text = randomLineText(rng, i % 10 == 0 ? 20000 : 300);
    const std::vector<std::string> expected = referenceSplitLines(text);
    for (std::size_t slice : kSliceSizes)
      ASSERT_EQ(readAllLines(text, slice), expected)
          << "input " << testing::PrintToString(text) << " slice " << slice;
  }
}

// Line ends at and around the 64-byte words the slice is mapped in, and at
// and around slice ends, for every kind of line end.
TEST(ReadLine, LineEndsAroundWordAndSliceEnds) {
  for (const char *end : {"\r\n", "\n\r", "\r", "\n", "\n\n", "\r\r"}) {
    for (std::size_t before = 0; before < 200; ++before) {
      const std::string text =
          std::string(before, 'x') + end + std::string(before % 7, 'y') + end;
      const std::vector<std::string> expected = referenceSplitLines(text);
      for (std::size_t slice : {std::size_t{63}, std::size_t{64},
                                std::size_t{65}, std::size_t{8192}})
        ASSERT_EQ(readAllLines(text, slice), expected)
            << "input " << testing::PrintToString(text) << " slice " << slice;
    }
  }
}

TEST(ReadLine, LineLimitIs30000Bytes) {
  const std::string longest(engine::kLineLimit, 'x');
  for (std::size_t slice : {std::size_t{7}, std::size_t{8192}}) {
    EXPECT_EQ(readAllLines(longest, slice), std::vector<std::string>{longest});
    for (const char *end : {"\r\n", "\n\r", "\r"}) {
      const std::vector<std::string> lines =
          readAllLines(longest + end + "y", slice);
      ASSERT_EQ(lines.size(), 2u);
      EXPECT_EQ(lines[0], longest);
    }
    for (const char *end : {"", "\r\n"}) {
      MemoryStream memory(longest + "x" + end, slice);
      LineBuffer line;
      EXPECT_EQ(engine::readLine(memory.stream, line), StepResult::LineTooLong)
          << "slice " << slice;
    }
  }
}

TEST(ReadLine, ReadFailureIsReportedAtEveryPoint) {
  const std::string text = "ab\r\ncd\n\nef\r";
  for (std::size_t slice : kSliceSizes) {
    for (std::size_t failAt = 0; failAt < text.size(); ++failAt) {
      MemoryStream memory(text, slice);
      memory.in.failReadAt = failAt;
      LineBuffer line;
      StepResult r = StepResult::Continue;
      while (r == StepResult::Continue && !memory.stream.atEnd())
        r = engine::readLine(memory.stream, line);
      EXPECT_EQ(r, StepResult::ReadFailed)
          << "slice " << slice << " fail at " << failAt;
    }
  }
}

TEST(ReadLine, FileThatShrankIsAReadFailure) {
  MemoryStream memory("abc\r\ndef", 4);
  memory.stream.fileSize = 20; // the file lost bytes after its size was taken
  LineBuffer line;
  EXPECT_EQ(engine::readLine(memory.stream, line), StepResult::Continue);
  EXPECT_EQ(engine::readLine(memory.stream, line), StepResult::ReadFailed);
}

TEST(WriteLine, WritesCrLfAndHandsOverOnceBufferIsFull) {
  MemoryStream memory("");
  LineBuffer line;
  const std::uint8_t text[] = {'a', ' ', '\t'};
  ASSERT_EQ(engine::writeLine(memory.stream, line, text, 3),
            StepResult::Continue);
  ASSERT_EQ(engine::writeLine(memory.stream, line, text, 0),
            StepResult::Continue);
  std::uint8_t *space = engine::lineSpace(memory.stream);
  space[0] = 'z';
  ASSERT_EQ(engine::commitLine(memory.stream, line, 1), StepResult::Continue);
  EXPECT_EQ(memory.out.data, ""); // still collected
  ASSERT_EQ(engine::flushLines(memory.stream, line), StepResult::Continue);
  EXPECT_EQ(memory.out.data, "a \t\r\n\r\nz\r\n");

  // Lines that reach the hand-over size are written without a flush; the
  // longest line fits whatever is collected.
  const std::vector<std::uint8_t> longest(engine::kLineLimit, 'w');
  std::size_t written = 0;
  while (memory.out.data.size() == 10) {
    ASSERT_EQ(
        engine::writeLine(memory.stream, line, longest.data(), longest.size()),
        StepResult::Continue);
    written += longest.size() + 2;
  }
  EXPECT_GE(written, engine::kOutputFlushSize);
  EXPECT_EQ(memory.out.data.size(), 10 + written);
  EXPECT_EQ(memory.out.data.substr(10, 3), "www");
}

TEST(WriteLine, FailedOrShortWriteIsWriteFailed) {
  const std::vector<std::uint8_t> text(1000, 'w');
  for (int shortWrite = 0; shortWrite < 2; ++shortWrite) {
    for (std::uint64_t at : {0u, 1u, 5000u, 10000u, 70000u}) {
      MemoryStream memory("");
      if (shortWrite)
        memory.out.shortWriteAt = at;
      else
        memory.out.failWriteAt = at;
      LineBuffer line;
      StepResult r = StepResult::Continue;
      for (int i = 0; i < 80 && r == StepResult::Continue; ++i)
        r = engine::writeLine(memory.stream, line, text.data(), text.size());
      if (r == StepResult::Continue)
        r = engine::flushLines(memory.stream, line);
      EXPECT_EQ(r, StepResult::WriteFailed)
          << "short " << shortWrite << " at " << at;
    }
  }
}

} // namespace
} // namespace snpln::test
