// An owner-drawn push button that shows named pictures instead of a face of
// its own: its caption plus "U" (up), "D" (pressed), "F" (focused) and "X"
// (disabled), each where that picture exists, and it is sized to them.
//
// The picture shown is the pressed one while the button is down, else the
// focused one while it has the focus, else the disabled one while it is
// disabled, else the up one; a missing picture falls back to the up one.
// setFixedPicture pins one picture for every state (the main window's mode
// buttons show only the picture of their state once they have changed);
// disabled, a button pinned up shows its disabled picture and one pinned
// down its pressed picture greyed, so a disabled button never looks as if
// it could be pressed. The pictures follow the light or dark of the
// palette of the face the button stands on, its parent's (pictures.h).
// Whenever the button has the focus and the picture shown is not a focused
// one, a dotted focus rectangle is drawn over it, so the focus is always
// visible. Pictures are drawn at the widget's device pixel ratio. Enter and
// Return press the button when it has the focus; it never acts as a
// dialog's default button on its own. Its accessible name says what it
// is, its tooltip what it does ("UPPER: convert to upper case (Alt+U)"),
// and the letter its label underlines is its Alt key.
#pragma once

#include <QPushButton>
#include <QString>

namespace snpln::ui {

class PictureButton : public QPushButton {
  Q_OBJECT

public:
  explicit PictureButton(const QString &caption, QWidget *parent = nullptr);

  QString caption() const { return caption_; }

  // A tooltip: the label without its marker, what the button does, and its
  // Alt key when the label has one.
  static QString tipText(const QString &label, const QString &what);

  // Takes the pictures of the caption and sizes the button to the up
  // picture. False, and the button keeps a plain face, when there is none.
  bool loadPictures();
  bool hasPictures() const { return loaded_; }

  // Shows only `name` from now on, whatever the state; an empty name goes
  // back to the pictures of the states.
  void setFixedPicture(const QString &name);
  QString fixedPicture() const { return fixed_; }

  // The picture the button would draw now.
  QString currentPictureName() const;
  // Whether a focus rectangle is drawn over that picture now, and where:
  // its outline never crosses the label.
  bool drawsFocusRect() const;
  // Whether that picture is drawn greyed (disabled, without a disabled
  // picture of its own for this state).
  bool drawsGreyed() const;
  QRect focusRect() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

protected:
  void paintEvent(QPaintEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void changeEvent(QEvent *event) override;

private:
  QString caption_;
  QString fixed_;
  bool loaded_ = false;
  bool hasDown_ = false;
  bool hasFocused_ = false;
  bool hasDisabled_ = false;
};

} // namespace snpln::ui
