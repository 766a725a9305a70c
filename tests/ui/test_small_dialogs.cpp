// The message, the two prompts, the about box and the description: their
// answers for OK, Enter, Esc and Cancel, and their texts.
#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "snpln/version.h"
#include "tests/ui/ui_test_support.h"
#include "ui/about_dialog.h"
#include "ui/description_dialog.h"
#include "ui/exclude_options_dialog.h"
#include "ui/input_dialog.h"
#include "ui/message_dialog.h"
#include "ui/picture_button.h"
#include "ui/toggle_button.h"

#include <cstdlib>

using namespace snpln::ui;
using snpln::test::onNextModal;
using snpln::test::pressKey;

namespace {

enum class Answer { OkButton, Enter, Esc, CancelButton, CloseBox };

void give(QWidget *window, Answer answer) {
  auto *dialog = qobject_cast<QDialog *>(window);
  QVERIFY(dialog);
  switch (answer) {
  case Answer::OkButton:
    QTest::mouseClick(dialog->findChild<QPushButton *>("control1"),
                      Qt::LeftButton);
    break;
  case Answer::CancelButton:
    QTest::mouseClick(dialog->findChild<QPushButton *>("control2"),
                      Qt::LeftButton);
    break;
  case Answer::Enter:
    pressKey(dialog, Qt::Key_Return);
    break;
  case Answer::Esc:
    pressKey(dialog, Qt::Key_Escape);
    break;
  case Answer::CloseBox:
    QVERIFY(dialog->windowFlags() & Qt::WindowCloseButtonHint);
    dialog->close();
    break;
  }
}

// The answer as the dialog framework numbers it: OK 1, Cancel 2, YES 6,
// NO 7.
int answerNumber(snpln::job::DialogAnswer answer) {
  switch (answer) {
  case snpln::job::DialogAnswer::Ok:
    return 1;
  case snpln::job::DialogAnswer::Cancel:
    return 2;
  case snpln::job::DialogAnswer::Yes:
    return 6;
  case snpln::job::DialogAnswer::No:
    return 7;
  }
  return 0;
}

// The close box answers as `closeBox`: OK for a message (a run goes on),
// Cancel for the others.
void addAnswerRows(bool withCancel, int closeBox = 2) {
  QTest::addColumn<int>("answer");
  QTest::addColumn<int>("expected");
  QTest::newRow("OK") << int(Answer::OkButton) << 1;
  QTest::newRow("Enter") << int(Answer::Enter) << 1;
  QTest::newRow("Esc") << int(Answer::Esc) << 2;
  if (withCancel)
    QTest::newRow("Cancel") << int(Answer::CancelButton) << 2;
  QTest::newRow("close box") << int(Answer::CloseBox) << closeBox;
}

QString labelText(const DialogControls &c, std::size_t index) {
  auto *label = qobject_cast<QLabel *>(c.at(index));
  return label ? label->text() : QStringLiteral("<not a label>");
}

// The lines of the description, in reading order, as they must read.
const char *const kDescription[] = {
    "By the using program `Snipline (SNPLN)'  you can do:",
    "* Delete or change any line in the file herewith you may define",
    "a change word as a beginning/end of any word or as a full word. ",
    "Also you can turn off case sensitivity.",
    "* Convert a file in upper/lowercase or produce a smart",
    "transformation. 'Smart' mean that sentence start with upper case. Also "
    "you",
    "can save existing upper case, such as families, other self names.",
    "* Delete excessive empty lines in text file. Line is empty if this "
    "consist",
    "of SPACEs,TABs. This option dosn't stupidly delete all empty lines !!! "
    "After",
    "applying file has maximum suitable to read form. Try for understand.",
    "* Optimize a text file on the size to the account of changing the",
    "excessive spaces by symbol tabulation (TAB).  So file has smaller size.",
    "* Decode file from dos/win1251/koi8/iso/utf-8 coding in the coding",
    "dos/win1251/koi8/iso/utf-8. Possible autodetection of coding of file. ",
    "SNPLN support command line with several files. As a file you can "
    "indicate",
    "directory - then all files at this directory and its subdirecories will "
    "be",
    "processed. Also you can add files by drag'n'drop filelist on SNPLN.",
};

} // namespace

