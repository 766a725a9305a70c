#include "ui/progress_dialog.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <utility>

#include "job/messages.h"
#include "ui/byte_text.h"
#include "ui/message_dialog.h"

namespace snpln::ui {

ProgressDialog::ProgressDialog(job::JobRequest request, QWidget *owner,
                               platform::FileSystem &fs)
    : QDialog(owner), job_(std::move(request), *this, fs) {
  controls_ = buildDialog(*this, dialogTemplate(kProgressTemplate));
  setWindowTitle(QString::fromUtf8(
      job::messages::operationTitle(job_.request().operation)));
  if (auto *name = controls_.control<QLabel>(kNameId))
    name->setText(fromBytes(job_.request().displayName));
  if (auto *cancel = controls_.control<QPushButton>(kIdCancel)) {
    // Enter presses the focused button, which is CANCEL.
    cancel->setDefault(true);
    connect(cancel, &QPushButton::clicked, this,
            [this] { job_.requestCancel(); });
  }
  timer_.setInterval(0);
  connect(&timer_, &QTimer::timeout, this, &ProgressDialog::tick);
}

ProgressDialog::~ProgressDialog() { timer_.stop(); }

job::JobResult ProgressDialog::run() {
  if (job_.ended())
    return job_.result();
  // The start-up runs while the window is still hidden; its messages open
  // over the owner.
  if (!job_.start())
    return job_.result();
  placeDialog(*this, dialogTemplate(kProgressTemplate).placement,
              parentWidget());
  running_ = true;
  timer_.start();
  exec();
  running_ = false;
  timer_.stop();
  return job_.result();
}

void ProgressDialog::tick() {
  if (job_.ended()) {
    timer_.stop();
    return;
  }
  ++tickDepth_;
  job_.tick();
  --tickDepth_;
  // Only the outermost tick closes the window, after the job's last message.
  if (tickDepth_ == 0 && job_.ended()) {
    timer_.stop();
    if (running_)
      QDialog::done(static_cast<int>(job_.result()));
  }
}

job::DialogAnswer ProgressDialog::showMessage(const std::string &line1,
                                              const std::string &line2) {
  // The timer rests while the message waits, so the job's busy guard is not
  // hammered by empty turns of the message's own event loop.
  const bool wasTicking = timer_.isActive();
  timer_.stop();
  MessageDialog message(line1, line2, isVisible() ? this : parentWidget());
  const job::DialogAnswer answer = message.run();
  if (wasTicking && !job_.ended())
    timer_.start();
  return answer;
}

void ProgressDialog::setProgress(int percent) {
  if (percent == progress_)
    return;
  progress_ = percent;
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
