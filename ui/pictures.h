// The named pictures of the windows and the program icon.
//
// Every picture is drawn with QPainter from one table (name, size, label,
// look) the first time it is asked for, and kept for the life of the
// program, so the same fonts give the same pixels on every run. Picture
// buttons look up their caption plus "U" (up), "D" (pressed), "F" (focused)
// and "X" (disabled). Needs a QGuiApplication.
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
};

// Every named picture, in a fixed order.
const std::vector<PictureSpec> &pictureTable();

bool hasPicture(const QString &name);
// The picture, or a null pixmap when there is none of that name.
QPixmap picture(const QString &name);

// The program icon: 32 x 32 and 16 x 16.
QPixmap programIconPixmap(int size);
QIcon programIcon();

} // namespace snpln::ui
