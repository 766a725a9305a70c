// Every text of every window fits its control: the main window, the prompts,
// the word options, the message, the progress window, the preview, the save
// prompt, the refused-save question, the about box and the description, in
// English and in Russian, with Liberation Sans and with DejaVu Sans standing
// for the windows' Arial, at the scale the run is given (ctest runs this
// program at QT_SCALE_FACTOR 1, 1.5 and 2). A text fits when its measured
// width (and, where it wraps, its height) is within the room its control
// gives it; no two controls overlap and none sticks out of its window; the
// label of every picture stays inside its face.
//
// SNPLN_TEXT_FIT_DIR=dir keeps a picture of every window it checks there,
// to be looked at by eye.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPixmapCache>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionGroupBox>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

#include "i18n/texts.h"
#include "job/file_run.h"
#include "tests/support/garbled_samples.h"
#include "tests/ui/ui_test_support.h"
#include "ui/about_dialog.h"
#include "ui/description_dialog.h"
#include "ui/exclude_options_dialog.h"
#include "ui/input_dialog.h"
#include "ui/main_window.h"
#include "ui/message_dialog.h"
#include "ui/picture_button.h"
#include "ui/pictures.h"
#include "ui/preview_dialog.h"
#include "ui/run_progress_window.h"
#include "ui/save_prompt_dialog.h"
#include "ui/save_refused_dialog.h"
#include "ui/toggle_button.h"
#include "ui/translation.h"

using namespace snpln;
using namespace snpln::ui;

namespace {

// A canceled run of a large tree, before or after its walk had ended.
batch::RunOutcome canceledRun(bool walkEnded) {
  batch::RunOutcome outcome;
  outcome.end = batch::RunEnd::Stopped;
  outcome.found = 7654321;
  outcome.done = 1234567;
  outcome.walkEnded = walkEnded;
  outcome.settleLeft();
  return outcome;
}

// A run's totals with every part there is and large counts.
batch::RunOutcome largestTotals() {
  batch::RunOutcome outcome;
  outcome.end = batch::RunEnd::Completed;
  outcome.converted = 1234567;
  outcome.unchanged = 1234567;
  outcome.skipped = 123456;
  outcome.failed = 12345;
  outcome.filled = 1234567;
  outcome.hits = {{job::OperationCode::Replace, 1234567},
                  {job::OperationCode::DeleteEmpty, 1234567}};
  return outcome;
}

QString withoutMnemonic(QString text) {
  text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
  text.remove(QLatin1Char('&'));
  text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
  return text;
}

QString where(const QWidget &w) {
  return w.objectName() + QLatin1Char(' ') +
         QString::fromUtf8(w.metaObject()->className());
}

QString misfit(const QWidget &w, const QString &text, QSize need, QSize room) {
  return QStringLiteral("%1 \"%2\": needs %3 x %4, has %5 x %6")
      .arg(where(w), text)
      .arg(need.width())
      .arg(need.height())
      .arg(room.width())
      .arg(room.height());
}

// What does not fit in one control, or nothing.
QStringList controlMisfits(QWidget &w) {
  QStringList found;
  const QFontMetrics metrics(w.font());
  QStyle *style = w.style();
  if (auto *label = qobject_cast<QLabel *>(&w)) {
    if (!label->pixmap().isNull() || label->text().isEmpty())
      return found;
    const int m = label->margin();
    const QRect room = label->contentsRect().adjusted(m, m, -m, -m);
    int flags = int(label->alignment());
    if (label->wordWrap())
      flags |= Qt::TextWordWrap;
    const QSize need = metrics.boundingRect(room, flags, label->text()).size();
    if (need.width() > room.width() || need.height() > room.height())
      found << misfit(w, label->text(), need, room.size());
  } else if (auto *box = qobject_cast<QGroupBox *>(&w)) {
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.textAlignment = box->alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    option.lineWidth = 1;
    const QRect title = style->subControlRect(QStyle::CC_GroupBox, &option,
                                              QStyle::SC_GroupBoxLabel, box);
    const QRect inside = box->rect();
    const QString text = withoutMnemonic(box->title());
    const int need = metrics.horizontalAdvance(text);
    if (!inside.contains(title) || need > title.width())
      found << misfit(w, text, QSize(need, title.height()), inside.size()) +
                   QStringLiteral(" (title at %1,%2 %3x%4)")
                       .arg(title.x())
                       .arg(title.y())
                       .arg(title.width())
                       .arg(title.height());
  } else if (auto *toggle = qobject_cast<ToggleButton *>(&w)) {
    const QRect room =
        toggle->rect().adjusted(toggle->markRect().right() + 4, 0, -4, 0);
    const QString text = withoutMnemonic(toggle->text());
    const QSize need(metrics.horizontalAdvance(text), metrics.height());
    if (need.width() > room.width() || need.height() > room.height())
      found << misfit(w, text, need, room.size());
  } else if (qobject_cast<PictureButton *>(&w)) {
    // Its label is part of its picture (pictureLabelsStayOnTheirFaces).
  } else if (auto *button = qobject_cast<QPushButton *>(&w)) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const QRect room =
        style->subElementRect(QStyle::SE_PushButtonContents, &option, button)
            .adjusted(2, 0, -2, 0);
    const QString text = withoutMnemonic(button->text());
    const QSize need(metrics.horizontalAdvance(text), metrics.height());
    if (need.width() > room.width() || need.height() > room.height())
      found << misfit(w, text, need, room.size());
  } else if (auto *combo = qobject_cast<QComboBox *>(&w);
             combo && !combo->isEditable()) {
    // A list to choose from: every line of it fits the closed box.
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = false;
    option.frame = combo->hasFrame();
    const QRect room = style->subControlRect(
        QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
    for (int i = 0; i < combo->count(); ++i) {
      const QString text = combo->itemText(i);
      const QSize need(metrics.horizontalAdvance(text), metrics.height());
      if (need.width() > room.width() || need.height() > room.height())
        found << misfit(w, text, need, room.size());
    }
  } else if (auto *check = qobject_cast<QCheckBox *>(&w)) {
    QStyleOptionButton option;
    option.initFrom(check);
    option.text = check->text();
    const QRect room =
        style->subElementRect(QStyle::SE_CheckBoxContents, &option, check);
    const QString text = withoutMnemonic(check->text());
    const QSize need(metrics.horizontalAdvance(text), metrics.height());
    if (need.width() > room.width() || need.height() > room.height())
      found << misfit(w, text, need, room.size());
  }
  return found;
}

// The title line of a group box, where no other control may lie.
QRect groupTitle(QGroupBox &box) {
  QStyleOptionGroupBox option;
  option.initFrom(&box);
  option.text = box.title();
  option.textAlignment = box.alignment();
  option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
  option.lineWidth = 1;
  return box.style()
      ->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel,
                       &box)
      .translated(box.pos());
}

