// The windows' language: English everywhere unless the locale is Russian,
// then Russian through the compiled catalogue. The English texts must stay
// exactly as they are; the Russian ones must cover every caption of the
// templates and the texts the batch run and the jobs hand over.
#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QTest>

#include "batch/batch_texts.h"
#include "job/messages.h"
#include "ui/dialog_builder.h"
#include "ui/dialog_templates.h"
#include "ui/main_window.h"
#include "ui/message_dialog.h"
#include "ui/picture_button.h"
#include "ui/pictures.h"
#include "ui/translation.h"

using namespace snpln;
using namespace snpln::ui;

namespace {

// Texts that read the same in Russian: names.
bool isAName(const QString &text) {
  return text.isEmpty() ||
         text.startsWith(QStringLiteral("Snipline (SNPLN) v")) ||
         text == QStringLiteral("Windows-1251") ||
         text == QStringLiteral("KOI8-R") ||
         text == QStringLiteral("ISO 8859-5") ||
         text == QStringLiteral("DOS (CP866)") ||
         text == QStringLiteral("UTF-8");
}

bool hasCyrillic(const QString &text) {
  for (const QChar c : text)
    if (c.unicode() >= 0x0400 && c.unicode() <= 0x04FF)
      return true;
  return false;
}

// Every caption a template shows the user.
QStringList templateCaptions() {
  QStringList all;
  for (const DialogTemplate &t : dialogTemplates()) {
    all << QString::fromUtf8(t.title);
    for (const ControlTemplate &c : t.controls)
      if (c.kind == ControlKind::Static || c.kind == ControlKind::GroupBox ||
          c.kind == ControlKind::CheckBox || c.kind == ControlKind::PushButton)
        all << QString::fromUtf8(c.caption);
  }
  all.removeAll(QString());
  return all;
}

// The texts of the other layers, as they hand them over.
const char *const kHandedOver[] = {
    batch::texts::kNoFileName,        batch::texts::kNoOperation,
    batch::texts::kPromptExclude,     batch::texts::kPromptReplace,
    batch::texts::kPromptTabSize,     batch::texts::kEmptyExcludeLine1,
    batch::texts::kNotFound,          batch::texts::kDirectoryDone,
    batch::texts::kNoActionSelected,  batch::texts::kListCleaned,
    batch::texts::kBrowsing,          batch::texts::kBrowseCanceled,
    job::messages::kNotFound,         job::messages::kEnglishOnly,
    job::messages::kSameCoding,       job::messages::kNoTempFile,
    job::messages::kCanceled,         job::messages::kReadError,
    job::messages::kWriteError,       job::messages::kConverted,
    job::messages::kWithUpperCase,    job::messages::kWithLowerCase,
    job::messages::kWithSmartCase,    job::messages::kExcluded,
    job::messages::kOptimized,        job::messages::kDeletedEmpty,
    job::messages::kOwnerNotKept,     job::messages::kAttributesNotKept,
    job::messages::kDateNotKept,      job::messages::kWithLfEnds,
    job::messages::kWithCrLfEnds,     job::messages::kWithCrEnds,
    job::messages::kWithBomAdded,     job::messages::kWithBomRemoved,
    job::messages::kNotUtf8,          job::messages::kBomPresent,
    job::messages::kBomAbsent,        batch::texts::kPassedOverLink,
    batch::texts::kPassedOverSpecial, batch::texts::kPassedOverHidden,
};

struct English {
  English() { setUiLanguage(QLocale::c()); }
  ~English() { setUiLanguage(QLocale::c()); }
};

struct Russian {
  Russian() {
    installed = setUiLanguage(QLocale(QLocale::Russian, QLocale::Russia));
  }
  ~Russian() { setUiLanguage(QLocale::c()); }
  bool installed = false;
};

} // namespace

