#include "ui/dialog_templates.h"

#include <cassert>
#include <cstdlib>

#include <QtGlobal>

#include "snpln/version.h"
#include "ui/control_ids.h"

namespace snpln::ui {

namespace {

using K = ControlKind;
using M = batch::ModeButton;

// Every window has a title bar with a close box; each says what it means.
constexpr unsigned kDialogFrameWithClose = kCaption | kCloseBox | kModalFrame;
constexpr unsigned kPicture = kTabStop; // picture buttons are tab stops

// A mode button of the main window: its id and picture from the button
// table, its place and size in dialog units.
ControlTemplate modeButtonControl(M button, int x, int y, int width,
                                  int height) {
  return {modeButtonId(button),
          ControlKind::PictureButton,
          batch::modeButtonInfo(button).caption,
          x,
          y,
          width,
          height,
          kPicture};
}

std::vector<DialogTemplate> makeTemplates() {
  std::vector<DialogTemplate> all;

  // The about box: the version, the licence, and the project's address
  // (where the build names none, where the licence's full text is).
  all.push_back(
      {kAboutTemplate,
       QT_TRANSLATE_NOOP("snpln", "About SNPLN"),
       266,
       51, // three units below the third line, so that its text fits
       "Arial",
       9,
       kDialogFrameWithClose,
       Placement::OwnerOrigin,
       {
           {kNoId, K::Icon, "", 10, 12, 0, 0, 0},
           {ids::kAboutVersion, K::Static,
            QT_TRANSLATE_NOOP("snpln",
                              "Snipline (SNPLN) v%1, Russian text file tool"),
            40, 20, 165, 8, kNoWrap, SNPLN_VERSION},
           {ids::kAboutLicence, K::Static,
            QT_TRANSLATE_NOOP("snpln", "MIT License (c) 2026 SNPLN authors"),
            40, 29, 165, 8, kNoWrap},
           {ids::kAboutAddress, K::Static,
            QT_TRANSLATE_NOOP("snpln", "Home page: %1"), 40, 40, 165, 8,
            kNoWrap, SNPLN_HOMEPAGE},
           {kIdOk, K::PictureButton, "OK", 210, 25, 50, 20,
            kPicture | kDefault},
           {kNoId, K::Static, QT_TRANSLATE_NOOP("snpln", "click"), 13, 31, 20,
            8, kNoWrap},
           {kNoId, K::Picture, "SNPLN", 40, 5, 0, 0, 0},
       }});

  // The main window. Its buttons keep their places; it may grow in both
  // directions, and the fields take the room: the file-name field grows
  // wider and taller, the filter box and the status line wider, and those
  // two keep below the file-name field. The buttons all lie above the
  // fields. Repair sits under the Case group, in the room kept for it;
  // room is kept for a control of 45 x 50 beside the rows of code pages
  // (270, 20), so it can be added without moving the rest.
  all.push_back(
      {kMainTemplate,
       "Snipline (SNPLN) v" SNPLN_VERSION_SHORT,
       351,
       168,
       "Arial",
       9,
       kCaption | kCloseBox | kModalFrame | kResizable,
       Placement::CentreOnScreen,
       {
           {ids::kDoIt, K::PictureButton, "DOIT", 190, 75, 95, 30, kPicture},
           {ids::kExit, K::PictureButton, "EXIT", 320, 10, 25, 40, kPicture},
           {ids::kBrowse, K::PictureButton, "BROWSE", 250, 108, 45, 14,
            kPicture},
           {ids::kFolder, K::PictureButton, "FOLDER", 300, 108, 45, 14,
            kPicture},
           {ids::kCopy, K::PictureButton, "COPY", 320, 55, 24, 15, kPicture},
           {ids::kPreview, K::PictureButton, "FP", 135, 75, 50, 30, kPicture},
           {ids::kChooseLabel, K::Static,
            QT_TRANSLATE_NOOP(
                "snpln", "Select file manipulation from the follow groups:"),
            5, 5, 156, 8, kNoWrap},
           {ids::kCaseGroup, K::GroupBox,
            QT_TRANSLATE_NOOP("snpln", "Case group"), 5, 15, 60, 75, 0},
           {ids::kExcludeGroup, K::GroupBox,
            QT_TRANSLATE_NOOP("snpln", "Exclude group"), 70, 15, 60, 45, 0},
           {ids::kOptimizeGroup, K::GroupBox,
            QT_TRANSLATE_NOOP("snpln", "Optimize group"), 70, 60, 60, 45, 0},
           modeButtonControl(M::UpperCase, 10, 25, 50, 15),
           modeButtonControl(M::LowerCase, 10, 40, 50, 15),
           modeButtonControl(M::SmartCase, 10, 55, 50, 15),
           modeButtonControl(M::Repair, 10, 91, 50, 15),
           {ids::kSaveUpper, K::CheckBox,
            QT_TRANSLATE_NOOP("snpln", "Sa&ve upper"), 10, 75, 50, 10,
            kTabStop},
           modeButtonControl(M::Exclude, 75, 25, 50, 15),
           modeButtonControl(M::Replace, 75, 40, 50, 15),
           modeButtonControl(M::Optimize, 75, 70, 50, 15),
           modeButtonControl(M::DeleteEmpty, 75, 85, 50, 15),
           modeButtonControl(M::ToWin, 160, 50, 20, 15),
           modeButtonControl(M::ToKoi, 180, 50, 20, 15),
           modeButtonControl(M::ToIso, 200, 50, 20, 15),
           modeButtonControl(M::ToDos, 220, 50, 20, 15),
           modeButtonControl(M::ToUtf8, 240, 50, 20, 15),
           {ids::kToLabel, K::Static, QT_TRANSLATE_NOOP("snpln", "To"), 145, 55,
            9, 8, kNoWrap},
           {ids::kRecodeGroup, K::GroupBox,
            QT_TRANSLATE_NOOP("snpln", "Recode Group"), 135, 15, 130, 55, 0},
           {ids::kFromLabel, K::Static, QT_TRANSLATE_NOOP("snpln", "From"), 140,
            25, 18, 8, kNoWrap},
           modeButtonControl(M::FromWin, 140, 35, 20, 15),
           modeButtonControl(M::FromKoi, 160, 35, 20, 15),
           modeButtonControl(M::FromIso, 180, 35, 20, 15),
           modeButtonControl(M::FromDos, 200, 35, 20, 15),
           modeButtonControl(M::FromAuto, 220, 35, 20, 15),
           modeButtonControl(M::FromUtf8, 240, 35, 20, 15),
           modeButtonControl(M::Detect, 180, 25, 60, 10),
           {ids::kSourcePages, K::DropDownList, "", 270, 35, 45, 50, kTabStop},
           {ids::kTargetPages, K::DropDownList, "", 270, 50, 45, 50, kTabStop},
           {ids::kFileNameLabel, K::Static,
            QT_TRANSLATE_NOOP("snpln", "Filename(s):"), 3, 112, 40, 8, kNoWrap},
           {ids::kFileName, K::Edit, "", 5, 124, 341, 12,
            kMultiLine | kVScroll | kBorder | kTabStop},
           {ids::kStatus, K::Static, "No action selected", 5, 156, 341, 8,
            kNoWrap},
           {ids::kClear, K::PictureButton, "CLEAR", 43, 112, 25, 8, kPicture},
           {ids::kFilterBox, K::ComboBox, "", 105, 140, 241, 130,
            kVScroll | kTabStop},
           {ids::kFilterLabel, K::Static,
            QT_TRANSLATE_NOOP("snpln", "Filter(s) for subdirectories:"), 3, 142,
            100, 8, kNoWrap},
       }});

  // The two-line message.
  all.push_back({kMessageTemplate,
                 QT_TRANSLATE_NOOP("snpln", "Snpln Message"),
                 211,
                 60,
                 "Arial",
                 9,
                 kDialogFrameWithClose,
                 Placement::CentreOnOwner,
                 {
                     {ids::kMessageLine1, K::Static, "", 0, 10, 210, 8,
                      kCentred | kNoWrap},
                     {ids::kMessageLine2, K::Static, "", 0, 20, 210, 8,
                      kCentred | kNoWrap},
                     {kIdOk, K::PictureButton, "OK", 80, 35, 50, 20, kPicture},
                 }});

  // The progress window; its caption is the operation's title.
  all.push_back(
      {kProgressTemplate,
       "",
       141,
       65,
       "Arial",
       9,
       kDialogFrameWithClose,
       Placement::CentreOnOwner,
       {
           {ids::kProgressHeading, K::Static,
            QT_TRANSLATE_NOOP("snpln", "Progressing file"), 10, 5, 130, 8,
            kNoWrap},
           {ids::kProgressName, K::Static, "", 10, 15, 130, 8, kNoWrap},
           {ids::kProgressBar, K::ProgressBar, "", 10, 25, 120, 10, kBorder},
           {kIdCancel, K::PictureButton, "CANCEL", 45, 40, 50, 20, kPicture},
       }});

  // The one-line prompt.
  all.push_back(
      {kInputTemplate,
       QT_TRANSLATE_NOOP("snpln", "Snpln Input"),
       149,
       60,
       "Arial",
       9,
       kDialogFrameWithClose | kDrawnFrame,
       Placement::OwnerOrigin,
       {
           {ids::kPromptValue, K::Edit, "", 5, 15, 140, 14,
            kMultiLine | kAutoHScroll | kAutoVScroll | kBorder | kTabStop},
           {kIdOk, K::PictureButton, "OK", 20, 35, 50, 20, kPicture},
           {kIdCancel, K::PictureButton, "CANCEL", 80, 35, 50, 20, kPicture},
           {ids::kPromptText, K::Static, "", 5, 5, 140, 8, kNoWrap},
       }});

  // The word and case options of exclusion and replacement.
  all.push_back(
      {kExcludeOptionsTemplate,
       QT_TRANSLATE_NOOP("snpln", "Snpln Options"),
       111,
       94,
       "Arial",
       9,
       kDialogFrameWithClose | kDrawnFrame,
       Placement::OwnerOrigin,
       {
           {kNoId, K::Static,
            QT_TRANSLATE_NOOP("snpln", "Excluded string must be ..."), 5, 5, 88,
            8, kNoWrap},
           {ids::kLeftPartOfWord, K::CheckBox,
            QT_TRANSLATE_NOOP("snpln", "&Left part of word"), 5, 20, 100, 15,
            kPushLike | kTabStop},
           {ids::kRightPartOfWord, K::CheckBox,
            QT_TRANSLATE_NOOP("snpln", "&Right part of word"), 5, 35, 100, 15,
            kPushLike | kTabStop},
           {ids::kCaseInsensitive, K::CheckBox,
            QT_TRANSLATE_NOOP("snpln", "C&ase insensitivity"), 5, 50, 100, 15,
            kPushLike | kTabStop},
           {kIdOk, K::PictureButton, "OK", 4, 70, 50, 20, kPicture},
           {kIdCancel, K::PictureButton, "CANCEL", 57, 70, 50, 20, kPicture},
       }});

  // The file preview and editor.
  all.push_back(
      {kPreviewTemplate,
       QT_TRANSLATE_NOOP("snpln", "SNPLN : File preview"),
       302,
       143,
       "Arial",
       9,
       kCaption | kCloseBox | kResizable,
       Placement::CentreOnOwner,
       {
           {kIdOk, K::PushButton, QT_TRANSLATE_NOOP("snpln", "&OK"), 270, 5, 30,
            65, kDefault | kTabStop},
           {ids::kPreviewSave, K::PushButton,
            QT_TRANSLATE_NOOP("snpln", "&Save"), 270, 100, 30, 30, kTabStop},
           {ids::kPreviewEdit, K::PushButton,
            QT_TRANSLATE_NOOP("snpln", "&Edit"), 270, 70, 30, 30, kTabStop},
           {ids::kPreviewView, K::Edit, "", 0, 1, 268, 118,
            kMultiLine | kVScroll | kHScroll | kBorder | kTabStop},
           // Two lines, so that a long sentence wraps rather than hides
           // its end.
           {ids::kPreviewStatus, K::Static, "", 0, 120, 268, 22, kBorder},
       }});

  // The question before the preview saves.
  all.push_back(
      {kSavePromptTemplate,
       QT_TRANSLATE_NOOP("snpln", "SNPLN : Save file ?"),
       181,
       51,
       "Arial",
       9,
       kDialogFrameWithClose | kDrawnFrame,
       Placement::CentreOnOwner,
       {
           {kIdYes, K::PushButton, QT_TRANSLATE_NOOP("snpln", "&YES"), 0, 30,
            60, 20, kDefault | kTabStop},
           {kIdNo, K::PushButton, QT_TRANSLATE_NOOP("snpln", "&NO"), 60, 30, 65,
            20, kTabStop},
           {kIdCancel, K::PushButton, QT_TRANSLATE_NOOP("snpln", "&Cancel"),
            125, 30, 55, 20, kTabStop},
           {ids::kSavePromptName, K::Static, "", 5, 5, 175, 8,
            kCentred | kNoWrap},
           {ids::kSavePromptQuestion, K::Static,
            QT_TRANSLATE_NOOP("snpln",
                              "This file was modified. Save this file ?"),
            5, 15, 175, 8, kCentred | kNoWrap},
       }});

  // What the preview asks when a save is refused; the text is kept.
  all.push_back(
      {kSaveRefusedTemplate,
       QT_TRANSLATE_NOOP("snpln", "SNPLN : File not saved"),
       240,
       79,
       "Arial",
       9,
       kDialogFrameWithClose,
       Placement::CentreOnOwner,
       {
           {ids::kRefusedName, K::Static, "", 5, 5, 230, 8, kCentred | kNoWrap},
           {ids::kRefusedReason, K::Static, "", 5, 15, 230, 8,
            kCentred | kNoWrap},
           {ids::kRefusedAdvice, K::Static, "", 5, 27, 230, 24, kCentred},
           {ids::kRefusedReload, K::PushButton,
            QT_TRANSLATE_NOOP("snpln", "&Reload"), 4, 56, 76, 18, kTabStop},
           {ids::kRefusedSaveAs, K::PushButton,
            QT_TRANSLATE_NOOP("snpln", "Save &as..."), 82, 56, 76, 18,
            kTabStop},
           {kIdCancel, K::PushButton,
            QT_TRANSLATE_NOOP("snpln", "&Keep editing"), 160, 56, 76, 18,
            kDefault | kTabStop},
       }});

  // The page of help text behind the about box.
  all.push_back(
      {kDescriptionTemplate,
       QT_TRANSLATE_NOOP("snpln", "Snipline description"),
       270,
       228,
       "Arial",
       9,
       kDialogFrameWithClose,
       Placement::CentreOnScreen,
       {
           {kIdOk, K::PushButton, QT_TRANSLATE_NOOP("snpln", "&RULEZ-Z-Z"), 170,
            206, 95, 20, kDefault | kTabStop},
           {kNoId, K::Icon, "", 5, 6, 0, 0, 0},
           {kNoId, K::Static,
            QT_TRANSLATE_NOOP(
                "snpln",
                "By the using program `Snipline (SNPLN)'  you can do:"),
            29, 3, 236, 8, kNoWrap},
           {kNoId, K::Static,
            QT_TRANSLATE_NOOP("snpln", "* Delete or change any line in the "
                                       "file herewith you may define"),
            30, 15, 235, 8, kNoWrap},
           {kNoId, K::Static,
            QT_TRANSLATE_NOOP("snpln", "a change word as a beginning/end of "
                                       "any word or as a full word. "),
            5, 25, 260, 8, kNoWrap},
           {kNoId, K::Static,
            QT_TRANSLATE_NOOP("snpln",
                              "Also you can turn off case sensitivity."),
            5, 35, 260, 8, kNoWrap},
           {kNoId, K::Static,
            QT_TRANSLATE_NOOP(
                "snpln",
                "* Convert a file in upper/lowercase or produce a smart"),
            30, 45, 235, 8, kNoWrap},
           {kNoId, K::Static,
            QT_TRANSLATE_NOOP("snpln", "transformation. 'Smart' mean that "
                                       "sentence start with upper case. "
                                       "Also you"),
            5, 55, 260, 8, kNoWrap},
           {kNoId, K::Static,
            QT_TRANSLATE_NOOP("snpln", "can save existing upper case, such as "
                                       "families, other self names."),
            5, 65, 260, 8, kNoWrap},
           {kNoId, K::Static,
            QT_TRANSLATE_NOOP(
                "snpln",
                "* Delete excessive empty lines in text file. Line is empty if "
                "this consist"),
            30, 75, 235, 8, kNoWrap},
           {kNoId, K::Static,
            QT_TRANSLATE_NOOP(
                "snpln",
                "of SPACEs,TABs. This option dosn't stupidly delete all empty "
                "lines !!! After"),
            5, 85, 260, 8, kNoWrap},
           {kNoId, K::Static,
            QT_TRANSLATE_NOOP(
                "snpln",
                "applying file has maximum suitable to read form. Try for "
                "understand."),
            5, 95, 260, 8, kNoWrap},
           {kNoId, K::Static,
            QT_TRANSLATE_NOOP("snpln", "* Optimize a text file on the size to "
                                       "the account of changing the"),
            30, 105, 235, 8, kNoWrap},
           {kNoId, K::Static,
            QT_TRANSLATE_NOOP("snpln", "excessive spaces by symbol tabulation "
                                       "(TAB).  So file has smaller "
                                       "size."),
            5, 115, 260, 8, kNoWrap},
           {kNoId, K::Static,
            QT_TRANSLATE_NOOP(
                "snpln",
                "* Decode file from dos/win1251/koi8/iso/utf-8 coding in the "
                "coding"),
            30, 125, 235, 8, kNoWrap},
           {kNoId, K::Static,
            QT_TRANSLATE_NOOP("snpln", "dos/win1251/koi8/iso/utf-8. Possible "
                                       "autodetection of coding of "
                                       "file. "),
            5, 135, 260, 8, kNoWrap},
           {kNoId, K::Static,
            QT_TRANSLATE_NOOP("snpln", "SNPLN support command line with "
                                       "several files. As a file you can "
                                       "indicate"),
            5, 150, 260, 8, kNoWrap},
           {kNoId, K::Static,
            QT_TRANSLATE_NOOP(
                "snpln", "directory - then all files at this directory and its "
                         "subdirecories will be"),
            5, 160, 260, 8, kNoWrap},
           {kNoId, K::Static,
            QT_TRANSLATE_NOOP(
                "snpln",
                "processed. Also you can add files by drag'n'drop filelist on "
                "SNPLN."),
            5, 170, 260, 8, kNoWrap},
           {kNoId, K::Static, "Snipline (SNPLN) v" SNPLN_VERSION_SHORT, 5, 185,
            135, 8, kCentred | kNoWrap},
           {kNoId, K::Static,
            QT_TRANSLATE_NOOP("snpln", "Source: the Snipline repository"), 5,
            195, 135, 8, kCentred | kNoWrap},
           {kNoId, K::Static,
            QT_TRANSLATE_NOOP("snpln",
                              "Reports: the repository's issue tracker"),
            5, 205, 135, 8, kCentred | kNoWrap},
       }});

  return all;
}

} // namespace

const std::vector<DialogTemplate> &dialogTemplates() {
  static const std::vector<DialogTemplate> all = makeTemplates();
  return all;
}

const DialogTemplate *findDialogTemplate(int id) {
  for (const DialogTemplate &t : dialogTemplates())
    if (t.id == id)
      return &t;
  return nullptr;
}

const DialogTemplate &dialogTemplate(int id) {
  const DialogTemplate *t = findDialogTemplate(id);
  assert(t && "unknown dialog template");
  if (!t)
    std::abort();
  return *t;
}

} // namespace snpln::ui
