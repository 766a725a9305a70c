#include "ui/about_dialog.h"

#include <QMouseEvent>
#include <QPushButton>

#include "ui/description_dialog.h"

namespace snpln::ui {

AboutDialog::AboutDialog(QWidget *owner) : QDialog(owner) {
  controls_ = buildDialog(*this, dialogTemplate(kAboutTemplate));
  if (auto *ok = controls_.control<QPushButton>(kIdOk))
    connect(ok, &QPushButton::clicked, this, &AboutDialog::accept);
}

int AboutDialog::run() {
  placeDialog(*this, dialogTemplate(kAboutTemplate).placement, parentWidget());
  return exec();
}

void AboutDialog::mousePressEvent(QMouseEvent *event) {
  // The labels, the icon and the picture let presses through to the box;
  // the OK button keeps its own.
  if (event->button() == Qt::LeftButton) {
    ++descriptionsOpened_;
    DescriptionDialog description(this);
    description.run();
  }
  QDialog::mousePressEvent(event);
}

} // namespace snpln::ui
