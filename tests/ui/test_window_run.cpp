// The window while its run goes on worker threads: a job's read is held at
// a gate the test opens, so the test looks at the window with the job in
// the middle of its file, on no clock but the one it sets. The window takes
// its events, every control but EXIT is disabled, one progress window
// shows the largest file in hand once it has run for the delay (never for
// a file that ends before), a file another run holds is waited for, and
// CANCEL, Enter and Esc in the progress window, its close box, Esc and
// EXIT stop the run with every file whole.
#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <csignal>
#include <map>
#include <memory>
#include <string>

#include "i18n/texts.h"
#include "job/file_run.h"
#include "tests/support/file_runs.h"
#include "tests/support/garbled_samples.h"
#include "tests/support/russian_samples.h"
#include "tests/ui/counting_file_system.h"
#include "tests/ui/modal_script.h"
#include "tests/ui/read_gate.h"
#include "tests/ui/ui_test_support.h"
#include "ui/control_ids.h"
#include "ui/main_window.h"
#include "ui/message_dialog.h"
#include "ui/picture_button.h"
#include "ui/run_progress_window.h"
#include "ui/run_thread.h"
#include "ui/running_files.h"
#include "ui/termination_signals.h"
#include "ui/translation.h"

using namespace snpln;
using namespace snpln::ui;
using snpln::test::CountingFileSystem;
using snpln::test::holdsTemporaryFile;
using snpln::test::MemoryStore;
using snpln::test::ModalScript;
using snpln::test::readFile;
using snpln::test::ReadGate;
using snpln::test::whilePolling;
using snpln::test::writeFile;

namespace {

QByteArray randomLetters(int size) {
  QByteArray text(size, '\0');
  auto *random = QRandomGenerator::global();
  for (char &c : text)
    c = static_cast<char>('a' + random->bounded(26));
  return text;
}

// The controls a user works with, and which of them are enabled, EXIT
// apart ("DOIT SCASE ..." of those enabled).
QStringList enabledControls(const MainWindow &w) {
  QStringList enabled;
  for (QWidget *c : w.controls().all()) {
    const bool works =
        qobject_cast<QAbstractButton *>(c) || qobject_cast<QLineEdit *>(c) ||
        qobject_cast<QPlainTextEdit *>(c) || qobject_cast<QComboBox *>(c);
    if (works && c != w.pictureButton(ids::kExit) && c->isEnabled())
      enabled << c->objectName();
  }
  return enabled;
}

// The picture buttons that look as if they could be pressed, EXIT apart:
// neither their disabled picture nor a greyed one.
QStringList lookingEnabled(const MainWindow &w) {
  QStringList found;
  for (PictureButton *b : w.findChildren<PictureButton *>())
    if (b != w.pictureButton(ids::kExit) && !b->drawsGreyed() &&
        !b->currentPictureName().endsWith(QLatin1Char('X')))
      found << b->currentPictureName();
  return found;
}

// A window over real files in a fresh directory, its reads counted and
// held where the test says, its clock the test's.
struct Fixture {
  QTemporaryDir dir;
  QString previous = QDir::currentPath();
  CountingFileSystem fs;
  std::atomic<qint64> now{0};
  JobClock clock{[this] { return now.load(); }};
  MemoryStore store;
  Fixture() { QDir::setCurrent(dir.path()); }
  ~Fixture() { QDir::setCurrent(previous); }
  // Reads of 4 KiB at most, the one after `read` reads held at `gate`.
  void holdAtRead(ReadGate &gate, int read) {
    fs.maxRead = 4096;
    fs.beforeRead = [this, &gate, read] {
      if (fs.reads == read)
        gate.wait();
    };
  }
  MainWindowOptions options(int workers) {
    MainWindowOptions o;
    o.settings = &store;
    o.fileSystem = &fs;
    o.jobClock = &clock;
    o.workers = workers;
    return o;
  }
};

// Counts the progress windows shown anywhere in the application.
class ProgressWindowCounter : public QObject {
public:
  int shows = 0;
  ProgressWindowCounter() { qApp->installEventFilter(this); }
  ~ProgressWindowCounter() override { qApp->removeEventFilter(this); }
  bool eventFilter(QObject *watched, QEvent *event) override {
    if (event->type() == QEvent::Show &&
        qobject_cast<RunProgressWindow *>(watched))
      ++shows;
    return false;
  }
};

// Answers every message with OK, and logs it.
ModalScript answeringOk() {
  return ModalScript([](QWidget *dialog) {
    if (auto *message = qobject_cast<MessageDialog *>(dialog))
      message->done(QDialog::Accepted);
  });
}

// Russian prose, and the same read as Windows-1251 and saved as UTF-8.
constexpr const char kRussian[] =
    "Мороз и солнце; день чудесный! Ещё ты дремлешь, друг прелестный, "
    "пора, красавица, проснись: открой сомкнуты негой взоры.\n"
    "Вечор, ты помнишь, вьюга злилась, на мутном небе мгла носилась; луна, "
    "как бледное пятно, сквозь тучи мрачные желтела.\n";
QByteArray garbledRussian() {
  return QByteArray::fromStdString(
      test::garble(kRussian, test::chainOf({{engine::RepairPage::Utf8,
                                             engine::RepairPage::Win}}))
          .value());
}

} // namespace

