#include "ui/exclude_options_dialog.h"

#include <QAbstractButton>
#include <QPushButton>

namespace snpln::ui {

namespace {

void setBox(const DialogControls &controls, int id, int flag) {
  if (auto *box = controls.control<QAbstractButton>(id))
    box->setChecked(flag != 0);
}

int boxFlag(const DialogControls &controls, int id) {
  auto *box = controls.control<QAbstractButton>(id);
  return box && box->isChecked() ? 1 : 0;
}

} // namespace

ExcludeOptionsDialog::ExcludeOptionsDialog(QWidget *owner) : QDialog(owner) {
  controls_ = buildDialog(*this, dialogTemplate(kExcludeOptionsTemplate));
  if (auto *ok = controls_.control<QPushButton>(kIdOk))
    connect(ok, &QPushButton::clicked, this, &ExcludeOptionsDialog::accept);
  if (auto *cancel = controls_.control<QPushButton>(kIdCancel))
    connect(cancel, &QPushButton::clicked, this, &ExcludeOptionsDialog::reject);
}

int ExcludeOptionsDialog::run() {
  setBox(controls_, kCaseInsensitiveId, caseInsensitive);
  setBox(controls_, kLeftPartId, leftPartOfWord);
  setBox(controls_, kRightPartId, rightPartOfWord);
  placeDialog(*this, dialogTemplate(kExcludeOptionsTemplate).placement,
              parentWidget());
  return exec() == kIdOk ? kIdOk : kIdCancel;
}

void ExcludeOptionsDialog::accept() {
  caseInsensitive = boxFlag(controls_, kCaseInsensitiveId);
  leftPartOfWord = boxFlag(controls_, kLeftPartId);
  rightPartOfWord = boxFlag(controls_, kRightPartId);
  done(kIdOk);
}

void ExcludeOptionsDialog::reject() { done(kIdCancel); }

} // namespace snpln::ui
