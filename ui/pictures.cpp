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
#include <string>

#include "ui/translation.h"

namespace snpln::ui {

namespace {

struct PictureSet {
  const char *base;
  int width;
  int height;
  const char *label;
  const char *letters;     // which of "UDFX" exist
  const char *row;         // sets of one row share a label font
  const char *description; // what the button does, for screen readers
};

// Rows of buttons whose labels share one font.
constexpr const char *kPromptRow = "prompt";
constexpr const char *kModeRow = "mode";
constexpr const char *kCodeRow = "code";

// The picture sets of the buttons: caption, size, label, states, row and
// description. A new set joins a row by naming it.
const PictureSet kSets[] = {
    {"OK", 88, 38, "OK", "UDF", kPromptRow, "OK"},
    {"CANCEL", 88, 38, "CANCEL", "UDF", kPromptRow, "Cancel"},
    {"DOIT", 166, 58, "DO IT!", "UD", nullptr, "Do it"},
    {"EXIT", 44, 75, "EXIT", "UD", nullptr, "Exit"},
    {"COPY", 42, 28, "About", "UD", nullptr, "About"},
    {"FP", 88, 56, "File\npreview", "UDX", nullptr, "File preview"},
    {"BROWSE", 79, 26, "Browse...", "UD", nullptr, "Browse for files"},
    {"CLEAR", 44, 15, "Clear", "UD", nullptr, "Clear the file list"},
    {"UCASE", 88, 28, "UPPER", "UDF", kModeRow, "Upper case"},
    {"LCASE", 88, 28, "lower", "UDF", kModeRow, "Lower case"},
    {"SCASE", 88, 28, "Smart", "UDF", kModeRow, "Smart case"},
    {"EXCLUDE", 88, 28, "Exclude", "UDF", kModeRow, "Exclude a string"},
    {"REPLACE", 88, 28, "Replace", "UDF", kModeRow, "Replace a string"},
    {"OPT", 88, 28, "Optimize", "UDF", kModeRow, "Optimize with TABs"},
    {"DEL", 88, 28, "Del. empty", "UDF", kModeRow,
     "Delete excessive empty lines"},
    {"WIN", 35, 28, "WIN", "UDF", kCodeRow, "Windows-1251"},
    {"KOI", 35, 28, "KOI", "UDF", kCodeRow, "KOI8-R"},
    {"ISO", 35, 28, "ISO", "UDF", kCodeRow, "ISO 8859-5"},
    {"DOS", 35, 28, "DOS", "UDF", kCodeRow, "DOS (CP866)"},
    {"AUTO", 35, 28, "AUTO", "UDF", kCodeRow, "Detect the source coding"},
    {"UTF8", 35, 28, "UTF-8", "UDF", kCodeRow, "UTF-8"},
    {"DETECT", 104, 18, "Detect coding", "UDF", nullptr, "Detect coding only"},
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

// The pixel size of the largest bold face, up to half the picture's height,
// whose label fits with a margin.
int fittingPixelSize(const PictureSpec &spec, bool italic) {
  QFont font(QStringLiteral("Arial"));
  font.setBold(true);
  font.setItalic(italic);
  const QString label = uiText(kPictureContext, spec.label);
  const int lines = static_cast<int>(label.count(QLatin1Char('\n'))) + 1;
  // Short pictures need most of their height for the text to stay legible.
  const int byHeight = spec.height < 24 ? spec.height - 4 : spec.height / 2;
  int px = std::min(
      {20, byHeight,
       lines == 1 ? spec.height - 4
                  : static_cast<int>((spec.height - 4) / (lines * 1.25))});
  px = std::max(px, 6);
  const int margin = spec.width < 50 ? 4 : 8;
  for (; px > 6; --px) {
    font.setPixelSize(px);
    const QRect bounds =
        QFontMetrics(font).boundingRect(QRect(0, 0, 4096, 4096), 0, label);
    if (bounds.width() <= spec.width - margin &&
        bounds.height() <= spec.height - 2)
      break;
  }
  return px;
}

// The label font of a picture: the fitting size, and in a row the smallest
// fitting size of the row, so the row reads as one.
QFont labelFont(const PictureSpec &spec) {
  const bool italic = spec.look == PictureLook::Banner;
  int px = fittingPixelSize(spec, italic);
  if (spec.row)
    for (const PictureSpec &other : pictureTable())
      if (other.row && std::strcmp(other.row, spec.row) == 0 &&
          other.look == PictureLook::Up)
        px = std::min(px, fittingPixelSize(other, italic));
  QFont font(QStringLiteral("Arial"));
  font.setBold(true);
  font.setItalic(italic);
  font.setPixelSize(px);
  return font;
}

// An image of the picture's size times `ratio`, carrying the ratio, for a
// painter that draws in the picture's own pixels.
QImage canvas(const PictureSpec &spec, qreal ratio, QImage::Format format) {
  QImage image(static_cast<int>(std::ceil(spec.width * ratio)),
               static_cast<int>(std::ceil(spec.height * ratio)), format);
  image.setDevicePixelRatio(ratio);
  return image;
}

void drawFace(QPainter &p, const PictureSpec &spec) {
  const QRectF outer(0.5, 0.5, spec.width - 1.0, spec.height - 1.0);
  const QRectF inner = outer.adjusted(1, 1, -1, -1);
  QLinearGradient fill(0, 0, 0, spec.height);
  QColor border, light, shadow;
  switch (spec.look) {
  case PictureLook::Down:
    fill.setColorAt(0, QColor(0x22, 0x4a, 0x8c));
    fill.setColorAt(1, QColor(0x2f, 0x62, 0xb0));
    border = QColor(0x12, 0x2a, 0x52);
    light = QColor(0x5a, 0x86, 0xc8);
    shadow = QColor(0x16, 0x30, 0x60);
    break;
  case PictureLook::Disabled:
    fill.setColorAt(0, QColor(0xe8, 0xea, 0xee));
    fill.setColorAt(1, QColor(0xe8, 0xea, 0xee));
    border = QColor(0xb4, 0xb9, 0xc3);
    light = QColor(0xf4, 0xf5, 0xf7);
    shadow = QColor(0xd4, 0xd7, 0xdd);
    break;
  default:
    fill.setColorAt(0, QColor(0xfa, 0xfb, 0xfd));
    fill.setColorAt(1, QColor(0xd6, 0xdc, 0xe6));
    border = QColor(0x4a, 0x54, 0x68);
    light = QColor(0xff, 0xff, 0xff);
    shadow = QColor(0x9a, 0xa3, 0xb5);
    break;
  }
  p.fillRect(QRect(0, 0, spec.width, spec.height), fill);
  p.setRenderHint(QPainter::Antialiasing, false);
  // Pressed faces are lit from the other side, so they read as sunken.
  const bool sunken = spec.look == PictureLook::Down;
  p.setPen(sunken ? shadow : light);
  p.drawLine(inner.topLeft(), inner.topRight());
  p.drawLine(inner.topLeft(), inner.bottomLeft());
  p.setPen(sunken ? light : shadow);
  p.drawLine(inner.bottomLeft(), inner.bottomRight());
  p.drawLine(inner.topRight(), inner.bottomRight());
  p.setPen(border);
  p.drawRect(outer);
  if (spec.look == PictureLook::Focused) {
    QPen ring(QColor(0x2f, 0x73, 0xd9));
    ring.setWidth(2);
    p.setPen(ring);
    // Thin pictures carry the ring on their edge, clear of the label.
    const qreal inset = spec.height < 24 ? 1.0 : 3.0;
    p.drawRect(
        QRectF(inset, inset, spec.width - 2 * inset, spec.height - 2 * inset));
  }
}

QImage drawButton(const PictureSpec &spec, qreal ratio) {
  QImage image = canvas(spec, ratio, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  drawFace(p, spec);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  p.setFont(labelFont(spec));
  QColor ink(0x1b, 0x2a, 0x4a);
  if (spec.look == PictureLook::Down)
    ink = Qt::white;
  else if (spec.look == PictureLook::Disabled)
    ink = QColor(0xa0, 0xa6, 0xb0);
  p.setPen(ink);
  QRect text(0, 0, spec.width, spec.height);
  if (spec.look == PictureLook::Down)
    text.translate(1, 1);
  p.drawText(text, Qt::AlignCenter, uiText(kPictureContext, spec.label));
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
  p.setRenderHint(QPainter::TextAntialiasing, true);
  p.setFont(labelFont(spec));
  p.setPen(Qt::white);
  p.drawText(area, Qt::AlignCenter, uiText(kPictureContext, spec.label));
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

const std::vector<PictureSpec> &pictureTable() {
  static const std::vector<PictureSpec> table = makeTable();
  return table;
}

bool hasPicture(const QString &name) { return findSpec(name) != nullptr; }

QPixmap picture(const QString &name, qreal ratio) {
  const PictureSpec *spec = findSpec(name);
  if (!spec)
    return {};
  if (!(ratio > 0))
    ratio = 1.0;
  const QString key =
      QStringLiteral("snpln-picture-%1@%2").arg(name).arg(ratio);
  QPixmap pixmap;
  if (QPixmapCache::find(key, &pixmap))
    return pixmap;
  pixmap = QPixmap::fromImage(spec->look == PictureLook::Banner
                                  ? drawBanner(*spec, ratio)
                                  : drawButton(*spec, ratio));
  QPixmapCache::insert(key, pixmap);
  return pixmap;
}

int labelPixelSize(const QString &name) {
  const PictureSpec *spec = findSpec(name);
  return spec ? labelFont(*spec).pixelSize() : 0;
}

const char *pictureDescription(const QString &caption) {
  for (const PictureSet &set : kSets)
    if (caption == QLatin1String(set.base))
      return set.description;
  return "";
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
