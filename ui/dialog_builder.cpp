#include "ui/dialog_builder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

#include "ui/picture_button.h"
#include "ui/pictures.h"
#include "ui/toggle_button.h"
#include "ui/translation.h"

namespace snpln::ui {

QString captionOf(const ControlTemplate &c) {
  const QString caption = uiText(c.caption);
  return c.argument ? caption.arg(QString::fromUtf8(c.argument)) : caption;
}

namespace {

QString text(const char *caption) { return QString::fromUtf8(caption); }

QLabel *makeStatic(const ControlTemplate &c, QWidget *parent, QRect rect) {
  auto *label = new QLabel(captionOf(c), parent);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(
      ((c.style & kCentred) ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
  // A static of one line never wraps; a taller one wraps unless told not to.
  const int lineHeight = QFontMetrics(parent->font()).height();
  label->setWordWrap(!(c.style & kNoWrap) && rect.height() >= 2 * lineHeight);
  if (c.style & kBorder) {
    // Framed like a read-only field, with its text just inside.
    label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    label->setIndent(0);
    label->setMargin(2);
  }
  label->setGeometry(rect);
  return label;
}

QWidget *makeEdit(const ControlTemplate &c, QWidget *parent, QRect rect) {
  const bool readOnly = (c.style & kReadOnly) != 0;
  if ((c.style & kMultiLine) && (c.style & (kVScroll | kHScroll))) {
    auto *edit = new QPlainTextEdit(parent);
    edit->setVerticalScrollBarPolicy(
        (c.style & kVScroll) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    edit->setHorizontalScrollBarPolicy(
        (c.style & kHScroll) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    if (c.style & kHScroll)
      edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit->setReadOnly(readOnly);
    edit->setTabChangesFocus(true);
    edit->setGeometry(rect);
    return edit;
  }
  // A one-line field, also where the template asks for a multi-line edit
  // without scroll bars: it holds one line and Enter goes to the dialog.
  auto *edit = new QLineEdit(parent);
  edit->setReadOnly(readOnly);
  edit->setGeometry(rect);
  return edit;
}

// The modal frame of a window that draws its own: a raised edge of two
// lines around a line of the face, as dialog frames are drawn where the
// window manager draws none. It lies under every control and lets every
// press through.
class DrawnFrame : public QWidget {
public:
  explicit DrawnFrame(QDialog &dialog) : QWidget(&dialog) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setObjectName(QStringLiteral("drawnFrame"));
  }

protected:
  void paintEvent(QPaintEvent *) override {
    QPainter p(this);
    const QPalette &pal = palette();
    const QRect r = rect();
    auto edge = [&p, &r](int inset, const QColor &topLeft,
                         const QColor &bottomRight) {
      const QRect e = r.adjusted(inset, inset, -inset, -inset);
      p.setPen(topLeft);
      p.drawLine(e.topLeft(), e.topRight());
      p.drawLine(e.topLeft(), e.bottomLeft());
      p.setPen(bottomRight);
      p.drawLine(e.bottomLeft(), e.bottomRight());
      p.drawLine(e.topRight(), e.bottomRight());
    };
    edge(0, pal.color(QPalette::Midlight), pal.color(QPalette::Shadow));
    edge(1, pal.color(QPalette::Light), pal.color(QPalette::Dark));
    edge(2, pal.color(QPalette::Button), pal.color(QPalette::Button));
  }
};

QWidget *makeControl(const ControlTemplate &c, QDialog &dialog,
                     const DialogUnits &units, QPoint offset) {
  const QRect rect =
      units.toPixels(c.x, c.y, c.width, c.height).translated(offset);
  const QPoint origin = rect.topLeft();
  switch (c.kind) {
  case ControlKind::PictureButton: {
    auto *button = new PictureButton(text(c.caption), &dialog);
    if (button->loadPictures())
      button->move(origin);
    else
      button->setGeometry(rect);
    return button;
  }
  case ControlKind::PushButton: {
    auto *button = new QPushButton(captionOf(c), &dialog);
    button->setGeometry(rect);
    return button;
  }
  case ControlKind::Static:
    return makeStatic(c, &dialog, rect);
  case ControlKind::GroupBox: {
    auto *box = new QGroupBox(captionOf(c), &dialog);
    box->setGeometry(rect);
    return box;
  }
  case ControlKind::CheckBox: {
    if (c.style & kPushLike) {
      auto *button = new ToggleButton(captionOf(c), &dialog);
      button->setGeometry(rect);
      return button;
    }
    auto *box = new QCheckBox(captionOf(c), &dialog);
    box->setGeometry(rect);
    return box;
  }
  case ControlKind::Edit:
    return makeEdit(c, &dialog, rect);
  case ControlKind::ComboBox:
  case ControlKind::DropDownList: {
    auto *combo = new QComboBox(&dialog);
    combo->setEditable(c.kind == ControlKind::ComboBox);
    combo->setInsertPolicy(QComboBox::NoInsert);
    // The template's height is the height of the open list.
    const int closed = combo->sizeHint().height();
    const int item = std::max(1, QFontMetrics(dialog.font()).height());
    combo->setMaxVisibleItems(std::max(1, (rect.height() - closed) / item));
    combo->setGeometry(rect.x(), rect.y(), rect.width(), closed);
    return combo;
  }
  case ControlKind::ProgressBar: {
    auto *bar = new QProgressBar(&dialog);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    bar->setGeometry(rect);
    return bar;
  }
  case ControlKind::Icon: {
    auto *label = new QLabel(&dialog);
    label->setPixmap(programIconPixmap(32, dialog.devicePixelRatioF()));
    label->setGeometry(QRect(origin, QSize(32, 32)));
    return label;
  }
  case ControlKind::Picture: {
    auto *label = new QLabel(&dialog);
    const QString name = text(c.caption);
    const QSize size = picture(name).size();
    label->setPixmap(picture(name, dialog.devicePixelRatioF()));
    label->setGeometry(size.isEmpty() ? rect : QRect(origin, size));
    return label;
  }
  }
  return nullptr;
}

} // namespace

DialogUnits DialogUnits::fromFont(const QFont &font) {
  // Every window of the program asks for the same font or two; the family
  // it stands for is part of the key, as it may change under it.
  static QFont lastFont;
  static QString lastFamily;
  static DialogUnits lastUnits;
  const QString family = QFontInfo(font).family();
  if (lastUnits.baseY > 0 && font == lastFont && family == lastFamily)
    return lastUnits;
  const qreal alphabet = QFontMetricsF(font).horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  DialogUnits units;
  units.baseX = alphabet / 52;
  // A line of text is a whole number of pixels high.
  units.baseY = QFontMetrics(font).height();
  lastFont = font;
  lastFamily = family;
  lastUnits = units;
  return units;
}

int DialogUnits::toPixelsX(int units) const {
  return qRound(units * baseX / 4);
}
int DialogUnits::toPixelsY(int units) const {
  return qRound(units * baseY / 8);
}

QRect DialogUnits::toPixels(int x, int y, int width, int height) const {
  // The edges are rounded, so that controls side by side in units stay
  // side by side in pixels.
  const int left = toPixelsX(x);
  const int top = toPixelsY(y);
  return QRect(left, top, toPixelsX(x + width) - left,
               toPixelsY(y + height) - top);
}

DialogUnits DialogUnits::holdingPictures(const DialogTemplate &tmpl) const {
  DialogUnits units = *this;
  for (const ControlTemplate &c : tmpl.controls) {
    if (c.kind != ControlKind::PictureButton || c.width <= 0 || c.height <= 0)
      continue;
    const QSize size = picture(QString::fromUtf8(c.caption) + 'U').size();
    if (size.isEmpty())
      continue;
    units.baseX = std::max(units.baseX, size.width() * 4.0 / c.width);
    units.baseY = std::max(units.baseY, size.height() * 8.0 / c.height);
  }
  return units;
}

QFont templateFont(const DialogTemplate &tmpl) {
  QFont font(QString::fromUtf8(tmpl.fontFamily));
  font.setPointSize(tmpl.fontPointSize);
  return font;
}

QWidget *DialogControls::control(int id) const {
  for (std::size_t i = 0; i < ids_.size(); ++i)
    if (ids_[i] == id)
      return widgets_[i];
  return nullptr;
}

DialogControls buildDialog(QDialog &dialog, const DialogTemplate &tmpl) {
  DialogControls controls;
  controls.template_ = &tmpl;
  dialog.setFont(templateFont(tmpl));
  controls.units_ = DialogUnits::fromFont(dialog.font()).holdingPictures(tmpl);
  const DialogUnits &units = controls.units_;

  Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint;
  if (tmpl.style & kCaption)
    flags |= Qt::WindowTitleHint;
  if (tmpl.style & kCloseBox)
    flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  dialog.setWindowFlags(flags);
  dialog.setWindowTitle(uiText(tmpl.title));
  dialog.setWindowIcon(programIcon());
  // A window that draws its own frame puts it around the client area.
  const int frame = (tmpl.style & kDrawnFrame) ? kDrawnFrameWidth : 0;
  const QPoint offset(frame, frame);
  const QSize client =
      QSize(units.toPixelsX(tmpl.width), units.toPixelsY(tmpl.height)) +
      QSize(2 * frame, 2 * frame);
  if (frame > 0) {
    auto *drawn = new DrawnFrame(dialog);
    drawn->setGeometry(QRect(QPoint(0, 0), client));
    drawn->lower();
  }
  if (tmpl.style & kResizable)
    dialog.resize(client);
  else
    dialog.setFixedSize(client);

  QPushButton *markedDefault = nullptr;
  QPushButton *okButton = nullptr;
  QWidget *previousStop = nullptr;
  QWidget *firstStop = nullptr;
  for (const ControlTemplate &c : tmpl.controls) {
    QWidget *widget = makeControl(c, dialog, units, offset);
    widget->setObjectName(c.id == kNoId
                              ? QStringLiteral("control")
                              : QStringLiteral("control%1").arg(c.id));
    widget->setProperty("controlId", c.id);
    if (c.style & kDisabled)
      widget->setEnabled(false);
    if (auto *button = qobject_cast<QPushButton *>(widget);
        button && !button->isCheckable()) {
      if (c.style & kDefault)
        markedDefault = button;
      if (c.id == kIdOk && !okButton)
        okButton = button;
    }
    if (widget->focusPolicy() & Qt::TabFocus) {
      if (previousStop)
        QWidget::setTabOrder(previousStop, widget);
      else
        firstStop = widget;
      previousStop = widget;
    }
    controls.widgets_.push_back(widget);
    controls.ids_.push_back(c.id);
  }
  if (QPushButton *def = markedDefault ? markedDefault : okButton)
    def->setDefault(true);
  // The first control of the tab order takes the focus when the window
  // opens.
  if (firstStop)
    firstStop->setFocus();
  return controls;
}

void placeDialog(QDialog &dialog, Placement placement, QWidget *owner) {
  QWidget *ownerWindow = owner ? owner->window() : nullptr;
  if (ownerWindow && !ownerWindow->isVisible())
    ownerWindow = nullptr;
  QScreen *screen =
      ownerWindow ? ownerWindow->screen() : QGuiApplication::primaryScreen();
  if (!screen)
    return;
  const QRect available = screen->availableGeometry();
  const QSize size = dialog.size();
  QPoint position =
      available.center() - QPoint(size.width() / 2, size.height() / 2);
  if (ownerWindow && placement == Placement::OwnerOrigin)
    position = ownerWindow->mapToGlobal(QPoint(0, 0));
  else if (ownerWindow && placement == Placement::CentreOnOwner)
    position = ownerWindow->geometry().center() -
               QPoint(size.width() / 2, size.height() / 2);
  // Keep the whole window on the screen.
  position.setX(std::clamp(
      position.x(), available.left(),
      std::max(available.left(), available.right() + 1 - size.width())));
  position.setY(std::clamp(
      position.y(), available.top(),
      std::max(available.top(), available.bottom() + 1 - size.height())));
  dialog.move(position);
}

} // namespace snpln::ui
