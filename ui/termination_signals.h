// SIGTERM and SIGHUP end the window as its user would: a running job is
// cancelled (its file stays as it was, nothing is left behind), every open
// dialog is closed as with Esc, and then the main window, so that the
// program returns from its event loop and exits with 128 + the signal's
// number.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

namespace snpln::ui {

class TerminationSignals : public QObject {
public:
  // Catches SIGTERM and SIGHUP from now on (one instance per process).
  explicit TerminationSignals(QObject *parent = nullptr);
  ~TerminationSignals() override;

  // 0 until a signal arrived; then the exit status it asks for.
  int exitStatus() const { return status_; }

private:
  void arrived();
  void closeTopDialog();

  int fds_[2] = {-1, -1};
  QSocketNotifier *notifier_ = nullptr;
  QTimer closer_;
  int status_ = 0;
};

} // namespace snpln::ui
