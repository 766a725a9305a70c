#include "ui/progress_dialog.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <chrono>
#include <utility>

#include "ui/byte_text.h"
#include "ui/elide_text.h"
#include "ui/message_dialog.h"
#include "ui/translation.h"

namespace snpln::ui {

namespace {

// How often the window's timer tries the lock of a file another run holds.
constexpr int kLockRetryMs =
    static_cast<int>(std::chrono::milliseconds(job::kLockRetry).count());

} // namespace

ProgressDialog::ProgressDialog(job::JobRequest request, QWidget *owner,
                               platform::FileSystem &fs)
    : QDialog(owner), job_(std::move(request), *this, fs) {
  setWindowTitle(shown(i18n::operationTitle(job_.request().operation)));
  // The frame as the template has it; the controls come with build(). The
  // close box is CANCEL.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  timer_.setInterval(0);
  connect(&timer_, &QTimer::timeout, this, &ProgressDialog::tick);
}

void ProgressDialog::build() {
  if (built_)
    return;
  built_ = true;
  const QString title = windowTitle();
  controls_ = buildDialog(*this, dialogTemplate(kProgressTemplate));
  setWindowTitle(title);
  if (auto *name = controls_.control<QLabel>(kNameId)) {
    // A long name loses its middle; the whole name is the tip.
    const QString whole = fromBytes(job_.request().displayName);
    name->setText(elideToFit(whole, QFontMetrics(name->font()), name->width()));
    name->setToolTip(whole);
  }
  if (auto *bar = controls_.control<QProgressBar>(kBarId))
    bar->setValue(progress_);
  if (auto *cancel = controls_.control<QPushButton>(kIdCancel)) {
    // Enter presses the focused button, which is CANCEL.
    cancel->setDefault(true);
    connect(cancel, &QPushButton::clicked, this,
            [this] { job_.requestCancel(); });
  }
}

const DialogControls &ProgressDialog::controls() {
  build();
  return controls_;
}

ProgressDialog::~ProgressDialog() { timer_.stop(); }

job::JobResult ProgressDialog::run() {
  if (job_.ended())
    return job_.result();
  // The start-up runs while the window is still hidden; its messages open
  // over the owner.
  if (!job_.start())
    return job_.result();
  running_ = true;
  if (showDelayMs_ > 0) {
    // Without the window first: most jobs of a tree end here.
    hiddenPhase_ = true;
    QCoreApplication::instance()->installEventFilter(this);
    const qint64 started = clock_->now();
    // A job that waits for a file another run holds shows its window (and
    // its CANCEL) at once.
    while (!job_.ended() && !job_.waitingForLock() &&
           clock_->now() - started < showDelayMs_) {
      tick();
      // A turn of the event loop every few milliseconds, across the jobs of
      // a run: windows paint and Esc is heard, and a tree of small files
      // does not pay a turn per file.
      if (!job_.ended() && clock_->turnDue()) {
        QCoreApplication::processEvents();
        clock_->turned();
      }
    }
    QCoreApplication::instance()->removeEventFilter(this);
    hiddenPhase_ = false;
  }
  if (!job_.ended()) {
    build();
    placeDialog(*this, dialogTemplate(kProgressTemplate).placement,
                parentWidget());
    timer_.setInterval(job_.waitingForLock() ? kLockRetryMs : 0);
    timer_.start();
    exec();
  }
  running_ = false;
  timer_.stop();
  return job_.result();
}

bool ProgressDialog::eventFilter(QObject *watched, QEvent *event) {
  if (!hiddenPhase_ || messageOpen_)
    return QDialog::eventFilter(watched, event);
  switch (event->type()) {
  case QEvent::KeyPress:
    if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
      job_.requestCancel();
    return true;
  case QEvent::KeyRelease:
  case QEvent::ShortcutOverride:
  case QEvent::Shortcut:
  case QEvent::MouseButtonPress:
  case QEvent::MouseButtonRelease:
  case QEvent::MouseButtonDblClick:
  case QEvent::MouseMove:
  case QEvent::Wheel:
  case QEvent::ContextMenu:
  case QEvent::TouchBegin:
  case QEvent::TouchUpdate:
  case QEvent::TouchEnd:
  case QEvent::DragEnter:
  case QEvent::DragMove:
  case QEvent::Drop:
    return true;
  default:
    return QDialog::eventFilter(watched, event);
  }
}

void ProgressDialog::tick() {
  if (job_.ended()) {
    timer_.stop();
    return;
  }
  ++tickDepth_;
  job_.tick();
  --tickDepth_;
  // While the file is held by another run, the tries are spaced out.
  timer_.setInterval(job_.waitingForLock() ? kLockRetryMs : 0);
  // Only the outermost tick closes the window, after the job's last message.
  if (tickDepth_ == 0 && job_.ended()) {
    timer_.stop();
    if (running_ && !hiddenPhase_)
      QDialog::done(static_cast<int>(job_.result()));
  }
}

job::DialogAnswer ProgressDialog::showReport(const job::JobReport &report) {
  // The timer rests while the message waits, so the job's busy guard is not
  // hammered by empty turns of the message's own event loop.
  const bool wasTicking = timer_.isActive();
  timer_.stop();
  const i18n::Lines lines = i18n::reportLines(report);
  MessageDialog message(shown(lines.line1), shown(lines.line2),
                        isVisible() ? this : parentWidget());
  messageOpen_ = true; // the message takes input as usual
  const job::DialogAnswer answer = message.run();
  messageOpen_ = false;
  if (wasTicking && !job_.ended())
    timer_.start();
  return answer;
}

void ProgressDialog::setProgress(int percent) {
  if (percent == progress_)
    return;
  progress_ = percent;
  if (!built_)
    return;
  if (auto *bar = controls_.control<QProgressBar>(kBarId))
    bar->setValue(percent);
}

void ProgressDialog::drainTimerMessages() {
  // The timer's turns do not pile up in the queue; what is left to drop is a
  // turn already posted to it, and every turn once the job has ended.
  QCoreApplication::removePostedEvents(&timer_, QEvent::Timer);
  if (job_.ended())
    timer_.stop();
}

void ProgressDialog::reject() { job_.requestCancel(); }

void ProgressDialog::done(int result) {
  if (!job_.ended()) {
    job_.requestCancel();
    return;
  }
  QDialog::done(result);
}

} // namespace snpln::ui
