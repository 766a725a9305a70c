// The whole program through its window: start-up from a command line, the
// mode buttons' pictures and status sentences, runs with their prompts
// answered, files rewritten on disk, Esc on a message stopping a run, the
// file list sources, the filter history across a restart, the about box
// and the preview.
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "batch/batch_texts.h"
#include "snpln/version.h"
#include "tests/ui/modal_script.h"
#include "tests/ui/ui_test_support.h"
#include "ui/control_ids.h"
#include "ui/main_window.h"
#include "ui/picture_button.h"
#include "ui/translation.h"

using namespace snpln;
using namespace snpln::ui;
using snpln::test::clickId;
using snpln::test::ModalScript;
using snpln::test::readFile;
using snpln::test::writeFile;

namespace {

QString status(const MainWindow &w) { return w.statusLabel()->text(); }

void click(MainWindow &w, int id) {
  QTest::mouseClick(w.pictureButton(id), Qt::LeftButton);
}

void clickMode(MainWindow &w, batch::ModeButton button) {
  QTest::mouseClick(w.modeButton(button), Qt::LeftButton);
}

// The answers of a run: prompts get the next text of `typed`, the options
// dialog OK, messages OK (or Esc from `escapeAt` on, counted from 0; or
// their close box, when `closeBox`).
struct RunAnswers {
  QStringList typed;
  int escapeAt = -1;
  bool closeBox = false;
};

QStringList runWith(MainWindow &w, RunAnswers answers) {
  int prompts = 0, messages = 0;
  ModalScript script([&](QWidget *dialog) {
    if (qobject_cast<InputDialog *>(dialog)) {
      if (prompts < answers.typed.size()) {
        dialog->findChild<QLineEdit *>("control1037")
            ->setText(answers.typed[prompts++]);
        clickId(dialog, 1);
      } else {
        clickId(dialog, 2);
      }
    } else if (qobject_cast<ExcludeOptionsDialog *>(dialog)) {
      clickId(dialog, 1);
    } else if (qobject_cast<MessageDialog *>(dialog)) {
      if (answers.escapeAt >= 0 && messages >= answers.escapeAt)
        QTest::keyClick(dialog, Qt::Key_Escape);
      else if (answers.closeBox)
        dialog->close();
      else
        clickId(dialog, 1);
      ++messages;
    } else if (auto *d = qobject_cast<QDialog *>(dialog)) {
      d->reject();
    }
  });
  click(w, ids::kDoIt);
  return script.log;
}

// The window's settings go to a fresh directory of their own.
struct Fixture {
  QTemporaryDir home;
  QString previous = QDir::currentPath();
  Fixture() {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       home.filePath("config"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       home.filePath("config"));
    // Jobs put their temporary file in the current directory.
    QDir::setCurrent(home.path());
  }
  ~Fixture() { QDir::setCurrent(previous); }
  QString path(const char *name) const { return home.filePath(name); }
};

} // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

