// Times the main window recoding one real file (FROM DOS, TO WIN, DO IT),
// offscreen, and how fast its progress window honours CANCEL.
//
//   progress_window_bench run FILE
//     Recodes FILE in place through the window's run and prints
//     "seconds <s> result <n>": the time of the whole run, without the time
//     the final message stood open; the result is 7 when the file was
//     rewritten, 4 when the run was stopped, 0 otherwise.
//   progress_window_bench cancel FILE PERCENT [button|esc]
//     Starts the same run, its progress window shown from the first look
//     (looked at every millisecond), and presses CANCEL (or Esc in the
//     progress window) once the file is PERCENT done. Prints "latency_ms <ms>
//     result <n> unchanged <yes|no> temp_left <yes|no> progress <percent>":
//     the time from the press to the run's end, without the time the job's
//     message stood open; whether FILE still holds its bytes, and whether
//     the job's temporary file remains beside it.
//
// Every message is answered with Enter as soon as it opens. The filter
// history stays in memory. Run with QT_QPA_PLATFORM=offscreen.
#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "batch/filter_history.h"
#include "platform/file_system.h"
#include "ui/dialog_templates.h"
#include "ui/main_window.h"
#include "ui/message_dialog.h"
#include "ui/run_progress_window.h"
#include "ui/run_thread.h"

namespace {

using namespace snpln;
using Clock = std::chrono::steady_clock;

double millisecondsBetween(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

// FNV-1a over the whole file: enough to tell whether it changed.
std::uint64_t checksumOf(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> buffer(1 << 20);
  std::uint64_t hash = 1469598103934665603ULL;
  while (in) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    const std::streamsize got = in.gcount();
    for (std::streamsize i = 0; i < got; ++i) {
      hash ^= static_cast<unsigned char>(buffer[static_cast<std::size_t>(i)]);
      hash *= 1099511628211ULL;
    }
  }
  return hash;
}

// Answers every message window with Enter on the turn after it shows, and
// adds up the time the messages stood open.
class MessageAnswerer : public QObject {
public:
  double openMilliseconds = 0;

protected:
  bool eventFilter(QObject *watched, QEvent *event) override {
    if (event->type() == QEvent::Show) {
      if (auto *message = qobject_cast<ui::MessageDialog *>(watched)) {
        const Clock::time_point at = Clock::now();
        QTimer::singleShot(0, message, [this, message, at] {
          openMilliseconds += millisecondsBetween(at, Clock::now());
          QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
          QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
          QWidget *target = QApplication::activeModalWidget();
          if (target == nullptr)
            target = message;
          QCoreApplication::sendEvent(target, &press);
          QCoreApplication::sendEvent(target, &release);
          if (message->isVisible()) // Enter did not reach OK
            message->done(QDialog::Accepted);
        });
      }
    }
    return QObject::eventFilter(watched, event);
  }
};

// The filter history, in memory.
class MemoryStore : public batch::SettingsStore {
public:
  std::string read(const std::string &name) override { return values_[name]; }
  bool write(const std::string &name, const std::string &value) override {
    values_[name] = value;
    return true;
  }

private:
  std::map<std::string, std::string> values_;
};

// The main window, keeping its run's outcome.
class Window : public ui::MainWindow {
public:
  using MainWindow::MainWindow;
  batch::RunOutcome outcome;
  batch::RunOutcome runPlan(batch::RunPlan &plan, platform::FileSystem &fs,
                            const batch::WalkHooks &walkHooks) override {
    outcome = MainWindow::runPlan(plan, fs, walkHooks);
    return outcome;
  }
  // 7: the file rewritten; 4: the run stopped; 0: anything else.
  int result() const {
    if (outcome.stopped > 0)
      return 4;
    return outcome.succeeded == 1 && outcome.failed == 0 ? 7 : 0;
  }
};

int usage() {
  std::fprintf(stderr, "usage: progress_window_bench run FILE\n"
                       "       progress_window_bench cancel FILE PERCENT "
                       "[button|esc]\n");
  return 2;
}

} // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const QStringList args = QApplication::arguments();
  if (args.size() < 3)
    return usage();
  const QString mode = args[1];
  const std::filesystem::path file =
      std::filesystem::absolute(args[2].toStdString());
  std::filesystem::current_path(file.parent_path());
  const std::string path = file.filename().string();
  const bool cancel = mode == QLatin1String("cancel");
  if (!cancel && mode != QLatin1String("run"))
    return usage();
  if (cancel && args.size() < 4)
    return usage();
  const int atPercent = cancel ? args[3].toInt() : 0;
  const bool byEsc = args.size() > 4 && args[4] == QLatin1String("esc");
  const std::uint64_t before = cancel ? checksumOf(path) : 0;

  MemoryStore store;
  ui::MainWindowOptions options;
  options.settings = &store;
  // CANCEL needs the window: shown at the first look.
  if (cancel)
    options.progressDelayMs = 0;
  Window window('"' + path + '"', options);
  window.show();
  MessageAnswerer answerer;
  app.installEventFilter(&answerer);

  Clock::time_point pressed{};
  int progressAtPress = -1;
  QTimer watch;
  watch.setInterval(1);
  QObject::connect(&watch, &QTimer::timeout, &window, [&] {
    ui::RunThread *run = window.currentRun();
    if (!run)
      return;
    // The window looks at its files every millisecond here, not only on
    // its own timer: the file may be a tenth done before that fires.
    run->look();
    ui::RunProgressWindow *progress = run->progressWindow();
    if (!progress || !progress->isVisible())
      return;
    const std::optional<ui::RunningFile> largest =
        run->runningFiles().largest();
    if (!largest || largest->percent < atPercent)
      return;
    watch.stop();
    progressAtPress = largest->percent;
    pressed = Clock::now();
    if (byEsc) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
      QKeyEvent release(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
      QCoreApplication::sendEvent(progress, &press);
      QCoreApplication::sendEvent(progress, &release);
    } else if (auto *button =
                   progress->controls().control<QPushButton>(ui::kIdCancel)) {
      button->click();
    }
  });

  double total = 0;
  QTimer::singleShot(0, &window, [&] {
    window.pressModeButton(batch::ModeButton::FromDos);
    window.pressModeButton(batch::ModeButton::ToWin);
    if (cancel)
      watch.start();
    const Clock::time_point start = Clock::now();
    window.doIt();
    const Clock::time_point ended = Clock::now();
    total = cancel ? (progressAtPress >= 0 ? millisecondsBetween(pressed, ended)
                                           : -1)
                   : millisecondsBetween(start, ended);
    window.reject();
  });
  window.exec();

  const int result = window.result();
  if (!cancel) {
    std::printf("seconds %.3f result %d\n",
                (total - answerer.openMilliseconds) / 1000.0, result);
    return result == 7 ? 0 : 1;
  }
  const bool wasPressed = progressAtPress >= 0;
  const double latency = wasPressed ? total - answerer.openMilliseconds : -1;
  const bool unchanged = checksumOf(path) == before;
  bool tempLeft = false;
  for (const auto &entry :
       std::filesystem::directory_iterator(std::filesystem::current_path()))
    if (platform::isTemporaryName(entry.path().filename().string()))
      tempLeft = true;
  std::printf("latency_ms %.2f result %d unchanged %s temp_left %s progress "
              "%d\n",
              latency, result, unchanged ? "yes" : "no",
              tempLeft ? "yes" : "no", progressAtPress);
  // Pressed in time: the run stopped, the file untouched, nothing left over.
  const bool ok = wasPressed && result == 4 && unchanged && !tempLeft;
  return ok ? 0 : 1;
}
