// The repair of garbled text: chains found and undone on short texts, the
// streaming step against the plain whole-buffer form at every slice size,
// faults and their places, and clean text left alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "engine/repair_slice.h"
#include "tests/support/garbled_samples.h"
#include "tests/support/memory_file.h"
#include "tests/support/russian_samples.h"

namespace snpln::engine {
namespace {

using test::chainOf;
using test::describe;
using test::garble;
using test::LostByte;
using P = RepairPage;

const std::uint8_t *bytesOf(const std::string &s) {
  return reinterpret_cast<const std::uint8_t *>(s.data());
}

// The streaming step over `text` in slices of `sliceSize`, the plan given.
RepairOutcome runSlices(const RepairPlan &plan, const std::string &text,
                        std::size_t sliceSize) {
  test::MemoryStream m(text, sliceSize);
  RepairState state(plan);
  RepairOutcome outcome;
  outcome.plan = plan;
  const StepResult r =
      test::runSteps([&] { return repairSlice(m.stream, state); });
  if (r == StepResult::BadText) {
    outcome.fault = state.fault;
    outcome.faultOffset = state.faultOffset;
  }
  outcome.text = m.out.data;
  outcome.linesRepaired = state.linesRepaired;
  return outcome;
}

struct ChainCase {
  const char *name;
  RepairChain chain;
  LostByte lost;
};

TEST(RepairChains, UndoTheDamageOfEachKind) {
  const std::string text = "Привет, мир! Изба и щётка.\n"
                           "Ёлки стоят у входа в библиотеку.\n";
  const std::vector<ChainCase> cases = {
      {"utf8 as 1251", chainOf({{P::Utf8, P::Win}}), LostByte::AsControl},
      {"utf8 as 1251, 0x98 as ?", chainOf({{P::Utf8, P::Win}}),
       LostByte::AsQuestionMark},
      {"utf8 as 1251, 0x98 lost", chainOf({{P::Utf8, P::Win}}),
       LostByte::Dropped},
      {"utf8 as 1252", chainOf({{P::Utf8, P::Win1252}}), LostByte::AsControl},
      {"utf8 as 1252, ?", chainOf({{P::Utf8, P::Win1252}}),
       LostByte::AsQuestionMark},
      {"utf8 as latin-1", chainOf({{P::Utf8, P::Latin1}}), LostByte::AsControl},
      {"utf8 as cp866", chainOf({{P::Utf8, P::Dos}}), LostByte::AsControl},
      {"utf8 as koi8-r", chainOf({{P::Utf8, P::Koi}}), LostByte::AsControl},
      {"utf8 as iso-8859-5", chainOf({{P::Utf8, P::Iso}}), LostByte::AsControl},
      {"1251 as 1252", chainOf({{P::Win, P::Win1252}}), LostByte::AsControl},
      {"koi8-r as 1251", chainOf({{P::Koi, P::Win}}), LostByte::AsControl},
      {"1251 as koi8-r", chainOf({{P::Win, P::Koi}}), LostByte::AsControl},
      {"cp866 as 1251", chainOf({{P::Dos, P::Win}}), LostByte::AsControl},
      {"iso as cp866", chainOf({{P::Iso, P::Dos}}), LostByte::AsControl},
      {"utf8 as 1251 twice", chainOf({{P::Utf8, P::Win}, {P::Utf8, P::Win}}),
       LostByte::AsControl},
      {"utf8 as 1251, then as 1252",
       chainOf({{P::Utf8, P::Win}, {P::Utf8, P::Win1252}}),
       LostByte::AsControl},
      {"koi8-r as 1251, then utf8 as 1252",
       chainOf({{P::Koi, P::Win}, {P::Utf8, P::Win1252}}), LostByte::AsControl},
      {"utf8 as 866, 1251, 1252",
       chainOf({{P::Utf8, P::Dos}, {P::Utf8, P::Win}, {P::Utf8, P::Win1252}}),
       LostByte::AsControl},
      {"utf8 stored as read in 1251, ?", chainOf({{P::Utf8, P::Win}}, true),
       LostByte::AsQuestionMark},
      {"utf8 stored as read in 1252, lost",
       chainOf({{P::Utf8, P::Win1252}}, true), LostByte::Dropped},
      {"utf8 as mac", chainOf({{P::Utf8, P::Mac}}), LostByte::AsControl},
      {"mac as 1252", chainOf({{P::Mac, P::Win1252}}), LostByte::AsControl},
      {"mac as koi8-r", chainOf({{P::Mac, P::Koi}}), LostByte::AsControl},
      {"koi8-r as mac", chainOf({{P::Koi, P::Mac}}), LostByte::AsControl},
      {"mac as 1251", chainOf({{P::Mac, P::Win}}), LostByte::AsControl},
      {"1251 as mac", chainOf({{P::Win, P::Mac}}), LostByte::AsControl},
      {"mac as 1251, then utf8 as 1252",
       chainOf({{P::Mac, P::Win}, {P::Utf8, P::Win1252}}), LostByte::AsControl},
  };
  for (const ChainCase &c : cases) {
    SCOPED_TRACE(c.name);
    if (!test::canGarbleWith(c.chain.layers[0].written) ||
        !test::canGarbleWith(c.chain.layers[0].read))
      continue; // no Mac Cyrillic in this C library
    const auto garbled = garble(text, c.chain, c.lost);
    ASSERT_TRUE(garbled.has_value());
    const RepairOutcome out = repairText(bytesOf(*garbled), garbled->size());
    EXPECT_EQ(out.plan.mode, RepairMode::Whole)
        << "garbled: " << *garbled << "\nchain: " << describe(out.plan.chain());
    EXPECT_EQ(out.text, text)
        << "garbled: " << *garbled
        << "\nchain found: " << describe(out.plan.chain());
  }
}

// Texts repair must leave alone, and why.
TEST(RepairDecision, LeavesCleanAndOtherTextAlone) {
  struct Case {
    const char *name;
    std::string text;
    RepairReason reason;
  };
  const std::string win =
      *test::iconvInPage("Жалоба на соседа.\n", CodePage::Win);
  const std::vector<Case> cases = {
      {"empty", "", RepairReason::NoText},
      {"ASCII", "plain English text\n", RepairReason::NoText},
      {"clean UTF-8", "Привет, мир! Жалоба на соседа.\n",
       RepairReason::NotGarbled},
      {"clean capitals", "ЖАЛОБА НА СОСЕДА\n", RepairReason::NotGarbled},
      {"capitals before ?", "ПЕТР? ВОПРОС?\n", RepairReason::NotGarbled},
      {"one clean word", "Ёлка", RepairReason::NotGarbled},
      {"Windows-1251 text", win, RepairReason::NotUtf8},
      {"capitals in KOI8-R", *test::iconvInPage("ЖАЛОБА\n", CodePage::Koi),
       RepairReason::NotUtf8},
      {"binary", std::string("\xD0\xA0\0\xD1\x9F", 5), RepairReason::NotUtf8},
      {"German", "Grüße aus Köln, schöne Straße.\n", RepairReason::NotGarbled},
      {"French", "Élève, où est le café ? Déjà vu.\n",
       RepairReason::NotGarbled},
      {"symbols", "Цена: 100 € — «дёшево» №5 ±2°\n", RepairReason::NotGarbled},
      // Signs where Windows-1251 and Mac Cyrillic put capitals, glued to
      // words: as clean text writes them.
      {"dialogue", "—Да, —сказал он, —пора. „Так“ и “так”.\n",
       RepairReason::NotGarbled},
      {"quotes only", "“просто” и „так“\n", RepairReason::NotGarbled},
      {"Ukrainian", "Її батько їде до Києва, ґанок є.\n",
       RepairReason::NotGarbled},
  };
  for (const Case &c : cases) {
    const RepairOutcome out = repairText(bytesOf(c.text), c.text.size());
    EXPECT_EQ(out.plan.mode, RepairMode::None)
        << c.name << ": chain " << describe(out.plan.chain());
    EXPECT_EQ(int(out.plan.reason), int(c.reason)) << c.name;
    EXPECT_EQ(out.text, c.text) << c.name;
  }
}

// Mac Cyrillic read as Windows-1251 shows only in its capitals and я: a
// short line of them is repaired, the same words clean are not.
TEST(RepairDecision, TellsMacCyrillicFromWindows1251ByTheWords) {
  const struct {
    std::string text, repaired;
  } cases[] = {
      {"Љащеев и моЯ семьЯ\n", "Кащеев и моя семья\n"},
      {"Кащеев и моя семья\n", "Кащеев и моя семья\n"},
      {"—тарики говорили\n", "Старики говорили\n"},
      {"Старики говорили\n", "Старики говорили\n"},
  };
  for (const auto &c : cases) {
    const RepairOutcome out = repairText(bytesOf(c.text), c.text.size());
    EXPECT_EQ(out.text, c.repaired)
        << c.text << "chain: " << describe(out.plan.chain());
  }
}

// What each lost byte is mended as, alone in a word and among others.
TEST(RepairChains, MendLostBytes) {
  struct Case {
    const char *garbled;
    RepairChain chain;
    const char *repaired;
  };
  const RepairChain win = chainOf({{P::Utf8, P::Win}});
  const RepairChain w1252 = chainOf({{P::Utf8, P::Win1252}});
  const std::vector<Case> cases = {
      // UTF-8 И is D0 98: Р and U+0098, Р?, or Р alone.
      {"Р\xC2\x98РІР°РЅ", win, "Иван"},
      {"Р?РІР°РЅ", win, "Иван"},
      {"РРІР°РЅ", win, "Иван"},
      {"РЎРјРѕС‚СЂРё: Р?", win, "Смотри: И"},
      // After Windows-1252: с, э, я after D1; Ё, А, Н after D0.
      {"Ñ?Ð¾Ð½", w1252, "сон"},
      {"Ð¼Ð¾Ñ?", w1252, "моя"},
      {"Ñ?Ñ‚Ð¾ Ð¿Ñ€Ð°Ð²Ð´Ð°", w1252, "это правда"},
      {"Ð?Ð½Ð½Ð°", w1252, "Анна"},
      {"Ð?Ð»ÐºÐ°", w1252, "Ёлка"},
      // я or с by the word after it.
      {"Ñ? Ð·Ð½Ð°ÑŽ", w1252, "я знаю"},
      {"Ñ? Ð½Ð¸Ð¼", w1252, "с ним"},
      {"Ð° Ñ?.", w1252, "а я."},
      {"Ñ?Ñ‚Ð¾ Ð»ÐµÑ‚", w1252, "сто лет"},
  };
  for (const Case &c : cases) {
    const std::string text = c.garbled;
    const UndoResult r = undoChain(c.chain, bytesOf(text), text.size());
    EXPECT_EQ(r.fault, UndoFault::None) << c.garbled;
    EXPECT_EQ(r.text, c.repaired) << "garbled: " << c.garbled;
  }
}

// Undoing stops at what the chain cannot undo, and says where.
TEST(RepairChains, FaultsNameTheirPlace) {
  struct Case {
    const char *text;
    RepairChain chain;
    UndoFault fault;
    std::uint64_t offset;
  };
  const std::vector<Case> cases = {
      // ж is not in Windows-1252.
      {"Ð¿Ñ€Ð¸ ж", chainOf({{P::Utf8, P::Win1252}}), UndoFault::NotInReading,
       14},
      // Ж read as no UTF-8: C6 and no character a lost byte completes.
      {"abc Ж.", chainOf({{P::Utf8, P::Win}}), UndoFault::NotUtf8, 4},
      // A file of UTF-8 cut in the middle of a character.
      {"abc \xD0", chainOf({{P::Utf8, P::Win}}), UndoFault::NotUtf8, 4},
      // Stored as Windows-1251, yet holding 0x98.
      {"\xD0\x98\xD0\xB2", chainOf({{P::Utf8, P::Win}}, true),
       UndoFault::NotInReading, 1},
  };
  for (const Case &c : cases) {
    const std::string text = c.text;
    const UndoResult r = undoChain(c.chain, bytesOf(text), text.size());
    EXPECT_EQ(int(r.fault), int(c.fault)) << c.text;
    EXPECT_EQ(r.faultOffset, c.offset) << c.text;
  }
}

// A byte order mark opening the file stays; the text after it is undone.
TEST(RepairChains, KeepTheByteOrderMark) {
  const std::string text = "\xEF\xBB\xBFРџСЂРёРІРµС‚";
  const RepairOutcome out = repairText(bytesOf(text), text.size());
  EXPECT_EQ(out.text, "\xEF\xBB\xBFПривет");
}

// Lines garbled and clean: the garbled ones repaired and counted.
TEST(RepairDecision, RepairsLineByLineWhereNoChainFitsAll) {
  const std::string clean1 = "Первая строка письма осталась целой.\n";
  const std::string clean2 = "Третья строка тоже читается.\n";
  const std::string damaged = "Вторая строка пришла испорченной.\n";
  const std::string text =
      clean1 + *garble(damaged, chainOf({{P::Utf8, P::Win}})) + clean2 +
      *garble(damaged, chainOf({{P::Koi, P::Win}}));
  const RepairOutcome out = repairText(bytesOf(text), text.size());
  EXPECT_EQ(out.plan.mode, RepairMode::Lines);
  EXPECT_GE(out.plan.chainCount, 2);
  EXPECT_EQ(out.linesRepaired, 2u);
  EXPECT_EQ(out.text, clean1 + damaged + clean2 + damaged);
}

// A sample cut inside a long line ends at a blank, so that no garbled word
// is cut: one line of 30 KB garbled three times is still undone whole.
TEST(RepairDecision, CutsALongLineBetweenWords) {
  std::string prose = test::allRussianProse();
  std::replace(prose.begin(), prose.end(), '\n', ' ');
  const RepairChain chain =
      chainOf({{P::Utf8, P::Dos}, {P::Utf8, P::Win}, {P::Utf8, P::Win1252}});
  const std::string text =
      *garble(prose.substr(0, prose.find(' ', 4000)), chain);
  ASSERT_GT(text.size(), kRepairHeadSize + kRepairLineCut);
  const RepairOutcome out = repairText(bytesOf(text), text.size());
  EXPECT_EQ(out.plan.mode, RepairMode::Whole);
  EXPECT_TRUE(out.plan.chain() == chain) << describe(out.plan.chain());
}

// The decision read through a stream in small reads is the one made on
// the bytes at hand, and the input is put back.
TEST(RepairDecision, OnAStreamAsOnTheBytes) {
  const std::string garbled =
      *garble(test::allRussianProse(), chainOf({{P::Utf8, P::Win}}));
  for (const std::string &text :
       {garbled, std::string(20000, 'a') + "\n" + garbled,
        test::allRussianProse() + garbled}) {
    test::MemoryStream m(text);
    m.in.maxRead = 777;
    const RepairPlan plan = decideRepairOfStream(m.stream);
    const RepairPlan expected = decideRepairOfBytes(bytesOf(text), text.size());
    EXPECT_EQ(plan.mode, expected.mode);
    EXPECT_TRUE(plan.chain() == expected.chain());
    EXPECT_EQ(repairText(bytesOf(text), text.size()).text,
              runSlices(plan, text, 8192).text);
  }
}

// Texts of every mode: one chain over all, lost bytes mended inside words
// cut by slices, lines garbled and clean in turn, a line longer than the
// limit, a fault near the end.
std::vector<std::pair<std::string, std::string>> streamingTexts() {
  std::string prose = test::allRussianProse();
  prose.resize(prose.find('\n', 3000) + 1);
  std::vector<std::pair<std::string, std::string>> texts;
  const auto add = [&](const char *name, const std::optional<std::string> &t) {
    ASSERT_TRUE(t.has_value()) << name;
    texts.emplace_back(name, *t);
  };
  add("utf8 as 1251", garble(prose, chainOf({{P::Utf8, P::Win}})));
  add("utf8 as 1251, 0x98 lost",
      garble("Иван Ильич и Ирина. " + prose, chainOf({{P::Utf8, P::Win}}),
             LostByte::Dropped));
  add("utf8 as 1252, ?", garble(prose, chainOf({{P::Utf8, P::Win1252}}),
                                LostByte::AsQuestionMark));
  add("koi8-r as 1251", garble(prose, chainOf({{P::Koi, P::Win}})));
  add("utf8 as 1251 twice",
      garble(prose, chainOf({{P::Utf8, P::Win}, {P::Utf8, P::Win}})));
  add("stored as read, 1251, ?",
      garble("Иван Ильич. " + prose, chainOf({{P::Utf8, P::Win}}, true),
             LostByte::AsQuestionMark));
  std::string lines;
  std::size_t start = 0;
  for (int i = 0; start < prose.size(); ++i) {
    std::size_t end = prose.find('\n', start);
    end = end == std::string::npos ? prose.size() : end + 1;
    const std::string line = prose.substr(start, end - start);
    lines += i % 2 ? *garble(line, chainOf({{P::Utf8, P::Win}})) : line;
    start = end;
  }
  add("every other line", lines);
  add("a long line", garble(std::string(70000, 'x') + " " + prose,
                            chainOf({{P::Utf8, P::Win}})));
  return texts;
}

TEST(RepairSlice, AgreesWithThePlainFormAtEverySliceSize) {
  for (const auto &[name, text] : streamingTexts()) {
    const RepairOutcome plain = repairText(bytesOf(text), text.size());
    ASSERT_NE(plain.plan.mode, RepairMode::None) << name;
    for (const std::size_t slice : {1u, 2u, 3u, 7u, 64u, 8192u}) {
      SCOPED_TRACE(std::string(name) + ", slice " + std::to_string(slice));
      const RepairOutcome streamed = runSlices(plain.plan, text, slice);
      EXPECT_EQ(streamed.fault, plain.fault);
      EXPECT_EQ(streamed.faultOffset, plain.faultOffset);
      EXPECT_EQ(streamed.linesRepaired, plain.linesRepaired);
      ASSERT_EQ(streamed.text.size(), plain.text.size());
      EXPECT_TRUE(streamed.text == plain.text)
          << "first difference at "
          << std::mismatch(streamed.text.begin(), streamed.text.end(),
                           plain.text.begin())
                     .first -
                 streamed.text.begin();
    }
  }
}

} // namespace
} // namespace snpln::engine