private slots:
  void startsWithoutNames() {
    Fixture f;
    MainWindow w("");
    QCOMPARE(w.windowTitle(), QStringLiteral("Snipline (SNPLN) v") +
                                  QLatin1String(kVersionShort));
    const DialogUnits &u = w.controls().units();
    QCOMPARE(w.size(), QSize(u.toPixelsX(351), u.toPixelsY(168)));
    QCOMPARE(status(w), QStringLiteral("0 files are choosed"));
    QVERIFY(w.fileNameEdit()->toPlainText().isEmpty());
    QVERIFY(w.fileNameEdit()->isReadOnly());
    QVERIFY(!w.pictureButton(ids::kPreview)->isEnabled());
    QCOMPARE(w.pictureButton(ids::kPreview)->currentPictureName(),
             QStringLiteral("FPX"));
    QVERIFY(!w.saveUpperBox()->isEnabled());
    QCOMPARE(w.saveUpperBox()->text(), QStringLiteral("Sa&ve upper"));
    QVERIFY(w.acceptDrops());
    QVERIFY(!w.windowIcon().isNull());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(QApplication::focusWidget(),
             static_cast<QWidget *>(w.pictureButton(ids::kDoIt)));
    w.reject();
  }

  // The picture buttons: their captions, pictures and sizes.
  void pictureButtonsHaveTheirSets_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QSize>("size");
    const struct {
      int id;
      const char *caption;
      QSize size;
    } rows[] = {
        {1013, "DOIT", {166, 58}},   {1, "EXIT", {44, 75}},
        {1003, "BROWSE", {79, 26}},  {1005, "FOLDER", {79, 26}},
        {1020, "COPY", {42, 28}},    {1056, "FP", {88, 56}},
        {1071, "CLEAR", {44, 15}},   {1009, "UCASE", {88, 28}},
        {1010, "LCASE", {88, 28}},   {1011, "SCASE", {88, 28}},
        {1025, "EXCLUDE", {88, 28}}, {1026, "REPLACE", {88, 28}},
        {1028, "OPT", {88, 28}},     {1029, "DEL", {88, 28}},
        {1035, "WIN", {35, 28}},     {1036, "KOI", {35, 28}},
        {1037, "ISO", {35, 28}},     {1038, "DOS", {35, 28}},
        {1030, "WIN", {35, 28}},     {1031, "KOI", {35, 28}},
        {1032, "ISO", {35, 28}},     {1033, "DOS", {35, 28}},
        {1034, "AUTO", {35, 28}},    {1054, "DETECT", {104, 18}},
        {1078, "REPAIR", {88, 28}},
    };
    for (const auto &r : rows)
      QTest::newRow(QByteArray::number(r.id).constData())
          << r.id << QString::fromUtf8(r.caption) << r.size;
  }
  // The id table and the selection's button table agree: every mode button
  // is found by its id and carries its own caption.
  void modeButtonIdsMatchTheirCaptions() {
    Fixture f;
    MainWindow w("");
    for (const batch::ModeButton b : batch::allModeButtons()) {
      PictureButton *button = w.pictureButton(modeButtonId(b));
      QVERIFY(button);
      QCOMPARE(w.modeButton(b), button);
      QCOMPARE(button->caption(),
               QString::fromUtf8(batch::modeButtonInfo(b).caption));
    }
    QCOMPARE(modeButtonId(batch::ModeButton::UpperCase), 1009);
    QCOMPARE(modeButtonId(batch::ModeButton::Detect), 1054);
    QCOMPARE(modeButtonId(batch::ModeButton::FromAuto), 1034);
  }

  void pictureButtonsHaveTheirSets() {
    QFETCH(int, id);
    QFETCH(QString, caption);
    QFETCH(QSize, size);
    Fixture f;
    MainWindow w("");
    PictureButton *b = w.pictureButton(id);
    QVERIFY(b);
    QCOMPARE(b->caption(), caption);
    QVERIFY(b->hasPictures());
    QCOMPARE(b->size(), size);
    QVERIFY(b->isEnabled() || id == ids::kPreview);
  }

  void startsWithNames_data() {
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("preview");
    QTest::newRow("one") << "a.txt"
                         << "File 'a.txt' is choosed" << true;
    QTest::newRow("two") << "a.txt b"
                         << "2 files are choosed" << false;
    QTest::newRow("quoted") << "\"my file.txt\""
                            << "File 'my file.txt' is choosed" << true;
  }
  void startsWithNames() {
    QFETCH(QString, commandLine);
    QFETCH(QString, status);
    QFETCH(bool, preview);
    Fixture f;
    MainWindow w(commandLine.toStdString());
    QCOMPARE(::status(w), status);
    QCOMPARE(w.fileNameEdit()->toPlainText(), commandLine);
    QCOMPARE(w.pictureButton(ids::kPreview)->isEnabled(), preview);
  }

  // A mode button shows the pictures of its states until the selection
  // changes it once; from then on only the picture of its state.
  void modeButtonsFollowTheSelection() {
    Fixture f;
    MainWindow w("a.txt");
    PictureButton *upper = w.modeButton(batch::ModeButton::UpperCase);
    PictureButton *lower = w.modeButton(batch::ModeButton::LowerCase);
    PictureButton *smart = w.modeButton(batch::ModeButton::SmartCase);
    QCOMPARE(upper->currentPictureName(), QStringLiteral("UCASEU"));
    QVERIFY(upper->fixedPicture().isEmpty());

    clickMode(w, batch::ModeButton::UpperCase);
    QCOMPARE(upper->currentPictureName(), QStringLiteral("UCASED"));
    QCOMPARE(status(w),
             QStringLiteral("Selected upper case convert file mode"));
    clickMode(w, batch::ModeButton::LowerCase);
    QCOMPARE(upper->currentPictureName(), QStringLiteral("UCASEU"));
    QCOMPARE(lower->currentPictureName(), QStringLiteral("LCASED"));
    // Released by LCASE, SCASE now shows only its up picture, also focused.
    smart->setFocus();
    QCOMPARE(smart->currentPictureName(), QStringLiteral("SCASEU"));
    QCOMPARE(status(w),
             QStringLiteral("Selected lower case convert file mode"));

    clickMode(w, batch::ModeButton::SmartCase);
    QVERIFY(w.saveUpperBox()->isEnabled());
    w.saveUpperBox()->setChecked(true);
    clickMode(w, batch::ModeButton::UpperCase);
    QVERIFY(!w.saveUpperBox()->isEnabled());
    QVERIFY(w.saveUpperBox()->isChecked());

    clickMode(w, batch::ModeButton::ToKoi);
    clickMode(w, batch::ModeButton::FromDos);
    clickMode(w, batch::ModeButton::Detect);
    QCOMPARE(w.modeButton(batch::ModeButton::ToKoi)->currentPictureName(),
             QStringLiteral("KOIU"));
    QCOMPARE(w.modeButton(batch::ModeButton::FromDos)->currentPictureName(),
             QStringLiteral("DOSU"));
    QCOMPARE(w.modeButton(batch::ModeButton::Detect)->currentPictureName(),
             QStringLiteral("DETECTD"));
    QCOMPARE(status(w), QStringLiteral("Selected detect file source mode"));
    // Untouched buttons keep their state pictures.
    QVERIFY(
        w.modeButton(batch::ModeButton::Optimize)->fixedPicture().isEmpty());
  }

  void refusedRunsKeepTheSelection() {
    Fixture f;
    MainWindow none("");
    clickMode(none, batch::ModeButton::UpperCase);
    QCOMPARE(runWith(none, {}), QStringList());
    QCOMPARE(
        status(none),
        QStringLiteral(
            "At the first choose filename , then click button [DO it !] ;)"));
    QVERIFY(none.selection().isDown(batch::ModeButton::UpperCase));

    MainWindow some("a.txt");
    QCOMPARE(runWith(some, {}), QStringList());
    QCOMPARE(status(some),
             QStringLiteral(
                 "So,what I must to do ? Choose any file manipulation ;)"));
    // A refused run changes no button: they keep the pictures of their
    // states.
    QVERIFY(some.modeButton(batch::ModeButton::LowerCase)
                ->fixedPicture()
                .isEmpty());
  }

  // Upper case over two files: both rewritten, one message, every button
  // up afterwards.
  void upperCaseRunRewritesTheFiles() {
    Fixture f;
    writeFile(f.path("a.txt"), "hello\r\n");
    writeFile(f.path("b.txt"), "world \xE0\xE1\n");
    MainWindow w("a.txt b.txt");
    clickMode(w, batch::ModeButton::UpperCase);
    const QStringList log = runWith(w, {});
    QCOMPARE(log, (QStringList{
                      QStringLiteral("message: File(s) successfully converted "
                                     "/ with upper case"),
                      QStringLiteral("message: Files converted: 2, unchanged: "
                                     "0, failed: 0 / ")}));
    QCOMPARE(readFile(f.path("a.txt")), QByteArray("HELLO\r\n"));
    QCOMPARE(readFile(f.path("b.txt")), QByteArray("WORLD \xC0\xC1\n"));
    QCOMPARE(status(w), QStringLiteral("No action selected"));
    QCOMPARE(w.modeButton(batch::ModeButton::UpperCase)->currentPictureName(),
             QStringLiteral("UCASEU"));
    QCOMPARE(w.modeButton(batch::ModeButton::DeleteEmpty)->fixedPicture(),
             QStringLiteral("DELU"));
    QVERIFY(!QFile::exists(f.path("~sn$ln~.tmp")));
  }

  // AUTO recodes a marked UTF-16 file (either order) to the chosen target
  // like any other.
  void autoRecodesUtf16Files() {
    Fixture f;
    // "Мир" with a mark, little- and big-endian.
    writeFile(f.path("le.txt"),
              std::string("\xFF\xFE\x1C\x04\x38\x04\x40\x04", 8));
    writeFile(f.path("be.txt"),
              std::string("\xFE\xFF\x04\x1C\x04\x38\x04\x40", 8));
    MainWindow w("le.txt be.txt");
    clickMode(w, batch::ModeButton::ToWin);
    clickMode(w, batch::ModeButton::FromAuto);
    runWith(w, {});
    QCOMPARE(readFile(f.path("le.txt")), QByteArray("\xCC\xE8\xF0"));
    QCOMPARE(readFile(f.path("be.txt")), QByteArray("\xCC\xE8\xF0"));
  }

  // The window's runs work on each file's own letters: a CP866 and a KOI8-R
  // file each in its page, Yo a letter, and the From row naming the page
  // without a recoding.
  void eachFileIsWorkedOnInItsOwnPage() {
    Fixture f;
    const char *dos = "\xF0\xA6\xA8\xAA \xA2 \xE2\xE3\xAC\xA0\xAD\xA5. "
                      "\xF0\xA6\xA8\xAA \xE8\xF1\xAB \xA4\xAE\xAC\xAE\xA9.";
    const char *koi = "\xB3\xD6\xC9\xCB \xD7 \xD4\xD5\xCD\xC1\xCE\xC5. "
                      "\xB3\xD6\xC9\xCB \xDB\xA3\xCC \xC4\xCF\xCD\xCF\xCA.";
    writeFile(f.path("dos.txt"), dos); // Ёжик в тумане. Ёжик шёл домой.
    writeFile(f.path("koi.txt"), koi);
    MainWindow w("dos.txt koi.txt");
    clickMode(w, batch::ModeButton::UpperCase);
    runWith(w, {});
    QCOMPARE(readFile(f.path("dos.txt")),
             QByteArray("\xF0\x86\x88\x8A \x82 \x92\x93\x8C\x80\x8D\x85. "
                        "\xF0\x86\x88\x8A \x98\xF0\x8B \x84\x8E\x8C\x8E\x89."));
    QCOMPARE(readFile(f.path("koi.txt")),
             QByteArray("\xB3\xF6\xE9\xEB \xF7 \xF4\xF5\xED\xE1\xEE\xE5. "
                        "\xB3\xF6\xE9\xEB \xFB\xB3\xEC \xE4\xEF\xED\xEF\xEA."));

    MainWindow named("koi.txt");
    clickMode(named, batch::ModeButton::FromKoi);
    clickMode(named, batch::ModeButton::Replace);
    const QStringList log =
        runWith(named, {{QStringLiteral("ЁЖИК"), QStringLiteral("ёж")}});
    QCOMPARE(log.last(), QStringLiteral("message: From file(s) successfully "
                                        "excluded given string / and replaced "
                                        "with received string, Nr. of hits: "
                                        "2"));
    QCOMPARE(readFile(f.path("koi.txt")),
             QByteArray("\xA3\xD6 \xF7 \xF4\xF5\xED\xE1\xEE\xE5. "
                        "\xA3\xD6 \xFB\xB3\xEC \xE4\xEF\xED\xEF\xEA."));
  }

  // During a run the status line counts the files and names the one
  // started last; the closing message of a replacement counts the hits of
  // every file of the run, not the last file's alone.
  void regressionClosingMessageCountedTheLastFilesHitsOnly() {
    Fixture f;
    writeFile(f.path("a.txt"), "cat cat\n");
    writeFile(f.path("b.txt"), "cat\n");
    MainWindow w("a.txt b.txt");
    clickMode(w, batch::ModeButton::Replace);
    QStringList typed{QStringLiteral("cat"), QStringLiteral("dog")};
    QStringList during;
    ModalScript script([&](QWidget *dialog) {
      if (qobject_cast<InputDialog *>(dialog) && !typed.isEmpty())
        dialog->findChild<QLineEdit *>("control1037")
            ->setText(typed.takeFirst());
      else if (qobject_cast<MessageDialog *>(dialog))
        during << status(w);
      clickId(dialog, 1);
    });
    click(w, ids::kDoIt);
    // Both names were found before the second file started: the count is
    // of the whole run.
    QCOMPARE(during, (QStringList{QStringLiteral("File 2 of 2: 'b.txt'"),
                                  QStringLiteral("File 2 of 2: 'b.txt'")}));
    QCOMPARE(script.log.at(script.log.size() - 2),
             QStringLiteral("message: From file(s) successfully excluded "
                            "given string / and replaced with received "
                            "string, Nr. of hits: 3"));
    // The run's totals come last.
    QCOMPARE(script.log.last(),
             QStringLiteral("message: Files converted: 2, unchanged: 0, "
                            "failed: 0 / Replace: 3 found"));
    QCOMPARE(readFile(f.path("a.txt")), QByteArray("dog dog\n"));
    QCOMPARE(status(w), QStringLiteral("No action selected"));
  }

  // The typed texts reach the jobs as Windows-1251 bytes.
  void replaceRunAsksAndReplaces() {
    Fixture f;
    writeFile(f.path("r.txt"), "\xEC\xE8\xF0 mir \xEC\xE8\xF0\r\n");
    MainWindow w("r.txt");
    clickMode(w, batch::ModeButton::Replace);
    const QStringList log =
        runWith(w, {{QStringLiteral("мир"), QStringLiteral("МИР")}});
    QCOMPARE(log, (QStringList{
                      QStringLiteral("prompt: Enter text for exclude"),
                      QStringLiteral("prompt: Enter text for replace"),
                      QStringLiteral("options"),
                      QStringLiteral("message: From file(s) successfully "
                                     "excluded given string / and replaced "
                                     "with received string, Nr. of hits: 2"),
                  }));
    QCOMPARE(readFile(f.path("r.txt")),
             QByteArray("\xCC\xC8\xD0 mir \xCC\xC8\xD0\r\n"));
  }

  void cancelledPromptEndsTheRun() {
    Fixture f;
    writeFile(f.path("t.txt"), "a        b\r\n");
    MainWindow w("t.txt");
    clickMode(w, batch::ModeButton::Optimize);
    clickMode(w, batch::ModeButton::UpperCase);
    const QStringList log = runWith(w, {});
    QCOMPARE(log, (QStringList{
                      QStringLiteral("prompt: Enter tab size (default - 8)"),
                      QStringLiteral("message: Operation canceled / "),
                  }));
    QCOMPARE(readFile(f.path("t.txt")), QByteArray("a        b\r\n"));
    QCOMPARE(status(w), QStringLiteral("No action selected"));
    QVERIFY(!w.selection().anySelected());
  }

  // Esc on a job's start-up message stops the run; OK and the message's
  // close box let it go on.
  void escapeOnAMessageStopsTheRun() {
    Fixture f;
    writeFile(f.path("a.txt"), "\xEF\xF0\xE8\xE2\xE5\xF2\r\n");
    writeFile(f.path("b.txt"), "\xEF\xF0\xE8\xE2\xE5\xF2\r\n");
    for (const int escapeAt : {0, -1, -2}) {
      MainWindow w("a.txt b.txt");
      clickMode(w, batch::ModeButton::Detect);
      const QStringList log =
          runWith(w, {{}, escapeAt == 0 ? 0 : -1, escapeAt == -2});
      const QString report =
          QStringLiteral(" / This file has coding ''Win1251''");
      QStringList expected{QStringLiteral("message: a.txt") + report};
      if (escapeAt < 0)
        expected << QStringLiteral("message: b.txt") + report;
      else
        expected << QStringLiteral("message: Operation canceled / Canceled: 1 "
                                   "files done, 1 not touched");
      QCOMPARE(log, expected);
      QCOMPARE(status(w), QStringLiteral("No action selected"));
    }
  }

  // The filter text of a run goes to the top of the list; the list is
  // stored when the window goes and loaded by the next one.
  void filterHistorySurvivesARestart() {
    Fixture f;
    {
      MainWindow w("a.txt");
      QCOMPARE(w.filterBox()->count(), 2);
      QCOMPARE(w.filterBox()->itemText(0), QStringLiteral("*.htm* *.txt"));
      QCOMPARE(w.filterBox()->itemText(1), QStringLiteral("*.doc"));
      QVERIFY(w.filterBox()->currentText().isEmpty());
      w.filterBox()->setEditText(QStringLiteral("*.doc"));
      clickMode(w, batch::ModeButton::FromAuto); // passes the checks, no pass
      runWith(w, {});
      QCOMPARE(w.filterBox()->itemText(0), QStringLiteral("*.doc"));
      QCOMPARE(w.filterBox()->currentText(), QStringLiteral("*.doc"));
      w.filterBox()->setEditText(QStringLiteral("*.txt"));
      clickMode(w, batch::ModeButton::FromAuto);
      runWith(w, {});
      w.accept();
    }
    QSettings stored(QSettings::NativeFormat, QSettings::UserScope,
                     QStringLiteral("Snipline (SNPLN)"),
                     QStringLiteral("filters"));
    QCOMPARE(stored.value("filter0").toString(), QStringLiteral("*.txt"));
    QCOMPARE(stored.value("filter1").toString(), QStringLiteral("*.doc"));
    QCOMPARE(stored.value("filter2").toString(),
             QStringLiteral("*.htm* *.txt"));
    MainWindow again("");
    QCOMPARE(again.filterBox()->count(), 3);
    QCOMPARE(again.filterBox()->itemText(0), QStringLiteral("*.txt"));
    QVERIFY(again.filterBox()->currentText().isEmpty());
  }

  // BROWSE opens the platform dialog as the file list wants it; a cancel
  // only writes the status.
  void browseCancelled() {
    Fixture f;
    MainWindow w("a.txt");
    QString title;
    QStringList filters;
    bool multiple = false;
    ModalScript script([&](QWidget *dialog) {
      if (auto *fd = qobject_cast<QFileDialog *>(dialog)) {
        title = fd->windowTitle();
        filters = fd->nameFilters();
        multiple = fd->fileMode() == QFileDialog::ExistingFiles;
        fd->reject();
      }
    });
    click(w, ids::kBrowse);
    QCOMPARE(title, QStringLiteral("Choose file ..."));
    // Every name, also names without a dot, as "*.*" means in DOS masks.
    QCOMPARE(filters, QStringList{QStringLiteral("All Files (*)")});
    QVERIFY(multiple);
    QCOMPARE(status(w), QStringLiteral("File(s) choose canceled"));
    QCOMPARE(w.fileListModel().fileList(), std::vector<std::string>{"a.txt"});
  }

  // Drops append, BROWSE replaces, CLEAR empties; FP follows the count.
  void fileListSources() {
    Fixture f;
    QStringList chosen;
    MainWindowOptions options;
    options.chooseFiles = [&](QWidget *, const BrowseRequest &,
                              QStringList &paths) {
      paths = chosen;
      return true;
    };
    MainWindow w("", options);
    auto drop = [&](const QStringList &names) {
      QMimeData data;
      QList<QUrl> urls;
      for (const QString &n : names)
        urls << QUrl::fromLocalFile(n);
      data.setUrls(urls);
      QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data,
                            Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(&w, &enter);
      QVERIFY(enter.isAccepted());
      QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                       Qt::NoModifier);
      QApplication::sendEvent(&w, &event);
    };
    drop({f.path("one.txt")});
    QCOMPARE(status(w), QStringLiteral("File '") + f.path("one.txt") +
                            QStringLiteral("' is choosed"));
    QVERIFY(w.pictureButton(ids::kPreview)->isEnabled());
    drop({f.path("two.txt"), f.path("dir")});
    QCOMPARE(status(w), QStringLiteral("3 files are choosed"));
    QVERIFY(!w.pictureButton(ids::kPreview)->isEnabled());

    chosen = {f.path("x.txt")};
    click(w, ids::kBrowse);
    QCOMPARE(status(w), QStringLiteral("File 'x.txt' is choosed"));
    QCOMPARE(w.fileNameEdit()->toPlainText(),
             f.path("x.txt") + QLatin1Char(' '));
    QVERIFY(w.pictureButton(ids::kPreview)->isEnabled());

    click(w, ids::kClear);
    QCOMPARE(status(w),
             QStringLiteral("File list is cleaned. No file is choosed."));
    QVERIFY(w.fileNameEdit()->toPlainText().isEmpty());
    QVERIFY(!w.pictureButton(ids::kPreview)->isEnabled());
  }

  // COPY, F1, the about item and its system command open the about box.
  void aboutBoxFromEveryPlace() {
    Fixture f;
    MainWindow w("");
    w.show();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    ModalScript script([](QWidget *dialog) {
      if (auto *d = qobject_cast<QDialog *>(dialog))
        clickId(d, 1);
    });
    click(w, ids::kCopy);
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QCOMPARE(w.aboutBoxesOpened(), 1);
    QTest::keyClick(&w, Qt::Key_F1);
    QCOMPARE(w.aboutBoxesOpened(), 2);
    std::unique_ptr<QMenu> menu = w.makeAboutMenu();
    QCOMPARE(menu->actions().size(), 1);
    QCOMPARE(menu->actions().front()->text(),
             QStringLiteral("&About snpln..."));
    menu->actions().front()->trigger();
    QVERIFY(w.systemCommand(MainWindow::kAboutCommand | 0x5));
    QVERIFY(!w.systemCommand(0xF060));
    QCOMPARE(w.aboutBoxesOpened(), 4);
    QCOMPARE(script.log, QStringList(4, QStringLiteral("about")));
    w.reject();
  }

  void exitAndEscapeClose() {
    Fixture f;
    for (const bool viaExit : {true, false}) {
      MainWindow w("");
      QTimer::singleShot(0, &w, [&] {
        if (viaExit)
          click(w, ids::kExit);
        else
          QTest::keyClick(w.pictureButton(ids::kDoIt), Qt::Key_Escape);
      });
      QCOMPARE(w.run(), viaExit ? 1 : 0);
      QVERIFY(!w.isVisible());
    }
  }

  // FP opens the preview of the one chosen name.
  void previewButtonOpensThePreview() {
    Fixture f;
    writeFile(f.path("p.txt"), "preview me\r\n");
    MainWindow w(f.path("p.txt").toStdString());
    QString text;
    ModalScript script([&](QWidget *dialog) {
      if (auto *p = qobject_cast<PreviewDialog *>(dialog)) {
        text = p->view()->toPlainText();
        QTest::keyClick(p->view(), Qt::Key_Escape);
      }
    });
    click(w, ids::kPreview);
    QCOMPARE(script.log, QStringList{QStringLiteral("preview")});
    QCOMPARE(text, QStringLiteral("preview me\n"));
  }

  // Enter where no button has the focus does nothing: the window stays
  // open with the typing kept (it used to press EXIT, the default button).
  void enterInAFieldKeepsTheWindowOpen_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("typed");
    QTest::newRow("filter box") << ids::kFilterBox << "*.txt";
    QTest::newRow("file-name field") << ids::kFileName << "";
    QTest::newRow("Save upper") << ids::kSaveUpper << "";
  }
  void enterInAFieldKeepsTheWindowOpen() {
    QFETCH(int, id);
    QFETCH(QString, typed);
    Fixture f;
    MainWindow w("a.txt");
    int closedWith = -1;
    QTimer::singleShot(0, &w, [&] {
      QVERIFY(QTest::qWaitForWindowActive(&w));
      if (id == ids::kSaveUpper)
        w.pressModeButton(batch::ModeButton::SmartCase); // enables the box
      QWidget *control = w.controls().control(id);
      control->setFocus();
      QWidget *target = QApplication::focusWidget();
      QVERIFY(target && (target == control || control->isAncestorOf(target)));
      if (!typed.isEmpty())
        QTest::keyClicks(target, typed);
      for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter})
        QTest::keyClick(QApplication::focusWidget(), key);
      // Taking the focus did not make any button the default either.
      for (QPushButton *b : w.findChildren<QPushButton *>())
        QVERIFY2(!b->isDefault(), qPrintable(b->objectName()));
      QVERIFY(w.isVisible());
      if (!typed.isEmpty())
        QCOMPARE(w.filterBox()->currentText(), typed);
      QCOMPARE(w.fileNameEdit()->toPlainText(), QStringLiteral("a.txt"));
      QTimer::singleShot(0, &w, [&w] { w.reject(); });
    });
    closedWith = w.run();
    QCOMPARE(closedWith, 0); // closed by the test's Esc, not by Enter
  }

  // Enter presses the picture button that has the focus, whichever it is;
  // Space too; Tab then Enter presses the next one.
  void enterPressesTheFocusedButton() {
    Fixture f;
    MainWindow w("a.txt");
    w.show();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    PictureButton *upper = w.modeButton(batch::ModeButton::UpperCase);
    upper->setFocus();
    QTest::keyClick(upper, Qt::Key_Return);
    QVERIFY(w.selection().isDown(batch::ModeButton::UpperCase));
    QCOMPARE(status(w),
             QStringLiteral("Selected upper case convert file mode"));
    QTest::keyClick(upper, Qt::Key_Enter);
    QVERIFY(!w.selection().isDown(batch::ModeButton::UpperCase));
    w.modeButton(batch::ModeButton::Exclude)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(w.selection().isDown(batch::ModeButton::Exclude));
    ModalScript script([](QWidget *dialog) {
      if (auto *d = qobject_cast<QDialog *>(dialog))
        d->reject();
    });
    w.pictureButton(ids::kCopy)->setFocus();
    QTest::keyClick(w.pictureButton(ids::kCopy), Qt::Key_Return);
    QCOMPARE(w.aboutBoxesOpened(), 1);
    QVERIFY(w.isVisible());
    // EXIT with the focus: Enter closes, as pressing it does.
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.pictureButton(ids::kExit)->setFocus();
    QTest::keyClick(w.pictureButton(ids::kExit), Qt::Key_Return);
    QVERIFY(!w.isVisible());
    QCOMPARE(w.result(), 1);
  }

  // A screen reader can tell every picture button from the others, the To
  // and From rows included.
  void everyPictureButtonHasItsOwnAccessibleName() {
    Fixture f;
    MainWindow w("");
    QSet<QString> names;
    const QList<PictureButton *> buttons = w.findChildren<PictureButton *>();
    QCOMPARE(buttons.size(), 27);
    for (PictureButton *b : buttons) {
      const QString name = b->accessibleName();
      QVERIFY2(!name.isEmpty() && name != b->caption(),
               qPrintable(b->caption()));
      QVERIFY2(!names.contains(name), qPrintable(name));
      names.insert(name);
    }
    QCOMPARE(w.modeButton(batch::ModeButton::ToKoi)->accessibleName(),
             QStringLiteral("Recode to KOI8-R"));
    QCOMPARE(w.modeButton(batch::ModeButton::FromKoi)->accessibleName(),
             QStringLiteral("Source coding KOI8-R"));
    QCOMPARE(w.modeButton(batch::ModeButton::ToUtf8)->accessibleName(),
             QStringLiteral("Recode to UTF-8"));
    QCOMPARE(w.modeButton(batch::ModeButton::FromUtf8)->accessibleName(),
             QStringLiteral("Source coding UTF-8"));
  }

  // A path too long for the status line loses part of its directories, not
  // its file name; the whole sentence is the tip.
  void statusLineKeepsTheFileName() {
    Fixture f;
    const QString deep =
        f.home.path() +
        QStringLiteral("/a-rather-long-directory-name/and-another-one/"
                       "and-yet-another-directory-level/deeper-still/");
    const QString path = deep + QStringLiteral("the-file-name.txt");
    MainWindow w('"' + path.toStdString() + '"');
    const QString full =
        QStringLiteral("File '") + path + QStringLiteral("' is choosed");
    QCOMPARE(shown(i18n::statusText(w.statusLine())), full);
    QLabel *label = w.statusLabel();
    const QString shown = label->text();
    QVERIFY2(shown != full, qPrintable(shown));
    QVERIFY2(shown.endsWith(QStringLiteral("/the-file-name.txt' is choosed")),
             qPrintable(shown));
    QVERIFY2(shown.startsWith(QStringLiteral("File '/")), qPrintable(shown));
    QVERIFY(shown.contains(QChar(0x2026)));
    QVERIFY2(QFontMetrics(label->font()).horizontalAdvance(shown) <=
                 label->width(),
             qPrintable(shown));
    QCOMPARE(label->toolTip(), full);
    // A short one is shown whole, without a tip.
    click(w, ids::kClear);
    QCOMPARE(label->text(),
             QStringLiteral("File list is cleaned. No file is choosed."));
    QVERIFY(label->toolTip().isEmpty());
  }

  // BROWSE and FOLDER start in the folder last chosen from, also after a
  // restart; FOLDER chooses one folder, whose tree a run works through.
  void browseStartsInTheLastFolder() {
    Fixture f;
    QDir(f.home.path()).mkpath("texts/deep");
    writeFile(f.path("texts/one.txt"), "one");
    std::vector<BrowseRequest> asked;
    QStringList answer;
    MainWindowOptions options;
    options.chooseFiles = [&](QWidget *, const BrowseRequest &request,
                              QStringList &paths) {
      asked.push_back(request);
      paths = answer;
      return !answer.isEmpty();
    };
    {
      MainWindow w("", options);
      answer = {f.path("texts/one.txt")};
      click(w, ids::kBrowse);
      answer = {f.path("texts/deep")};
      click(w, ids::kFolder);
      QCOMPARE(w.fileListModel().fileList(),
               std::vector<std::string>{f.path("texts/deep").toStdString()});
      QVERIFY(!w.pictureButton(ids::kPreview)->isEnabled()); // a directory
      answer.clear();
      click(w, ids::kBrowse); // cancelled: the folder stays the last one
    }
    MainWindow again("", options);
    click(again, ids::kBrowse);
    QCOMPARE(asked.size(), std::size_t(4));
    QVERIFY(!asked[0].folder);
    QCOMPARE(asked[0].title, QStringLiteral("Choose file ..."));
    QCOMPARE(asked[1].startFolder, f.path("texts"));
    QVERIFY(asked[1].folder);
    QCOMPARE(asked[1].title, QStringLiteral("Choose folder ..."));
    QCOMPARE(asked[2].startFolder, f.path("texts/deep"));
    QCOMPARE(asked[3].startFolder, f.path("texts/deep"));
  }

  // FP is off for a directory (it used to open a preview that said "This
  // file not found"), on for a file.
  void regressionPreviewIsOffForADirectory() {
    Fixture f;
    QDir(f.home.path()).mkdir("dir");
    writeFile(f.path("file.txt"), "text");
    MainWindow dir(f.path("dir").toStdString());
    QVERIFY(!dir.pictureButton(ids::kPreview)->isEnabled());
    MainWindow file(f.path("file.txt").toStdString());
    QVERIFY(file.pictureButton(ids::kPreview)->isEnabled());
    file.dropNames({f.path("dir").toStdString()});
    QVERIFY(!file.pictureButton(ids::kPreview)->isEnabled());
    file.clearList();
    file.dropNames({f.path("dir").toStdString()});
    QVERIFY(!file.pictureButton(ids::kPreview)->isEnabled());
  }

  // The close box of the title bar is EXIT.
  void closeBoxIsExit() {
    Fixture f;
    MainWindow w("");
    QVERIFY(w.windowFlags() & Qt::WindowCloseButtonHint);
    QTimer::singleShot(0, &w, [&w] { w.close(); });
    QCOMPARE(w.run(), 1);
    QVERIFY(!w.isVisible());
  }

  // The window grows wider, not smaller and not taller; the file-name
  // field, the status line and the filter box take the width, BROWSE and
  // FOLDER keep to the right edge, everything else stays.
  // The window grows in both directions, never below its template size:
  // every button keeps its place, the file-name field takes the width and
  // the height, the filter box and the status line the width, keeping
  // below the field; no two controls meet, and none leaves the window.
  void windowGrowsInBothDirections_data() {
    QTest::addColumn<int>("dx");
    QTest::addColumn<int>("dy");
    QTest::newRow("as built") << 0 << 0;
    QTest::newRow("wider") << 120 << 0;
    QTest::newRow("taller") << 0 << 50;
    QTest::newRow("both") << 300 << 200;
    QTest::newRow("smaller") << -100 << -20;
  }
  void windowGrowsInBothDirections() {
    QFETCH(int, dx);
    QFETCH(int, dy);
    Fixture f;
    MainWindow w("a.txt");
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QSize start = w.size();
    QCOMPARE(w.minimumSize(), start);
    QVERIFY(w.maximumHeight() > start.height() + 1000);
    QMap<int, QRect> before;
    QList<QWidget *> fields;
    for (QWidget *c : w.controls().all())
      before[c->property("controlId").toInt()] = c->geometry();
    w.resize(start.width() + dx, start.height() + dy);
    const int gx = std::max(dx, 0), gy = std::max(dy, 0);
    QCOMPARE(w.size(), QSize(start.width() + gx, start.height() + gy));
    for (QWidget *c : w.controls().all()) {
      const int id = c->property("controlId").toInt();
      QRect expected = before[id];
      if (id == ids::kFileName)
        expected.adjust(0, 0, gx, gy);
      else if (id == ids::kStatus || id == ids::kFilterBox)
        expected = expected.translated(0, gy).adjusted(0, 0, gx, 0);
      else if (id == ids::kFilterLabel)
        expected.translate(0, gy);
      QCOMPARE(c->geometry(), expected);
      QVERIFY2(w.rect().contains(c->geometry()), qPrintable(c->objectName()));
    }
    // The fields keep below the buttons and in their order.
    const QRect name = w.fileNameEdit()->geometry();
    QVERIFY(name.bottom() < w.filterBox()->geometry().top());
    QVERIFY(w.filterBox()->geometry().bottom() <
            w.statusLabel()->geometry().top());
    for (PictureButton *b : w.findChildren<PictureButton *>())
      QVERIFY2(b->geometry().bottom() < name.top(), qPrintable(b->caption()));
  }

  // The window opens where it was closed, at the size it had, maximised
  // when it was; the first time, and with a setting it cannot read,
  // centred at its template size.
  void geometryIsRemembered() {
    Fixture f;
    test::MemoryStore store;
    MainWindow::Options options;
    options.settings = &store;
    QRect closedAt;
    {
      MainWindow w("a.txt", options);
      QTimer::singleShot(0, &w, [&] {
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.setGeometry(
            QRect(w.pos() + QPoint(17, 23), w.size() + QSize(140, 90)));
        closedAt = w.geometry();
        w.exit();
      });
      w.run();
    }
    QVERIFY(!store.read(MainWindow::kGeometrySetting).empty());
    QRect openedAt;
    bool maximised = true;
    {
      MainWindow w("a.txt", options);
      QTimer::singleShot(0, &w, [&] {
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        openedAt = w.geometry();
        maximised = w.isMaximized();
        w.showMaximized();
        QVERIFY(w.isMaximized());
        w.reject();
      });
      w.run();
    }
    QCOMPARE(openedAt, closedAt);
    QVERIFY(!maximised);
    {
      MainWindow w("a.txt", options);
      QTimer::singleShot(0, &w, [&] {
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        maximised = w.isMaximized();
        w.reject();
      });
      w.run();
    }
    QVERIFY(maximised);
    store.values[MainWindow::kGeometrySetting] = "not a geometry";
    QSize openedSize;
    {
      MainWindow w("a.txt", options);
      QTimer::singleShot(0, &w, [&] {
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        openedSize = w.size();
        w.reject();
      });
      w.run();
      QCOMPARE(openedSize, w.minimumSize());
    }
  }

  // Ctrl+O is BROWSE, Ctrl+Q is EXIT, F1 the about box; Ctrl+O does
  // nothing while BROWSE is held by a run.
  void keysOfTheConventions() {
    Fixture f;
    int chosen = 0;
    MainWindow::Options options;
    options.chooseFiles = [&chosen](QWidget *, const BrowseRequest &,
                                    QStringList &) {
      ++chosen;
      return false;
    };
    MainWindow w("a.txt", options);
    w.show();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(chosen, 1);
    w.pictureButton(ids::kBrowse)->setEnabled(false);
    QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(chosen, 1);
    w.pictureButton(ids::kBrowse)->setEnabled(true);
    ModalScript script([](QWidget *dialog) {
      if (auto *d = qobject_cast<QDialog *>(dialog))
        d->reject();
    });
    QTest::keyClick(&w, Qt::Key_F1);
    QCOMPARE(w.aboutBoxesOpened(), 1);
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::keyClick(&w, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!w.isVisible());
    QCOMPARE(w.result(), 1); // as EXIT
  }

  // Every picture button has a tooltip that says what it does, from the
  // table of pictures, the rows of code pages included; the field of names
  // looks as read-only as it is.
  void tooltipsSayWhatButtonsDo() {
    Fixture f;
    MainWindow w("");
    QSet<QString> tips;
    for (PictureButton *b : w.findChildren<PictureButton *>()) {
      QVERIFY2(!b->toolTip().isEmpty(), qPrintable(b->caption()));
      QVERIFY2(!tips.contains(b->toolTip()), qPrintable(b->toolTip()));
      tips.insert(b->toolTip());
    }
    QCOMPARE(w.modeButton(batch::ModeButton::FromKoi)->toolTip(),
             QStringLiteral("KOI8-R: the source is KOI8-R"));
    QCOMPARE(w.modeButton(batch::ModeButton::ToKoi)->toolTip(),
             QStringLiteral("KOI8-R: recode to KOI8-R"));
    QCOMPARE(w.modeButton(batch::ModeButton::UpperCase)->toolTip(),
             QStringLiteral("UPPER: convert to upper case (Alt+U)"));
    QCOMPARE(w.pictureButton(ids::kFolder)->toolTip(),
             QStringLiteral("Folder...: choose a folder: its files and "
                            "subfolders are worked through (Alt+F)"));
    // One pair of brackets for the keys.
    QCOMPARE(w.pictureButton(ids::kExit)->toolTip(),
             QStringLiteral("EXIT: close the window (Esc, Alt+X)"));
    QCOMPARE(w.modeButton(batch::ModeButton::Repair)->toolTip(),
             QStringLiteral("Ungarble: repair garbled text (UTF-8 read in a "
                            "wrong page) before the other operations (Alt+G)"));
    const QPalette look = w.fileNameEdit()->palette();
    QCOMPARE(look.color(QPalette::Base), look.color(QPalette::Window));
  }

  // Every button but the code-page buttons has an Alt key, in English and
  // in Russian, none taken twice in the window (nor by the check box); Alt
  // and the key press the button.
  void everyButtonButThePagesHasItsOwnAltKey_data() {
    QTest::addColumn<bool>("russian");
    QTest::newRow("English") << false;
    QTest::newRow("Russian") << true;
  }
  void everyButtonButThePagesHasItsOwnAltKey() {
    QFETCH(bool, russian);
    Fixture f;
    QVERIFY(setUiLanguage(russian ? QLocale(QLocale::Russian, QLocale::Russia)
                                  : QLocale::c()) == russian);
    QSet<int> pages;
    for (const engine::CodePage page :
         {engine::CodePage::Win, engine::CodePage::Koi, engine::CodePage::Iso,
          engine::CodePage::Dos, engine::CodePage::Utf8})
      for (const std::optional<batch::ModeButton> mode :
           {batch::targetButton(page), batch::sourceButton(page)})
        if (mode)
          pages.insert(modeButtonId(*mode));
    QCOMPARE(pages.size(), 10);
    MainWindow w("a.txt");
    QMap<QString, QString> keys;
    QStringList without;
    int buttons = 0;
    for (QWidget *c : w.controls().all()) {
      auto *b = qobject_cast<QAbstractButton *>(c);
      if (!b)
        continue;
      ++buttons;
      const QString key = b->shortcut().toString();
      const bool page = pages.contains(c->property("controlId").toInt());
      if (page) {
        QVERIFY2(key.isEmpty(), qPrintable(c->objectName() + " " + key));
        continue;
      }
      if (key.isEmpty()) {
        without << c->objectName();
        continue;
      }
      QVERIFY2(!keys.contains(key),
               qPrintable(key + ": " + keys[key] + " and " + c->objectName()));
      keys[key] = c->objectName();
    }
    QCOMPARE(without, QStringList());
    // 27 picture buttons and "Save upper", the ten code pages without.
    QCOMPARE(buttons, 28);
    QCOMPARE(keys.size(), 18);
    // The page choosers' keys, from the underlined letters of their names,
    // are taken by no button either.
    for (const auto row : {batch::PageRow::Source, batch::PageRow::Target}) {
      const QString tip = w.pageChooser(row)->toolTip();
      const qsizetype open = tip.lastIndexOf(QStringLiteral("(Alt+"));
      QVERIFY2(open > 0 && tip.endsWith(QLatin1Char(')')), qPrintable(tip));
      const QString key = tip.mid(open + 1, tip.size() - open - 2);
      QVERIFY2(!keys.contains(key),
               qPrintable(key + ": " + keys[key] + " and a page chooser"));
      keys[key] = tip;
    }
    QCOMPARE(keys.size(), 20);
    setUiLanguage(QLocale::c());
  }
  // The choosers of the pages without a button end the From and To rows:
  // a page chosen releases the row's buttons (their pictures up), a button
  // of the row pressed gives the choice up, and the run would take the
  // page. Each has its screen-reader name and its tip; Alt and its key
  // open its list.
  void pageChoosersAndTheRowsButtonsReleaseEachOther() {
    Fixture f;
    MainWindow w("a.txt");
    QComboBox *source = w.pageChooser(batch::PageRow::Source);
    QComboBox *target = w.pageChooser(batch::PageRow::Target);
    QVERIFY(source && target);
    QCOMPARE(source->accessibleName(),
             QStringLiteral("Other page to recode from"));
    QCOMPARE(target->accessibleName(),
             QStringLiteral("Other page to recode into"));
    QCOMPARE(source->toolTip(),
             QStringLiteral("Other page to recode from: the source is the "
                            "page chosen here (Alt+M)"));
    QCOMPARE(target->toolTip(),
             QStringLiteral("Other page to recode into: recode to the page "
                            "chosen here (Alt+N)"));
    for (QComboBox *box : {source, target}) {
      QStringList lines;
      for (int i = 0; i < box->count(); ++i)
        lines << box->itemText(i) + QLatin1Char('=') +
                     box->itemData(i, Qt::AccessibleTextRole).toString();
      QCOMPARE(lines, (QStringList{"Other=", "MAC=Mac Cyrillic",
                                   "KOI8-U=KOI8-U", "CP1125=CP1125"}));
      QVERIFY(!box->isEditable());
      QCOMPARE(box->currentIndex(), 0);
    }
    // Nothing else moved: the choosers lie right of the Recode group, left
    // of EXIT and COPY, each in its row.
    const QRect group = w.controls().control(ids::kRecodeGroup)->geometry();
    const QRect fromRow = w.modeButton(batch::ModeButton::FromUtf8)->geometry();
    const QRect toRow = w.modeButton(batch::ModeButton::ToUtf8)->geometry();
    QVERIFY(source->geometry().left() > group.right());
    QVERIFY(source->geometry().right() <
            w.pictureButton(ids::kExit)->geometry().left());
    QVERIFY(source->geometry().top() >= fromRow.top());
    QVERIFY(source->geometry().bottom() < toRow.top());
    QVERIFY(target->geometry().top() >= toRow.top());

    using M = batch::ModeButton;
    const auto choose = [&](QComboBox *box, engine::CodePage page) {
      const int index = box->findData(static_cast<int>(page));
      QVERIFY(index > 0);
      emit box->activated(index);
    };
    w.pressModeButton(M::ToWin);
    w.pressModeButton(M::FromDos);
    choose(target, engine::CodePage::Mac);
    QVERIFY(!w.selection().isDown(M::ToWin));
    QCOMPARE(w.modeButton(M::ToWin)->currentPictureName(),
             QStringLiteral("WINU"));
    QVERIFY(w.selection().isDown(M::FromDos));
    QCOMPARE(target->currentText(), QStringLiteral("MAC"));
    choose(source, engine::CodePage::KoiU);
    QCOMPARE(w.modeButton(M::FromDos)->currentPictureName(),
             QStringLiteral("DOSU"));
    // A button of the row gives the choice up (the other rules are the
    // selection's own, tests/batch/test_selection_state.cpp).
    w.pressModeButton(M::ToKoi);
    QCOMPARE(target->currentIndex(), 0);
    QCOMPARE(source->currentText(), QStringLiteral("KOI8-U"));
    emit source->activated(0);
    QVERIFY(!w.selection().chosenPage(batch::PageRow::Source));
  }
  void altKeysOpenThePageChoosers() {
    Fixture f;
    MainWindow w("a.txt");
    w.show();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    for (const auto &[row, key] :
         {std::pair{batch::PageRow::Source, Qt::Key_M},
          std::pair{batch::PageRow::Target, Qt::Key_N}}) {
      QComboBox *box = w.pageChooser(row);
      QTest::keyClick(&w, key, Qt::AltModifier);
      QTRY_VERIFY_WITH_TIMEOUT(box->view()->isVisible(), 10000);
      box->hidePopup();
      QTRY_VERIFY_WITH_TIMEOUT(box->hasFocus(), 10000);
    }
  }
  void altKeysPressButtons() {
    Fixture f;
    int chosen = 0;
    MainWindow::Options options;
    options.chooseFiles = [&chosen](QWidget *, const BrowseRequest &,
                                    QStringList &) {
      ++chosen;
      return false;
    };
    MainWindow w("a.txt", options);
    w.show();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    const std::pair<batch::ModeButton, Qt::Key> pressed[] = {
        {batch::ModeButton::UpperCase, Qt::Key_U},
        {batch::ModeButton::Exclude, Qt::Key_E},
        {batch::ModeButton::DeleteEmpty, Qt::Key_D},
        {batch::ModeButton::Detect, Qt::Key_T},
        {batch::ModeButton::Repair, Qt::Key_G},
    };
    for (const auto &[mode, key] : pressed) {
      QTest::keyClick(&w, key, Qt::AltModifier);
      QTRY_VERIFY_WITH_TIMEOUT(w.selection().isDown(mode), 10000);
    }
    QTest::keyClick(&w, Qt::Key_W, Qt::AltModifier);
    QTRY_COMPARE_WITH_TIMEOUT(chosen, 1, 10000);
  }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
