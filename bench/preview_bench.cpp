// Times the file preview opening a large file, offscreen: from the start of
// run() to the end of the text view's first paint, and the peak memory of
// the process by then. With --edit, then "&Edit" too: the time until the
// editor holds the text, and the longest the event loop went without a
// turn meanwhile (what the user feels as a frozen window).
//
//   preview_bench FILE [--edit]
//     Prints "seconds <s> peak_rss_kib <k> truncated <yes|no>", and with
//     --edit " edit_seconds <s> longest_turn_ms <ms>".
//
// Run with QT_QPA_PLATFORM=offscreen.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "ui/preview_dialog.h"

namespace {

using Clock = std::chrono::steady_clock;

long peakRssKib() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Notes the end of the first paint of the watched widget and closes the
// preview on the next turn.
class FirstPaint : public QObject {
public:
  explicit FirstPaint(snpln::ui::PreviewDialog &preview) : preview_(preview) {}
  Clock::time_point at{};
  bool seen = false;

protected:
  bool eventFilter(QObject *watched, QEvent *event) override {
    if (event->type() != QEvent::Paint || seen)
      return false;
    // The viewport of the text view (the editor or the fast view).
    auto *widget = qobject_cast<QWidget *>(watched);
    QWidget *view = widget ? widget->parentWidget() : nullptr;
    if (!view || !qobject_cast<QAbstractScrollArea *>(view) ||
        view->window() != &preview_ || !view->isVisible())
      return false;
    // Let the paint happen, then stop the clock.
    widget->removeEventFilter(this);
    const bool handled = static_cast<QObject *>(widget)->event(event);
    at = Clock::now();
    seen = true;
    QTimer::singleShot(0, &preview_, [this] {
      if (edit)
        startEdit();
      else
        preview_.reject();
    });
    return handled;
  }

public:
  bool edit = false;
  double editSeconds = 0;
  double longestTurnMs = 0;

private:
  // "&Edit", then a zero timer of our own: the gaps between its turns.
  void startEdit() {
    const Clock::time_point begin = Clock::now();
    preview_.pressEdit();
    auto *turns = new QTimer(&preview_);
    turns->setInterval(0);
    auto last = std::make_shared<Clock::time_point>(Clock::now());
    QObject::connect(turns, &QTimer::timeout, &preview_, [=, this] {
      const Clock::time_point now = Clock::now();
      longestTurnMs = std::max(
          longestTurnMs,
          std::chrono::duration<double, std::milli>(now - *last).count());
      *last = now;
      if (preview_.loading())
        return;
      editSeconds = std::chrono::duration<double>(now - begin).count();
      turns->stop();
      preview_.reject();
    });
    turns->start();
  }

  snpln::ui::PreviewDialog &preview_;
};

} // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: preview_bench FILE [--edit]\n");
    return 2;
  }
  snpln::ui::PreviewDialog preview(argv[1]);
  FirstPaint watcher(preview);
  watcher.edit = argc > 2 && std::string(argv[2]) == "--edit";
  // The viewport of the text view paints the text.
  app.installEventFilter(&watcher);
  const Clock::time_point start = Clock::now();
  preview.run();
  app.removeEventFilter(&watcher);
  if (!watcher.seen) {
    std::fprintf(stderr, "preview_bench: the preview never painted\n");
    return 1;
  }
  const double seconds =
      std::chrono::duration<double>(watcher.at - start).count();
  std::printf("seconds %.3f peak_rss_kib %ld truncated %s", seconds,
              peakRssKib(), preview.truncated() ? "yes" : "no");
  if (watcher.edit)
    std::printf(" edit_seconds %.3f longest_turn_ms %.1f", watcher.editSeconds,
                watcher.longestTurnMs);
  std::printf("\n");
  return 0;
}
