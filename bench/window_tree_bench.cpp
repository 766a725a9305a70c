// Times the main window converting a directory tree to upper case,
// offscreen, as a user would run it: the window shown, UCASE and DO IT
// pressed, every message answered with OK as soon as it opens.
//
//   window_tree_bench [-j N] DIR
//     Prints "seconds <s> progress_windows <n> messages <m>": the time of
//     the run without the time its messages stood open, how many progress
//     windows were shown and how many messages. -j: the jobs of a pass that
//     run at once (the window's default: one per core), as snpln-cli -j.
//     Exits with 1 when the run said more than its closing message (a file
//     failed).
//
// Run with QT_QPA_PLATFORM=offscreen and a settings home of its own.
#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ui/main_window.h"
#include "ui/message_dialog.h"
#include "ui/run_progress_window.h"

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsBetween(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

// Closes every message with OK on the turn after it shows and adds up the
// time it stood open; counts the progress windows shown.
class Watcher : public QObject {
public:
  double openMilliseconds = 0;
  int messages = 0;
  int progressWindows = 0;

protected:
  bool eventFilter(QObject *watched, QEvent *event) override {
    if (event->type() != QEvent::Show)
      return false;
    if (qobject_cast<snpln::ui::RunProgressWindow *>(watched))
      ++progressWindows;
    if (auto *message = qobject_cast<snpln::ui::MessageDialog *>(watched)) {
      ++messages;
      const Clock::time_point at = Clock::now();
      QTimer::singleShot(0, message, [this, message, at] {
        openMilliseconds += millisecondsBetween(at, Clock::now());
        message->done(QDialog::Accepted);
      });
    }
    return false;
  }
};

} // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  snpln::ui::MainWindowOptions options;
  int at = 1;
  if (argc == 4 && std::string(argv[1]) == "-j") {
    options.workers = std::atoi(argv[2]);
    at = 3;
  }
  if (argc != at + 1 || options.workers < 0) {
    std::fprintf(stderr, "usage: window_tree_bench [-j N] DIR\n");
    return 2;
  }
  snpln::ui::MainWindow window('"' + std::string(argv[at]) + '"', options);
  window.show();
  Watcher watcher;
  app.installEventFilter(&watcher);
  QTimer::singleShot(0, &window, [&] {
    window.pressModeButton(snpln::batch::ModeButton::UpperCase);
    const Clock::time_point start = Clock::now();
    window.doIt();
    const double total = millisecondsBetween(start, Clock::now());
    std::printf("seconds %.3f progress_windows %d messages %d\n",
                (total - watcher.openMilliseconds) / 1000.0,
                watcher.progressWindows, watcher.messages);
    window.reject();
  });
  window.exec();
  return watcher.messages == 1 ? 0 : 1;
}
