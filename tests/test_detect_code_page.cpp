#include "engine/detect_code_page.h"
#include "engine/recode_slice.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/utf8_codec.h"
#include "tests/support/memory_file.h"

namespace snpln::test {
namespace {

using engine::CodePage;
using engine::LetterCounts;

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

// The four letter tables written out once more and compared by value
// with every byte: the reference the engine's lookup must agree with.
struct ReferenceTables {
  std::array<std::vector<std::uint8_t>, 4> table; // Dos, Win, Koi, Iso
  ReferenceTables() {
    table[0] = join(join(range(0x80, 0x9F), range(0xA0, 0xAF)),
                    join(range(0xE0, 0xEF), bytes({0xD0, 0xF8})));
    table[1] = join(range(0xC0, 0xFF), bytes({0xA8, 0xB8}));
    const auto koiCapitals =
        bytes({0xE1, 0xE2, 0xF7, 0xE7, 0xE4, 0xE5, 0xF6, 0xFA, 0xE9, 0xEA, 0xEB,
               0xEC, 0xED, 0xEE, 0xEF, 0xF0, 0xF2, 0xF3, 0xF4, 0xF5, 0xE6, 0xE8,
               0xE3, 0xFE, 0xFB, 0xFD, 0xFF, 0xF9, 0xF8, 0xFC, 0xE0, 0xF1});
    std::vector<std::uint8_t> koiSmall;
    for (std::uint8_t b : koiCapitals)
      koiSmall.push_back(static_cast<std::uint8_t>(b - 0x20));
    table[2] = join(join(koiCapitals, koiSmall), bytes({0xA8, 0xB8}));
    table[3] = join(range(0xB0, 0xEF), bytes({0xA8, 0xF8}));
  }