// Every misfit of a shown window: texts that do not fit, controls that
// overlap or leave the window.
QStringList windowMisfits(QWidget &window) {
  QStringList found;
  std::vector<QWidget *> controls;
  for (QWidget *w :
       window.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
    if (!w->isVisibleTo(&window) || w->objectName() == "drawnFrame")
      continue;
    controls.push_back(w);
    found << controlMisfits(*w);
    if (!window.rect().contains(w->geometry()))
      found << QStringLiteral("%1 at (%2,%3 %4x%5) leaves its %6x%7 window")
                   .arg(where(*w))
                   .arg(w->x())
                   .arg(w->y())
                   .arg(w->width())
                   .arg(w->height())
                   .arg(window.width())
                   .arg(window.height());
  }
  for (std::size_t i = 0; i < controls.size(); ++i)
    for (std::size_t j = i + 1; j < controls.size(); ++j) {
      QWidget *a = controls[i];
      QWidget *b = controls[j];
      auto *boxA = qobject_cast<QGroupBox *>(a);
      auto *boxB = qobject_cast<QGroupBox *>(b);
      if (boxA && boxB)
        continue;
      // The preview's fast view lies over its editor while the editor
      // fills beneath it: one place, by design.
      if ((a->objectName() == QLatin1String("fastView") ||
           b->objectName() == QLatin1String("fastView")) &&
          (a->objectName() == QLatin1String("control1055") ||
           b->objectName() == QLatin1String("control1055")))
        continue;
      // A group box holds controls; only its title line is its own.
      const QRect ra = boxA ? groupTitle(*boxA) : a->geometry();
      const QRect rb = boxB ? groupTitle(*boxB) : b->geometry();
      if (ra.intersects(rb))
        found << QStringLiteral("%1 and %2 overlap").arg(where(*a), where(*b));
    }
  return found;
}