class WindowRunTest : public QObject {
  Q_OBJECT

private slots:
  // The table the progress window reads: the largest file in hand (of two
  // of one size, the one started first), and whether one has run for the
  // delay.
  void runningFilesKnowTheLargest() {
    RunningFiles files;
    int a = 0, b = 0, c = 0;
    const auto file = [](const char *name, std::uint64_t size,
                         std::int64_t at) {
      RunningFile f;
      f.displayName = name;
      f.size = size;
      f.startedAt = at;
      return f;
    };
    QVERIFY(!files.largest());
    QVERIFY(!files.anyRunningFor(1000, 0));
    files.started(&a, file("a", 10, 0));
    files.started(&b, file("b", 30, 5));
    files.started(&c, file("c", 30, 7));
    files.progress(&b, 40);
    QCOMPARE(QString::fromStdString(files.largest()->displayName),
             QStringLiteral("b"));
    QCOMPARE(files.largest()->percent, 40);
    QVERIFY(!files.anyRunningFor(299, 300));
    QVERIFY(files.anyRunningFor(300, 300));
    files.ended(&b);
    QCOMPARE(QString::fromStdString(files.largest()->displayName),
             QStringLiteral("c"));
    files.ended(&a);
    QVERIFY(!files.anyRunningFor(306, 300));
    QVERIFY(files.anyRunningFor(307, 300));
    files.ended(&c);
    files.progress(&c, 50); // after its end: nothing
    QVERIFY(!files.largest());
    QCOMPARE(files.count(), std::size_t(0));
  }

  // The progress window: the operation's title as its caption,
  // "Progressing file" over the file's name, the percent on the bar, and a
  // close box (which asks for CANCEL).
  void progressWindowShowsTheFileUnderItsOperation_data() {
    QTest::addColumn<int>("operation");
    QTest::addColumn<QString>("title");
    QTest::newRow("0") << 0 << "Upper case";
    QTest::newRow("1") << 1 << "Recode to WIN";
    QTest::newRow("6") << 6 << "Smart case";
    QTest::newRow("10") << 10 << "Delete excessive";
    QTest::newRow("11") << 11 << "Detect coding";
    QTest::newRow("16") << 16 << "Repair";
  }
  void progressWindowShowsTheFileUnderItsOperation() {
    QFETCH(int, operation);
    QFETCH(QString, title);
    RunProgressWindow window;
    window.showFile(
        shown(i18n::operationTitle(static_cast<job::OperationCode>(operation))),
        QStringLiteral("a.txt"), 42);
    QCOMPARE(window.windowTitle(), title);
    QCOMPARE(window.controls()
                 .control<QLabel>(RunProgressWindow::kHeadingId)
                 ->text(),
             QStringLiteral("Progressing file"));
    QCOMPARE(
        window.controls().control<QLabel>(RunProgressWindow::kNameId)->text(),
        QStringLiteral("a.txt"));
    auto *bar =
        window.controls().control<QProgressBar>(RunProgressWindow::kBarId);
    QCOMPARE(bar->value(), 42);
    window.showFile(window.windowTitle(), QStringLiteral("a.txt"), 100);
    QCOMPARE(bar->value(), 100);
    QCOMPARE(window.percent(), 100);
    QVERIFY(window.windowFlags() & Qt::WindowCloseButtonHint);
  }

  // One file, held in the middle: the window looks at it with the clock
  // where the row says, then lets it run to its end on that clock. The
  // progress window shows once the file has run for the delay, and not a
  // millisecond before: a file that ends before the delay (most files of
  // a tree) never shows it, and is rewritten all the same.
  void progressWindowShowsOnlyForAFileStillRunningAtTheDelay_data() {
    QTest::addColumn<int>("delay"); // negative: the default
    QTest::addColumn<int>("clock");
    QTest::addColumn<int>("shows");
    QTest::newRow("a millisecond before the default delay")
        << -1 << RunThread::kDefaultShowDelayMs - 1 << 0;
    QTest::newRow("at the default delay")
        << -1 << RunThread::kDefaultShowDelayMs << 1;
    QTest::newRow("no delay") << 0 << 0 << 1;
    QTest::newRow("a millisecond before a long delay") << 5000 << 4999 << 0;
    QTest::newRow("past a long delay") << 5000 << 7000 << 1;
  }
  void progressWindowShowsOnlyForAFileStillRunningAtTheDelay() {
    QFETCH(int, delay);
    QFETCH(int, clock);
    QFETCH(int, shows);
    Fixture f;
    const QByteArray text = randomLetters(256 * 1024);
    writeFile("f.txt", text);
    ReadGate gate;
    f.holdAtRead(gate, 3);
    MainWindowOptions options = f.options(2);
    options.progressDelayMs = delay;
    MainWindow w("f.txt", options);
    w.pressModeButton(batch::ModeButton::UpperCase);
    ProgressWindowCounter counter;
    bool shownAtTheLook = false;
    whilePolling([&] {
      RunThread *run = w.currentRun();
      if (!run || !gate.waiting())
        return false;
      f.now = clock;
      run->look();
      shownAtTheLook =
          run->progressWindow() && run->progressWindow()->isVisible();
      gate.open();
      return true;
    });
    ModalScript script = answeringOk();
    w.doIt();
    QCOMPARE(shownAtTheLook, shows > 0);
    QCOMPARE(counter.shows, shows);
    QCOMPARE(script.log, QStringList{QStringLiteral(
                             "message: File(s) successfully converted / "
                             "with upper case")});
    QVERIFY(readFile("f.txt") == text.toUpper());
  }

