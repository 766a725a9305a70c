#include "ui/pictures.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>

#include "ui/translation.h"

namespace snpln::ui {

namespace {

struct PictureSet {
  const char *base;
  int width;
  int height;
  const char *label;       // '&' marks the letter of an Alt mnemonic
  const char *letters;     // which of "UDFX" exist
  const char *row;         // sets of one row share a label font
  const char *description; // what the button is, for screen readers
  const char *tip;         // what it does, for its tooltip
};

// Rows of buttons whose labels share one font: the captions of the
// buttons of every window read as one size; the thin and narrow ones (the
// code rows, CLEAR, DETECT), too small for it, share a smaller one; DO IT!,
// the preview's button and the banner stand alone.
constexpr const char *kCaptionRow = "caption";
constexpr const char *kSmallRow = "small";

// The picture sets of the buttons: caption, size, label, states, row,
// description and tip. A new set joins a row by naming it.
const PictureSet kSets[] = {
    {QT_TRANSLATE_NOOP("snpln", "OK"), 88, 38,
     QT_TRANSLATE_NOOP("pictures", "OK"), "UDFX", kCaptionRow,
     QT_TRANSLATE_NOOP("snpln", "OK"),
     QT_TRANSLATE_NOOP("snpln", "accept (Enter)")},
    {QT_TRANSLATE_NOOP("pictures", "CANCEL"), 88, 38,
     QT_TRANSLATE_NOOP("pictures", "CANCEL"), "UDFX", kCaptionRow,
     QT_TRANSLATE_NOOP("snpln", "Cancel"),
     QT_TRANSLATE_NOOP("snpln", "give up (Esc)")},
    {"DOIT", 166, 58, QT_TRANSLATE_NOOP("pictures", "DO &IT!"), "UDX", nullptr,
     QT_TRANSLATE_NOOP("snpln", "Do it"),
     QT_TRANSLATE_NOOP("snpln",
                       "run the selected operations on the chosen files")},
    {QT_TRANSLATE_NOOP("pictures", "EXIT"), 44, 75,
     QT_TRANSLATE_NOOP("pictures", "E&XIT"), "UDX", kCaptionRow,
     QT_TRANSLATE_NOOP("snpln", "Exit"),
     QT_TRANSLATE_NOOP("snpln", "close the window (Esc)")},
    {"COPY", 42, 28, QT_TRANSLATE_NOOP("pictures", "A&bout"), "UDX",
     kCaptionRow, QT_TRANSLATE_NOOP("snpln", "About"),
     QT_TRANSLATE_NOOP("snpln", "about the program and what it does (F1)")},
    {"FP", 88, 56, QT_TRANSLATE_NOOP("pictures", "File\n&preview"), "UDX",
     nullptr, QT_TRANSLATE_NOOP("snpln", "File preview"),
     QT_TRANSLATE_NOOP("snpln", "show the chosen file, edit it and save it")},
    {"BROWSE", 79, 26, QT_TRANSLATE_NOOP("pictures", "Bro&wse..."), "UDX",
     kCaptionRow, QT_TRANSLATE_NOOP("snpln", "Browse for files"),
     QT_TRANSLATE_NOOP("snpln", "choose files")},
    {"FOLDER", 79, 26, QT_TRANSLATE_NOOP("pictures", "&Folder..."), "UDX",
     kCaptionRow, QT_TRANSLATE_NOOP("snpln", "Browse for a folder"),
     QT_TRANSLATE_NOOP(
         "snpln",
         "choose a folder: its files and subfolders are worked through")},
    {"CLEAR", 44, 15, QT_TRANSLATE_NOOP("pictures", "&Clear"), "UDX", kSmallRow,
     QT_TRANSLATE_NOOP("snpln", "Clear the file list"),
     QT_TRANSLATE_NOOP("snpln", "empty the file list")},
    {"UCASE", 88, 28, QT_TRANSLATE_NOOP("pictures", "&UPPER"), "UDFX",
     kCaptionRow, QT_TRANSLATE_NOOP("snpln", "Upper case"),
     QT_TRANSLATE_NOOP("snpln", "convert to upper case")},
    {"LCASE", 88, 28, QT_TRANSLATE_NOOP("pictures", "&lower"), "UDFX",
     kCaptionRow, QT_TRANSLATE_NOOP("snpln", "Lower case"),
     QT_TRANSLATE_NOOP("snpln", "convert to lower case")},
    {"SCASE", 88, 28, QT_TRANSLATE_NOOP("pictures", "&Smart"), "UDFX",
     kCaptionRow, QT_TRANSLATE_NOOP("snpln", "Smart case"),
     QT_TRANSLATE_NOOP("snpln",
                       "'smart' case: each sentence starts with a capital")},
    {"EXCLUDE", 88, 28, QT_TRANSLATE_NOOP("pictures", "&Exclude"), "UDFX",
     kCaptionRow, QT_TRANSLATE_NOOP("snpln", "Exclude a string"),
     QT_TRANSLATE_NOOP("snpln", "delete every occurrence of a string")},
    {"REPLACE", 88, 28, QT_TRANSLATE_NOOP("pictures", "&Replace"), "UDFX",
     kCaptionRow, QT_TRANSLATE_NOOP("snpln", "Replace a string"),
     QT_TRANSLATE_NOOP("snpln",
                       "replace every occurrence of a string with another")},
    {"OPT", 88, 28, QT_TRANSLATE_NOOP("pictures", "&Optimize"), "UDFX",
     kCaptionRow, QT_TRANSLATE_NOOP("snpln", "Optimize with TABs"),
     QT_TRANSLATE_NOOP("snpln", "turn runs of blanks into TABs")},
    {"DEL", 88, 28, QT_TRANSLATE_NOOP("pictures", "&Del. empty"), "UDFX",
     kCaptionRow, QT_TRANSLATE_NOOP("snpln", "Delete excessive empty lines"),
     QT_TRANSLATE_NOOP("snpln", "delete excessive empty lines")},
    {"REPAIR", 88, 28, QT_TRANSLATE_NOOP("pictures", "Un&garble"), "UDFX",
     kCaptionRow, QT_TRANSLATE_NOOP("snpln", "Repair garbled text"),
     QT_TRANSLATE_NOOP("snpln", "repair garbled text (UTF-8 read in a wrong "
                                "page) before the other operations")},
    {"WIN", 35, 28, "WIN", "UDFX", kSmallRow, "Windows-1251", ""},
    {"KOI", 35, 28, "KOI", "UDFX", kSmallRow, "KOI8-R", ""},
    {"ISO", 35, 28, "ISO", "UDFX", kSmallRow, "ISO 8859-5", ""},
    {"DOS", 35, 28, "DOS", "UDFX", kSmallRow, "DOS (CP866)", ""},
    {QT_TRANSLATE_NOOP("pictures", "AUTO"), 35, 28,
     QT_TRANSLATE_NOOP("pictures", "&AUTO"), "UDFX", kSmallRow,
     QT_TRANSLATE_NOOP("snpln", "Detect the source coding"),
     QT_TRANSLATE_NOOP("snpln",
                       "the source's code page is detected in each file")},
    {"UTF8", 35, 28, "UTF-8", "UDFX", kSmallRow, "UTF-8", ""},
    {"DETECT", 104, 18, QT_TRANSLATE_NOOP("pictures", "De&tect coding"), "UDFX",
     kSmallRow, QT_TRANSLATE_NOOP("snpln", "Detect coding only"),
     QT_TRANSLATE_NOOP("snpln", "only say which code page each file is in")},
};

PictureLook lookOf(char letter) {
  switch (letter) {
  case 'D':
    return PictureLook::Down;
  case 'F':
    return PictureLook::Focused;
  case 'X':
    return PictureLook::Disabled;
  default:
    return PictureLook::Up;
  }
}

std::vector<PictureSpec> makeTable() {
  // Names live as long as the table: keep them in static storage.
  static std::vector<std::string> names;
  std::vector<PictureSpec> table;
  names.reserve(80);
  for (const PictureSet &set : kSets)
    for (const char *l = set.letters; *l; ++l)
      names.push_back(std::string(set.base) + *l);
  std::size_t next = 0;
  for (const PictureSet &set : kSets)
    for (const char *l = set.letters; *l; ++l)
      table.push_back({names[next++].c_str(), set.width, set.height, set.label,
                       lookOf(*l), set.row});
  table.push_back(
      {"SNPLN", 330, 24, "Snipline (SNPLN)", PictureLook::Banner, nullptr});
  return table;
}

// How a label lies on its picture: its font, always across the face so
// that it reads upright; on a tall face a label too wide for it is drawn
// narrower (down to the last of kStretches, per cent) before it is
// drawn smaller.
struct LabelLayout {
  QFont font;
};

constexpr int kStretches[] = {100, 90, 80, 70};

QFont labelFace(int px, bool italic, int stretch = 100) {
  QFont font(QStringLiteral("Arial"));
  font.setBold(true);
  font.setItalic(italic);
  font.setPixelSize(px);
  if (stretch != 100)
    font.setStretch(stretch);
  return font;
}

QString labelOf(const PictureSpec &spec) {
  return uiText(kPictureContext, spec.label);
}

int drawnBoxWidth(const QFontMetrics &metrics, const QString &text) {
  return metrics.horizontalAdvance(text) + metrics.maxWidth();
}

QString withoutMnemonic(QString text) {
  text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
  text.remove(QLatin1Char('&'));
  text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
  return text;
}

constexpr int kLabelFlags = Qt::AlignCenter | Qt::TextShowMnemonic;

// Where a label goes on its face: the rectangle its ink covers, and the
// rectangle to draw it in. One line is placed by its ink (the letters'
// tight bounds and the mnemonic's underline), centred on the face, so that
// capitals sit in the middle and small faces lose no room to the line's
// empty ascent and descent; several lines are centred by their boxes.
struct LabelPlace {
  QRect ink;
  QRect box;
  int flags;
};

LabelPlace placeLabel(const QFont &font, const QString &label,
                      const QRect &face) {
  const QFontMetrics metrics(font);
  if (label.contains(QLatin1Char('\n'))) {
    const QRect box = metrics.boundingRect(face, kLabelFlags, label);
    return {box, face, kLabelFlags};
  }
  const QString shown = withoutMnemonic(label);
  // The ink from the pen's origin on the baseline.
  QRect ink = metrics.tightBoundingRect(shown);
  if (shown.size() != label.size())
    ink.setBottom(
        std::max(ink.bottom(), metrics.underlinePos() + metrics.lineWidth()));
  const QPoint origin(
      face.left() + (face.width() - ink.width()) / 2 - ink.left(),
      face.top() + (face.height() - ink.height()) / 2 - ink.top());
  const QRect box(origin.x(), origin.y() - metrics.ascent(),
                  drawnBoxWidth(metrics, shown), metrics.height());
  return {ink.translated(origin), box,
          Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic |
              Qt::TextDontClip};
}

// The room a label has on its face: inside the two-pixel edge, with a gap
// to it that grows with the picture.
QRect labelRoom(int width, int height) {
  const int gapX = 2 + std::max(1, (width - 16) / 16);
  const int gapY = 2 + (height >= 24 ? 1 : 0);
  return QRect(gapX, gapY, width - 2 * gapX, height - 2 * gapY);
}

// A face at least half as tall again as it is wide may draw its label
// narrower.
bool mayNarrow(const PictureSpec &spec) {
  return 2 * spec.height >= 3 * spec.width;
}

// The widest stretch at which the label fits its face at `px` pixels, or
// nothing.
std::optional<int> stretchAt(const PictureSpec &spec, int px) {
  const bool italic = spec.look == PictureLook::Banner;
  for (const int stretch : kStretches) {
    if (stretch != 100 && !mayNarrow(spec))
      break;
    const QRect ink = placeLabel(labelFace(px, italic, stretch), labelOf(spec),
                                 QRect(0, 0, spec.width, spec.height))
                          .ink;
    // With room for the pixel a pressed face moves its label by.
    if (labelRoom(spec.width, spec.height).adjusted(0, 0, -1, -1).contains(ink))
      return stretch;
  }
  return std::nullopt;
}

// The label font of a picture: the largest bold size, up to 20 pixels, at
// which the label fits its face and, in a row, at which every label of the
// row fits, so the row reads as one and no label is drawn smaller than its
// neighbours.
LabelLayout labelLayout(const PictureSpec &spec) {
  const bool italic = spec.look == PictureLook::Banner;
  for (int px = 20; px > 6; --px) {
    const std::optional<int> stretch = stretchAt(spec, px);
    if (!stretch)
      continue;
    bool rowFits = true;
    if (spec.row)
      for (const PictureSpec &other : pictureTable())
        if (other.row && std::strcmp(other.row, spec.row) == 0 &&
            other.look == PictureLook::Up && !stretchAt(other, px)) {
          rowFits = false;
          break;
        }
    if (rowFits)
      return {labelFace(px, italic, *stretch)};
  }
  return {labelFace(6, italic)};
}

// An image of the picture's size times `ratio`, carrying the ratio, for a
// painter that draws in the picture's own pixels.
QImage canvas(const PictureSpec &spec, qreal ratio, QImage::Format format) {
  QImage image(static_cast<int>(std::ceil(spec.width * ratio)),
               static_cast<int>(std::ceil(spec.height * ratio)), format);
  image.setDevicePixelRatio(ratio);
  return image;
}

// The colour of the focus ring of a focused face.
QColor focusRing(PictureScheme scheme) {
  return scheme == PictureScheme::Dark ? QColor(0x6a, 0xa8, 0xff)
                                       : QColor(0x2f, 0x73, 0xd9);
}

void drawFace(QPainter &p, const PictureSpec &spec, PictureScheme scheme) {
  const QRectF outer(0.5, 0.5, spec.width - 1.0, spec.height - 1.0);
  const QRectF inner = outer.adjusted(1, 1, -1, -1);
  const FaceColours colours = faceColours(spec.look, scheme);
  QLinearGradient fill(0, 0, 0, spec.height);
  fill.setColorAt(0, colours.top);
  fill.setColorAt(1, colours.bottom);
  p.fillRect(QRect(0, 0, spec.width, spec.height), fill);
  p.setRenderHint(QPainter::Antialiasing, false);
  // Pressed faces are lit from the other side, so they read as sunken.
  const bool sunken = spec.look == PictureLook::Down;
  p.setPen(sunken ? colours.shadow : colours.light);
  p.drawLine(inner.topLeft(), inner.topRight());
  p.drawLine(inner.topLeft(), inner.bottomLeft());
  p.setPen(sunken ? colours.light : colours.shadow);
  p.drawLine(inner.bottomLeft(), inner.bottomRight());
  p.drawLine(inner.topRight(), inner.bottomRight());
  p.setPen(colours.border);
  p.drawRect(outer);
  if (spec.look == PictureLook::Focused) {
    QPen ring(focusRing(scheme));
    ring.setWidth(2);
    p.setPen(ring);
    // Thin pictures carry the ring on their edge, clear of the label.
    const qreal inset = spec.height < 24 ? 1.0 : 3.0;
    p.drawRect(
        QRectF(inset, inset, spec.width - 2 * inset, spec.height - 2 * inset));
  }
}

// Draws the label centred on the face.
void drawLabel(QPainter &p, const PictureSpec &spec, QPoint shift) {
  const LabelLayout layout = labelLayout(spec);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  p.setFont(layout.font);
  p.save();
  p.translate(shift);
  const QRect face(0, 0, spec.width, spec.height);
  const LabelPlace place = placeLabel(layout.font, labelOf(spec), face);
  p.drawText(place.box, place.flags, labelOf(spec));
  p.restore();
}

QImage drawButton(const PictureSpec &spec, qreal ratio, PictureScheme scheme) {
  QImage image = canvas(spec, ratio, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  drawFace(p, spec, scheme);
  p.setPen(faceColours(spec.look, scheme).ink);
  drawLabel(p, spec,
            spec.look == PictureLook::Down ? QPoint(1, 1) : QPoint(0, 0));
  return image;
}

QImage drawBanner(const PictureSpec &spec, qreal ratio) {
  QImage image = canvas(spec, ratio, QImage::Format_RGB32);
  QPainter p(&image);
  const QRect area(0, 0, spec.width, spec.height);
  QLinearGradient fill(0, 0, spec.width, 0);
  fill.setColorAt(0, QColor(0x1f, 0x41, 0x78));
  fill.setColorAt(1, QColor(0x3a, 0x78, 0xc8));
  p.fillRect(area, fill);
  p.setPen(Qt::white);
  drawLabel(p, spec, QPoint(0, 0));
  return image;
}

const PictureSpec *findSpec(const QString &name) {
  for (const PictureSpec &spec : pictureTable())
    if (name == QLatin1String(spec.name))
      return &spec;
  return nullptr;
}

// A sheet of paper with a blue Cyrillic letter on it, drawn on a 32 x 32
// grid scaled to the size; small sizes get a bigger letter and no lines.
QImage drawIcon(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, true);
  const qreal s = size / 32.0;
  QPainterPath sheet;
  sheet.moveTo(5 * s, 1.5 * s);
  sheet.lineTo(21 * s, 1.5 * s);
  sheet.lineTo(27.5 * s, 8 * s);
  sheet.lineTo(27.5 * s, 30.5 * s);
  sheet.lineTo(5 * s, 30.5 * s);
  sheet.closeSubpath();
  p.setPen(QPen(QColor(0x1f, 0x41, 0x78), std::max(1.0, 1.2 * s)));
  p.setBrush(Qt::white);
  p.drawPath(sheet);
  p.setBrush(QColor(0xd6, 0xdc, 0xe6));
  QPainterPath fold;
  fold.moveTo(21 * s, 1.5 * s);
  fold.lineTo(21 * s, 8 * s);
  fold.lineTo(27.5 * s, 8 * s);
  fold.closeSubpath();
  p.drawPath(fold);
  if (size >= 24) {
    p.setPen(QPen(QColor(0x9a, 0xa3, 0xb5), 1.5 * s));
    for (int y : {7, 11})
      p.drawLine(QPointF(8 * s, y * s), QPointF(18 * s, y * s));
  }
  QFont font(QStringLiteral("Arial"));
  font.setBold(true);
  font.setPixelSize(std::max(1, qRound((size >= 24 ? 18 : 22) * s)));
  p.setFont(font);
  p.setPen(QColor(0x2f, 0x62, 0xb0));
  const QRectF letter(5 * s, (size >= 24 ? 12 : 8) * s, 22.5 * s,
                      (size >= 24 ? 18 : 22) * s);
  p.drawText(letter, Qt::AlignCenter, QString(QChar(0x042F))); // Я
  return image;
}

} // namespace

PictureScheme schemeOf(const QPalette &palette) {
  // Dark when the window's face is darker than its text.
  return palette.color(QPalette::Window).lightness() <
                 palette.color(QPalette::WindowText).lightness()
             ? PictureScheme::Dark
             : PictureScheme::Light;
}

FaceColours faceColours(PictureLook look, PictureScheme scheme) {
  const bool dark = scheme == PictureScheme::Dark;
  switch (look) {
  case PictureLook::Down:
    // Latched: the same deep blue in both, its label white.
    return {QColor(0x22, 0x4a, 0x8c),
            QColor(0x2f, 0x62, 0xb0),
            dark ? QColor(0x8f, 0xb4, 0xec) : QColor(0x12, 0x2a, 0x52),
            QColor(0x5a, 0x86, 0xc8),
            QColor(0x16, 0x30, 0x60),
            QColor(0xff, 0xff, 0xff)};
  case PictureLook::Disabled:
    // Flat, its label faint but still there to read.
    if (dark)
      return {QColor(0x2b, 0x2f, 0x36), QColor(0x2b, 0x2f, 0x36),
              QColor(0x4a, 0x50, 0x5b), QColor(0x34, 0x39, 0x41),
              QColor(0x25, 0x28, 0x2e), QColor(0x7d, 0x85, 0x92)};
    return {QColor(0xe8, 0xea, 0xee), QColor(0xe8, 0xea, 0xee),
            QColor(0xb4, 0xb9, 0xc3), QColor(0xf4, 0xf5, 0xf7),
            QColor(0xd4, 0xd7, 0xdd), QColor(0x8d, 0x93, 0x9e)};
  case PictureLook::Up:
  case PictureLook::Focused:
  case PictureLook::Banner:
    break;
  }
  if (dark)
    return {QColor(0x4b, 0x53, 0x63), QColor(0x37, 0x3d, 0x49),
            QColor(0x9a, 0xa4, 0xb8), QColor(0x60, 0x69, 0x7c),
            QColor(0x24, 0x28, 0x30), QColor(0xf0, 0xf3, 0xfa)};
  return {QColor(0xfa, 0xfb, 0xfd), QColor(0xd6, 0xdc, 0xe6),
          QColor(0x4a, 0x54, 0x68), QColor(0xff, 0xff, 0xff),
          QColor(0x9a, 0xa3, 0xb5), QColor(0x1b, 0x2a, 0x4a)};
}

const std::vector<PictureSpec> &pictureTable() {
  static const std::vector<PictureSpec> table = makeTable();
  return table;
}

bool hasPicture(const QString &name) { return findSpec(name) != nullptr; }

QPixmap picture(const QString &name, qreal ratio, PictureScheme scheme) {
  const PictureSpec *spec = findSpec(name);
  if (!spec)
    return {};
  if (!(ratio > 0))
    ratio = 1.0;
  const QString key = QStringLiteral("snpln-picture-%1@%2%3")
                          .arg(name)
                          .arg(ratio)
                          .arg(scheme == PictureScheme::Dark ? "d" : "l");
  QPixmap pixmap;
  if (QPixmapCache::find(key, &pixmap))
    return pixmap;
  pixmap = QPixmap::fromImage(spec->look == PictureLook::Banner
                                  ? drawBanner(*spec, ratio)
                                  : drawButton(*spec, ratio, scheme));
  QPixmapCache::insert(key, pixmap);
  return pixmap;
}

QPixmap greyedPicture(const QString &name, qreal ratio, PictureScheme scheme) {
  const QPixmap source = picture(name, ratio, scheme);
  if (source.isNull())
    return source;
  const QString key = QStringLiteral("snpln-greyed-%1@%2%3")
                          .arg(name)
                          .arg(ratio)
                          .arg(scheme == PictureScheme::Dark ? "d" : "l");
  QPixmap pixmap;
  if (QPixmapCache::find(key, &pixmap))
    return pixmap;
  // Each pixel's grey, halfway to the disabled face: the picture keeps its
  // drawing and loses its colour and most of its contrast.
  QImage image = source.toImage().convertToFormat(QImage::Format_RGB32);
  const QColor face = faceColours(PictureLook::Disabled, scheme).top;
  for (int y = 0; y < image.height(); ++y) {
    auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const int grey = qGray(line[x]);
      line[x] = qRgb((grey + face.red()) / 2, (grey + face.green()) / 2,
                     (grey + face.blue()) / 2);
    }
  }
  pixmap = QPixmap::fromImage(image);
  pixmap.setDevicePixelRatio(source.devicePixelRatio());
  QPixmapCache::insert(key, pixmap);
  return pixmap;
}

