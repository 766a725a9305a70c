// Builds a window from its dialog template.
//
// Positions and sizes in dialog units become pixels from the dialog font's
// real metrics: x and width are units × the average character width / 4,
// y and height units × the character height / 8, with each edge rounded to
// the nearest pixel. The width keeps its fraction, so a wider font widens
// the window by as much as it widens its texts. The pictures of picture
// buttons have sizes of their own, made for a base of about 7 × 15 pixels:
// where the font's units are smaller, a window's units grow until every
// picture fits the place its template gives it, so that pictures side by
// side or one under the other never overlap. Picture buttons, pictures and the
// icon take the template's position and the size of their picture. The controls
// are created in template order, which is also the tab order; windows find them
// by id. The default button is the one the template marks, else the button
// with the OK id. A template that asks for a drawn frame gets a raised frame
// of kDrawnFrameWidth pixels around its client area, which moves every
// control by that much; check boxes drawn like push buttons become
// ToggleButtons.
#pragma once

#include <QDialog>
#include <QFont>
#include <QRect>

#include <utility>
#include <vector>

#include "ui/dialog_templates.h"

namespace snpln::ui {

// The width in pixels of the frame a window draws itself (kDrawnFrame).
inline constexpr int kDrawnFrameWidth = 3;

// The dialog base units of a font, in pixels.
struct DialogUnits {
  qreal baseX = 0; // average width of the 52 letters of the Latin alphabet
  qreal baseY = 0; // character height

  static DialogUnits fromFont(const QFont &font);
  // These units, grown where a picture of `tmpl` needs more room.
  DialogUnits holdingPictures(const DialogTemplate &tmpl) const;

  int toPixelsX(int units) const;
  int toPixelsY(int units) const;
  QRect toPixels(int x, int y, int width, int height) const;
};

// The font a template asks for.
QFont templateFont(const DialogTemplate &tmpl);

// A control's caption as the user reads it: in the windows' language, its
// %1 filled in with the template's argument.
QString captionOf(const ControlTemplate &control);

// The controls of a built window.
class DialogControls {
public:
  // The first control with this id, or nullptr.
  QWidget *control(int id) const;
  template <typename T> T *control(int id) const {
    return qobject_cast<T *>(control(id));
  }
  // Every control in template order.
  const std::vector<QWidget *> &all() const { return widgets_; }
  // The control of the template entry with this index.
  QWidget *at(std::size_t index) const { return widgets_.at(index); }
  const DialogUnits &units() const { return units_; }
  const DialogTemplate *source() const { return template_; }

private:
  friend DialogControls buildDialog(QDialog &, const DialogTemplate &);
  std::vector<QWidget *> widgets_;
  std::vector<int> ids_;
  DialogUnits units_;
  const DialogTemplate *template_ = nullptr;
};

// Sets the window's title, font, frame and client size, and creates its
// controls as children.
DialogControls buildDialog(QDialog &dialog, const DialogTemplate &tmpl);

// Puts the window where its template wants it, relative to `owner` (may be
// nullptr). Call before showing it.
void placeDialog(QDialog &dialog, Placement placement, QWidget *owner);

} // namespace snpln::ui
