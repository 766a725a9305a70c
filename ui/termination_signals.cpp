#include "ui/termination_signals.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>

#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace snpln::ui {

namespace {

int writeEnd = -1;

// Only what is safe in a handler: one byte, the signal's number, into the
// pipe the event loop watches.
extern "C" void onTerminationSignal(int signal) {
  const unsigned char byte = static_cast<unsigned char>(signal);
  if (writeEnd >= 0)
    (void)::write(writeEnd, &byte, 1);
}

// How often the open dialogs are asked to close once a signal arrived; a
// job's window closes only after its job has ended.
constexpr int kCloseIntervalMs = 10;

} // namespace

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent) {
  if (::pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0)
    return;
  writeEnd = fds_[1];
  notifier_ = new QSocketNotifier(fds_[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this,
          &TerminationSignals::arrived);
  closer_.setInterval(kCloseIntervalMs);
  connect(&closer_, &QTimer::timeout, this,
          &TerminationSignals::closeTopDialog);
  struct sigaction action {};
  action.sa_handler = onTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGTERM, SIGHUP})
    sigaction(signal, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGTERM, SIGHUP})
    sigaction(signal, &action, nullptr);
  writeEnd = -1;
  for (int fd : fds_)
    if (fd >= 0)
      ::close(fd);
}

void TerminationSignals::arrived() {
  unsigned char byte = 0;
  while (::read(fds_[0], &byte, 1) == 1)
    if (status_ == 0)
      status_ = 128 + byte;
  if (status_ != 0 && !closer_.isActive()) {
    closeTopDialog();
    closer_.start();
  }
}

// Esc to the topmost dialog: a job's window takes it as a cancel request, a
// message or a prompt closes, and last the main window itself.
void TerminationSignals::closeTopDialog() {
  QWidget *top = QApplication::activeModalWidget();
  if (auto *dialog = qobject_cast<QDialog *>(top)) {
    dialog->reject();
    return;
  }
  for (QWidget *w : QApplication::topLevelWidgets())
    if (auto *dialog = qobject_cast<QDialog *>(w); dialog && w->isVisible())
      dialog->reject();
}

} // namespace snpln::ui
