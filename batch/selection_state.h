// Which of the seventeen mode buttons are down, as a plain state machine.
//
// Indices 0 to 11 are operation codes; 12 to 16 choose the recoding source
// (From WIN, KOI, ISO, DOS, AUTO). pressModeButton() toggles a button, lets
// it release the buttons that conflict with it (the case group and the
// recode groups are exclusive), writes the button's status sentence and
// keeps the enabled state of "Sa&ve upper". The state lasts until the next
// press or resetSelection(); the window only mirrors it (pictureName,
// statusLine, saveUpperEnabled). The check mark of "Sa&ve upper" is the
// user's and is not kept here.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "engine/code_page.h"
#include "job/job_request.h"

namespace snpln::batch {

inline constexpr int kButtonCount = 19;

// Button indices. 0 to 11 equal their job::OperationCode.
enum ButtonIndex : int {
  kUpperCaseButton = 0,
  kToWinButton = 1,
  kToKoiButton = 2,
  kToIsoButton = 3,
  kToDosButton = 4,
  kLowerCaseButton = 5,
  kSmartCaseButton = 6,
  kExcludeButton = 7,
  kReplaceButton = 8,
  kOptimizeButton = 9,
  kDeleteEmptyButton = 10,
  kDetectButton = 11,
  kFromWinButton = 12,
  kFromKoiButton = 13,
  kFromIsoButton = 14,
  kFromDosButton = 15,
  kFromAutoButton = 16,
  // Recoding to UTF-8 (operation RecodeToUtf8) and from it.
  kToUtf8Button = 17,
  kFromUtf8Button = 18,
};

enum class ButtonGroup { Case, Exclude, Optimize, Recode };

// One row of the button table.
struct ModeButtonInfo {
  int controlId;
  const char *caption; // the picture base
  ButtonGroup group;
  const char *selectedSentence;
  const char *unselectedSentence;
};

// The table, indexed by button index.
const ModeButtonInfo &modeButtonInfo(int index);

class SelectionState {
public:
  SelectionState();

  // The user pressed mode button `index` (0 to 16); other values are
  // ignored.
  void pressModeButton(int index);
  // Every button up, "Sa&ve upper" disabled, "No action selected".
  void resetSelection();

  // The window's answer whether a button is held down or has the focus at
  // this moment; such a button is not released by another's press. False
  // when not set.
  std::function<bool(int index)> isButtonBusy;

  bool isDown(int index) const;
  const std::array<bool, kButtonCount> &flags() const { return down_; }
  // The last sentence the selection wrote; empty before the first.
  const std::string &statusLine() const { return statusLine_; }
  // Base + "U" when up, base + "D" when down.
  std::string pictureName(int index) const;
  bool saveUpperEnabled() const { return saveUpperEnabled_; }

  bool anySelected() const;
  // The operation codes whose buttons are down, ascending.
  std::vector<job::OperationCode> operationPasses() const;
  // The highest of operationPasses(), UpperCase when there is none.
  job::OperationCode finalOperation() const;
  bool detectOnly() const { return down_[kDetectButton]; }
  // Auto unless a From button is down; the later of From WIN, KOI, ISO,
  // DOS, AUTO wins.
  engine::CodePage sourceCodePage() const;
  // The later of To WIN, KOI, ISO, DOS that is down; Auto (a neutral value
  // no detection result equals) when none is.
  engine::CodePage targetCodePage() const;

private:
  void release(int index, bool testBusy);

  std::array<bool, kButtonCount> down_{};
  std::string statusLine_;
  bool saveUpperEnabled_ = false;
};

} // namespace snpln::batch
