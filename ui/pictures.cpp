#include "ui/pictures.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>

#include <algorithm>
#include <string>

namespace snpln::ui {

namespace {

struct PictureSet {
  const char *base;
  int width;
  int height;
  const char *label;
  const char *letters; // which of "UDFX" exist
};

// The picture sets of the buttons: caption, size, label, states.
const PictureSet kSets[] = {
    {"OK", 88, 38, "OK", "UDF"},
    {"CANCEL", 88, 38, "CANCEL", "UDF"},
    {"DOIT", 166, 58, "DO IT!", "UD"},
    {"EXIT", 44, 75, "EXIT", "UD"},
    {"COPY", 42, 28, "About", "UD"},
    {"FP", 88, 56, "File\npreview", "UDX"},
    {"BROWSE", 79, 26, "Browse...", "UD"},
    {"CLEAR", 44, 15, "Clear", "UD"},
    {"UCASE", 88, 28, "UPPER", "UDF"},
    {"LCASE", 88, 28, "lower", "UDF"},
    {"SCASE", 88, 28, "Smart", "UDF"},
    {"EXCLUDE", 88, 28, "Exclude", "UDF"},
    {"REPLACE", 88, 28, "Replace", "UDF"},
    {"OPT", 88, 28, "Optimize", "UDF"},
    {"DEL", 88, 28, "Del. empty", "UDF"},
    {"WIN", 35, 28, "WIN", "UDF"},
    {"KOI", 35, 28, "KOI", "UDF"},
    {"ISO", 35, 28, "ISO", "UDF"},
    {"DOS", 35, 28, "DOS", "UDF"},
    {"AUTO", 35, 28, "AUTO", "UDF"},
    {"UTF8", 35, 28, "UTF-8", "UDF"},
    {"DETECT", 104, 18, "Detect coding", "UDF"},
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
                       lookOf(*l)});
  table.push_back({"SNPLN", 330, 24, "Snipline (SNPLN)", PictureLook::Banner});
  return table;
}

// The largest bold face, up to half the picture's height, whose label fits
// with a margin.
QFont labelFont(const PictureSpec &spec, bool italic) {
  QFont font(QStringLiteral("Arial"));
  font.setBold(true);
  font.setItalic(italic);
  const QString label = QString::fromUtf8(spec.label);
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
  font.setPixelSize(px);
  return font;
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

QImage drawButton(const PictureSpec &spec) {
  QImage image(spec.width, spec.height, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  drawFace(p, spec);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  p.setFont(labelFont(spec, false));
  QColor ink(0x1b, 0x2a, 0x4a);
  if (spec.look == PictureLook::Down)
    ink = Qt::white;
  else if (spec.look == PictureLook::Disabled)
    ink = QColor(0xa0, 0xa6, 0xb0);
  p.setPen(ink);
  QRect text(0, 0, spec.width, spec.height);
  if (spec.look == PictureLook::Down)
    text.translate(1, 1);
  p.drawText(text, Qt::AlignCenter, QString::fromUtf8(spec.label));
  return image;
}

QImage drawBanner(const PictureSpec &spec) {
  QImage image(spec.width, spec.height, QImage::Format_RGB32);
  QPainter p(&image);
  QLinearGradient fill(0, 0, spec.width, 0);
  fill.setColorAt(0, QColor(0x1f, 0x41, 0x78));
  fill.setColorAt(1, QColor(0x3a, 0x78, 0xc8));
  p.fillRect(image.rect(), fill);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  p.setFont(labelFont(spec, true));
  p.setPen(Qt::white);
  p.drawText(image.rect(), Qt::AlignCenter, QString::fromUtf8(spec.label));
  return image;
}

const PictureSpec *findSpec(const QString &name) {
  for (const PictureSpec &spec : pictureTable())
    if (name == QLatin1String(spec.name))
      return &spec;
  return nullptr;
}

// A sheet of paper with a blue Cyrillic letter on it.
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
    p.setPen(QPen(QColor(0x9a, 0xa3, 0xb5), 1.5));
    for (int y : {7, 11})
      p.drawLine(QPointF(8 * s, y * s), QPointF(18 * s, y * s));
  }
  QFont font(QStringLiteral("Arial"));
  font.setBold(true);
  font.setPixelSize(size >= 24 ? 18 : 11);
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

QPixmap picture(const QString &name) {
  const PictureSpec *spec = findSpec(name);
  if (!spec)
    return {};
  const QString key = QStringLiteral("snpln-picture-") + name;
  QPixmap pixmap;
  if (QPixmapCache::find(key, &pixmap))
    return pixmap;
  pixmap =
      QPixmap::fromImage(spec->look == PictureLook::Banner ? drawBanner(*spec)
                                                           : drawButton(*spec));
  QPixmapCache::insert(key, pixmap);
  return pixmap;
}

QPixmap programIconPixmap(int size) {
  const QString key = QStringLiteral("snpln-icon-%1").arg(size);
  QPixmap pixmap;
  if (QPixmapCache::find(key, &pixmap))
    return pixmap;
  pixmap = QPixmap::fromImage(drawIcon(size));
  QPixmapCache::insert(key, pixmap);
  return pixmap;
}

QIcon programIcon() {
  QIcon icon;
  icon.addPixmap(programIconPixmap(32));
  icon.addPixmap(programIconPixmap(16));
  return icon;
}

} // namespace snpln::ui
