// Which of the twenty mode buttons are down, as a plain state machine.
//
// Fourteen buttons are operations; six choose the recoding source (From
// WIN, KOI, ISO, DOS, UTF-8, AUTO). pressModeButton() toggles a button, lets
// it release the buttons that conflict with it (the case group and the
// recode groups are exclusive), writes the button's status (Selected or
// Unselected) and
// keeps the enabled state of "Sa&ve upper". The state lasts until the next
// press or resetSelection(); the window only mirrors it (pictureName,
// statusLine, saveUpperEnabled). The check mark of "Sa&ve upper" is the
// user's and is not kept here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "batch/status.h"
#include "engine/code_page.h"
#include "job/job_request.h"

namespace snpln::batch {

// The twenty mode buttons. The first twelve, To UTF-8 and Repair stand for
// an operation (buttonOf); the From buttons choose the recoding source.
enum class ModeButton : std::uint8_t {
  UpperCase,
  ToWin,
  ToKoi,
  ToIso,
  ToDos,
  LowerCase,
  SmartCase,
  Exclude,
  Replace,
  Optimize,
  DeleteEmpty,
  Detect,
  FromWin,
  FromKoi,
  FromIso,
  FromDos,
  FromAuto,
  ToUtf8,
  FromUtf8,
  Repair,
};
inline constexpr int kButtonCount = 20;

// The button's place in tables of all of them.
constexpr std::size_t indexOf(ModeButton button) {
  return static_cast<std::size_t>(button);
}
// Every button, in table order.
const std::array<ModeButton, kButtonCount> &allModeButtons();
// The button of an operation.
constexpr ModeButton buttonOf(job::OperationCode operation) {
  switch (operation) {
  case job::OperationCode::RecodeToUtf8:
    return ModeButton::ToUtf8;
  case job::OperationCode::Repair:
    return ModeButton::Repair;
  default:
    return static_cast<ModeButton>(static_cast<std::uint8_t>(operation));
  }
}

// Whether the window has a button for the operation (LineEnds, Bom and the
// recoding to pages without a button have none).
constexpr bool hasButton(job::OperationCode operation) {
  return operation != job::OperationCode::LineEnds &&
         operation != job::OperationCode::Bom &&
         operation != job::OperationCode::RecodeToUtf16;
}

// The To button of a code page, and its From button (From AUTO for Auto);
// nothing for a page without one.
std::optional<ModeButton> targetButton(engine::CodePage page);
std::optional<ModeButton> sourceButton(engine::CodePage page);

// The order the operations of a run apply to each file (the stage table's,
// job/stages.h): repair, upper case, the recoding (whatever its target), line
// ends, byte order mark, lower and smart case, exclusion, replacement,
// optimization, empty lines, detection.
const std::array<job::OperationCode, job::kOperationCount> &passOrder();

enum class ButtonGroup { Case, Exclude, Optimize, Recode, Repair };

// The two rows of code pages: the recoding's source (From) and its target
// (To).
enum class PageRow : std::uint8_t { Source, Target };

// The pages a row offers beside its buttons (those without a button of
// their own), in the order they are listed.
const std::vector<engine::CodePage> &choosablePages(PageRow row);

// One row of the button table.
struct ModeButtonInfo {
  const char *caption; // the picture base
  ButtonGroup group;
};

const ModeButtonInfo &modeButtonInfo(ModeButton button);

// The buttons a press of `button` releases when it goes down (its release
// rule), in table order.
std::vector<ModeButton> releasedBy(ModeButton button);

class SelectionState {
public:
  SelectionState();

  // The user pressed the button; values outside the enumeration are
  // ignored.
  void pressModeButton(ModeButton button);
  // A page of the row's chooser (one of choosablePages(row)) taken for the
  // row, or the choice given up (nullopt). A page taken releases the row's
  // buttons and Detect, as a button of the row does; a button of the row
  // going down gives the row's choice up. Pages not in the list are
  // ignored. The status line is left as it is.
  void choosePage(PageRow row, std::optional<engine::CodePage> page);
  std::optional<engine::CodePage> chosenPage(PageRow row) const;
  // Every button up, no page chosen, "Sa&ve upper" disabled, "No action
  // selected".
  void resetSelection();

  // The window's answer whether a button is held down or has the focus at
  // this moment; such a button is not released by another's press. False
  // when not set.
  std::function<bool(ModeButton button)> isButtonBusy;

  bool isDown(ModeButton button) const;
  const std::array<bool, kButtonCount> &flags() const { return down_; }
  // The last status the selection wrote; None before the first.
  const Status &statusLine() const { return statusLine_; }
  // Base + "U" when up, base + "D" when down.
  std::string pictureName(ModeButton button) const;
  bool saveUpperEnabled() const { return saveUpperEnabled_; }

  // A button down or a page chosen.
  bool anySelected() const;
  // The operations whose buttons are down (and the recoding to the chosen
  // target page), in the order of passOrder().
  std::vector<job::OperationCode> operationPasses() const;
  // The last of operationPasses(), UpperCase when there is none.
  job::OperationCode finalOperation() const;
  bool detectOnly() const { return isDown(ModeButton::Detect); }
  // The chosen source page, else Auto unless a From button is down; the
  // later of From WIN, KOI, ISO, DOS, AUTO wins.
  engine::CodePage sourceCodePage() const;
  // The chosen target page, else the later of To WIN, KOI, ISO, DOS that
  // is down; Auto (a neutral value no detection result equals) when none
  // is.
  engine::CodePage targetCodePage() const;

private:
  void release(ModeButton button, bool testBusy);

  std::array<bool, kButtonCount> down_{};
  std::array<std::optional<engine::CodePage>, 2> chosen_{};
  Status statusLine_;
  bool saveUpperEnabled_ = false;
};

} // namespace snpln::batch
