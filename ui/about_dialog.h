// The about box (template 100, "About SNPLN"): the icon, the product name
// as a picture, the program's version, its licence (MIT) and the project's
// address (SNPLN_HOMEPAGE; a build without one says where the licence's
// whole text is), the word "click" and the OK picture button. A left press
// anywhere in the box except on OK opens the description, and again after
// each close; OK (or Esc) closes the box.
#pragma once

#include <QDialog>

#include "ui/dialog_builder.h"

namespace snpln::ui {

class AboutDialog : public QDialog {
  Q_OBJECT

public:
  explicit AboutDialog(QWidget *owner = nullptr);

  int run();

  // How many times the description has been opened from this box.
  int descriptionsOpened() const { return descriptionsOpened_; }

  const DialogControls &controls() const { return controls_; }

public slots:
  // Esc and the close box: the Cancel answer.
  void reject() override { done(kIdCancel); }

protected:
  void mousePressEvent(QMouseEvent *event) override;

private:
  DialogControls controls_;
  int descriptionsOpened_ = 0;
};

} // namespace snpln::ui
