// The named pictures of the windows and the program icon.
//
// Every picture is drawn with QPainter from one table (name, size, label,
// look) the first time it is asked for at a device pixel ratio, and kept for
// the life of the program, so the same fonts give the same pixels on every
// run. A picture asked for at ratio r has r times the pixels of its size in
// each direction and carries the ratio, so it is sharp on a scaled screen.
// Picture buttons look up their caption plus "U" (up), "D" (pressed), "F"
// (focused) and "X" (disabled). A label is drawn at the largest size at
// which its ink keeps clear of the face's edge; the pictures of one row of
// buttons share the smallest size of the row, and a tall face whose label
// does not fit across it carries the label upwards. An underlined letter of
// a label is its button's Alt mnemonic. Needs a QGuiApplication.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <vector>

namespace snpln::ui {

enum class PictureLook {
  Up,       // raised face
  Down,     // pressed or latched: sunken and coloured
  Focused,  // raised face with a focus ring
  Disabled, // flat and greyed
  Banner,   // the product name
};

struct PictureSpec {
  const char *name;
  int width;
  int height;
  const char *label; // '\n' separates lines
  PictureLook look;
  const char *row; // pictures of one row share a label font; null: alone
};

// Every named picture, in a fixed order.
const std::vector<PictureSpec> &pictureTable();

bool hasPicture(const QString &name);
// The picture at device pixel ratio `ratio`, or a null pixmap when there is
// none of that name.
QPixmap picture(const QString &name, qreal ratio = 1.0);
// The pixel size of the label font of a picture, 0 when there is none.
int labelPixelSize(const QString &name);
// Where the ink of a picture's label lies on it, its mnemonic's underline
// included; and the room it must keep to, inside the face's edge.
QRect labelRect(const QString &name);
QRect labelRoomOf(const QString &name);
// Whether the label is written upwards (a tall face whose label is too
// wide for it).
bool labelWrittenUpwards(const QString &name);

// What a screen reader says for a picture button of this caption (English;
// the windows translate it).
const char *pictureDescription(const QString &caption);
// What the button does, for its tooltip after its label ("convert to upper
// case"; English, the windows translate it), or "".
const char *pictureTip(const QString &caption);
// The label its pictures carry, in the windows' language; '&' marks the
// letter of its Alt mnemonic.
QString pictureLabel(const QString &caption);

// The program icon, at any size in pixels.
// The sizes of the icon files installed with the program.
inline constexpr int kInstalledIconSizes[] = {16, 32, 48, 64, 128, 256};
QPixmap programIconPixmap(int size, qreal ratio = 1.0);
QIcon programIcon();
// The icon as a scalable drawing (SVG text).
QByteArray programIconSvg();

} // namespace snpln::ui
