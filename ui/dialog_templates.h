// The dialog templates of the program as data: each window's size in dialog
// units, title, font and frame, and its controls in template order (which is
// also the tab order) with id, kind, caption and position in dialog units.
// The dialog builder turns a template into widgets; the windows find their
// controls by id.
#pragma once

#include <vector>

#include "ui/control_ids.h"

namespace snpln::ui {

// Template numbers.
inline constexpr int kAboutTemplate = 100;
inline constexpr int kMainTemplate = 102;
inline constexpr int kMessageTemplate = 132;
inline constexpr int kProgressTemplate = 135;
inline constexpr int kInputTemplate = 136;
inline constexpr int kExcludeOptionsTemplate = 137;
inline constexpr int kPreviewTemplate = 138;
inline constexpr int kSavePromptTemplate = 139;
inline constexpr int kDescriptionTemplate = 140;
inline constexpr int kSaveRefusedTemplate = 141;

// The framework's ids under the names the windows use (ui/control_ids.h).
inline constexpr int kNoId = ids::kNone;
inline constexpr int kIdOk = ids::kOk;
inline constexpr int kIdCancel = ids::kCancel;
inline constexpr int kIdYes = ids::kYes;
inline constexpr int kIdNo = ids::kNo;

enum class ControlKind {
  PictureButton, // owner-drawn push button; caption names its pictures
  PushButton,
  Static,
  GroupBox,
  CheckBox,
  Edit,
  ComboBox,     // editable drop-down; height is the height of the open list
  DropDownList, // a drop-down list to choose from, not typed in; height as
                // ComboBox's
  ProgressBar,
  Icon,    // the program icon, sized to it
  Picture, // a named picture (caption), sized to it
};

// Control style bits.
enum ControlStyle : unsigned {
  kTabStop = 1u << 0,
  kDefault = 1u << 1,  // the default push button
  kCentred = 1u << 2,  // centred static text
  kNoWrap = 1u << 3,   // static text that never wraps
  kPushLike = 1u << 4, // check box drawn like a push button
  kMultiLine = 1u << 5,
  kReadOnly = 1u << 6,
  kVScroll = 1u << 7, // vertical scroll bar
  kHScroll = 1u << 8, // horizontal scroll bar
  kAutoHScroll = 1u << 9,
  kAutoVScroll = 1u << 10,
  kBorder = 1u << 11,
  kDisabled = 1u << 12,
};

struct ControlTemplate {
  int id = kNoId;
  ControlKind kind = ControlKind::Static;
  const char *caption = "";
  int x = 0, y = 0, width = 0, height = 0; // dialog units
  unsigned style = 0;
  // What the caption's %1 stands for (a version: no words of its own), or
  // nullptr for a caption without one.
  const char *argument = nullptr;
};

// Window style bits.
enum WindowStyle : unsigned {
  kCaption = 1u << 0,    // a title bar
  kCloseBox = 1u << 1,   // a system menu with its close box
  kModalFrame = 1u << 2, // a dialog frame
  kResizable = 1u << 3,  // a sizing border
  kDrawnFrame = 1u << 4, // the window draws its modal frame itself
};

// Where the window opens.
enum class Placement {
  OwnerOrigin,    // at 0,0 of the owner's client area (screen centre alone)
  CentreOnOwner,  // centred over the owner (screen centre alone)
  CentreOnScreen, // centred on the screen
};

struct DialogTemplate {
  int id = 0;
  const char *title = "";
  int width = 0, height = 0; // dialog units, the client area
  const char *fontFamily = "Arial";
  int fontPointSize = 9;
  unsigned style = 0;
  Placement placement = Placement::CentreOnOwner;
  std::vector<ControlTemplate> controls;
};

// Every template the program has.
const std::vector<DialogTemplate> &dialogTemplates();
// The template with this number, or nullptr.
const DialogTemplate *findDialogTemplate(int id);
// The template with this number; it must exist.
const DialogTemplate &dialogTemplate(int id);

} // namespace snpln::ui
