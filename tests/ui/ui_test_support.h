// Helpers for driving modal windows from a test: act on the next modal
// window once it is open, and press keys where the user would.
#pragma once

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <QByteArray>
#include <QString>

#include <QDir>

#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>

#include "batch/filter_history.h"
#include "platform/file_system.h"

namespace snpln::test {

// A window's settings, kept in memory.
class MemoryStore : public batch::SettingsStore {
public:
  std::string read(const std::string &name) override {
    auto it = values.find(name);
    return it == values.end() ? std::string() : it->second;
  }
  bool write(const std::string &name, const std::string &value) override {
    values[name] = value;
    return true;
  }
  std::map<std::string, std::string> values;
};

// Whether `dir` holds one of our temporary files.
inline bool holdsTemporaryFile(const QString &dir) {
  for (const QString &name :
       QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System))
    if (platform::isTemporaryName(name.toStdString()))
      return true;
  return false;
}

// Writes exactly `bytes` to the file at `path`.
inline void writeFile(const QString &path, const std::string &bytes) {
  std::ofstream out(path.toStdString(), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline void writeFile(const QString &path, const QByteArray &bytes) {
  writeFile(path, bytes.toStdString());
}
inline void writeFile(const QString &path, const char *text) {
  writeFile(path, std::string(text));
}

// The whole file, as a QByteArray so that a failed comparison prints both
// sides.
inline QByteArray readFile(const QString &path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return QByteArray::fromStdString(all.str());
}

// Calls `action` with the next modal window that opens on top of `below`
// (the current one by default), as soon as it is visible.
inline void onNextModal(std::function<void(QWidget *)> action,
                        QWidget *below = QApplication::activeModalWidget()) {
  auto *timer = new QTimer(qApp);
  timer->setInterval(1);
  QPointer<QWidget> under(below);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, under, action] {
    QWidget *top = QApplication::activeModalWidget();
    if (!top || top == under.data() || !top->isVisible())
      return;
    timer->stop();
    timer->deleteLater();
    action(top);
  });
  timer->start();
}

// Calls `until` on every turn of the event loop until it returns true.
inline void whilePolling(std::function<bool()> until) {
  auto *timer = new QTimer(qApp);
  timer->setInterval(0);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, until] {
    if (until()) {
      timer->stop();
      timer->deleteLater();
    }
  });
  timer->start();
}

// A key pressed in `window`: it goes to the window's focus widget.
inline void pressKey(QWidget *window, Qt::Key key) {
  QWidget *target = window->focusWidget() ? window->focusWidget() : window;
  QTest::keyClick(target, key);
}

} // namespace snpln::test
