#include "engine/recode_slice.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/support/memory_file.h"

namespace snpln::test {
namespace {

using engine::CodePage;
using engine::StepResult;

// The whole buffer recoded byte by byte by the searching definition.
std::string recodeWhole(std::string text, CodePage from, CodePage to) {
  for (char &c : text)
    c = static_cast<char>(
        engine::recodeByte(static_cast<std::uint8_t>(c), from, to));
  return text;
}

std::string randomBytes(std::size_t size, unsigned seed) {
  std::mt19937 rng(seed);
  std::string text(size, '\0');
  for (char &c : text)
    c = static_cast<char>(rng() & 0xFF);
  return text;
}

struct StreamRun {
  StepResult result;
  std::size_t steps; // calls that returned Continue
  std::string output;
  platform::FileSize processed;
};

StreamRun recodeAll(MemoryStream &m, CodePage from, CodePage to) {
  engine::RecodeState state(from, to);
  StreamRun run{StepResult::Continue, 0, {}, 0};
  while ((run.result = engine::recodeSlice(m.stream, state)) ==
         StepResult::Continue)
    ++run.steps;
  run.output = m.out.data;
  run.processed = m.stream.processed;
  return run;
}

TEST(RecodeSlice, StreamingEqualsWholeBufferForEverySliceSize) {
  const std::pair<CodePage, CodePage> pairs[] = {
      {CodePage::Dos, CodePage::Win},
      {CodePage::Koi, CodePage::Iso},
      {CodePage::Iso, CodePage::Dos},
      {CodePage::Win, CodePage::Koi},
  };
  const std::size_t sizes[] = {0, 1, 2, 63, 64, 65, 8191, 8192, 8193, 20011};
  unsigned seed = 1;
  for (std::size_t slice : {1, 2, 3, 7, 64, 8192})
    for (std::size_t size : sizes)
      for (const auto &[from, to] : pairs) {
        const std::string input = randomBytes(size, seed++);
        MemoryStream m(input, slice);
        const StreamRun run = recodeAll(m, from, to);
        SCOPED_TRACE("slice " + std::to_string(slice) + " size " +
                     std::to_string(size));
        ASSERT_EQ(run.result, StepResult::Finished);
        ASSERT_EQ(run.output, recodeWhole(input, from, to));
        ASSERT_EQ(run.processed, size);
        ASSERT_EQ(run.steps, (size + slice - 1) / slice);
      }
}

TEST(RecodeSlice, EmptyInputFinishesAtOnceWithoutWriting) {
  MemoryStream m("");
  m.out.failWriteAt = 0; // any write, even of nothing, would show up
  engine::RecodeState state(CodePage::Dos, CodePage::Win);
  EXPECT_EQ(engine::recodeSlice(m.stream, state), StepResult::Finished);
  EXPECT_EQ(m.out.data, "");
}

TEST(RecodeSlice, FullSliceIsWrittenOnFirstStepAndFinishedOnSecond) {
  const std::string input = randomBytes(8192, 7);
  MemoryStream m(input);
  engine::RecodeState state(CodePage::Koi, CodePage::Dos);
  EXPECT_EQ(engine::recodeSlice(m.stream, state), StepResult::Continue);
  EXPECT_EQ(m.out.data.size(), 8192u);
  EXPECT_EQ(engine::recodeSlice(m.stream, state), StepResult::Finished);
}

TEST(RecodeSlice, AsciiOnlyComesOutUnchanged) {
  const std::string input = "Plain text, 123.\r\n\tNo letters above 0x7F.\r\n";
  MemoryStream m(input, 7);
  EXPECT_EQ(recodeAll(m, CodePage::Win, CodePage::Iso).output, input);
}

TEST(RecodeSlice, ReadFailureAtAnyByteEndsWithReadFailed) {
  const std::string input = randomBytes(300, 11);
  for (std::uint64_t at : {0, 1, 63, 64, 65, 200, 299}) {
    MemoryStream m(input, 64);
    m.in.failReadAt = at;
    const StreamRun run = recodeAll(m, CodePage::Dos, CodePage::Koi);
    EXPECT_EQ(run.result, StepResult::ReadFailed) << "at " << at;
    // Only the slices read in full before the failure were written.
    EXPECT_EQ(run.output.size(), at / 64 * 64) << "at " << at;
  }
}

TEST(RecodeSlice, WriteFailureAndShortWriteEndWithWriteFailed) {
  const std::string input = randomBytes(300, 13);
  for (std::uint64_t at : {0, 1, 64, 130, 299}) {
    MemoryStream failing(input, 64);
    failing.out.failWriteAt = at;
    EXPECT_EQ(recodeAll(failing, CodePage::Win, CodePage::Dos).result,
              StepResult::WriteFailed)
        << "fail at " << at;

    MemoryStream shortened(input, 64);
    shortened.out.shortWriteAt = at;
    EXPECT_EQ(recodeAll(shortened, CodePage::Win, CodePage::Dos).result,
              StepResult::WriteFailed)
        << "short at " << at;
  }
}

TEST(RecodeSlice, FileThatShrankEndsWithReadFailedInsteadOfRunningForever) {
  MemoryStream m(randomBytes(100, 17), 64);
  m.stream.fileSize = 150; // the size said more than the file holds
  EXPECT_EQ(recodeAll(m, CodePage::Dos, CodePage::Win).result,
            StepResult::ReadFailed);
}

} // namespace
} // namespace snpln::test