  // The window's runs take their jobs' time from the clock it is given:
  // standing still, no progress window shows; a second per read, the
  // window shows while the job is in its file. The job's first read waits
  // until the window has shown, or until the window has looked at the job
  // several times.
  void mainWindowJobsGoByItsClock_data() {
    QTest::addColumn<int>("millisecondsPerRead");
    QTest::addColumn<int>("windowsShown");
    QTest::newRow("clock stands still") << 0 << 0;
    QTest::newRow("a second per read") << 1000 << 1;
  }
  void mainWindowJobsGoByItsClock() {
    QFETCH(int, millisecondsPerRead);
    QFETCH(int, windowsShown);
    Fixture f;
    const QByteArray text = QByteArray("main window\n").repeated(2000);
    writeFile("m.txt", text);
    f.fs.maxRead = engine::kSliceSize;
    ReadGate gate;
    std::atomic<bool> held{false};
    f.fs.beforeRead = [&] {
      f.now += millisecondsPerRead;
      if (!held.exchange(true))
        gate.wait();
    };
    MainWindow w("m.txt", f.options(1));
    ProgressWindowCounter counter;
    int looks = 0;
    QTimer looking;
    looking.setInterval(RunThread::kLookEveryMs);
    connect(&looking, &QTimer::timeout, [&] {
      if (gate.waiting() && ++looks >= 5)
        gate.open();
      if (counter.shows > 0)
        gate.open();
    });
    looking.start();
    ModalScript script = answeringOk();
    w.pressModeButton(batch::ModeButton::UpperCase);
    w.doIt();
    QCOMPARE(counter.shows, windowsShown);
    QCOMPARE(script.log,
             QStringList{QStringLiteral("message: File(s) successfully "
                                        "converted / with upper case")});
    QCOMPARE(readFile("m.txt"), text.toUpper());
  }

  // A file another of our runs holds (a run of its own, on a thread of the
  // test's, held at its first step) is waited for: CANCEL in the progress
  // window ends the wait with the file as the other run leaves it;
  // otherwise the window's run works on the other run's result once that
  // run is done.
  void aFileAnotherRunHoldsIsWaitedFor_data() {
    QTest::addColumn<bool>("cancel");
    QTest::newRow("CANCEL ends the wait") << true;
    QTest::newRow("the other run ends the wait") << false;
  }
  void aFileAnotherRunHoldsIsWaitedFor() {
    QFETCH(bool, cancel);
    Fixture f;
    writeFile("held.txt", "aBc");
    test::FileRequest upper;
    upper.location = std::string("held.txt");
    // The holder stops at its first step, holding the file, until `go`.
    std::mutex mutex;
    std::condition_variable changed;
    bool holding = false, go = false;
    job::JobControl control;
    control.progress = [&](int) {
      std::unique_lock<std::mutex> lock(mutex);
      if (holding)
        return;
      holding = true;
      changed.notify_all();
      changed.wait(lock, [&] { return go; });
    };
    const auto release = [&] {
      std::lock_guard<std::mutex> lock(mutex);
      go = true;
      changed.notify_all();
    };
    job::FileReport held;
    std::thread holder([&] {
      held = test::runRequest(upper, 8192, platform::realFileSystem(), control);
    });
    {
      std::unique_lock<std::mutex> lock(mutex);
      changed.wait(lock, [&] { return holding; });
    }

    MainWindow w("held.txt", f.options(2));
    w.pressModeButton(batch::ModeButton::LowerCase);
    bool shownWhileWaiting = false;
    whilePolling([&] {
      RunThread *run = w.currentRun();
      if (!run || f.fs.busyLocks == 0)
        return false;
      // The wait shows the progress window at once.
      if (cancel && !run->shownWait())
        return false;
      if (!cancel) {
        // The other run goes on and ends.
        release();
        return true;
      }
      f.now = RunThread::kDefaultShowDelayMs;
      run->look();
      RunProgressWindow *window = run->progressWindow();
      shownWhileWaiting = window && window->isVisible();
      if (window)
        QTest::mouseClick(window->controls().control(kIdCancel),
                          Qt::LeftButton);
      return true;
    });
    ModalScript script = answeringOk();
    w.doIt();
    QVERIFY(f.fs.busyLocks > 0);
    if (cancel) {
      QVERIFY(shownWhileWaiting);
      QCOMPARE(
          script.log,
          (QStringList{QStringLiteral("message: held.txt / Operation canceled"),
                       QStringLiteral("message: Operation canceled / Canceled: "
                                      "0 files done, 1 not touched")}));
      release();
    } else {
      QCOMPARE(script.log, QStringList{QStringLiteral(
                               "message: File(s) successfully converted / "
                               "with lower case")});
    }
    holder.join();
    QCOMPARE(held.result, job::JobResult::Done);
    QCOMPARE(readFile("held.txt"),
             cancel ? QByteArray("ABC") : QByteArray("abc"));
    QVERIFY(!holdsTemporaryFile(f.dir.path()));
  }

