// The progress window over real files in a fresh directory (the job's
// temporary file goes to the current directory).
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "job/file_job.h"
#include "platform/posix_file_system.h"
#include "tests/ui/ui_test_support.h"
#include "ui/message_dialog.h"
#include "ui/progress_dialog.h"

using namespace snpln;
using namespace snpln::ui;
using snpln::test::onNextModal;
using snpln::test::whilePolling;

namespace {

// Whether `dir` holds one of our temporary files.
bool holdsTemporaryFile(const QString &dir) {
  for (const QString &name :
       QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System))
    if (platform::isTemporaryName(name.toStdString()))
      return true;
  return false;
}

// The POSIX file system, counting the reads of the files it opens: one
// read per engine step for the case engines.
class CountingFileSystem : public platform::PosixFileSystem {
public:
  int reads = 0;

  std::unique_ptr<platform::InputFile>
  openRead(const platform::FileLocation &at) override {
    auto file = PosixFileSystem::openRead(at);
    if (!file)
      return nullptr;
    return std::make_unique<Counting>(std::move(file), reads);
  }

private:
  class Counting : public platform::InputFile {
  public:
    Counting(std::unique_ptr<platform::InputFile> file, int &reads)
        : file_(std::move(file)), reads_(reads) {}
    bool read(void *buffer, std::size_t size, std::size_t &got) override {
      ++reads_;
      return file_->read(buffer, size, got);
    }
    bool seek(platform::FileSize position) override {
      return file_->seek(position);
    }
    platform::FileSize position() const override { return file_->position(); }
    bool size(platform::FileSize &result) override {
      return file_->size(result);
    }
    bool status(platform::FileStatus &result) override {
      return file_->status(result);
    }
    platform::LockOutcome lock() override { return file_->lock(); }
    bool stillNamed() override { return file_->stillNamed(); }
    std::unique_ptr<platform::SaveFile>
    beginSave(const platform::FileStatus &original,
              const platform::SaveRules &rules,
              platform::SystemError &why) override {
      return file_->beginSave(original, rules, why);
    }

  private:
    std::unique_ptr<platform::InputFile> file_;
    int &reads_;
  };
};

// Counts how often a widget is shown.
class ShowCounter : public QObject {
public:
  int shows = 0;
  bool eventFilter(QObject *, QEvent *event) override {
    if (event->type() == QEvent::Show)
      ++shows;
    return false;
  }
};

QByteArray readAll(const QString &path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly))
    return "<unreadable>";
  return f.readAll();
}

void writeFile(const QString &path, const QByteArray &data) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  QCOMPARE(f.write(data), data.size());
}

job::JobRequest upperCase(const QString &name, int lastJob = 0) {
  job::JobRequest request;
  request.operation = job::OperationCode::UpperCase;
  request.path = name.toStdString();
  request.displayName = job::displayNameOf(request.path);
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
    QCOMPARE(readAll("a.txt"), text.toUpper());
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
    QCOMPARE(progress.run(), job::JobResult::Done);
    QVERIFY(answer.seen);
    QCOMPARE(answer.line1, QStringLiteral("File(s) successfully converted"));
    QCOMPARE(answer.line2, QStringLiteral("with upper case"));
    QCOMPARE(readAll("b.txt"), QByteArray("ABC\n"));
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
    QCOMPARE(message.line2, QStringLiteral("This file not found"));
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
    QVERIFY(progressAtCancel >= 3 && progressAtCancel < 100);
    QVERIFY(message.seen);
    QCOMPARE(message.line1, QStringLiteral("big.txt"));
    QCOMPARE(message.line2, QStringLiteral("Operation canceled"));
    QVERIFY(readAll("big.txt") == text);
    QCOMPARE(QFile::permissions("big.txt"), before);
    QVERIFY(!holdsTemporaryFile(dir_.path()));
    QFile::setPermissions("big.txt", QFile::ReadOwner | QFile::WriteOwner);
  }

  // While the job's message is open no further engine step runs: neither
  // the window's timer nor a stale tick delivered under the message.
  void messageWindowKeepsOneStepPerTick() {
    const QByteArray text = QByteArray("x").repeated(10 * 16);
    writeFile("c.txt", text);
    CountingFileSystem fs;
    ProgressDialog progress(upperCase("c.txt", 1), nullptr, fs);
    progress.job().setSliceSize(16);
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
          QTest::qWait(30);
          readsAfterStaleTicks = fs.reads;
          message->done(QDialog::Accepted);
        },
        &progress);
    QCOMPARE(progress.run(), job::JobResult::Done);
    QVERIFY(busyUnderMessage);
    QCOMPARE(readsAfterStaleTicks, readsAtMessage);
    QCOMPARE(fs.reads, readsAtMessage);
    QCOMPARE(readAll("c.txt"), text.toUpper());
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
    QCOMPARE(readAll("d.txt"), QByteArray("q").repeated(4096));
  }

  // A job that ends within the delay never shows its window (a tree of
  // small files flashes none) and still does all its work; its controls are
  // never built.
  void quickJobNeverShowsItsWindow() {
    const QByteArray text = QByteArray("quick\n").repeated(500);
    writeFile("e.txt", text);
    ProgressDialog progress(upperCase("e.txt"));
    QCOMPARE(progress.showDelay(), ProgressDialog::kDefaultShowDelayMs);
    ShowCounter counter;
    progress.installEventFilter(&counter);
    QCOMPARE(progress.run(), job::JobResult::Done);
    QCOMPARE(counter.shows, 0);
    QCOMPARE(readAll("e.txt"), text.toUpper());
    QCOMPARE(progress.progress(), 100);
    QVERIFY(progress.findChildren<QWidget *>().isEmpty());
  }

  // A job still running after the delay gets its window, not before.
  void slowJobShowsItsWindowAfterTheDelay() {
    const QByteArray text = QByteArray("slow job\n").repeated(40000);
    writeFile("f.txt", text);
    ProgressDialog progress(upperCase("f.txt"));
    progress.job().setSliceSize(16);
    progress.setShowDelay(50);
    QElapsedTimer clock;
    qint64 shownAfter = -1;
    struct FirstShow : QObject {
      QElapsedTimer *clock;
      qint64 *at;
      bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Show && *at < 0)
          *at = clock->elapsed();
        return false;
      }
    } first;
    first.clock = &clock;
    first.at = &shownAfter;
    progress.installEventFilter(&first);
    clock.start();
    QCOMPARE(progress.run(), job::JobResult::Done);
    QVERIFY2(shownAfter >= 50, qPrintable(QString::number(shownAfter)));
    QCOMPARE(readAll("f.txt"), text.toUpper());
    QCOMPARE(progress.controls()
                 .control<QProgressBar>(ProgressDialog::kBarId)
                 ->value(),
             100);
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

    ProgressDialog progress(upperCase("g.txt"));
    progress.job().setSliceSize(16);
    progress.setShowDelay(60 * 60 * 1000); // never, within the test
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
    QVERIFY(progressAtEsc >= 3 && progressAtEsc < 100);
    QVERIFY(message.seen);
    QCOMPARE(message.line2, QStringLiteral("Operation canceled"));
    QVERIFY(readAll("g.txt") == text);
    // Afterwards the other window takes its clicks again.
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(clicks, 1);
  }
};

QTEST_MAIN(ProgressDialogTest)
#include "test_progress_dialog.moc"
