#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "batch/selection_state.h"

namespace snpln::test {
namespace {

using batch::SelectionState;
using engine::CodePage;
using job::OperationCode;

std::set<int> downSet(const SelectionState &s) {
  std::set<int> down;
  for (int i = 0; i < batch::kButtonCount; ++i)
    if (s.isDown(i))
      down.insert(i);
  return down;
}

SelectionState pressed(std::initializer_list<int> presses) {
  SelectionState s;
  for (int i : presses)
    s.pressModeButton(i);
  return s;
}

TEST(SelectionState, StartsAllUpWithNoSentence) {
  SelectionState s;
  EXPECT_TRUE(downSet(s).empty());
  EXPECT_FALSE(s.anySelected());
  EXPECT_FALSE(s.saveUpperEnabled());
  EXPECT_EQ("", s.statusLine());
  EXPECT_EQ("UCASEU", s.pictureName(0));
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
  };
  const int ids[] = {1009, 1035, 1036, 1037, 1038, 1010, 1011, 1025, 1026,
                     1028, 1029, 1054, 1030, 1031, 1032, 1033, 1034};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.index);
    SelectionState s;
    EXPECT_EQ(ids[c.index], batch::modeButtonInfo(c.index).controlId);
    s.pressModeButton(c.index);
    EXPECT_EQ(std::set<int>{c.index}, downSet(s));
    EXPECT_EQ(c.selected, s.statusLine());
    EXPECT_EQ(std::string(c.picture) + "D", s.pictureName(c.index));
    s.pressModeButton(c.index);
    EXPECT_TRUE(downSet(s).empty());
    EXPECT_EQ(c.unselected, s.statusLine());
    EXPECT_EQ(std::string(c.picture) + "U", s.pictureName(c.index));
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
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    SelectionState s;
    for (int i : c.presses)
      s.pressModeButton(i);
    EXPECT_EQ(c.down, downSet(s));
  }
}

TEST(SelectionState, SaveUpperFollowsSmartCaseOnly) {
  SelectionState s;
  s.pressModeButton(batch::kSmartCaseButton);
  EXPECT_TRUE(s.saveUpperEnabled());
  s.pressModeButton(batch::kUpperCaseButton); // releases SCASE
  EXPECT_FALSE(s.saveUpperEnabled());
  s.pressModeButton(batch::kSmartCaseButton);
  EXPECT_TRUE(s.saveUpperEnabled());
  s.pressModeButton(batch::kExcludeButton);
  EXPECT_TRUE(s.saveUpperEnabled());
  s.pressModeButton(batch::kSmartCaseButton); // up through its own press
  EXPECT_FALSE(s.saveUpperEnabled());
  // Releasing an SCASE that is already up still disables the box.
  s.pressModeButton(batch::kSmartCaseButton);
  s.resetSelection();
  EXPECT_FALSE(s.saveUpperEnabled());
}

TEST(SelectionState, BusyButtonIsNotReleasedButDetectAlwaysIs) {
  SelectionState s;
  std::set<int> busy;
  s.isButtonBusy = [&](int i) { return busy.count(i) > 0; };
  s.pressModeButton(batch::kToKoiButton);
  s.pressModeButton(batch::kFromDosButton);
  busy = {batch::kToKoiButton};
  s.pressModeButton(batch::kToIsoButton);
  EXPECT_EQ((std::set<int>{2, 3, 15}), downSet(s));
  // With two To buttons down the later one in the order decides.
  EXPECT_EQ(CodePage::Iso, s.targetCodePage());

  s.pressModeButton(batch::kDetectButton);
  EXPECT_EQ((std::set<int>{2, 11}), downSet(s));
  busy = {batch::kDetectButton};
  s.pressModeButton(batch::kToWinButton);
  EXPECT_EQ((std::set<int>{1}), downSet(s)); // KOI no longer busy
}

TEST(SelectionState, SourceCodePageOverwriteOrder) {
  // Hold every From button busy so that several stay down together.
  SelectionState s;
  s.isButtonBusy = [](int) { return true; };
  EXPECT_EQ(CodePage::Auto, s.sourceCodePage());
  const std::pair<int, CodePage> steps[] = {{12, CodePage::Win},
                                            {13, CodePage::Koi},
                                            {14, CodePage::Iso},
                                            {15, CodePage::Dos},
                                            {16, CodePage::Auto}};
  for (auto [index, expected] : steps) {
    s.pressModeButton(index);
    EXPECT_EQ(expected, s.sourceCodePage()) << index;
  }
  SelectionState t;
  t.isButtonBusy = [](int) { return true; };
  t.pressModeButton(16);
  t.pressModeButton(15);
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

TEST(SelectionState, ResetReleasesEverythingWithoutBusyTest) {
  auto s = pressed({6, 2, 12, 7, 8, 9, 10});
  s.isButtonBusy = [](int) { return true; };
  s.resetSelection();
  EXPECT_TRUE(downSet(s).empty());
  EXPECT_FALSE(s.saveUpperEnabled());
  EXPECT_EQ("No action selected", s.statusLine());
  for (int i = 0; i < batch::kButtonCount; ++i)
    EXPECT_EQ('U', s.pictureName(i).back()) << i;
}

TEST(SelectionState, OutOfRangeIndexIsIgnored) {
  auto s = pressed({0});
  s.pressModeButton(-1);
  s.pressModeButton(batch::kButtonCount);
  EXPECT_EQ(std::set<int>{0}, downSet(s));
  EXPECT_EQ("Selected upper case convert file mode", s.statusLine());
  EXPECT_FALSE(s.isDown(99));
  EXPECT_EQ("", s.pictureName(batch::kButtonCount));
}

TEST(SelectionState, Utf8ButtonsFollowTheRulesOfTheirRows) {
  using namespace batch;
  auto s = pressed({kToWinButton, kFromKoiButton, kToUtf8Button});
  EXPECT_EQ((std::set<int>{kFromKoiButton, kToUtf8Button}), downSet(s));
  EXPECT_EQ("Selected recode to ''UTF-8'' convert file mode", s.statusLine());
  EXPECT_EQ(CodePage::Utf8, s.targetCodePage());
  EXPECT_EQ(CodePage::Koi, s.sourceCodePage());
  EXPECT_EQ(std::vector<OperationCode>{OperationCode::RecodeToUtf8},
            s.operationPasses());
  s.pressModeButton(kFromUtf8Button);
  EXPECT_EQ("Selected source for file - ''UTF-8''", s.statusLine());
  EXPECT_EQ(CodePage::Utf8, s.sourceCodePage());
  EXPECT_EQ("UTF8D", s.pictureName(kFromUtf8Button));
  s.pressModeButton(kToDosButton);
  EXPECT_EQ((std::set<int>{kFromUtf8Button, kToDosButton}), downSet(s));
  s.pressModeButton(kDetectButton);
  EXPECT_EQ(std::set<int>{kDetectButton}, downSet(s));
  s.pressModeButton(kFromUtf8Button);
  s.pressModeButton(kFromUtf8Button);
  EXPECT_EQ("Unselected source for file - ''UTF-8''", s.statusLine());
}

} // namespace
} // namespace snpln::test