// The family the windows' Arial is drawn in from now on.
void useFamily(const QString &family) {
  QFont::removeSubstitutions(QStringLiteral("Arial"));
  QFont::insertSubstitution(QStringLiteral("Arial"), family);
  QPixmapCache::clear(); // pictures are drawn again in it
}

struct Language {
  explicit Language(bool russian) {
    installed = setUiLanguage(
        russian ? QLocale(QLocale::Russian, QLocale::Russia) : QLocale::c());
  }
  ~Language() { setUiLanguage(QLocale::c()); }
  bool installed = false;
};

} // namespace

class TextFitTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString keepDir_;
  QString large_;
  QString row_;

  // Checks a shown window and keeps its picture when asked to.
  void check(QWidget &window, const QString &name) {
    if (!window.isVisible()) {
      window.show();
      QApplication::processEvents();
    }
    if (!keepDir_.isEmpty())
      window.grab().save(
          QDir(keepDir_).filePath(QStringLiteral("%1 %2 x%3.png")
                                      .arg(row_, name)
                                      .arg(qApp->devicePixelRatio())));
    const QStringList found = windowMisfits(window);
    QVERIFY2(found.isEmpty(), qPrintable(name + QStringLiteral(":\n  ") +
                                         found.join(QStringLiteral("\n  "))));
  }

