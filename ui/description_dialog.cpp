#include "ui/description_dialog.h"

#include <QPushButton>

namespace snpln::ui {

DescriptionDialog::DescriptionDialog(QWidget *owner) : QDialog(owner) {
  controls_ = buildDialog(*this, dialogTemplate(kDescriptionTemplate));
  if (auto *ok = controls_.control<QPushButton>(kIdOk))
    connect(ok, &QPushButton::clicked, this, &DescriptionDialog::accept);
}

int DescriptionDialog::run() {
  placeDialog(*this, dialogTemplate(kDescriptionTemplate).placement,
              parentWidget());
  return exec();
}

} // namespace snpln::ui
