#include "ui/run_progress_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
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
  plainSize_ = size();
  wait_ = new QLabel(this);
  wait_->setObjectName(QStringLiteral("waitLine"));
  wait_->setWordWrap(true);
  wait_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  wait_->hide();
  skip_ = new QPushButton(QCoreApplication::translate("snpln", "&Skip"), this);
  skip_->setObjectName(QStringLiteral("skipButton"));
  skip_->setAutoDefault(false);
  skip_->hide();
  connect(skip_, &QPushButton::clicked, this,
          &RunProgressWindow::skipRequested);
}

QString RunProgressWindow::waitText() const { return wait_->text(); }

void RunProgressWindow::showWait(const QString &text) {
  waitShown_ = true;
  wait_->setText(text);
  placeWait();
  wait_->show();
  skip_->show();
}

void RunProgressWindow::endWait() {
  if (!waitShown_)
    return;
  waitShown_ = false;
  wait_->hide();
  skip_->hide();
  setFixedSize(plainSize_);
}

// The wait line under the window's own controls, as wide as they are,
// and Skip under it, the window grown to hold both.
void RunProgressWindow::placeWait() {
  const int margin = fontMetrics().height() / 2;
  const int width = plainSize_.width() - 2 * margin;
  const QRect line = fontMetrics().boundingRect(
      QRect(0, 0, width, 10000), Qt::TextWordWrap | Qt::AlignLeft,
      wait_->text());
  wait_->setGeometry(margin, plainSize_.height(), width, line.height() + 2);
  const QSize button = skip_->sizeHint();
  const int buttonTop = wait_->geometry().bottom() + margin;
  skip_->setGeometry((plainSize_.width() - button.width()) / 2, buttonTop,
                     button.width(), button.height());
  setFixedSize(plainSize_.width(), buttonTop + button.height() + margin);
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
