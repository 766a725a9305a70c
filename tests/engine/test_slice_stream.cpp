#include "engine/slice_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "engine/case_slice.h"
#include "engine/detect_code_page.h"
#include "engine/exclusion_slice.h"
#include "engine/recode_slice.h"
#include "tests/support/memory_file.h"
#include "tests/support/reference_text_engines.h"
#include "tests/support/reference_utf8_engines.h"

namespace snpln::test {
namespace {

using engine::kIoBlockSize;
using engine::StepResult;

// An in-memory file that logs the size of every read and counts seeks.
class LoggedInput : public MemoryInputFile {
public:
  using MemoryInputFile::MemoryInputFile;
  bool read(void *buffer, std::size_t size, std::size_t &got) override {
    const bool ok = MemoryInputFile::read(buffer, size, got);
    asked.push_back(size);
    delivered += got;
    return ok;
  }
  bool seek(platform::FileSize position) override {
    ++seeks;
    return MemoryInputFile::seek(position);
  }
  std::vector<std::size_t> asked;
  std::uint64_t delivered = 0;
  int seeks = 0;
};

class LoggedOutput : public MemoryOutputFile {
public:
  bool write(const void *buffer, std::size_t size,
             std::size_t &written) override {
    sizes.push_back(size);
    return MemoryOutputFile::write(buffer, size, written);
  }
  std::vector<std::size_t> sizes;
};

// Russian prose in Windows-1251, repeated to `size` bytes.
std::string winText(std::size_t size) {
  const std::string one = inPage(russianProse(), engine::CodePage::Win);
  std::string text;
  while (text.size() < size)
    text += one;
  text.resize(size);
  return text;
}

// The file is read in blocks and written in blocks, each byte read once
// and nothing sought, while the engine still takes one slice per step
// (the job's progress is set per step).
TEST(SliceStream, ReadsAndWritesInBlocksWhileStepsStayPerSlice) {
  const std::size_t size = 4 * kIoBlockSize + 1000;
  LoggedInput in(winText(size));
  LoggedOutput out;
  engine::SliceStream stream(&in, &out, size);
  EXPECT_EQ(engine::detectStream(stream).page, engine::CodePage::Win);
  engine::CaseState state(engine::CaseOperation::Upper, false,
                          engine::TextEncoding::SingleByte,
                          engine::CodePage::Win);
  std::size_t steps = 0;
  StepResult r = StepResult::Continue;
  while (r == StepResult::Continue) {
    r = engine::caseSlice(stream, state);
    ++steps;
  }
  ASSERT_EQ(r, StepResult::Finished);
  EXPECT_EQ(steps, (size + engine::kSliceSize - 1) / engine::kSliceSize + 1);
  EXPECT_EQ(in.delivered, size);
  EXPECT_EQ(in.seeks, 0);
  ASSERT_EQ(in.asked.size(), 5u) << testing::PrintToString(in.asked);
  for (std::size_t i = 0; i + 1 < in.asked.size(); ++i)
    EXPECT_EQ(in.asked[i], kIoBlockSize) << "read " << i;
  EXPECT_EQ(in.asked.back(), 1000u);
  ASSERT_GE(out.sizes.size(), 2u);
  for (std::size_t i = 0; i + 1 < out.sizes.size(); ++i)
    EXPECT_GE(out.sizes[i], kIoBlockSize) << "write " << i;
  EXPECT_EQ(out.data, referenceCase(in.data_, engine::CaseOperation::Upper,
                                    false, engine::CodePage::Win));
}

// Bytes an engine leaves unconsumed come again at the front of the next
// slice, from the same block: no copy, and sliceSize new bytes after them.
// Every job made its output buffer a cleared block of 264 KiB, whatever the
// file's size. The buffers now grow with what is asked of them, uncleared,
// and keep what they hold.
TEST(StreamBytes, GrowsToWhatIsAskedAndKeepsItsBytes) {
  engine::StreamBytes bytes;
  EXPECT_EQ(bytes.size(), 0u);
  bytes.grow(17, 0);
  ASSERT_GE(bytes.size(), 17u);
  EXPECT_LT(bytes.size(), 64u) << "a small file needs a small buffer";
  for (std::uint8_t i = 0; i < 17; ++i)
    bytes.data()[i] = i;
  const std::size_t grown = bytes.size();
  bytes.grow(grown, grown);
  EXPECT_EQ(bytes.size(), grown);
  bytes.grow(grown + 1, 17);
  ASSERT_GE(bytes.size(), 2 * grown) << "growth doubles at least";
  for (std::uint8_t i = 0; i < 17; ++i)
    EXPECT_EQ(bytes.data()[i], i) << "byte " << int{i};
}

TEST(SliceStream, LeftBytesComeAgainInPlaceFollowedByNewOnes) {
  std::string text;
  for (int i = 0; i < 100; ++i)
    text += static_cast<char>('a' + i % 26);
  MemoryStream m(text, 10);
  engine::SliceStream &s = m.stream;
  ASSERT_TRUE(s.readSlice());
  ASSERT_EQ(s.bytesRead, 10u);
  const std::uint8_t *first = s.slice;
  s.processed += 7; // three bytes left
  ASSERT_TRUE(s.readSlice());
  EXPECT_EQ(s.slice, first + 7);
  EXPECT_EQ(s.bytesRead, 13u);
  EXPECT_EQ(std::string(s.slice, s.slice + s.bytesRead), text.substr(7, 13));
  s.processed += 0; // nothing consumed: the slice grows
  ASSERT_TRUE(s.readSlice());
  EXPECT_EQ(s.bytesRead, 23u);
  s.processed += 23;
  ASSERT_TRUE(s.readSlice());
  EXPECT_EQ(std::string(s.slice, s.slice + s.bytesRead), text.substr(30, 10));
}

// The byte after each slice is at hand wherever the slice ends, the end of
// a block included, at every slice size.
TEST(SliceStream, NextByteIsAtHandAcrossBlockEnds) {
  std::mt19937 rng(5);
  std::string text(2 * kIoBlockSize + 77, '\0');
  for (char &c : text)
    c = static_cast<char>(rng() % 255 + 1);
  for (std::size_t slice : {1u, 2u, 3u, 7u, 64u, 8192u}) {
    MemoryStream m(text, slice);
    engine::SliceStream &s = m.stream;
    while (!s.atEnd()) {
      ASSERT_TRUE(s.readSlice());
      ASSERT_EQ(std::string(s.slice, s.slice + s.bytesRead),
                text.substr(s.processed, s.bytesRead));
      s.processed += s.bytesRead;
      std::uint8_t next = 0;
      if (!s.atEnd()) {
        ASSERT_TRUE(s.peekNextByte(next)) << slice << " at " << s.processed;
        ASSERT_EQ(next, static_cast<std::uint8_t>(text[s.processed]));
      }
    }
  }
}

// Part of a block may arrive before a read fails: the stream never reads
// again from where the input then stands.
TEST(SliceStream, ReadFailureStaysAFailure) {
  const std::string text(3 * kIoBlockSize, 'q');
  MemoryStream m(text, 8192);
  m.in.failReadAt = kIoBlockSize + 10;
  engine::SliceStream &s = m.stream;
  bool failed = false;
  while (!s.atEnd() && !failed) {
    failed = !s.readSlice();
    s.processed += s.bytesRead;
  }
  ASSERT_TRUE(failed);
  EXPECT_EQ(s.processed, kIoBlockSize);
  m.in.failReadAt = kNever;
  EXPECT_FALSE(s.readSlice());
}

// The UTF-8 engines leave cut sequences and the last character of a slice
// to the next one; over several blocks, at every slice size, they agree
// with the whole-buffer references.
TEST(SliceStream, Utf8EnginesAgreeWithTheReferencesAcrossBlocks) {
  std::mt19937 rng(44);
  std::string text;
  while (text.size() < 2 * kIoBlockSize + 5000)
    text += randomUtf8Text(rng, 3000);
  const engine::ExclusionOptions word{true, true, true};
  std::uint64_t hits = 0;
  const std::string replaced =
      referenceExclusionUtf8(text, "мир", "МИРУ", word, &hits);
  const engine::CaseOperation ops[] = {engine::CaseOperation::Upper,
                                       engine::CaseOperation::Smart};
  const std::string cased[] = {referenceCaseUtf8(text, ops[0], false),
                               referenceCaseUtf8(text, ops[1], false)};
  for (std::size_t slice : {1u, 2u, 3u, 7u, 64u, 8192u}) {
    SCOPED_TRACE(slice);
    for (int k = 0; k < 2; ++k) {
      MemoryStream m(text, slice);
      engine::CaseState state(ops[k], false, engine::TextEncoding::Utf8);
      ASSERT_EQ(runSteps([&] { return engine::caseSlice(m.stream, state); }),
                StepResult::Finished);
      ASSERT_EQ(m.out.data, cased[k]);
    }
    MemoryStream m(text, slice);
    engine::ExclusionState state("мир", "МИРУ", word,
                                 engine::TextEncoding::Utf8);
    ASSERT_EQ(runSteps([&] { return engine::exclusionSlice(m.stream, state); }),
              StepResult::Finished);
    ASSERT_EQ(m.out.data, replaced);
    ASSERT_EQ(state.hitCount, hits);
  }
  // From UTF-8 to Windows-1251, on prose the page holds.
  std::string prose;
  while (prose.size() < 2 * kIoBlockSize + 5000)
    prose += russianProse();
  const std::string expected = inPage(prose, engine::CodePage::Win);
  for (std::size_t slice : {1u, 2u, 3u, 7u, 64u, 8192u}) {
    MemoryStream m(prose, slice);
    engine::RecodeState state(engine::CodePage::Utf8, engine::CodePage::Win);
    ASSERT_EQ(runSteps([&] { return engine::recodeSlice(m.stream, state); }),
              StepResult::Finished)
        << slice;
    ASSERT_EQ(m.out.data, expected) << slice;
  }
}

// A stream whose size is known only once its input ends (a stage reading
// the one before it): an input that gives a few bytes a read, at any slice
// size, makes the same slices, tells its end, and learns its size then.
TEST(SliceStream, OpenEndedStreamLearnsItsSizeAtTheEnd) {
  for (const std::size_t text : {0u, 1u, 5u, 100u, 70000u})
    for (const std::size_t perRead : {1u, 3u, 4096u})
      for (const std::size_t slice : {1u, 2u, 7u, 8192u}) {
        SCOPED_TRACE(std::to_string(text) + " bytes, " +
                     std::to_string(perRead) + " a read, slice " +
                     std::to_string(slice));
        const std::string bytes = winText(text);
        MemoryInputFile in(bytes);
        in.maxRead = perRead;
        MemoryOutputFile out;
        auto s = engine::SliceStream::openEnded(&in, &out, slice, 1024);
        EXPECT_FALSE(s.sizeKnown());
        std::string seen;
        std::size_t steps = 0;
        while (!s.atEnd() && steps++ <= text + 1) {
          ASSERT_TRUE(s.readSlice());
          ASSERT_GT(s.bytesRead, 0u);
          ASSERT_LE(s.bytesRead, slice);
          // The last slice is told by the size, as the engines tell it.
          EXPECT_EQ(s.processed + s.bytesRead >= s.fileSize,
                    seen.size() + s.bytesRead == text);
          seen.append(reinterpret_cast<const char *>(s.slice), s.bytesRead);
          s.processed += s.bytesRead;
        }
        EXPECT_TRUE(s.sizeKnown());
        EXPECT_EQ(s.fileSize, text);
        EXPECT_EQ(seen, bytes);
      }
}

// Every engine reads an open-ended stream as it reads a file.
TEST(SliceStream, EnginesReadAnOpenEndedStreamAsAFile) {
  const std::string text = winText(3 * 1024 + 17);
  std::uint64_t hits = 0;
  const std::string replaced =
      referenceExclusion(text, "\xEC\xE8", "XYZ", {}, &hits);
  const std::string upper = referenceCase(text, engine::CaseOperation::Upper,
                                          false, engine::CodePage::Win);
  for (const std::size_t slice : {1u, 3u, 64u, 8192u}) {
    SCOPED_TRACE(slice);
    MemoryInputFile in(text);
    in.maxRead = 5;
    MemoryOutputFile out;
    auto s = engine::SliceStream::openEnded(&in, &out, slice, 512);
    engine::CaseState state(engine::CaseOperation::Upper, false,
                            engine::TextEncoding::SingleByte,
                            engine::CodePage::Win);
    ASSERT_EQ(runSteps([&] { return engine::caseSlice(s, state); }),
              StepResult::Finished);
    EXPECT_EQ(out.data, upper);
    MemoryInputFile in2(text);
    in2.maxRead = 7;
    MemoryOutputFile out2;
    auto s2 = engine::SliceStream::openEnded(&in2, &out2, slice, 512);
    engine::ExclusionState exclusion("\xEC\xE8", "XYZ", {});
    ASSERT_EQ(runSteps([&] { return engine::exclusionSlice(s2, exclusion); }),
              StepResult::Finished);
    EXPECT_EQ(out2.data, replaced);
    EXPECT_EQ(exclusion.hitCount, hits);
  }
}

} // namespace
} // namespace snpln::test
