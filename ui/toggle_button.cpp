#include "ui/toggle_button.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>

namespace snpln::ui {

ToggleButton::ToggleButton(const QString &text, QWidget *parent)
    : QPushButton(text, parent) {
  setCheckable(true);
  setAutoDefault(false); // Enter stays with the default button
}

QRect ToggleButton::markRect() const {
  const int side = std::max(7, std::min(height() - 8, 12));
  return QRect(6, (height() - side) / 2, side, side);
}

void ToggleButton::paintEvent(QPaintEvent *) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  const bool on = isChecked();
  if (on) {
    option.state |= QStyle::State_Sunken | QStyle::State_On;
    option.state &= ~QStyle::State_Raised;
  }
  option.state &= ~QStyle::State_HasFocus; // drawn below, the same everywhere
  painter.drawControl(QStyle::CE_PushButtonBevel, option);

  const QRect face = rect().adjusted(2, 2, -2, -2);
  const QPalette &pal = palette();
  if (on) {
    // Sunken: lit from the bottom right, and tinted with the highlight.
    QColor tint = pal.color(QPalette::Highlight);
    tint.setAlpha(70);
    painter.fillRect(face, tint);
    painter.setPen(pal.color(QPalette::Shadow));
    painter.drawLine(rect().topLeft(), rect().topRight());
    painter.drawLine(rect().topLeft(), rect().bottomLeft());
    painter.setPen(pal.color(QPalette::Dark));
    painter.drawLine(rect().topLeft() + QPoint(1, 1),
                     rect().topRight() + QPoint(-1, 1));
    painter.drawLine(rect().topLeft() + QPoint(1, 1),
                     rect().bottomLeft() + QPoint(1, -1));
  }

  // The box, and the tick in it when checked.
  const QRect box = markRect();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(pal.color(QPalette::WindowText));
  painter.setBrush(pal.color(QPalette::Base));
  painter.drawRect(box.adjusted(0, 0, -1, -1));
  if (on) {
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath tick;
    const QRectF b = QRectF(box).adjusted(2, 2, -2, -2);
    tick.moveTo(b.left(), b.top() + b.height() * 0.55);
    tick.lineTo(b.left() + b.width() * 0.4, b.bottom());
    tick.lineTo(b.right(), b.top());
    painter.setPen(QPen(pal.color(QPalette::Text), 2, Qt::SolidLine,
                        Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(tick);
    painter.setRenderHint(QPainter::Antialiasing, false);
  }

  // The caption beside the box, one pixel down and right when sunken.
  QRect label = rect().adjusted(box.right() + 4, 0, -4, 0);
  if (on)
    label.translate(1, 1);
  style()->drawItemText(&painter, label, Qt::AlignCenter | Qt::TextShowMnemonic,
                        pal, isEnabled(), text(), QPalette::ButtonText);

  if (hasFocus()) {
    QPen dots(pal.color(QPalette::WindowText), 1, Qt::CustomDashLine);
    dots.setDashPattern({1, 1});
    painter.setPen(dots);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(3, 3, -4, -4));
  }
}

} // namespace snpln::ui
