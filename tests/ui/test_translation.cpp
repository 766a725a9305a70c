// The windows' language: English everywhere unless the locale is Russian,
// then Russian through the compiled catalogues. The English texts must stay
// exactly as they are; the Russian ones must cover every caption of the
// templates and every phrase the batch run's and the jobs' data come to.
#include <QAbstractButton>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QTest>

#include <cerrno>
#include <utility>

#include "i18n/catalogue.h"
#include "i18n/texts.h"
#include "snpln/version.h"
#include "tests/support/every_phrase.h"
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
    // The window's words are the command line's English words.
    for (const auto &[label, phrase] : test::everyPhrase())
      QCOMPARE(shown(phrase), QString::fromStdString(i18n::english(phrase)));
    batch::Status one(batch::StatusId::OneFileChosen);
    one.name = "/tmp/a.txt";
    QCOMPARE(shown(i18n::statusText(one)),
             QStringLiteral("File '/tmp/a.txt' is choosed"));
    job::Message coding(job::MessageId::HasCoding);
    coding.page = engine::CodePage::Koi;
    QCOMPARE(shown(i18n::messageText(coding)),
             QStringLiteral("This file has coding ''Koi8''"));
    // A built window shows the template's own words; the about box's first
    // line has the version in it.
    const ControlTemplate &aboutLine =
        dialogTemplate(kAboutTemplate).controls[1];
    QCOMPARE(captionOf(aboutLine),
             QStringLiteral("Snipline (SNPLN) v" SNPLN_VERSION
                            ", Russian text file tool"));
    MainWindow w("");
    QCOMPARE(w.windowTitle(),
             QString::fromUtf8(dialogTemplate(kMainTemplate).title));
    QCOMPARE(w.statusLabel()->text(), QStringLiteral("0 files are choosed"));
    QCOMPARE(w.saveUpperBox()->text(), QStringLiteral("Sa&ve upper"));
    QCOMPARE(w.pictureButton(ids::kDoIt)->accessibleName(),
             QStringLiteral("Do it"));
    const i18n::Lines canceled =
        i18n::messageLines("/x/y.txt", job::Message(job::MessageId::Canceled));
    const MessageDialog message(shown(canceled.line1), shown(canceled.line2));
    QCOMPARE(
        message.controls().control<QLabel>(MessageDialog::kLine2Id)->text(),
        QStringLiteral("Operation canceled"));
  }

  // Under Russian the catalogues cover every caption of every template and
  // every phrase of the core's data, names aside; the window's Russian is
  // the command line's.
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
    for (const auto &[label, phrase] : test::everyPhrase()) {
      if (phrase.empty())
        continue;
      const QString said = shown(phrase);
      QVERIFY2(hasCyrillic(said), label.c_str());
      QCOMPARE(said, QString::fromStdString(
                         i18n::render(phrase, i18n::Language::Russian)));
    }
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

  // The windows' newer texts have their Russian: the editor's loading line
  // and its Cancel, why a UTF-16 file is only shown, the read-only
  // question, the about box's licence and address; and no text of the
  // catalogue waits for its translation.
  void russianCoversTheNewerTexts() {
    Russian russian;
    QVERIFY(russian.installed);
    const std::pair<const char *, const char *> texts[] = {
        {"snpln", "Loading the text into the editor: %1 %"},
        {"loading", "&Cancel"},
        {"snpln", "UTF-16 shown in part: it can only be viewed"},
        {"snpln", "broken UTF-16 (a lone surrogate or an odd byte): it can "
                  "only be viewed"},
        {"snpln", "This file is read-only. Save anyway?"},
        {"snpln", "MIT License (c) 2026 SNPLN authors"},
        {"snpln", "Home page: %1"},
        {"snpln", "Licence text: the LICENSE file"},
        {"pictures", "DO &IT!"},
        {"pictures", "E&XIT"},
        {"pictures", "&AUTO"},
    };
    for (const auto &[context, english] : texts) {
      const QString said = uiText(context, english);
      QVERIFY2(hasCyrillic(said), english);
      // Its place holders and Alt key stay.
      QCOMPARE(said.contains(QStringLiteral("%1")),
               QString::fromUtf8(english).contains(QStringLiteral("%1")));
      QCOMPARE(QKeySequence::mnemonic(said).isEmpty(),
               QKeySequence::mnemonic(QString::fromUtf8(english)).isEmpty());
    }
    QFile catalogue(
        QStringLiteral(SNPLN_TEST_DATA_DIR "/../../i18n/snpln_ru.ts"));
    QVERIFY(catalogue.open(QIODevice::ReadOnly));
    QVERIFY(!catalogue.readAll().contains("type=\"unfinished\""));
  }

  // A sample, word for word, and phrases put together from a sentence and
  // a name or number: the sentence is translated, the name kept as it is
  // (also one that holds a marker).
  void russianSample_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("russian");
    QTest::newRow("status") << 0 << "Действие не выбрано";
    QTest::newRow("selection") << 1 << "Выбран перевод в верхний регистр";
    QTest::newRow("prompt") << 2 << "Введите текст для замены";
    QTest::newRow("message") << 3 << "Операция отменена";
    QTest::newRow("one file") << 4 << "Выбран файл '/home/u/Отчёт %2.txt'";
    QTest::newRow("count") << 5 << "Выбрано файлов: 12";
    QTest::newRow("detection") << 6 << "Файл в кодировке ''Koi8''";
    QTest::newRow("offset") << 7 << "Неверный UTF-8 в байте 120";
    QTest::newRow("no temporary file")
        << 8 << "Невозможно открыть временный файл: Permission denied";
  }
  void russianSample() {
    QFETCH(int, row);
    QFETCH(QString, russian);
    Russian language;
    QVERIFY(language.installed);
    batch::Status one(batch::StatusId::OneFileChosen);
    one.name = "/home/u/Отчёт %2.txt";
    batch::Status count(batch::StatusId::FilesChosen);
    count.count = 12;
    job::Message coding(job::MessageId::HasCoding);
    coding.page = engine::CodePage::Koi;
    job::Message offset(job::MessageId::InvalidUtf8);
    offset.number = 120;
    job::Message noTemp(job::MessageId::NoTempFile);
    noTemp.systemError = EACCES;
    const i18n::Phrase phrases[] = {
        i18n::statusText(batch::Status(batch::StatusId::NoActionSelected)),
        i18n::statusText(batch::Status(batch::StatusId::Selected,
                                       batch::ModeButton::UpperCase)),
        i18n::promptText(batch::PromptKind::ReplaceText),
        i18n::messageText(job::Message(job::MessageId::Canceled)),
        i18n::statusText(one),
        i18n::statusText(count),
        i18n::messageText(coding),
        i18n::messageText(offset),
        i18n::messageText(noTemp),
    };
    QCOMPARE(shown(phrases[row]), russian);
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
    QCOMPARE(
        captionOf(dialogTemplate(kAboutTemplate).controls[1]),
        QStringLiteral("Snipline (SNPLN) v" SNPLN_VERSION ", русские тексты"));
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
    // The batch run's own record is data: only the edges give it words.
    QCOMPARE(w.statusLine(), batch::Status(batch::StatusId::Selected,
                                           batch::ModeButton::LowerCase));
  }
};

QTEST_MAIN(TranslationTest)
#include "test_translation.moc"
