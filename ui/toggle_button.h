// A check box drawn like a push button whose two states cannot be mistaken:
// checked, it is sunken, tinted and shows a tick in a box at its left;
// unchecked, it is raised with the box empty. The focus shows as a dotted
// rectangle. Space toggles it; Enter is left to the dialog.
#pragma once

#include <QPushButton>

namespace snpln::ui {

class ToggleButton : public QPushButton {
  Q_OBJECT

public:
  explicit ToggleButton(const QString &text, QWidget *parent = nullptr);

  // The box of the tick, in the button's coordinates.
  QRect markRect() const;

protected:
  void paintEvent(QPaintEvent *event) override;
};

} // namespace snpln::ui
