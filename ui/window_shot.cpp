#include "ui/window_shot.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <QWidget>

namespace snpln::ui {

bool screenShowsFrames() {
  return QGuiApplication::platformName() == QLatin1String("xcb");
}

bool waitUntilShown(QWidget &window, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  auto ready = [&window] {
    if (!window.isVisible())
      return false;
    // A window manager puts its frame around the window once it maps it.
    return !screenShowsFrames() || window.frameGeometry() != window.geometry();
  };
  while (!ready() && clock.elapsed() < timeoutMs) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(10);
  }
  // The first paints of the window and its frame.
  const qint64 settled = clock.elapsed() + 300;
  while (clock.elapsed() < settled) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(10);
  }
  return ready();
}

QImage windowShot(const std::vector<QWidget *> &windows) {
  if (windows.empty())
    return {};
  if (screenShowsFrames()) {
    QRect area;
    for (const QWidget *w : windows)
      area |= w->frameGeometry();
    QScreen *screen = windows.front()->screen();
    return screen
        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .toImage();
  }
  QWidget *first = windows.front();
  QImage image = first->grab().toImage();
  QPainter painter(&image);
  for (std::size_t i = 1; i < windows.size(); ++i)
    painter.drawPixmap(first->mapFromGlobal(windows[i]->pos()),
                       windows[i]->grab());
  return image;
}

} // namespace snpln::ui
