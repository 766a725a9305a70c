#include "ui/about_dialog.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include "snpln/version.h"
#include "ui/description_dialog.h"
#include "ui/translation.h"

namespace snpln::ui {

namespace {

constexpr const char *kNoAddress =
    QT_TRANSLATE_NOOP("snpln", "Licence text: the LICENSE file");

} // namespace

AboutDialog::AboutDialog(QWidget *owner) : QDialog(owner) {
  controls_ = buildDialog(*this, dialogTemplate(kAboutTemplate));
  // A build that names no address says where the licence's whole text is.
  if (auto *address = controls_.control<QLabel>(ids::kAboutAddress);
      address && !*SNPLN_HOMEPAGE)
    address->setText(uiText(kNoAddress));
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
