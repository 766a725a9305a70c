// The named pictures, the icon and the picture button's choice of picture.
#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QMap>
#include <QPixmapCache>
#include <QSet>
#include <QTest>
#include <QXmlStreamReader>
#include <QtMath>

#include <iterator>
#include <tuple>
#include <utility>

#include "ui/picture_button.h"
#include "ui/pictures.h"

using namespace snpln::ui;

namespace {

struct Expected {
  const char *name;
  int width;
  int height;
};

// The binding names and sizes, written out one by one.
const Expected kExpected[] = {
    {"OKU", 88, 38},      {"OKD", 88, 38},      {"OKF", 88, 38},
    {"OKX", 88, 38},      {"CANCELU", 88, 38},  {"CANCELD", 88, 38},
    {"CANCELF", 88, 38},  {"CANCELX", 88, 38},  {"SNPLN", 330, 24},
    {"DOITU", 166, 58},   {"DOITD", 166, 58},   {"DOITX", 166, 58},
    {"EXITU", 44, 75},    {"EXITD", 44, 75},    {"EXITX", 44, 75},
    {"COPYU", 42, 28},    {"COPYD", 42, 28},    {"COPYX", 42, 28},
    {"FPU", 88, 56},      {"FPD", 88, 56},      {"FPX", 88, 56},
    {"BROWSEU", 79, 26},  {"BROWSED", 79, 26},  {"BROWSEX", 79, 26},
    {"FOLDERU", 79, 26},  {"FOLDERD", 79, 26},  {"FOLDERX", 79, 26},
    {"CLEARU", 44, 15},   {"CLEARD", 44, 15},   {"CLEARX", 44, 15},
    {"UCASEU", 88, 28},   {"UCASED", 88, 28},   {"UCASEF", 88, 28},
    {"UCASEX", 88, 28},   {"LCASEU", 88, 28},   {"LCASED", 88, 28},
    {"LCASEF", 88, 28},   {"LCASEX", 88, 28},   {"SCASEU", 88, 28},
    {"SCASED", 88, 28},   {"SCASEF", 88, 28},   {"SCASEX", 88, 28},
    {"EXCLUDEU", 88, 28}, {"EXCLUDED", 88, 28}, {"EXCLUDEF", 88, 28},
    {"EXCLUDEX", 88, 28}, {"REPLACEU", 88, 28}, {"REPLACED", 88, 28},
    {"REPLACEF", 88, 28}, {"REPLACEX", 88, 28}, {"OPTU", 88, 28},
    {"OPTD", 88, 28},     {"OPTF", 88, 28},     {"OPTX", 88, 28},
    {"DELU", 88, 28},     {"DELD", 88, 28},     {"DELF", 88, 28},
    {"DELX", 88, 28},     {"WINU", 35, 28},     {"WIND", 35, 28},
    {"WINF", 35, 28},     {"WINX", 35, 28},     {"KOIU", 35, 28},
    {"KOID", 35, 28},     {"KOIF", 35, 28},     {"KOIX", 35, 28},
    {"ISOU", 35, 28},     {"ISOD", 35, 28},     {"ISOF", 35, 28},
    {"ISOX", 35, 28},     {"DOSU", 35, 28},     {"DOSD", 35, 28},
    {"DOSF", 35, 28},     {"DOSX", 35, 28},     {"AUTOU", 35, 28},
    {"AUTOD", 35, 28},    {"AUTOF", 35, 28},    {"AUTOX", 35, 28},
    {"UTF8U", 35, 28},    {"UTF8D", 35, 28},    {"UTF8F", 35, 28},
    {"UTF8X", 35, 28},    {"DETECTU", 104, 18}, {"DETECTD", 104, 18},
    {"DETECTF", 104, 18}, {"DETECTX", 104, 18}, {"REPAIRU", 88, 28},
    {"REPAIRD", 88, 28},  {"REPAIRF", 88, 28},  {"REPAIRX", 88, 28},
};

// The relative luminance of a colour and the contrast of two, as the
// accessibility guidelines define them.
double luminance(const QColor &c) {
  auto channel = [](double v) {
    return v <= 0.03928 ? v / 12.92 : qPow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
         0.0722 * channel(c.blueF());
}
double contrast(const QColor &a, const QColor &b) {
  const double la = luminance(a), lb = luminance(b);
  return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

// The mean lightness of a picture, 0 to 255.
int meanLightness(const QImage &img) {
  qint64 sum = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      sum += qGray(img.pixel(x, y));
  return int(sum / (qint64(img.width()) * img.height()));
}

QPalette darkPalette() {
  QPalette dark;
  dark.setColor(QPalette::Window, QColor(0x20, 0x22, 0x26));
  dark.setColor(QPalette::WindowText, QColor(0xe0, 0xe0, 0xe0));
  dark.setColor(QPalette::Button, QColor(0x30, 0x33, 0x38));
  dark.setColor(QPalette::ButtonText, QColor(0xe0, 0xe0, 0xe0));
  dark.setColor(QPalette::Base, QColor(0x18, 0x19, 0x1c));
  dark.setColor(QPalette::Text, QColor(0xe0, 0xe0, 0xe0));
  return dark;
}

QImage image(const QString &name) { return picture(name).toImage(); }

} // namespace

class PicturesTest : public QObject {
  Q_OBJECT

private slots:
  void everyNameAtItsSize() {
    QSet<QString> tableNames;
    for (const PictureSpec &spec : pictureTable())
      tableNames.insert(QString::fromUtf8(spec.name));
    QSet<QString> expectedNames;
    for (const Expected &e : kExpected) {
      const QString name = QString::fromUtf8(e.name);
      expectedNames.insert(name);
      QVERIFY2(hasPicture(name), e.name);
      const QPixmap p = picture(name);
      QVERIFY2(!p.isNull(), e.name);
      QCOMPARE(p.size(), QSize(e.width, e.height));
    }
    QCOMPARE(tableNames, expectedNames);
    QVERIFY(!hasPicture("CLEARF"));
    QVERIFY(picture("CLEARF").isNull());
    QVERIFY(picture("").isNull());
  }

  // Every state must be told apart at a glance, and no picture is blank.
  void statesLookDifferent() {
    for (const PictureSpec &spec : pictureTable()) {
      const QString name = QString::fromUtf8(spec.name);
      const QImage img = image(name);
      QSet<QRgb> colours;
      for (int y = 0; y < img.height(); y += 2)
        for (int x = 0; x < img.width(); x += 2)
          colours.insert(img.pixel(x, y));
      QVERIFY2(colours.size() > 3, spec.name);
      if (spec.look == PictureLook::Up || spec.look == PictureLook::Banner)
        continue;
      const QString up = name.left(name.size() - 1) + "U";
      QVERIFY2(img != image(up), spec.name);
    }
  }

  void drawingIsReproducible() {
    const QImage first = image("UCASED");
    QPixmapCache::clear();
    QCOMPARE(image("UCASED"), first);
  }

  // Every installed size, the same drawing at each: the sheet opaque in the
  // middle, the corner clear, the letter's blue in the lower half.
  void programIconAtEveryInstalledSize() {
    const QIcon icon = programIcon();
    QCOMPARE(icon.availableSizes().size(),
             qsizetype(std::size(kInstalledIconSizes)));
    for (const int size : kInstalledIconSizes) {
      const QImage img = programIconPixmap(size).toImage();
      QCOMPARE(img.size(), QSize(size, size));
      QVERIFY2(qAlpha(img.pixel(size / 2, size / 2)) == 255,
               qPrintable(QString::number(size)));
      QVERIFY2(qAlpha(img.pixel(0, 0)) == 0, qPrintable(QString::number(size)));
      int blue = 0;
      for (int y = size / 2; y < size; ++y)
        for (int x = 0; x < size; ++x) {
          const QRgb p = img.pixel(x, y);
          blue += qAlpha(p) == 255 && qBlue(p) > qRed(p) + 60;
        }
      // The letter is drawn at the icon's scale, not at a fixed pixel size.
      QVERIFY2(
          blue * 40 >= size * size,
          qPrintable(
              QStringLiteral("%1 px: %2 blue pixels").arg(size).arg(blue)));
    }
    // The scalable icon is an SVG drawing on the same 32 x 32 grid.
    QXmlStreamReader svg(programIconSvg());
    QVERIFY(svg.readNextStartElement());
    QCOMPARE(svg.name().toString(), QStringLiteral("svg"));
    QCOMPARE(svg.attributes().value("viewBox").toString(),
             QStringLiteral("0 0 32 32"));
    while (!svg.atEnd())
      svg.readNext();
    QVERIFY2(!svg.hasError(), qPrintable(svg.errorString()));
  }

  // At a device pixel ratio a picture has that many times the pixels each
  // way and draws at its own size, so it is sharp on a scaled screen.
  void picturesAtTheDevicePixelRatio_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<QSize>("pixels");
    QTest::newRow("OKU at 2") << "OKU" << 2.0 << QSize(176, 76);
    QTest::newRow("DOITD at 2") << "DOITD" << 2.0 << QSize(332, 116);
    QTest::newRow("AUTOF at 2") << "AUTOF" << 2.0 << QSize(70, 56);
    QTest::newRow("SNPLN at 2") << "SNPLN" << 2.0 << QSize(660, 48);
    QTest::newRow("WINU at 1.5") << "WINU" << 1.5 << QSize(53, 42);
    QTest::newRow("CLEARU at 1.5") << "CLEARU" << 1.5 << QSize(66, 23);
    QTest::newRow("UCASEU at 1") << "UCASEU" << 1.0 << QSize(88, 28);
  }
  void picturesAtTheDevicePixelRatio() {
    QFETCH(QString, name);
    QFETCH(qreal, ratio);
    QFETCH(QSize, pixels);
    const QPixmap p = picture(name, ratio);
    QCOMPARE(p.size(), pixels);
    QCOMPARE(p.devicePixelRatio(), ratio);
    if (ratio == 2.0) {
      // Drawn anew, not the small picture blown up: the big one has edges
      // the doubled small one has not.
      const QImage sharp = p.toImage().convertToFormat(QImage::Format_RGB32);
      const QImage blown =
          picture(name).toImage().scaled(pixels).convertToFormat(
              QImage::Format_RGB32);
      QVERIFY(sharp != blown);
    }
    const QPixmap icon = programIconPixmap(32, ratio);
    QCOMPARE(icon.size(), QSize(qCeil(32 * ratio), qCeil(32 * ratio)));
  }

  // The buttons of one row read as one: their labels share one font.
  void rowsShareOneLabelFont() {
    QMap<QString, QSet<int>> sizesOfRow;
    for (const PictureSpec &spec : pictureTable())
      if (spec.row)
        sizesOfRow[QString::fromUtf8(spec.row)].insert(
            labelPixelSize(QString::fromUtf8(spec.name)));
    QVERIFY(sizesOfRow.contains("small"));
    QVERIFY(sizesOfRow.contains("caption"));
    for (auto it = sizesOfRow.cbegin(); it != sizesOfRow.cend(); ++it)
      QVERIFY2(it.value().size() == 1, qPrintable(it.key()));
    QCOMPARE(labelPixelSize("AUTOU"), labelPixelSize("WINU"));
    QCOMPARE(labelPixelSize("AUTOD"), labelPixelSize("DOSF"));
    QCOMPARE(labelPixelSize("NOSUCH"), 0);
  }

  // Each button says what it does.
  void descriptionsForScreenReaders() {
    QSet<QString> seen;
    for (const PictureSpec &spec : pictureTable()) {
      if (spec.look != PictureLook::Up)
        continue;
      const QString name = QString::fromUtf8(spec.name);
      const QString caption = name.left(name.size() - 1);
      const QString description =
          QString::fromUtf8(pictureDescription(caption));
      QVERIFY2(!description.isEmpty(), qPrintable(caption));
      QVERIFY2(!seen.contains(description), qPrintable(description));
      seen.insert(description);
      PictureButton button(caption);
      QCOMPARE(button.accessibleName(), description);
    }
  }

  void buttonIsSizedToItsPictures() {
    PictureButton button("DOIT");
    QVERIFY(button.loadPictures());
    QCOMPARE(button.size(), QSize(166, 58));
    QCOMPARE(button.sizeHint(), QSize(166, 58));
    PictureButton none("NOSUCH");
    QVERIFY(!none.loadPictures());
    QVERIFY(none.currentPictureName().isEmpty());
  }

  void buttonShowsThePictureOfItsState() {
    QDialog window;
    auto *ok = new PictureButton("OK", &window);
    auto *fp = new PictureButton("FP", &window);
    auto *doit = new PictureButton("DOIT", &window);
    auto *other = new PictureButton("CANCEL", &window);
    for (PictureButton *b : {ok, fp, doit, other})
      QVERIFY(b->loadPictures());
    fp->move(100, 0);
    doit->move(0, 60);
    other->move(200, 0);
    window.resize(400, 200);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    other->setFocus();
    QCOMPARE(ok->currentPictureName(), QStringLiteral("OKU"));
    ok->setDown(true);
    QCOMPARE(ok->currentPictureName(), QStringLiteral("OKD"));
    ok->setDown(false);
    ok->setFocus();
    QCOMPARE(ok->currentPictureName(), QStringLiteral("OKF"));
    ok->setDown(true); // pressed beats focused
    QCOMPARE(ok->currentPictureName(), QStringLiteral("OKD"));
    ok->setDown(false);

    fp->setEnabled(false);
    QCOMPARE(fp->currentPictureName(), QStringLiteral("FPX"));
    doit->setFocus(); // DOIT has no focused picture
    QCOMPARE(doit->currentPictureName(), QStringLiteral("DOITU"));
    other->setEnabled(false);
    QCOMPARE(other->currentPictureName(), QStringLiteral("CANCELX"));

    // Once pinned, one picture in every state.
    ok->setFixedPicture("OKD");
    ok->setFocus();
    QCOMPARE(ok->currentPictureName(), QStringLiteral("OKD"));
    ok->setDown(true);
    QCOMPARE(ok->currentPictureName(), QStringLiteral("OKD"));
    ok->setDown(false);
    ok->setFixedPicture("OKU");
    QCOMPARE(ok->currentPictureName(), QStringLiteral("OKU"));
    ok->setFixedPicture(QString());
    QCOMPARE(ok->currentPictureName(), QStringLiteral("OKF"));

    // What is painted is the named picture; with the focus, and no focused
    // picture in the set, a focus rectangle lies over it.
    other->setEnabled(true);
    other->setFocus();
    doit->setDown(true);
    QVERIFY(!doit->drawsFocusRect());
    QCOMPARE(doit->grab().toImage().convertToFormat(QImage::Format_RGB32),
             image("DOITD").convertToFormat(QImage::Format_RGB32));
    doit->setFocus();
    QVERIFY(doit->drawsFocusRect());
    QVERIFY(doit->grab().toImage().convertToFormat(QImage::Format_RGB32) !=
            image("DOITD").convertToFormat(QImage::Format_RGB32));
    doit->setDown(false);
  }

  // Focus must show on every button in every state: with the focused
  // picture where the set has one, else (and once a picture is pinned) with
  // a focus rectangle. A grab with the focus differs from one without.
  void focusShowsOnEveryButtonInEveryState_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("pinned");
    QTest::addColumn<bool>("rect");
    QTest::newRow("DOIT") << "DOIT" << QString() << true;
    QTest::newRow("EXIT") << "EXIT" << QString() << true;
    QTest::newRow("BROWSE") << "BROWSE" << QString() << true;
    QTest::newRow("COPY") << "COPY" << QString() << true;
    QTest::newRow("FP") << "FP" << QString() << true;
    QTest::newRow("CLEAR") << "CLEAR" << QString() << true;
    QTest::newRow("UCASE") << "UCASE" << QString() << false;
    QTest::newRow("UCASE pinned up") << "UCASE"
                                     << "UCASEU" << true;
    QTest::newRow("UCASE pinned down") << "UCASE"
                                       << "UCASED" << true;
    QTest::newRow("AUTO pinned down") << "AUTO"
                                      << "AUTOD" << true;
    QTest::newRow("DETECT pinned up") << "DETECT"
                                      << "DETECTU" << true;
    QTest::newRow("OK") << "OK" << QString() << false;
  }
  void focusShowsOnEveryButtonInEveryState() {
    QFETCH(QString, caption);
    QFETCH(QString, pinned);
    QFETCH(bool, rect);
    QDialog window;
    auto *button = new PictureButton(caption, &window);
    auto *elsewhere = new PictureButton("CANCEL", &window);
    QVERIFY(button->loadPictures() && elsewhere->loadPictures());
    elsewhere->move(0, 100);
    button->setFixedPicture(pinned);
    window.resize(400, 200);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    elsewhere->setFocus();
    const QImage without = button->grab().toImage();
    button->setFocus();
    QVERIFY(button->hasFocus());
    QCOMPARE(button->drawsFocusRect(), rect);
    const QImage with = button->grab().toImage();
    QVERIFY(with != without);
  }

