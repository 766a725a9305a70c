// Every control id of the program's dialog templates, in one table: the
// templates (dialog_templates.cpp) are written with these names and the
// windows find their controls by them. Ids are unique within a template;
// different templates reuse numbers.
#pragma once

#include <array>

#include "batch/selection_state.h"

namespace snpln::ui {

namespace ids {

// A control that has none (static labels); several may share it.
inline constexpr int kNone = -1;
// The buttons of the dialog framework.
inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
inline constexpr int kYes = 6;
inline constexpr int kNo = 7;

// The main window (template 102).
inline constexpr int kFileName = 1000;
inline constexpr int kFileNameLabel = 1001;
inline constexpr int kStatus = 1002;
inline constexpr int kBrowse = 1003;
inline constexpr int kFolder = 1005;
inline constexpr int kCaseGroup = 1012;
inline constexpr int kDoIt = 1013;
inline constexpr int kChooseLabel = 1014;
inline constexpr int kCopy = 1020;
inline constexpr int kSaveUpper = 1021;
inline constexpr int kExcludeGroup = 1027;
inline constexpr int kOptimizeGroup = 1050;
inline constexpr int kRecodeGroup = 1051;
inline constexpr int kFromLabel = 1052;
inline constexpr int kToLabel = 1053;
inline constexpr int kPreview = 1056;
inline constexpr int kClear = 1071;
inline constexpr int kFilterBox = 1076;
inline constexpr int kFilterLabel = 1077;
// The choosers of the pages without a button, beside the From and To rows.
inline constexpr int kSourcePages = 1079;
inline constexpr int kTargetPages = 1080;
inline constexpr int kExit = kOk;
// The mode buttons, in batch::ModeButton order.
inline constexpr std::array<int, batch::kButtonCount> kModeButtons = {
    1009, 1035, 1036, 1037, 1038, 1010, 1011, 1025, 1026, 1028,
    1029, 1054, 1030, 1031, 1032, 1033, 1034, 1039, 1040, 1078};

// The about box (template 100).
inline constexpr int kAboutVersion = 1001;
inline constexpr int kAboutLicence = 1002;
inline constexpr int kAboutAddress = 1003;

// The message (template 132).
inline constexpr int kMessageLine1 = 1016;
inline constexpr int kMessageLine2 = 1017;

// The progress window (template 135).
inline constexpr int kProgressBar = 1004;
inline constexpr int kProgressName = 1022;
inline constexpr int kProgressHeading = 1075;

// The prompt (template 136).
inline constexpr int kPromptText = 1036;
inline constexpr int kPromptValue = 1037;

// The word options (template 137).
inline constexpr int kLeftPartOfWord = 1038;
inline constexpr int kRightPartOfWord = 1039;
inline constexpr int kCaseInsensitive = 1040;

// The preview (template 138).
inline constexpr int kPreviewView = 1055;
inline constexpr int kPreviewSave = 1059;
inline constexpr int kPreviewEdit = 1060;
inline constexpr int kPreviewStatus = 1069;

// The save question (template 139).
inline constexpr int kSavePromptName = 1001;
inline constexpr int kSavePromptQuestion = 1002;

// The refused save (template 141).
inline constexpr int kRefusedName = 1001;
inline constexpr int kRefusedReason = 1002;
inline constexpr int kRefusedAdvice = 1003;
inline constexpr int kRefusedReload = 1004;
inline constexpr int kRefusedSaveAs = 1005;

} // namespace ids

constexpr int modeButtonId(batch::ModeButton button) {
  return ids::kModeButtons[batch::indexOf(button)];
}

} // namespace snpln::ui