int labelPixelSize(const QString &name) {
  const PictureSpec *spec = findSpec(name);
  return spec ? labelLayout(*spec).font.pixelSize() : 0;
}

QRect labelRect(const QString &name) {
  const PictureSpec *spec = findSpec(name);
  if (!spec)
    return {};
  const LabelLayout layout = labelLayout(*spec);
  // A pressed face draws its label a pixel down and right.
  const QPoint shift =
      spec->look == PictureLook::Down ? QPoint(1, 1) : QPoint(0, 0);
  return placeLabel(layout.font, labelOf(*spec),
                    QRect(0, 0, spec->width, spec->height))
      .ink.translated(shift);
}

QRect labelRoomOf(const QString &name) {
  const PictureSpec *spec = findSpec(name);
  return spec ? labelRoom(spec->width, spec->height) : QRect();
}

const char *pictureDescription(const QString &caption) {
  for (const PictureSet &set : kSets)
    if (caption == QLatin1String(set.base))
      return set.description;
  return "";
}

const char *pictureTip(const QString &caption) {
  for (const PictureSet &set : kSets)
    if (caption == QLatin1String(set.base))
      return set.tip;
  return "";
}

QString pictureLabel(const QString &caption) {
  for (const PictureSet &set : kSets)
    if (caption == QLatin1String(set.base))
      return uiText(kPictureContext, set.label);
  return {};
}

