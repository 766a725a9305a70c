#include "engine/line_end_slice.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/line_engine_run.h"
#include "tests/support/reference_line_engines.h"

namespace snpln::test {
namespace {

using engine::LineEnd;
using engine::StepResult;

const std::size_t kSliceSizes[] = {1, 2, 3, 7, 64, 8192};

struct Target {
  LineEnd end;
  const char *bytes;
};
const Target kTargets[] = {
    {LineEnd::Lf, "\n"}, {LineEnd::CrLf, "\r\n"}, {LineEnd::Cr, "\r"}};

struct LineEndCase {
  std::string input;
  LineEnd target;
  std::string output;
  std::uint64_t changed;
};

// The line model decides on mixed files: CR LF and LF CR are one line end,
// any other CR or LF one on its own.
TEST(LineEndSlice, GoldenCases) {
  const std::vector<LineEndCase> cases = {
      {"", LineEnd::Lf, "", 0},
      {"no end", LineEnd::CrLf, "no end", 0},
      {"a\r\nb\r\n", LineEnd::Lf, "a\nb\n", 2},
      {"a\nb\n", LineEnd::CrLf, "a\r\nb\r\n", 2},
      {"a\nb\n", LineEnd::Lf, "a\nb\n", 0},
      {"a\r\nb", LineEnd::CrLf, "a\r\nb", 0},
      {"a\rb\r", LineEnd::Lf, "a\nb\n", 2},
      {"a\n\rb", LineEnd::Lf, "a\nb", 1},
      {"a\n\rb", LineEnd::CrLf, "a\r\nb", 1},
      {"a\n\nb", LineEnd::CrLf, "a\r\n\r\nb", 2},
      {"a\r\rb", LineEnd::Lf, "a\n\nb", 2},
      {"a\r\n\rb", LineEnd::Lf, "a\n\nb", 2},
      {"a\n\r\nb", LineEnd::Cr, "a\r\rb", 2},
      {"a\r\n\nb\rc\n\rd", LineEnd::CrLf, "a\r\n\r\nb\r\nc\r\nd", 3},
      {"\r", LineEnd::CrLf, "\r\n", 1},
      {"\n", LineEnd::Cr, "\r", 1},
      {"x\r\n", LineEnd::Cr, "x\r", 1},
      {"\x8F\xE0\r\n\xFF\t\r\n", LineEnd::Lf, "\x8F\xE0\n\xFF\t\n", 2},
  };
  for (const LineEndCase &c : cases) {
    for (std::size_t slice : kSliceSizes) {
      const LineEngineRun run = runLineEnds(c.input, c.target, slice);
      EXPECT_EQ(run.result, StepResult::Finished);
      EXPECT_EQ(run.output, c.output)
          << "input " << testing::PrintToString(c.input) << " slice " << slice;
      EXPECT_EQ(run.hits, c.changed)
          << "input " << testing::PrintToString(c.input) << " slice " << slice;
    }
  }
}

// No line limit: a line of 100000 bytes goes through like any other.
TEST(LineEndSlice, LongLinesHaveNoLimit) {
  const std::string line(100000, 'x');
  const LineEngineRun run =
      runLineEnds(line + "\r\n" + line, LineEnd::Lf, 8192);
  EXPECT_EQ(run.result, StepResult::Finished);
  EXPECT_EQ(run.output, line + "\n" + line);
}

void expectLikeReference(const std::string &input) {
  for (const Target &target : kTargets) {
    std::uint64_t changed = 0;
    const std::string expected =
        referenceLineEnds(input, target.bytes, changed);
    for (std::size_t slice : kSliceSizes) {
      const LineEngineRun run = runLineEnds(input, target.end, slice);
      ASSERT_EQ(run.result, StepResult::Finished);
      ASSERT_EQ(run.output, expected)
          << "input " << testing::PrintToString(input) << " to "
          << testing::PrintToString(std::string(target.bytes)) << " slice "
          << slice;
      ASSERT_EQ(run.hits, changed);
    }
  }
}

TEST(LineEndSlice, AgreesWithTheReferenceOnRandomTexts) {
  std::mt19937 rng(21);
  for (int i = 0; i < 300; ++i)
    expectLikeReference(randomLineText(rng, 200));
  // Line ends alone, in every mixture.
  const char ends[] = {'\r', '\n', 'a'};
  for (int i = 0; i < 300; ++i) {
    std::string text;
    const auto length = std::uniform_int_distribution<int>(0, 24)(rng);
    for (int k = 0; k < length; ++k)
      text += ends[std::uniform_int_distribution<int>(0, 2)(rng)];
    expectLikeReference(text);
  }
}

// Each byte of `bytes` as one UTF-16 unit (its Latin-1 character), in the
// byte order asked.
std::string asUnits(const std::string &bytes, bool bigEndian) {
  std::string units;
  for (const char c : bytes)
    units += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
  return units;
}

// UTF-16 text: the same line model a unit at a time, in either byte order;
// the mark is a unit like any other, and a last byte left over stays.
TEST(LineEndSlice, Utf16UnitsAgreeWithTheByteReference) {
  std::mt19937 rng(30);
  std::vector<std::string> texts = {"", "a", "\r", "\n\r", "a\r\nb\n\rc\rd\n"};
  for (int i = 0; i < 60; ++i)
    texts.push_back(randomLineText(rng, 120));
  for (const std::string &text : texts)
    for (const bool bigEndian : {false, true})
      for (const Target &target : kTargets)
        for (const std::string &tail : {std::string(), std::string("z")}) {
          std::uint64_t changed = 0;
          const std::string expected =
              referenceLineEnds(text, target.bytes, changed);
          const std::string mark = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
          for (std::size_t slice : kSliceSizes) {
            const LineEngineRun run = runLineEnds(
                mark + asUnits(text, bigEndian) + tail, target.end, slice,
                bigEndian ? engine::LineUnits::Utf16Be
                          : engine::LineUnits::Utf16Le);
            ASSERT_EQ(run.result, StepResult::Finished);
            ASSERT_EQ(run.output, mark + asUnits(expected, bigEndian) + tail)
                << "input " << testing::PrintToString(text) << " slice "
                << slice << (bigEndian ? " BE" : " LE");
            ASSERT_EQ(run.hits, changed);
          }
        }
}

TEST(LineEndSlice, AgreesWithTheReferenceOnRealTexts) {
  for (const char *name : {"russian_prose.txt", "russian_prose_2.txt"}) {
    std::ifstream file(std::string(SNPLN_TEST_DATA_DIR) + "/" + name,
                       std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    ASSERT_FALSE(text.str().empty()) << name;
    expectLikeReference(text.str());
    // The same text with every line end made CR LF, and made LF CR.
    std::uint64_t changed = 0;
    expectLikeReference(referenceLineEnds(text.str(), "\r\n", changed));
    expectLikeReference(referenceLineEnds(text.str(), "\n\r", changed));
  }
}

} // namespace
} // namespace snpln::test