  // The job is held in the middle of its file: the window still handles a
  // posted call, has every control but EXIT disabled, and shows its one
  // progress window once the clock has passed the delay. Each way of
  // stopping only asks (the progress window stays until the run has
  // ended) and leaves the file whole, its mode kept, no temporary file,
  // the controls as they were and the focus on DOIT; EXIT also closes the
  // window, but only after the run.
  // A file another program holds (a flock taken by the test) waits alone:
  // the progress window comes at once with the wait line, the path below
  // the chosen folder, and Skip; the other files are done meanwhile
  // (one worker: before the held one is tried again). Skip leaves it as
  // it is and the totals count it; CANCEL ends the run with the counts.
  void aHeldFileWaitsWithSkipAndCancel_data() {
    QTest::addColumn<int>("workers");
    QTest::addColumn<bool>("skip");
    for (const int workers : {1, 3})
      for (const bool skip : {true, false})
        QTest::newRow(qPrintable(QStringLiteral("%1 workers, %2")
                                     .arg(workers)
                                     .arg(skip ? "Skip" : "CANCEL")))
            << workers << skip;
  }
  void aHeldFileWaitsWithSkipAndCancel() {
    QFETCH(int, workers);
    QFETCH(bool, skip);
    Fixture f;
    QVERIFY(QDir().mkpath("tree/d01"));
    QVERIFY(QDir().mkpath("tree/d02"));
    writeFile("tree/d01/f001.txt", "held\n");
    QStringList others;
    for (int i = 0; i < 10; ++i) {
      others << QStringLiteral("tree/d02/f%1.txt").arg(i);
      writeFile(others.last(), "text\n");
    }
    const int fd = ::open("tree/d01/f001.txt", O_RDONLY | O_CLOEXEC);
    QVERIFY(fd >= 0);
    QCOMPARE(::flock(fd, LOCK_EX), 0);
    MainWindow w("tree", f.options(workers));
    w.pressModeButton(batch::ModeButton::UpperCase);
    QString waitLine, status;
    bool skipShown = false;
    whilePolling([&] {
      RunThread *run = w.currentRun();
      if (!run || !run->shownWait())
        return false;
      // Every other file is rewritten before the wait is answered.
      for (const QString &name : others)
        if (readFile(name) != "TEXT\n")
          return false;
      RunProgressWindow *window = run->progressWindow();
      if (!window || !window->isVisible() || !window->waitShown())
        return false;
      run->look();
      waitLine = window->waitText();
      skipShown = window->skipButton()->isVisible();
      status = w.statusLabel()->text();
      if (skip)
        QTest::mouseClick(window->skipButton(), Qt::LeftButton);
      else
        QTest::mouseClick(window->controls().control(kIdCancel),
                          Qt::LeftButton);
      return true;
    });
    ModalScript script = answeringOk();
    w.doIt();
    ::close(fd);

    QCOMPARE(
        waitLine,
        QStringLiteral("Waiting for d01/f001.txt: in use by another program"));
    QVERIFY(skipShown);
    // The whole run counted once the walk has ended.
    QVERIFY2(status.startsWith(QStringLiteral("File 11 of 11: '")) ||
                 workers > 1,
             qPrintable(status));
    QVERIFY2(status.contains(QStringLiteral(" of 11")), qPrintable(status));
    QCOMPARE(readFile("tree/d01/f001.txt"), QByteArray("held\n"));
    for (const QString &name : others)
      QCOMPARE(readFile(name), QByteArray("TEXT\n"));
    if (skip)
      QCOMPARE(script.log,
               (QStringList{
                   QStringLiteral("message: tree / Processing this directory "
                                  "and its subdirectories is completed"),
                   QStringLiteral("message: Files converted: 10, "
                                  "unchanged: 0, failed: 0 / left as "
                                  "they were: 1")}));
    else
      QCOMPARE(script.log.last(),
               QStringLiteral("message: Operation canceled / Canceled: 10 "
                              "files done, 1 not touched"));
    QVERIFY(!holdsTemporaryFile(f.dir.filePath("tree/d01")));
    QVERIFY(!w.currentRun());
  }

