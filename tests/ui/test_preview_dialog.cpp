// The preview and editor: the bytes of a file survive the view (all 256
// byte values in each code page, mixed line ends), edits change only what
// was edited, the status texts, truncation and the zero byte (a save keeps
// what the view did not show), the save prompt's three answers, read-only
// files, saves that fail part way leaving the old file whole, and refused
// saves that keep the typed text (another program changed the file:
// reload, save as, keep editing).
#include <QApplication>
#include <QCursor>
#include <QDateTime>
#include <QKeySequence>
#include <QLabel>
#include <QMap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <vector>

#include "engine/line_io.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/garbled_samples.h"
#include "tests/support/memory_file.h"
#include "tests/support/russian_samples.h"
#include "tests/ui/modal_script.h"
#include "tests/ui/ui_test_support.h"
#include "ui/byte_text_view.h"
#include "ui/code_page_text.h"
#include "ui/preview_dialog.h"
#include "ui/save_prompt_dialog.h"
#include "ui/save_refused_dialog.h"
#include "ui/translation.h"

using namespace snpln;
using namespace snpln::ui;
using snpln::test::clickId;
using snpln::test::ModalScript;
using snpln::test::readFile;
using snpln::test::writeFile;

namespace {

QByteArray bytes(const std::string &s) { return QByteArray::fromStdString(s); }

unsigned modeOf(const QString &path) {
  struct stat st {};
  ::stat(path.toLocal8Bit().constData(), &st);
  return st.st_mode & 07777;
}

QStringList entries(const QTemporaryDir &dir) {
  return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
}

// Every byte value but zero, and then line ends of every kind.
std::string allBytesAndLineEnds() {
  std::string bytes;
  for (int b = 1; b < 256; ++b)
    bytes.push_back(static_cast<char>(b));
  bytes += "a\r\nb\nc\rd\r\n\n\r\r\n\n\rend";
  return bytes;
}

struct PreviewRun {
  int result = -1;
  QStringList log;
};

// How a test answers the question of a refused save, and where "Save
// as..." writes.
struct RefusalAnswers {
  std::vector<int> buttons; // KeepEditing (Cancel) when they run out
  QString saveAs;           // the chosen file; empty: the dialog cancelled
};

// Opens a preview of `path` and calls `body` once it is shown; save prompts
// are answered from `answers` (Cancel when they run out), messages with OK,
// refused saves from `refusals`. A preview the body leaves open is closed
// with Esc.
PreviewRun runPreview(
    const QString &path, const std::function<void(PreviewDialog &)> &body,
    std::vector<int> answers = {},
    platform::FileSystem &fs = platform::realFileSystem(),
    std::size_t capacity = PreviewDialog::kDefaultCapacity,
    RefusalAnswers refusals = {},
    std::size_t fastViewThreshold = PreviewDialog::kDefaultFastViewThreshold) {
  std::size_t next = 0;
  std::size_t nextRefusal = 0;
  ModalScript script([&](QWidget *w) {
    if (auto *p = qobject_cast<PreviewDialog *>(w)) {
      body(*p);
      if (p->isVisible())
        p->reject();
    } else if (qobject_cast<SavePromptDialog *>(w)) {
      clickId(w, next < answers.size() ? answers[next++] : 2);
    } else if (qobject_cast<SaveRefusedDialog *>(w)) {
      clickId(w, nextRefusal < refusals.buttons.size()
                     ? refusals.buttons[nextRefusal++]
                     : kIdCancel);
    } else if (qobject_cast<MessageDialog *>(w)) {
      clickId(w, 1);
    }
  });
  PreviewDialog preview(path.toStdString(), nullptr, fs, capacity);
  preview.setFastViewThreshold(fastViewThreshold);
  preview.setSaveAsChooser(
      [&refusals](QWidget *, const QString &, const QString &) {
        return refusals.saveAs;
      });
  PreviewRun run;
  run.result = preview.run();
  run.log = script.log;
  return run;
}

// Another program's change: new content, and a new modification time.
void changeElsewhere(const QString &path, const std::string &bytes) {
  writeFile(path, bytes);
  QFile file(path);
  QVERIFY(file.open(QIODevice::ReadWrite));
  QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(60),
                           QFileDevice::FileModificationTime));
}

QString refusal(SaveRefusal why) {
  return QStringLiteral("refused save: ") +
         QString::fromUtf8(SaveRefusedDialog::reasonText(why));
}

// A refusal that names the system's reason for it: the fixture's failing
// beginSave gives EIO.
QString refusal(const char *head, int error) {
  return QStringLiteral("refused save: ") + QString::fromUtf8(head) +
         QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error));
}

// Makes any change and takes it back: the text is the same, but modified.
void touch(PreviewDialog &p) {
  p.pressEdit();
  QTest::keyClick(p.view(), Qt::Key_X);
  QTest::keyClick(p.view(), Qt::Key_Backspace);
}

void moveTo(QPlainTextEdit *view, int block, int column) {
  QTextCursor cursor(view->document()->findBlockByNumber(block));
  cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, column);
  view->setTextCursor(cursor);
}

QString whole(const QString &name, qint64 size,
              const QString &coding = QStringLiteral("Windows-1251")) {
  return QStringLiteral("File: ''%1'' , Filesize: %2 bytes , coding %3")
      .arg(name)
      .arg(size)
      .arg(coding);
}

QString shortView(const QString &name, qint64 size, qint64 shown) {
  return whole(name, size) +
         QStringLiteral(" , file you are see is truncated to %1 bytes buffer "
                        ", so be CAREFULLY if you will save it on disk !")
             .arg(shown);
}

} // namespace

