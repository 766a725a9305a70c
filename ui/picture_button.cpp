#include "ui/picture_button.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <QPainter>

#include <algorithm>

#include "ui/pictures.h"
#include "ui/translation.h"

namespace snpln::ui {

PictureButton::PictureButton(const QString &caption, QWidget *parent)
    : QPushButton(caption, parent), caption_(caption) {
  setFocusPolicy(Qt::StrongFocus);
  // Enter presses the button only while it has the focus (keyPressEvent);
  // it never becomes the default of its dialog by taking the focus.
  setAutoDefault(false);
  const char *description = pictureDescription(caption);
  setAccessibleName(*description ? uiText(description) : caption);
  // The underlined letter of the label is the button's Alt key, and the
  // tip says what the button does.
  const QString label = pictureLabel(caption);
  const QKeySequence mnemonic = QKeySequence::mnemonic(label);
  if (!mnemonic.isEmpty())
    setShortcut(mnemonic);
  if (const char *tip = pictureTip(caption); *tip)
    setToolTip(tipText(label, uiText(tip)));
}

QString PictureButton::tipText(const QString &label, const QString &what) {
  QString head = label;
  head.replace(QLatin1Char('\n'), QLatin1Char(' '));
  head.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
  head.remove(QLatin1Char('&'));
  head.replace(QStringLiteral("\x01"), QStringLiteral("&"));
  QString tip = head.isEmpty() ? what : head + QStringLiteral(": ") + what;
  const QKeySequence mnemonic = QKeySequence::mnemonic(label);
  if (mnemonic.isEmpty())
    return tip;
  const QString key = mnemonic.toString(QKeySequence::NativeText);
  // One pair of brackets for the keys: "(Esc, Alt+X)".
  if (tip.endsWith(QLatin1Char(')')) && tip.contains(QStringLiteral(" (")))
    return tip.left(tip.size() - 1) + QStringLiteral(", ") + key +
           QLatin1Char(')');
  return tip + QStringLiteral(" (") + key + QLatin1Char(')');
}

bool PictureButton::loadPictures() {
  const QPixmap up = picture(caption_ + QLatin1Char('U'));
  loaded_ = !up.isNull();
  if (!loaded_)
    return false;
  hasDown_ = hasPicture(caption_ + QLatin1Char('D'));
  hasFocused_ = hasPicture(caption_ + QLatin1Char('F'));
  hasDisabled_ = hasPicture(caption_ + QLatin1Char('X'));
  setFixedSize(up.size());
  update();
  return true;
}

void PictureButton::setFixedPicture(const QString &name) {
  if (fixed_ == name)
    return;
  fixed_ = name;
  update();
}

QString PictureButton::currentPictureName() const {
  if (!fixed_.isEmpty()) {
    // Pinned up and disabled: the disabled picture; pinned down and
    // disabled: the pressed one, greyed (drawsGreyed).
    if (!isEnabled() && hasDisabled_ && fixed_ == caption_ + QLatin1Char('U'))
      return caption_ + QLatin1Char('X');
    return fixed_;
  }
  if (!loaded_)
    return {};
  QChar letter = QLatin1Char('U');
  if (isDown() && hasDown_)
    letter = QLatin1Char('D');
  else if (hasFocus() && hasFocused_)
    letter = QLatin1Char('F');
  else if (!isEnabled() && hasDisabled_)
    letter = QLatin1Char('X');
  return caption_ + letter;
}

bool PictureButton::drawsGreyed() const {
  return !isEnabled() && hasPicture(currentPictureName()) &&
         !currentPictureName().endsWith(QLatin1Char('X'));
}

bool PictureButton::drawsFocusRect() const {
  return hasFocus() && !currentPictureName().endsWith(QLatin1Char('F'));
}

QSize PictureButton::sizeHint() const {
  if (!loaded_)
    return QPushButton::sizeHint();
  const QPixmap up = picture(caption_ + QLatin1Char('U'));
  return up.size();
}

void PictureButton::paintEvent(QPaintEvent *event) {
  const QString name = currentPictureName();
  if (!hasPicture(name)) {
    QPushButton::paintEvent(event);
    return;
  }
  QPainter painter(this);
  // The scheme of the face the button stands on (a style sheet may darken
  // the window and leave its buttons' palettes alone).
  const PictureScheme scheme =
      schemeOf(parentWidget() ? parentWidget()->palette() : palette());
  painter.drawPixmap(QPointF(0, 0),
                     drawsGreyed()
                         ? greyedPicture(name, devicePixelRatioF(), scheme)
                         : picture(name, devicePixelRatioF(), scheme));
  if (!drawsFocusRect())
    return;
  // The focus rectangle of owner-drawn buttons: a dotted line between the
  // edge and the label, dark dots on light gaps so it shows on any face.
  const QRectF box = QRectF(focusRect()).adjusted(0.5, 0.5, -0.5, -0.5);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(Qt::white, 1));
  painter.drawRect(box);
  QPen dots(Qt::black, 1, Qt::CustomDashLine);
  dots.setDashPattern({1, 1});
  painter.setPen(dots);
  painter.drawRect(box);
}

QRect PictureButton::focusRect() const {
  // A few pixels inside the edge, but never over the label's ink: thin
  // faces get it on their edge.
  int inset = std::min(3, std::min(width(), height()) / 6);
  const QRect ink = labelRect(currentPictureName());
  if (!ink.isEmpty())
    inset = std::min({inset, ink.left() - 1, ink.top() - 1,
                      width() - 2 - ink.right(), height() - 2 - ink.bottom()});
  inset = std::max(inset, 0);
  return rect().adjusted(inset, inset, -inset, -inset);
}

void PictureButton::changeEvent(QEvent *event) {
  QPushButton::changeEvent(event);
  // A new palette may want the pictures of the other scheme.
  if (event->type() == QEvent::PaletteChange)
    update();
}

void PictureButton::keyPressEvent(QKeyEvent *event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      event->modifiers() == Qt::NoModifier) {
    if (isEnabled())
      click();
    event->accept();
    return;
  }
  QPushButton::keyPressEvent(event);
}

} // namespace snpln::ui