  void windowLivesWhileAJobRuns_data() {
    QTest::addColumn<int>("workers");
    QTest::addColumn<QString>("how");
    for (const int workers : {1, 3})
      for (const char *how : {"CANCEL", "Enter", "Esc in the progress window",
                              "accept", "close box", "Esc", "EXIT"})
        QTest::addRow("%d workers, %s", workers, how)
            << workers << QString::fromLatin1(how);
  }
  void windowLivesWhileAJobRuns() {
    QFETCH(int, workers);
    QFETCH(QString, how);
    Fixture f;
    const QByteArray text = randomLetters(1 << 20);
    writeFile("big.txt", text);
    QFile::setPermissions("big.txt", QFile::ReadOwner | QFile::WriteOwner |
                                         QFile::ReadGroup);
    const QFile::Permissions before = QFile::permissions("big.txt");
    ReadGate gate;
    // The fourth read waits: the job is well into its file.
    f.holdAtRead(gate, 3);
    MainWindow w("big.txt", f.options(workers));
    QSignalSpy accepted(&w, &QDialog::accepted);
    w.pressModeButton(batch::ModeButton::UpperCase);
    const QStringList before_run = enabledControls(w);

    QStringList enabledDuringRun{QStringLiteral("not looked at")};
    QStringList lookEnabledDuringRun{QStringLiteral("not looked at")};
    bool latchedGreyed = false;
    bool exitEnabled = false, posted = false, postedWhileHeld = false;
    bool canceledWhileHeld = false, windowShownWhileHeld = false;
    int acceptedWhileHeld = -1;
    QString shownName, shownTitle;
    int stage = 0;
    whilePolling([&] {
      RunThread *run = w.currentRun();
      switch (stage) {
      case 0:
        if (!run || !gate.waiting())
          return false;
        enabledDuringRun = enabledControls(w);
        lookEnabledDuringRun = lookingEnabled(w);
        latchedGreyed =
            w.modeButton(batch::ModeButton::UpperCase)->drawsGreyed();
        exitEnabled = w.pictureButton(ids::kExit)->isEnabled();
        QTimer::singleShot(0, &w, [&] {
          posted = true;
          postedWhileHeld = gate.waiting();
        });
        f.now = RunThread::kDefaultShowDelayMs;
        stage = 1;
        return false;
      case 1: {
        RunProgressWindow *window = run->progressWindow();
        if (!posted || !window || !window->isVisible())
          return false;
        // The status line names the file in hand (drawn when the window
        // looks, not once per file).
        if (!w.statusLabel()->text().contains(QLatin1String("big.txt")))
          return false;
        shownName = window->shownName();
        shownTitle = window->windowTitle();
        if (how == QLatin1String("CANCEL"))
          QTest::mouseClick(window->controls().control(kIdCancel),
                            Qt::LeftButton);
        else if (how == QLatin1String("Enter"))
          QTest::keyClick(window, Qt::Key_Return);
        else if (how == QLatin1String("Esc in the progress window"))
          QTest::keyClick(window, Qt::Key_Escape);
        else if (how == QLatin1String("accept"))
          window->accept();
        else if (how == QLatin1String("close box"))
          window->close();
        else if (how == QLatin1String("Esc"))
          QTest::keyClick(&w, Qt::Key_Escape);
        else
          QTest::mouseClick(w.pictureButton(ids::kExit), Qt::LeftButton);
        // Asked, not yet done: the job is still held.
        canceledWhileHeld = run->canceled() && gate.waiting();
        windowShownWhileHeld = window->isVisible();
        acceptedWhileHeld = static_cast<int>(accepted.count());
        gate.open();
        return true;
      }
      }
      return true;
    });
    ModalScript script([](QWidget *dialog) {
      if (auto *message = qobject_cast<MessageDialog *>(dialog))
        message->done(QDialog::Accepted);
    });
    w.doIt();

    QCOMPARE(enabledDuringRun, QStringList());
    // Disabled, every picture button looks it; the latched UPPER greyed.
    QCOMPARE(lookEnabledDuringRun, QStringList());
    QVERIFY(latchedGreyed);
    QVERIFY(exitEnabled);
    QVERIFY(posted);
    QVERIFY(postedWhileHeld);
    QVERIFY(canceledWhileHeld);
    QVERIFY(windowShownWhileHeld);
    QCOMPARE(acceptedWhileHeld, 0);
    QCOMPARE(shownName, QStringLiteral("big.txt"));
    QCOMPARE(shownTitle, QStringLiteral("Upper case"));
    QStringList log{QStringLiteral("message: big.txt / Operation canceled")};
    // After the run the window says what the cancel left (EXIT closes it
    // without a word).
    if (how != QLatin1String("EXIT"))
      log << QStringLiteral("message: Operation canceled / Canceled: 0 files "
                            "done, 1 not touched");
    QCOMPARE(script.log, log);
    QVERIFY(readFile("big.txt") == text);
    QCOMPARE(QFile::permissions("big.txt"), before);
    QVERIFY(!holdsTemporaryFile(f.dir.path()));
    QCOMPARE(w.statusLabel()->text(), QStringLiteral("No action selected"));
    QVERIFY(!w.currentRun());
    // The controls as before the run (the selection reset aside).
    QCOMPARE(enabledControls(w).size(), before_run.size());
    QVERIFY(w.pictureButton(ids::kDoIt)->isEnabled());
    QCOMPARE(accepted.count(), how == QLatin1String("EXIT") ? 1 : 0);
  }