  // Every button is drawn disabled when it is: its own disabled picture,
  // also when it is pinned up; pinned down (a latched mode button held by a
  // run), its pressed picture greyed. Enabled again, it looks as before.
  void disabledButtonsLookDisabled_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("pinned");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("greyed");
    QSet<QString> captions;
    for (const PictureSpec &spec : pictureTable()) {
      const QString name = QString::fromUtf8(spec.name);
      if (spec.look == PictureLook::Banner)
        continue;
      const QString caption = name.left(name.size() - 1);
      if (captions.contains(caption))
        continue;
      captions.insert(caption);
      QTest::addRow("%s", qPrintable(caption))
          << caption << QString() << caption + "X" << false;
    }
    QTest::newRow("UCASE pinned up") << "UCASE"
                                     << "UCASEU"
                                     << "UCASEX" << false;
    QTest::newRow("UCASE pinned down") << "UCASE"
                                       << "UCASED"
                                       << "UCASED" << true;
    QTest::newRow("AUTO pinned down") << "AUTO"
                                      << "AUTOD"
                                      << "AUTOD" << true;
  }
  void disabledButtonsLookDisabled() {
    QFETCH(QString, caption);
    QFETCH(QString, pinned);
    QFETCH(QString, shown);
    QFETCH(bool, greyed);
    PictureButton button(caption);
    QVERIFY(button.loadPictures());
    button.setFixedPicture(pinned);
    const QImage enabled = button.grab().toImage();
    button.setEnabled(false);
    QCOMPARE(button.currentPictureName(), shown);
    QCOMPARE(button.drawsGreyed(), greyed);
    const QImage disabled = button.grab().toImage();
    QVERIFY(disabled != enabled);
    // Greyed: no colour is left, and it is lighter than the latched blue.
    if (greyed) {
      for (int y = 0; y < disabled.height(); y += 3)
        for (int x = 0; x < disabled.width(); x += 3) {
          const QColor c = disabled.pixelColor(x, y);
          QVERIFY2(qAbs(c.red() - c.blue()) < 24,
                   qPrintable(c.name() + " at " + QString::number(x) + "," +
                              QString::number(y)));
        }
      QVERIFY(meanLightness(disabled) > meanLightness(enabled));
    }
    button.setEnabled(true);
    QCOMPARE(button.grab().toImage(), enabled);
  }

  // The pictures follow the palette: under a dark one the faces are dark
  // and the labels light, under a light one the other way round, each with
  // a contrast that reads (4.5 for a label that may be pressed, 2.5 for a
  // disabled one), against both ends of the face's fill.
  void picturesFollowTheLightOrDarkOfThePalette_data() {
    QTest::addColumn<int>("scheme");
    QTest::addColumn<int>("look");
    QTest::addColumn<double>("least");
    for (const auto &[scheme, name] : {std::pair{PictureScheme::Light, "light"},
                                       std::pair{PictureScheme::Dark, "dark"}})
      for (const auto &[look, lookName, least] :
           {std::tuple{PictureLook::Up, "up", 4.5},
            std::tuple{PictureLook::Focused, "focused", 4.5},
            std::tuple{PictureLook::Down, "down", 4.5},
            std::tuple{PictureLook::Disabled, "disabled", 2.5}})
        QTest::addRow("%s, %s", name, lookName)
            << int(scheme) << int(look) << least;
  }
  void picturesFollowTheLightOrDarkOfThePalette() {
    QFETCH(int, scheme);
    QFETCH(int, look);
    QFETCH(double, least);
    const FaceColours c = faceColours(PictureLook(look), PictureScheme(scheme));
    for (const QColor &face : {c.top, c.bottom})
      QVERIFY2(contrast(c.ink, face) >= least,
               qPrintable(QStringLiteral("%1 on %2: %3")
                              .arg(c.ink.name(), face.name())
                              .arg(contrast(c.ink, face))));
    // Faces that may be pressed are light in the light scheme and dark in
    // the dark one; the latched blue is the same in both.
    if (PictureLook(look) == PictureLook::Up ||
        PictureLook(look) == PictureLook::Disabled) {
      const bool dark = PictureScheme(scheme) == PictureScheme::Dark;
      QVERIFY2((c.top.lightness() < 128) == dark, qPrintable(c.top.name()));
    }
  }

  // A button takes the scheme of the face it stands on, and draws again
  // when the palette changes; a style sheet that darkens only the windows
  // darkens their buttons too.
  void buttonTakesTheSchemeOfItsPalette() {
    QCOMPARE(schemeOf(QPalette(Qt::white)), PictureScheme::Light);
    QCOMPARE(schemeOf(darkPalette()), PictureScheme::Dark);
    PictureButton button("UCASE");
    QVERIFY(button.loadPictures());
    const QImage light = button.grab().toImage();
    QCOMPARE(light.convertToFormat(QImage::Format_RGB32),
             picture("UCASEU", 1.0, PictureScheme::Light)
                 .toImage()
                 .convertToFormat(QImage::Format_RGB32));
    button.setPalette(darkPalette());
    const QImage dark = button.grab().toImage();
    QCOMPARE(dark.convertToFormat(QImage::Format_RGB32),
             picture("UCASEU", 1.0, PictureScheme::Dark)
                 .toImage()
                 .convertToFormat(QImage::Format_RGB32));
    QVERIFY2(meanLightness(dark) + 80 < meanLightness(light),
             qPrintable(QStringLiteral("dark %1, light %2")
                            .arg(meanLightness(dark))
                            .arg(meanLightness(light))));
    qApp->setStyleSheet(QStringLiteral(
        "QDialog { background-color: #202020; color: #e0e0e0; }"));
    QDialog window;
    auto *inWindow = new PictureButton("UCASE", &window);
    QVERIFY(inWindow->loadPictures());
    window.show();
    QApplication::processEvents();
    inWindow->clearFocus();
    const QImage sheet = inWindow->grab().toImage();
    qApp->setStyleSheet(QString());
    QCOMPARE(sheet.convertToFormat(QImage::Format_RGB32),
             picture(inWindow->currentPictureName(), 1.0, PictureScheme::Dark)
                 .toImage()
                 .convertToFormat(QImage::Format_RGB32));
  }

  // The focus rectangle drawn over a picture lies between the face's edge
  // and the label, on every picture in every state (on the thin DETECT it
  // used to run through "Detect coding").
  void regressionFocusFrameMissesTheLabel() {
    QDialog window;
    for (const PictureSpec &spec : pictureTable()) {
      const QString name = QString::fromUtf8(spec.name);
      if (spec.look == PictureLook::Banner)
        continue;
      auto *button = new PictureButton(name.left(name.size() - 1), &window);
      QVERIFY(button->loadPictures());
      button->setFixedPicture(name);
      const QRect frame = button->focusRect();
      const QRect ink = labelRect(name);
      QVERIFY2(frame.adjusted(1, 1, -1, -1).contains(ink) &&
                   button->rect().contains(frame),
               qPrintable(QStringLiteral("%1: frame %2,%3 %4x%5, label "
                                         "%6,%7 %8x%9")
                              .arg(name)
                              .arg(frame.x())
                              .arg(frame.y())
                              .arg(frame.width())
                              .arg(frame.height())
                              .arg(ink.x())
                              .arg(ink.y())
                              .arg(ink.width())
                              .arg(ink.height())));
    }
  }
};

QTEST_MAIN(PicturesTest)
#include "test_pictures.moc"
