// The page of help text behind the about box (template 140, "Snipline
// description"), centred on the screen: the icon, the text lines, each a
// static of its own, and the "&RULEZ-Z-Z" button that closes it.
#pragma once

#include <QDialog>

#include "ui/dialog_builder.h"

namespace snpln::ui {

class DescriptionDialog : public QDialog {
  Q_OBJECT

public:
  explicit DescriptionDialog(QWidget *owner = nullptr);

  int run();

  const DialogControls &controls() const { return controls_; }

public slots:
  // Esc and the close box: the Cancel answer.
  void reject() override { done(kIdCancel); }

private:
  DialogControls controls_;
};

} // namespace snpln::ui