QPixmap programIconPixmap(int size, qreal ratio) {
  if (!(ratio > 0))
    ratio = 1.0;
  const QString key = QStringLiteral("snpln-icon-%1@%2").arg(size).arg(ratio);
  QPixmap pixmap;
  if (QPixmapCache::find(key, &pixmap))
    return pixmap;
  pixmap = QPixmap::fromImage(
      drawIcon(std::max(1, static_cast<int>(std::ceil(size * ratio)))));
  pixmap.setDevicePixelRatio(ratio);
  QPixmapCache::insert(key, pixmap);
  return pixmap;
}

QIcon programIcon() {
  QIcon icon;
  for (const int size : kInstalledIconSizes)
    icon.addPixmap(programIconPixmap(size));
  return icon;
}

QByteArray programIconSvg() {
  // The drawing of drawIcon on its 32 x 32 grid.
  return QByteArrayLiteral(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" "
      "height=\"32\" viewBox=\"0 0 32 32\">\n"
      "  <path d=\"M5 1.5H21L27.5 8V30.5H5Z\" fill=\"#ffffff\" "
      "stroke=\"#1f4178\" stroke-width=\"1.2\" "
      "stroke-linejoin=\"round\"/>\n"
      "  <path d=\"M21 1.5V8H27.5Z\" fill=\"#d6dce6\" stroke=\"#1f4178\" "
      "stroke-width=\"1.2\" stroke-linejoin=\"round\"/>\n"
      "  <path d=\"M8 7H18M8 11H18\" stroke=\"#9aa3b5\" "
      "stroke-width=\"1.5\"/>\n"
      "  <text x=\"16.25\" y=\"27.5\" text-anchor=\"middle\" "
      "font-family=\"Arial, Liberation Sans, sans-serif\" "
      "font-weight=\"bold\" font-size=\"18\" "
      "fill=\"#2f62b0\">\xd0\xaf</text>\n"
      "</svg>\n");
}

} // namespace snpln::ui