  // SIGTERM during a run (the window is built on POSIX systems only): the
  // run is cancelled, the job stops with its file whole, and the window
  // closes once the run has ended.
  void terminationSignalCancelsTheRunThenCloses() {
    Fixture f;
    const QByteArray text = randomLetters(1 << 20);
    writeFile("sig.txt", text);
    ReadGate gate;
    f.holdAtRead(gate, 3);
    TerminationSignals termination;
    MainWindow w("sig.txt", f.options(2));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.pressModeButton(batch::ModeButton::UpperCase);
    bool visibleWhileHeld = false;
    whilePolling([&] {
      RunThread *run = w.currentRun();
      if (!run || !gate.waiting())
        return false;
      if (!run->canceled()) {
        if (termination.exitStatus() == 0)
          ::raise(SIGTERM);
        return false;
      }
      visibleWhileHeld = w.isVisible();
      gate.open();
      return true;
    });
    ModalScript script([](QWidget *dialog) {
      if (auto *message = qobject_cast<MessageDialog *>(dialog))
        message->done(QDialog::Accepted);
    });
    w.doIt();
    QTRY_VERIFY_WITH_TIMEOUT(!w.isVisible(), 60000); // a hang guard only
    QVERIFY(visibleWhileHeld);
    QCOMPARE(termination.exitStatus(), 128 + SIGTERM);
    QVERIFY(readFile("sig.txt") == text);
    QVERIFY(!holdsTemporaryFile(f.dir.path()));
  }

  // Several files in hand at once: the window shows the largest, and when
  // it ends, the largest still running. Every file is rewritten as with
  // one worker.
  void progressWindowFollowsTheLargestRunningFile() {
    Fixture f;
    QVERIFY(QDir().mkdir("tree"));
    const QByteArray mid = randomLetters(96 * 1024);
    const QByteArray big = randomLetters(160 * 1024);
    writeFile("tree/a-mid.txt", mid);
    writeFile("tree/b-big.txt", big);
    for (int i = 0; i < 6; ++i)
      writeFile(QStringLiteral("tree/small%1.txt").arg(i), "small\n");
    f.fs.maxRead = 4096;
    ReadGate midGate, bigGate;
    std::atomic<int> midReads{0}, bigReads{0};
    f.fs.beforeReadOf = [&](const std::string &name) {
      if (name == "a-mid.txt" && ++midReads == 2)
        midGate.wait();
      if (name == "b-big.txt" && ++bigReads == 2)
        bigGate.wait();
    };
    MainWindow w("tree", f.options(3));
    w.pressModeButton(batch::ModeButton::UpperCase);
    QStringList shown;
    int stage = 0;
    whilePolling([&] {
      RunThread *run = w.currentRun();
      if (!run)
        return false;
      RunProgressWindow *window = run->progressWindow();
      switch (stage) {
      case 0:
        if (!midGate.waiting() || !bigGate.waiting())
          return false;
        f.now = RunThread::kDefaultShowDelayMs;
        stage = 1;
        return false;
      case 1:
        if (!window || !window->isVisible())
          return false;
        shown << window->shownName();
        bigGate.open();
        stage = 2;
        return false;
      case 2:
        if (window->shownName() == shown.last())
          return false;
        shown << window->shownName();
        midGate.open();
        return true;
      }
      return true;
    });
    ModalScript script([](QWidget *dialog) {
      if (auto *message = qobject_cast<MessageDialog *>(dialog))
        message->done(QDialog::Accepted);
    });
    w.doIt();
    QCOMPARE(shown, (QStringList{QStringLiteral("b-big.txt"),
                                 QStringLiteral("a-mid.txt")}));
    QCOMPARE(script.log,
             (QStringList{
                 QStringLiteral("message: tree / Processing this directory and "
                                "its subdirectories is completed"),
                 QStringLiteral("message: Files converted: 8, "
                                "unchanged: 0, failed: 0 / ")}));
    QVERIFY(readFile("tree/a-mid.txt") == mid.toUpper());
    QVERIFY(readFile("tree/b-big.txt") == big.toUpper());
    for (int i = 0; i < 6; ++i)
      QCOMPARE(readFile(QStringLiteral("tree/small%1.txt").arg(i)),
               QByteArray("SMALL\n"));
    QVERIFY(!holdsTemporaryFile(f.dir.filePath("tree")));
  }

