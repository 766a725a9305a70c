// The word and case options of exclusion and replacement (template 137):
// three check boxes drawn like push buttons, OK and CANCEL picture buttons,
// no caption. The boxes show the three flags when the window opens (all 0
// for a new dialog, so every question starts unchecked); run() answers 1
// for OK or Enter, with the flags then read from the boxes, and 2 for
// CANCEL or Esc, with the flags left alone.
#pragma once

#include <QDialog>

#include "ui/dialog_builder.h"

namespace snpln::ui {

class ExcludeOptionsDialog : public QDialog {
  Q_OBJECT

public:
  static constexpr int kLeftPartId = 1038;
  static constexpr int kRightPartId = 1039;
  static constexpr int kCaseInsensitiveId = 1040;

  explicit ExcludeOptionsDialog(QWidget *owner = nullptr);

  int run();

  int caseInsensitive = 0;
  int leftPartOfWord = 0;
  int rightPartOfWord = 0;

  const DialogControls &controls() const { return controls_; }

public slots:
  void accept() override;
  void reject() override;

private:
  DialogControls controls_;
};

} // namespace snpln::ui
