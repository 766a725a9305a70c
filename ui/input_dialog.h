// The one-line prompt (template 136): a prompt text over an edit, OK and
// CANCEL picture buttons, no caption. The edit opens with the value set
// beforehand, all of it selected, so typing replaces a preset answer.
// run() answers Ok for OK or Enter (the value is then the edit's text) and
// Cancel for CANCEL or Esc (the value stays as it was set).
#pragma once

#include <QDialog>
#include <QString>

#include "job/dialog_answer.h"
#include "ui/control_ids.h"
#include "ui/dialog_builder.h"

namespace snpln::ui {

class InputDialog : public QDialog {
  Q_OBJECT

public:
  static constexpr int kPromptId = ids::kPromptText;
  static constexpr int kValueId = ids::kPromptValue;

  explicit InputDialog(QWidget *owner = nullptr);

  // Shown at once.
  void setPrompt(const QString &prompt);
  QString prompt() const { return prompt_; }
  void setValue(const QString &value) { value_ = value; }
  QString value() const { return value_; }

  job::DialogAnswer run();

  const DialogControls &controls() const { return controls_; }

public slots:
  void accept() override;
  void reject() override;

private:
  QString prompt_;
  QString value_;
  DialogControls controls_;
};

} // namespace snpln::ui
