#include "ui/run_progress_window.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "ui/elide_text.h"

namespace snpln::ui {

RunProgressWindow::RunProgressWindow(QWidget *owner) : QDialog(owner) {
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setModal(false);
  controls_ = buildDialog(*this, dialogTemplate(kProgressTemplate));
  if (auto *cancel = controls_.control<QPushButton>(kIdCancel)) {
    // Enter presses the focused button, which is CANCEL.
    cancel->setDefault(true);
    connect(cancel, &QPushButton::clicked, this,
            &RunProgressWindow::cancelRequested);
  }
  placeDialog(*this, dialogTemplate(kProgressTemplate).placement, owner);
}

void RunProgressWindow::showFile(const QString &title, const QString &name,
                                 int percent) {
  if (windowTitle() != title)
    setWindowTitle(title);
  if (name != name_) {
    name_ = name;
    if (auto *label = controls_.control<QLabel>(kNameId)) {
      // A long name loses its middle; the whole name is the tip.
      label->setText(
          elideToFit(name, QFontMetrics(label->font()), label->width()));
      label->setToolTip(name);
    }
  }
  if (percent != percent_) {
    percent_ = percent;
    if (auto *bar = controls_.control<QProgressBar>(kBarId))
      bar->setValue(percent);
  }
}

void RunProgressWindow::finish() {
  finished_ = true;
  hide();
}

void RunProgressWindow::reject() { emit cancelRequested(); }

void RunProgressWindow::done(int result) {
  if (finished_)
    QDialog::done(result);
  else
    emit cancelRequested();
}

void RunProgressWindow::closeEvent(QCloseEvent *event) {
  if (finished_) {
    event->accept();
    return;
  }
  event->ignore();
  emit cancelRequested();
}

} // namespace snpln::ui
