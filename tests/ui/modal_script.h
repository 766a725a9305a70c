// Answers the modal windows a test sets off, one after another: every new
// modal window is written to the log and handed to the test's answer, which
// runs on a later turn of the event loop so that it may open modal windows
// of its own. (A run's progress window is not modal: it is never answered.)
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <vector>

#include "ui/about_dialog.h"
#include "ui/exclude_options_dialog.h"
#include "ui/input_dialog.h"
#include "ui/message_dialog.h"
#include "ui/preview_dialog.h"
#include "ui/save_prompt_dialog.h"
#include "ui/save_refused_dialog.h"

namespace snpln::test {

// "message: line1 / line2", "prompt: text", "options", "preview",
// "save prompt: name", "refused save: reason", "about", "file dialog:
// title", or the class name.
inline QString describeModal(QWidget *w) {
  if (auto *m = qobject_cast<ui::MessageDialog *>(w))
    return QStringLiteral("message: ") + m->line1() + QStringLiteral(" / ") +
           m->line2();
  if (auto *p = qobject_cast<ui::InputDialog *>(w))
    return QStringLiteral("prompt: ") + p->prompt();
  if (qobject_cast<ui::ExcludeOptionsDialog *>(w))
    return QStringLiteral("options");
  if (qobject_cast<ui::PreviewDialog *>(w))
    return QStringLiteral("preview");
  if (auto *s = qobject_cast<ui::SavePromptDialog *>(w))
    return QStringLiteral("save prompt: ") + s->shownText();
  if (auto *r = qobject_cast<ui::SaveRefusedDialog *>(w))
    return QStringLiteral("refused save: ") + r->reason();
  if (qobject_cast<ui::AboutDialog *>(w))
    return QStringLiteral("about");
  if (qobject_cast<QFileDialog *>(w))
    return QStringLiteral("file dialog: ") + w->windowTitle();
  return QString::fromUtf8(w->metaObject()->className());
}

class ModalScript {
public:
  using Answer = std::function<void(QWidget *)>;

  explicit ModalScript(Answer answer) : answer_(std::move(answer)) {
    timer_.setInterval(1);
    QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
    timer_.start();
  }

  QStringList log;

private:
  void poll() {
    QWidget *top = QApplication::activeModalWidget();
    if (!top || !top->isVisible())
      return;
    for (const QPointer<QWidget> &s : seen_)
      if (s.data() == top)
        return;
    seen_.emplace_back(top);
    log << describeModal(top);
    QPointer<QWidget> target(top);
    QTimer::singleShot(0, top, [answer = answer_, target] {
      if (target)
        answer(target.data());
    });
  }

  Answer answer_;
  QTimer timer_;
  std::vector<QPointer<QWidget>> seen_;
};

// Presses the button of a dialog by its id.
inline void clickId(QWidget *dialog, int id) {
  if (auto *b = dialog->findChild<QAbstractButton *>(
          QStringLiteral("control%1").arg(id)))
    b->click();
}

} // namespace snpln::test
