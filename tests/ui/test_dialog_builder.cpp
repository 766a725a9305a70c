// The templates turned into widgets: pixels from dialog units, tab order,
// window frames, control kinds and placement.
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <cmath>

#include "ui/dialog_builder.h"
#include "ui/picture_button.h"
#include "ui/pictures.h"

using namespace snpln::ui;

namespace {

// Dialog units to pixels, rounded to nearest (halves up).
int px(int units, qreal base, int divisor) {
  return static_cast<int>(std::floor(units * base / divisor + 0.5));
}

} // namespace

class DialogBuilderTest : public QObject {
  Q_OBJECT

private slots:
  void unitsRoundToNearest_data() {
    QTest::addColumn<int>("units");
    QTest::addColumn<int>("expectX"); // base 7
    QTest::addColumn<int>("expectY"); // base 15
    QTest::newRow("0") << 0 << 0 << 0;
    QTest::newRow("1") << 1 << 2 << 2;         // 1.75, 1.875
    QTest::newRow("2") << 2 << 4 << 4;         // 3.5 up, 3.75
    QTest::newRow("4") << 4 << 7 << 8;         // 7, 7.5 up
    QTest::newRow("10") << 10 << 18 << 19;     // 17.5 up, 18.75
    QTest::newRow("50") << 50 << 88 << 94;     // 87.5 up, 93.75
    QTest::newRow("141") << 141 << 247 << 264; // 246.75, 264.375
  }
  void unitsRoundToNearest() {
    QFETCH(int, units);
    QFETCH(int, expectX);
    QFETCH(int, expectY);
    DialogUnits u{7, 15};
    QCOMPARE(u.toPixelsX(units), expectX);
    QCOMPARE(u.toPixelsY(units), expectY);
  }

  void dialogFontGivesPlausibleBaseUnits() {
    const DialogUnits u =
        DialogUnits::fromFont(templateFont(dialogTemplate(kMessageTemplate)));
    QVERIFY2(u.baseX >= 5 && u.baseX <= 9,
             qPrintable(QString::number(u.baseX)));
    QVERIFY2(u.baseY >= 12 && u.baseY <= 17,
             qPrintable(QString::number(u.baseY)));
  }

  void templatesBecomeWidgetsWhereTheyAsk_data() {
    QTest::addColumn<int>("id");
    for (int id : {kAboutTemplate, kMessageTemplate, kProgressTemplate,
                   kInputTemplate, kExcludeOptionsTemplate, kSavePromptTemplate,
                   kDescriptionTemplate, kSaveRefusedTemplate})
      QTest::newRow(qPrintable(QString::number(id))) << id;
  }
  void templatesBecomeWidgetsWhereTheyAsk() {
    QFETCH(int, id);
    const DialogTemplate &t = dialogTemplate(id);
    QDialog dialog;
    const DialogControls controls = buildDialog(dialog, t);
    const DialogUnits u = controls.units();
    QCOMPARE(dialog.windowTitle(), QString::fromUtf8(t.title));
    QCOMPARE(dialog.font().family(), QStringLiteral("Arial"));
    QCOMPARE(dialog.font().pointSize(), 9);
    // A drawn frame lies around the client area and moves every control.
    const int frame = (t.style & kDrawnFrame) ? kDrawnFrameWidth : 0;
    QCOMPARE(dialog.size(), QSize(px(t.width, u.baseX, 4) + 2 * frame,
                                  px(t.height, u.baseY, 8) + 2 * frame));
    QCOMPARE(controls.all().size(), t.controls.size());
    for (std::size_t i = 0; i < t.controls.size(); ++i) {
      const ControlTemplate &c = t.controls[i];
      QWidget *w = controls.at(i);
      QVERIFY(w);
      QCOMPARE(w->parentWidget(), &dialog);
      const QPoint pos(px(c.x, u.baseX, 4) + frame,
                       px(c.y, u.baseY, 8) + frame);
      // Edges are rounded: a control ends where the next one begins.
      QSize size(px(c.x + c.width, u.baseX, 4) - px(c.x, u.baseX, 4),
                 px(c.y + c.height, u.baseY, 8) - px(c.y, u.baseY, 8));
      if (c.kind == ControlKind::PictureButton)
        size = picture(QString::fromUtf8(c.caption) + "U").size();
      else if (c.kind == ControlKind::Picture)
        size = picture(QString::fromUtf8(c.caption)).size();
      else if (c.kind == ControlKind::Icon)
        size = QSize(32, 32);
      QVERIFY(!size.isEmpty());
      QCOMPARE(w->geometry(), QRect(pos, size));
      if (c.id != kNoId)
        QCOMPARE(controls.control(c.id), w);
      const QString caption =
          c.argument
              ? QString::fromUtf8(c.caption).arg(QString::fromUtf8(c.argument))
              : QString::fromUtf8(c.caption);
      if (auto *label = qobject_cast<QLabel *>(w);
          label && label->pixmap().isNull())
        QCOMPARE(label->text(), caption);
      if (auto *button = qobject_cast<QAbstractButton *>(w))
        QCOMPARE(button->text(), caption);
    }
  }

