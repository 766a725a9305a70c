// The progress window over real files in a fresh directory (the job's
// temporary file goes to the current directory).
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <set>

#include "job/file_job.h"
#include "platform/posix_file_system.h"
#include "tests/ui/counting_file_system.h"
#include "tests/ui/modal_script.h"
#include "tests/ui/read_gate.h"
#include "tests/ui/ui_test_support.h"
#include "ui/job_clock.h"
#include "ui/main_window.h"
#include "ui/message_dialog.h"
#include "ui/progress_dialog.h"
#include "ui/run_progress_window.h"
#include "ui/run_thread.h"

using namespace snpln;
using namespace snpln::ui;
using snpln::test::CountingFileSystem;
using snpln::test::holdsTemporaryFile;
using snpln::test::MemoryStore;
using snpln::test::ModalScript;
using snpln::test::onNextModal;
using snpln::test::readFile;
using snpln::test::whilePolling;
using snpln::test::writeFile;

namespace {

// A clock the test sets: it stands still unless the test moves it.
struct TestClock {
  qint64 now = 0;
  JobClock clock{[this] { return now; }};
};

// The job the test steps: each engine step (a read during a tick; the
// start-up's reads do not count) moves the clock on by one millisecond.
struct SteppedJob {
  CountingFileSystem fs;
  TestClock time;
  ProgressDialog progress;
  explicit SteppedJob(const job::JobRequest &request)
      : progress(request, nullptr, fs) {
    progress.setClock(time.clock);
    progress.job().setSliceSize(16);
    fs.maxRead = 16;
    fs.beforeRead = [this] {
      if (progress.job().busy())
        ++time.now;
    };
  }
};

// Turns the event loop until a zero-interval timer of its own has fired
// `turns` times: as often as any other zero-interval timer would have.
void turnTheEventLoop(int turns) {
  int fired = 0;
  QTimer probe;
  probe.setInterval(0);
  QObject::connect(&probe, &QTimer::timeout, [&fired] { ++fired; });
  probe.start();
  while (fired < turns)
    QCoreApplication::processEvents();
}

// Counts how often a widget is shown, and what `clock` read the first time.
class ShowCounter : public QObject {
public:
  int shows = 0;
  const qint64 *clock = nullptr;
  qint64 firstShownAt = -1;
  bool eventFilter(QObject *, QEvent *event) override {
    if (event->type() == QEvent::Show && ++shows == 1 && clock)
      firstShownAt = *clock;
    return false;
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
        (qobject_cast<ProgressDialog *>(watched) ||
         qobject_cast<RunProgressWindow *>(watched)))
      ++shows;
    return false;
  }
};

job::JobRequest upperCase(const QString &name, int lastJob = 0) {
  job::JobRequest request;
  request.operation = job::OperationCode::UpperCase;
  request.location = name.toStdString();
  request.displayName = job::displayNameOf(request.location.path());
  request.lastJob = lastJob;
  return request;
}

// Answers the next message and keeps its two lines.
struct MessageAnswer {
  QString line1, line2;
  bool seen = false;
  // Waits for the message itself: the progress window may be the top modal
  // window for a turn before the message opens over it.
  void expect(int answer) {
    whilePolling([this, answer] {
      auto *message =
          qobject_cast<MessageDialog *>(QApplication::activeModalWidget());
      if (!message || !message->isVisible())
        return false;
      seen = true;
      line1 = message->line1();
      line2 = message->line2();
      message->done(answer);
      return true;
    });
  }
};

} // namespace

class ProgressDialogTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString previous_;

