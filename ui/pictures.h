// The named pictures of the windows and the program icon.
//
// Every picture is drawn with QPainter from one table (name, size, label,
// look) the first time it is asked for at a device pixel ratio, and kept for
// the life of the program, so the same fonts give the same pixels on every
// run. A picture asked for at ratio r has r times the pixels of its size in
// each direction and carries the ratio, so it is sharp on a scaled screen.
// Picture buttons look up their caption plus "U" (up), "D" (pressed), "F"
// (focused) and "X" (disabled); every button has all four but DOIT, EXIT,
// COPY, FP, BROWSE, FOLDER and CLEAR, which have no focused one. A label is
// drawn across its face at the largest size at which its ink keeps clear of
// the face's edge; the pictures of one row of buttons share the smallest
// size of the row. An underlined letter of a label is its button's Alt
// mnemonic.
//
// The pictures come in two schemes, light and dark, each with the contrast
// of its labels kept readable: a palette whose window colour is dark gets
// the dark ones. Needs a QGuiApplication.
#pragma once

#include <QColor>
#include <QIcon>
#include <QPalette>
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

// Which pictures a palette gets.
enum class PictureScheme { Light, Dark };
PictureScheme schemeOf(const QPalette &palette);

// The colours of a face and its label.
struct FaceColours {
  QColor top, bottom; // the face's fill, from its top to its bottom
  QColor border, light, shadow;
  QColor ink; // the label
};
FaceColours faceColours(PictureLook look, PictureScheme scheme);

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
// The picture at device pixel ratio `ratio` in `scheme`, or a null pixmap
// when there is none of that name.
QPixmap picture(const QString &name, qreal ratio = 1.0,
                PictureScheme scheme = PictureScheme::Light);
// The picture as a disabled button shows it when its set has no disabled
// picture for that state (a latched button held by a run): its colours
// greyed towards the face of the scheme's disabled picture.
QPixmap greyedPicture(const QString &name, qreal ratio, PictureScheme scheme);
// The pixel size of the label font of a picture, 0 when there is none.
int labelPixelSize(const QString &name);
// Where the ink of a picture's label lies on it, its mnemonic's underline
// included; and the room it must keep to, inside the face's edge.
QRect labelRect(const QString &name);
QRect labelRoomOf(const QString &name);

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
