#include "engine/exclusion_slice.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/support/memory_file.h"
#include "tests/support/reference_text_engines.h"
#include "tests/support/reference_utf8_engines.h"

namespace snpln::test {
namespace {

using engine::ExclusionOptions;
using engine::ExclusionState;
using engine::StepResult;

constexpr std::size_t kSliceSizes[] = {1, 2, 3, 7, 64, 8192};

constexpr ExclusionOptions kPlain{false, false, false};
constexpr ExclusionOptions kLeft{true, false, false};
constexpr ExclusionOptions kRight{false, true, false};
constexpr ExclusionOptions kBoth{true, true, false};
constexpr ExclusionOptions kFold{false, false, true};
constexpr ExclusionOptions kWordsAnyCase{1, 1, 1};
constexpr auto kUtf8 = engine::TextEncoding::Utf8;

struct ExclusionRun {
  StepResult result;
  std::string output;
  std::uint64_t hits;
};

using engine::CodePage;

ExclusionRun
runExclusion(const std::string &input, const std::string &search,
             const std::string &replace, ExclusionOptions options,
             std::size_t sliceSize,
             engine::TextEncoding encoding = engine::TextEncoding::SingleByte,
             CodePage page = CodePage::Win) {
  MemoryStream m(input, sliceSize);
  ExclusionState state(search, replace, options, encoding, page);
  const StepResult r =
      runSteps([&] { return engine::exclusionSlice(m.stream, state); });
  return {r, m.out.data, state.hitCount};
}

struct ExclusionExample {
  const char *name;
  std::string input, search, replace;
  ExclusionOptions options;
  std::string expected;
  std::uint64_t hits;
  CodePage page = CodePage::Win; // of a single-byte file
};

const std::vector<ExclusionExample> &examples() {
  static const std::vector<ExclusionExample> list = {
      {"no backtracking", "aaab", "aab", "X", kPlain, "aaab", 0},
      {"unfinished match at the end", "aaa", "aa", "X", kPlain, "Xa", 1},
      {"exclude", "one two one", "one", "", kPlain, " two ", 2},
      {"long runs between hits",
       std::string(5000, 'a') + "cat" + std::string(9000, 'b') + "ca", "cat",
       "X", kPlain,
       std::string(5000, 'a') + "X" + std::string(9000, 'b') + "ca", 1},
      {"mismatching byte is not retried", "ababc", "abc", "X", kPlain, "ababc",
       0},
      {"line ends are ordinary bytes", "a\r\nb\r\n", "\r\n", "|", kPlain,
       "a|b|", 2},
      {"left part of word", "concat cat", "cat", "X", kLeft, "concat X", 1},
      {"right part of word", "cats cat", "cat", "X", kRight, "cats X", 1},
      {"both parts, digits and underscore", "x1 x_ xy", "x", "Z", kBoth,
       "Z1 Z_ xy", 2},
      {"left part after a hit", "catcat", "cat", "X", kLeft, "Xcat", 1},
      {"case insensitive ASCII", "say hELLO", "Hello", "hi", kFold, "say hi",
       1},
      {"case sensitive by default", "say hELLO", "Hello", "hi", kPlain,
       "say hELLO", 0},
      {"win folding", win1251("Мир мир МИР"), win1251("мир"), "W", kFold,
       "W W W", 3},
      // Each page folds its own letters, Yo among them.
      {"yo folds with Yo", "\xA8\xB8", "\xB8", "-", kFold, "--", 2},
      {"yo is a letter for word ends", win1251("ёлкаё ёлка"), win1251("ёлка"),
       "E", kRight, win1251("ёлкаё E"), 1},
      {"koi folding", "\xCD\xC9\xD2 \xED\xE9\xF2 \xA3\xB3", "\xED\xE9\xF2\xA3",
       "K", kFold, "\xCD\xC9\xD2 \xED\xE9\xF2 \xA3\xB3", 0, CodePage::Koi},
      {"koi folding with yo", "\xCD\xC9\xD2\xA3 \xED\xE9\xF2\xB3",
       "\xED\xE9\xF2\xA3", "K", kFold, "K K", 2, CodePage::Koi},
      {"iso folding", "\xC0\xE0\xB0\xD0\xA1\xF1", "\xE0", "=", kFold,
       "==\xB0\xD0\xA1\xF1", 2, CodePage::Iso},
      {"iso yo", "\xB0\xD0\xA1\xF1", "\xF1", "=", kFold, "\xB0\xD0==", 2,
       CodePage::Iso},
      {"dos folding", "\x80\xA0\x90\xE0\xF0\xF1", "\xA0", "=", kFold,
       "==\x90\xE0\xF0\xF1", 2, CodePage::Dos},
      {"dos yo", "\x80\xA0\x90\xE0\xF0\xF1", "\xF0", "=", kFold,
       "\x80\xA0\x90\xE0==", 2, CodePage::Dos},
      // The fault this pins: the letters were Windows-1251's whatever the
      // page, so CP866 box drawing (C0..DF) counted as letters and its
      // letters below C0 did not.
      {"dos box drawing is no letter", "\xC4x \xB3x \xA0x", "x", "=", kLeft,
       "\xC4= \xB3= \xA0x", 2, CodePage::Dos},
      {"a file of ASCII only has Latin letters alone", "\xC4x \xE0x", "x", "=",
       kLeft, "\xC4= \xE0=", 2, CodePage::Auto},
      {"file shorter than search", "ab", "abc", "X", kPlain, "ab", 0},
      {"empty file", "", "abc", "X", kPlain, "", 0},
      {"empty search text changes nothing", "abc", "", "X", kPlain, "abc", 0},
      {"replacement forms no new match", "aaa", "a", "aa", kPlain, "aaaaaa", 3},
  };
  return list;
}

TEST(ExclusionSlice, ExamplesAtEverySliceSize) {
  for (const ExclusionExample &e : examples()) {
    std::uint64_t refHits = 0;
    EXPECT_EQ(referenceExclusion(e.input, e.search, e.replace, e.options,
                                 &refHits, e.page),
              e.expected)
        << "reference, " << e.name;
    EXPECT_EQ(refHits, e.hits) << "reference, " << e.name;
    for (std::size_t slice : kSliceSizes) {
      const ExclusionRun run =
          runExclusion(e.input, e.search, e.replace, e.options, slice,
                       engine::TextEncoding::SingleByte, e.page);
      EXPECT_EQ(run.result, StepResult::Finished) << e.name;
      EXPECT_EQ(run.output, e.expected) << e.name << ", slice " << slice;
      EXPECT_EQ(run.hits, e.hits) << e.name << ", slice " << slice;
    }
  }
}

// A small alphabet makes partial matches, case pairs and word boundaries
// frequent; long runs move matches across every slice end.
// Each page's alphabet holds its Yo pair, a letter pair of 0x80..0xFF and a
// byte that is a letter in another page only; the Ukrainian pages add their
// Ye pair.
std::string randomBytes(std::mt19937 &rng, std::size_t maxLength,
                        CodePage page = CodePage::Win) {
  static const char *alphabets[] = {
      "aAb \r\n1_\xE0\xC0\xA8\xB8",             // Auto
      "aAb \r\n1_\x80\xA0\xF0\xF1\xC4",         // Dos
      "aAb \r\n1_\xE0\xC0\xA8\xB8\x90",         // Win
      "aAb \r\n1_\xE0\xC0\xA3\xB3\x80",         // Koi
      "aAb \r\n1_\xB0\xD0\xA1\xF1\xFD",         // Iso
      "aAb \r\n1_\xE0\x80\xDD\xDE\xB8\xB9\xF0", // Mac
      "aAb \r\n1_\xC1\xE1\xA3\xB3\xA4\xB4\x80", // KoiU
      "aAb \r\n1_\xA0\x80\xF0\xF1\xF4\xF5\xC4", // Cp1125
  };
  std::size_t row = static_cast<std::size_t>(page);
  if (page == CodePage::Mac || page == CodePage::KoiU ||
      page == CodePage::Cp1125)
    row = 5 + static_cast<std::size_t>(page) -
          static_cast<std::size_t>(CodePage::Mac);
  else if (row >= 5)
    ADD_FAILURE() << "no alphabet for page " << row;
  const std::string alphabet = alphabets[row < std::size(alphabets) ? row : 0];
  std::uniform_int_distribution<std::size_t> length(0, maxLength);
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::string s(length(rng), ' ');
  for (char &c : s)
    c = alphabet[pick(rng)];
  return s;
}

constexpr CodePage kSingleBytePages[] = {
    CodePage::Auto, CodePage::Dos, CodePage::Win,  CodePage::Koi,
    CodePage::Iso,  CodePage::Mac, CodePage::KoiU, CodePage::Cp1125};

TEST(ExclusionSlice, MatchesReferenceOnRandomTextsAtEverySliceSize) {
  std::mt19937 rng(1404);
  for (int round = 0; round < 2000; ++round) {
    const CodePage page = kSingleBytePages[static_cast<std::size_t>(round) %
                                           std::size(kSingleBytePages)];
    const std::string text =
        randomBytes(rng, round % 10 == 0 ? 3000 : 200, page);
    std::string search = randomBytes(rng, 4, page);
    if (search.empty())
      search = "a";
    const std::string replace = randomBytes(rng, 5, page);
    const ExclusionOptions options{(rng() & 1) != 0, (rng() & 1) != 0,
                                   (rng() & 1) != 0};
    std::uint64_t want = 0;
    const std::string expected =
        referenceExclusion(text, search, replace, options, &want, page);
    for (std::size_t slice : kSliceSizes) {
      const ExclusionRun run =
          runExclusion(text, search, replace, options, slice,
                       engine::TextEncoding::SingleByte, page);
      ASSERT_EQ(run.result, StepResult::Finished);
      ASSERT_EQ(run.output, expected)
          << "round " << round << " page " << static_cast<int>(page)
          << " slice " << slice;
      ASSERT_EQ(run.hits, want) << "round " << round << " slice " << slice;
    }
  }
}

// The same prose, search and replacement in every page and in UTF-8: the
// results decode to the same text with the same hits, for every option.
TEST(ExclusionSlice, EveryPageGivesTheSameTextAsUtf8) {
  // Only characters all four pages hold.
  const std::string prose =
      "Ёлка, ёлка! ЁЛКА стоит; ёлочка и ещё ёлки. Ёж -\r\nёлка. "
      "Кот котёл, КОТ кот. скот кот1кот_ ёКОТ котЁ";
  const struct {
    const char *search, *replace;
  } texts[] = {{"ёлка", "ель"}, {"ЁЛК", "Е"}, {"кот", "пёс"}, {"Ё", "Е"},
               {"ё", ""},       {"ка", "КА"}, {"кот ", "Ё"},  {"-\r\nё", "ё"}};
  const ExclusionOptions allOptions[] = {kPlain,
                                         kLeft,
                                         kRight,
                                         kBoth,
                                         kFold,
                                         kWordsAnyCase,
                                         ExclusionOptions{1, 0, 1},
                                         ExclusionOptions{0, 1, 1}};
  for (const auto &t : texts) {
    for (const ExclusionOptions &options : allOptions) {
      std::uint64_t want = 0;
      const std::string expected =
          referenceExclusionUtf8(prose, t.search, t.replace, options, &want);
      const ExclusionRun utf8 =
          runExclusion(prose, t.search, t.replace, options, 7, kUtf8);
      ASSERT_EQ(utf8.output, expected);
      for (CodePage page :
           {CodePage::Dos, CodePage::Win, CodePage::Koi, CodePage::Iso}) {
        for (std::size_t slice : kSliceSizes) {
          const ExclusionRun run =
              runExclusion(inPage(prose, page), inPage(t.search, page),
                           inPage(t.replace, page), options, slice,
                           engine::TextEncoding::SingleByte, page);
          EXPECT_EQ(fromPage(run.output, page), expected)
              << t.search << " page " << static_cast<int>(page) << " options "
              << options.leftPartOfWord << options.rightPartOfWord
              << options.caseInsensitive << " slice " << slice;
          EXPECT_EQ(run.hits, want) << t.search;
        }
      }
    }
  }
}

// Windows-1251 prose without Yo gives exactly what it gave before Yo was a
// letter, for every search word of it and every option.
TEST(ExclusionSlice, WindowsTextWithoutYoComesOutAsBefore) {
  const std::vector<std::string> excerpts = winProseExcerptsWithoutYo();
  ASSERT_GT(excerpts.size(), 100u);
  const ExclusionOptions allOptions[] = {kPlain, kLeft, kRight,
                                         kBoth,  kFold, kWordsAnyCase};
  std::size_t compared = 0;
  for (const std::string &text : excerpts) {
    // The excerpt's own words, and one cut from its middle.
    std::vector<std::string> searches;
    for (std::size_t at = 0; at < text.size() && searches.size() < 3;) {
      const std::size_t end = text.find(' ', at);
      if (end == std::string::npos)
        break;
      if (end > at + 2)
        searches.push_back(text.substr(at, end - at));
      at = end + 1;
    }
    searches.push_back(text.substr(text.size() / 2, 2));
    for (const std::string &search : searches) {
      for (const ExclusionOptions &options : allOptions) {
        std::uint64_t want = 0;
        const std::string expected =
            legacyWinExclusion(text, search, "<>", options, &want);
        const ExclusionRun run =
            runExclusion(text, search, "<>", options, 8192);
        ASSERT_EQ(run.output, expected) << testing::PrintToString(search);
        ASSERT_EQ(run.hits, want);
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 1000u);
}

TEST(ExclusionSlice, TextsLongerThanTheOutputBufferWork) {
  std::mt19937 rng(9);
  std::string search(9000, 'a');
  for (char &c : search)
    c = static_cast<char>('a' + rng() % 26);
  const std::string replace(20000, 'R');
  const std::string text =
      "1" + search + " " + search.substr(0, 8999) + "." + search + search + "2";
  for (ExclusionOptions options : {kPlain, kBoth}) {
    std::uint64_t want = 0;
    const std::string expected =
        referenceExclusion(text, search, replace, options, &want);
    EXPECT_EQ(want, options.leftPartOfWord ? 1u : 3u);
    for (std::size_t slice : {std::size_t{7}, std::size_t{8192}}) {
      const ExclusionRun run =
          runExclusion(text, search, replace, options, slice);
      EXPECT_EQ(run.result, StepResult::Finished);
      EXPECT_EQ(run.hits, want);
      EXPECT_TRUE(run.output == expected) << "slice " << slice;
    }
  }
}

TEST(ExclusionSlice, SmallFileIsWrittenOnceAtTheFinish) {
  MemoryStream m("a cat and a dog", 4);
  ExclusionState state("cat", "dog", kPlain);
  for (int i = 0; i < 4; ++i)
    ASSERT_EQ(engine::exclusionSlice(m.stream, state), StepResult::Continue);
  EXPECT_EQ(m.out.data, "");
  EXPECT_EQ(engine::exclusionSlice(m.stream, state), StepResult::Finished);
  EXPECT_EQ(m.out.data, "a dog and a dog");
}

struct ExclusionSeam {
  const char *name;
  std::string input;
  ExclusionOptions options;
  std::size_t slice;
  std::uint64_t failReadAt = kNever;
  bool failSeek = false;
  std::uint64_t failWriteAt = kNever;
  std::uint64_t shortWriteAt = kNever;
  StepResult expected;
};

TEST(ExclusionSlice, FailureSeams) {
  // Longer than the stream's output block, so that a write is made before
  // the end.
  const std::string big(engine::kIoBlockSize + 100000, 'b');
  const ExclusionSeam seams[] = {
      {"read fails", "x cat y cat", kPlain, 4, 6, false, kNever, kNever,
       StepResult::ReadFailed},
      // "cat" ends the first slice; its next byte decides the hit.
      {"look-ahead read fails", "cats", kRight, 3, 3, false, kNever, kNever,
       StepResult::ReadFailed},
      // The next byte comes from the stream's block: nothing is sought.
      {"look-ahead needs no seek", "cats", kRight, 3, kNever, true, kNever,
       kNever, StepResult::Finished},
      {"no look-ahead past the end", "cat", kRight, 3, 3, false, kNever, kNever,
       StepResult::Finished},
      {"write fails at the finish", "x cat", kPlain, 4, kNever, false, 2,
       kNever, StepResult::WriteFailed},
      {"short write at the finish", "x cat", kPlain, 4, kNever, false, kNever,
       2, StepResult::WriteFailed},
      {"write fails midway", big, kPlain, 8192, kNever, false, 9000, kNever,
       StepResult::WriteFailed},
      {"short write midway", big, kPlain, 8192, kNever, false, kNever, 9000,
       StepResult::WriteFailed},
  };
  for (const ExclusionSeam &s : seams) {
    MemoryStream m(s.input, s.slice);
    m.in.failReadAt = s.failReadAt;
    m.in.failSeek = s.failSeek;
    m.out.failWriteAt = s.failWriteAt;
    m.out.shortWriteAt = s.shortWriteAt;
    ExclusionState state("cat", "dog", s.options);
    EXPECT_EQ(runSteps([&] { return engine::exclusionSlice(m.stream, state); }),
              s.expected)
        << s.name;
  }
}

// UTF-8 files: the same rules on characters.

const std::vector<ExclusionExample> &utf8Examples() {
  static const std::vector<ExclusionExample> list = {
      {"replace", "мир, миру мир", "мир", "world", kPlain,
       "world, worldу world", 3},
      {"case insensitive", "Мир МИР мИр ёЖ ЁЖ", "мир", "W", kFold,
       "W W W ёЖ ЁЖ", 3},
      {"yo folds with Yo", "ёж ЁЖ Ёж", "ёж", "-", kFold, "- - -", 3},
      {"case sensitive by default", "Мир МИР мир", "мир", "W", kPlain,
       "Мир МИР W", 1},
      // A Cyrillic letter before or after is a letter for the word options.
      {"left part of word", "примир мир", "мир", "X", kLeft, "примир X", 1},
      {"right part of word", "миры мир", "мир", "X", kRight, "миры X", 1},
      {"whole words any case", "Кот, кота КОТ котёл", "кот", "пёс",
       kWordsAnyCase, "пёс, кота пёс котёл", 2},
      {"yo is a letter for word ends", "ёлкаё ёлка", "ёлка", "Е", kRight,
       "ёлкаё Е", 1},
      // Characters the letters do not know are word boundaries and are not
      // folded.
      {"other characters bound words", "«мир»—мир…Ѡмир", "мир", "M", kBoth,
       "«M»—M…ѠM", 3},
      // Ґ and ґ are letters: no word ends beside them.
      {"ghe with upturn is a letter", "ґмир Ґмир мир", "мир", "M", kBoth,
       "ґмир Ґмир M", 1},
      {"other characters are not folded", "ÉÉ éé", "é", "e", kFold, "ÉÉ ee", 2},
      // Byte-wise folding would take the lead byte of a four-byte character
      // (F0) for that of a Cyrillic small letter (D0): nothing here matches.
      {"no byte-wise folding", "😀ж\xF0\x9F\x98\x80", "а", "X", kFold,
       "😀ж\xF0\x9F\x98\x80", 0},
      {"search text of three and four bytes", "a€😀b€😀", "€😀", "", kPlain, "ab",
       2},
      // An occurrence never starts inside a character: the search text's
      // last byte is the second byte of every "а".
      {"no match inside a character", "ааа", "\xB0", "X", kPlain, "ааа", 0},
      {"no backtracking", "жжжи", "жжи", "X", kPlain, "жжжи", 0},
      {"unfinished match at the end", "жжж", "жж", "X", kPlain, "Xж", 1},
      {"empty file", "", "мир", "X", kPlain, "", 0},
  };
  return list;
}

TEST(ExclusionSliceUtf8, ExamplesAtEverySliceSize) {
  for (const ExclusionExample &e : utf8Examples()) {
    std::uint64_t refHits = 0;
    EXPECT_EQ(referenceExclusionUtf8(e.input, e.search, e.replace, e.options,
                                     &refHits),
              e.expected)
        << "reference, " << e.name;
    EXPECT_EQ(refHits, e.hits) << "reference, " << e.name;
    for (std::size_t slice : kSliceSizes) {
      const ExclusionRun run =
          runExclusion(e.input, e.search, e.replace, e.options, slice, kUtf8);
      EXPECT_EQ(run.result, StepResult::Finished) << e.name;
      EXPECT_EQ(run.output, e.expected) << e.name << ", slice " << slice;
      EXPECT_EQ(run.hits, e.hits) << e.name << ", slice " << slice;
    }
  }
}

// Occurrences and their word tests across a slice end at every byte.
TEST(ExclusionSliceUtf8, SliceEndsAtEveryBytePosition) {
  const std::string text = "Кот котёл, КОТ кот. скот кот😀кот€ ёКОТ";
  for (ExclusionOptions options :
       {kPlain, kLeft, kRight, kFold, kWordsAnyCase}) {
    std::uint64_t want = 0;
    const std::string expected =
        referenceExclusionUtf8(text, "кот", "пёс", options, &want);
    for (std::size_t slice = 1; slice <= text.size(); ++slice) {
      const ExclusionRun run =
          runExclusion(text, "кот", "пёс", options, slice, kUtf8);
      ASSERT_EQ(run.output, expected) << "slice " << slice;
      ASSERT_EQ(run.hits, want) << "slice " << slice;
    }
  }
}

// Long runs of letters that share the first character's lead byte (or its
// other case's), with the first character itself at every offset of a block
// of 16 bytes, and cut by the end of the text: every place must be found,
// no near miss taken.
TEST(ExclusionSliceUtf8, FirstCharacterAtEveryOffsetOfLongRuns) {
  const std::string filler = "нопрНОПР";
  for (const char *search : {"мир", "Мир", "a", "€x", "😀"}) {
    for (std::size_t offset = 0; offset < 40; ++offset) {
      std::string text;
      for (std::size_t i = 0; i < offset; ++i)
        text += filler.substr((i % 4) * 2, 2);
      text += std::string(search) + "МИР" + filler + filler + "мИр ми";
      for (ExclusionOptions options : {kPlain, kFold, kLeft}) {
        std::uint64_t want = 0;
        const std::string expected =
            referenceExclusionUtf8(text, search, "X", options, &want);
        for (std::size_t slice : kSliceSizes) {
          const ExclusionRun run =
              runExclusion(text, search, "X", options, slice, kUtf8);
          ASSERT_EQ(run.output, expected)
              << search << " offset " << offset << " slice " << slice;
          ASSERT_EQ(run.hits, want);
        }
      }
    }
  }
}

TEST(ExclusionSliceUtf8, MatchesReferenceOnProseAndRandomTexts) {
  std::mt19937 rng(1505);
  const std::string prose = russianProse();
  for (int round = 0; round < 600; ++round) {
    std::string text;
    if (round % 50 == 0)
      text = prose;
    else if (round % 3 == 0)
      text = randomMostlyUtf8Bytes(rng, 300);
    else
      text = randomUtf8Text(rng, round % 10 == 0 ? 3000 : 300);
    std::string search = randomUtf8Text(rng, 6);
    if (round % 50 == 0)
      search = round % 100 == 0 ? "ЧИТАТЕЛ" : "е";
    if (search.empty())
      search = "я";
    const std::string replace = randomUtf8Text(rng, 8);
    const ExclusionOptions options{(rng() & 1) != 0, (rng() & 1) != 0,
                                   (rng() & 1) != 0};
    std::uint64_t want = 0;
    const std::string expected =
        referenceExclusionUtf8(text, search, replace, options, &want);
    if (referenceIsValidUtf8(text)) {
      ASSERT_TRUE(referenceIsValidUtf8(expected));
    }
    for (std::size_t slice : kSliceSizes) {
      const ExclusionRun run =
          runExclusion(text, search, replace, options, slice, kUtf8);
      ASSERT_EQ(run.result, StepResult::Finished);
      ASSERT_EQ(run.output, expected)
          << "round " << round << " slice " << slice << " search "
          << testing::PrintToString(search);
      ASSERT_EQ(run.hits, want) << "round " << round << " slice " << slice;
    }
  }
}

TEST(ExclusionSliceUtf8, FailureSeams) {
  const std::string big(200000, 'b');
  struct Seam {
    const char *name;
    std::string input;
    std::size_t slice;
    std::uint64_t failReadAt = kNever;
    std::uint64_t failWriteAt = kNever;
    std::uint64_t shortWriteAt = kNever;
    StepResult expected;
  };
  const Seam seams[] = {
      {"read fails", "x кот y кот", 4, 6, kNever, kNever,
       StepResult::ReadFailed},
      {"write fails at the finish", "x кот", 4, kNever, 2, kNever,
       StepResult::WriteFailed},
      {"short write midway", big, 8192, kNever, kNever, 9000,
       StepResult::WriteFailed},
  };
  for (const Seam &s : seams) {
    MemoryStream m(s.input, s.slice);
    m.in.failReadAt = s.failReadAt;
    m.out.failWriteAt = s.failWriteAt;
    m.out.shortWriteAt = s.shortWriteAt;
    ExclusionState state("кот", "пёс", kRight, kUtf8);
    EXPECT_EQ(runSteps([&] { return engine::exclusionSlice(m.stream, state); }),
              s.expected)
        << s.name;
  }
}

} // namespace
} // namespace snpln::test
