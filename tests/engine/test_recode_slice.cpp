#include "engine/recode_slice.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/code_page_chars.h"
#include "engine/substitutes.h"
#include "engine/utf8_codec.h"

#include "tests/support/memory_file.h"
#include "tests/support/russian_samples.h"

namespace snpln::test {
namespace {

using engine::CodePage;
using engine::StepResult;

constexpr CodePage kPages[] = {CodePage::Dos, CodePage::Win, CodePage::Koi,
                               CodePage::Iso};

std::string nameOf(CodePage page) { return pageName(page); }

// The whole buffer recoded byte by byte by the tables.
std::string recodeWhole(std::string text, CodePage from, CodePage to) {
  for (char &c : text)
    c = static_cast<char>(
        engine::recodeByte(static_cast<std::uint8_t>(c), from, to));
  return text;
}

// The bytes of the whole buffer whose character the target lacks.
std::uint64_t filledWhole(const std::string &text, CodePage from, CodePage to) {
  const engine::ByteFlags flags = engine::noEquivalentBytes(from, to);
  std::uint64_t n = 0;
  for (char c : text)
    n += flags[static_cast<std::uint8_t>(c)] ? 1u : 0u;
  return n;
}

std::string randomBytes(std::size_t size, unsigned seed) {
  std::mt19937 rng(seed);
  std::string text(size, '\0');
  for (char &c : text)
    c = static_cast<char>(rng() & 0xFF);
  return text;
}

// Runs of ASCII and runs of other bytes, each 0 to 19 bytes long, so that
// the fast paths' eight-byte groups meet every mix of the two at every
// offset.
std::string randomRuns(std::size_t size, unsigned seed) {
  std::mt19937 rng(seed);
  std::string text;
  bool ascii = true;
  while (text.size() < size) {
    const std::size_t run = rng() % 20;
    for (std::size_t i = 0; i < run && text.size() < size; ++i)
      text +=
          static_cast<char>(ascii ? 0x20 + rng() % 0x5F : 0x80 + rng() % 0x80);
    ascii = !ascii;
  }
  return text;
}

struct StreamRun {
  StepResult result;
  std::size_t steps; // calls that returned Continue
  std::string output;
  platform::FileSize processed;
  std::uint64_t filled = 0;
};

StreamRun recodeAll(MemoryStream &m, CodePage from, CodePage to) {
  engine::RecodeState state(from, to);
  StreamRun run{StepResult::Continue, 0, {}, 0};
  while ((run.result = engine::recodeSlice(m.stream, state)) ==
         StepResult::Continue)
    ++run.steps;
  run.output = m.out.data;
  run.processed = m.stream.processed;
  run.filled = state.filled;
  return run;
}

TEST(RecodeSlice, StreamingEqualsWholeBufferForEverySliceSize) {
  std::vector<std::pair<CodePage, CodePage>> pairs;
  for (CodePage from : kPages)
    for (CodePage to : kPages)
      if (from != to)
        pairs.emplace_back(from, to);
  const std::size_t sizes[] = {0, 1, 2, 63, 64, 65, 8191, 8192, 8193, 20011};
  unsigned seed = 1;
  for (std::size_t slice : {1u, 2u, 3u, 7u, 64u, 8192u})
    for (std::size_t size : sizes)
      for (const auto &[from, to] : pairs) {
        const std::string input = randomBytes(size, seed++);
        MemoryStream m(input, slice);
        const StreamRun run = recodeAll(m, from, to);
        SCOPED_TRACE("slice " + std::to_string(slice) + " size " +
                     std::to_string(size));
        ASSERT_EQ(run.result, StepResult::Finished);
        ASSERT_EQ(run.output, recodeWhole(input, from, to));
        ASSERT_EQ(run.filled, filledWhole(input, from, to));
        ASSERT_EQ(run.processed, size);
        ASSERT_EQ(run.steps, (size + slice - 1) / slice);
      }
}

// Strict: the first byte whose character the target lacks stops the job
// at its offset; a text without one comes out as without strict; with
// --substitute there is nothing to refuse.
TEST(RecodeSlice, StrictStopsAtTheFirstCharacterTheTargetLacks) {
  unsigned seed = 900;
  int refused = 0;
  for (CodePage from : engine::kSingleBytePages)
    for (CodePage to : engine::kSingleBytePages) {
      if (from == to)
        continue;
      const engine::ByteFlags lacks = engine::noEquivalentBytes(from, to);
      for (std::size_t size : {0u, 1u, 9u, 65u, 300u}) {
        // Text of one page's letters and ASCII, then random bytes.
        const std::string input = randomRuns(size, seed++);
        std::size_t first = 0;
        while (first < input.size() &&
               !lacks[static_cast<std::uint8_t>(input[first])])
          ++first;
        for (std::size_t slice : {1u, 3u, 64u, 8192u}) {
          SCOPED_TRACE(nameOf(from) + " to " + nameOf(to) + ", size " +
                       std::to_string(size) + ", slice " +
                       std::to_string(slice));
          MemoryStream m(input, slice);
          engine::RecodeState state(from, to, false, true);
          const StepResult result =
              runSteps([&] { return engine::recodeSlice(m.stream, state); });
          if (first == input.size()) {
            ASSERT_EQ(result, StepResult::Finished);
            ASSERT_EQ(m.out.data, recodeWhole(input, from, to));
          } else {
            ++refused;
            ASSERT_EQ(result, StepResult::BadText);
            ASSERT_EQ(state.fault, engine::RecodeFault::Unrepresentable);
            ASSERT_EQ(state.faultOffset, first);
            ASSERT_EQ(state.filled, 0u);
          }
          MemoryStream s2(input, slice);
          engine::RecodeState substituting(from, to, true, true);
          ASSERT_EQ(runSteps([&] {
                      return engine::recodeSlice(s2.stream, substituting);
                    }),
                    StepResult::Finished);
        }
      }
    }
  EXPECT_GT(refused, 100);
}

TEST(RecodeSlice, EmptyInputFinishesAtOnceWithoutWriting) {
  MemoryStream m("");
  m.out.failWriteAt = 0; // any write, even of nothing, would show up
  engine::RecodeState state(CodePage::Dos, CodePage::Win);
  EXPECT_EQ(engine::recodeSlice(m.stream, state), StepResult::Finished);
  EXPECT_EQ(m.out.data, "");
}

// The output is written in blocks: a slice's output waits for a full block
// or for the step that finishes.
TEST(RecodeSlice, FullSliceIsConsumedOnFirstStepAndWrittenWhenFinished) {
  const std::string input = randomBytes(8192, 7);
  MemoryStream m(input);
  engine::RecodeState state(CodePage::Koi, CodePage::Dos);
  EXPECT_EQ(engine::recodeSlice(m.stream, state), StepResult::Continue);
  EXPECT_EQ(m.stream.processed, 8192u);
  EXPECT_EQ(m.out.data.size(), 0u);
  EXPECT_EQ(engine::recodeSlice(m.stream, state), StepResult::Finished);
  EXPECT_EQ(m.out.data.size(), 8192u);
}

TEST(RecodeSlice, AsciiOnlyComesOutUnchanged) {
  const std::string input = "Plain text, 123.\r\n\tNo letters above 0x7F.\r\n";
  MemoryStream m(input, 7);
  EXPECT_EQ(recodeAll(m, CodePage::Win, CodePage::Iso).output, input);
}

TEST(RecodeSlice, ReadFailureAtAnyByteEndsWithReadFailed) {
  const std::string input = randomBytes(300, 11);
  for (std::uint64_t at : {0u, 1u, 63u, 64u, 65u, 200u, 299u}) {
    MemoryStream m(input, 64);
    m.in.failReadAt = at;
    const StreamRun run = recodeAll(m, CodePage::Dos, CodePage::Koi);
    EXPECT_EQ(run.result, StepResult::ReadFailed) << "at " << at;
    // The file is read in blocks: a failure anywhere in the first one ends
    // the job before anything is written.
    EXPECT_EQ(run.output.size(), 0u) << "at " << at;
  }
}

TEST(RecodeSlice, WriteFailureAndShortWriteEndWithWriteFailed) {
  const std::string input = randomBytes(300, 13);
  for (std::uint64_t at : {0u, 1u, 64u, 130u, 299u}) {
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

TEST(RecodeSlice, ZeroByteIsNotedFromTheSliceThatHoldsIt) {
  std::string input(200, 'a');
  input[130] = '\0';
  MemoryStream m(input, 64);
  engine::RecodeState state(CodePage::Win, CodePage::Koi);
  for (int slice = 0; slice < 2; ++slice) {
    ASSERT_EQ(engine::recodeSlice(m.stream, state), StepResult::Continue);
    EXPECT_FALSE(m.stream.zeroByteSeen) << "slice " << slice;
  }
  ASSERT_EQ(engine::recodeSlice(m.stream, state), StepResult::Continue);
  EXPECT_TRUE(m.stream.zeroByteSeen);
}

TEST(RecodeSlice, FileThatShrankEndsWithReadFailedInsteadOfRunningForever) {
  MemoryStream m(randomBytes(100, 17), 64);
  m.stream.fileSize = 150; // the size said more than the file holds
  EXPECT_EQ(recodeAll(m, CodePage::Dos, CodePage::Win).result,
            StepResult::ReadFailed);
}

// --- Recoding to and from UTF-8 -------------------------------------------

// A whole buffer through the C library's converter: the output, and where
// it stopped when it could not go on.
struct Converted {
  bool ok = false;
  int error = 0; // EILSEQ (cannot convert) or EINVAL (cut short)
  std::string out;
  std::size_t stoppedAt = 0;
};

Converted convert(const std::string &input, const std::string &from,
                  const std::string &to) {
  Converted c;
  iconv_t cd = iconv_open(to.c_str(), from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1))
    return c;
  std::string out(input.size() * 4 + 16, '\0');
  char *in = const_cast<char *>(input.data());
  std::size_t inLeft = input.size();
  char *dest = out.data();
  std::size_t outLeft = out.size();
  const std::size_t r = iconv(cd, &in, &inLeft, &dest, &outLeft);
  c.error = errno;
  iconv_close(cd);
  c.ok = r != static_cast<std::size_t>(-1) && inLeft == 0;
  c.stoppedAt = input.size() - inLeft;
  out.resize(out.size() - outLeft);
  c.out = out;
  return c;
}

// The UTF-8 of every byte of a page. Windows-1251 leaves 0x98 undefined and
// the product gives it U+0098; every other byte must convert.
std::array<std::string, 256> utf8OfEveryByte(CodePage page) {
  std::array<std::string, 256> table;
  for (unsigned b = 0; b < 256; ++b) {
    const Converted c =
        convert(std::string(1, static_cast<char>(b)), iconvName(page), "UTF-8");
    if (!c.ok) {
      EXPECT_TRUE(page == CodePage::Win && b == 0x98)
          << iconvName(page) << " byte " << b;
      table[b] = "\xC2\x98";
    } else {
      table[b] = c.out;
    }
  }
  return table;
}

// The reference of single-byte text to UTF-8: byte by byte through the table.
std::string toUtf8Reference(const std::string &input,
                            const std::array<std::string, 256> &table) {
  std::string out;
  for (const char c : input)
    out += table[static_cast<unsigned char>(c)];
  return out;
}

// The outcome of recoding UTF-8 to a single-byte page, from the reference or
// from the engine.
struct FromUtf8 {
  engine::RecodeFault fault = engine::RecodeFault::None;
  std::uint64_t offset = 0;
  std::string out; // only when there is no fault
  bool operator==(const FromUtf8 &) const = default;
};

std::ostream &operator<<(std::ostream &os, const FromUtf8 &r) {
  return os << "fault " << int(r.fault) << " at " << r.offset << ", "
            << r.out.size() << " bytes out";
}

bool isValidUtf8From(const std::string &input, std::size_t at) {
  return convert(input.substr(at), "UTF-8", "UTF-32LE").stoppedAt != 0 ||
         at == input.size();
}

// The reference: a leading byte order mark dropped, the rest through the C
// library's converter; where it stops, the bytes there are either not
// UTF-8 at all or a character the target lacks.
FromUtf8 fromUtf8Reference(const std::string &input, CodePage target) {
  FromUtf8 r;
  const std::size_t skip = input.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  const std::string body = input.substr(skip);
  const Converted c = convert(body, "UTF-8", iconvName(target));
  if (c.ok) {
    r.out = c.out;
    return r;
  }
  r.offset = skip + c.stoppedAt;
  const bool valid = c.error == EILSEQ && isValidUtf8From(body, c.stoppedAt);
  r.fault = valid ? engine::RecodeFault::Unrepresentable
                  : engine::RecodeFault::InvalidUtf8;
  return r;
}

FromUtf8 fromUtf8Engine(const std::string &input, CodePage target,
                        std::size_t slice) {
  MemoryStream m(input, slice);
  engine::RecodeState state(CodePage::Utf8, target);
  const StepResult result =
      runSteps([&] { return engine::recodeSlice(m.stream, state); });
  FromUtf8 r;
  if (result == StepResult::BadText) {
    r.fault = state.fault;
    r.offset = state.faultOffset;
  } else {
    EXPECT_EQ(result, StepResult::Finished);
    r.out = m.out.data;
  }
  return r;
}

std::string readProse() {
  std::ifstream file(std::filesystem::path(SNPLN_TEST_DATA_DIR) /
                         "russian_prose.txt",
                     std::ios::binary);
  std::ostringstream prose;
  prose << file.rdbuf();
  return prose.str();
}

constexpr std::size_t kSliceSizes[] = {1, 2, 3, 7, 64, 8192};

std::string utf8(char32_t code) {
  std::uint8_t b[4];
  return std::string(reinterpret_cast<char *>(b), engine::encodeUtf8(code, b));
}

TEST(RecodeUtf8, EveryByteOfEveryPageEqualsTheStandardMapping) {
  for (CodePage page : kPages) {
    const auto table = utf8OfEveryByte(page);
    std::string all;
    for (unsigned b = 0; b < 256; ++b)
      all += static_cast<char>(b);
    for (std::size_t slice : kSliceSizes) {
      MemoryStream m(all, slice);
      engine::RecodeState state(page, CodePage::Utf8);
      ASSERT_EQ(runSteps([&] { return engine::recodeSlice(m.stream, state); }),
                StepResult::Finished);
      ASSERT_EQ(m.out.data, toUtf8Reference(all, table))
          << nameOf(page) << " slice " << slice;
    }
    // And every byte comes back, 0x98 of Windows-1251 included.
    for (std::size_t slice : kSliceSizes)
      ASSERT_EQ(fromUtf8Engine(toUtf8Reference(all, table), page, slice).out,
                all)
          << nameOf(page) << " back, slice " << slice;
  }
}

TEST(RecodeUtf8, ProseEqualsTheCLibraryConverterBothWays) {
  const std::string prose = readProse();
  ASSERT_GT(prose.size(), 1000u);
  for (CodePage page : kPages) {
    const Converted single = convert(prose, "UTF-8", iconvName(page));
    ASSERT_TRUE(single.ok) << iconvName(page);
    for (std::size_t slice : kSliceSizes) {
      MemoryStream m(single.out, slice);
      engine::RecodeState state(page, CodePage::Utf8);
      runSteps([&] { return engine::recodeSlice(m.stream, state); });
      ASSERT_EQ(m.out.data, prose) << nameOf(page) << " slice " << slice;
      ASSERT_EQ(fromUtf8Engine(prose, page, slice).out, single.out)
          << nameOf(page) << " slice " << slice;
    }
  }
}

TEST(RecodeUtf8, RandomSingleByteTextAtEverySliceSize) {
  unsigned seed = 100;
  for (CodePage page : kPages) {
    const auto table = utf8OfEveryByte(page);
    for (std::size_t slice : kSliceSizes)
      for (std::size_t size : {0u, 1u, 5u, 64u, 8191u, 8192u, 8193u, 20011u})
        for (const bool runs : {false, true}) {
          const std::string input =
              runs ? randomRuns(size, seed++) : randomBytes(size, seed++);
          MemoryStream m(input, slice);
          engine::RecodeState state(page, CodePage::Utf8);
          const StreamRun run = [&] {
            StreamRun r{StepResult::Continue, 0, {}, 0};
            while ((r.result = engine::recodeSlice(m.stream, state)) ==
                   StepResult::Continue)
              ++r.steps;
            r.output = m.out.data;
            return r;
          }();
          ASSERT_EQ(run.result, StepResult::Finished);
          ASSERT_EQ(run.output, toUtf8Reference(input, table))
              << nameOf(page) << " slice " << slice << " size " << size
              << (runs ? " (runs)" : "");
          ASSERT_EQ(run.steps, (size + slice - 1) / slice);
        }
  }
}

// Random UTF-8 built from the characters of the target, others it lacks,
// and now and then bytes that are not UTF-8 at all.
std::string randomUtf8(CodePage target, std::size_t chars, unsigned seed,
                       bool allowFaults) {
  std::mt19937 rng(seed);
  const auto table = utf8OfEveryByte(target);
  const char *const foreign[] = {"\xC3\xA9", "\xE4\xB8\xAD", "\xF0\x9F\x98\x80",
                                 "\xEF\xBB\xBF"};
  const char *const broken[] = {"\xFF",     "\x80",         "\xE2\x82",
                                "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                                "\xC2"};
  std::string out;
  for (std::size_t i = 0; i < chars; ++i) {
    const auto pick = static_cast<unsigned>(rng() % 1000);
    if (allowFaults && pick < 2)
      out += foreign[rng() % std::size(foreign)];
    else if (allowFaults && pick < 4)
      out += broken[rng() % std::size(broken)];
    else {
      auto b = static_cast<unsigned>(rng() % 256);
      if (target == CodePage::Win && b == 0x98)
        b = 0xE0; // the C library cannot write U+0098 in Windows-1251
      out += table[b];
    }
  }
  return out;
}

TEST(RecodeUtf8, RandomUtf8AtEverySliceSizeAgreesWithTheReference) {
  unsigned seed = 500;
  int faults = 0;
  for (CodePage page : kPages)
    for (std::size_t slice : kSliceSizes)
      for (std::size_t chars : {0u, 1u, 2u, 3u, 50u, 700u, 5000u}) {
        for (bool allowFaults : {false, true}) {
          const std::string input =
              randomUtf8(page, chars, seed++, allowFaults);
          const FromUtf8 expected = fromUtf8Reference(input, page);
          faults += expected.fault != engine::RecodeFault::None;
          ASSERT_EQ(fromUtf8Engine(input, page, slice), expected)
              << nameOf(page) << " slice " << slice << " chars " << chars
              << (allowFaults ? " with faults" : "");
        }
      }
  EXPECT_GT(faults, 20); // the faults were met, not only clean text
}

// The engine takes runs of ASCII and two-byte characters eight bytes at a
// time: a fault or a character of another length at any byte of such a
// run (a lead last, a continuation first, a sequence cut short, a NUL) is
// met where the reference meets it.
TEST(RecodeUtf8, FaultAtAnyByteOfARunOfProseIsFoundWhereTheReferenceIs) {
  const std::string prose = readProse().substr(0, 96);
  const std::string planted[] = {"\xFF",
                                 "\x80",
                                 "\xC2",
                                 "\xD0",
                                 "\xC0\xAF",
                                 "\xE2\x82",
                                 "\xE2\x80\x94",
                                 "\xC3\xA9",
                                 "\xEF\xBB\xBF",
                                 "\xD0\x81",
                                 "\xF0\x9F\x98\x80",
                                 std::string("\xD1\0", 2),
                                 std::string(1, '\0')};
  int faults = 0;
  for (CodePage page : kPages)
    for (std::size_t at = 0; at <= 40; ++at)
      for (const std::string &bytes : planted) {
        const std::string input =
            prose.substr(0, at) + bytes + prose.substr(at);
        const FromUtf8 expected = fromUtf8Reference(input, page);
        faults += expected.fault != engine::RecodeFault::None;
        for (std::size_t slice : kSliceSizes)
          ASSERT_EQ(fromUtf8Engine(input, page, slice), expected)
              << nameOf(page) << " slice " << slice << " at " << at
              << " planted " << testing::PrintToString(bytes);
      }
  EXPECT_GT(faults, 1000);
}

// UTF-8 to UTF-8 checks the bytes: the output is the input, and a file
// with a stray byte stops where the C library's converter stops.
TEST(RecodeUtf8, ToUtf8ChecksTheBytesAndStopsWhereTheReferenceDoes) {
  const std::string prose = readProse().substr(0, 96);
  const std::string planted[] = {"",
                                 "\xFF",
                                 "\x80",
                                 "\xD0",
                                 "\xE9",
                                 "\xC0\xAF",
                                 "\xE2\x82",
                                 "\xE2\x80\x94",
                                 "\xEF\xBB\xBF",
                                 "\xED\xA0\x80",
                                 "\xF0\x9F\x98\x80"};
  int faults = 0;
  for (std::size_t at = 0; at <= 40; at += 3)
    for (const std::string &bytes : planted) {
      const std::string input = prose.substr(0, at) + bytes + prose.substr(at);
      const Converted c = convert(input, "UTF-8", "UTF-8");
      FromUtf8 expected;
      if (c.ok) {
        expected.out = input;
      } else {
        expected.fault = engine::RecodeFault::InvalidUtf8;
        expected.offset = c.stoppedAt;
        ++faults;
      }
      for (std::size_t slice : kSliceSizes)
        ASSERT_EQ(fromUtf8Engine(input, CodePage::Utf8, slice), expected)
            << "slice " << slice << " at " << at << " planted "
            << testing::PrintToString(bytes);
    }
  EXPECT_GT(faults, 50);
}

TEST(RecodeUtf8, EveryCutOfAMultiByteSequenceIsJoinedAcrossSlices) {
  // Characters of two and three bytes at every position against a slice
  // end, in both directions of the cut.
  const std::string text = "\xD0\x81\xE2\x84\x96"
                           "a\xD1\x8F\xE2\x95\xAC";
  for (std::size_t prefix = 0; prefix < 8; ++prefix) {
    const std::string input = std::string(prefix, 'x') + text + text;
    for (std::size_t slice : {1u, 2u, 3u, 4u, 5u, 7u}) {
      const FromUtf8 got = fromUtf8Engine(input, CodePage::Dos, slice);
      ASSERT_EQ(got, fromUtf8Reference(input, CodePage::Dos))
          << "prefix " << prefix << " slice " << slice;
      ASSERT_EQ(got.fault, engine::RecodeFault::None);
    }
  }
}

TEST(RecodeUtf8, ByteOrderMarkIsDroppedOnlyAtTheStartAndNeverAdded) {
  const std::string bom = "\xEF\xBB\xBF";
  const std::string word = utf8(0x041C) + utf8(0x0438) + utf8(0x0440); // Мир
  for (std::size_t slice : kSliceSizes) {
    const FromUtf8 dropped = fromUtf8Engine(bom + word, CodePage::Win, slice);
    EXPECT_EQ(dropped.out, "\xCC\xE8\xF0") << "slice " << slice;
    // Anywhere else it is a character no single-byte page holds.
    const FromUtf8 inside = fromUtf8Engine(word + bom, CodePage::Win, slice);
    EXPECT_EQ(inside.fault, engine::RecodeFault::Unrepresentable);
    EXPECT_EQ(inside.offset, word.size());
    // A second mark straight after the first is not dropped either.
    const FromUtf8 twice =
        fromUtf8Engine(bom + bom + word, CodePage::Koi, slice);
    EXPECT_EQ(twice.fault, engine::RecodeFault::Unrepresentable);
    EXPECT_EQ(twice.offset, 3u);

    MemoryStream m("\xCC\xE8\xF0", slice);
    engine::RecodeState state(CodePage::Win, CodePage::Utf8);
    runSteps([&] { return engine::recodeSlice(m.stream, state); });
    EXPECT_EQ(m.out.data, word) << "no mark added, slice " << slice;
  }
}

TEST(RecodeUtf8, FaultsNameTheOffsetOfTheirFirstByte) {
  struct Case {
    const char *name;
    std::string input;
    CodePage target;
    engine::RecodeFault fault;
    std::uint64_t offset;
  };
  const std::string ya = utf8(0x044F);
  const Case cases[] = {
      {"lone continuation", "ab\x80", CodePage::Win,
       engine::RecodeFault::InvalidUtf8, 2},
      {"overlong slash", ya + "\xC0\xAF", CodePage::Win,
       engine::RecodeFault::InvalidUtf8, 2},
      {"overlong three bytes", "\xE0\x80\xAF", CodePage::Dos,
       engine::RecodeFault::InvalidUtf8, 0},
      {"surrogate", "x\xED\xA0\x80", CodePage::Koi,
       engine::RecodeFault::InvalidUtf8, 1},
      {"above U+10FFFF", "\xF4\x90\x80\x80", CodePage::Iso,
       engine::RecodeFault::InvalidUtf8, 0},
      {"cut by the end of the file", ya + ya + "\xE2\x84", CodePage::Dos,
       engine::RecodeFault::InvalidUtf8, 4},
      {"latin e acute", ya + "\xC3\xA9", CodePage::Koi,
       engine::RecodeFault::Unrepresentable, 2},
      {"emoji", "\xF0\x9F\x98\x80", CodePage::Win,
       engine::RecodeFault::Unrepresentable, 0},
      {"box drawing into Windows-1251", "\xE2\x95\xAC", CodePage::Win,
       engine::RecodeFault::Unrepresentable, 0},
      {"numero sign into KOI8-R", "\xE2\x84\x96", CodePage::Koi,
       engine::RecodeFault::Unrepresentable, 0},
  };
  for (const Case &c : cases)
    for (std::size_t slice : kSliceSizes) {
      const FromUtf8 got = fromUtf8Engine(c.input, c.target, slice);
      EXPECT_EQ(got.fault, c.fault) << c.name << ", slice " << slice;
      EXPECT_EQ(got.offset, c.offset) << c.name << ", slice " << slice;
      EXPECT_EQ(got, fromUtf8Reference(c.input, c.target)) << c.name;
    }
}

TEST(RecodeUtf8, OutputOfThreeTimesTheInputFitsAtEverySliceSize) {
  // Box drawing: every byte becomes three.
  const std::string boxes(9000, static_cast<char>(0xCE));
  for (std::size_t slice : kSliceSizes) {
    MemoryStream m(boxes, slice);
    engine::RecodeState state(CodePage::Dos, CodePage::Utf8);
    ASSERT_EQ(runSteps([&] { return engine::recodeSlice(m.stream, state); }),
              StepResult::Finished);
    ASSERT_EQ(m.out.data.size(), 27000u) << "slice " << slice;
  }
}

TEST(RecodeUtf8, WriteFailureEndsWithWriteFailed) {
  const std::string input = randomBytes(300, 19);
  for (const auto &[from, to] : {std::pair{CodePage::Win, CodePage::Utf8}}) {
    MemoryStream m(input, 64);
    m.out.failWriteAt = 100;
    engine::RecodeState state(from, to);
    EXPECT_EQ(runSteps([&] { return engine::recodeSlice(m.stream, state); }),
              StepResult::WriteFailed);
  }
  MemoryStream m(std::string(300, 'a'), 64);
  m.out.shortWriteAt = 100;
  engine::RecodeState state(CodePage::Utf8, CodePage::Koi);
  EXPECT_EQ(runSteps([&] { return engine::recodeSlice(m.stream, state); }),
            StepResult::WriteFailed);
}

// --substitute: the table's choices, page by page.
TEST(Substitutes, TableCases) {
  const struct {
    char32_t code;
    CodePage page;
    const char *bytes;
  } cases[] = {
      {0x00AB, CodePage::Koi, "\""},   {0x00BB, CodePage::Dos, "\""},
      {0x2014, CodePage::Koi, "-"},    {0x2013, CodePage::Iso, "-"},
      {0x2026, CodePage::Koi, "..."},  {0x2116, CodePage::Koi, "No"},
      {0x20AC, CodePage::Dos, "EUR"},  {0x00A9, CodePage::Koi, "(c)"},
      {0x2122, CodePage::Dos, "(TM)"}, {0x00B1, CodePage::Koi, "+-"},
      {0x2192, CodePage::Win, "->"},   {0x2550, CodePage::Win, "-"},
      {0x2551, CodePage::Iso, "|"},    {0x256C, CodePage::Win, "+"},
      {0x2593, CodePage::Win, "#"},    {0x0404, CodePage::Koi, "\xE5"},
      {0x0457, CodePage::Dos, "\xA8"}, {0x0491, CodePage::Win, "\xE3"},
      {0x045E, CodePage::Koi, "\xD5"}, {0x0406, CodePage::Koi, "\xE9"},
      {0x4E2D, CodePage::Koi, "?"},    {0x1F600, CodePage::Dos, "?"},
      {0x00E9, CodePage::Win, "?"},
  };
  for (const auto &c : cases)
    EXPECT_EQ(engine::substituteFor(c.code, c.page), c.bytes)
        << std::hex << static_cast<unsigned>(c.code) << " in "
        << nameOf(c.page);
}

// Whatever the character, its substitute is made of the page's own
// characters (no control byte, no fill byte) and fits its room.
TEST(Substitutes, NeverABytePastThePage) {
  for (CodePage page : kPages) {
    const auto &chars = engine::charsOf(page);
    for (char32_t code = 0x80; code < 0x10000; ++code) {
      if (engine::byteOfChar(code, page) >= 0)
        continue;
      const std::string s = engine::substituteFor(code, page);
      ASSERT_FALSE(s.empty());
      ASSERT_LE(s.size(), engine::kMaxSubstitute);
      for (char byte : s) {
        const auto b = static_cast<std::uint8_t>(byte);
        ASSERT_GE(b, 0x20) << std::hex << static_cast<unsigned>(code);
        ASSERT_NE(b, 0x7F);
        if (b >= 0x80) {
          ASSERT_GE(chars[b], 0xA0) << std::hex << static_cast<unsigned>(code)
                                    << " in " << nameOf(page);
        }
      }
    }
  }
}

// The reference: each character through the page or the table.
std::string substitutedReference(const std::string &utf8, CodePage target,
                                 std::uint64_t &count) {
  std::string out;
  count = 0;
  const auto *bytes = reinterpret_cast<const std::uint8_t *>(utf8.data());
  for (std::size_t i = 0; i < utf8.size();) {
    const engine::Utf8Char c = engine::decodeUtf8(bytes + i, utf8.size() - i);
    if (!(i == 0 && c.code == 0xFEFF)) {
      const int b = engine::byteOfChar(c.code, target);
      if (b >= 0) {
        out.push_back(static_cast<char>(b));
      } else {
        out += engine::substituteFor(c.code, target);
        ++count;
      }
    }
    i += c.length;
  }
  return out;
}

TEST(Substitutes, StreamingEqualsTheReferenceAtEverySliceSize) {
  const char *const extra[] = {
      "\xC2\xAB",         "\xE2\x80\x94", "\xE2\x80\xA6", "\xE2\x84\x96",
      "\xE2\x82\xAC",     "\xE2\x84\xA2", "\xE2\x95\x94", "\xD1\x97",
      "\xF0\x9F\x98\x80", "\xC3\xA9"};
  unsigned seed = 900;
  for (CodePage page : kPages) {
    for (std::size_t chars : {0u, 1u, 5u, 300u, 3000u}) {
      std::mt19937 rng(seed++);
      std::string input = randomUtf8(page, chars, seed, false);
      // Characters the page lacks, all through it.
      for (std::size_t at = 0; at < chars / 3; ++at)
        input += extra[rng() % std::size(extra)];
      std::uint64_t count = 0;
      const std::string expected = substitutedReference(input, page, count);
      for (std::size_t slice : kSliceSizes) {
        MemoryStream m(input, slice);
        engine::RecodeState state(CodePage::Utf8, page, true);
        ASSERT_EQ(
            runSteps([&] { return engine::recodeSlice(m.stream, state); }),
            StepResult::Finished);
        ASSERT_EQ(m.out.data, expected) << nameOf(page) << " slice " << slice;
        ASSERT_EQ(state.substituted, count);
      }
    }
  }
  // Between single-byte pages every byte whose character the target lacks
  // takes its substitute instead of the fill byte.
  for (CodePage from : kPages)
    for (CodePage to : kPages) {
      if (from == to)
        continue;
      const std::string input = randomBytes(3000, seed++);
      std::string utf8Input;
      for (char b : input)
        utf8Input += utf8(engine::charsOf(from)[static_cast<std::uint8_t>(b)]);
      std::uint64_t count = 0;
      const std::string expected = substitutedReference(utf8Input, to, count);
      for (std::size_t slice : kSliceSizes) {
        MemoryStream m(input, slice);
        engine::RecodeState state(from, to, true);
        ASSERT_EQ(
            runSteps([&] { return engine::recodeSlice(m.stream, state); }),
            StepResult::Finished);
        ASSERT_EQ(m.out.data, expected)
            << nameOf(from) << " to " << nameOf(to) << " slice " << slice;
        ASSERT_EQ(state.substituted, count);
        ASSERT_EQ(state.filled, 0u);
      }
    }
}

} // namespace
} // namespace snpln::test
