#include "ui/message_dialog.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

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
  showLine(controls_.control<QLabel>(kLine1Id), line1_);
  showLine(controls_.control<QLabel>(kLine2Id), line2_);
  if (auto *ok = controls_.control<QPushButton>(kIdOk))
    connect(ok, &QPushButton::clicked, this, [this] { done(Accepted); });
}

MessageDialog::MessageDialog(const std::string &line1, const std::string &line2,
                             QWidget *owner)
    : MessageDialog(shownText(line1), shownText(line2), owner) {}

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
