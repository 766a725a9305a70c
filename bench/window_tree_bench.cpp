// Times the main window converting a directory tree to upper case,
// offscreen, as a user would run it: the window shown, UCASE and DO IT
// pressed, every message answered with OK as soon as it opens.
//
//   window_tree_bench DIR
//     Prints "seconds <s> progress_windows <n> messages <m>": the time of
//     the run without the time its messages stood open, how many progress
//     windows were shown and how many messages.
//
// Run with QT_QPA_PLATFORM=offscreen and a settings home of its own.
#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <string>

#include "ui/main_window.h"
#include "ui/message_dialog.h"
#include "ui/progress_dialog.h"

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
    if (qobject_cast<snpln::ui::ProgressDialog *>(watched))
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
  if (argc < 2) {
    std::fprintf(stderr, "usage: window_tree_bench DIR\n");
    return 2;
  }
  snpln::ui::MainWindow window('"' + std::string(argv[1]) + '"');
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
  return 0;
}
