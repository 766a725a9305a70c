// The word and case options of exclusion and replacement (template 137):
// three check boxes drawn like push buttons, OK and CANCEL picture buttons,
// no caption. The boxes show the three flags when the window opens (all 0
// for a new dialog, so every question starts unchecked); run() answers Ok
// for OK or Enter, with the flags then read from the boxes, and Cancel for
// CANCEL or Esc, with the flags left alone.
#pragma once

#include <QDialog>

#include "job/dialog_answer.h"
#include "ui/control_ids.h"
#include "ui/dialog_builder.h"

namespace snpln::ui {

class ExcludeOptionsDialog : public QDialog {
  Q_OBJECT

public:
  static constexpr int kLeftPartId = ids::kLeftPartOfWord;
  static constexpr int kRightPartId = ids::kRightPartOfWord;
  static constexpr int kCaseInsensitiveId = ids::kCaseInsensitive;

  explicit ExcludeOptionsDialog(QWidget *owner = nullptr);

  job::DialogAnswer run();

  bool caseInsensitive = false;
  bool leftPartOfWord = false;
  bool rightPartOfWord = false;

  const DialogControls &controls() const { return controls_; }

public slots:
  void accept() override;
  void reject() override;

private:
  DialogControls controls_;
};

} // namespace snpln::ui