class SmallDialogsTest : public QObject {
  Q_OBJECT

private slots:
  void messageAnswers_data() { addAnswerRows(false, 1); }
  void messageAnswers() {
    QFETCH(int, answer);
    QFETCH(int, expected);
    MessageDialog message(std::string("/tmp/a.txt"),
                          std::string("This file not found"));
    onNextModal([answer](QWidget *w) { give(w, Answer(answer)); });
    QCOMPARE(answerNumber(message.run()), expected);
  }

  void messageShowsItsTwoLines() {
    MessageDialog message(QStringLiteral("File(s) successfully converted"),
                          QStringLiteral("with 'smart' case"));
    QCOMPARE(message.windowTitle(), QStringLiteral("Snpln Message"));
    QVERIFY(message.windowFlags() & Qt::WindowCloseButtonHint);
    auto *line1 = message.controls().control<QLabel>(MessageDialog::kLine1Id);
    auto *line2 = message.controls().control<QLabel>(MessageDialog::kLine2Id);
    QCOMPARE(line1->text(), QStringLiteral("File(s) successfully converted"));
    QCOMPARE(line2->text(), QStringLiteral("with 'smart' case"));
    QVERIFY(line1->alignment() & Qt::AlignHCenter);
    QCOMPARE(line1->textFormat(), Qt::PlainText); // "<" shows as it is
    QVERIFY(!line1->wordWrap());
  }

  void longLineIsCutToOneLine() {
    const QString path = "/very/" + QString("long/").repeated(60) + "name.txt";
    MessageDialog message(path, QString());
    auto *line1 = message.controls().control<QLabel>(MessageDialog::kLine1Id);
    QVERIFY(line1->text() != path);
    QVERIFY(line1->text().endsWith("name.txt")); // the file's name stays
    QVERIFY(QFontMetrics(line1->font()).horizontalAdvance(line1->text()) <=
            line1->width());
    QCOMPARE(line1->toolTip(), path);
    QCOMPARE(message.line1(), path);
    QCOMPARE(
        message.controls().control<QLabel>(MessageDialog::kLine2Id)->text(),
        QString());
  }

  void inputAnswers_data() { addAnswerRows(true); }
  void inputAnswers() {
    QFETCH(int, answer);
    QFETCH(int, expected);
    InputDialog input;
    input.setPrompt("Input tab size:");
    input.setValue("8");
    onNextModal([answer](QWidget *w) {
      auto *edit = w->findChild<QLineEdit *>("control1037");
      QCOMPARE(edit->selectedText(), QStringLiteral("8"));
      QCOMPARE(w->focusWidget(), edit);
      QTest::keyClicks(edit, "4"); // replaces the selected preset
      give(w, Answer(answer));
    });
    QCOMPARE(answerNumber(input.run()), expected);
    QCOMPARE(input.value(),
             expected == 1 ? QStringLiteral("4") : QStringLiteral("8"));
    QCOMPARE(input.controls().control<QLabel>(InputDialog::kPromptId)->text(),
             QStringLiteral("Input tab size:"));
  }

  void inputEmptyAnswerIsOk() {
    InputDialog input;
    input.setPrompt("Input string to exclude:");
    onNextModal([](QWidget *w) { give(w, Answer::OkButton); });
    QCOMPARE(answerNumber(input.run()), 1);
    QCOMPARE(input.value(), QString());
    QVERIFY(input.windowFlags() & Qt::WindowTitleHint);
    QCOMPARE(input.windowTitle(), QStringLiteral("Snpln Input"));
  }

  void optionsAnswers_data() { addAnswerRows(true); }
  void optionsAnswers() {
    QFETCH(int, answer);
    QFETCH(int, expected);
    ExcludeOptionsDialog options;
    onNextModal([answer](QWidget *w) {
      for (int id : {1038, 1039, 1040}) {
        auto *box = w->findChild<QPushButton *>(QString("control%1").arg(id));
        QVERIFY(box && box->isCheckable());
        QVERIFY(!box->isChecked());
      }
      QTest::mouseClick(w->findChild<QPushButton *>("control1038"),
                        Qt::LeftButton);
      QTest::mouseClick(w->findChild<QPushButton *>("control1040"),
                        Qt::LeftButton);
      // Enter with a box focused still answers OK, and leaves the box be.
      w->findChild<QPushButton *>("control1040")->setFocus();
      give(w, Answer(answer));
    });
    QCOMPARE(answerNumber(options.run()), expected);
    QCOMPARE(options.leftPartOfWord, expected == 1);
    QCOMPARE(options.rightPartOfWord, false);
    QCOMPARE(options.caseInsensitive, expected == 1);
  }

