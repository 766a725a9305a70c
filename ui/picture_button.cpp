#include "ui/picture_button.h"

#include <QPainter>

#include "ui/pictures.h"

namespace snpln::ui {

PictureButton::PictureButton(const QString &caption, QWidget *parent)
    : QPushButton(caption, parent), caption_(caption) {
  setFocusPolicy(Qt::StrongFocus);
  setAccessibleName(caption);
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
  fixed_ = name;
  update();
}

QString PictureButton::currentPictureName() const {
  if (!fixed_.isEmpty())
    return fixed_;
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

QSize PictureButton::sizeHint() const {
  if (!loaded_)
    return QPushButton::sizeHint();
  return picture(caption_ + QLatin1Char('U')).size();
}

void PictureButton::paintEvent(QPaintEvent *event) {
  const QPixmap pixmap = picture(currentPictureName());
  if (pixmap.isNull()) {
    QPushButton::paintEvent(event);
    return;
  }
  QPainter painter(this);
  painter.drawPixmap(0, 0, pixmap);
}

} // namespace snpln::ui
