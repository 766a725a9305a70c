// The named pictures, the icon and the picture button's choice of picture.
#include <QDialog>
#include <QImage>
#include <QPixmapCache>
#include <QSet>
#include <QTest>

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
    {"CANCELU", 88, 38},  {"CANCELD", 88, 38},  {"CANCELF", 88, 38},
    {"SNPLN", 330, 24},   {"DOITU", 166, 58},   {"DOITD", 166, 58},
    {"EXITU", 44, 75},    {"EXITD", 44, 75},    {"COPYU", 42, 28},
    {"COPYD", 42, 28},    {"FPU", 88, 56},      {"FPD", 88, 56},
    {"FPX", 88, 56},      {"BROWSEU", 79, 26},  {"BROWSED", 79, 26},
    {"CLEARU", 44, 15},   {"CLEARD", 44, 15},   {"UCASEU", 88, 28},
    {"UCASED", 88, 28},   {"UCASEF", 88, 28},   {"LCASEU", 88, 28},
    {"LCASED", 88, 28},   {"LCASEF", 88, 28},   {"SCASEU", 88, 28},
    {"SCASED", 88, 28},   {"SCASEF", 88, 28},   {"EXCLUDEU", 88, 28},
    {"EXCLUDED", 88, 28}, {"EXCLUDEF", 88, 28}, {"REPLACEU", 88, 28},
    {"REPLACED", 88, 28}, {"REPLACEF", 88, 28}, {"OPTU", 88, 28},
    {"OPTD", 88, 28},     {"OPTF", 88, 28},     {"DELU", 88, 28},
    {"DELD", 88, 28},     {"DELF", 88, 28},     {"WINU", 35, 28},
    {"WIND", 35, 28},     {"WINF", 35, 28},     {"KOIU", 35, 28},
    {"KOID", 35, 28},     {"KOIF", 35, 28},     {"ISOU", 35, 28},
    {"ISOD", 35, 28},     {"ISOF", 35, 28},     {"DOSU", 35, 28},
    {"DOSD", 35, 28},     {"DOSF", 35, 28},     {"AUTOU", 35, 28},
    {"AUTOD", 35, 28},    {"AUTOF", 35, 28},    {"UTF8U", 35, 28},
    {"UTF8D", 35, 28},    {"UTF8F", 35, 28},    {"DETECTU", 104, 18},
    {"DETECTD", 104, 18}, {"DETECTF", 104, 18},
};

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

  void programIconInBothSizes() {
    QCOMPARE(programIconPixmap(32).size(), QSize(32, 32));
    QCOMPARE(programIconPixmap(16).size(), QSize(16, 16));
    const QIcon icon = programIcon();
    QCOMPARE(icon.availableSizes().size(), 2);
    const QImage img = programIconPixmap(32).toImage();
    QVERIFY(qAlpha(img.pixel(16, 16)) == 255); // the sheet is opaque
    QVERIFY(qAlpha(img.pixel(0, 0)) == 0);     // the corner shows through
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
    other->setEnabled(false); // no disabled picture: the up one
    QCOMPARE(other->currentPictureName(), QStringLiteral("CANCELU"));

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

    // What is painted is the named picture.
    doit->setFocus();
    doit->setDown(true);
    QCOMPARE(doit->grab().toImage().convertToFormat(QImage::Format_RGB32),
             image("DOITD").convertToFormat(QImage::Format_RGB32));
  }
};

QTEST_MAIN(PicturesTest)
#include "test_pictures.moc"