  // A checked option cannot be taken for an unchecked one: a tick in its
  // box, a sunken and darker face; a large part of the button changes.
  void optionsShowTheirStateClearly() {
    ExcludeOptionsDialog options;
    auto *box = options.controls().control<ToggleButton>(1040);
    QVERIFY(box);
    QVERIFY(!box->isChecked());
    const QImage off =
        box->grab().toImage().convertToFormat(QImage::Format_RGB32);
    box->setChecked(true);
    const QImage on =
        box->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(on.size(), off.size());
    int changed = 0;
    long long grayOff = 0, grayOn = 0;
    for (int y = 0; y < on.height(); ++y)
      for (int x = 0; x < on.width(); ++x) {
        const QRgb a = off.pixel(x, y), b = on.pixel(x, y);
        grayOff += qGray(a);
        grayOn += qGray(b);
        if (std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                std::abs(qBlue(a) - qBlue(b)) >
            40)
          ++changed;
      }
    const int area = on.width() * on.height();
    QVERIFY2(
        changed * 2 >= area,
        qPrintable(QStringLiteral("%1 of %2 pixels").arg(changed).arg(area)));
    QVERIFY2(grayOn < grayOff,
             qPrintable(QStringLiteral("%1 >= %2").arg(grayOn).arg(grayOff)));
    // The tick: dark pixels inside the box only when checked.
    const QRect mark = box->markRect().adjusted(2, 2, -2, -2);
    int inkOff = 0, inkOn = 0;
    for (int y = mark.top(); y <= mark.bottom(); ++y)
      for (int x = mark.left(); x <= mark.right(); ++x) {
        inkOff += qGray(off.pixel(x, y)) < 128;
        inkOn += qGray(on.pixel(x, y)) < 128;
      }
    QCOMPARE(inkOff, 0);
    QVERIFY2(inkOn >= mark.width(), qPrintable(QString::number(inkOn)));
  }

  // OK and CANCEL of the word options stand apart (they used to touch),
  // as in the prompt.
  void regressionOptionsButtonsDoNotTouch() {
    ExcludeOptionsDialog options;
    InputDialog input;
    for (const DialogControls *c : {&options.controls(), &input.controls()}) {
      const QRect ok = c->control(kIdOk)->geometry();
      const QRect cancel = c->control(kIdCancel)->geometry();
      QVERIFY2(cancel.left() - ok.right() > 4,
               qPrintable(QStringLiteral("OK ends at %1, CANCEL begins at %2")
                              .arg(ok.right())
                              .arg(cancel.left())));
    }
  }

  void optionsOpenUncheckedEveryTime() {
    for (int round = 0; round < 2; ++round) {
      ExcludeOptionsDialog options;
      bool allClear = false;
      onNextModal([&allClear](QWidget *w) {
        allClear = true;
        for (int id : {1038, 1039, 1040})
          allClear = allClear &&
                     !w->findChild<QPushButton *>(QString("control%1").arg(id))
                          ->isChecked();
        for (int id : {1038, 1039, 1040})
          QTest::mouseClick(
              w->findChild<QPushButton *>(QString("control%1").arg(id)),
              Qt::LeftButton);
        give(w, Answer::OkButton);
      });
      QCOMPARE(answerNumber(options.run()), 1);
      QVERIFY(allClear);
      QCOMPARE(options.leftPartOfWord + options.rightPartOfWord +
                   options.caseInsensitive,
               3);
    }
  }