private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    keepDir_ = qEnvironmentVariable("SNPLN_TEXT_FIT_DIR");
    for (const char *family : {"Liberation Sans", "DejaVu Sans"})
      QVERIFY2(QFontDatabase::families().contains(QString::fromUtf8(family)),
               qPrintable(QStringLiteral("the font family %1 is not "
                                         "installed (make test installs "
                                         "fonts-liberation and "
                                         "fonts-dejavu-core)")
                              .arg(QString::fromUtf8(family))));
    // A file longer than the preview shows, under a long name, for the
    // longest status the preview writes.
    large_ = dir_.filePath(
        QStringLiteral("a rather long file name of a large text.txt"));
    QFile file(large_);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QByteArray line("Snipline text line of a large file\r\n");
    for (int i = 0; i < 1000; ++i)
      QVERIFY(file.write(line) == line.size());
  }

  void everyWindowFits_data() {
    QTest::addColumn<QString>("family");
    QTest::addColumn<bool>("russian");
    for (const char *family : {"Liberation Sans", "DejaVu Sans"})
      for (const bool russian : {false, true})
        QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(
            QString::fromUtf8(family),
            russian ? QStringLiteral("Russian") : QStringLiteral("English"))))
            << QString::fromUtf8(family) << russian;
  }
  void everyWindowFits() {
    QFETCH(QString, family);
    QFETCH(bool, russian);
    useFamily(family);
    Language language(russian);
    QVERIFY(language.installed == russian);
    row_ = QString::fromUtf8(QTest::currentDataTag());
    QCOMPARE(QFontInfo(templateFont(dialogTemplate(kMainTemplate))).family(),
             family);

    MainWindow w(('"' + large_ + '"').toStdString());
    check(w, QStringLiteral("main window"));
    // Every sentence a mode button or the file list writes is shown whole.
    for (const batch::ModeButton button : batch::allModeButtons()) {
      w.pressModeButton(button);
      QVERIFY2(w.statusLabel()->toolTip().isEmpty(),
               qPrintable(w.statusLabel()->toolTip() + " is cut to " +
                          w.statusLabel()->text()));
    }
    check(w, QStringLiteral("main window, buttons down"));
    // The page choosers, each with a page chosen.
    for (const batch::PageRow row :
         {batch::PageRow::Source, batch::PageRow::Target}) {
      QComboBox *box = w.pageChooser(row);
      QVERIFY(box && box->count() == 4);
      w.choosePage(row, batch::choosablePages(row).back());
      QVERIFY(box->currentIndex() > 0);
    }
    check(w, QStringLiteral("main window, pages chosen"));
    for (const batch::StatusId sentence :
         {batch::StatusId::NoFileName, batch::StatusId::NoOperation,
          batch::StatusId::ListCleaned, batch::StatusId::BrowseCanceled,
          batch::StatusId::NoActionSelected}) {
      w.setStatusLine(batch::Status(sentence));
      QVERIFY2(w.statusLabel()->toolTip().isEmpty(),
               qPrintable(w.statusLabel()->toolTip() + " is cut to " +
                          w.statusLabel()->text()));
    }
    // The run's count, with a name of a tree's usual length.
    for (const batch::StatusId sentence :
         {batch::StatusId::RunningFile, batch::StatusId::RunningFileOfAll}) {
      batch::Status counting(sentence);
      counting.count = 1234567;
      counting.found = 7654321;
      counting.name = "d01/f001.txt";
      w.setStatusLine(counting);
      QVERIFY2(w.statusLabel()->toolTip().isEmpty(),
               qPrintable(w.statusLabel()->toolTip() + " is cut to " +
                          w.statusLabel()->text()));
    }

    int n = 0;
    for (const batch::PromptKind kind :
         {batch::PromptKind::SearchText, batch::PromptKind::ReplaceText,
          batch::PromptKind::TabSize}) {
      InputDialog prompt(&w);
      prompt.setPrompt(shown(i18n::promptText(kind)));
      check(prompt, QStringLiteral("prompt %1").arg(++n));
    }
    {
      ExcludeOptionsDialog options(&w);
      check(options, QStringLiteral("word options"));
    }

    // Every fixed message, in both lines, is shown whole.
    const std::string path = large_.toStdString();
    using job::MessageId;
    const auto said = [&](MessageId id, std::uint64_t number = 0,
                          engine::CodePage page = engine::CodePage::Auto) {
      job::Message m(id);
      m.number = number;
      m.page = page;
      return i18n::messageLines(path, m);
    };
    // A failure at a place, with its line, column and character: the
    // message widens its window to show it whole.
    const auto placed = [&](MessageId id, engine::CodePage page) {
      job::Message m(id);
      m.number = 1234567;
      m.page = page;
      if (id != MessageId::TypedTextUnfit)
        m.place = engine::TextPosition{123456, 12345};
      if (id != MessageId::InvalidUtf8)
        m.character = U'\U0001F600';
      return i18n::messageLines(path, m);
    };
    const auto success = [&](job::OperationCode op, engine::CodePage from,
                             engine::CodePage to, bool detected) {
      job::JobReport r;
      r.result = job::JobResult::Done;
      r.message = job::Message(MessageId::Converted);
      r.operation = op;
      r.path = path;
      r.from = from;
      r.to = to;
      r.detected = detected;
      r.hits = 1234567;
      return i18n::reportLines(r);
    };
    using engine::CodePage;
    using job::OperationCode;
    const i18n::Lines messages[] = {
        said(MessageId::NotFound),
        said(MessageId::EnglishOnly),
        said(MessageId::HasCoding, 0, CodePage::Win),
        said(MessageId::SameCoding),
        said(MessageId::NotText),
        said(MessageId::Canceled),
        said(MessageId::ReadError),
        said(MessageId::WriteError),
        said(MessageId::LineTooLong, 30000),
        said(MessageId::InvalidUtf8, 1234567),
        said(MessageId::Unrepresentable, 1234567, CodePage::Koi),
        said(MessageId::TypedTextUnfit, 0, CodePage::Koi),
        placed(MessageId::InvalidUtf8, CodePage::Auto),
        placed(MessageId::Unrepresentable, CodePage::Win),
        placed(MessageId::TypedTextUnfit, CodePage::Win),
        said(MessageId::NoTempFile),
        said(MessageId::DirectoryUnreadable),
        success(OperationCode::SmartCase, CodePage::Auto, CodePage::Auto,
                false),
        success(OperationCode::RecodeToWin, CodePage::Koi, CodePage::Win,
                false),
        success(OperationCode::RecodeToDos, CodePage::Koi, CodePage::Dos, true),
        success(OperationCode::Exclude, CodePage::Auto, CodePage::Auto, false),
        success(OperationCode::Replace, CodePage::Auto, CodePage::Auto, false),
        success(OperationCode::Optimize, CodePage::Auto, CodePage::Auto, false),
        success(OperationCode::DeleteEmpty, CodePage::Auto, CodePage::Auto,
                false),
        i18n::messageLines("", job::Message(MessageId::EmptyExclude)),
        said(MessageId::NameNotFound),
        said(MessageId::DirectoryDone),
        said(MessageId::HeldSkipped),
        i18n::canceledLines(canceledRun(true)),
        i18n::canceledLines(canceledRun(false)),
        i18n::totalsLines(largestTotals()),
    };
    for (const i18n::Lines &lines : messages) {
      MessageDialog message(shown(lines.line1), shown(lines.line2), &w);
      for (const auto &[id, text] :
           {std::pair{MessageDialog::kLine1Id, message.line1()},
            std::pair{MessageDialog::kLine2Id, message.line2()}}) {
        auto *label = message.controls().control<QLabel>(id);
        QVERIFY(label);
        if (text != large_)
          QCOMPARE(label->text(), text);
      }
      check(message, QStringLiteral("message %1").arg(++n));
    }

    {
      // The run's progress window, at its longest caption.
      RunProgressWindow progress(&w);
      progress.showFile(
          shown(i18n::operationTitle(job::OperationCode::RecodeToUtf8)),
          QString::fromStdString(job::displayNameOf(path)), 50);
      check(progress, QStringLiteral("progress"));
      // A file that waits, its line wrapped under the bar, and Skip.
      for (const char *name :
           {"d01/f001.txt", "документы/2024/квартальный отчёт.txt"}) {
        batch::FileWait wait;
        wait.name = name;
        progress.showWait(shown(i18n::waitText(wait)));
        QVERIFY(progress.skipButton()->isVisibleTo(&progress));
        check(progress, QStringLiteral("progress, waiting for %1")
                            .arg(QString::fromUtf8(name)));
      }
      progress.endWait();
      QVERIFY(!progress.skipButton()->isVisibleTo(&progress));
      check(progress, QStringLiteral("progress after the wait"));
    }
    for (const SaveQuestion question :
         {SaveQuestion::Modified, SaveQuestion::ReadOnly}) {
      SavePromptDialog prompt(path, &w, question);
      check(prompt, QStringLiteral("save prompt %1").arg(int(question)));
    }
    for (const SaveRefusal why : {SaveRefusal::ChangedElsewhere,
                                  SaveRefusal::Gone, SaveRefusal::NotWritten}) {
      SaveRefusedDialog refused(path, why, &w);
      check(refused, QStringLiteral("refused save %1").arg(int(why)));
    }
    {
      AboutDialog about(&w);
      check(about, QStringLiteral("about"));
    }
    {
      DescriptionDialog description(&w);
      check(description, QStringLiteral("description"));
    }
    {
      // Shown short: the status warns, and its warning is seen whole.
      PreviewDialog preview(path, &w, platform::realFileSystem(), 1000);
      QString status;
      snpln::test::onNextModal([&](QWidget *) {
        status = preview.statusText();
        check(preview, QStringLiteral("preview"));
        preview.reject();
      });
      preview.run();
      QVERIFY(preview.truncated());
      const QString shown = preview.statusField()->text();
      QVERIFY2(
          shown.endsWith(status.right(30)),
          qPrintable(shown + QStringLiteral(" does not end as ") + status));
      QCOMPARE(preview.statusField()->toolTip(), status);
    }
    {
      // A UTF-16 file that can only be viewed says why in its status.
      const QString broken = dir_.filePath(QStringLiteral("broken utf-16.txt"));
      QFile file(broken);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(QByteArray("\xFF\xFE\x1F\x04\x40\x04\x00\xD8", 8));
      file.close();
      PreviewDialog preview(broken.toStdString(), &w);
      snpln::test::onNextModal([&](QWidget *) {
        QVERIFY(preview.editRefusal());
        check(preview, QStringLiteral("preview, UTF-16 only viewed"));
        preview.reject();
      });
      preview.run();
    }
    {
      // The repaired text of a garbled file under a long name, with the
      // longest chain's words in its status.
      const QString garbled =
          dir_.filePath(QStringLiteral("a rather long name of a garbled "
                                       "text file.txt"));
      const std::string text = "Мороз и солнце; день чудесный! Ещё ты "
                               "дремлешь, друг прелестный, пора, красавица, "
                               "проснись: открой сомкнуты негой взоры.\n";
      engine::RepairChain chain =
          test::chainOf({{engine::RepairPage::Utf8, engine::RepairPage::Win}});
      chain.layers[chain.count++] = {engine::RepairPage::Utf8,
                                     engine::RepairPage::Win1252};
      snpln::test::writeFile(garbled, test::garble(text, chain).value());
      PreviewDialog preview(garbled.toStdString(), &w);
      preview.setShowRepaired(true);
      snpln::test::onNextModal([&](QWidget *) {
        check(preview, QStringLiteral("preview, looking for garbled text"));
        preview.finishRepair();
        QVERIFY(preview.repairShown() && preview.repairShown()->repaired());
        check(preview, QStringLiteral("preview, repaired"));
        QVERIFY2(preview.statusField()->text().endsWith(
                     preview.statusText().right(30)),
                 qPrintable(preview.statusField()->text()));
        preview.reject();
      });
      preview.run();
    }
    {
      // The loading line, at its longest share, with its Cancel.
      PreviewDialog preview(path, &w);
      preview.setFastViewThreshold(10);
      preview.setLoadStepsByHand(true);
      snpln::test::onNextModal([&](QWidget *) {
        preview.pressEdit();
        QVERIFY(preview.loadingLine()->isVisible());
        check(preview, QStringLiteral("preview, loading"));
        QLabel *label = preview.loadingLabel();
        const QString longest = label->text().replace(
            QRegularExpression(QStringLiteral("\\d+")), QStringLiteral("100"));
        const QFontMetrics metrics(label->font());
        QVERIFY2(metrics.horizontalAdvance(longest) <= label->width(),
                 qPrintable(misfit(*label, longest, metrics.size(0, longest),
                                   label->size())));
        QStringList found = controlMisfits(*preview.loadingCancel());
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
        QVERIFY(preview.loadingLine()->geometry().right() <= preview.width());
        preview.reject();
        preview.reject();
      });
      preview.run();
    }
  }

  // The ink of every label keeps clear of its face's edge; the buttons of
  // a row share one size, and no caption of the windows' buttons is drawn
  // much smaller than the others (a tall face carries a label too wide for
  // it upwards instead).
  void pictureLabelsStayOnTheirFaces_data() { everyWindowFits_data(); }
  void pictureLabelsStayOnTheirFaces() {
    QFETCH(QString, family);
    QFETCH(bool, russian);
    useFamily(family);
    Language language(russian);
    QStringList found;
    for (const PictureSpec &spec : pictureTable()) {
      const QString name = QString::fromUtf8(spec.name);
      const QRect ink = labelRect(name);
      const QRect room = labelRoomOf(name);
      if (ink.isEmpty() || !room.contains(ink))
        found << QStringLiteral("%1: ink at %2,%3 %4x%5 leaves %6,%7 %8x%9")
                     .arg(name)
                     .arg(ink.x())
                     .arg(ink.y())
                     .arg(ink.width())
                     .arg(ink.height())
                     .arg(room.x())
                     .arg(room.y())
                     .arg(room.width())
                     .arg(room.height());
    }
    QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
    // The captions of the buttons of every window (DO IT!, File preview
    // and the banner aside) read as one size, legible at about the
    // window's own text size; the thin and narrow buttons share one a
    // little smaller, at least two thirds of it (never half, as the EXIT
    // of the Russian window used to be).
    const int caption = labelPixelSize(QStringLiteral("OKU"));
    for (const char *name : {"EXITU", "COPYU", "BROWSEU", "FOLDERU", "UCASEU",
                             "DELU", "CANCELU", "REPAIRU"})
      QCOMPARE(labelPixelSize(QString::fromUtf8(name)), caption);
    QVERIFY2(caption >= 10, qPrintable(QString::number(caption)));
    const int small = labelPixelSize(QStringLiteral("AUTOU"));
    for (const char *name : {"CLEARU", "DETECTU", "UTF8U", "WINU"})
      QCOMPARE(labelPixelSize(QString::fromUtf8(name)), small);
    QVERIFY2(small * 3 >= caption * 2,
             qPrintable(QStringLiteral("small buttons %1 px, captions %2 px")
                            .arg(small)
                            .arg(caption)));
  }
};

QTEST_MAIN(TextFitTest)
#include "test_text_fit.moc"