class TranslationTest : public QObject {
  Q_OBJECT

private slots:
  // Under C, English and German no catalogue is installed and every text is
  // shown exactly as the code has it.
  void otherLocalesKeepEveryText_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::newRow("C") << QLocale::c();
    QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates);
    QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany);
  }
  void otherLocalesKeepEveryText() {
    QFETCH(QLocale, locale);
    English restore;
    QVERIFY(!setUiLanguage(locale));
    QVERIFY(!translating());
    for (const QString &caption : templateCaptions())
      QCOMPARE(uiText(caption.toUtf8().constData()), caption);
    for (const char *text : kHandedOver)
      QCOMPARE(shownText(text), QString::fromUtf8(text));
    QCOMPARE(shownText("File '/tmp/a.txt' is choosed"),
             QStringLiteral("File '/tmp/a.txt' is choosed"));
    QCOMPARE(shownText(job::messages::detectionReport(engine::CodePage::Koi)),
             QStringLiteral("This file has coding ''Koi8''"));
    // A built window shows the template's own words.
    MainWindow w("");
    QCOMPARE(w.windowTitle(),
             QString::fromUtf8(dialogTemplate(kMainTemplate).title));
    QCOMPARE(w.statusLabel()->text(), QStringLiteral("0 files are choosed"));
    QCOMPARE(w.saveUpperBox()->text(), QStringLiteral("Sa&ve upper"));
    QCOMPARE(w.pictureButton(ids::kDoIt)->accessibleName(),
             QStringLiteral("Do it"));
    const MessageDialog message(std::string("/x/y.txt"),
                                std::string(job::messages::kCanceled));
    QCOMPARE(
        message.controls().control<QLabel>(MessageDialog::kLine2Id)->text(),
        QStringLiteral("Operation canceled"));
  }

  // Under Russian the catalogue covers every caption of every template and
  // every fixed text handed over, names aside.
  void russianCoversEveryText() {
    Russian russian;
    QVERIFY(russian.installed);
    QVERIFY(translating());
    for (const QString &caption : templateCaptions()) {
      if (isAName(caption))
        continue;
      const QString shown = uiText(caption.toUtf8().constData());
      QVERIFY2(hasCyrillic(shown), qPrintable(caption + " -> " + shown));
    }
    for (const char *text : kHandedOver)
      QVERIFY2(hasCyrillic(shownText(text)), text);
    for (const PictureSpec &spec : pictureTable()) {
      const QString name = QString::fromUtf8(spec.name);
      const char *description = pictureDescription(name.left(name.size() - 1));
      if (spec.look == PictureLook::Up && !isAName(description))
        QVERIFY2(hasCyrillic(uiText(description)), description);
      const char *tip = pictureTip(name.left(name.size() - 1));
      if (spec.look == PictureLook::Up && *tip)
        QVERIFY2(hasCyrillic(uiText(tip)), tip);
    }
  }

  // A sample, word for word, and texts put together from a sentence and a
  // name or number: the sentence is translated, the name kept as it is.
  void russianSample_data() {
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("russian");
    QTest::newRow("status") << "No action selected"
                            << "Действие не выбрано";
    QTest::newRow("selection") << "Selected upper case convert file mode"
                               << "Выбран перевод в верхний регистр";
    QTest::newRow("prompt") << "Enter text for replace"
                            << "Введите текст для замены";
    QTest::newRow("message") << "Operation canceled"
                             << "Операция отменена";
    QTest::newRow("one file") << "File '/home/u/Отчёт %2.txt' is choosed"
                              << "Выбран файл '/home/u/Отчёт %2.txt'";
    QTest::newRow("count") << "12 files are choosed"
                           << "Выбрано файлов: 12";
    QTest::newRow("detection") << "This file has coding ''Koi8''"
                               << "Файл в кодировке ''Koi8''";
    QTest::newRow("hits") << "Number of hits: 7"
                          << "Найдено: 7";
    QTest::newRow("no temporary file")
        << "Unable to open temporary file (Permission denied)"
        << "Невозможно открыть временный файл (Permission denied)";
    QTest::newRow("a path stays") << "/tmp/Operation canceled.d/x"
                                  << "/tmp/Operation canceled.d/x";
  }
  void russianSample() {
    QFETCH(QString, english);
    QFETCH(QString, russian);
    Russian language;
    QVERIFY(language.installed);
    QCOMPARE(shownText(english.toStdString()), russian);
  }

  // The windows built under Russian show it, and the pictures' labels are
  // drawn in it; back under C they are English again.
  void windowsFollowTheLanguage() {
    QImage englishDoIt;
    {
      English english;
      englishDoIt = picture("DOITU").toImage();
    }
    Russian language;
    QVERIFY(language.installed);
    MainWindow w("a.txt b.txt");
    QCOMPARE(w.statusLabel()->text(), QStringLiteral("Выбрано файлов: 2"));
    QCOMPARE(w.saveUpperBox()->text(), QStringLiteral("Со&хр. загл."));
    QCOMPARE(w.controls().control<QGroupBox>(1051)->title(),
             QStringLiteral("Перекодировка"));
    QCOMPARE(w.modeButton(batch::ModeButton::ToKoi)->accessibleName(),
             QStringLiteral("Перекодировать в KOI8-R"));
    // Tips and Alt keys in the language of the captions.
    QCOMPARE(w.modeButton(batch::ModeButton::FromKoi)->toolTip(),
             QStringLiteral("KOI8-R: исходная кодировка KOI8-R"));
    QCOMPARE(w.modeButton(batch::ModeButton::UpperCase)->toolTip(),
             QStringLiteral("ВЕРХНИЙ: перевести в верхний регистр (Alt+В)"));
    QCOMPARE(w.modeButton(batch::ModeButton::DeleteEmpty)->shortcut(),
             QKeySequence(Qt::ALT | Qt::Key(0x041F))); // П
    QVERIFY(picture("DOITU").toImage() != englishDoIt);
    w.pressModeButton(batch::ModeButton::LowerCase);
    QCOMPARE(w.statusLabel()->text(),
             QStringLiteral("Выбран перевод в нижний регистр"));
    // The batch run's own record stays English: only the window translates.
    QCOMPARE(QString::fromStdString(w.statusLine()),
             QStringLiteral("Selected lower case convert file mode"));
  }
};

QTEST_MAIN(TranslationTest)
#include "test_translation.moc"