private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    previous_ = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir_.path()));
  }
  void cleanupTestCase() { QDir::setCurrent(previous_); }
  void cleanup() {
    QVERIFY2(!holdsTemporaryFile(dir_.path()), "temporary file left behind");
  }

  void completesAndReplacesTheFile() {
    const QByteArray text = QByteArray("hello, world\r\n").repeated(100);
    writeFile("a.txt", text);
    ProgressDialog progress(upperCase("a.txt"));
    progress.job().setSliceSize(64);
    progress.setShowDelay(0); // the window at once
    ShowCounter counter;
    progress.installEventFilter(&counter);
    QCOMPARE(progress.windowTitle(), QStringLiteral("Upper case"));
    QCOMPARE(
        progress.controls().control<QLabel>(ProgressDialog::kNameId)->text(),
        QStringLiteral("a.txt"));
    QCOMPARE(
        progress.controls().control<QLabel>(ProgressDialog::kHeadingId)->text(),
        QStringLiteral("Progressing file"));
    QVERIFY(progress.windowFlags() & Qt::WindowCloseButtonHint); // CANCEL
    QCOMPARE(progress.run(), job::JobResult::Done);
    QCOMPARE(readFile("a.txt"), text.toUpper());
    QVERIFY(counter.shows >= 1);
    QCOMPARE(progress.progress(), 100);
    QCOMPARE(progress.controls()
                 .control<QProgressBar>(ProgressDialog::kBarId)
                 ->value(),
             100);
    QVERIFY(!progress.isVisible());
  }

  void captionIsTheOperationTitle_data() {
    QTest::addColumn<int>("operation");
    QTest::addColumn<QString>("title");
    QTest::newRow("1") << 1 << "Recode to WIN";
    QTest::newRow("6") << 6 << "Smart case";
    QTest::newRow("10") << 10 << "Delete excessive";
    QTest::newRow("11") << 11 << "Detect coding";
  }
  void captionIsTheOperationTitle() {
    QFETCH(int, operation);
    QFETCH(QString, title);
    job::JobRequest request;
    request.operation = static_cast<job::OperationCode>(operation);
    ProgressDialog progress(request);
    QCOMPARE(progress.windowTitle(), title);
  }

  void successMessageOfTheLastJob() {
    writeFile("b.txt", "abc\n");
    MessageAnswer answer;
    answer.expect(QDialog::Accepted);
    ProgressDialog progress(upperCase("b.txt", 1));
    TestClock time; // stands still: the window never shows
    progress.setClock(time.clock);
    ShowCounter counter;
    progress.installEventFilter(&counter);
    QCOMPARE(progress.run(), job::JobResult::Done);
    QCOMPARE(counter.shows, 0);
    QVERIFY(answer.seen);
    QCOMPARE(answer.line1, QStringLiteral("File(s) successfully converted"));
    QCOMPARE(answer.line2, QStringLiteral("with upper case"));
    QCOMPARE(readFile("b.txt"), QByteArray("ABC\n"));
  }

  // A start-up end settles the result before the window would open.
  void startupEndNeverShowsTheWindow_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("result");
    QTest::newRow("OK") << int(QDialog::Accepted)
                        << int(job::JobResult::NotFound);
    QTest::newRow("Esc") << int(QDialog::Rejected) << int(job::JobResult::Stop);
  }
  void startupEndNeverShowsTheWindow() {
    QFETCH(int, answer);
    QFETCH(int, result);
    MessageAnswer message;
    message.expect(answer);
    ProgressDialog progress(upperCase("missing.txt"));
    ShowCounter counter;
    progress.installEventFilter(&counter);
    QCOMPARE(int(progress.run()), result);
    QVERIFY(message.seen);
    QCOMPARE(message.line1, QStringLiteral("missing.txt"));
    QCOMPARE(message.line2,
             QStringLiteral("This file not found: No such file or directory"));
    QCOMPARE(counter.shows, 0);
  }

  // CANCEL, Esc, Enter and a request to close the window all cancel, and
  // only between slices: the file stays as it was.
  void cancelInTheMiddle_data() {
    QTest::addColumn<int>("how");
    QTest::newRow("CANCEL button") << 0;
    QTest::newRow("Esc") << 1;
    QTest::newRow("Enter") << 2;
    QTest::newRow("close request") << 3;
  }
  void cancelInTheMiddle() {
    QFETCH(int, how);
    QByteArray text(1 << 20, '\0');
    auto *random = QRandomGenerator::global();
    for (char &c : text)
      c = static_cast<char>('a' + random->bounded(26));
    writeFile("big.txt", text);
    QFile::setPermissions("big.txt", QFile::ReadOwner | QFile::ReadUser);
    const QFile::Permissions before = QFile::permissions("big.txt");

    ProgressDialog progress(upperCase("big.txt"));
    progress.job().setSliceSize(16);
    progress.setShowDelay(0); // the window from the start
    int progressAtCancel = -1;
    MessageAnswer message;
    whilePolling([&] {
      if (QApplication::activeModalWidget() != &progress ||
          progress.progress() < 3)
        return false;
      progressAtCancel = progress.progress();
      message.expect(QDialog::Accepted);
      switch (how) {
      case 0:
        QTest::mouseClick(progress.controls().control(kIdCancel),
                          Qt::LeftButton);
        break;
      case 1:
        QTest::keyClick(&progress, Qt::Key_Escape);
        break;
      case 2:
        QTest::keyClick(&progress, Qt::Key_Return);
        break;
      case 3:
        progress.close();
        break;
      }
      return true;
    });
    QCOMPARE(progress.run(), job::JobResult::Stop);
    QVERIFY2(progressAtCancel >= 3 && progressAtCancel < 100,
             qPrintable(QString::number(progressAtCancel)));
    QVERIFY(message.seen);
    QCOMPARE(message.line1, QStringLiteral("big.txt"));
    QCOMPARE(message.line2, QStringLiteral("Operation canceled"));
    QVERIFY(readFile("big.txt") == text);
    QCOMPARE(QFile::permissions("big.txt"), before);
    QVERIFY(!holdsTemporaryFile(dir_.path()));
    QFile::setPermissions("big.txt", QFile::ReadOwner | QFile::WriteOwner);
  }

  // While the job's message is open no further engine step runs: neither
  // the window's timer nor a stale tick delivered under the message, be the
  // message opened from the window or before the window showed.
  void messageWindowKeepsOneStepPerTick_data() {
    QTest::addColumn<bool>("inTheWindow");
    QTest::newRow("in the window") << true;
    QTest::newRow("before the window") << false;
  }
  void messageWindowKeepsOneStepPerTick() {
    QFETCH(bool, inTheWindow);
    const QByteArray text = QByteArray("x").repeated(10 * 16);
    writeFile("c.txt", text);
    CountingFileSystem fs;
    TestClock time; // stands still: a window not shown at once never shows
    ProgressDialog progress(upperCase("c.txt", 1), nullptr, fs);
    progress.job().setSliceSize(16);
    progress.setClock(time.clock);
    progress.setShowDelay(inTheWindow ? 0 : 1000);
    ShowCounter counter;
    progress.installEventFilter(&counter);
    int readsAtMessage = -1, readsAfterStaleTicks = -1;
    bool busyUnderMessage = false;
    onNextModal(
        [&](QWidget *w) {
          auto *message = qobject_cast<MessageDialog *>(w);
          QVERIFY(message);
          readsAtMessage = fs.reads;
          busyUnderMessage = progress.job().busy();
          for (int i = 0; i < 5; ++i)
            progress.tick();
          // As many turns as a running zero-interval timer needs to tick
          // fifty times.
          turnTheEventLoop(50);
          readsAfterStaleTicks = fs.reads;
          message->done(QDialog::Accepted);
        },
        &progress);
    QCOMPARE(progress.run(), job::JobResult::Done);
    QCOMPARE(counter.shows, inTheWindow ? 1 : 0);
    QVERIFY(busyUnderMessage);
    QCOMPARE(readsAfterStaleTicks, readsAtMessage);
    QCOMPARE(fs.reads.load(), readsAtMessage);
    QCOMPARE(readFile("c.txt"), text.toUpper());
  }

  // The window ends only with its job.
  void doneBeforeTheEndOnlyCancels() {
    writeFile("d.txt", QByteArray("q").repeated(4096));
    ProgressDialog progress(upperCase("d.txt"));
    progress.job().setSliceSize(8);
    progress.setShowDelay(0);
    MessageAnswer message;
    whilePolling([&] {
      if (QApplication::activeModalWidget() != &progress)
        return false;
      message.expect(QDialog::Accepted);
      progress.done(QDialog::Accepted);
      progress.accept();
      return true;
    });
    QCOMPARE(progress.run(), job::JobResult::Stop);
    QVERIFY(message.seen);
    QCOMPARE(message.line2, QStringLiteral("Operation canceled"));
    QCOMPARE(readFile("d.txt"), QByteArray("q").repeated(4096));
  }

  // The window shows once the job's clock has reached the delay while the
  // job still runs, and not a step before. A job that ends within the delay
  // (most jobs of a tree of small files) never shows it, still does all its
  // work, and never builds its controls. The job is stepped: each read of
  // an engine step is one millisecond; `reads` is how many the job makes.
  // Its last step, the commit, reads nothing.
  void windowShowsOnlyForAJobStillRunningAfterTheDelay_data() {
    QTest::addColumn<int>("lines");
    QTest::addColumn<bool>("delayFromTheEnd"); // the delay is reads + delay
    QTest::addColumn<int>("delay");
    QTest::addColumn<bool>("shown");
    QTest::newRow("quick job, default delay") << 500 << false << -1 << false;
    QTest::newRow("ends well within the delay") << 500 << true << 100 << false;
    QTest::newRow("ends a step before the delay") << 500 << true << 1 << false;
    QTest::newRow("the delay passes before the commit")
        << 500 << true << 0 << true;
    QTest::newRow("two steps left at the delay") << 500 << true << -1 << true;
    QTest::newRow("slow job") << 40000 << false << 50 << true;
    QTest::newRow("no delay") << 500 << false << 0 << true;
  }
  void windowShowsOnlyForAJobStillRunningAfterTheDelay() {
    QFETCH(int, lines);
    QFETCH(bool, delayFromTheEnd);
    QFETCH(int, delay);
    QFETCH(bool, shown);
    const QByteArray text = QByteArray("slow job\n").repeated(lines);
    qint64 reads = -1;
    {
      // The same job without a window, to learn how many reads it makes.
      writeFile("f.txt", text);
      SteppedJob measured(upperCase("f.txt"));
      measured.progress.setShowDelay(std::numeric_limits<int>::max());
      QCOMPARE(measured.progress.run(), job::JobResult::Done);
      reads = measured.time.now;
      QVERIFY2(reads > 100, qPrintable(QString::number(reads)));
    }
    writeFile("f.txt", text);
    SteppedJob stepped(upperCase("f.txt"));
    ProgressDialog &progress = stepped.progress;
    QCOMPARE(progress.showDelay(), ProgressDialog::kDefaultShowDelayMs);
    if (delayFromTheEnd)
      progress.setShowDelay(static_cast<int>(reads) + delay);
    else if (delay >= 0)
      progress.setShowDelay(delay);
    ShowCounter counter;
    counter.clock = &stepped.time.now;
    progress.installEventFilter(&counter);
    QCOMPARE(progress.run(), job::JobResult::Done);
    QCOMPARE(stepped.time.now, reads);
    QCOMPARE(readFile("f.txt"), text.toUpper());
    QCOMPARE(progress.progress(), 100);
    if (shown) {
      QCOMPARE(counter.shows, 1);
      QCOMPARE(counter.firstShownAt, qint64(progress.showDelay()));
      QCOMPARE(progress.controls()
                   .control<QProgressBar>(ProgressDialog::kBarId)
                   ->value(),
               100);
    } else {
      QCOMPARE(counter.shows, 0);
      QVERIFY(progress.findChildren<QWidget *>().isEmpty());
    }
  }

  // Without its window a job lets the event loop turn every
  // JobClock::kTurnEveryMs on its clock, not at every step, and the pace
  // runs on across the jobs that share the clock: the next job's first
  // turn comes when the last job's next one would have.
  void withoutTheWindowTheEventLoopTurnsByTheClock() {
    TestClock time;
    std::vector<qint64> turnsAt;
    QTimer probe;
    probe.setInterval(0);
    connect(&probe, &QTimer::timeout,
            [&turnsAt, &time] { turnsAt.push_back(time.now); });
    probe.start();
    std::vector<qint64> ends;
    // A job of n slices reads n - 1 times in its steps: the first slice
    // comes with the start-up's read.
    for (const int slices : {34, 42}) {
      const QString name = QStringLiteral("t%1.txt").arg(slices);
      writeFile(name, QByteArray("t").repeated(16 * slices));
      CountingFileSystem fs;
      fs.maxRead = 16;
      ProgressDialog progress(upperCase(name), nullptr, fs);
      progress.setClock(time.clock);
      progress.job().setSliceSize(16);
      progress.setShowDelay(std::numeric_limits<int>::max());
      fs.beforeRead = [&] {
        if (progress.job().busy())
          ++time.now;
      };
      QCOMPARE(progress.run(), job::JobResult::Done);
      ends.push_back(time.now);
    }
    probe.stop();
    // Neither job ends on a turn, so every turn is due while a job runs.
    QVERIFY2(
        ends[0] % JobClock::kTurnEveryMs != 0 &&
            ends[1] % JobClock::kTurnEveryMs != 0,
        qPrintable(
            QStringLiteral("jobs end at %1 and %2").arg(ends[0]).arg(ends[1])));
    std::vector<qint64> expected;
    for (qint64 t = JobClock::kTurnEveryMs; t < ends[1];
         t += JobClock::kTurnEveryMs)
      expected.push_back(t);
    QCOMPARE(turnsAt, expected);
  }

  // Before the window shows, no click or key reaches any window, and Esc
  // cancels the job as it would in the window: the file stays as it was.
  void withoutTheWindowInputIsHeldAndEscCancels() {
    QByteArray text(1 << 19, 'k');
    writeFile("g.txt", text);
    QWidget other;
    auto *button = new QPushButton("press", &other);
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    int clicks = 0;
    connect(button, &QPushButton::clicked, [&clicks] { ++clicks; });

    SteppedJob stepped(upperCase("g.txt"));
    ProgressDialog &progress = stepped.progress;
    // Never, within the job's 32768 steps.
    progress.setShowDelay(std::numeric_limits<int>::max());
    ShowCounter counter;
    progress.installEventFilter(&counter);
    MessageAnswer message;
    int progressAtEsc = -1;
    whilePolling([&] {
      if (progress.progress() < 3)
        return false;
      QTest::mouseClick(button, Qt::LeftButton);
      QTest::keyClick(button, Qt::Key_Space);
      progressAtEsc = progress.progress();
      message.expect(QDialog::Accepted);
      QTest::keyClick(&other, Qt::Key_Escape);
      return true;
    });
    QCOMPARE(progress.run(), job::JobResult::Stop);
    QCOMPARE(clicks, 0);
    QCOMPARE(counter.shows, 0);
    // Polled on the first turn past 3 %, which comes within
    // JobClock::kTurnEveryMs steps (0.03 % of the job).
    QCOMPARE(progressAtEsc, 3);
    QVERIFY(message.seen);
    QCOMPARE(message.line2, QStringLiteral("Operation canceled"));
    QVERIFY(readFile("g.txt") == text);
    // Afterwards the other window takes its clicks again.
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(clicks, 1);
  }

  // The main window's runs take their jobs' time from the clock it is
  // given: standing still, no progress window shows; a second per read, the
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
    const QByteArray text = QByteArray("main window\n").repeated(2000);
    writeFile("m.txt", text);
    CountingFileSystem fs;
    fs.maxRead = engine::kSliceSize;
    // Read by the window and moved by the job's worker.
    std::atomic<qint64> now{0};
    JobClock clock([&now] { return now.load(); });
    test::ReadGate gate;
    std::atomic<bool> held{false};
    fs.beforeRead = [&] {
      now += millisecondsPerRead;
      if (!held.exchange(true))
        gate.wait();
    };
    MemoryStore store;
    MainWindowOptions options;
    options.settings = &store;
    options.fileSystem = &fs;
    options.jobClock = &clock;
    MainWindow w("m.txt", options);
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
    ModalScript script([](QWidget *dialog) {
      if (auto *message = qobject_cast<MessageDialog *>(dialog))
        message->done(QDialog::Accepted);
    });
    w.pressModeButton(batch::ModeButton::UpperCase);
    w.doIt();
    QCOMPARE(counter.shows, windowsShown);
    QCOMPARE(script.log,
             QStringList{QStringLiteral("message: File(s) successfully "
                                        "converted / with upper case")});
    QCOMPARE(readFile("m.txt"), text.toUpper());
  }
};

QTEST_MAIN(ProgressDialogTest)
#include "test_progress_dialog.moc"