  // Two files held in their commits, the wait for the disk during which a
  // job gives its compute turn back, with two workers: the window's runner
  // handed its jobs a control without the run's waitingForDisk, so they
  // kept both turns and no other file was worked on until the disk was
  // done (the window took 1.26x the command line's time on a tree). The
  // walk of the tree waits until both are held; its files are now read
  // and rewritten while they are.
  void regressionWindowJobsKeptTheirTurnWhileWaitingForTheDisk() {
    Fixture f;
    QVERIFY(QDir().mkdir("tree"));
    writeFile("held1.txt", "held one\n");
    writeFile("held2.txt", "held two\n");
    for (int i = 0; i < 4; ++i)
      writeFile(QStringLiteral("tree/other%1.txt").arg(i), "other\n");
    struct State {
      ReadGate held1, held2;
      std::atomic<int> otherReads{0}, otherReadsWhileHeld{0};
    };
    auto state = std::make_shared<State>();
    f.fs.beforeCommitOf = [state](const std::string &name) {
      if (name == "held1.txt")
        state->held1.wait();
      if (name == "held2.txt")
        state->held2.wait();
    };
    f.fs.beforeOpenDirectory = [state] {
      state->held1.waitForWaiter();
      state->held2.waitForWaiter();
    };
    f.fs.beforeReadOf = [state](const std::string &name) {
      if (name.rfind("other", 0) != 0)
        return;
      ++state->otherReads;
      if (state->held1.waiting() && state->held2.waiting())
        ++state->otherReadsWhileHeld;
    };
    MainWindow w("held1.txt held2.txt tree", f.options(2));
    w.pressModeButton(batch::ModeButton::UpperCase);
    QPointer<MainWindow> window(&w);
    whilePolling([state, window] {
      if (window && window->currentRun() && state->otherReads == 0)
        return false;
      state->held1.open();
      state->held2.open();
      return true;
    });
    ModalScript script([](QWidget *dialog) {
      if (auto *message = qobject_cast<MessageDialog *>(dialog))
        message->done(QDialog::Accepted);
    });
    w.doIt();
    QVERIFY2(state->otherReadsWhileHeld > 0,
             qPrintable(QStringLiteral("%1 reads of the tree's files, %2 of "
                                       "them while both commits were held")
                            .arg(state->otherReads.load())
                            .arg(state->otherReadsWhileHeld.load())));
    QCOMPARE(readFile("held1.txt"), QByteArray("HELD ONE\n"));
    QCOMPARE(readFile("held2.txt"), QByteArray("HELD TWO\n"));
    for (int i = 0; i < 4; ++i)
      QCOMPARE(readFile(QStringLiteral("tree/other%1.txt").arg(i)),
               QByteArray("OTHER\n"));
    QVERIFY(!holdsTemporaryFile(f.dir.path()));
    QVERIFY(!holdsTemporaryFile(f.dir.filePath("tree")));
  }

  // Repair through the window: a file of UTF-8 read as Windows-1251 (and
  // saved as UTF-8 again) comes back as the text it was, before the other
  // operations pressed with it; a clean file is left to the others.
  void repairButtonUndoesAWrongReading_data() {
    QTest::addColumn<QList<int>>("buttons");
    QTest::addColumn<bool>("garbled");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray text = kRussian;
    const QByteArray upper = QString::fromUtf8(text).toUpper().toUtf8();
    const auto b = [](batch::ModeButton button) {
      return static_cast<int>(button);
    };
    using M = batch::ModeButton;
    QTest::newRow("repair") << QList<int>{b(M::Repair)} << true << text;
    QTest::newRow("repair, then upper case")
        << QList<int>{b(M::UpperCase), b(M::Repair)} << true << upper;
    QTest::newRow("repair, then To WIN")
        << QList<int>{b(M::Repair), b(M::ToWin)} << true
        << QByteArray::fromStdString(
               test::encodeInPage(text.toStdString(), engine::CodePage::Win));
    QTest::newRow("clean text left alone")
        << QList<int>{b(M::Repair)} << false << text;
    QTest::newRow("clean text, upper case")
        << QList<int>{b(M::Repair), b(M::UpperCase)} << false << upper;
  }
  void repairButtonUndoesAWrongReading() {
    QFETCH(QList<int>, buttons);
    QFETCH(bool, garbled);
    QFETCH(QByteArray, expected);
    Fixture f;
    const QByteArray input = garbled ? garbledRussian() : QByteArray(kRussian);
    writeFile("a.txt", input);
    MainWindow w("a.txt", f.options(1));
    for (int button : buttons)
      w.pressModeButton(static_cast<batch::ModeButton>(button));
    ModalScript script = answeringOk();
    w.doIt();
    QCOMPARE(readFile("a.txt"), expected);
    QVERIFY(!holdsTemporaryFile(f.dir.path()));
  }

