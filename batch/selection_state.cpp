#include "batch/selection_state.h"

#include "batch/run_plan.h"
#include "job/stages.h"

#include <algorithm>
#include <cstdint>

namespace snpln::batch {

namespace {

using engine::CodePage;

constexpr std::uint32_t bit(ModeButton button) {
  return std::uint32_t{1} << indexOf(button);
}

constexpr std::uint32_t kCaseButtons = bit(ModeButton::UpperCase) |
                                       bit(ModeButton::LowerCase) |
                                       bit(ModeButton::SmartCase);
constexpr std::uint32_t kToButtons =
    bit(ModeButton::ToWin) | bit(ModeButton::ToKoi) | bit(ModeButton::ToIso) |
    bit(ModeButton::ToDos) | bit(ModeButton::ToUtf8);
constexpr std::uint32_t kFromButtons =
    bit(ModeButton::FromWin) | bit(ModeButton::FromKoi) |
    bit(ModeButton::FromIso) | bit(ModeButton::FromDos) |
    bit(ModeButton::FromAuto) | bit(ModeButton::FromUtf8);

constexpr ModeButtonInfo kButtons[kButtonCount] = {
    {"UCASE", ButtonGroup::Case},      {"WIN", ButtonGroup::Recode},
    {"KOI", ButtonGroup::Recode},      {"ISO", ButtonGroup::Recode},
    {"DOS", ButtonGroup::Recode},      {"LCASE", ButtonGroup::Case},
    {"SCASE", ButtonGroup::Case},      {"EXCLUDE", ButtonGroup::Exclude},
    {"REPLACE", ButtonGroup::Exclude}, {"OPT", ButtonGroup::Optimize},
    {"DEL", ButtonGroup::Optimize},    {"DETECT", ButtonGroup::Recode},
    {"WIN", ButtonGroup::Recode},      {"KOI", ButtonGroup::Recode},
    {"ISO", ButtonGroup::Recode},      {"DOS", ButtonGroup::Recode},
    {"AUTO", ButtonGroup::Recode},     {"UTF8", ButtonGroup::Recode},
    {"UTF8", ButtonGroup::Recode},     {"REPAIR", ButtonGroup::Repair},
};

// What selecting each button releases. Detection and repair release each
// other: a detection run changes no file.
constexpr std::uint32_t kReleases[kButtonCount] = {
    kCaseButtons & ~bit(ModeButton::UpperCase),
    (kToButtons & ~bit(ModeButton::ToWin)) | bit(ModeButton::Detect),
    (kToButtons & ~bit(ModeButton::ToKoi)) | bit(ModeButton::Detect),
    (kToButtons & ~bit(ModeButton::ToIso)) | bit(ModeButton::Detect),
    (kToButtons & ~bit(ModeButton::ToDos)) | bit(ModeButton::Detect),
    kCaseButtons & ~bit(ModeButton::LowerCase),
    kCaseButtons & ~bit(ModeButton::SmartCase),
    0,
    0,
    0,
    0,
    kToButtons | kFromButtons | bit(ModeButton::Repair),
    (kFromButtons & ~bit(ModeButton::FromWin)) | bit(ModeButton::Detect),
    (kFromButtons & ~bit(ModeButton::FromKoi)) | bit(ModeButton::Detect),
    (kFromButtons & ~bit(ModeButton::FromIso)) | bit(ModeButton::Detect),
    (kFromButtons & ~bit(ModeButton::FromDos)) | bit(ModeButton::Detect),
    (kFromButtons & ~bit(ModeButton::FromAuto)) | bit(ModeButton::Detect),
    (kToButtons & ~bit(ModeButton::ToUtf8)) | bit(ModeButton::Detect),
    (kFromButtons & ~bit(ModeButton::FromUtf8)) | bit(ModeButton::Detect),
    bit(ModeButton::Detect),
};

// The code page each To and From button stands for, in overwrite order.
struct CodePageButton {
  ModeButton button;
  CodePage codePage;
};
constexpr CodePageButton kSourceOrder[] = {
    {ModeButton::FromWin, CodePage::Win},
    {ModeButton::FromKoi, CodePage::Koi},
    {ModeButton::FromIso, CodePage::Iso},
    {ModeButton::FromDos, CodePage::Dos},
    {ModeButton::FromUtf8, CodePage::Utf8},
    {ModeButton::FromAuto, CodePage::Auto}};
constexpr CodePageButton kTargetOrder[] = {
    {ModeButton::ToWin, CodePage::Win},
    {ModeButton::ToKoi, CodePage::Koi},
    {ModeButton::ToIso, CodePage::Iso},
    {ModeButton::ToDos, CodePage::Dos},
    {ModeButton::ToUtf8, CodePage::Utf8}};

bool valid(ModeButton button) {
  return indexOf(button) < static_cast<std::size_t>(kButtonCount);
}

std::size_t indexOf(PageRow row) { return static_cast<std::size_t>(row); }

// The row whose choice a button of the rows gives up, if any.
std::optional<PageRow> rowOf(ModeButton button) {
  if (kFromButtons & bit(button))
    return PageRow::Source;
  if (kToButtons & bit(button))
    return PageRow::Target;
  return std::nullopt;
}

} // namespace

const std::array<ModeButton, kButtonCount> &allModeButtons() {
  static const std::array<ModeButton, kButtonCount> all = [] {
    std::array<ModeButton, kButtonCount> buttons{};
    for (std::size_t i = 0; i < buttons.size(); ++i)
      buttons[i] = static_cast<ModeButton>(i);
    return buttons;
  }();
  return all;
}

std::optional<ModeButton> targetButton(engine::CodePage page) {
  for (const auto &b : kTargetOrder)
    if (b.codePage == page)
      return b.button;
  return std::nullopt;
}

std::optional<ModeButton> sourceButton(engine::CodePage page) {
  for (const auto &b : kSourceOrder)
    if (b.codePage == page)
      return b.button;
  return std::nullopt;
}

const std::vector<engine::CodePage> &choosablePages(PageRow row) {
  // The single-byte pages without a button, the same in both rows.
  static const std::vector<CodePage> pages = [] {
    std::vector<CodePage> without;
    for (const CodePage page : engine::kSingleBytePages)
      if (!sourceButton(page) && !targetButton(page))
        without.push_back(page);
    return without;
  }();
  (void)row;
  return pages;
}

const ModeButtonInfo &modeButtonInfo(ModeButton button) {
  return kButtons[indexOf(button)];
}

std::vector<ModeButton> releasedBy(ModeButton button) {
  std::vector<ModeButton> released;
  if (!valid(button))
    return released;
  for (ModeButton other : allModeButtons())
    if (kReleases[indexOf(button)] & bit(other))
      released.push_back(other);
  return released;
}

SelectionState::SelectionState() = default;

void SelectionState::release(ModeButton button, bool testBusy) {
  if (testBusy && isButtonBusy && isButtonBusy(button))
    return;
  down_[indexOf(button)] = false;
  if (button == ModeButton::SmartCase)
    saveUpperEnabled_ = false;
}

void SelectionState::pressModeButton(ModeButton button) {
  if (!valid(button))
    return;
  const std::size_t index = indexOf(button);
  if (!down_[index]) {
    for (ModeButton other : releasedBy(button))
      release(other, other != ModeButton::Detect);
    if (const std::optional<PageRow> row = rowOf(button))
      chosen_[indexOf(*row)].reset();
    if (button == ModeButton::Detect)
      chosen_.fill(std::nullopt);
    down_[index] = true;
    statusLine_ = Status{StatusId::Selected, button};
    if (button == ModeButton::SmartCase)
      saveUpperEnabled_ = true;
  } else {
    down_[index] = false;
    statusLine_ = Status{StatusId::Unselected, button};
    if (button == ModeButton::SmartCase)
      saveUpperEnabled_ = false;
  }
}

void SelectionState::choosePage(PageRow row,
                                std::optional<engine::CodePage> page) {
  if (indexOf(row) >= chosen_.size())
    return;
  if (page) {
    const std::vector<CodePage> &pages = choosablePages(row);
    if (std::find(pages.begin(), pages.end(), *page) == pages.end())
      return;
    // As a button of the row going down: the row's buttons and Detect go
    // up (Detect whatever holds it, the others unless busy).
    for (const ModeButton other : allModeButtons())
      if (rowOf(other) == row)
        release(other, true);
    release(ModeButton::Detect, false);
  }
  chosen_[indexOf(row)] = page;
}

std::optional<engine::CodePage> SelectionState::chosenPage(PageRow row) const {
  return indexOf(row) < chosen_.size() ? chosen_[indexOf(row)] : std::nullopt;
}

void SelectionState::resetSelection() {
  saveUpperEnabled_ = false;
  chosen_.fill(std::nullopt);
  down_.fill(false);
  statusLine_ = Status{StatusId::NoActionSelected};
}

bool SelectionState::isDown(ModeButton button) const {
  return valid(button) && down_[indexOf(button)];
}

std::string SelectionState::pictureName(ModeButton button) const {
  if (!valid(button))
    return {};
  const std::size_t index = indexOf(button);
  return std::string(kButtons[index].caption) + (down_[index] ? "D" : "U");
}

bool SelectionState::anySelected() const {
  if (chosen_[0] || chosen_[1])
    return true;
  for (bool d : down_)
    if (d)
      return true;
  return false;
}

const std::array<job::OperationCode, job::kOperationCount> &passOrder() {
  return job::stageOrder();
}

std::vector<job::OperationCode> SelectionState::operationPasses() const {
  std::vector<job::OperationCode> passes;
  const std::optional<CodePage> target = chosenPage(PageRow::Target);
  const std::optional<job::OperationCode> chosenRecoding =
      target ? recodingTo(*target) : std::nullopt;
  for (job::OperationCode operation : passOrder())
    if ((hasButton(operation) && isDown(buttonOf(operation))) ||
        operation == chosenRecoding)
      passes.push_back(operation);
  return passes;
}

job::OperationCode SelectionState::finalOperation() const {
  auto passes = operationPasses();
  return passes.empty() ? job::OperationCode::UpperCase : passes.back();
}

engine::CodePage SelectionState::sourceCodePage() const {
  if (const std::optional<CodePage> page = chosenPage(PageRow::Source))
    return *page;
  CodePage result = CodePage::Auto;
  for (const auto &b : kSourceOrder)
    if (isDown(b.button))
      result = b.codePage;
  return result;
}

engine::CodePage SelectionState::targetCodePage() const {
  if (const std::optional<CodePage> page = chosenPage(PageRow::Target))
    return *page;
  CodePage result = CodePage::Auto;
  for (const auto &b : kTargetOrder)
    if (isDown(b.button))
      result = b.codePage;
  return result;
}

} // namespace snpln::batch
