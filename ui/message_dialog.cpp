#include "ui/message_dialog.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

#include "ui/byte_text.h"
#include "ui/elide_text.h"
#include "ui/translation.h"

namespace snpln::ui {

namespace {

// The line as far as it fits; a longer one loses its middle, so both the
// start and the end of a path stay readable. The whole text is the tip.
void showLine(QLabel *label, const QString &text) {
  if (!label)
    return;
  const QFontMetrics metrics(label->font());
  label->setText(elideToFit(text, metrics, label->width()));
  label->setToolTip(text);
}

} // namespace

MessageDialog::MessageDialog(const QString &line1, const QString &line2,
                             QWidget *owner)
    : QDialog(owner), line1_(line1), line2_(line2) {
  controls_ = buildDialog(*this, dialogTemplate(kMessageTemplate));
  widenFor(line2_);
  showLine(controls_.control<QLabel>(kLine1Id), line1_);
  showLine(controls_.control<QLabel>(kLine2Id), line2_);
  if (auto *ok = controls_.control<QPushButton>(kIdOk))
    connect(ok, &QPushButton::clicked, this, [this] { done(Accepted); });
}

MessageDialog::MessageDialog(const std::string &line1, const std::string &line2,
                             QWidget *owner)
    : MessageDialog(shownText(line1), shownText(line2), owner) {}

// A message longer than its line (a failure that names its place and
// character) widens the window, up to twice its width; the lines grow with
// it and OK stays in the middle. A path in the first line never widens it:
// it loses its middle instead.
void MessageDialog::widenFor(const QString &text) {
  auto *line = controls_.control<QLabel>(kLine2Id);
  if (!line)
    return;
  const QFontMetrics metrics(line->font());
  const int need = drawnWidth(metrics, text) + 2 * line->margin() +
                   metrics.averageCharWidth();
  const int extra = std::min(need - line->width(), width());
  if (extra <= 0)
    return;
  for (QWidget *control : controls_.all()) {
    const int id = control->property("controlId").toInt();
    if (id == kLine1Id || id == kLine2Id)
      control->resize(control->width() + extra, control->height());
    else
      control->move(control->x() + extra / 2, control->y());
  }
  setFixedSize(width() + extra, height());
}

job::DialogAnswer MessageDialog::run() {
  placeDialog(*this, dialogTemplate(kMessageTemplate).placement,
              parentWidget());
  return exec() == Accepted ? job::DialogAnswer::Ok : job::DialogAnswer::Cancel;
}

void MessageDialog::reject() { done(Rejected); }

void MessageDialog::closeEvent(QCloseEvent *event) {
  if (isVisible())
    done(Accepted);
  event->accept();
}

} // namespace snpln::ui
