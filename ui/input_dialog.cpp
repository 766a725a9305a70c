#include "ui/input_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace snpln::ui {

InputDialog::InputDialog(QWidget *owner) : QDialog(owner) {
  controls_ = buildDialog(*this, dialogTemplate(kInputTemplate));
  if (auto *ok = controls_.control<QPushButton>(kIdOk))
    connect(ok, &QPushButton::clicked, this, &InputDialog::accept);
  if (auto *cancel = controls_.control<QPushButton>(kIdCancel))
    connect(cancel, &QPushButton::clicked, this, &InputDialog::reject);
}

void InputDialog::setPrompt(const QString &prompt) {
  prompt_ = prompt;
  if (auto *label = controls_.control<QLabel>(kPromptId))
    label->setText(prompt_);
}

job::DialogAnswer InputDialog::run() {
  if (auto *edit = controls_.control<QLineEdit>(kValueId)) {
    edit->setText(value_);
    edit->selectAll();
    edit->setFocus();
  }
  placeDialog(*this, dialogTemplate(kInputTemplate).placement, parentWidget());
  return exec() == Accepted ? job::DialogAnswer::Ok : job::DialogAnswer::Cancel;
}

void InputDialog::accept() {
  if (auto *edit = controls_.control<QLineEdit>(kValueId))
    value_ = edit->text();
  done(Accepted);
}

void InputDialog::reject() { done(Rejected); }

} // namespace snpln::ui