  // The choosers of the pages without a button: what is chosen there is
  // the run's source (as -f) or target (as -t), alone or with the other
  // row's buttons, and the file comes out in it.
  void pageChoosersReachTheRun_data() {
    QTest::addColumn<int>("source"); // CodePage, Auto: none chosen
    QTest::addColumn<int>("target");
    QTest::addColumn<QList<int>>("buttons");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");
    using engine::CodePage;
    using M = batch::ModeButton;
    const std::string text =
        std::string(kRussian) + "Їжак і єнот, Євген і Ірина.\n";
    const auto in = [&text](CodePage page) {
      return QByteArray::fromStdString(
          page == CodePage::Utf8 ? text : test::encodeInPage(text, page));
    };
    const auto b = [](M button) { return static_cast<int>(button); };
    const auto p = [](CodePage page) { return static_cast<int>(page); };
    QTest::newRow("to Mac Cyrillic from detected UTF-8")
        << p(CodePage::Auto) << p(CodePage::Mac) << QList<int>{}
        << in(CodePage::Utf8) << in(CodePage::Mac);
    QTest::newRow("from KOI8-U to UTF-8")
        << p(CodePage::KoiU) << p(CodePage::Auto) << QList<int>{b(M::ToUtf8)}
        << in(CodePage::KoiU) << in(CodePage::Utf8);
    QTest::newRow("from CP1125 to KOI8-U")
        << p(CodePage::Cp1125) << p(CodePage::KoiU) << QList<int>{}
        << in(CodePage::Cp1125) << in(CodePage::KoiU);
    QTest::newRow("from Windows-1251 to CP1125, then upper case")
        << p(CodePage::Auto) << p(CodePage::Cp1125)
        << QList<int>{b(M::FromWin), b(M::UpperCase)} << in(CodePage::Win)
        << QByteArray::fromStdString(test::encodeInPage(
               QString::fromStdString(text).toUpper().toStdString(),
               CodePage::Cp1125));
  }
  void pageChoosersReachTheRun() {
    QFETCH(int, source);
    QFETCH(int, target);
    QFETCH(QList<int>, buttons);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    Fixture f;
    writeFile("a.txt", input);
    MainWindow w("a.txt", f.options(1));
    for (int button : buttons)
      w.pressModeButton(static_cast<batch::ModeButton>(button));
    // Chosen as the user does: a line of the chooser's list activated.
    for (const auto &[row, page] : {std::pair{batch::PageRow::Source, source},
                                    std::pair{batch::PageRow::Target, target}})
      if (page != static_cast<int>(engine::CodePage::Auto)) {
        QComboBox *box = w.pageChooser(row);
        QVERIFY(box);
        const int index = box->findData(page);
        QVERIFY(index > 0);
        emit box->activated(index);
        QCOMPARE(box->currentIndex(), index);
      }
    ModalScript script = answeringOk();
    w.doIt();
    QCOMPARE(readFile("a.txt"), expected);
    // The run reset the selection, the choosers with it.
    QCOMPARE(w.pageChooser(batch::PageRow::Source)->currentIndex(), 0);
    QCOMPARE(w.pageChooser(batch::PageRow::Target)->currentIndex(), 0);
  }

  // A recoding that sends characters to a fill byte says so in its final
  // message, with the count.
  void finalMessageCountsTheFills() {
    Fixture f;
    // «Ёлки» — №5, 10 €… in Windows-1251: KOI8-R has no «, », —, №, €, ….
    const QByteArray input("\xAB\xA8\xEB\xEA\xE8\xBB \x97 \xB9"
                           "5, 10 \x88\x85 \xEF\xF0\xE8\xE2\xE5\xF2\n");
    writeFile("a.txt", input);
    MainWindow w("a.txt", f.options(1));
    w.pressModeButton(batch::ModeButton::FromWin);
    w.pressModeButton(batch::ModeButton::ToKoi);
    ModalScript script([](QWidget *dialog) {
      if (auto *message = qobject_cast<MessageDialog *>(dialog))
        message->done(QDialog::Accepted);
    });
    w.doIt();
    QCOMPARE(script.log.size(), 1);
    QVERIFY2(script.log.front().contains(
                 QStringLiteral("6 characters had no equivalent in the "
                                "target page")),
             qPrintable(script.log.front()));
    QVERIFY(readFile("a.txt") != input);
  }

  // The window's run flushed each file's directory with the file's commit,
  // once a file, where the command line leaves the flushes to the run, a
  // directory at a time: the window's runner now hands them back too.
  void windowRunLeavesDirectoryFlushesToTheRun_data() {
    QTest::addColumn<int>("workers");
    QTest::newRow("1 worker") << 1;
    QTest::newRow("3 workers") << 3;
  }
  void windowRunLeavesDirectoryFlushesToTheRun() {
    QFETCH(int, workers);
    Fixture f;
    QVERIFY(QDir().mkdir("tree"));
    QVERIFY(QDir().mkdir("tree/sub"));
    const QStringList names{"tree/a.txt", "tree/b.txt", "tree/sub/c.txt",
                            "tree/sub/d.txt"};
    for (const QString &name : names)
      writeFile(name, "text of " + name.toUtf8() + "\n");
    MainWindow w("tree", f.options(workers));
    w.pressModeButton(batch::ModeButton::UpperCase);
    ModalScript script([](QWidget *dialog) {
      if (auto *message = qobject_cast<MessageDialog *>(dialog))
        message->done(QDialog::Accepted);
    });
    w.doIt();
    QCOMPARE(script.log,
             (QStringList{
                 QStringLiteral("message: tree / Processing this directory and "
                                "its subdirectories is completed"),
                 QStringLiteral("message: Files converted: 4, "
                                "unchanged: 0, failed: 0 / ")}));
    for (const QString &name : names)
      QCOMPARE(readFile(name), ("text of " + name.toUtf8() + "\n").toUpper());
    // Both directories flushed by the run, never more than once a file.
    QVERIFY2(f.fs.directoryFlushes >= 2 && f.fs.directoryFlushes <= 4,
             qPrintable(QStringLiteral("%1 flushes of the directories")
                            .arg(f.fs.directoryFlushes.load())));
    QVERIFY(!holdsTemporaryFile(f.dir.filePath("tree")));
  }
};

QTEST_MAIN(WindowRunTest)
#include "test_window_run.moc"
