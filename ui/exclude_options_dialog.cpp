#include "ui/exclude_options_dialog.h"

#include <QAbstractButton>
#include <QPushButton>

namespace snpln::ui {

namespace {

void setBox(const DialogControls &controls, int id, bool flag) {
  if (auto *box = controls.control<QAbstractButton>(id))
    box->setChecked(flag);
}

bool boxFlag(const DialogControls &controls, int id) {
  auto *box = controls.control<QAbstractButton>(id);
  return box && box->isChecked();
}

} // namespace

ExcludeOptionsDialog::ExcludeOptionsDialog(QWidget *owner) : QDialog(owner) {
  controls_ = buildDialog(*this, dialogTemplate(kExcludeOptionsTemplate));
  if (auto *ok = controls_.control<QPushButton>(kIdOk))
    connect(ok, &QPushButton::clicked, this, &ExcludeOptionsDialog::accept);
  if (auto *cancel = controls_.control<QPushButton>(kIdCancel))
    connect(cancel, &QPushButton::clicked, this, &ExcludeOptionsDialog::reject);
}

job::DialogAnswer ExcludeOptionsDialog::run() {
  setBox(controls_, kCaseInsensitiveId, caseInsensitive);
  setBox(controls_, kLeftPartId, leftPartOfWord);
  setBox(controls_, kRightPartId, rightPartOfWord);
  placeDialog(*this, dialogTemplate(kExcludeOptionsTemplate).placement,
              parentWidget());
  return exec() == Accepted ? job::DialogAnswer::Ok : job::DialogAnswer::Cancel;
}

void ExcludeOptionsDialog::accept() {
  caseInsensitive = boxFlag(controls_, kCaseInsensitiveId);
  leftPartOfWord = boxFlag(controls_, kLeftPartId);
  rightPartOfWord = boxFlag(controls_, kRightPartId);
  done(Accepted);
}

void ExcludeOptionsDialog::reject() { done(Rejected); }

} // namespace snpln::ui