class PreviewDialogTest : public QObject {
  Q_OBJECT

private slots:
  // Each page's 256 characters are all different, and decoding then
  // encoding gives back every byte value.
  void codePagesAreOneToOne_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("capitalA"); // the byte of Cyrillic А
    QTest::newRow("Dos") << int(engine::CodePage::Dos) << 0x80;
    QTest::newRow("Win") << int(engine::CodePage::Win) << 0xC0;
    QTest::newRow("Koi") << int(engine::CodePage::Koi) << 0xE1;
    QTest::newRow("Iso") << int(engine::CodePage::Iso) << 0xB0;
  }
  void codePagesAreOneToOne() {
    QFETCH(int, page);
    QFETCH(int, capitalA);
    const auto cp = static_cast<engine::CodePage>(page);
    const auto &table = codePageTable(cp);
    QCOMPARE(std::set<char16_t>(table.begin(), table.end()).size(),
             std::size_t(256));
    QCOMPARE(int(table[static_cast<std::size_t>(capitalA)]), 0x0410);
    std::string bytes;
    for (int b = 0; b < 256; ++b)
      bytes.push_back(static_cast<char>(b));
    QCOMPARE(encodeText(decodeBytes(bytes, cp), cp), bytes);
    QCOMPARE(encodeText(QStringLiteral("\u4e2d"), cp), std::string("?"));
  }

  // The document keeps every byte and every kind of line end.
  void documentKeepsBytesAndLineEnds_data() { codePagesAreOneToOne_data(); }
  void documentKeepsBytesAndLineEnds() {
    QFETCH(int, page);
    const auto cp = static_cast<engine::CodePage>(page);
    for (const std::string &bytes :
         {allBytesAndLineEnds(), std::string(), std::string("\r\n"),
          std::string("\n\n"), std::string("\r"), std::string("x\r\n"),
          std::string("\n\r"), std::string("a\n\rb\r\n\rc"),
          std::string("\n\n\r\r")}) {
      QTextDocument document;
      setDocumentBytes(document, bytes, cp);
      QVERIFY(!document.isModified());
      QCOMPARE(documentBytes(document, cp), bytes);
    }
  }

  // The preview cuts a file into lines where the line engines do: LF CR is
  // one line end, as CR LF is (the preview showed an empty line between
  // its two bytes), on a table of mixtures and on random line-end soup.
  void regressionPreviewSplitsLfCrAsOneLineEnd() {
    std::vector<std::string> inputs = {
        "a\n\rb", "\n\r", "a\n\n\rb", "\r\n\r", "a\r\n\rb\n\r\nc", "x\n\r\n\r"};
    std::mt19937 rng(20);
    const char soup[] = {'a', '\r', '\n', ' '};
    for (int i = 0; i < 200; ++i) {
      std::string text;
      for (std::size_t n = rng() % 40; text.size() < n;)
        text += soup[rng() % 4];
      inputs.push_back(text);
    }
    for (const std::string &bytes : inputs) {
      // The engines' line reader: the lines, and an empty line after a
      // last line end, as the preview shows it.
      test::MemoryStream memory(bytes, 3);
      engine::LineBuffer line;
      QStringList engineLines;
      bool endsWithLineEnd = true;
      while (!memory.stream.atEnd()) {
        QCOMPARE(engine::readLine(memory.stream, line),
                 engine::StepResult::Continue);
        engineLines.append(
            QString::fromLatin1(reinterpret_cast<const char *>(line.data),
                                static_cast<qsizetype>(line.length)));
        endsWithLineEnd = line.lineEndLength > 0;
      }
      if (endsWithLineEnd)
        engineLines.append(QString());
      const PreviewLines preview = splitLines(bytes, engine::CodePage::Win);
      QCOMPARE(preview.text.split(QLatin1Char('\n')), engineLines);
      QCOMPARE(preview.ends.size(), std::size_t(engineLines.size() - 1));
      ByteTextView view;
      view.setBytes(bytes, engine::CodePage::Win);
      QCOMPARE(qsizetype(view.lineCount()), engineLines.size());
      QTextDocument document;
      setDocumentBytes(document, bytes, engine::CodePage::Win);
      QCOMPARE(document.blockCount(), int(engineLines.size()));
      QCOMPARE(documentBytes(document, engine::CodePage::Win), bytes);
    }
    QCOMPARE(int(splitLines("a\n\rb", engine::CodePage::Win).ends.at(0)),
             int(LineEnd::LfCr));
  }

  // Edits of the document, as a paste or a selection typed over does them:
  // every line end not touched stays, new breaks are CR LF.
  void editsKeepUntouchedLineEnds_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("inserted");
    QTest::addColumn<QByteArray>("expected");
    // "one" CR LF "two" LF "three" CR "four"; positions count characters
    // and breaks: "two" starts at 4, "three" at 8, "four" at 14.
    QTest::newRow("paste with a break")
        << 5 << 5 << "X\nY" << QByteArray("one\r\ntX\r\nYwo\nthree\rfour");
    QTest::newRow("break typed over a break")
        << 6 << 10 << "-\n-" << QByteArray("one\r\ntw-\r\n-ree\rfour");
    QTest::newRow("break deleted forward")
        << 7 << 8 << "" << QByteArray("one\r\ntwothree\rfour");
    QTest::newRow("two breaks deleted")
        << 2 << 10 << "" << QByteArray("onree\rfour");
  }
  void editsKeepUntouchedLineEnds() {
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, inserted);
    QFETCH(QByteArray, expected);
    QTextDocument document;
    keepLineEnds(document);
    setDocumentBytes(document, "one\r\ntwo\nthree\rfour",
                     engine::CodePage::Win);
    QTextCursor cursor(&document);
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    cursor.insertText(inserted);
    QCOMPARE(bytes(documentBytes(document, engine::CodePage::Win)), expected);
  }

  void statusNamesFileAndSize() {
    QTemporaryDir dir;
    const QString path = dir.filePath("note.txt");
    for (const std::string &content : {std::string(), std::string("abc\r\n")}) {
      writeFile(path, content);
      QString status, text;
      const PreviewRun run = runPreview(path, [&](PreviewDialog &p) {
        status = p.statusText();
        QCOMPARE(p.statusField()->text(), status); // short: shown whole
        text = p.view()->toPlainText();
        QVERIFY(p.view()->isReadOnly());
        QVERIFY(p.editButton()->isEnabled());
        QVERIFY(!p.saveButton()->isEnabled());
        QVERIFY(!p.truncated());
        QCOMPARE(p.windowTitle(), QStringLiteral("SNPLN : File preview"));
      });
      QCOMPARE(status, whole(path, qint64(content.size())));
      QCOMPARE(text, content.empty() ? QString() : QStringLiteral("abc\n"));
      QCOMPARE(run.result, 2);
    }
  }

  void missingFileIsNotShown() {
    QTemporaryDir dir;
    const QString path = dir.filePath("missing.txt");
    bool shown = false;
    const PreviewRun run =
        runPreview(path, [&](PreviewDialog &) { shown = true; });
    QCOMPARE(run.result, 0);
    QVERIFY(!shown);
    QCOMPARE(run.log, QStringList{QStringLiteral("message: ") + path +
                                  QStringLiteral(" / This file not found")});
  }

  // Opening and saving with no real change writes back the same bytes, in
  // whichever code page the file is shown.
  void saveWithoutChangeKeepsEveryByte() {
    QTemporaryDir dir;
    const QString path = dir.filePath("bytes.txt");
    const std::string original = allBytesAndLineEnds();
    writeFile(path, original);
    int saved = 0;
    const PreviewRun run = runPreview(path,
                                      [&](PreviewDialog &p) {
                                        touch(p);
                                        QVERIFY(p.isModified());
                                        saved = p.saveText();
                                      },
                                      {kIdYes});
    QCOMPARE(saved, PreviewDialog::kSaveDone);
    QCOMPARE(readFile(path), bytes(original));
    QCOMPARE(entries(dir), QStringList{QStringLiteral("bytes.txt")});
    QCOMPARE(run.log, (QStringList{QStringLiteral("preview"),
                                   QStringLiteral("save prompt: ") + path}));
  }

  // A typed letter, a Ctrl+Enter and a deleted line break change those
  // places only; the other line ends stay as they were.
  void editChangesOnlyWhatWasEdited() {
    QTemporaryDir dir;
    const QString path = dir.filePath("lines.txt");
    // Windows-1251: "мир" on the first line.
    writeFile(path, "\xEC\xE8\xF0\r\nline2\nline3\rline4");
    engine::CodePage page{};
    runPreview(path,
               [&](PreviewDialog &p) {
                 page = p.codePage();
                 p.pressEdit();
                 QTextBlock first = p.view()->document()->firstBlock();
                 QCOMPARE(first.text(), QStringLiteral("мир"));
                 moveTo(p.view(), 1, 5); // "line2" ends with LF
                 QTest::keyClick(p.view(), Qt::Key_X);
                 moveTo(p.view(), 1, 2);
                 QTest::keyClick(p.view(), Qt::Key_Return, Qt::ControlModifier);
                 QVERIFY(p.isVisible()); // Ctrl+Enter does not close
                 moveTo(p.view(), 4, 0); // "line4": join it to "line3"
                 QTest::keyClick(p.view(), Qt::Key_Backspace);
                 QCOMPARE(p.saveText(), PreviewDialog::kSaveDone);
               },
               {kIdYes});
    QCOMPARE(int(page), int(engine::CodePage::Win));
    QCOMPARE(readFile(path),
             bytes(std::string("\xEC\xE8\xF0\r\nli\r\nne2x\nline3line4")));
  }

  void typedCyrillicIsWrittenInTheFilesPage() {
    QTemporaryDir dir;
    const QString path = dir.filePath("koi.txt");
    // KOI8-R "привет мир".
    const std::string koi = "\xD0\xD2\xC9\xD7\xC5\xD4 \xCD\xC9\xD2";
    writeFile(path, koi);
    runPreview(path,
               [&](PreviewDialog &p) {
                 QCOMPARE(int(p.codePage()), int(engine::CodePage::Koi));
                 QCOMPARE(p.view()->toPlainText(),
                          QStringLiteral("привет мир"));
                 p.pressEdit();
                 p.view()->moveCursor(QTextCursor::End);
                 p.view()->insertPlainText(QStringLiteral("!Я"));
                 p.saveText();
               },
               {kIdYes});
    QCOMPARE(readFile(path), bytes(koi + "!\xF1"));
  }

  // UTF-8 text with a byte order mark, characters of two, three and four
  // bytes, stray bytes that start no sequence and every kind of line end
  // comes back byte for byte, in whole and cut into lines.
  void utf8KeepsEveryByte() {
    const std::string text =
        "\xEF\xBB\xBF\xD0\x9C\xD0\xB8\xD1\x80\r\n\xE2\x84\x96 5\n"
        "\xF0\x9F\x98\x80\r\xFF\xC0\xAF \xE2\x82\n\xED\xA0\x80 \xD0";
    for (const std::string &bytes :
         {text, std::string(), std::string("\xD0\x81\xD1\x91"),
          std::string("\xEF\xBB\xBF")}) {
      QCOMPARE(encodeText(decodeBytes(bytes, engine::CodePage::Utf8),
                          engine::CodePage::Utf8),
               bytes);
      QTextDocument document;
      setDocumentBytes(document, bytes, engine::CodePage::Utf8);
      QCOMPARE(documentBytes(document, engine::CodePage::Utf8), bytes);
    }
    QCOMPARE(decodeBytes("\xD0\x9C\xD0\xB8\xD1\x80 \xE2\x84\x96",
                         engine::CodePage::Utf8),
             QStringLiteral("Мир №"));
    // Whatever is typed has a UTF-8 form: nothing becomes '?'.
    QCOMPARE(
        encodeText(QStringLiteral("\u4e2d\U0001F600"), engine::CodePage::Utf8),
        std::string("\xE4\xB8\xAD\xF0\x9F\x98\x80"));
  }

  void utf8FileIsShownAndEditedAsUtf8() {
    QTemporaryDir dir;
    const QString path = dir.filePath("utf8.txt");
    // "Привет, мир" in capitals and small letters, with a mark.
    const std::string original =
        "\xEF\xBB\xBF\xD0\x9F\xD0\xA0\xD0\x98\xD0\x92\xD0\x95\xD0\xA2, "
        "\xD0\xBC\xD0\xB8\xD1\x80\n";
    writeFile(path, original);
    runPreview(path,
               [&](PreviewDialog &p) {
                 QCOMPARE(int(p.codePage()), int(engine::CodePage::Utf8));
                 QCOMPARE(p.view()->toPlainText(),
                          QStringLiteral("\uFEFFПРИВЕТ, мир\n"));
                 p.pressEdit();
                 p.view()->moveCursor(QTextCursor::End);
                 p.view()->insertPlainText(QStringLiteral("Ёж"));
                 p.saveText();
               },
               {kIdYes});
    QCOMPARE(readFile(path), bytes(original + "\xD0\x81\xD0\xB6"));
  }

  // A UTF-16 file (either order, with its mark) is shown as its text,
  // its page in the status line, edited like any other and saved back in
  // its own order with its mark, every untouched character and line end as
  // it was. One that would not come back byte for byte (a lone surrogate,
  // a byte left over) or holds a zero character (it is not shown whole) can
  // only be viewed, and the status line and Edit's tip say why.
  void utf16FileIsEditedAndSavedInItsOwnForm_data() {
    QTest::addColumn<bool>("big");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tail"); // raw bytes after the text, "" none
    QTest::addColumn<QString>("refusal");
    const QString text = QStringLiteral("Привет\r\nмир \U0001F600\nend");
    const QString broken = QStringLiteral(
        "broken UTF-16 (a lone surrogate or an odd byte): it can only be "
        "viewed");
    const QString notWhole =
        QStringLiteral("UTF-16 shown in part: it can only be viewed");
    QTest::newRow("little-endian") << false << text << ""
                                   << "";
    QTest::newRow("big-endian") << true << text << ""
                                << "";
    QTest::newRow("private-use character")
        << false << QStringLiteral("a\uF780b\r\nc") << ""
        << "";
    QTest::newRow("lone surrogate")
        << false << QStringLiteral("Привет ") << "surrogate" << broken;
    QTest::newRow("a byte left over")
        << true << QStringLiteral("Привет") << "odd" << broken;
    QTest::newRow("zero character")
        << false << QStringLiteral("Привет") << "zero" << notWhole;
  }
  void utf16FileIsEditedAndSavedInItsOwnForm() {
    QFETCH(bool, big);
    QFETCH(QString, text);
    QFETCH(QString, tail);
    QFETCH(QString, refusal);
    const auto encode = [big](const QString &s) {
      std::string out;
      for (const QChar c : s) {
        const auto hi = static_cast<char>(c.unicode() >> 8);
        const auto lo = static_cast<char>(c.unicode() & 0xFF);
        out += big ? std::string{hi, lo} : std::string{lo, hi};
      }
      return out;
    };
    const std::string mark = big ? "\xFE\xFF" : "\xFF\xFE";
    std::string original = mark + encode(text);
    if (tail == "surrogate")
      original += encode(QString(QChar(0xD800))) + encode(QStringLiteral("x"));
    else if (tail == "odd")
      original += "\x41";
    else if (tail == "zero")
      original += encode(QString(QChar(0))) + encode(QStringLiteral("rest"));
    QTemporaryDir dir;
    const QString path = dir.filePath("utf16.txt");
    writeFile(path, original);
    QString shown, status, tip;
    bool editable = false;
    runPreview(path,
               [&](PreviewDialog &p) {
                 QCOMPARE(int(p.codePage()),
                          int(big ? engine::CodePage::Utf16Be
                                  : engine::CodePage::Utf16Le));
                 shown = p.view()->toPlainText();
                 status = p.statusText();
                 editable = p.editButton()->isEnabled();
                 tip = p.editButton()->toolTip();
                 if (!editable)
                   return;
                 // Untouched, the text is the file byte for byte.
                 QCOMPARE(bytes(p.viewBytes()), bytes(original));
                 p.pressEdit();
                 p.view()->moveCursor(QTextCursor::End);
                 p.view()->insertPlainText(QStringLiteral("Ёж"));
                 QCOMPARE(p.saveText(), PreviewDialog::kSaveDone);
                 // Saved as it is now: a second edit and save goes on from it.
                 p.pressEdit();
                 p.view()->moveCursor(QTextCursor::Start);
                 p.view()->insertPlainText(QStringLiteral("Я"));
                 QCOMPARE(p.saveText(), PreviewDialog::kSaveDone);
               },
               {kIdYes, kIdYes});
    QCOMPARE(editable, refusal.isEmpty());
    QVERIFY2(status.contains(big ? "UTF-16BE" : "UTF-16LE"),
             qPrintable(status));
    if (!refusal.isEmpty()) {
      QVERIFY2(status.endsWith(QStringLiteral(" , ") + refusal),
               qPrintable(status));
      QCOMPARE(tip, refusal);
      QCOMPARE(readFile(path), bytes(original));
      return;
    }
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QCOMPARE(shown, lines);
    QCOMPARE(readFile(path), bytes(mark + encode(QStringLiteral("Я") + text +
                                                 QStringLiteral("Ёж"))));
  }

  // Truncated by the capacity: the status says so, a save warns first and
  // writes what the view holds followed by the rest of the file as it was;
  // a second save does not warn again.
  void regressionSaveOfAShortViewKeepsTheRestOfTheFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath("long.txt");
    writeFile(path, "0123456789abcdefghijklmno");
    QString status, statusAfter;
    const PreviewRun run = runPreview(
        path,
        [&](PreviewDialog &p) {
          status = p.statusText();
          QVERIFY(p.truncated());
          QCOMPARE(p.view()->toPlainText(), QStringLiteral("0123456789"));
          p.pressEdit();
          p.view()->moveCursor(QTextCursor::Start);
          QTest::keyClick(p.view(), Qt::Key_X);
          QCOMPARE(p.saveText(), PreviewDialog::kSaveDone);
          statusAfter = p.statusText();
          QVERIFY(!p.truncated());
          QCOMPARE(p.shownLength(), platform::FileSize(11));
          p.pressEdit();
          p.view()->moveCursor(QTextCursor::End);
          QTest::keyClick(p.view(), Qt::Key_Y);
          QCOMPARE(p.saveText(), PreviewDialog::kSaveDone);
        },
        {kIdYes, kIdYes}, platform::realFileSystem(), 10);
    QCOMPARE(status, shortView(path, 25, 10));
    QCOMPARE(statusAfter, shortView(path, 26, 11));
    QCOMPARE(readFile(path), bytes(std::string("x0123456789yabcdefghijklmno")));
    QCOMPARE(entries(dir), QStringList{QStringLiteral("long.txt")});
    QCOMPARE(run.log,
             (QStringList{QStringLiteral("preview"),
                          QStringLiteral("message: ") + path +
                              QStringLiteral(" / On open this file was "
                                             "truncated. So be carefully !"),
                          QStringLiteral("save prompt: ") + path,
                          QStringLiteral("save prompt: ") + path}));
  }

  // The view ends before a zero byte; a save keeps the zero byte and all
  // after it.
  void saveBeforeAZeroByteKeepsTheRest() {
    QTemporaryDir dir;
    const QString path = dir.filePath("zero.bin");
    writeFile(path, std::string("abc\0def", 7));
    runPreview(path,
               [&](PreviewDialog &p) {
                 p.pressEdit();
                 p.view()->moveCursor(QTextCursor::End);
                 QTest::keyClick(p.view(), Qt::Key_X);
                 QCOMPARE(p.saveText(), PreviewDialog::kSaveDone);
               },
               {kIdYes});
    QCOMPARE(readFile(path), bytes(std::string("abcx\0def", 8)));
  }

  // A save after "&Edit" of a large file shown in the fast view keeps the
  // rest too, and a save that finds the rest changed under it (the file
  // read short) keeps the file as it was.
  void saveOfAFastViewKeepsTheRest() {
    QTemporaryDir dir;
    const QString path = dir.filePath("fast.txt");
    std::string content;
    for (int i = 0; i < 400; ++i)
      content += "line " + std::to_string(i) + "\r\n";
    writeFile(path, content);
    ModalScript script([&](QWidget *w) {
      if (auto *p = qobject_cast<PreviewDialog *>(w)) {
        QVERIFY(p->showsFastView());
        p->setLoadStepsByHand(true);
        p->pressEdit();
        while (p->stepLoad()) {
        }
        p->view()->moveCursor(QTextCursor::Start);
        QTest::keyClick(p->view(), Qt::Key_Z);
        QCOMPARE(p->saveText(), PreviewDialog::kSaveDone);
        p->reject();
      } else if (qobject_cast<SavePromptDialog *>(w)) {
        clickId(w, kIdYes);
      } else if (qobject_cast<MessageDialog *>(w)) {
        clickId(w, 1);
      }
    });
    PreviewDialog preview(path.toStdString(), nullptr,
                          platform::realFileSystem(), 1000);
    preview.setFastViewThreshold(100);
    preview.run();
    QCOMPARE(readFile(path), bytes("z" + content));
  }

  // The status names the code page the file is shown in.
  void statusNamesTheCodePage_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("coding");
    QTest::newRow("KOI8-R") << QByteArray("\xF0\xD2\xC9\xD7\xC5\xD4, "
                                          "\xCD\xC9\xD2")
                            << "KOI8-R";
    QTest::newRow("UTF-8") << QByteArray("\xD0\x9F\xD1\x80\xD0\xB8") << "UTF-8";
    QTest::newRow("CP866") << QByteArray("\x8F\xE0\xA8\xA2\xA5\xE2, "
                                         "\xAC\xA8\xE0")
                           << "DOS (CP866)";
    QTest::newRow("English only") << QByteArray("plain") << "Windows-1251";
  }
  void statusNamesTheCodePage() {
    QFETCH(QByteArray, content);
    QFETCH(QString, coding);
    QTemporaryDir dir;
    const QString path = dir.filePath("page.txt");
    writeFile(path, content.toStdString());
    QString status;
    runPreview(path, [&](PreviewDialog &p) { status = p.statusText(); });
    QCOMPARE(status, whole(path, content.size(), coding));
  }

  // A zero byte cannot be shown: the view ends before it, and the file is
  // treated as truncated, so nothing after it is dropped without a warning.
  void zeroByteCountsAsTruncated() {
    QTemporaryDir dir;
    const QString path = dir.filePath("zero.bin");
    writeFile(path, std::string("abc\0def", 7));
    QString status;
    const PreviewRun run = runPreview(path, [&](PreviewDialog &p) {
      status = p.statusText();
      QVERIFY(p.truncated());
      QCOMPARE(p.view()->toPlainText(), QStringLiteral("abc"));
      touch(p);
      QCOMPARE(p.saveText(), PreviewDialog::kSaveCanceled);
    });
    QCOMPARE(status, shortView(path, 7, 3));
    QVERIFY(run.log.contains(QStringLiteral("message: ") + path +
                             QStringLiteral(" / On open this file was "
                                            "truncated. So be carefully !")));
    QCOMPARE(readFile(path), bytes(std::string("abc\0def", 7)));
  }

  // "&NO" and "&Cancel" from "&Save" keep the file and the editing state;
  // from "&OK", "&NO" closes and "&Cancel" stays.
  void promptAnswers_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("viaOk");
    QTest::addColumn<int>("saveResult");
    QTest::addColumn<bool>("staysOpen");
    QTest::addColumn<bool>("written");
    QTest::newRow("Save, YES") << kIdYes << false << 6 << true << true;
    QTest::newRow("Save, NO") << kIdNo << false << 7 << true << false;
    QTest::newRow("Save, Cancel") << kIdCancel << false << 2 << true << false;
    QTest::newRow("OK, YES") << kIdYes << true << 0 << false << true;
    QTest::newRow("OK, NO") << kIdNo << true << 0 << false << false;
    QTest::newRow("OK, Cancel") << kIdCancel << true << 0 << true << false;
  }
  void promptAnswers() {
    QFETCH(int, answer);
    QFETCH(bool, viaOk);
    QFETCH(int, saveResult);
    QFETCH(bool, staysOpen);
    QFETCH(bool, written);
    QTemporaryDir dir;
    const QString path = dir.filePath("a.txt");
    writeFile(path, "old\n");
    QVERIFY(QFile(path).setPermissions(QFileDevice::ReadOwner));
    const unsigned mode = modeOf(path);
    bool open = false, editing = false;
    int result = 0;
    const PreviewRun run = runPreview(
        path,
        [&](PreviewDialog &p) {
          p.pressEdit();
          p.view()->moveCursor(QTextCursor::Start);
          QTest::keyClick(p.view(), Qt::Key_N);
          if (viaOk)
            QTest::keyClick(p.view(), Qt::Key_Return); // Enter is "&OK"
          else
            result = p.saveText();
          open = p.isVisible();
          editing = !p.view()->isReadOnly() && p.saveButton()->isEnabled() &&
                    !p.editButton()->isEnabled();
        },
        {answer});
    QCOMPARE(result, saveResult);
    QCOMPARE(open, staysOpen);
    if (staysOpen && answer != kIdYes)
      QVERIFY(editing);
    QCOMPARE(readFile(path), bytes(std::string(written ? "nold\n" : "old\n")));
    QCOMPARE(modeOf(path), mode); // read-only before and after
    QCOMPARE(entries(dir), QStringList{QStringLiteral("a.txt")});
    QCOMPARE(run.result, staysOpen ? 2 : 1);
  }

  // "&Edit", no change, "&Save": no prompt, back to viewing with "&Save"
  // still enabled; Enter then closes with OK.
  void saveWithoutChangesOnlyEndsEditing() {
    QTemporaryDir dir;
    const QString path = dir.filePath("a.txt");
    writeFile(path, "text");
    int result = 0;
    const PreviewRun run = runPreview(path, [&](PreviewDialog &p) {
      p.pressEdit();
      result = p.saveText();
      QVERIFY(p.view()->isReadOnly());
      QVERIFY(p.editButton()->isEnabled());
      QVERIFY(p.saveButton()->isEnabled());
      QTest::keyClick(p.view(), Qt::Key_Enter);
    });
    QCOMPARE(result, PreviewDialog::kSaveUnchanged);
    QCOMPARE(run.log, QStringList{QStringLiteral("preview")});
    QCOMPARE(run.result, 1);
  }

  void escapeClosesWithoutAsking() {
    QTemporaryDir dir;
    const QString path = dir.filePath("a.txt");
    writeFile(path, "text");
    const PreviewRun run = runPreview(path, [&](PreviewDialog &p) {
      touch(p);
      QTest::keyClick(p.view(), Qt::Key_A);
      QTest::keyClick(p.view(), Qt::Key_Escape);
    });
    QCOMPARE(run.result, 2);
    QCOMPARE(run.log, QStringList{QStringLiteral("preview")});
    QCOMPARE(readFile(path), bytes(std::string("text")));
  }

  // A save that fails part way (write, short write, flush, rename), or
  // cannot begin, or finds the file gone or changed, says why, leaves the
  // old file byte for byte, with its mode, and no file beside it, and keeps
  // the preview open with the typed text (it used to close the preview and
  // lose the text). The file is checked before the question is asked.
  void regressionRefusedSaveKeepsTheTypedText_data() {
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("why");
    QTest::addColumn<bool>("asked");
    const int notWritten = int(SaveRefusal::NotWritten);
    QTest::newRow("write fails") << 0 << notWritten << true;
    QTest::newRow("short write") << 1 << notWritten << true;
    QTest::newRow("flush fails") << 2 << notWritten << true;
    QTest::newRow("rename fails") << 3 << notWritten << true;
    QTest::newRow("create fails") << 4 << notWritten << true;
    QTest::newRow("file gone before the prompt")
        << 5 << int(SaveRefusal::Gone) << false;
    QTest::newRow("changed between the prompt and the rename")
        << 6 << int(SaveRefusal::ChangedElsewhere) << true;
    QTest::newRow("changed by another program before the prompt")
        << 7 << int(SaveRefusal::ChangedElsewhere) << false;
  }
  void regressionRefusedSaveKeepsTheTypedText() {
    QFETCH(int, fault);
    QFETCH(int, why);
    QFETCH(bool, asked);
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.txt");
    std::string old(20000, 'k');
    old += "\r\nend";
    writeFile(path, old);
    std::string other = "another program's text\r\n";
    platform::FaultyFileSystem fs;
    bool open = false, editing = false;
    QString typed;
    const PreviewRun run = runPreview(
        path,
        [&](PreviewDialog &p) {
          switch (fault) {
          case 0:
            fs.fail.writeAt = 9000;
            break;
          case 1:
            fs.fail.shortWriteAt = 9000;
            break;
          case 2:
            fs.fail.flush = true;
            break;
          case 3:
            fs.fail.commit = true;
            break;
          case 4:
            fs.fail.beginSave = true;
            break;
          case 5:
            fs.fail.status = true;
            break;
          case 6:
            fs.fail.commit = true;
            fs.fail.commitOutcome = platform::SaveOutcome::TargetChanged;
            break;
          case 7:
            changeElsewhere(path, other);
            break;
          }
          p.pressEdit();
          p.view()->moveCursor(QTextCursor::Start);
          QTest::keyClicks(p.view(), QStringLiteral("typed "));
          // "&OK": a refused save does not close the preview.
          QTest::keyClick(p.view(), Qt::Key_Return);
          open = p.isVisible();
          editing = !p.view()->isReadOnly() && p.isModified() &&
                    p.saveButton()->isEnabled();
          typed = p.view()->toPlainText().left(8);
        },
        {kIdYes}, fs);
    QVERIFY(open);
    QVERIFY(editing);
    QCOMPARE(typed, QStringLiteral("typed kk"));
    QStringList expected{QStringLiteral("preview")};
    if (asked)
      expected << QStringLiteral("save prompt: ") + path;
    expected << (fault == 4 ? refusal("Unable to save file", EIO)
                            : refusal(SaveRefusal(why)));
    QCOMPARE(run.log, expected);
    QCOMPARE(run.result, 2); // closed by the test's Esc
    QCOMPARE(readFile(path), bytes(fault == 7 ? other : old));
    QCOMPARE(entries(dir), QStringList{QStringLiteral("keep.txt")});
  }

  // A save that fails part way leaves the file's mode as it was.
  void failedSaveKeepsTheMode() {
    QTemporaryDir dir;
    const QString path = dir.filePath("mode.txt");
    writeFile(path, "text\r\n");
    QVERIFY(QFile(path).setPermissions(QFileDevice::ReadOwner |
                                       QFileDevice::ReadGroup));
    const unsigned mode = modeOf(path);
    platform::FaultyFileSystem fs;
    int result = 0;
    runPreview(
        path,
        [&](PreviewDialog &p) {
          fs.fail.commit = true;
          touch(p);
          result = p.saveText();
        },
        {kIdYes}, fs);
    QCOMPARE(result, PreviewDialog::kSaveCanceled);
    QCOMPARE(readFile(path), bytes(std::string("text\r\n")));
    QCOMPARE(modeOf(path), mode);
  }

  // After another program's change, "&Reload" shows the file as it is now.
  void reloadShowsTheFileAsItIsNow() {
    QTemporaryDir dir;
    const QString path = dir.filePath("reload.txt");
    writeFile(path, "first\r\n");
    QString text, status;
    bool viewing = false;
    RefusalAnswers refusals;
    refusals.buttons = {SaveRefusedDialog::kReloadId};
    runPreview(
        path,
        [&](PreviewDialog &p) {
          p.pressEdit();
          QTest::keyClicks(p.view(), QStringLiteral("mine "));
          changeElsewhere(path, "second, longer\r\n");
          QCOMPARE(p.saveText(), PreviewDialog::kSaveCanceled);
          text = p.view()->toPlainText();
          status = p.statusText();
          viewing = p.view()->isReadOnly() && !p.isModified() &&
                    p.editButton()->isEnabled() && !p.saveButton()->isEnabled();
          // The version now shown is the one a save replaces.
          touch(p);
          QCOMPARE(p.saveText(), PreviewDialog::kSaveDone);
        },
        {kIdYes}, platform::realFileSystem(), PreviewDialog::kDefaultCapacity,
        refusals);
    QCOMPARE(text, QStringLiteral("second, longer\n"));
    QCOMPARE(status, whole(path, 16));
    QVERIFY(viewing);
    QCOMPARE(readFile(path), bytes(std::string("second, longer\r\n")));
  }

  // "Save as..." writes the text, with the rest of the file when it is still
  // the version read, to the chosen file, which the preview shows from then
  // on; the file that changed keeps the other program's text. A new file
  // that cannot be written is not left behind.
  void saveAsWritesTheTextElsewhere() {
    QTemporaryDir dir;
    const QString path = dir.filePath("mine.txt");
    const QString copy = dir.filePath("copy.txt");
    writeFile(path, "0123456789rest");
    RefusalAnswers refusals;
    refusals.buttons = {SaveRefusedDialog::kSaveAsId};
    refusals.saveAs = copy;
    std::string shown;
    QString status;
    platform::FaultyFileSystem fs;
    const PreviewRun run = runPreview(
        path,
        [&](PreviewDialog &p) {
          p.pressEdit();
          p.view()->moveCursor(QTextCursor::Start);
          QTest::keyClick(p.view(), Qt::Key_A);
          fs.fail.beginSave = true;
          fs.fail.onlyPath = path.toStdString();
          // Refused; saved as copy.txt, the rest of mine.txt coming along.
          QCOMPARE(p.saveText(), PreviewDialog::kSaveDone);
          shown = p.fileName();
          status = p.statusText();
          QVERIFY(!p.isModified());
        },
        {kIdYes}, fs, 10, refusals);
    QCOMPARE(QString::fromStdString(shown), copy);
    QCOMPARE(status, shortView(copy, 15, 11));
    QCOMPARE(readFile(copy), QByteArray("a0123456789rest"));
    QCOMPARE(readFile(path), QByteArray("0123456789rest"));
    QVERIFY(run.log.contains(refusal("Unable to save file", EIO)));

    // A new file that cannot be written is removed again.
    const QString failed = dir.filePath("failed.txt");
    refusals.saveAs = failed;
    fs.fail.onlyPath.clear();
    const PreviewRun again = runPreview(
        path,
        [&](PreviewDialog &p) {
          touch(p);
          QCOMPARE(p.saveText(), PreviewDialog::kSaveCanceled);
          QVERIFY(p.isModified());
        },
        {kIdYes}, fs, PreviewDialog::kDefaultCapacity, refusals);
    QVERIFY(again.log.contains(QStringLiteral("message: ") + failed +
                               QStringLiteral(" / Unable to save file")));
    QVERIFY(!QFile::exists(failed));
  }

  // The close box saves a changed text first, as "&OK" does: NO closes
  // without writing, Cancel keeps the preview open.
  void closeBoxAsksBeforeTheTextGoes() {
    QTemporaryDir dir;
    const QString path = dir.filePath("close.txt");
    writeFile(path, "text");
    for (const int answer : {kIdNo, kIdCancel, kIdYes}) {
      bool open = false;
      const PreviewRun run =
          runPreview(path,
                     [&](PreviewDialog &p) {
                       p.pressEdit();
                       p.view()->moveCursor(QTextCursor::End);
                       QTest::keyClick(p.view(), Qt::Key_S);
                       p.close();
                       open = p.isVisible();
                     },
                     {answer});
      QCOMPARE(open, answer == kIdCancel);
      QCOMPARE(run.log, (QStringList{QStringLiteral("preview"),
                                     QStringLiteral("save prompt: ") + path}));
      QCOMPARE(readFile(path), QByteArray(answer == kIdYes ? "texts" : "text"));
    }
  }

  void promptShowsItsTemplate() {
    SavePromptDialog prompt("/tmp/some/file.txt");
    QCOMPARE(prompt.windowTitle(), QStringLiteral("SNPLN : Save file ?"));
    auto *name = prompt.controls().control<QLabel>(SavePromptDialog::kNameId);
    QVERIFY(name);
    QCOMPARE(name->text(), QStringLiteral("/tmp/some/file.txt"));
    QTimer::singleShot(0, &prompt,
                       [&] { QTest::keyClick(&prompt, Qt::Key_Escape); });
    QCOMPARE(prompt.run(), job::DialogAnswer::Cancel);
  }

  // The fast view splits lines exactly as the editor's loader does, on any
  // mix of line ends: the loader is the reference.
  void fastViewLinesMatchTheEditor_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("one line") << QByteArray("abc");
    QTest::newRow("ends with LF") << QByteArray("x\n");
    QTest::newRow("mixed") << QByteArray("a\r\nb\nc\rd");
    QTest::newRow("CR CR LF") << QByteArray("\r\r\n");
    QTest::newRow("LF CR") << QByteArray("\n\r");
    QTest::newRow("all bytes")
        << QByteArray::fromStdString(allBytesAndLineEnds());
    QByteArray random;
    QRandomGenerator generator(12);
    const char alphabet[] = {'a', '\r', '\n', '\t', '\xe0', ' '};
    for (int i = 0; i < 5000; ++i)
      random.append(alphabet[generator.bounded(6)]);
    QTest::newRow("random") << random;
  }
  void fastViewLinesMatchTheEditor() {
    QFETCH(QByteArray, bytes);
    ByteTextView view;
    view.setBytes(bytes.toStdString(), engine::CodePage::Win);
    const QStringList expected =
        splitLines(bytes.toStdString(), engine::CodePage::Win)
            .text.split(QLatin1Char('\n'));
    QCOMPARE(qsizetype(view.lineCount()), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i)
      QCOMPARE(view.lineText(std::size_t(i)), expected[i]);
    QCOMPARE(QByteArray::fromStdString(view.bytes()), bytes);
    QCOMPARE(QByteArray::fromStdString(view.takeBytes()), bytes);
    QCOMPARE(view.lineCount(), std::size_t(1));
  }

  void fastViewMeasuresColumnsWithTabs_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("widest");
    const int dos = int(engine::CodePage::Dos);
    QTest::newRow("tab first") << QByteArray("\tab") << dos << 10;
    QTest::newRow("tab after eight") << QByteArray("abcdefgh\t") << dos << 16;
    QTest::newRow("tab after seven") << QByteArray("abcdefg\tx") << dos << 9;
    QTest::newRow("second line wider") << QByteArray("ab\r\nabcd") << dos << 4;
    QTest::newRow("empty") << QByteArray() << dos << 0;
    // A UTF-8 character takes one column however many bytes it has.
    QTest::newRow("UTF-8 Cyrillic then a tab")
        << QByteArray("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\tx")
        << int(engine::CodePage::Utf8) << 9;
  }
  void fastViewMeasuresColumnsWithTabs() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, page);
    QFETCH(int, widest);
    ByteTextView view;
    view.setBytes(bytes.toStdString(), static_cast<engine::CodePage>(page));
    QCOMPARE(int(view.widestLine()), widest);
  }

  // The fast view draws a UTF-8 file's characters, not its bytes: the same
  // text in UTF-8 and in Windows-1251 looks the same.
  void regressionFastViewDrawsUtf8AsCharacters() {
    const std::string utf8 =
        "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82,\t\xD0\xBC\xD0\xB8"
        "\xD1\x80\r\nok";
    const std::string win = "\xCF\xF0\xE8\xE2\xE5\xF2,\t\xEC\xE8\xF0\r\nok";
    const auto draw = [](const std::string &bytes, engine::CodePage page) {
      ByteTextView view;
      view.resize(300, 80);
      view.setBytes(bytes, page);
      return view.grab().toImage();
    };
    const QImage fromUtf8 = draw(utf8, engine::CodePage::Utf8);
    QVERIFY(!fromUtf8.isNull());
    QCOMPARE(fromUtf8, draw(win, engine::CodePage::Win));
    QVERIFY(fromUtf8 != draw(win, engine::CodePage::Koi));
  }

  // A file at or over the threshold opens in the fast view: the same bytes,
  // no editor text until Edit; Edit moves it into the editor, and a save
  // after an edit keeps every line end the file had.
  void largeFileOpensInTheFastViewAndEditsInTheEditor() {
    QTemporaryDir dir;
    const QString path = dir.filePath("large.txt");
    const std::string content = "first\r\nsecond\nthird\rfourth\t\xe0\r\n";
    writeFile(path, content);
    std::string viewed, saved;
    bool fastAtOpen = false, editorEmpty = false, fastAfterEdit = true;
    QString editorText;
    engine::CodePage page = engine::CodePage::Auto;
    ModalScript script([&](QWidget *w) {
      if (auto *p = qobject_cast<PreviewDialog *>(w)) {
        fastAtOpen = p->showsFastView() && p->fastView()->isVisible() &&
                     !p->view()->isVisible();
        editorEmpty = p->view()->document()->isEmpty();
        viewed = p->viewBytes();
        p->setLoadStepsByHand(true);
        p->pressEdit();
        while (p->stepLoad()) {
        }
        fastAfterEdit = p->showsFastView();
        editorText = p->view()->toPlainText();
        page = p->codePage();
        p->view()->moveCursor(QTextCursor::Start);
        QTest::keyClick(p->view(), Qt::Key_X);
        p->saveText();
        p->reject();
      } else if (qobject_cast<SavePromptDialog *>(w)) {
        clickId(w, kIdYes);
      } else if (qobject_cast<MessageDialog *>(w)) {
        clickId(w, 1);
      }
    });
    PreviewDialog preview(path.toStdString());
    preview.setFastViewThreshold(content.size());
    preview.run();
    QVERIFY(fastAtOpen);
    QVERIFY(editorEmpty);
    QCOMPARE(bytes(viewed), bytes(content));
    QVERIFY(!fastAfterEdit);
    QCOMPARE(editorText, splitLines(content, page).text);
    QVERIFY(editorText.startsWith(QStringLiteral("first\nsecond\nthird\n")));
    QCOMPARE(readFile(path), bytes("x" + content));
  }

  // The editor filled a piece at a time holds what setDocumentBytes gives
  // at once: the same lines, the same line ends, every byte, at every
  // piece size, on random line-end and UTF-8 soup (a piece may cut a long
  // line, never a character) and on real prose in every page.
  void pieceByPieceLoadMatchesTheWholeLoad() {
    std::vector<std::pair<std::string, engine::CodePage>> inputs = {
        {allBytesAndLineEnds(), engine::CodePage::Win},
        {std::string(), engine::CodePage::Win},
        {"\r\n", engine::CodePage::Koi},
        {"a\n\rb\r\n\rc", engine::CodePage::Dos},
        {"\xd0\xb0\xd0\xb1\xe2\x82\xac\xf0\x9f\x98\x80\r",
         engine::CodePage::Utf8},
        {"\xe2\xe2\x82\xac\x82\xac\xac\xac\xac\xacz", engine::CodePage::Utf8},
    };
    std::mt19937 rng(22);
    const char soup[] = {'a',    '\r',   '\n',   '\xd0', '\xb0', '\xe2', '\x82',
                         '\xac', '\xf0', '\x9f', '\x98', '\x80', '\xff'};
    for (int i = 0; i < 60; ++i) {
      std::string text;
      for (std::size_t n = rng() % 80; text.size() < n;)
        text += soup[rng() % sizeof soup];
      inputs.emplace_back(text, i % 2 ? engine::CodePage::Utf8
                                      : engine::CodePage::Iso);
    }
    const std::string prose = test::readTestData("russian_prose.txt");
    inputs.emplace_back(prose.substr(0, 20000), engine::CodePage::Utf8);
    for (const auto page : {engine::CodePage::Dos, engine::CodePage::Koi}) {
      std::string line(5000, '\xe0'); // a line longer than a piece
      inputs.emplace_back(line + "\r\n" + line, page);
    }
    for (const auto &[bytes, page] : inputs) {
      QTextDocument whole;
      setDocumentBytes(whole, bytes, page);
      for (const std::size_t piece : {1u, 2u, 3u, 7u, 64u, 8192u}) {
        QTextDocument pieces;
        keepLineEnds(pieces);
        int steps = 0;
        {
          DocumentLoader loader(pieces, bytes, page, piece);
          while (loader.step())
            ++steps;
          QVERIFY(loader.finished());
        }
        QVERIFY(steps + 1 >=
                int(bytes.size() / std::max<std::size_t>(piece, 8192)));
        QVERIFY(!pieces.isModified());
        QVERIFY(pieces.isUndoRedoEnabled());
        QCOMPARE(pieces.toPlainText(), whole.toPlainText());
        QCOMPARE(QByteArray::fromStdString(documentBytes(pieces, page)),
                 QByteArray::fromStdString(bytes));
        QTextBlock a = whole.firstBlock();
        for (QTextBlock b = pieces.firstBlock(); b.isValid(); b = b.next()) {
          QCOMPARE(b.userState(), a.userState());
          a = a.next();
        }
      }
    }
  }

  // "&Edit" on a large file: a worker cuts the text into pieces and the
  // editor takes one per turn of the event loop: the window handles its
  // events between the pieces (a timer of its own fires while the load is
  // under way), the loading line and the busy cursor show until the editor
  // takes over and are then taken away, and the editor ends up with the
  // whole file, ready for typing. The worker runs ahead by a few pieces at
  // most (the file has many more).
  void editOfALargeFileKeepsTheWindowLive() {
    QTemporaryDir dir;
    const QString path = dir.filePath("large.txt");
    std::string content;
    for (int i = 0; i < 300; ++i)
      content += "line " + std::to_string(i) + (i % 3 ? "\r\n" : "\n");
    writeFile(path, content);
    bool loadingAtFirst = false, waitCursor = false, liveDuringLoad = false;
    bool lineShown = false, lineGone = false;
    QList<int> percents;
    bool fastDuringLoad = false, editDisabled = false, saveDisabled = false;
    bool cursorRestored = false, editing = false;
    int turns = 0;
    QString editorText;
    std::string viewed;
    runPreview(
        path,
        [&](PreviewDialog &p) {
          p.setLoadPieceSize(64);
          p.pressEdit();
          loadingAtFirst = p.loading();
          waitCursor =
              QApplication::overrideCursor() &&
              QApplication::overrideCursor()->shape() == Qt::BusyCursor;
          lineShown =
              p.loadingLine()->isVisible() && !p.statusField()->isVisible();
          fastDuringLoad = p.showsFastView();
          editDisabled = !p.editButton()->isEnabled();
          saveDisabled = !p.saveButton()->isEnabled();
          bool fired = false;
          QTimer::singleShot(0, &p, [&] {
            fired = true;
            liveDuringLoad = p.loading();
          });
          // Turns of the event loop, as many as the load takes (each one
          // waits for the next event: a piece ready or the editor's turn;
          // the count is a bound against a hang, not a clock).
          while (p.loading() && turns < 100000) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            if (p.loading())
              percents << p.loadedPercent();
            ++turns;
          }
          lineGone =
              !p.loadingLine()->isVisible() && p.statusField()->isVisible();
          QVERIFY(fired);
          cursorRestored = QApplication::overrideCursor() == nullptr;
          editing = !p.showsFastView() && p.view()->isVisible() &&
                    !p.view()->isReadOnly() && p.saveButton()->isEnabled() &&
                    !p.editButton()->isEnabled() && !p.isModified();
          editorText = p.view()->toPlainText();
          viewed = p.viewBytes();
        },
        {}, platform::realFileSystem(), PreviewDialog::kDefaultCapacity, {},
        100);
    QVERIFY(loadingAtFirst);
    QVERIFY(waitCursor);
    QVERIFY(lineShown);
    QVERIFY(lineGone);
    QVERIFY2(std::is_sorted(percents.begin(), percents.end()) &&
                 !percents.isEmpty() && percents.last() < 100,
             qPrintable(QString::number(percents.size())));
    QVERIFY(fastDuringLoad);
    QVERIFY(editDisabled);
    QVERIFY(saveDisabled);
    QVERIFY2(liveDuringLoad, "no event was handled while the editor loaded");
    QVERIFY2(turns > 1, qPrintable(QString::number(turns)));
    QVERIFY(cursorRestored);
    QVERIFY(editing);
    QCOMPARE(editorText, splitLines(content, engine::CodePage::Win).text);
    QCOMPARE(bytes(viewed), bytes(content));
  }

  // Esc during the load gives it up and leaves the preview as it was: the
  // fast view with the file, "&Edit" enabled, "&Save" not, the cursor back,
  // the window open; "&Edit" then loads again. The close box during a load
  // closes the preview, the cursor restored.
  void cancelledLoadLeavesThePreviewAsItWas() {
    QTemporaryDir dir;
    const QString path = dir.filePath("large.txt");
    std::string content;
    for (int i = 0; i < 100; ++i)
      content += "line " + std::to_string(i) + "\r\n";
    writeFile(path, content);
    bool asBefore = false, loadedAfter = false;
    std::string viewed;
    const PreviewRun run = runPreview(
        path,
        [&](PreviewDialog &p) {
          p.setLoadPieceSize(50);
          p.setLoadStepsByHand(true);
          p.pressEdit();
          QVERIFY(p.stepLoad());
          QVERIFY(p.stepLoad());
          QVERIFY(p.loading());
          QTest::keyClick(&p, Qt::Key_Escape);
          asBefore = p.isVisible() && !p.loading() && p.showsFastView() &&
                     !p.view()->isVisible() &&
                     p.view()->document()->isEmpty() &&
                     p.view()->isReadOnly() && p.editButton()->isEnabled() &&
                     !p.saveButton()->isEnabled() && !p.isModified() &&
                     QApplication::overrideCursor() == nullptr;
          viewed = p.viewBytes();
          p.pressEdit();
          while (p.stepLoad()) {
          }
          loadedAfter = !p.showsFastView() && p.viewBytes() == content;
        },
        {}, platform::realFileSystem(), PreviewDialog::kDefaultCapacity, {},
        100);
    QVERIFY(asBefore);
    QCOMPARE(bytes(viewed), bytes(content));
    QVERIFY(loadedAfter);
    QCOMPARE(run.log, QStringList{QStringLiteral("preview")});
    QCOMPARE(readFile(path), bytes(content));

    bool closed = false;
    const PreviewRun closing = runPreview(
        path,
        [&](PreviewDialog &p) {
          p.setLoadPieceSize(50);
          p.setLoadStepsByHand(true);
          p.pressEdit();
          QVERIFY(p.stepLoad());
          p.close();
          closed = !p.isVisible() && !p.loading() &&
                   QApplication::overrideCursor() == nullptr;
        },
        {}, platform::realFileSystem(), PreviewDialog::kDefaultCapacity, {},
        100);
    QVERIFY(closed);
    QCOMPARE(closing.result, int(kIdOk));
    QCOMPARE(closing.log, QStringList{QStringLiteral("preview")});
    QCOMPARE(readFile(path), bytes(content));
  }

  // The loading line counts the share of the text in the editor, piece
  // by piece, and its "&Cancel" gives the load up as Esc does; a new
  // "&Edit" loads from the start again, and the line goes once the editor
  // has the text.
  void loadingLineCountsAndCancels() {
    QTemporaryDir dir;
    const QString path = dir.filePath("large.txt");
    std::string content;
    for (int i = 0; i < 100; ++i)
      content += "line " + std::to_string(i) + "\r\n";
    writeFile(path, content);
    QStringList said;
    bool asBefore = false, lineGone = false;
    runPreview(
        path,
        [&](PreviewDialog &p) {
          p.setLoadPieceSize(100);
          p.setLoadStepsByHand(true);
          p.pressEdit();
          QVERIFY(p.loadingLine()->isVisible());
          QVERIFY(!p.statusField()->isVisible());
          QCOMPARE(p.loadingCancel()->text(), QStringLiteral("&Cancel"));
          said << p.loadingLabel()->text();
          for (int i = 0; i < 3; ++i) {
            QVERIFY(p.stepLoad());
            said << p.loadingLabel()->text();
          }
          QTest::mouseClick(p.loadingCancel(), Qt::LeftButton);
          asBefore =
              !p.loading() && p.showsFastView() &&
              !p.loadingLine()->isVisible() && p.statusField()->isVisible() &&
              p.editButton()->isEnabled() && p.view()->document()->isEmpty() &&
              QApplication::overrideCursor() == nullptr;
          p.pressEdit();
          QCOMPARE(p.loadingLabel()->text(),
                   QStringLiteral("Loading the text into the editor: 0 %"));
          while (p.stepLoad()) {
          }
          lineGone = !p.loadingLine()->isVisible() &&
                     p.statusField()->isVisible() && !p.showsFastView() &&
                     p.viewBytes() == content;
        },
        {}, platform::realFileSystem(), PreviewDialog::kDefaultCapacity, {},
        100);
    // From 0 %, up with each piece of about 100 of the 890 bytes.
    QList<int> percents;
    const QRegularExpression form(
        QStringLiteral("^Loading the text into the editor: (\\d+) %$"));
    for (const QString &line : said) {
      const QRegularExpressionMatch match = form.match(line);
      QVERIFY2(match.hasMatch(), qPrintable(line));
      percents << match.captured(1).toInt();
    }
    QCOMPARE(percents.size(), 4);
    QCOMPARE(percents.first(), 0);
    for (int i = 1; i < percents.size(); ++i)
      QVERIFY2(percents[i] >= percents[i - 1] + 9 &&
                   percents[i] <= percents[i - 1] + 12,
               qPrintable(said.join(" | ")));
    QVERIFY(asBefore);
    QVERIFY(lineGone);
    QCOMPARE(readFile(path), bytes(content));
  }

  // Given up while the worker is far ahead and waiting, the load ends at
  // once: the worker stops, the preview is as before, and a new load from
  // the worker gives the whole text.
  void cancelStopsTheWorker() {
    QTemporaryDir dir;
    const QString path = dir.filePath("large.txt");
    std::string content;
    for (int i = 0; i < 2000; ++i)
      content += "w" + std::to_string(i) + "\n";
    writeFile(path, content);
    bool asBefore = false, loadedAfter = false;
    runPreview(
        path,
        [&](PreviewDialog &p) {
          p.setLoadPieceSize(4);
          p.pressEdit();
          // A few turns: the worker is ahead and waits.
          for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
          QVERIFY(p.loading());
          QTest::keyClick(&p, Qt::Key_Escape);
          asBefore = p.isVisible() && !p.loading() && p.showsFastView() &&
                     p.editButton()->isEnabled() &&
                     p.view()->document()->isEmpty();
          p.setLoadPieceSize(4096);
          p.pressEdit();
          for (int turns = 0; p.loading() && turns < 100000; ++turns)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
          loadedAfter = !p.showsFastView() && p.viewBytes() == content;
        },
        {}, platform::realFileSystem(), PreviewDialog::kDefaultCapacity, {},
        100);
    QVERIFY(asBefore);
    QVERIFY(loadedAfter);
  }

  // A file marked read-only that the user may replace is asked about as
  // such; YES writes it and it stays read-only, NO leaves it. The question
  // comes after the check that it is still the version read.
  void readOnlyFileIsAskedAboutAsSuch_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("written");
    QTest::newRow("YES") << kIdYes << true;
    QTest::newRow("NO") << kIdNo << false;
  }
  void readOnlyFileIsAskedAboutAsSuch() {
    QFETCH(int, answer);
    QFETCH(bool, written);
    QTemporaryDir dir;
    const QString path = dir.filePath("ro.txt");
    writeFile(path, "old\r\n");
    QVERIFY(QFile(path).setPermissions(QFileDevice::ReadOwner |
                                       QFileDevice::ReadGroup |
                                       QFileDevice::ReadOther));
    QStringList questions;
    ModalScript script([&](QWidget *w) {
      if (auto *p = qobject_cast<PreviewDialog *>(w)) {
        touch(*p);
        p->view()->moveCursor(QTextCursor::Start);
        QTest::keyClick(p->view(), Qt::Key_N);
        p->saveText();
        p->reject();
      } else if (auto *prompt = qobject_cast<SavePromptDialog *>(w)) {
        questions << prompt->question();
        clickId(w, answer);
      } else if (auto *d = qobject_cast<QDialog *>(w)) {
        d->reject();
      }
    });
    platform::FaultyFileSystem fs;
    PreviewDialog preview(path.toStdString(), nullptr, fs);
    preview.run();
    QCOMPARE(script.log, (QStringList{QStringLiteral("preview"),
                                      QStringLiteral("save prompt: ") + path}));
    QCOMPARE(questions, QStringList{QStringLiteral(
                            "This file is read-only. Save anyway?")});
    QCOMPARE(readFile(path),
             bytes(std::string(written ? "nold\r\n" : "old\r\n")));
    QCOMPARE(modeOf(path), 0444u);
    QCOMPARE(entries(dir), QStringList{QStringLiteral("ro.txt")});
    // Asked once, after the version check, before anything is written.
    QCOMPARE(fs.calls.replaceAccess, 1);
    const auto at = [&fs](const std::string &call) {
      for (std::size_t i = 0; i < fs.log.size(); ++i)
        if (fs.log[i].rfind(call, 0) == 0)
          return int(i);
      return -1;
    };
    QVERIFY(at("status ") >= 0 && at("status ") < at("replaceAccess "));
    QVERIFY(at("beginSave ") < 0 || at("replaceAccess ") < at("beginSave "));
  }

  // A file the user may not replace is refused before the question, with
  // the system's reason; nothing is begun, the file stays as it was and
  // the text stays in the editor.
  void refusalComesBeforeTheQuestion_data() {
    QTest::addColumn<int>("error");
    QTest::newRow("not writable") << EACCES;
    QTest::newRow("another user's") << EPERM;
  }
  void refusalComesBeforeTheQuestion() {
    QFETCH(int, error);
    QTemporaryDir dir;
    const QString path = dir.filePath("theirs.txt");
    writeFile(path, "text\r\n");
    platform::FaultyFileSystem fs;
    fs.fail.replaceAccess = true;
    fs.fail.error = error;
    bool editing = false;
    const PreviewRun run = runPreview(
        path,
        [&](PreviewDialog &p) {
          touch(p);
          QTest::keyClick(p.view(), Qt::Key_Z);
          QCOMPARE(p.saveText(), PreviewDialog::kSaveCanceled);
          editing = p.isModified() && !p.view()->isReadOnly() &&
                    p.view()->toPlainText().contains(QLatin1Char('z'));
        },
        {kIdYes}, fs);
    QCOMPARE(run.log, (QStringList{QStringLiteral("preview"),
                                   refusal("Unable to save file", error)}));
    QVERIFY(editing);
    QCOMPARE(fs.calls.beginSave, 0);
    QCOMPARE(readFile(path), bytes(std::string("text\r\n")));
  }

  // The preview's buttons, the loading line's Cancel with them, each have
  // an Alt key of their own, in English and in Russian.
  void buttonsHaveTheirOwnAltKeys_data() {
    QTest::addColumn<bool>("russian");
    QTest::newRow("English") << false;
    QTest::newRow("Russian") << true;
  }
  void buttonsHaveTheirOwnAltKeys() {
    QFETCH(bool, russian);
    QVERIFY(setUiLanguage(russian ? QLocale(QLocale::Russian, QLocale::Russia)
                                  : QLocale::c()) == russian);
    PreviewDialog p("unused.txt");
    QMap<QString, QString> keys;
    for (QPushButton *b : p.findChildren<QPushButton *>()) {
      const QString key = QKeySequence::mnemonic(b->text()).toString();
      QVERIFY2(!key.isEmpty(), qPrintable(b->text()));
      QVERIFY2(!keys.contains(key),
               qPrintable(key + ": " + keys[key] + " and " + b->text()));
      keys[key] = b->text();
    }
    setUiLanguage(QLocale::c());
    QCOMPARE(keys.size(), 4); // OK, Edit, Save, Cancel
  }

  // The views keep a fixed-width font, also under a style sheet that gives
  // every widget a proportional one (as dark style sheets do).
  void viewsKeepAFixedWidthFont_data() {
    QTest::addColumn<QString>("sheet");
    QTest::newRow("no style sheet") << QString();
    QTest::newRow("dark, every widget's font")
        << QStringLiteral("QWidget { font-family: \"DejaVu Sans\"; "
                          "background: #202020; color: #e0e0e0; }");
  }
  void viewsKeepAFixedWidthFont() {
    QFETCH(QString, sheet);
    qApp->setStyleSheet(sheet);
    QTemporaryDir dir;
    const QString path = dir.filePath("a.txt");
    writeFile(path, "iiii\r\nMMMM\r\n");
    QStringList proportional;
    for (const std::size_t threshold : {std::size_t(1u << 20), std::size_t(4)})
      runPreview(
          path,
          [&](PreviewDialog &p) {
            for (QWidget *view : {static_cast<QWidget *>(p.view()),
                                  static_cast<QWidget *>(p.fastView())}) {
              const QFontMetrics m(view->font());
              if (m.horizontalAdvance(QStringLiteral("iiii")) !=
                  m.horizontalAdvance(QStringLiteral("MMMM")))
                proportional
                    << view->objectName() + ": " + view->font().family();
            }
          },
          {}, platform::realFileSystem(), PreviewDialog::kDefaultCapacity, {},
          threshold);
    qApp->setStyleSheet(QString());
    QCOMPARE(proportional, QStringList());
  }

  // A refused save names the system's reason where the system gave one, in
  // both languages; a refusal without one keeps its own sentence.
  void refusedSaveNamesTheSystemsReason_data() {
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("head");
    QTest::newRow("write: no space") << 0 << ENOSPC << "Unable to save file";
    QTest::newRow("commit: permission") << 1 << EACCES << "Unable to save file";
    QTest::newRow("create: i/o") << 2 << EIO << "Unable to save file";
    QTest::newRow("status: gone") << 3 << ENOENT << "File access error";
    QTest::newRow("write: no reason") << 0 << 0 << "";
  }
  void refusedSaveNamesTheSystemsReason() {
    QFETCH(int, fault);
    QFETCH(int, error);
    QFETCH(QString, head);
    QTemporaryDir dir;
    const QString path = dir.filePath("reason.txt");
    writeFile(path, "text\r\n");
    platform::FaultyFileSystem fs;
    fs.fail.error = error;
    const PreviewRun run = runPreview(
        path,
        [&](PreviewDialog &p) {
          switch (fault) {
          case 0:
            fs.fail.writeAt = 0;
            break;
          case 1:
            fs.fail.commit = true;
            break;
          case 2:
            fs.fail.beginSave = true; // the fixture's reason is EIO
            break;
          case 3:
            fs.fail.status = true;
            break;
          }
          touch(p);
          p.saveText();
        },
        {kIdYes}, fs);
    const QString expected = head.isEmpty()
                                 ? refusal(SaveRefusal::NotWritten)
                                 : refusal(head.toUtf8().constData(), error);
    QVERIFY2(run.log.contains(expected),
             qPrintable(run.log.join(" | ") + "\nwanted: " + expected));
    QCOMPARE(readFile(path), bytes(std::string("text\r\n")));

    // In Russian the window's own words are translated around the reason.
    if (head.isEmpty())
      return;
    QVERIFY(setUiLanguage(QLocale(QLocale::Russian)));
    SaveRefusedDialog russian(
        path.toStdString(),
        SaveFailure{fault == 3 ? SaveRefusal::Gone : SaveRefusal::NotWritten,
                    error});
    const QString reason = russian.reason();
    setUiLanguage(QLocale(QLocale::English));
    const QString russianHead =
        fault == 3 ? QStringLiteral("Ошибка доступа к файлу")
                   : QStringLiteral("Невозможно сохранить файл");
    QVERIFY2(reason.startsWith(russianHead + QStringLiteral(": ")),
             qPrintable(reason));
    QVERIFY2(reason.size() > russianHead.size() + 3, qPrintable(reason));
  }

  // In the Ungarble mode the preview shows the text the repair would write,
  // worked out off the window's thread, and names the chain undone; a file
  // that is not garbled is shown as it is, with the reason. Nothing is
  // saved, and the repaired text is not edited.
  void repairModeShowsTheRepairedText_data() {
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("said"); // the status's end
    QTest::addColumn<bool>("editable");
    QTest::addColumn<qulonglong>("fastFrom"); // the fast view's threshold
    const std::string text =
        "Мороз и солнце; день чудесный! Ещё ты дремлешь, друг прелестный, "
        "пора, красавица, проснись: открой сомкнуты негой взоры.\n"
        "Вечор, ты помнишь, вьюга злилась, на мутном небе мгла носилась.\n";
    const QString plain = QString::fromStdString(text);
    const auto garbled = [&text](std::size_t layers) {
      std::vector<engine::RepairLayer> chain(
          layers, {engine::RepairPage::Utf8, engine::RepairPage::Win});
      engine::RepairChain c = test::chainOf({chain[0]});
      for (std::size_t i = 1; i < layers; ++i)
        c.layers[c.count++] = chain[i];
      return QByteArray::fromStdString(test::garble(text, c).value());
    };
    const qulonglong never = PreviewDialog::kDefaultFastViewThreshold;
    QTest::newRow("UTF-8 read as Windows-1251")
        << true << garbled(1) << plain
        << "shown repaired, not saved: UTF-8 read as Windows-1251" << false
        << never;
    QTest::newRow("twice, in the fast view")
        << true << garbled(2) << plain
        << "shown repaired, not saved: UTF-8 read as Windows-1251, twice"
        << false << qulonglong{16};
    QTest::newRow("clean UTF-8")
        << true << QByteArray::fromStdString(text) << plain
        << "Nothing garbled found: the file is left as it was" << true << never;
    QTest::newRow("Windows-1251")
        << true
        << QByteArray::fromStdString(
               test::encodeInPage(text, engine::CodePage::Win))
        << plain << "This file is not UTF-8 text: there is nothing to repair"
        << true << never;
    QTest::newRow("no Cyrillic")
        << true << QByteArray("plain English text\n")
        << QStringLiteral("plain English text\n")
        << "This file consist of english symbols only" << true << never;
    QTest::newRow("not asked")
        << false << garbled(1) << QString::fromUtf8(garbled(1)) << "" << true
        << never;
  }
  void repairModeShowsTheRepairedText() {
    QFETCH(bool, asked);
    QFETCH(QByteArray, file);
    QFETCH(QString, shown);
    QFETCH(QString, said);
    QFETCH(bool, editable);
    QFETCH(qulonglong, fastFrom);
    QTemporaryDir dir;
    const QString path = dir.filePath("garbled.txt");
    writeFile(path, file.toStdString());
    PreviewDialog preview(path.toStdString());
    preview.setShowRepaired(asked);
    preview.setFastViewThreshold(fastFrom);
    bool checked = false;
    snpln::test::onNextModal([&](QWidget *) {
      // Whether or not the worker's end was seen already, it is now.
      preview.finishRepair();
      QVERIFY(!preview.repairPending());
      QCOMPARE(preview.repairShown().has_value(), asked);
      const QString text =
          preview.showsFastView()
              ? QString::fromUtf8(preview.fastView()->bytes().data(),
                                  qsizetype(preview.fastView()->bytes().size()))
              : preview.view()->toPlainText();
      QCOMPARE(text, shown);
      QCOMPARE(preview.showsFastView(),
               qulonglong(shown.toUtf8().size()) >= fastFrom);
      QVERIFY2(preview.statusText().endsWith(said),
               qPrintable(preview.statusText()));
      QCOMPARE(preview.editButton()->isEnabled(), editable);
      if (!editable)
        QCOMPARE(
            preview.editButton()->toolTip(),
            QStringLiteral("the repaired text is only shown: DO IT writes it"));
      preview.pressEdit();
      QCOMPARE(preview.view()->isReadOnly(), !editable);
      checked = true;
      preview.reject();
    });
    QCOMPARE(preview.run(), int(kIdCancel));
    QVERIFY(checked);
    QCOMPARE(readFile(path), file);
  }

  // However small the window is made, OK, Edit and Save stay whole inside it.
  void minimumSizeKeepsTheButtons() {
    QTemporaryDir dir;
    const QString path = dir.filePath("small.txt");
    writeFile(path, "text\r\n");
    runPreview(path, [](PreviewDialog &p) {
      p.resize(10, 10);
      QVERIFY(p.width() >= p.minimumWidth() && p.height() >= p.minimumHeight());
      for (QPushButton *button : {p.editButton(), p.saveButton(),
                                  p.controls().control<QPushButton>(kIdOk)}) {
        QVERIFY2(p.rect().contains(button->geometry()),
                 qPrintable(button->text()));
      }
      QVERIFY(p.view()->width() > 0);
    });
  }
};

QTEST_MAIN(PreviewDialogTest)
#include "test_preview_dialog.moc"
