// Times the progress window running a recode (Dos to Win) over a real file,
// offscreen, and how fast it honours CANCEL.
//
//   progress_dialog_bench run FILE
//     Recodes FILE in place behind a ProgressDialog and prints
//     "seconds <s> result <n>": the time of the whole run, without the time
//     the final message stood open.
//   progress_dialog_bench cancel FILE PERCENT [button|esc]
//     Starts the same run and presses CANCEL (or Esc) once the bar shows
//     PERCENT (looked at every millisecond). Prints "latency_ms <ms> result <n>
//     unchanged <yes|no> temp_left <yes|no> progress <percent>": the time from
//     the press to the window's end, without the time the job's message
//     stood open; whether FILE still holds its bytes, and whether the job's
//     temporary file remains beside it.
//
// Every message the job shows is answered with Enter as soon as it opens.
// Run with QT_QPA_PLATFORM=offscreen.
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
#include <string>
#include <vector>

#include "job/file_job.h"
#include "job/job_request.h"
#include "ui/dialog_templates.h"
#include "ui/message_dialog.h"
#include "ui/progress_dialog.h"

namespace {

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
  Clock::time_point firstShown{};
  int shown = 0;

protected:
  bool eventFilter(QObject *watched, QEvent *event) override {
    if (event->type() == QEvent::Show) {
      if (auto *message = qobject_cast<snpln::ui::MessageDialog *>(watched)) {
        const Clock::time_point at = Clock::now();
        if (shown++ == 0)
          firstShown = at;
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

snpln::job::JobRequest recodeRequest(const std::string &path) {
  snpln::job::JobRequest request;
  request.operation = snpln::job::OperationCode::RecodeToWin;
  request.location = path;
  request.lastJob = 1; // its success message shows, as after a single file
  request.sourceCodePage = snpln::engine::CodePage::Dos;
  request.targetCodePage = snpln::engine::CodePage::Win;
  request.displayName = snpln::job::displayNameOf(path);
  return request;
}

int usage() {
  std::fprintf(stderr, "usage: progress_dialog_bench run FILE\n"
                       "       progress_dialog_bench cancel FILE PERCENT "
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
  // The job's temporary file lies in the working directory.
  std::filesystem::current_path(file.parent_path());
  const std::string path = file.filename().string();

  MessageAnswerer answerer;
  app.installEventFilter(&answerer);

  if (mode == QLatin1String("run")) {
    snpln::ui::ProgressDialog dialog(recodeRequest(path));
    const Clock::time_point start = Clock::now();
    const snpln::job::JobResult result = dialog.run();
    const double total = millisecondsBetween(start, Clock::now());
    std::printf("seconds %.3f result %d\n",
                (total - answerer.openMilliseconds) / 1000.0,
                static_cast<int>(result));
    return result == snpln::job::JobResult::Done ? 0 : 1;
  }

  if (mode != QLatin1String("cancel") || args.size() < 4)
    return usage();
  const int atPercent = args[3].toInt();
  const bool byEsc = args.size() > 4 && args[4] == QLatin1String("esc");
  const std::uint64_t before = checksumOf(path);

  snpln::ui::ProgressDialog dialog(recodeRequest(path));
  Clock::time_point pressed{};
  int progressAtPress = -1;
  QTimer watch;
  watch.setInterval(1);
  QObject::connect(&watch, &QTimer::timeout, &dialog, [&] {
    if (dialog.progress() < atPercent)
      return;
    watch.stop();
    progressAtPress = dialog.progress();
    pressed = Clock::now();
    if (byEsc) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
      QKeyEvent release(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
      QCoreApplication::sendEvent(&dialog, &press);
      QCoreApplication::sendEvent(&dialog, &release);
    } else if (auto *cancel = dialog.controls().control<QPushButton>(
                   snpln::ui::kIdCancel)) {
      cancel->click();
    }
  });
  watch.start();
  const snpln::job::JobResult result = dialog.run();
  const Clock::time_point ended = Clock::now();

  const bool wasPressed = progressAtPress >= 0;
  const double latency = wasPressed ? millisecondsBetween(pressed, ended) -
                                          answerer.openMilliseconds
                                    : -1;
  const bool unchanged = checksumOf(path) == before;
  bool tempLeft = false;
  for (const auto &entry :
       std::filesystem::directory_iterator(std::filesystem::current_path()))
    if (snpln::platform::isTemporaryName(entry.path().filename().string()))
      tempLeft = true;
  std::printf("latency_ms %.2f result %d unchanged %s temp_left %s progress "
              "%d\n",
              latency, static_cast<int>(result), unchanged ? "yes" : "no",
              tempLeft ? "yes" : "no", progressAtPress);
  // Pressed in time: the job stopped, its file untouched, nothing left over.
  const bool ok = wasPressed && result == snpln::job::JobResult::Stop &&
                  unchanged && !tempLeft;
  return ok ? 0 : 1;
}