  LetterCounts count(const std::vector<std::uint8_t> &sample) const {
    LetterCounts c;
    for (std::uint8_t b : sample)
      for (std::size_t j = 0; j < 66; ++j) {
        c.dosCount += table[0][j] == b;
        if (table[1][j] == b) {
          ++c.winCount;
          c.lowerBalance += j > 33;
        }
        if (table[2][j] == b) {
          ++c.koiCount;
          c.lowerBalance -= j > 33;
        }
        c.isoCount += table[3][j] == b;
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
  for (const auto &t : ref.table)
    ASSERT_EQ(t.size(), 66u);
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
       {5, 9, 9, 6, 7},
       CodePage::Win},
      {"koi Привет, мир",
       bytes(
           {0xF0, 0xD2, 0xC9, 0xD7, 0xC5, 0xD4, 0x2C, 0x20, 0xCD, 0xC9, 0xD2}),
       {0, 9, 9, 8, -7},
       CodePage::Koi},
      {"dos Привет, мир",
       bytes(
           {0x8F, 0xE0, 0xA8, 0xA2, 0xA5, 0xE2, 0x2C, 0x20, 0xAC, 0xA8, 0xE0}),
       {9, 5, 5, 5, 1},
       CodePage::Dos},
      {"iso Привет, мир",
       bytes(
           {0xBF, 0xE0, 0xD8, 0xD2, 0xD5, 0xE2, 0x2C, 0x20, 0xDC, 0xD8, 0xE0}),
       {3, 8, 8, 9, -4},
       CodePage::Iso},
      {"win ПРИВЕТ МИР",
       bytes({0xCF, 0xD0, 0xC8, 0xC2, 0xC5, 0xD2, 0x20, 0xCC, 0xC8, 0xD0}),
       {2, 9, 9, 9, -8},
       CodePage::Koi},
      // One Dos-only letter and one letter of Win (and Koi): Dos comes first.
      {"dos ties win", bytes({0x80, 0xF0}), {1, 1, 1, 0, 1}, CodePage::Dos},
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

TEST(DetectCodePage, LooksOnlyAtTheFirst8192Bytes) {
  const std::string cyrillic = text(bytes({0xCF, 0xF0, 0xE8, 0xE2, 0xE5}));
  MemoryInputFile late(std::string(8192, 'a') + cyrillic);
  late.failReadAt = 8192; // asking for more than 8192 bytes would fail
  EXPECT_EQ(detect(late), CodePage::Auto);

  MemoryInputFile lastByte(std::string(8191, 'a') + cyrillic);
  lastByte.failReadAt = 8192;
  EXPECT_EQ(detect(lastByte), CodePage::Koi); // only CF: a Koi-side tie
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
}

TEST(DetectCodePage, RecodingAfterDetectionStartsAtTheFirstByte) {
  std::string input;
  for (int i = 0; i < 1000; ++i)
    input += text(bytes(
        {0x8F, 0xE0, 0xA8, 0xA2, 0xA5, 0xE2, 0x2C, 0x20, 0xAC, 0xA8, 0xE0}));
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

std::string fromUtf8(const std::string &utf8, const char *code) {
  iconv_t cd = iconv_open(code, "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1))
    return {};
  std::string out(utf8.size(), '\0');
  char *in = const_cast<char *>(utf8.data());
  std::size_t inLeft = utf8.size();
  char *to = out.data();
  std::size_t outLeft = out.size();
  const std::size_t r = iconv(cd, &in, &inLeft, &to, &outLeft);
  iconv_close(cd);
  if (r == static_cast<std::size_t>(-1) || inLeft != 0)
    return {};
  out.resize(out.size() - outLeft);
  return out;
}

TEST(DetectCodePage, RussianProseInEachCodePage) {
  const auto path =
      std::filesystem::path(SNPLN_TEST_DATA_DIR) / "russian_prose.txt";
  std::ifstream file(path, std::ios::binary);
  std::ostringstream prose;
  prose << file.rdbuf();
  ASSERT_GT(prose.str().size(), 1000u);
  const std::pair<const char *, CodePage> pages[] = {
      {"CP866", CodePage::Dos},
      {"CP1251", CodePage::Win},
      {"KOI8-R", CodePage::Koi},
      {"ISO-8859-5", CodePage::Iso},
  };
  for (const auto &[code, page] : pages) {
    MemoryInputFile in(fromUtf8(prose.str(), code));
    ASSERT_FALSE(in.data_.empty()) << code;
    EXPECT_EQ(detect(in), page) << code;
    EXPECT_EQ(in.position(), 0u) << code;
  }
}

// The letter counts alone, as detection decided before the frequencies.
CodePage chooseOld(const std::string &bytes) {
  return engine::chooseCodePage(engine::countLetters(
      reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size()));
}

std::string readData(const char *name) {
  std::ifstream file(std::filesystem::path(SNPLN_TEST_DATA_DIR) / name,
                     std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

engine::Detection detectText(const std::string &bytes, bool cutShort = false) {
  return engine::detectSample(
      reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size(),
      cutShort);
}

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
      {"mark and ASCII", bom + "plain", false, CodePage::Utf8},
      {"mark alone", bom, false, CodePage::Utf8},
      {"mark before bytes that are not UTF-8", bom + "\xCF\xF0\xE8", false,
       CodePage::Utf8},
      {"sample cut inside a letter", privet + "\xD0", true, CodePage::Utf8},
      {"ASCII only", "plain text", false, CodePage::Auto},
      {"empty", "", false, CodePage::Auto},
      {"Windows-1251 Privet", "\xCF\xF0\xE8\xE2\xE5\xF2", false, CodePage::Win},
  };
  for (const Case &c : cases) {
    const engine::Detection d = detectText(c.bytes, c.cutShort);
    EXPECT_EQ(d.kind, engine::TextKind::Text) << c.name;
    EXPECT_EQ(int(d.page), int(c.page)) << c.name;
  }
  // Cut by the end of the file itself, it is not UTF-8.
  EXPECT_NE(detectText(privet + "\xD0").page, CodePage::Utf8);
}

TEST(DetectText, AZeroByteAnywhereInTheSampleMeansBinary) {
  const std::string privet = "\xD0\x9F\xD1\x80\xD0\xB8";
  for (const std::string &bytes :
       {std::string("\0", 1), "ELF" + std::string(1, '\0') + "x",
        privet + std::string(1, '\0'), std::string(1, '\0') + privet,
        std::string(8191, 'a') + std::string(1, '\0')}) {
    const engine::Detection d = detectText(bytes);
    EXPECT_EQ(d.kind, engine::TextKind::Binary) << bytes.size();
    EXPECT_EQ(d.page, CodePage::Auto);
  }
  // Through the file: only the first 8192 bytes count.
  MemoryInputFile late(std::string(8192, 'a') + std::string(1, '\0'));
  EXPECT_EQ(engine::detectFile(late, late.data_.size()).kind,
            engine::TextKind::Text);
  MemoryInputFile early(std::string(8191, 'a') + std::string(1, '\0'));
  EXPECT_EQ(engine::detectFile(early, early.data_.size()).kind,
            engine::TextKind::Binary);
  EXPECT_EQ(early.position(), 0u);
}

TEST(DetectText, AllCapitalWindows1251AndKoi8AreToldApart) {
  // ПРИВЕТ МИР, ДОБРЫЙ ВЕЧЕР: the letter counts tie and the small-letter
  // balance points to the other page; the letters' frequencies do not.
  const std::string utf8 =
      "\xD0\x9F\xD0\xA0\xD0\x98\xD0\x92\xD0\x95\xD0\xA2 \xD0\x9C\xD0\x98\xD0"
      "\xA0, \xD0\x94\xD0\x9E\xD0\x91\xD0\xA0\xD0\xAB\xD0\x99 \xD0\x92\xD0\x95"
      "\xD0\xA7\xD0\x95\xD0\xA0";
  const std::string win = fromUtf8(utf8, "CP1251");
  const std::string koi = fromUtf8(utf8, "KOI8-R");
  EXPECT_EQ(chooseOld(win), CodePage::Koi);
  EXPECT_EQ(chooseOld(koi), CodePage::Win);
  EXPECT_EQ(detectText(win).page, CodePage::Win);
  EXPECT_EQ(detectText(koi).page, CodePage::Koi);
}

// Capitals of a UTF-8 text: Cyrillic а..я and ё, and Latin a..z.
std::string capitalsOf(const std::string &utf8) {
  std::string out;
  const auto *p = reinterpret_cast<const std::uint8_t *>(utf8.data());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const engine::Utf8Char c = engine::decodeUtf8(p + i, utf8.size() - i);
    char32_t code = c.status == engine::Utf8Status::Ok ? c.code : p[i];
    if (code >= U'а' && code <= U'я')
      code -= 0x20;
    else if (code == U'ё')
      code = U'Ё';
    else if (code >= U'a' && code <= U'z')
      code -= 0x20;
    std::uint8_t b[4];
    out.append(reinterpret_cast<char *>(b), engine::writeUtf8(code, b));
    i += c.status == engine::Utf8Status::Ok ? c.length : 1;
  }
  return out;
}

// Excerpts of `chars` characters starting at character boundaries, each
// holding at least a quarter of Cyrillic letters, picked by a fixed seed.
std::vector<std::string> excerptsOf(const std::string &utf8, std::size_t chars,
                                    std::size_t count, unsigned seed) {
  std::vector<std::size_t> starts; // byte offset of every character
  for (std::size_t i = 0; i < utf8.size(); ++i)
    if ((static_cast<std::uint8_t>(utf8[i]) & 0xC0) != 0x80)
      starts.push_back(i);
  std::vector<std::string> out;
  std::mt19937 rng(seed);
  if (starts.size() <= chars)
    return out;
  for (std::size_t tries = 0; out.size() < count && tries < count * 50;
       ++tries) {
    const std::size_t first = rng() % (starts.size() - chars);
    const std::size_t end =
        first + chars < starts.size() ? starts[first + chars] : utf8.size();
    std::string excerpt = utf8.substr(starts[first], end - starts[first]);
    std::size_t cyrillic = 0;
    for (std::size_t i = 0; i + 1 < excerpt.size(); ++i)
      cyrillic += excerpt[i] == '\xD0' || excerpt[i] == '\xD1';
    if (cyrillic * 4 >= chars)
      out.push_back(std::move(excerpt));
  }
  return out;
}

TEST(DetectText, ExcerptsOfRealProseInFiveEncodingsNeverWorseThanTheCounts) {
  const std::string prose =
      readData("russian_prose.txt") + "\n" + readData("russian_prose_2.txt");
  ASSERT_GT(prose.size(), 10000u);
  const std::pair<const char *, CodePage> encodings[] = {
      {"CP866", CodePage::Dos},  {"CP1251", CodePage::Win},
      {"KOI8-R", CodePage::Koi}, {"ISO-8859-5", CodePage::Iso},
      {"UTF-8", CodePage::Utf8},
  };
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
    for (const auto &[code, page] : encodings) {
      std::size_t total = 0, right = 0, countsRight = 0;
      for (const std::string &excerpt : excerpts) {
        const std::string text = cell.capitals ? capitalsOf(excerpt) : excerpt;
        const std::string bytes = fromUtf8(text, code);
        ASSERT_FALSE(bytes.empty()) << code << ": " << text;
        ++total;
        const bool ours = detectText(bytes).page == page;
        const bool counts = chooseOld(bytes) == page;
        right += ours;
        countsRight += counts;
        EXPECT_TRUE(ours || !counts)
            << code << (cell.capitals ? " capitals" : "")
            << ": the counts were right, now " << int(detectText(bytes).page)
            << " for \"" << text << "\"";
      }
      // At least 19 in 20.
      EXPECT_GE(right * 20, total * 19)
          << code << ", " << cell.chars << " characters"
          << (cell.capitals ? " in capitals" : "") << ": " << right << " of "
          << total;
      row += " " + std::string(code) + " " + std::to_string(right) + "/" +
             std::to_string(countsRight) + "/" + std::to_string(total);
    }
    std::cout << row << "\n";
  }
}

} // namespace
} // namespace snpln::test
