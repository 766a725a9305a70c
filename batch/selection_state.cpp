#include "batch/selection_state.h"

#include <cstdint>

#include "batch/batch_texts.h"

namespace snpln::batch {

namespace {

using engine::CodePage;

constexpr std::uint32_t bit(int index) { return std::uint32_t{1} << index; }

constexpr std::uint32_t kCaseButtons =
    bit(kUpperCaseButton) | bit(kLowerCaseButton) | bit(kSmartCaseButton);
constexpr std::uint32_t kToButtons = bit(kToWinButton) | bit(kToKoiButton) |
                                     bit(kToIsoButton) | bit(kToDosButton) |
                                     bit(kToUtf8Button);
constexpr std::uint32_t kFromButtons =
    bit(kFromWinButton) | bit(kFromKoiButton) | bit(kFromIsoButton) |
    bit(kFromDosButton) | bit(kFromAutoButton) | bit(kFromUtf8Button);

constexpr ModeButtonInfo kButtons[kButtonCount] = {
    {1009, "UCASE", ButtonGroup::Case, "Selected upper case convert file mode",
     "Unselected upper case convert file mode"},
    {1035, "WIN", ButtonGroup::Recode,
     "Selected recode to ''Win1251'' convert file mode",
     "Unselected recode to ''Win1251'' convert file mode"},
    {1036, "KOI", ButtonGroup::Recode,
     "Selected recode to ''Koi'' convert file mode",
     "Unselected recode to ''Koi'' convert file mode"},
    {1037, "ISO", ButtonGroup::Recode,
     "Selected recode to ''Iso'' convert file mode",
     "Unselected recode to ''Iso'' convert file mode"},
    {1038, "DOS", ButtonGroup::Recode,
     "Selected recode to ''Dos'' convert file mode",
     "Unselected recode to ''Dos'' convert file mode"},
    {1010, "LCASE", ButtonGroup::Case, "Selected lower case convert file mode",
     "Unselected lower case convert file mode"},
    {1011, "SCASE", ButtonGroup::Case,
     "Selected 'smart' case convert file mode",
     "Unselected 'smart' case convert file mode"},
    {1025, "EXCLUDE", ButtonGroup::Exclude,
     "Selected snipline convert file mode",
     "Unselected snipline convert file mode"},
    {1026, "REPLACE", ButtonGroup::Exclude,
     "Selected replace symbols convert file mode",
     "Unselected replace symbols convert file mode"},
    {1028, "OPT", ButtonGroup::Optimize, "Selected optimize convert file mode",
     "Unselected optimize convert file mode"},
    {1029, "DEL", ButtonGroup::Optimize,
     "Selected delete excessive lines convert file mode",
     "Unselected delete excessive lines convert file mode"},
    {1054, "DETECT", ButtonGroup::Recode, "Selected detect file source mode",
     "Unselected detect file source mode"},
    {1030, "WIN", ButtonGroup::Recode, "Selected source for file - ''Win1251''",
     "Unselected source for file - ''Win1251''"},
    {1031, "KOI", ButtonGroup::Recode, "Selected source for file - ''Koi8''",
     "Unselected source for file - ''Koi8''"},
    {1032, "ISO", ButtonGroup::Recode, "Selected source for file - ''Iso''",
     "Unselected source for file - ''Iso''"},
    {1033, "DOS", ButtonGroup::Recode, "Selected source for file - ''Dos''",
     "Unselected source for file - ''Dos''"},
    {1034, "AUTO", ButtonGroup::Recode, "Selected file source autodetect",
     "Unselected file source autodetect"},
    {1039, "UTF8", ButtonGroup::Recode,
     "Selected recode to ''UTF-8'' convert file mode",
     "Unselected recode to ''UTF-8'' convert file mode"},
    {1040, "UTF8", ButtonGroup::Recode, "Selected source for file - ''UTF-8''",
     "Unselected source for file - ''UTF-8''"},
};

// What selecting each button releases.
constexpr std::uint32_t kReleases[kButtonCount] = {
    kCaseButtons & ~bit(kUpperCaseButton),
    (kToButtons & ~bit(kToWinButton)) | bit(kDetectButton),
    (kToButtons & ~bit(kToKoiButton)) | bit(kDetectButton),
    (kToButtons & ~bit(kToIsoButton)) | bit(kDetectButton),
    (kToButtons & ~bit(kToDosButton)) | bit(kDetectButton),
    kCaseButtons & ~bit(kLowerCaseButton),
    kCaseButtons & ~bit(kSmartCaseButton),
    0,
    0,
    0,
    0,
    kToButtons | kFromButtons,
    (kFromButtons & ~bit(kFromWinButton)) | bit(kDetectButton),
    (kFromButtons & ~bit(kFromKoiButton)) | bit(kDetectButton),
    (kFromButtons & ~bit(kFromIsoButton)) | bit(kDetectButton),
    (kFromButtons & ~bit(kFromDosButton)) | bit(kDetectButton),
    (kFromButtons & ~bit(kFromAutoButton)) | bit(kDetectButton),
    (kToButtons & ~bit(kToUtf8Button)) | bit(kDetectButton),
    (kFromButtons & ~bit(kFromUtf8Button)) | bit(kDetectButton),
};

// The code page each To and From button stands for, in overwrite order.
struct CodePageButton {
  int index;
  CodePage codePage;
};
constexpr CodePageButton kSourceOrder[] = {
    {kFromWinButton, CodePage::Win},   {kFromKoiButton, CodePage::Koi},
    {kFromIsoButton, CodePage::Iso},   {kFromDosButton, CodePage::Dos},
    {kFromUtf8Button, CodePage::Utf8}, {kFromAutoButton, CodePage::Auto}};
constexpr CodePageButton kTargetOrder[] = {{kToWinButton, CodePage::Win},
                                           {kToKoiButton, CodePage::Koi},
                                           {kToIsoButton, CodePage::Iso},
                                           {kToDosButton, CodePage::Dos},
                                           {kToUtf8Button, CodePage::Utf8}};

bool validIndex(int index) { return index >= 0 && index < kButtonCount; }

} // namespace

const ModeButtonInfo &modeButtonInfo(int index) { return kButtons[index]; }

SelectionState::SelectionState() = default;

void SelectionState::release(int index, bool testBusy) {
  if (testBusy && isButtonBusy && isButtonBusy(index))
    return;
  down_[index] = false;
  if (index == kSmartCaseButton)
    saveUpperEnabled_ = false;
}

void SelectionState::pressModeButton(int index) {
  if (!validIndex(index))
    return;
  if (!down_[index]) {
    for (int other = 0; other < kButtonCount; ++other)
      if (kReleases[index] & bit(other))
        release(other, other != kDetectButton);
    down_[index] = true;
    statusLine_ = kButtons[index].selectedSentence;
    if (index == kSmartCaseButton)
      saveUpperEnabled_ = true;
  } else {
    down_[index] = false;
    statusLine_ = kButtons[index].unselectedSentence;
    if (index == kSmartCaseButton)
      saveUpperEnabled_ = false;
  }
}

void SelectionState::resetSelection() {
  saveUpperEnabled_ = false;
  down_.fill(false);
  statusLine_ = texts::kNoActionSelected;
}

bool SelectionState::isDown(int index) const {
  return validIndex(index) && down_[index];
}

std::string SelectionState::pictureName(int index) const {
  if (!validIndex(index))
    return {};
  return std::string(kButtons[index].caption) + (down_[index] ? "D" : "U");
}

bool SelectionState::anySelected() const {
  for (bool d : down_)
    if (d)
      return true;
  return false;
}

std::vector<job::OperationCode> SelectionState::operationPasses() const {
  std::vector<job::OperationCode> passes;
  for (int op = 0; op <= kDetectButton; ++op)
    if (down_[op])
      passes.push_back(static_cast<job::OperationCode>(op));
  if (down_[kToUtf8Button])
    passes.push_back(job::OperationCode::RecodeToUtf8);
  return passes;
}

job::OperationCode SelectionState::finalOperation() const {
  auto passes = operationPasses();
  return passes.empty() ? job::OperationCode::UpperCase : passes.back();
}

engine::CodePage SelectionState::sourceCodePage() const {
  CodePage result = CodePage::Auto;
  for (const auto &b : kSourceOrder)
    if (down_[b.index])
      result = b.codePage;
  return result;
}

engine::CodePage SelectionState::targetCodePage() const {
  CodePage result = CodePage::Auto;
  for (const auto &b : kTargetOrder)
    if (down_[b.index])
      result = b.codePage;
  return result;
}

} // namespace snpln::batch
