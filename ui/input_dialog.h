// The one-line prompt (template 136): a prompt text over an edit, OK and
// CANCEL picture buttons, no caption. The edit opens with the value set
// beforehand, all of it selected, so typing replaces a preset answer.
// run() answers 1 for OK or Enter (the value is then the edit's text) and 2
// for CANCEL or Esc (the value stays as it was set).
#pragma once

#include <QDialog>
#include <QString>

#include "ui/dialog_builder.h"

namespace snpln::ui {

class InputDialog : public QDialog {
  Q_OBJECT

public:
  static constexpr int kPromptId = 1036;
  static constexpr int kValueId = 1037;

  explicit InputDialog(QWidget *owner = nullptr);

  void setPrompt(const QString &prompt) { prompt_ = prompt; }
  QString prompt() const { return prompt_; }
  void setValue(const QString &value) { value_ = value; }
  QString value() const { return value_; }

  int run();

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