  // Presses anywhere but OK open the description, again after each close;
  // OK closes the box without it.
  void aboutClickThrough() {
    AboutDialog about;
    QCOMPARE(about.windowTitle(), QStringLiteral("About SNPLN"));
    const DialogControls &c = about.controls();
    QCOMPARE(labelText(c, 5), QStringLiteral("click"));
    QStringList titles;
    onNextModal(
        [&](QWidget *) {
          for (QWidget *target : {c.at(5), c.at(0), c.at(6), c.at(1),
                                  static_cast<QWidget *>(&about)}) {
            onNextModal(
                [&titles](QWidget *description) {
                  titles << description->windowTitle();
                  QTest::mouseClick(
                      description->findChild<QPushButton *>("control1"),
                      Qt::LeftButton);
                },
                &about);
            // Returns once the description has been closed again.
            QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(3, 3));
          }
          QTest::mouseClick(c.control(kIdOk), Qt::LeftButton);
        },
        nullptr);
    QCOMPARE(about.run(), 1);
    QCOMPARE(about.descriptionsOpened(), 5);
    QCOMPARE(titles.size(), 5);
    QCOMPARE(titles.first(), QStringLiteral("Snipline description"));
  }

  void aboutNamesTheProject() {
    AboutDialog about;
    const DialogControls &c = about.controls();
    for (std::size_t i : {1u, 2u, 3u}) {
      auto *label = qobject_cast<QLabel *>(c.at(i));
      QVERIFY(!label->text().isEmpty());
      QVERIFY(QFontMetrics(label->font()).horizontalAdvance(label->text()) <=
              label->width());
      // Each line fits the box with room below it (the third used to touch
      // the bottom edge).
      const int textBottom =
          label->y() + QFontMetrics(label->font()).height() - 1;
      QVERIFY2(textBottom + 3 < about.height(),
               qPrintable(QStringLiteral("line %1 ends at %2 of %3")
                              .arg(i)
                              .arg(textBottom)
                              .arg(about.height())));
    }
    // The version, the project's real licence, and its address (or,
    // built without one, where the licence's text is): no placeholder.
    QCOMPARE(labelText(c, 1), QStringLiteral("Snipline (SNPLN) v" SNPLN_VERSION
                                             ", Russian text file tool"));
    QCOMPARE(labelText(c, 2),
             QStringLiteral("MIT License (c) 2026 SNPLN authors"));
    QCOMPARE(labelText(c, 3),
             *SNPLN_HOMEPAGE
                 ? QStringLiteral("Home page: " SNPLN_HOMEPAGE)
                 : QStringLiteral("Licence text: the LICENSE file"));
    // The licence is the one the sources carry.
    QFile licence(QStringLiteral(SNPLN_TEST_DATA_DIR "/../../LICENSE"));
    QVERIFY(licence.open(QIODevice::ReadOnly));
    const QByteArray text = licence.readAll();
    QVERIFY(text.startsWith("MIT License"));
    QVERIFY(text.contains("Copyright (c) 2026 Snipline (SNPLN) authors"));
    QCOMPARE(qobject_cast<QLabel *>(c.at(6))->pixmap().size(), QSize(330, 24));
  }

  void descriptionTexts() {
    DescriptionDialog description;
    QCOMPARE(description.windowTitle(), QStringLiteral("Snipline description"));
    const DialogControls &c = description.controls();
    auto *button = c.control<QPushButton>(kIdOk);
    QCOMPARE(button->text(), QStringLiteral("&RULEZ-Z-Z"));
    QVERIFY(button->isDefault());
    QVERIFY(!qobject_cast<PictureButton *>(button));
    QCOMPARE(qobject_cast<QLabel *>(c.at(1))->pixmap().size(), QSize(32, 32));
    const std::size_t first = 2;
    const std::size_t count = std::size(kDescription);
    for (std::size_t i = 0; i < count; ++i) {
      auto *label = qobject_cast<QLabel *>(c.at(first + i));
      QVERIFY(label);
      QCOMPARE(label->text(), QString::fromUtf8(kDescription[i]));
      QVERIFY2(QFontMetrics(label->font()).horizontalAdvance(label->text()) <=
                   label->width(),
               kDescription[i]);
    }
    // The three contact lines, centred, clear of the button.
    for (std::size_t i = first + count; i < c.all().size(); ++i) {
      auto *label = qobject_cast<QLabel *>(c.at(i));
      QVERIFY(label && !label->text().isEmpty());
      QVERIFY(label->alignment() & Qt::AlignHCenter);
      QVERIFY(!label->geometry().intersects(button->geometry()));
      QVERIFY(QFontMetrics(label->font()).horizontalAdvance(label->text()) <=
              label->width());
    }
    QCOMPARE(c.all().size(), first + count + 3);
  }

  void descriptionAnswers_data() { addAnswerRows(false); }
  void descriptionAnswers() {
    QFETCH(int, answer);
    QFETCH(int, expected);
    DescriptionDialog description;
    QPoint shownAt;
    onNextModal([&, answer](QWidget *w) {
      shownAt = w->pos();
      give(w, Answer(answer));
    });
    QCOMPARE(description.run(), expected);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QCOMPARE(shownAt, screen.center() - QPoint(description.width() / 2,
                                               description.height() / 2));
  }
};

QTEST_MAIN(SmallDialogsTest)
#include "test_small_dialogs.moc"