  // The tab stops follow one another in template order and wrap around (the
  // inner parts of a control, such as an editable combo box's edit, count
  // as that control).
  void tabOrderIsTemplateOrder() {
    for (const DialogTemplate &t : dialogTemplates()) {
      QDialog dialog;
      const DialogControls controls = buildDialog(dialog, t);
      std::vector<QWidget *> stops;
      for (QWidget *w : controls.all())
        if (w->focusPolicy() & Qt::TabFocus)
          stops.push_back(w);
      for (std::size_t i = 0; i < stops.size(); ++i) {
        QWidget *next = stops[i]->nextInFocusChain();
        while (next && (!(next->focusPolicy() & Qt::TabFocus) ||
                        next->parentWidget() != &dialog))
          next = next->nextInFocusChain();
        QCOMPARE(next, stops[(i + 1) % stops.size()]);
      }
    }
  }

  // Every window has a title bar with a close box, as the desktop expects
  // (each window says what the close box means), and no dialog asks for a
  // minimise or maximise button; all but the main window and the preview
  // have a fixed size.
  void framesFollowTheTemplates_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<bool>("fixed");
    QTest::newRow("about") << kAboutTemplate << true;
    QTest::newRow("main window") << kMainTemplate << false;
    QTest::newRow("message") << kMessageTemplate << true;
    QTest::newRow("progress") << kProgressTemplate << true;
    QTest::newRow("input") << kInputTemplate << true;
    QTest::newRow("options") << kExcludeOptionsTemplate << true;
    QTest::newRow("preview") << kPreviewTemplate << false;
    QTest::newRow("save prompt") << kSavePromptTemplate << true;
    QTest::newRow("description") << kDescriptionTemplate << true;
    QTest::newRow("refused save") << kSaveRefusedTemplate << true;
  }
  void framesFollowTheTemplates() {
    QFETCH(int, id);
    QFETCH(bool, fixed);
    QDialog dialog;
    buildDialog(dialog, dialogTemplate(id));
    const Qt::WindowFlags f = dialog.windowFlags();
    QVERIFY(f & Qt::WindowTitleHint);
    QVERIFY(f & Qt::WindowCloseButtonHint);
    QVERIFY(f & Qt::CustomizeWindowHint);
    QCOMPARE(f & Qt::WindowType_Mask, Qt::Dialog);
    QVERIFY(!(f & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(f & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(f & Qt::WindowMinMaxButtonsHint));
    QVERIFY(!QString::fromUtf8(dialogTemplate(id).title).isEmpty() ||
            id == kProgressTemplate); // the progress window's is the job's
    QCOMPARE(dialog.minimumSize() == dialog.maximumSize(), fixed);
  }

  // A wider font makes a wider window: the average width keeps its
  // fraction (it used to be rounded to whole pixels, so DejaVu Sans, about
  // a twentieth wider than Liberation Sans, got the same width and cut its
  // labels).
  void regressionUnitsFollowTheFontsRealWidth() {
    const DialogTemplate &t = dialogTemplate(kDescriptionTemplate);
    QFont::removeSubstitutions(QStringLiteral("Arial"));
    QFont::insertSubstitution(QStringLiteral("Arial"),
                              QStringLiteral("DejaVu Sans"));
    const DialogUnits wide = DialogUnits::fromFont(templateFont(t));
    QFont::removeSubstitutions(QStringLiteral("Arial"));
    QFont::insertSubstitution(QStringLiteral("Arial"),
                              QStringLiteral("Liberation Sans"));
    const QFont font = templateFont(t);
    const DialogUnits narrow = DialogUnits::fromFont(font);
    const qreal alphabet = QFontMetricsF(font).horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    QFont::removeSubstitutions(QStringLiteral("Arial"));
    QVERIFY2(
        wide.baseX > narrow.baseX * 1.03,
        qPrintable(
            QStringLiteral("%1 and %2").arg(wide.baseX).arg(narrow.baseX)));
    QCOMPARE(narrow.baseX, alphabet / 52);
  }

  // Every picture button has at least the room its template gives it, so
  // pictures side by side or one under the other never overlap, whatever
  // the font.
  void picturesFitTheirPlaces() {
    for (const DialogTemplate &t : dialogTemplates()) {
      QDialog dialog;
      const DialogControls controls = buildDialog(dialog, t);
      const DialogUnits u = controls.units();
      for (std::size_t i = 0; i < t.controls.size(); ++i) {
        const ControlTemplate &c = t.controls[i];
        auto *button = qobject_cast<PictureButton *>(controls.at(i));
        if (!button || !button->hasPictures())
          continue;
        const QRect place = u.toPixels(c.x, c.y, c.width, c.height);
        QVERIFY2(button->width() <= place.width() &&
                     button->height() <= place.height(),
                 qPrintable(QStringLiteral("%1 in %2: %3x%4 in %5x%6")
                                .arg(button->caption())
                                .arg(t.id)
                                .arg(button->width())
                                .arg(button->height())
                                .arg(place.width())
                                .arg(place.height())));
      }
    }
  }

  // The prompts and the save prompt draw a raised frame of their own (lit
  // from the top left, shaded at the bottom right); the other windows leave
  // the frame to the window manager.
  void drawnFrameIsRaised_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<bool>("drawn");
    QTest::newRow("input") << kInputTemplate << true;
    QTest::newRow("options") << kExcludeOptionsTemplate << true;
    QTest::newRow("save prompt") << kSavePromptTemplate << true;
    QTest::newRow("message") << kMessageTemplate << false;
    QTest::newRow("about") << kAboutTemplate << false;
    QTest::newRow("refused save") << kSaveRefusedTemplate << false;
  }
  void drawnFrameIsRaised() {
    QFETCH(int, id);
    QFETCH(bool, drawn);
    QDialog dialog;
    buildDialog(dialog, dialogTemplate(id));
    QCOMPARE(dialog.findChild<QWidget *>("drawnFrame") != nullptr, drawn);
    const QImage image = dialog.grab().toImage();
    const QRgb face = dialog.palette().color(QPalette::Window).rgb();
    const QRgb topLeft = image.pixel(0, image.height() / 2);
    const QRgb bottomRight = image.pixel(image.width() - 1, image.height() / 2);
    if (!drawn) {
      QCOMPARE(topLeft, face);
      return;
    }
    QVERIFY2(qGray(topLeft) > qGray(bottomRight),
             qPrintable(QStringLiteral("top left %1, bottom right %2")
                            .arg(qGray(topLeft))
                            .arg(qGray(bottomRight))));
    QVERIFY2(qGray(bottomRight) + 60 < qGray(face),
             qPrintable(QStringLiteral("bottom right %1, face %2")
                            .arg(qGray(bottomRight))
                            .arg(qGray(face))));
  }

  void everyKindMakesItsWidget() {
    using K = ControlKind;
    DialogTemplate t{
        999,
        "kinds",
        200,
        200,
        "Arial",
        9,
        kCaption,
        Placement::CentreOnScreen,
        {
            {1, K::PushButton, "&OK", 0, 0, 40, 14, kTabStop},
            {10, K::PushButton, "&Go", 40, 0, 40, 14, kDefault | kTabStop},
            {11, K::GroupBox, "Group", 0, 20, 100, 40, 0},
            {12, K::CheckBox, "&Check", 5, 30, 50, 10, kTabStop},
            {13, K::CheckBox, "&Push", 5, 45, 50, 14, kPushLike | kTabStop},
            {14, K::Edit, "", 0, 70, 100, 12,
             kMultiLine | kReadOnly | kTabStop},
            {15, K::Edit, "", 0, 85, 100, 40,
             kMultiLine | kVScroll | kHScroll | kTabStop},
            {16, K::ComboBox, "", 0, 130, 100, 60, kVScroll | kTabStop},
            {17, K::ProgressBar, "", 0, 150, 100, 10, 0},
            {18, K::PictureButton, "NOSUCH", 0, 165, 40, 14,
             kTabStop | kDisabled},
            {19, K::PictureButton, "WIN", 50, 165, 20, 15, kTabStop},
        }};
    QDialog dialog;
    const DialogControls c = buildDialog(dialog, t);
    QVERIFY(!c.control<QPushButton>(1)->isDefault());
    QVERIFY(c.control<QPushButton>(10)->isDefault()); // marked wins over OK
    QVERIFY(c.control<QGroupBox>(11));
    QVERIFY(c.control<QCheckBox>(12));
    auto *pushLike = c.control<QPushButton>(13);
    QVERIFY(pushLike && pushLike->isCheckable() && !pushLike->autoDefault());
    auto *line = c.control<QLineEdit>(14);
    QVERIFY(line && line->isReadOnly());
    auto *view = c.control<QPlainTextEdit>(15);
    QVERIFY(view && view->lineWrapMode() == QPlainTextEdit::NoWrap);
    auto *combo = c.control<QComboBox>(16);
    QVERIFY(combo && combo->isEditable());
    QVERIFY(combo->height() < c.units().toPixelsY(60)); // the closed box
    QCOMPARE(combo->width(), c.units().toPixelsX(100));
    auto *bar = c.control<QProgressBar>(17);
    QVERIFY(bar && bar->minimum() == 0 && bar->maximum() == 100);
    auto *missing = c.control<PictureButton>(18);
    QVERIFY(missing && !missing->hasPictures() && !missing->isEnabled());
    QCOMPARE(missing->geometry(), c.units().toPixels(0, 165, 40, 14));
    QCOMPARE(c.control<PictureButton>(19)->size(), QSize(35, 28));
    QCOMPARE(c.control(12)->objectName(), QStringLiteral("control12"));
    QCOMPARE(c.control(42), nullptr);
  }

  void defaultIsTheOkButtonUnlessMarked() {
    QDialog dialog;
    const DialogControls c =
        buildDialog(dialog, dialogTemplate(kInputTemplate));
    QVERIFY(c.control<QPushButton>(kIdOk)->isDefault());
    QVERIFY(!c.control<QPushButton>(kIdCancel)->isDefault());
  }

  void placement() {
    QScreen *screen = QGuiApplication::primaryScreen();
    QVERIFY(screen);
    const QRect available = screen->availableGeometry();
    QWidget owner;
    owner.setGeometry(available.x() + 100, available.y() + 80, 500, 400);
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));

    QDialog dialog;
    dialog.setFixedSize(200, 100);
    placeDialog(dialog, Placement::OwnerOrigin, &owner);
    QCOMPARE(dialog.pos(), owner.mapToGlobal(QPoint(0, 0)));
    placeDialog(dialog, Placement::CentreOnOwner, &owner);
    QCOMPARE(dialog.pos(), owner.geometry().center() - QPoint(100, 50));
    placeDialog(dialog, Placement::CentreOnScreen, &owner);
    QCOMPARE(dialog.pos(), available.center() - QPoint(100, 50));
    // Without a visible owner the screen's centre.
    placeDialog(dialog, Placement::OwnerOrigin, nullptr);
    QCOMPARE(dialog.pos(), available.center() - QPoint(100, 50));
    // Never off the screen.
    owner.move(available.right() - 50, available.bottom() - 30);
    placeDialog(dialog, Placement::OwnerOrigin, &owner);
    QVERIFY(available.contains(QRect(dialog.pos(), dialog.size())));
  }
};

QTEST_MAIN(DialogBuilderTest)
#include "test_dialog_builder.moc"
