// The progress window of a job whose file another of our runs holds: it
// shows at once (whatever its delay), stays responsive, CANCEL ends the
// wait, and once the other run is done the job works on its result.
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "job/file_job.h"
#include "tests/support/recording_job_host.h"
#include "ui/message_dialog.h"
#include "ui/progress_dialog.h"
#include "ui_test_support.h"

using namespace snpln;
using namespace snpln::ui;
using snpln::test::readFile;
using snpln::test::whilePolling;
using snpln::test::writeFile;

namespace {

job::JobRequest request(const QString &name, job::OperationCode operation) {
  job::JobRequest r;
  r.operation = operation;
  r.location = name.toStdString();
  r.displayName = r.location.path();
  return r;
}

} // namespace

class ProgressLockTest : public QObject {
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

  void cancelEndsTheWait() {
    writeFile("held.txt", "abc");
    test::RecordingJobHost holderHost;
    job::FileJob holder(request("held.txt", job::OperationCode::UpperCase),
                        holderHost);
    QVERIFY(holder.start());

    ProgressDialog progress(request("held.txt", job::OperationCode::LowerCase));
    progress.setShowDelay(1 << 30); // never, but for the wait
    bool shown = false, waiting = false;
    QString line2;
    whilePolling([&] {
      if (QApplication::activeModalWidget() != &progress ||
          !progress.isVisible())
        return false;
      shown = true;
      waiting = progress.job().waitingForLock();
      // The message the cancel brings, answered when it opens.
      whilePolling([&] {
        auto *message =
            qobject_cast<MessageDialog *>(QApplication::activeModalWidget());
        if (!message || !message->isVisible())
          return false;
        line2 = message->line2();
        message->done(QDialog::Accepted);
        return true;
      });
      QTest::mouseClick(progress.controls().control(kIdCancel), Qt::LeftButton);
      return true;
    });
    QCOMPARE(progress.run(), job::JobResult::Stop);
    QVERIFY(shown);
    QVERIFY(waiting);
    QCOMPARE(line2, QStringLiteral("Operation canceled"));
    while (!holder.ended())
      holder.tick();
    QCOMPARE(holder.result(), job::JobResult::Done);
    QCOMPARE(readFile("held.txt"), QByteArray("ABC"));
  }

  void theWaitEndsWhenTheOtherRunIsDone() {
    writeFile("shared.txt", "abc");
    test::RecordingJobHost holderHost;
    job::FileJob holder(request("shared.txt", job::OperationCode::UpperCase),
                        holderHost);
    QVERIFY(holder.start());

    job::JobRequest replace =
        request("shared.txt", job::OperationCode::Replace);
    replace.searchText = "B";
    replace.replaceText = "x";
    ProgressDialog progress(replace);
    progress.setShowDelay(1 << 30);
    bool waited = false;
    // The other run goes on from the window's own event loop.
    whilePolling([&] {
      if (!progress.isVisible())
        return false;
      waited = waited || progress.job().waitingForLock();
      holder.tick();
      return holder.ended();
    });
    QCOMPARE(progress.run(), job::JobResult::Done);
    QVERIFY(waited);
    QCOMPARE(holder.result(), job::JobResult::Done);
    QCOMPARE(readFile("shared.txt"), QByteArray("AxC"));
  }
};

QTEST_MAIN(ProgressLockTest)
#include "test_progress_lock.moc"
