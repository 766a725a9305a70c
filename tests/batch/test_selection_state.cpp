#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "batch/selection_state.h"
#include "i18n/catalogue.h"
#include "i18n/texts.h"

// The status line in English, as the edges put it.
static std::string said(const snpln::batch::Status &status) {
  return snpln::i18n::english(snpln::i18n::statusText(status));
}

namespace snpln::test {
namespace {

using batch::ModeButton;
using batch::SelectionState;

// The button at this place of the seventeen (the tables below are written
// in places).
ModeButton b(int index) { return static_cast<ModeButton>(index); }
using engine::CodePage;
using job::OperationCode;

std::set<int> downSet(const SelectionState &s) {
  std::set<int> down;
  for (int i = 0; i < batch::kButtonCount; ++i)
    if (s.isDown(b(i)))
      down.insert(i);
  return down;
}

SelectionState pressed(const std::vector<int> &presses) {
  SelectionState s;
  for (int i : presses)
    s.pressModeButton(b(i));
  return s;
}

TEST(SelectionState, StartsAllUpWithNoSentence) {
  SelectionState s;
  EXPECT_TRUE(downSet(s).empty());
  EXPECT_FALSE(s.anySelected());
  EXPECT_FALSE(s.saveUpperEnabled());
  EXPECT_EQ("", said(s.statusLine()));
  EXPECT_EQ("UCASEU", s.pictureName(ModeButton::UpperCase));
}

struct SentenceCase {
  int index;
  const char *picture;
  const char *selected;
  const char *unselected;
};

TEST(SelectionState, EachButtonTogglesWithItsSentenceAndPicture) {
  const SentenceCase cases[] = {
      {0, "UCASE", "Selected upper case convert file mode",
       "Unselected upper case convert file mode"},
      {1, "WIN", "Selected recode to ''Win1251'' convert file mode",
       "Unselected recode to ''Win1251'' convert file mode"},
      {2, "KOI", "Selected recode to ''Koi'' convert file mode",
       "Unselected recode to ''Koi'' convert file mode"},
      {3, "ISO", "Selected recode to ''Iso'' convert file mode",
       "Unselected recode to ''Iso'' convert file mode"},
      {4, "DOS", "Selected recode to ''Dos'' convert file mode",
       "Unselected recode to ''Dos'' convert file mode"},
      {5, "LCASE", "Selected lower case convert file mode",
       "Unselected lower case convert file mode"},
      {6, "SCASE", "Selected 'smart' case convert file mode",
       "Unselected 'smart' case convert file mode"},
      {7, "EXCLUDE", "Selected snipline convert file mode",
       "Unselected snipline convert file mode"},
      {8, "REPLACE", "Selected replace symbols convert file mode",
       "Unselected replace symbols convert file mode"},
      {9, "OPT", "Selected optimize convert file mode",
       "Unselected optimize convert file mode"},
      {10, "DEL", "Selected delete excessive lines convert file mode",
       "Unselected delete excessive lines convert file mode"},
      {11, "DETECT", "Selected detect file source mode",
       "Unselected detect file source mode"},
      {12, "WIN", "Selected source for file - ''Win1251''",
       "Unselected source for file - ''Win1251''"},
      {13, "KOI", "Selected source for file - ''Koi8''",
       "Unselected source for file - ''Koi8''"},
      {14, "ISO", "Selected source for file - ''Iso''",
       "Unselected source for file - ''Iso''"},
      {15, "DOS", "Selected source for file - ''Dos''",
       "Unselected source for file - ''Dos''"},
      {16, "AUTO", "Selected file source autodetect",
       "Unselected file source autodetect"},
      {19, "REPAIR", "Selected repair garbled text mode",
       "Unselected repair garbled text mode"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.index);
    SelectionState s;
    s.pressModeButton(b(c.index));
    EXPECT_EQ(std::set<int>{c.index}, downSet(s));
    EXPECT_EQ(c.selected, said(s.statusLine()));
    EXPECT_EQ(std::string(c.picture) + "D", s.pictureName(b(c.index)));
    s.pressModeButton(b(c.index));
    EXPECT_TRUE(downSet(s).empty());
    EXPECT_EQ(c.unselected, said(s.statusLine()));
    EXPECT_EQ(std::string(c.picture) + "U", s.pictureName(b(c.index)));
  }
}

struct ReleaseCase {
  const char *name;
  std::vector<int> presses;
  std::set<int> down;
};

TEST(SelectionState, ReleaseRules) {
  const ReleaseCase cases[] = {
      {"lower releases upper", {0, 5}, {5}},
      {"smart releases both case buttons", {0, 5, 6}, {6}},
      {"case group leaves other groups",
       {7, 9, 10, 2, 13, 0},
       {0, 2, 7, 9, 10, 13}},
      {"to buttons exclusive", {1, 2, 3, 4}, {4}},
      {"from buttons exclusive, auto included", {12, 13, 16}, {16}},
      {"detect releases every to and from", {2, 15, 11}, {11}},
      {"detect keeps case and free toggles",
       {0, 7, 8, 9, 10, 11},
       {0, 7, 8, 9, 10, 11}},
      {"to releases detect", {11, 1}, {1}},
      {"from releases detect", {11, 14}, {14}},
      {"free toggles release nothing",
       {0, 2, 12, 7, 8, 9, 10},
       {0, 2, 7, 8, 9, 10, 12}},
      {"pressing a down button releases only it", {0, 7, 9, 7}, {0, 9}},
      {"repair combines with every operation but detection",
       {0, 1, 7, 8, 9, 10, 12, 19},
       {0, 1, 7, 8, 9, 10, 12, 19}},
      {"detect releases repair", {19, 0, 11}, {0, 11}},
      {"repair releases detect", {11, 0, 19}, {0, 19}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    SelectionState s;
    for (int i : c.presses)
      s.pressModeButton(b(i));
    EXPECT_EQ(c.down, downSet(s));
  }
}

TEST(SelectionState, SaveUpperFollowsSmartCaseOnly) {
  SelectionState s;
  s.pressModeButton(batch::ModeButton::SmartCase);
  EXPECT_TRUE(s.saveUpperEnabled());
  s.pressModeButton(batch::ModeButton::UpperCase); // releases SCASE
  EXPECT_FALSE(s.saveUpperEnabled());
  s.pressModeButton(batch::ModeButton::SmartCase);
  EXPECT_TRUE(s.saveUpperEnabled());
  s.pressModeButton(batch::ModeButton::Exclude);
  EXPECT_TRUE(s.saveUpperEnabled());
  s.pressModeButton(batch::ModeButton::SmartCase); // up through its own press
  EXPECT_FALSE(s.saveUpperEnabled());
  // Releasing an SCASE that is already up still disables the box.
  s.pressModeButton(batch::ModeButton::SmartCase);
  s.resetSelection();
  EXPECT_FALSE(s.saveUpperEnabled());
}

// The window redraws the buttons releasedBy() names: it must be exactly
// what a press releases.
TEST(SelectionState, ReleasedByIsWhatAPressReleases) {
  for (ModeButton button : batch::allModeButtons()) {
    SCOPED_TRACE(static_cast<int>(button));
    SelectionState s;
    bool busy = true;
    s.isButtonBusy = [&](ModeButton) { return busy; };
    for (ModeButton other : batch::allModeButtons())
      if (other != ModeButton::Detect)
        s.pressModeButton(other);
    s.pressModeButton(ModeButton::Detect);
    ASSERT_EQ(static_cast<std::size_t>(batch::kButtonCount), downSet(s).size());
    s.pressModeButton(button); // up again, releasing nothing
    busy = false;
    s.pressModeButton(button);
    std::set<int> expected = downSet(pressed({}));
    for (ModeButton other : batch::allModeButtons())
      expected.insert(static_cast<int>(other));
    for (ModeButton released : batch::releasedBy(button))
      expected.erase(static_cast<int>(released));
    EXPECT_EQ(expected, downSet(s));
  }
}

TEST(SelectionState, BusyButtonIsNotReleasedButDetectAlwaysIs) {
  SelectionState s;
  std::set<int> busy;
  s.isButtonBusy = [&](ModeButton m) {
    return busy.count(static_cast<int>(m)) > 0;
  };
  s.pressModeButton(batch::ModeButton::ToKoi);
  s.pressModeButton(batch::ModeButton::FromDos);
  busy = {static_cast<int>(ModeButton::ToKoi)};
  s.pressModeButton(batch::ModeButton::ToIso);
  EXPECT_EQ((std::set<int>{2, 3, 15}), downSet(s));
  // With two To buttons down the later one in the order decides.
  EXPECT_EQ(CodePage::Iso, s.targetCodePage());

  s.pressModeButton(batch::ModeButton::Detect);
  EXPECT_EQ((std::set<int>{2, 11}), downSet(s));
  busy = {static_cast<int>(ModeButton::Detect)};
  s.pressModeButton(batch::ModeButton::ToWin);
  EXPECT_EQ((std::set<int>{1}), downSet(s)); // KOI no longer busy
}

TEST(SelectionState, SourceCodePageOverwriteOrder) {
  // Hold every From button busy so that several stay down together.
  SelectionState s;
  s.isButtonBusy = [](ModeButton) { return true; };
  EXPECT_EQ(CodePage::Auto, s.sourceCodePage());
  const std::pair<int, CodePage> steps[] = {{12, CodePage::Win},
                                            {13, CodePage::Koi},
                                            {14, CodePage::Iso},
                                            {15, CodePage::Dos},
                                            {16, CodePage::Auto}};
  for (auto [index, expected] : steps) {
    s.pressModeButton(b(index));
    EXPECT_EQ(expected, s.sourceCodePage()) << index;
  }
  SelectionState t;
  t.isButtonBusy = [](ModeButton) { return true; };
  t.pressModeButton(ModeButton::FromAuto);
  t.pressModeButton(ModeButton::FromDos);
  EXPECT_EQ(CodePage::Auto, t.sourceCodePage()); // AUTO wins over From DOS
}

TEST(SelectionState, QueriesForTheRun) {
  auto s = pressed({0, 7, 9});
  EXPECT_EQ((std::vector<OperationCode>{OperationCode::UpperCase,
                                        OperationCode::Exclude,
                                        OperationCode::Optimize}),
            s.operationPasses());
  EXPECT_EQ(OperationCode::Optimize, s.finalOperation());
  EXPECT_FALSE(s.detectOnly());

  auto toIso = pressed({3});
  EXPECT_EQ(CodePage::Auto, toIso.sourceCodePage());
  EXPECT_EQ(CodePage::Iso, toIso.targetCodePage());

  auto withDetect = pressed({11, 0});
  EXPECT_EQ((std::vector<OperationCode>{OperationCode::UpperCase,
                                        OperationCode::Detect}),
            withDetect.operationPasses());
  EXPECT_TRUE(withDetect.detectOnly());

  auto onlySource = pressed({13});
  EXPECT_TRUE(onlySource.anySelected());
  EXPECT_TRUE(onlySource.operationPasses().empty());
  EXPECT_EQ(OperationCode::UpperCase, onlySource.finalOperation());
  EXPECT_EQ(CodePage::Koi, onlySource.sourceCodePage());
}

// The fault this pins: recoding to UTF-8 ran its pass last, after
// replacement and even after detection, unlike every other target.
TEST(SelectionState, RecodingToUtf8TakesThePlaceOfTheOtherRecodings) {
  using Op = OperationCode;
  const struct {
    std::vector<int> buttons;
    std::vector<OperationCode> passes;
  } cases[] = {
      {{17, 0, 8, 9},
       {Op::UpperCase, Op::RecodeToUtf8, Op::Replace, Op::Optimize}},
      {{2, 5, 7, 10},
       {Op::RecodeToKoi, Op::LowerCase, Op::Exclude, Op::DeleteEmpty}},
      {{10, 9, 8, 7, 6, 17},
       {Op::RecodeToUtf8, Op::SmartCase, Op::Exclude, Op::Replace, Op::Optimize,
        Op::DeleteEmpty}},
      {{11, 10, 0}, {Op::UpperCase, Op::DeleteEmpty, Op::Detect}},
      // Repair comes first, whenever it was pressed.
      {{9, 17, 0, 19},
       {Op::Repair, Op::UpperCase, Op::RecodeToUtf8, Op::Optimize}},
      {{19}, {Op::Repair}},
  };
  for (const auto &c : cases) {
    const auto s = pressed(c.buttons);
    EXPECT_EQ(s.operationPasses(), c.passes);
    EXPECT_EQ(s.finalOperation(), c.passes.back());
  }
  // Every operation has its one place.
  std::set<OperationCode> all(batch::passOrder().begin(),
                              batch::passOrder().end());
  EXPECT_EQ(all.size(), static_cast<std::size_t>(job::kOperationCount));
}

TEST(SelectionState, ResetReleasesEverythingWithoutBusyTest) {
  auto s = pressed({6, 2, 12, 7, 8, 9, 10});
  s.isButtonBusy = [](ModeButton) { return true; };
  s.resetSelection();
  EXPECT_TRUE(downSet(s).empty());
  EXPECT_FALSE(s.saveUpperEnabled());
  EXPECT_EQ("No action selected", said(s.statusLine()));
  for (int i = 0; i < batch::kButtonCount; ++i)
    EXPECT_EQ('U', s.pictureName(b(i)).back()) << i;
}

TEST(SelectionState, OutOfRangeIndexIsIgnored) {
  auto s = pressed({0});
  s.pressModeButton(b(255));
  s.pressModeButton(b(batch::kButtonCount));
  EXPECT_EQ(std::set<int>{0}, downSet(s));
  EXPECT_EQ("Selected upper case convert file mode", said(s.statusLine()));
  EXPECT_FALSE(s.isDown(b(99)));
  EXPECT_EQ("", s.pictureName(b(batch::kButtonCount)));
}

TEST(SelectionState, Utf8ButtonsFollowTheRulesOfTheirRows) {
  const int toWin = 1, fromKoi = 13, toUtf8 = 17, fromUtf8 = 18;
  auto s = pressed({toWin, fromKoi, toUtf8});
  EXPECT_EQ((std::set<int>{fromKoi, toUtf8}), downSet(s));
  EXPECT_EQ("Selected recode to ''UTF-8'' convert file mode",
            said(s.statusLine()));
  EXPECT_EQ(CodePage::Utf8, s.targetCodePage());
  EXPECT_EQ(CodePage::Koi, s.sourceCodePage());
  EXPECT_EQ(std::vector<OperationCode>{OperationCode::RecodeToUtf8},
            s.operationPasses());
  s.pressModeButton(ModeButton::FromUtf8);
  EXPECT_EQ("Selected source for file - ''UTF-8''", said(s.statusLine()));
  EXPECT_EQ(CodePage::Utf8, s.sourceCodePage());
  EXPECT_EQ("UTF8D", s.pictureName(ModeButton::FromUtf8));
  s.pressModeButton(ModeButton::ToDos);
  EXPECT_EQ((std::set<int>{fromUtf8, 4}), downSet(s));
  s.pressModeButton(ModeButton::Detect);
  EXPECT_EQ(std::set<int>{11}, downSet(s));
  s.pressModeButton(ModeButton::FromUtf8);
  s.pressModeButton(ModeButton::FromUtf8);
  EXPECT_EQ("Unselected source for file - ''UTF-8''", said(s.statusLine()));
}

// The pages without a button are chosen in each row's chooser: a choice
// and the row's buttons (and Detect) release each other, and the choice
// reaches the run's pages and passes.
TEST(SelectionState, ChosenPagesAndTheRowsButtonsReleaseEachOther) {
  using batch::PageRow;
  using Op = OperationCode;
  EXPECT_EQ(
      (std::vector<CodePage>{CodePage::Mac, CodePage::KoiU, CodePage::Cp1125}),
      batch::choosablePages(PageRow::Source));
  EXPECT_EQ(batch::choosablePages(PageRow::Source),
            batch::choosablePages(PageRow::Target));
  // One step: a button pressed (row unused) or a page chosen.
  struct Step {
    int button = -1;
    PageRow row = PageRow::Source;
    std::optional<CodePage> page;
  };
  const auto press = [](int button) { return Step{button, {}, {}}; };
  const auto choose = [](PageRow row, std::optional<CodePage> page) {
    return Step{-1, row, page};
  };
  const struct {
    const char *what;
    std::vector<Step> steps;
    std::set<int> down;
    std::optional<CodePage> source, target;
    CodePage sourcePage, targetPage;
    std::vector<OperationCode> passes;
  } cases[] = {
      {"a target page alone recodes to it",
       {choose(PageRow::Target, CodePage::KoiU)},
       {},
       {},
       CodePage::KoiU,
       CodePage::Auto,
       CodePage::KoiU,
       {Op::RecodeToUtf16}},
      {"a target page releases To WIN, not From KOI",
       {press(1), press(13), choose(PageRow::Target, CodePage::Mac)},
       {13},
       {},
       CodePage::Mac,
       CodePage::Koi,
       CodePage::Mac,
       {Op::RecodeToUtf16}},
      {"To UTF-8 gives the target page up",
       {choose(PageRow::Target, CodePage::Cp1125), press(17)},
       {17},
       {},
       {},
       CodePage::Auto,
       CodePage::Utf8,
       {Op::RecodeToUtf8}},
      {"a source page releases From DOS and AUTO, not To WIN",
       {press(15), press(1), choose(PageRow::Source, CodePage::Cp1125)},
       {1},
       CodePage::Cp1125,
       {},
       CodePage::Cp1125,
       CodePage::Win,
       {Op::RecodeToWin}},
      {"From WIN gives the source page up",
       {choose(PageRow::Source, CodePage::Mac), press(12)},
       {12},
       {},
       {},
       CodePage::Win,
       CodePage::Auto,
       {}},
      {"Detect gives both pages up",
       {choose(PageRow::Source, CodePage::Mac),
        choose(PageRow::Target, CodePage::KoiU), press(11)},
       {11},
       {},
       {},
       CodePage::Auto,
       CodePage::Auto,
       {Op::Detect}},
      {"a page releases Detect",
       {press(11), choose(PageRow::Source, CodePage::KoiU)},
       {},
       CodePage::KoiU,
       {},
       CodePage::KoiU,
       CodePage::Auto,
       {}},
      {"both pages, with repair and upper case",
       {press(19), press(0), choose(PageRow::Source, CodePage::KoiU),
        choose(PageRow::Target, CodePage::Mac)},
       {0, 19},
       CodePage::KoiU,
       CodePage::Mac,
       CodePage::KoiU,
       CodePage::Mac,
       {Op::Repair, Op::UpperCase, Op::RecodeToUtf16}},
      {"a choice given up leaves the buttons",
       {press(0), choose(PageRow::Target, CodePage::Mac),
        choose(PageRow::Target, std::nullopt)},
       {0},
       {},
       {},
       CodePage::Auto,
       CodePage::Auto,
       {Op::UpperCase}},
      {"a page with a button is no choice",
       {press(1), choose(PageRow::Target, CodePage::Koi),
        choose(PageRow::Source, CodePage::Utf16Le)},
       {1},
       {},
       {},
       CodePage::Auto,
       CodePage::Win,
       {Op::RecodeToWin}},
  };
  for (const auto &c : cases) {
    SelectionState s;
    for (const Step &step : c.steps)
      if (step.button >= 0)
        s.pressModeButton(b(step.button));
      else
        s.choosePage(step.row, step.page);
    EXPECT_EQ(c.down, downSet(s)) << c.what;
    EXPECT_EQ(c.source, s.chosenPage(PageRow::Source)) << c.what;
    EXPECT_EQ(c.target, s.chosenPage(PageRow::Target)) << c.what;
    EXPECT_EQ(c.sourcePage, s.sourceCodePage()) << c.what;
    EXPECT_EQ(c.targetPage, s.targetCodePage()) << c.what;
    EXPECT_EQ(c.passes, s.operationPasses()) << c.what;
    EXPECT_TRUE(s.anySelected()) << c.what;
    s.resetSelection();
    EXPECT_FALSE(s.chosenPage(PageRow::Source)) << c.what;
    EXPECT_FALSE(s.chosenPage(PageRow::Target)) << c.what;
    EXPECT_FALSE(s.anySelected()) << c.what;
  }
}

} // namespace
} // namespace snpln::test
