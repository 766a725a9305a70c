#include "engine/detect_code_page.h"
#include "engine/recode_slice.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "engine/detect_frames.h"
#include "engine/detect_utf8.h"
#include "tests/support/earlier_detection.h"
#include "tests/support/memory_file.h"
#include "tests/support/russian_samples.h"

namespace snpln::test {
namespace {

using engine::CodePage;
using engine::LetterCounts;

std::string nameOf(CodePage page) { return pageName(page); }

constexpr CodePage kSingleBytePages[] = {CodePage::Dos, CodePage::Win,
                                         CodePage::Koi, CodePage::Iso};

std::vector<std::uint8_t> bytes(std::initializer_list<int> list) {
  return {list.begin(), list.end()};
}

std::vector<std::uint8_t> range(int first, int last) {
  std::vector<std::uint8_t> out;
  for (int b = first; b <= last; ++b)
    out.push_back(static_cast<std::uint8_t>(b));
  return out;
}

std::vector<std::uint8_t> join(std::vector<std::uint8_t> a,
                               const std::vector<std::uint8_t> &b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const std::uint8_t *data(const std::string &s) {
  return reinterpret_cast<const std::uint8_t *>(s.data());
}

// The letters of each page written out once more, the Russian ones and
// the rare ones (Ё, ё, the Ukrainian and Belarusian letters), and the bytes
// that move the balance: the reference the engine's lookup must agree
// with.
struct ReferenceTables {
  std::array<std::vector<std::uint8_t>, 4> russian, rare; // Dos, Win, Koi, Iso
  std::vector<std::uint8_t> winSmall, koiSmall;
  ReferenceTables() {
    russian[0] = join(range(0x80, 0xAF), range(0xE0, 0xEF));
    rare[0] = range(0xF0, 0xF7); // Ё ё Є є Ї ї Ў ў
    russian[1] = range(0xC0, 0xFF);
    rare[1] = bytes({0xA8, 0xB8, 0xAA, 0xBA, 0xB2, 0xB3, 0xAF, 0xBF, 0xA1, 0xA2,
                     0xA5, 0xB4});
    russian[2] = range(0xC0, 0xFF);
    rare[2] = bytes({0xB3, 0xA3});
    russian[3] = range(0xB0, 0xEF);
    rare[3] =
        bytes({0xA1, 0xF1, 0xA4, 0xF4, 0xA6, 0xF6, 0xA7, 0xF7, 0xAE, 0xFE});
    // в..я, and Ё and ё.
    winSmall = join(range(0xE2, 0xFF), bytes({0xA8, 0xB8}));
    koiSmall = join(
        bytes({0xD7, 0xC7, 0xC4, 0xC5, 0xD6, 0xDA, 0xC9, 0xCA, 0xCB, 0xCC,
               0xCD, 0xCE, 0xCF, 0xD0, 0xD2, 0xD3, 0xD4, 0xD5, 0xC6, 0xC8,
               0xC3, 0xDE, 0xDB, 0xDD, 0xDF, 0xD9, 0xD8, 0xDC, 0xC0, 0xD1}),
        bytes({0xB3, 0xA3}));
  }

  static bool has(const std::vector<std::uint8_t> &list, std::uint8_t b) {
    return std::find(list.begin(), list.end(), b) != list.end();
  }

  LetterCounts count(const std::vector<std::uint8_t> &sample) const {
    LetterCounts c;
    unsigned *counts[4] = {&c.dosCount, &c.winCount, &c.koiCount, &c.isoCount};
    for (std::uint8_t b : sample) {
      for (std::size_t p = 0; p < 4; ++p)
        *counts[p] += has(russian[p], b) ? 8 : has(rare[p], b) ? 1 : 0;
      c.lowerBalance += has(winSmall, b);
      c.lowerBalance -= has(koiSmall, b);
    }
    return c;
  }
};

LetterCounts count(const std::vector<std::uint8_t> &sample) {
  return engine::countLetters(sample.data(), sample.size());
}

void expectCounts(const LetterCounts &got, const LetterCounts &want) {
  EXPECT_EQ(got.dosCount, want.dosCount);
  EXPECT_EQ(got.winCount, want.winCount);
  EXPECT_EQ(got.koiCount, want.koiCount);
  EXPECT_EQ(got.isoCount, want.isoCount);
  EXPECT_EQ(got.lowerBalance, want.lowerBalance);
}

TEST(DetectCodePage, LookupCountsEqualComparingByValue) {
  const ReferenceTables ref;
  for (std::size_t p = 0; p < 4; ++p)
    EXPECT_EQ(ref.russian[p].size(), 64u) << p;
  for (int b = 0; b < 256; ++b) {
    SCOPED_TRACE("byte " + std::to_string(b));
    expectCounts(count(bytes({b})), ref.count(bytes({b})));
  }
  std::mt19937 rng(5);
  for (int round = 0; round < 20; ++round) {
    std::vector<std::uint8_t> sample(1 + rng() % 3000);
    for (auto &b : sample)
      b = static_cast<std::uint8_t>(rng());
    expectCounts(count(sample), ref.count(sample));
  }
}

// Each page's own Ё and ё count, where the tables of earlier versions
// held stray bytes instead (box drawing in CP866 and KOI8-R, Serbian je in
// ISO 8859-5).
TEST(DetectCodePage, EachPagesYoIsItsLetterAndNoStrayByteIs) {
  const std::pair<CodePage, std::vector<std::uint8_t>> yo[] = {
      {CodePage::Dos, bytes({0xF0, 0xF1})},
      {CodePage::Win, bytes({0xA8, 0xB8})},
      {CodePage::Koi, bytes({0xB3, 0xA3})},
      {CodePage::Iso, bytes({0xA1, 0xF1})},
  };
  for (const auto &[page, pair] : yo)
    for (std::uint8_t b : pair)
      EXPECT_TRUE(engine::isPageLetter(b, page)) << nameOf(page) << " " << +b;
  EXPECT_FALSE(engine::isPageLetter(0xD0, CodePage::Dos)); // ╨
  EXPECT_FALSE(engine::isPageLetter(0xF8, CodePage::Dos)); // °
  EXPECT_FALSE(engine::isPageLetter(0xA8, CodePage::Koi)); // ╗
  EXPECT_FALSE(engine::isPageLetter(0xB8, CodePage::Koi)); // ╦
  EXPECT_FALSE(engine::isPageLetter(0xA8, CodePage::Iso)); // Ј
  EXPECT_FALSE(engine::isPageLetter(0xF8, CodePage::Iso)); // ј
  // The Ukrainian і of each page that has it.
  EXPECT_TRUE(engine::isPageLetter(0xB3, CodePage::Win));
  EXPECT_TRUE(engine::isPageLetter(0xF6, CodePage::Iso));
}

struct Example {
  const char *name;
  std::vector<std::uint8_t> sample;
  LetterCounts counts;
  CodePage result;
};

TEST(DetectCodePage, ExamplesGiveTheirCountsAndCodePage) {
  const Example examples[] = {
      {"ascii",
       bytes({'H', 'i', ',', ' ', '1', '\r', '\n'}),
       {},
       CodePage::Auto},
      {"empty", {}, {}, CodePage::Auto},
      {"win Привет, мир",
       bytes(
           {0xCF, 0xF0, 0xE8, 0xE2, 0xE5, 0xF2, 0x2C, 0x20, 0xEC, 0xE8, 0xF0}),
       {40 + 3, 72, 72, 48, 7}, // Dos: и в е м и, and р т р as Ё Є Ё
       CodePage::Win},
      {"koi Привет, мир",
       bytes(
           {0xF0, 0xD2, 0xC9, 0xD7, 0xC5, 0xD4, 0x2C, 0x20, 0xCD, 0xC9, 0xD2}),
       {1, 72, 72, 64, -7},
       CodePage::Koi},
      {"dos Привет, мир",
       bytes(
           {0x8F, 0xE0, 0xA8, 0xA2, 0xA5, 0xE2, 0x2C, 0x20, 0xAC, 0xA8, 0xE0}),
       {72, 24 + 4, 24, 24, 3}, // Win: а в а, and и в е и as Ё ў Ґ Ё
       CodePage::Dos},
      {"iso Привет, мир",
       bytes(
           {0xBF, 0xE0, 0xD8, 0xD2, 0xD5, 0xE2, 0x2C, 0x20, 0xDC, 0xD8, 0xE0}),
       {24, 64 + 1, 64, 72, -4}, // Win: and П as ї
       CodePage::Iso},
      {"win ПРИВЕТ МИР",
       bytes({0xCF, 0xD0, 0xC8, 0xC2, 0xC5, 0xD2, 0x20, 0xCC, 0xC8, 0xD0}),
       {0, 72, 72, 72, -8},
       CodePage::Koi},
      // One Dos-only letter and one letter of Win (and Koi): Dos comes first.
      {"dos ties win", bytes({0x80, 0xE0}), {16, 8, 8, 8, 0}, CodePage::Dos},
  };
  for (const Example &e : examples) {
    SCOPED_TRACE(e.name);
    const LetterCounts got = count(e.sample);
    expectCounts(got, e.counts);
    EXPECT_EQ(engine::chooseCodePage(got), e.result);
  }
}

TEST(DetectCodePage, ChoiceOrderStrictGreaterAndWinKoiTieBreak) {
  struct Choice {
    LetterCounts counts;
    CodePage result;
  };
  const Choice choices[] = {
      {{0, 0, 0, 0, 5}, CodePage::Auto},
      {{1, 1, 1, 1, 0}, CodePage::Dos},
      {{0, 3, 2, 1, -5}, CodePage::Win},
      {{0, 2, 3, 1, 5}, CodePage::Koi},
      {{0, 2, 2, 1, 1}, CodePage::Win},
      {{0, 2, 2, 1, 0}, CodePage::Koi},
      {{0, 2, 2, 1, -1}, CodePage::Koi},
      {{0, 1, 2, 2, 0}, CodePage::Koi},
      {{0, 2, 1, 3, 5}, CodePage::Iso},
      {{4, 2, 2, 3, 9}, CodePage::Dos},
      // Dos leads, so the Win-Koi tie does not apply.
      {{5, 2, 2, 0, 9}, CodePage::Dos},
  };
  for (const Choice &c : choices) {
    const LetterCounts &n = c.counts;
    EXPECT_EQ(engine::chooseCodePage(n), c.result)
        << n.dosCount << " " << n.winCount << " " << n.koiCount << " "
        << n.isoCount << " " << n.lowerBalance;
  }
}

std::string text(const std::vector<std::uint8_t> &b) {
  return {b.begin(), b.end()};
}

CodePage detect(MemoryInputFile &in) {
  return engine::detectCodePage(in, in.data_.size());
}

engine::Detection detectText(const std::string &bytes, bool cutShort = false) {
  return engine::detectSample(data(bytes), bytes.size(), cutShort);
}

engine::Detection detectWhole(const std::string &bytes) {
  return engine::detectBytes(data(bytes), bytes.size());
}

// Russian prose in a page, repeated to at least `size` bytes.
std::string proseOf(CodePage page, std::size_t size) {
  const std::string one = iconvInPage(readTestData("russian_prose.txt"), page)
                              .value_or(std::string());
  std::string out;
  while (!one.empty() && out.size() < size)
    out += one;
  return out;
}

TEST(DetectCodePage, AHeadWithEnoughBytesAbove0x7FDecidesAlone) {
  const std::string head = proseOf(CodePage::Koi, 8192).substr(0, 8192);
  MemoryInputFile in(head + std::string(2 * engine::kIoBlockSize, 'x'));
  // Asking for more than the first block (which the slices are cut from)
  // would fail.
  in.failReadAt = engine::kIoBlockSize;
  EXPECT_EQ(detect(in), CodePage::Koi);
  EXPECT_EQ(in.position(), 0u);
}

TEST(DetectCodePage, ReadsNoFurtherThanTheSizeItIsGiven) {
  MemoryInputFile in("plain" + text(bytes({0xCF, 0xF0, 0xE8})));
  EXPECT_EQ(engine::detectCodePage(in, 5), CodePage::Auto);
  EXPECT_EQ(in.position(), 0u);
}

TEST(DetectCodePage, FailedReadCountsAsNothingAndStillRewinds) {
  MemoryInputFile in(text(bytes({0x8F, 0xE0, 0xA8, 0xA2})));
  in.failReadAt = 0;
  EXPECT_EQ(detect(in), CodePage::Auto);
  EXPECT_EQ(in.position(), 0u);
  // Past the head, a failed read ends the reading: what was read decides.
  const std::string koi = proseOf(CodePage::Koi, 1000).substr(0, 100);
  MemoryInputFile later(std::string(10000, 'a') + koi +
                        std::string(engine::kIoBlockSize + 200000, 'b') +
                        proseOf(CodePage::Dos, 1));
  later.failReadAt = engine::kIoBlockSize + 100000;
  EXPECT_EQ(detect(later), CodePage::Koi);
  EXPECT_EQ(later.position(), 0u);
}

TEST(DetectCodePage, RecodingAfterDetectionStartsAtTheFirstByte) {
  const std::string input = proseOf(CodePage::Dos, 20000);
  MemoryStream m(input, 4096);
  const CodePage source = engine::detectCodePage(m.in, m.stream.fileSize);
  ASSERT_EQ(source, CodePage::Dos);
  EXPECT_EQ(m.in.position(), 0u);
  engine::RecodeState state(source, CodePage::Win);
  runSteps([&] { return engine::recodeSlice(m.stream, state); });
  std::string expected = input;
  for (char &c : expected)
    c = static_cast<char>(engine::recodeByte(static_cast<std::uint8_t>(c),
                                             CodePage::Dos, CodePage::Win));
  EXPECT_EQ(m.out.data, expected);
}

TEST(DetectCodePage, RussianProseInEachCodePage) {
  const std::string prose = readTestData("russian_prose.txt");
  ASSERT_GT(prose.size(), 1000u);
  for (CodePage page : kSingleBytePages) {
    MemoryInputFile in(iconvInPage(prose, page).value_or(""));
    ASSERT_FALSE(in.data_.empty()) << nameOf(page);
    EXPECT_EQ(detect(in), page) << nameOf(page);
    EXPECT_EQ(in.position(), 0u) << nameOf(page);
  }
}

// --- The whole file decides -----------------------------------------------

// 16 KiB of English (a licence, a log's preamble), then Russian: found in
// every page, however long the English.
TEST(DetectCodePage, RussianAfterLongEnglishIsFoundInEveryPage) {
  std::string english;
  while (english.size() < 16384)
    english += "Permission is hereby granted, free of charge, to any person "
               "obtaining a copy of this software.\n";
  const std::string russian =
      "// Ёлки у входа посадили ученики третьего класса, а скамейки "
      "сколотил сосед-плотник.\n";
  for (CodePage page : {CodePage::Dos, CodePage::Win, CodePage::Koi,
                        CodePage::Iso, CodePage::Utf8}) {
    for (std::size_t lead : {std::size_t{16384}, std::size_t{3} << 20}) {
      std::string file = english;
      while (file.size() < lead)
        file += english;
      file += iconvInPage(russian, page).value_or("") + "int main();\n";
      MemoryInputFile in(file);
      EXPECT_EQ(detect(in), page) << nameOf(page) << " after " << lead;
      EXPECT_EQ(in.position(), 0u);
    }
  }
}

// A source of bytes that are all 'a' (a line end every 80), as large as
// asked, without holding them: a file of English alone of any size.
class EnglishFile : public platform::InputFile {
public:
  explicit EnglishFile(std::uint64_t size) : size_(size) {}
  bool read(void *buffer, std::size_t size, std::size_t &got) override {
    largestRead = std::max(largestRead, size);
    got = static_cast<std::size_t>(std::min<std::uint64_t>(size, size_ - pos_));
    auto *out = static_cast<char *>(buffer);
    for (std::size_t i = 0; i < got; ++i)
      out[i] = (pos_ + i) % 80 == 79 ? '\n' : 'a';
    pos_ += got;
    reachedEnd = std::max(reachedEnd, pos_);
    return true;
  }
  bool seek(platform::FileSize position) override {
    pos_ = position;
    return true;
  }
  platform::FileSize position() const override { return pos_; }
  bool size(platform::FileSize &result) override {
    result = size_;
    return true;
  }
  bool status(platform::FileStatus &result) override {
    result = platform::FileStatus{};
    result.size = size_;
    return true;
  }
  std::size_t largestRead = 0;
  std::uint64_t reachedEnd = 0;

private:
  std::uint64_t size_;
  std::uint64_t pos_ = 0;
};

// "english symbols only" means the whole file: 100 MiB of English is read
// to its end, in pieces of at most a block, and found to hold no letter.
TEST(DetectCodePage, HundredMebibytesOfEnglishAreReadToTheEndInPieces) {
  constexpr std::uint64_t kSize = std::uint64_t{100} << 20;
  EnglishFile file(kSize);
  const engine::Detection d = engine::detectFile(file, kSize);
  EXPECT_EQ(d.kind, engine::TextKind::Text);
  EXPECT_EQ(d.page, CodePage::Auto);
  EXPECT_EQ(file.reachedEnd, kSize);
  EXPECT_LE(file.largestRead, engine::kIoBlockSize);
  EXPECT_EQ(file.position(), 0u);
}

// Where the head holds few bytes above 0x7F, detection reads on until it
// has kDetectEnoughBytes of them, and no further than kDetectReadOnBudget
// past the first: within it later text counts, beyond it not.
TEST(DetectCodePage, FewLettersInTheHeadAreJoinedByLaterOnesWithinTheBudget) {
  const std::string koi = proseOf(CodePage::Koi, 20000);
  // "№ 5" in KOI8-R cannot be; one CP866 letter in the head (а), then
  // KOI8-R prose further on.
  const std::string head = "Item " + text(bytes({0xA0})) + " 5\n";
  for (const std::uint64_t gap : {std::uint64_t{20000}, std::uint64_t{900000},
                                  engine::kDetectReadOnBudget + 1000}) {
    std::string file = head + std::string(gap, ' ') + koi;
    MemoryInputFile in(file);
    const CodePage found = detect(in);
    if (gap < engine::kDetectReadOnBudget)
      EXPECT_EQ(found, CodePage::Koi) << gap;
    else
      EXPECT_EQ(found, CodePage::Dos) << gap; // the head's one letter
  }
  // Reading stops once enough bytes above 0x7F are in.
  MemoryInputFile in(std::string(10000, ' ') + koi + std::string(500000, ' '));
  in.failReadAt = engine::kIoBlockSize * 2;
  EXPECT_EQ(detect(in), CodePage::Koi);
}

// The evidence fed in pieces of any size is the evidence of the whole text
// fed at once, on random bytes, on real text after an English head, and
// with zero bytes in them.
TEST(DetectCodePage, EvidenceFedInSlicesEqualsTheWholeBuffer) {
  std::vector<std::string> inputs;
  std::mt19937 rng(11);
  for (std::size_t size : {0u, 1u, 100u, 8191u, 8192u, 8193u, 30000u}) {
    std::string random(size, '\0');
    for (char &c : random) {
      const auto r = rng() % 100;
      c = static_cast<char>(r < 90 ? 'a' + r % 26 : 0x80 + rng() % 128);
    }
    inputs.push_back(random);
  }
  for (CodePage page : kSingleBytePages)
    inputs.push_back(std::string(12000, 'e') + " " +
                     proseOf(page, 3000).substr(0, 3000) +
                     std::string(70000, 'f') + proseOf(page, 3000));
  // Byte order marks decide within the first four bytes, however fed.
  for (const char *mark : {"\xFF\xFE", "\xFE\xFF", "\xEF\xBB\xBF"})
    for (std::size_t size : {0u, 1u, 2u, 9000u})
      inputs.push_back(mark + std::string(size, '\0') + "\x1F\x04");
  inputs.push_back(std::string("\xFF\xFE\0\0", 4) + "a");
  inputs.push_back(std::string(9000, 'a') + "\xD0\x96" + std::string(40, 'b') +
                   "\xD0" + std::string(5, 'c') + std::string(1, '\0') +
                   "\xE0");
  for (const std::string &input : inputs) {
    engine::DetectionEvidence whole;
    whole.feed(data(input), input.size());
    for (std::size_t slice : {1u, 2u, 3u, 7u, 64u, 8192u}) {
      engine::DetectionEvidence sliced;
      for (std::size_t at = 0; at < input.size() && sliced.wantsMore();
           at += slice)
        sliced.feed(data(input) + at, std::min(slice, input.size() - at));
      SCOPED_TRACE("size " + std::to_string(input.size()) + " slice " +
                   std::to_string(slice));
      ASSERT_EQ(sliced.evidence(), whole.evidence());
      ASSERT_EQ(sliced.fed(), whole.fed());
      const bool atEnd = whole.fed() >= input.size();
      ASSERT_EQ(sliced.result(atEnd).page, whole.result(atEnd).page);
      ASSERT_EQ(sliced.result(atEnd).kind, whole.result(atEnd).kind);
      // And through a file whose reads give `slice` bytes at most.
      MemoryInputFile in(input);
      in.maxRead = slice;
      const engine::Detection byFile = engine::detectFile(in, input.size());
      ASSERT_EQ(byFile.page, whole.result(atEnd).page);
      ASSERT_EQ(byFile.kind, whole.result(atEnd).kind);
    }
  }
}

TEST(DetectCodePage, ExcerptsAfterTheHeadKeepTheirContextAndAreParted) {
  engine::DetectionEvidence e;
  const std::string file = std::string(9000, 'a') + "one two \xE0 three" +
                           std::string(100, 'b') + "four \xE1\xE2 five" +
                           std::string(10, 'c') + "\xE3";
  e.feed(data(file), file.size());
  const std::string expected = std::string(8192, 'a') + "\n" +
                               std::string(8, 'a') + "one two \xE0 three" +
                               std::string(10, 'b') + "\n" +
                               std::string(11, 'b') + "four \xE1\xE2 five" +
                               std::string(10, 'c') + "\xE3";
  EXPECT_EQ(e.evidence(), expected);
}

// --- What the text is ---------------------------------------------------

TEST(DetectText, Utf8WithAndWithoutByteOrderMarkAndInCapitals) {
  const std::string bom = "\xEF\xBB\xBF";
  const std::string privet = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";
  const std::string capitals =
      "\xD0\x9F\xD0\xA0\xD0\x98\xD0\x92\xD0\x95\xD0\xA2"; // ПРИВЕТ
  struct Case {
    const char *name;
    std::string bytes;
    bool cutShort;
    CodePage page;
  };
  const Case cases[] = {
      {"small letters", privet + ", world", false, CodePage::Utf8},
      {"capitals", capitals + " \xD0\x9C\xD0\x98\xD0\xA0", false,
       CodePage::Utf8},
      {"only a dash", "plain text \xE2\x80\x94 more", false, CodePage::Utf8},
      {"a Latin word", "caf\xC3\xA9 au lait", false, CodePage::Utf8},
      {"degrees", "It is 25\xC2\xB0 here", false, CodePage::Utf8},
      {"mark and ASCII", bom + "plain", false, CodePage::Utf8},
      {"mark alone", bom, false, CodePage::Utf8},
      // A mark the rest does not bear out is text: Windows-1251 п»ї.
      {"mark before bytes that are not UTF-8", bom + "\xCF\xF0\xE8", false,
       CodePage::Win},
      {"sample cut inside a letter", privet + "\xD0", true, CodePage::Utf8},
      {"ASCII only", "plain text", false, CodePage::Auto},
      {"empty", "", false, CodePage::Auto},
      {"Windows-1251 Privet", "\xCF\xF0\xE8\xE2\xE5\xF2", false, CodePage::Win},
      // Valid UTF-8 that reads as nothing a text holds: CP866 "ума" (a CJK
      // ideograph) and ISO 8859-5 "ТО" (¾) and "ТА" (a degree sign after
      // no number).
      {"CP866 ума", "\xE3\xAC\xA0", false, CodePage::Dos},
      {"ISO ТО", "\xC2\xBE", false, CodePage::Iso},
      {"ISO ТА", "\xC2\xB0", false, CodePage::Iso},
  };
  for (const Case &c : cases) {
    const engine::Detection d = detectText(c.bytes, c.cutShort);
    EXPECT_EQ(d.kind, engine::TextKind::Text) << c.name;
    EXPECT_EQ(nameOf(d.page), nameOf(c.page)) << c.name;
  }
  // Cut by the end of the file itself, it is not UTF-8.
  EXPECT_NE(detectText(privet + "\xD0").page, CodePage::Utf8);
}

TEST(DetectText, AZeroByteInWhatIsReadMeansBinary) {
  const std::string privet = "\xD0\x9F\xD1\x80\xD0\xB8";
  for (const std::string &bytes :
       {std::string("\0", 1), "ELF" + std::string(1, '\0') + "x",
        privet + std::string(1, '\0'), std::string(1, '\0') + privet,
        std::string(8191, 'a') + std::string(1, '\0')}) {
    const engine::Detection d = detectText(bytes);
    EXPECT_EQ(d.kind, engine::TextKind::Binary) << bytes.size();
    EXPECT_EQ(d.page, CodePage::Auto);
  }
  // Through the file: a head of ASCII is read on, to the zero byte.
  MemoryInputFile late(std::string(8192, 'a') + std::string(1, '\0'));
  EXPECT_EQ(engine::detectFile(late, late.data_.size()).kind,
            engine::TextKind::Binary);
  MemoryInputFile early(std::string(8191, 'a') + std::string(1, '\0'));
  EXPECT_EQ(engine::detectFile(early, early.data_.size()).kind,
            engine::TextKind::Binary);
  EXPECT_EQ(early.position(), 0u);
  // A head that decides is not read past.
  MemoryInputFile decided(proseOf(CodePage::Win, 8192) + std::string(1, '\0'));
  EXPECT_EQ(engine::detectFile(decided, decided.data_.size()).kind,
            engine::TextKind::Text);
}

// FF FE is UTF-16LE and FE FF UTF-16BE, zero bytes and all, when what
// follows reads as UTF-16; the UTF-32 marks that begin the same way stay
// binary; EF BB BF is UTF-8.
TEST(DetectText, ByteOrderMarksDecideUtf16AndUtf32) {
  const std::string privetLe("\x1F\x04\x40\x04\x38\x04", 6);
  const std::string privetBe("\x04\x1F\x04\x40\x04\x38", 6);
  const struct {
    const char *name;
    std::string bytes;
    engine::TextKind kind;
    CodePage page;
  } cases[] = {
      {"UTF-16LE", "\xFF\xFE" + privetLe, engine::TextKind::Text,
       CodePage::Utf16Le},
      {"UTF-16LE of ASCII", std::string("\xFF\xFEo\0k\0", 6),
       engine::TextKind::Text, CodePage::Utf16Le},
      {"UTF-16BE", "\xFE\xFF" + privetBe, engine::TextKind::Text,
       CodePage::Utf16Be},
      {"mark alone", "\xFF\xFE", engine::TextKind::Text, CodePage::Utf16Le},
      // Nothing after the mark bears it out: Windows-1251 юяx.
      {"mark and an odd byte", "\xFE\xFFx", engine::TextKind::Text,
       CodePage::Win},
      {"mark, a unit and an odd byte", std::string("\xFE\xFF\x04\x1Fx", 5),
       engine::TextKind::Text, CodePage::Utf16Be},
      {"UTF-32LE", std::string("\xFF\xFE\0\0\x1F\x04\0\0", 8),
       engine::TextKind::Binary, CodePage::Auto},
      {"UTF-32BE", std::string("\0\0\xFE\xFF\0\0\x04\x1F", 8),
       engine::TextKind::Binary, CodePage::Auto},
      {"UTF-16 without a mark", std::string("o\0k\0", 4),
       engine::TextKind::Binary, CodePage::Auto},
      {"UTF-8 mark", "\xEF\xBB\xBF\xD0\x9F", engine::TextKind::Text,
       CodePage::Utf8},
      {"mark of UTF-16 after a byte", "x\xFF\xFE", engine::TextKind::Text,
       CodePage::Win},
  };
  for (const auto &c : cases) {
    const engine::Detection d = detectText(c.bytes);
    EXPECT_EQ(d.kind, c.kind) << c.name;
    EXPECT_EQ(nameOf(d.page), nameOf(c.page)) << c.name;
    // Through a file, a mark is read and nothing past it.
    std::string units;
    for (int i = 0; i < 50000; ++i)
      units += std::string("a\0", 2);
    MemoryInputFile in(c.bytes + units);
    const engine::Detection byFile = engine::detectFile(in, in.data_.size());
    if (c.page == CodePage::Utf16Le || c.page == CodePage::Utf16Be) {
      EXPECT_EQ(nameOf(byFile.page), nameOf(c.page)) << c.name;
      EXPECT_EQ(in.position(), 0u) << c.name;
    }
  }
}

TEST(DetectText, AllCapitalWindows1251AndKoi8AreToldApart) {
  // ПРИВЕТ МИР, ДОБРЫЙ ВЕЧЕР: the letter counts tie and the small-letter
  // balance points to the other page; the letters' frequencies do not.
  const std::string utf8 = "ПРИВЕТ МИР, ДОБРЫЙ ВЕЧЕР";
  const std::string win = *iconvInPage(utf8, CodePage::Win);
  const std::string koi = *iconvInPage(utf8, CodePage::Koi);
  EXPECT_EQ(earlierCounts(data(win), win.size()), CodePage::Koi);
  EXPECT_EQ(earlierCounts(data(koi), koi.size()), CodePage::Win);
  EXPECT_EQ(detectText(win).page, CodePage::Win);
  EXPECT_EQ(detectText(koi).page, CodePage::Koi);
}

// Short texts with Ё: Windows-1251's ё is ISO 8859-5's И, and counting Ё
// at an eighth of a letter let ISO win "ёлка и ёж" outright; a page that
// its minor letters would bring level contends, and the reading decides.
TEST(DetectText, RegressionShortTextsWithYoKeepTheirPage) {
  for (const char *utf8 :
       {"ёлка и ёж", "Ёжик шёл", "ещё ёлка", "Всё хорошо, ёж"}) {
    for (CodePage page :
         {CodePage::Dos, CodePage::Win, CodePage::Koi, CodePage::Iso}) {
      const std::string bytes = *iconvInPage(utf8, page);
      EXPECT_EQ(detectText(bytes).page, page)
          << utf8 << " in " << pageName(page);
    }
  }
}

// Today's rule never loses a right answer of the earlier rules (the counts
// alone, and the counts with the letter frequencies) on excerpts of real
// prose in every page, mixed case and capitals; at least 19 in 20 right.
TEST(DetectText, ExcerptsOfRealProseInFiveEncodingsNeverWorseThanEarlier) {
  const std::string prose = allRussianProse();
  ASSERT_GT(prose.size(), 10000u);
  const CodePage encodings[] = {CodePage::Dos, CodePage::Win, CodePage::Koi,
                                CodePage::Iso, CodePage::Utf8};
  struct Cell {
    std::size_t chars;
    bool capitals;
  };
  const Cell cells[] = {{40, false}, {100, false}, {300, false},
                        {40, true},  {100, true},  {300, true}};
  unsigned seed = 1;
  for (const Cell &cell : cells) {
    const auto excerpts = excerptsOf(prose, cell.chars, 200, seed++);
    ASSERT_GE(excerpts.size(), 150u) << cell.chars;
    std::string row = std::to_string(cell.chars) +
                      (cell.capitals ? " capitals:" : " mixed:   ");
    for (const CodePage page : encodings) {
      std::size_t total = 0, right = 0, earlierRight = 0;
      for (const std::string &excerpt : excerpts) {
        const std::string text = cell.capitals ? capitalsOf(excerpt) : excerpt;
        const std::string bytes = iconvInPage(text, page).value_or("");
        ASSERT_FALSE(bytes.empty()) << nameOf(page) << ": " << text;
        ++total;
        const CodePage ours = detectWhole(bytes).page;
        const bool counts = earlierCounts(data(bytes), bytes.size()) == page;
        const bool earlier = earlierDetection(bytes) == page;
        right += ours == page;
        earlierRight += earlier;
        EXPECT_TRUE(ours == page || (!counts && !earlier))
            << nameOf(page) << (cell.capitals ? " capitals" : "")
            << ": earlier right, now " << nameOf(ours) << " for \"" << text
            << "\"";
      }
      EXPECT_GE(right * 20, total * 19)
          << nameOf(page) << ", " << cell.chars << " characters"
          << (cell.capitals ? " in capitals" : "") << ": " << right << " of "
          << total;
      row += std::string(" ") + nameOf(page) + " " + std::to_string(right) +
             "/" + std::to_string(earlierRight) + "/" + std::to_string(total);
    }
    std::cout << row << "\n";
  }
}

// --- UTF-8 that is almost UTF-8 ----------------------------------------------

std::string withStrays(const std::string &utf8, std::size_t strays,
                       unsigned seed) {
  return withStrayBytes(utf8, strays, seed);
}

TEST(DetectText, Utf8WithOneThreeOrTenStrayBytesIsUtf8) {
  const std::string prose = allRussianProse();
  const auto excerpts = excerptsOf(prose, 300, 100, 7);
  ASSERT_GE(excerpts.size(), 80u);
  unsigned seed = 1;
  for (std::size_t strays : {1u, 3u, 10u}) {
    std::size_t right = 0;
    for (const std::string &excerpt : excerpts) {
      const std::string bytes = withStrays(excerpt, strays, seed++);
      const engine::Utf8Evidence e =
          engine::readAsUtf8(data(bytes), bytes.size(), false);
      EXPECT_GE(e.strayBytes, 1u);
      EXPECT_EQ(nameOf(detectWhole(bytes).page), nameOf(CodePage::Utf8))
          << strays << " strays: " << e.sequences << " sequences, "
          << e.strayBytes << " stray bytes";
      right += detectWhole(bytes).page == CodePage::Utf8;
    }
    // Whole prose, and in a file longer than the head.
    const std::string whole = withStrays(prose, strays, seed++);
    EXPECT_EQ(detectWhole(whole).page, CodePage::Utf8) << strays;
    EXPECT_EQ(right, excerpts.size()) << strays;
  }
}

// Text in any single-byte page, Russian or Ukrainian, mixed case or
// capitals, has far fewer valid UTF-8 sequences than stray bytes: the rule
// takes one sequence per stray byte for UTF-8, and the most such text
// reaches is about half of that.
TEST(DetectText, SingleBytePagesAreNeverTakenForAlmostUtf8) {
  double worst = 0;
  std::string worstText;
  for (const std::string &prose :
       {allRussianProse(), readTestData("ukrainian_prose.txt")}) {
    for (std::size_t chars : {40u, 100u, 300u, 1000u}) {
      for (const std::string &excerpt : excerptsOf(prose, chars, 150, 3)) {
        for (const bool capitals : {false, true}) {
          const std::string text = capitals ? capitalsOf(excerpt) : excerpt;
          for (CodePage page : engine::kSingleBytePages) {
            const auto bytes = iconvInPage(text, page);
            if (!bytes)
              continue; // Ukrainian in a page without its letters
            const engine::Utf8Evidence e =
                engine::readAsUtf8(data(*bytes), bytes->size(), false);
            const double ratio = static_cast<double>(e.sequences) /
                                 static_cast<double>(e.strayBytes + 1);
            if (ratio > worst) {
              worst = ratio;
              worstText = nameOf(page) + ": " + text;
            }
            EXPECT_NE(detectWhole(*bytes).page, CodePage::Utf8)
                << nameOf(page) << ": " << text;
          }
        }
      }
    }
  }
  std::cout << "most sequences per stray byte: " << worst << " (" << worstText
            << ")\n";
  EXPECT_LT(worst, 0.6) << worstText;
}

// The words of a word list (the prose's own, and the Russian dictionary
// of hunspell-ru) in small letters, with a capital, and in capitals, in
// CP866 and ISO 8859-5: each whose bytes are valid UTF-8 is its page.
TEST(DetectText, WordsWhoseBytesAreValidUtf8StayInTheirPage) {
  std::vector<std::string> words = wordsOf(allRussianProse());
  std::ifstream dictionary("/usr/share/hunspell/ru_RU.dic");
  ASSERT_TRUE(dictionary.is_open())
      << "no /usr/share/hunspell/ru_RU.dic: the Makefile's packages "
         "(hunspell-ru) are not installed";
  std::string line;
  std::getline(dictionary, line); // the number of entries
  while (std::getline(dictionary, line)) {
    const std::string word = line.substr(0, line.find('/'));
    if (!word.empty())
      words.push_back(word);
  }
  ASSERT_GT(words.size(), 100000u);
  for (CodePage page : {CodePage::Dos, CodePage::Iso}) {
    std::size_t valid = 0, right = 0;
    for (const std::string &word : words) {
      const std::string capital =
          capitalsOf(word.substr(0, 2)) + word.substr(2);
      for (const std::string &form : {word, capital, capitalsOf(word)}) {
        const auto bytes = iconvInPage(form, page);
        if (!bytes)
          continue;
        const engine::Utf8Evidence e =
            engine::readAsUtf8(data(*bytes), bytes->size(), false);
        if (e.strayBytes != 0 || e.sequences == 0)
          continue;
        ++valid;
        const CodePage found = detectWhole(*bytes).page;
        EXPECT_NE(found, CodePage::Utf8) << nameOf(page) << " " << form;
        right += found == page;
      }
    }
    std::cout << nameOf(page) << ": " << valid << " forms valid UTF-8, "
              << right << " detected right\n";
    EXPECT_GT(valid, 100u) << nameOf(page);
    EXPECT_GE(right * 20, valid * 19) << nameOf(page);
  }
}

TEST(DetectText, ShortTextIsUtf8OnlyWhenItsCharactersArePlausible) {
  struct Case {
    char32_t code, before, after;
    bool plausible;
  };
  const Case cases[] = {
      {U'ж', 0, 0, true},      {U'Ё', ' ', ' ', true},
      {U'é', 'f', ' ', true},  {U'ü', 'M', 'l', true},
      {U'ü', 0, 0, false},     {U'Ű', ' ', ' ', false},
      {U'°', '5', 0, true},    {U'°', ' ', ' ', false},
      {U'«', ' ', U'а', true}, {U'«', U'а', ' ', false},
      {U'»', U'а', ' ', true}, {U'»', 0, ' ', false},
      {U'¾', 0, 0, false},     {U'½', '1', ' ', true},
      {U'±', ' ', '3', true},  {U'—', ' ', ' ', true},
      {U'№', ' ', '5', true},  {U'€', '5', 0, true},
      {U'╬', 0, 0, true},      {0x3B20, ' ', ' ', false},
      {U'λ', 0, 0, false},     {0x0330, 'a', 0, false},
      {0x1F600, ' ', 0, true}, {U'·', 'a', 'b', true},
      {U'·', ' ', 'b', false}, {U'µ', '5', 's', true},
  };
  for (const Case &c : cases)
    EXPECT_EQ(engine::plausibleInShortText(c.code, c.before, c.after),
              c.plausible)
        << std::hex << "U+" << unsigned(c.code) << " between U+"
        << unsigned(c.before) << " and U+" << unsigned(c.after);
}

// The shallower rules and the UTF-8 test that stops early decide as the
// whole rule does, on real prose in every encoding (whole, cut mid-character,
// with stray bytes) and on random bytes of every mix.
TEST(DetectText, ShallowerDepthsAndTheEarlyUtf8TestAgreeWithTheWholeRule) {
  std::vector<std::string> inputs;
  const std::string prose = allRussianProse();
  for (std::size_t chars : {3u, 40u, 300u, 3000u})
    for (const std::string &excerpt : excerptsOf(prose, chars, 12, 5)) {
      for (CodePage page : kSingleBytePages)
        inputs.push_back(*iconvInPage(excerpt, page));
      inputs.push_back(excerpt);
      inputs.push_back(excerpt.substr(0, excerpt.size() - 1));
      for (std::size_t strays : {1u, 10u, 100u})
        inputs.push_back(withStrays(excerpt, strays, unsigned(strays)));
    }
  std::mt19937 rng(20);
  for (int n = 0; n < 400; ++n) {
    std::string random(rng() % 600, ' ');
    const auto highShare = rng() % 101;
    for (char &c : random)
      c = static_cast<char>(rng() % 100 < highShare ? 0x80 + rng() % 0x80
                                                    : 0x20 + rng() % 0x5F);
    inputs.push_back(random);
  }
  inputs.push_back("\xEF\xBB\xBF\xCF\xF0\xE8");         // a UTF-8 mark
  inputs.push_back(std::string("\xFF\xFE\x1F\x04", 4)); // UTF-16LE
  inputs.push_back(std::string("ab\0cd", 5));
  for (const std::string &in : inputs) {
    for (const bool cutShort : {false, true}) {
      const bool utf8 =
          engine::isUtf8Text(engine::readAsUtf8(data(in), in.size(), cutShort));
      ASSERT_EQ(engine::readsAsUtf8(data(in), in.size(), cutShort), utf8)
          << "cut short " << cutShort << ": " << in;
      const engine::Detection whole =
          engine::detectSample(data(in), in.size(), cutShort);
      const auto decided = [&](bool utf8Told) {
        const bool told = whole.page == CodePage::Utf16Le ||
                          whole.page == CodePage::Utf16Be ||
                          (utf8Told && whole.page == CodePage::Utf8);
        return told ? whole.page : CodePage::Auto;
      };
      for (const auto &[depth, page] :
           {std::pair{engine::DetectDepth::Kind, decided(false)},
            std::pair{engine::DetectDepth::Utf8, decided(true)}}) {
        const engine::Detection shallow =
            engine::detectSample(data(in), in.size(), cutShort, depth);
        EXPECT_EQ(shallow.kind, whole.kind) << in;
        EXPECT_EQ(nameOf(shallow.page), nameOf(page))
            << "depth " << int(depth) << ", whole rule " << nameOf(whole.page)
            << ": " << in;
      }
    }
  }
}

TEST(DetectText, TheUtf8RuleCountsSequencesAndStrayBytes) {
  struct Case {
    engine::Utf8Evidence e;
    bool utf8;
  };
  const Case cases[] = {
      {{0, 0, 0}, false},   {{1, 0, 0}, true},   {{1, 0, 1}, false},
      {{7, 0, 1}, false},   {{8, 0, 8}, true},   {{7, 1, 0}, false},
      {{8, 1, 0}, true},    {{8, 8, 0}, true},   {{8, 9, 0}, false},
      {{79, 80, 0}, false}, {{80, 80, 0}, true}, {{80, 10, 80}, true},
  };
  for (const Case &c : cases)
    EXPECT_EQ(engine::isUtf8Text(c.e), c.utf8)
        << c.e.sequences << " " << c.e.strayBytes << " " << c.e.implausible;
}

// --- Forms and tables -----------------------------------------------------

std::size_t framedIn(const std::string &utf8, CodePage page) {
  const std::string bytes = *iconvInPage(utf8, page);
  return engine::findFrames(data(bytes), bytes.size(), page).framed;
}

TEST(DetectFrames, BoxCharactersStandInAFrameWhereTheirLinesMeet) {
  struct Case {
    const char *text;
    std::size_t framed;
  };
  const Case cases[] = {
      {"╔══╦═╗", 6},     {"╟──┼─╢", 6},
      {"║ a │ b ║", 3},  {"│a│", 0}, // bars between letters
      {"╔ ═", 0},                    // arms meeting blanks
      {"═─═", 0},                    // double against single
      {"─┬─", 1},                    // the line's ends meet nothing
      {"╓─╖ ╒═╕", 6},                // single and double arms as they are drawn
      {"░░▒ █ ▄▄", 4},               // shades and blocks beside their own kind
      {"a┼b ─┐\r\n", 1},
  };
  for (const Case &c : cases)
    for (CodePage page : {CodePage::Dos, CodePage::Koi})
      EXPECT_EQ(framedIn(c.text, page), c.framed)
          << nameOf(page) << " \"" << c.text << "\"";
  // Win and Iso draw nothing.
  const std::string dos = *iconvInPage("╔══╗", CodePage::Dos);
  EXPECT_EQ(engine::findFrames(data(dos), dos.size(), CodePage::Win).boxes, 0u);
}

// Forms and tables with 30 to 90 % of their characters above 0x7F box
// drawing, in CP866 and KOI8-R, mixed case and capitals: every one is
// found in its page (the earlier rules took most of them for another).
TEST(DetectFrames, FormsWithThirtyToNinetyPercentBoxDrawingAreTheirPage) {
  const std::vector<std::string> words = wordsOf(allRussianProse());
  std::mt19937 rng(3);
  std::map<int, std::array<std::size_t, 3>> tally; // tried, right, earlier
  for (unsigned k = 0; k < 1500; ++k) {
    FormShape shape;
    shape.rows = 1 + static_cast<unsigned>(rng() % 12);
    shape.columns = 1 + static_cast<unsigned>(rng() % 5);
    shape.width = 4 + static_cast<unsigned>(rng() % 30);
    shape.fill = static_cast<double>(rng() % 100) / 100.0;
    shape.style = static_cast<unsigned>(rng() % 3);
    shape.ruled = rng() % 2 == 0;
    std::string form = makeForm(words, shape, k);
    if (k % 2 == 1)
      form = capitalsOf(form);
    const int share = static_cast<int>(boxShareOf(form) * 10);
    if (share < 3 || share > 9)
      continue;
    for (CodePage page : {CodePage::Dos, CodePage::Koi}) {
      const std::string bytes = *iconvInPage(form, page);
      const CodePage found = detectWhole(bytes).page;
      EXPECT_EQ(nameOf(found), nameOf(page)) << form;
      auto &t = tally[share * 10];
      ++t[0];
      t[1] += found == page;
      t[2] += earlierDetection(bytes) == page;
    }
  }
  for (const auto &[share, t] : tally) {
    std::cout << share << "% box drawing: " << t[1] << " of " << t[0]
              << " right (earlier " << t[2] << ")\n";
    EXPECT_GE(t[0], 10u) << share;
  }
  EXPECT_EQ(tally.size(), 7u);
}

} // namespace
} // namespace snpln::test
