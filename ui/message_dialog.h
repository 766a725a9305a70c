// The two-line modal message of every outcome (template 132, "Snpln
// Message"): line 1 over line 2, each centred and cut to one line, and the
// OK picture button. A second line longer than the window widens it (up to
// twice its width). run() answers Ok for OK, Enter and the close box (a
// message during a run lets the run go on) and Cancel for Esc; nothing
// closes the window on its own.
#pragma once

#include <QDialog>
#include <QString>

#include <string>

#include "job/dialog_answer.h"
#include "ui/control_ids.h"
#include "ui/dialog_builder.h"

namespace snpln::ui {

class MessageDialog : public QDialog {
  Q_OBJECT

public:
  static constexpr int kLine1Id = ids::kMessageLine1;
  static constexpr int kLine2Id = ids::kMessageLine2;

  MessageDialog(const QString &line1, const QString &line2,
                QWidget *owner = nullptr);
  MessageDialog(const std::string &line1, const std::string &line2,
                QWidget *owner = nullptr);

  job::DialogAnswer run();

  QString line1() const { return line1_; }
  QString line2() const { return line2_; }
  const DialogControls &controls() const { return controls_; }

public slots:
  // Esc: the Esc answer.
  void reject() override;

protected:
  // The close box: OK.
  void closeEvent(QCloseEvent *event) override;

private:
  void widenFor(const QString &text);

  QString line1_;
  QString line2_;
  DialogControls controls_;
};

} // namespace snpln::ui
