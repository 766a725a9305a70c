#include "engine/case_slice.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/letters.h"
#include "tests/support/memory_file.h"
#include "tests/support/reference_text_engines.h"
#include "tests/support/reference_utf8_engines.h"

namespace snpln::test {
namespace {

using engine::CaseOperation;
using engine::CaseState;
constexpr CaseOperation kUpper = CaseOperation::Upper;
constexpr CaseOperation kLower = CaseOperation::Lower;
constexpr CaseOperation kSmart = CaseOperation::Smart;
using engine::StepResult;

constexpr std::size_t kSliceSizes[] = {1, 2, 3, 7, 64, 8192};

struct CaseRun {
  StepResult result;
  std::string output;
};

CaseRun
runCase(const std::string &input, CaseOperation operation, bool saveUpper,
        std::size_t sliceSize,
        engine::TextEncoding encoding = engine::TextEncoding::SingleByte) {
  MemoryStream m(input, sliceSize);
  CaseState state(operation, saveUpper, encoding);
  const StepResult r =
      runSteps([&] { return engine::caseSlice(m.stream, state); });
  return {r, m.out.data};
}

struct CaseExample {
  const char *name;
  CaseOperation operation;
  bool saveUpper;
  std::string input;
  std::string expected;
};

const std::vector<CaseExample> &examples() {
  static const std::vector<CaseExample> list = {
      {"sentences", kSmart, false, "hello world. this is it",
       "Hello world. This is it"},
      {"shouting", kSmart, false, "HELLO WORLD. THIS IS IVAN",
       "Hello world. This is ivan"},
      {"capitalised words", kSmart, false, "I met Ivan and IVAN in Paris",
       "I met Ivan and ivan in Paris"},
      {"hyphen CR LF", kSmart, false, "some-\r\nthing else",
       "Some-\r\nthing else"},
      {"hyphen LF", kSmart, false, "some-\nthing else", "Some-\nthing else"},
      {"hyphen LF CR", kSmart, false, "ab-\n\rcd", "Ab-\n\rcd"},
      {"hyphen then two line ends", kSmart, false, "ab-\n\n\ncd",
       "Ab-\n\n\nCd"},
      {"hyphen line end with short history", kSmart, false, "-\nb", "-\nB"},
      {"hyphen in word", kSmart, false, "e-mail me", "E-Mail me"},
      {"parentheses", kSmart, false, "(ivan) went. (he) said",
       "(Ivan) went. (He) said"},
      {"leading blanks", kSmart, false, "\r\n  first line", "\r\n  First line"},
      {"digits and terminators", kSmart, false, "3.14 is pi. ok?yes",
       "3.14 Is pi. Ok?Yes"},
      {"comma", kSmart, false, "one, two", "One, two"},
      {"terminator right before letter", kSmart, false, "x a-b", "X a-B"},
      {"quote after full stop", kSmart, false, "no. \"yes\"", "No. \"Yes\""},
      {"capital last byte after letter", kSmart, false, "ab I", "Ab i"},
      {"capital last byte after stop", kSmart, false, "ab. I", "Ab. I"},
      {"single small letter", kSmart, false, "i", "I"},
      {"capital before small at slice ends", kSmart, false, "ab Ivan ab Oleg",
       "Ab Ivan ab Oleg"},
      {"save upper keeps capitals", kSmart, true, "HELLO WORLD. THIS IS IVAN",
       "HELLO WORLD. THIS IS IVAN"},
      {"save upper sentences", kSmart, true, "hello world. this is it",
       "Hello world. This is it"},
      // Yo is a letter: it changes case, and it starts a word.
      {"win smart", kSmart, false, win1251("Ёлка. ёжик. Иван и ИВАН."),
       win1251("Ёлка. Ёжик. Иван и иван.")},
      {"win upper", kUpper, false, win1251("Ёлка. ёжик. Иван и ИВАН."),
       win1251("ЁЛКА. ЁЖИК. ИВАН И ИВАН.")},
      {"win lower", kLower, false, win1251("Ёлка. ёжик. Иван и ИВАН."),
       win1251("ёлка. ёжик. иван и иван.")},
      {"yo within a word stays small", kSmart, false, win1251("ЕЩЁ ЁЖ"),
       win1251("Ещё ёж")},
      {"upper keeps controls", kUpper, false, "a\tb\r\nc\x01\x7f",
       "A\tB\r\nC\x01\x7f"},
      {"lower", kLower, false, "ABC def\r\nXYZ", "abc def\r\nxyz"},
      {"empty file", kSmart, false, "", ""},
      // The look-back holds 254 bytes: a letter further back is forgotten.
      {"letter just inside the history", kSmart, false,
       "a" + std::string(253, ' ') + "b", "A" + std::string(253, ' ') + "b"},
      {"letter just outside the history", kSmart, false,
       "a" + std::string(254, ' ') + "b", "A" + std::string(254, ' ') + "B"},
  };
  return list;
}

TEST(CaseSlice, ExamplesAtEverySliceSize) {
  for (const CaseExample &e : examples()) {
    EXPECT_EQ(referenceCase(e.input, e.operation, e.saveUpper), e.expected)
        << "reference, " << e.name;
    for (std::size_t slice : kSliceSizes) {
      const CaseRun run = runCase(e.input, e.operation, e.saveUpper, slice);
      EXPECT_EQ(run.result, StepResult::Finished) << e.name;
      EXPECT_EQ(run.output, e.expected) << e.name << ", slice " << slice;
    }
  }
}

constexpr engine::CodePage kSingleBytePages[] = {
    engine::CodePage::Dos,    engine::CodePage::Win, engine::CodePage::Koi,
    engine::CodePage::Iso,    engine::CodePage::Mac, engine::CodePage::KoiU,
    engine::CodePage::Cp1125, engine::CodePage::Auto};

CaseRun runPageCase(const std::string &input, CaseOperation operation,
                    bool saveUpper, std::size_t sliceSize,
                    engine::CodePage page) {
  MemoryStream m(input, sliceSize);
  CaseState state(operation, saveUpper, engine::TextEncoding::SingleByte, page);
  const StepResult r =
      runSteps([&] { return engine::caseSlice(m.stream, state); });
  return {r, m.out.data};
}

TEST(CaseSlice, UpperAndLowerChangeOnlyTheLettersOfThePageAndKeepLength) {
  std::string all;
  for (int c = 0; c < 256; ++c)
    all.push_back(static_cast<char>(c));
  for (engine::CodePage page : kSingleBytePages) {
    for (CaseOperation op : {kUpper, kLower}) {
      const CaseRun run = runPageCase(all, op, false, 100, page);
      ASSERT_EQ(run.output.size(), all.size());
      EXPECT_EQ(run.output, referenceCase(all, op, false, page));
      for (int c = 0; c < 256; ++c) {
        const auto b = static_cast<std::uint8_t>(c);
        const std::uint8_t want = op == kUpper ? engine::toUpperChar(b, page)
                                               : engine::toLowerChar(b, page);
        EXPECT_EQ(static_cast<std::uint8_t>(run.output[b]), want)
            << "byte " << c << " page " << static_cast<int>(page);
      }
    }
  }
}

// The same words in each single-byte page: each operation gives the same
// text, and Yo changes case in every page.
TEST(CaseSlice, EveryPageGivesTheSameTextAsUtf8) {
  const std::string text =
      "ёлка. ЁЖИК в тумане, Иван и ИВАН.\r\nещё-\r\nраз: ёж! Ёлки \"ёж\" Ёж";
  for (engine::CodePage page : {engine::CodePage::Dos, engine::CodePage::Win,
                                engine::CodePage::Koi, engine::CodePage::Iso}) {
    const std::string bytes = inPage(text, page);
    for (CaseOperation op : {kUpper, kLower, kSmart}) {
      for (bool saveUpper : {false, true}) {
        const std::string want = referenceCaseUtf8(text, op, saveUpper);
        for (std::size_t slice : kSliceSizes) {
          const CaseRun run = runPageCase(bytes, op, saveUpper, slice, page);
          ASSERT_EQ(run.result, StepResult::Finished);
          EXPECT_EQ(fromPage(run.output, page), want)
              << "page " << static_cast<int>(page) << " op "
              << static_cast<int>(op) << " saveUpper " << saveUpper << " slice "
              << slice;
        }
      }
    }
  }
}

// Texts that exercise the look-back: capitals after blanks, hyphens before
// line ends, terminators, others, Yo, top-bit bytes, long blank runs.
std::string randomText(std::mt19937 &rng) {
  static const std::string pieces[] = {
      "a",    "b",  "I",    "Iv", "A",  "\xC0", "\xE0",  "\xDF\xFF",
      " ",    "  ", "\r\n", "\n", "\r", "-",    "-\r\n", "-\n\n",
      ".",    "?",  ",",    "3",  "\"", "(",    "\xA8",  "\xB8",
      "\xA0", "\t", "x",    "Ab", "ZZ", "}"};
  std::uniform_int_distribution<int> length(0, 400);
  std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
  std::uniform_int_distribution<int> rare(0, 60);
  std::string text;
  const int n = length(rng);
  for (int i = 0; i < n; ++i) {
    if (rare(rng) == 0)
      text.append(static_cast<std::size_t>(250 + rare(rng) % 10), ' ');
    else
      text += pieces[pick(rng)];
  }
  return text;
}

// Any bytes at all, so that every page's letters and non-letters come up.
std::string randomBytes(std::mt19937 &rng) {
  std::string text(rng() % 300, ' ');
  for (char &c : text) {
    const auto r = rng() % 8;
    c = static_cast<char>(r < 2 ? ' ' : r < 3 ? '.' : 0x80 + rng() % 0x80);
    if (r == 7)
      c = static_cast<char>('A' + rng() % 58);
  }
  return text;
}

TEST(CaseSlice, MatchesReferenceOnRandomTextsAtEverySliceSize) {
  std::mt19937 rng(1303);
  for (int round = 0; round < 300; ++round) {
    const std::string text = round % 2 ? randomText(rng) : randomBytes(rng);
    const engine::CodePage page =
        kSingleBytePages[static_cast<std::size_t>(round) %
                         std::size(kSingleBytePages)];
    for (CaseOperation op : {kUpper, kLower, kSmart}) {
      for (bool saveUpper : {false, true}) {
        if (op != kSmart && saveUpper)
          continue;
        const std::string want = referenceCase(text, op, saveUpper, page);
        for (std::size_t slice : kSliceSizes) {
          const CaseRun run = runPageCase(text, op, saveUpper, slice, page);
          ASSERT_EQ(run.result, StepResult::Finished);
          ASSERT_EQ(run.output, want)
              << "round " << round << " page " << static_cast<int>(page)
              << " op " << static_cast<int>(op) << " saveUpper " << saveUpper
              << " slice " << slice;
        }
      }
    }
  }
}

// Smart case finds the letters it must decide 64 bytes at a time and
// carries what the bytes before end with across chunks and slices: long
// texts cross many of both.
TEST(CaseSlice, SmartMatchesReferenceOnLongRandomTextsAtEverySliceSize) {
  std::mt19937 rng(2203);
  for (int round = 0; round < 10; ++round) {
    std::string text;
    while (text.size() < 20000)
      text += round % 2 ? randomText(rng) : randomBytes(rng);
    const engine::CodePage page =
        kSingleBytePages[static_cast<std::size_t>(round) %
                         std::size(kSingleBytePages)];
    for (bool saveUpper : {false, true}) {
      const std::string want = referenceCase(text, kSmart, saveUpper, page);
      for (std::size_t slice : kSliceSizes) {
        const CaseRun run = runPageCase(text, kSmart, saveUpper, slice, page);
        ASSERT_EQ(run.result, StepResult::Finished);
        ASSERT_EQ(run.output, want)
            << "round " << round << " page " << static_cast<int>(page)
            << " saveUpper " << saveUpper << " slice " << slice;
      }
    }
  }
}

// Real text in each page, against the reference.
TEST(CaseSlice, MatchesReferenceOnProseInEveryPage) {
  const std::string prose = russianProse();
  for (engine::CodePage page : kSingleBytePages) {
    const std::string bytes = inPage(
        prose, page == engine::CodePage::Auto ? engine::CodePage::Win : page);
    for (CaseOperation op : {kUpper, kLower, kSmart}) {
      const std::string want = referenceCase(bytes, op, false, page);
      for (std::size_t slice : kSliceSizes) {
        const CaseRun run = runPageCase(bytes, op, false, slice, page);
        ASSERT_EQ(run.output, want)
            << "page " << static_cast<int>(page) << " op "
            << static_cast<int>(op) << " slice " << slice;
      }
    }
  }
}

// What Windows-1251 files without Yo (nor any other letter of 0x80..0xBF)
// came out as before Yo was a letter, they still come out as: the prose
// excerpts, and random texts of such bytes.
TEST(CaseSlice, WindowsTextWithoutYoComesOutAsBefore) {
  std::vector<std::string> texts = winProseExcerptsWithoutYo();
  std::mt19937 rng(77);
  for (int round = 0; round < 100; ++round) {
    std::string text = randomText(rng);
    std::erase_if(text, [](char c) {
      return engine::isLetterChar(static_cast<std::uint8_t>(c),
                                  engine::CodePage::Win) &&
             static_cast<std::uint8_t>(c) >= 0x80 &&
             static_cast<std::uint8_t>(c) < 0xC0;
    });
    texts.push_back(text);
  }
  ASSERT_GT(texts.size(), 110u);
  for (const std::string &text : texts) {
    for (CaseOperation op : {kUpper, kLower, kSmart}) {
      for (bool saveUpper : {false, true}) {
        const CaseRun run =
            runPageCase(text, op, saveUpper, 8192, engine::CodePage::Win);
        ASSERT_EQ(run.output, legacyWinCase(text, op, saveUpper))
            << "op " << static_cast<int>(op) << " saveUpper " << saveUpper
            << " text " << testing::PrintToString(text);
      }
    }
  }
}

TEST(CaseSlice, FinishesOnTheStepAfterTheLastSlice) {
  MemoryStream m("0123456789", 4);
  CaseState state(kUpper, false);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(engine::caseSlice(m.stream, state), StepResult::Continue);
  EXPECT_EQ(engine::caseSlice(m.stream, state), StepResult::Finished);
  EXPECT_EQ(m.stream.processed, 10u);
  EXPECT_EQ(m.out.data, "0123456789");
}

struct CaseSeam {
  const char *name;
  CaseOperation operation;
  std::string input;
  std::size_t slice;
  std::uint64_t failReadAt = kNever;
  bool failSeek = false;
  std::uint64_t failWriteAt = kNever;
  std::uint64_t shortWriteAt = kNever;
  StepResult expected;
  std::string output = "";
};

TEST(CaseSlice, FailureSeams) {
  const std::string text(100, 'a');
  const CaseSeam seams[] = {
      {"read fails", kSmart, text, 16, 40, false, kNever, kNever,
       StepResult::ReadFailed},
      {"read fails at once", kUpper, text, 16, 0, false, kNever, kNever,
       StepResult::ReadFailed},
      // The capital ends the first slice and needs the next byte.
      {"look-ahead read fails", kSmart, "ab Ivan", 4, 4, false, kNever, kNever,
       StepResult::ReadFailed},
      // The next byte comes from the stream's block: nothing is sought.
      {"look-ahead needs no seek", kSmart, "ab Ivan", 4, kNever, true, kNever,
       kNever, StepResult::Finished, "Ab Ivan"},
      // A capital that is the file's last byte has no next byte to read.
      {"no look-ahead past the end", kSmart, "ab I", 4, 4, false, kNever,
       kNever, StepResult::Finished, "Ab i"},
      {"write fails", kLower, text, 16, kNever, false, 40, kNever,
       StepResult::WriteFailed},
      {"short write", kSmart, text, 16, kNever, false, kNever, 40,
       StepResult::WriteFailed},
  };
  for (const CaseSeam &s : seams) {
    MemoryStream m(s.input, s.slice);
    m.in.failReadAt = s.failReadAt;
    m.in.failSeek = s.failSeek;
    m.out.failWriteAt = s.failWriteAt;
    m.out.shortWriteAt = s.shortWriteAt;
    CaseState state(s.operation, false);
    EXPECT_EQ(runSteps([&] { return engine::caseSlice(m.stream, state); }),
              s.expected)
        << s.name;
    if (s.expected == StepResult::Finished) {
      EXPECT_EQ(m.out.data, s.output) << s.name;
    }
  }
}

// UTF-8 files: the same rules on characters.

CaseRun runUtf8Case(const std::string &input, CaseOperation operation,
                    bool saveUpper, std::size_t sliceSize) {
  return runCase(input, operation, saveUpper, sliceSize,
                 engine::TextEncoding::Utf8);
}

const std::vector<CaseExample> &utf8Examples() {
  static const std::vector<CaseExample> list = {
      {"upper", kUpper, false, "Ёлка. ёжик. Иван и ИВАН; Über, ї ґ",
       "ЁЛКА. ЁЖИК. ИВАН И ИВАН; ÜBER, Ї Ґ"},
      // Ukrainian ґ (D2 91) lies outside the block's first part.
      {"ghe with upturn", kLower, false, "ҐАНОК ґанок Ґ҂", "ґанок ґанок ґ҂"},
      {"smart ghe with upturn", kSmart, false, "ґанок. ҐРУНТ і ҐРУНТ",
       "Ґанок. Ґрунт і ґрунт"},
      {"lower", kLower, false, "ЁЛКА. ЁЖИК. ИВАН и Иван; ABC, Ї",
       "ёлка. ёжик. иван и иван; abc, ї"},
      {"every Russian letter up", kUpper, false,
       "абвгдеёжзийклмнопрстуфхцчшщъыьэюя",
       "АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"},
      {"every Russian letter down", kLower, false,
       "АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ",
       "абвгдеёжзийклмнопрстуфхцчшщъыьэюя"},
      // Neighbours of the letters' bytes: U+03FF (CF BF), U+0460 (D1 A0),
      // U+0480 (D2 80), and characters of three and four bytes.
      {"neighbours stay", kUpper, false, "Ͽѡ҂ѠҀ€😀éÿ", "Ͽѡ҂ѠҀ€😀éÿ"},
      {"neighbours stay small", kLower, false, "ϿѠҀ€😀ÉŸ", "ϿѠҀ€😀ÉŸ"},
      {"smart sentences", kSmart, false, "привет, мир. это ёж! ёлка?да",
       "Привет, мир. Это ёж! Ёлка?Да"},
      {"smart shouting", kSmart, false, "ЁЛКА ГОРИТ. ИВАН ПРИШЁЛ",
       "Ёлка горит. Иван пришёл"},
      {"smart capitalised words", kSmart, false, "я и Иван и ИВАН в Москве",
       "Я и Иван и иван в Москве"},
      {"smart save upper", kSmart, true, "ЁЛКА горит. иван ПРИШЁЛ",
       "ЁЛКА горит. Иван ПРИШЁЛ"},
      // Guillemets and dashes are blanks: the walk goes past them.
      {"smart after guillemets", kSmart, false,
       "он сказал. «да» — и ушёл. «ёж»", "Он сказал. «Да» — и ушёл. «Ёж»"},
      {"smart hyphenated line end", kSmart, false,
       "слово-\r\nпродолжение. далее", "Слово-\r\nпродолжение. Далее"},
      {"smart digits", kSmart, false, "в 3.14 раз", "В 3.14 Раз"},
      // A character the letters do not know is a blank: a letter after it
      // begins a word.
      {"smart other characters", kSmart, false, "éa. Ѡa éB", "éA. ѠA éb"},
      {"smart first letter of the file", kSmart, false, "ёж", "Ёж"},
      {"smart capital last character", kSmart, false, "ёж Я", "Ёж я"},
      {"empty file", kSmart, false, "", ""},
  };
  return list;
}

TEST(CaseSliceUtf8, ExamplesAtEverySliceSize) {
  for (const CaseExample &e : utf8Examples()) {
    EXPECT_EQ(referenceCaseUtf8(e.input, e.operation, e.saveUpper), e.expected)
        << "reference, " << e.name;
    for (std::size_t slice : kSliceSizes) {
      const CaseRun run = runUtf8Case(e.input, e.operation, e.saveUpper, slice);
      EXPECT_EQ(run.result, StepResult::Finished) << e.name;
      EXPECT_EQ(run.output, e.expected) << e.name << ", slice " << slice;
    }
  }
}

// The look-back holds 254 characters, whatever their length in bytes.
TEST(CaseSliceUtf8, HistoryCountsCharacters) {
  const std::string inside = "ж" + std::string(253, ' ') + "ж";
  const std::string outside = "ж" + std::string(254, ' ') + "ж";
  std::string cyrillicBlanks;
  for (int i = 0; i < 253; ++i)
    cyrillicBlanks += "—";
  for (std::size_t slice : kSliceSizes) {
    EXPECT_EQ(runUtf8Case(inside, kSmart, false, slice).output,
              "Ж" + std::string(253, ' ') + "ж");
    EXPECT_EQ(runUtf8Case(outside, kSmart, false, slice).output,
              "Ж" + std::string(254, ' ') + "Ж");
    EXPECT_EQ(
        runUtf8Case("ж" + cyrillicBlanks + "ж", kSmart, false, slice).output,
        "Ж" + cyrillicBlanks + "ж")
        << "slice " << slice;
  }
}

// A slice end at every byte of a text with letters of one, two, three and
// four bytes: every operation gives what it gives on the whole text.
TEST(CaseSliceUtf8, SliceEndsAtEveryBytePosition) {
  const std::string text = "ёЖ Ив. Ѐџ a€b 😀Я я. Ёлка Z ж—ж «Ёж» Ю\r\nя-\nб. Ы";
  for (CaseOperation op : {kUpper, kLower, kSmart}) {
    for (bool saveUpper : {false, true}) {
      const std::string want = referenceCaseUtf8(text, op, saveUpper);
      for (std::size_t slice = 1; slice <= text.size(); ++slice) {
        const CaseRun run = runUtf8Case(text, op, saveUpper, slice);
        ASSERT_EQ(run.result, StepResult::Finished);
        ASSERT_EQ(run.output, want)
            << "op " << static_cast<int>(op) << " saveUpper " << saveUpper
            << " slice " << slice;
      }
    }
  }
}

TEST(CaseSliceUtf8, MatchesReferenceOnProseAndRandomTexts) {
  std::mt19937 rng(1010);
  std::vector<std::string> texts = {russianProse()};
  for (int round = 0; round < 150; ++round)
    texts.push_back(randomUtf8Text(rng, round % 10 == 0 ? 3000 : 300));
  for (std::size_t t = 0; t < texts.size(); ++t) {
    const std::string &text = texts[t];
    ASSERT_TRUE(referenceIsValidUtf8(text));
    for (CaseOperation op : {kUpper, kLower, kSmart}) {
      for (bool saveUpper : {false, true}) {
        if (op != kSmart && saveUpper)
          continue;
        const std::string want = referenceCaseUtf8(text, op, saveUpper);
        ASSERT_TRUE(referenceIsValidUtf8(want)) << "text " << t;
        ASSERT_EQ(want.size(), text.size()) << "text " << t;
        for (std::size_t slice : kSliceSizes) {
          const CaseRun run = runUtf8Case(text, op, saveUpper, slice);
          ASSERT_EQ(run.result, StepResult::Finished);
          ASSERT_EQ(run.output, want)
              << "text " << t << " op " << static_cast<int>(op) << " saveUpper "
              << saveUpper << " slice " << slice;
        }
      }
    }
  }
}

// Bytes that break the UTF-8 pass unchanged and the rest is still handled
// by the rules.
TEST(CaseSliceUtf8, MatchesReferenceOnBrokenUtf8) {
  std::mt19937 rng(2020);
  for (int round = 0; round < 200; ++round) {
    const std::string text = randomMostlyUtf8Bytes(rng, 300);
    for (CaseOperation op : {kUpper, kLower, kSmart}) {
      const std::string want = referenceCaseUtf8(text, op, false);
      for (std::size_t slice : kSliceSizes) {
        const CaseRun run = runUtf8Case(text, op, false, slice);
        ASSERT_EQ(run.output, want)
            << "round " << round << " op " << static_cast<int>(op) << " slice "
            << slice << " input " << testing::PrintToString(text);
      }
    }
  }
}

TEST(CaseSliceUtf8, FailureSeams) {
  const std::string text = "ёжик " + std::string(100, 'a');
  for (CaseOperation op : {kUpper, kSmart}) {
    MemoryStream failRead(text, 7);
    failRead.in.failReadAt = 40;
    CaseState readState(op, false, engine::TextEncoding::Utf8);
    EXPECT_EQ(runSteps([&] { return caseSlice(failRead.stream, readState); }),
              StepResult::ReadFailed);
    MemoryStream failWrite(text, 7);
    failWrite.out.shortWriteAt = 40;
    CaseState writeState(op, false, engine::TextEncoding::Utf8);
    EXPECT_EQ(runSteps([&] { return caseSlice(failWrite.stream, writeState); }),
              StepResult::WriteFailed);
  }
}

// Nothing held back is lost: the step that reads the last slice consumes
// everything, and the next one writes it all and finishes.
TEST(CaseSliceUtf8, FinishesOnTheStepAfterTheLastSlice) {
  const std::string text = "аб ВГ\xD0";
  MemoryStream m(text, 4);
  CaseState state(kSmart, false, engine::TextEncoding::Utf8);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(engine::caseSlice(m.stream, state), StepResult::Continue);
  EXPECT_EQ(m.stream.processed, text.size());
  EXPECT_EQ(engine::caseSlice(m.stream, state), StepResult::Finished);
  EXPECT_EQ(m.out.data, "Аб вг\xD0");
}

} // namespace
} // namespace snpln::test
