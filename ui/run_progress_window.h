// The one progress window of a run on worker threads (template 135): the
// operation's title as caption, "Progressing file" over the display name
// of the largest file the workers have in hand, its percent on the bar,
// and CANCEL. It hosts no job: the run's RunThread shows it once a file
// has run for the delay and keeps it up to date. It is not modal: the main
// window's EXIT stays in reach.
// CANCEL, Esc, Enter (CANCEL has the focus) and the close box only ask for
// the run to be cancelled (cancelRequested()); the window goes when the
// run has ended. While a file waits for another program the window names
// it ("Waiting for d01/f001.txt: in use by another program", wrapped under
// the bar) and offers Skip beside CANCEL (skipRequested()).
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QSize>
#include <QString>

#include "ui/control_ids.h"
#include "ui/dialog_builder.h"

namespace snpln::ui {

class RunProgressWindow : public QDialog {
  Q_OBJECT

public:
  static constexpr int kHeadingId = ids::kProgressHeading;
  static constexpr int kNameId = ids::kProgressName;
  static constexpr int kBarId = ids::kProgressBar;

  explicit RunProgressWindow(QWidget *owner = nullptr);

  // Shows `name` under `title` at `percent` (the same file again only
  // moves the bar).
  void showFile(const QString &title, const QString &name, int percent);

  const DialogControls &controls() const { return controls_; }
  QString shownName() const { return name_; }
  int percent() const { return percent_; }

  // Shows the wait line `text` and Skip; endWait() takes them away.
  void showWait(const QString &text);
  void endWait();
  bool waitShown() const { return waitShown_; }
  QString waitText() const;
  QPushButton *skipButton() const { return skip_; }

  // Hides the window for good: the run has ended.
  void finish();

signals:
  void cancelRequested();
  void skipRequested();

public slots:
  void reject() override;
  void done(int result) override;

protected:
  void closeEvent(QCloseEvent *event) override;

private:
  void placeWait();

  DialogControls controls_;
  QLabel *wait_ = nullptr;
  QPushButton *skip_ = nullptr;
  QSize plainSize_;
  bool waitShown_ = false;
  QString name_;
  int percent_ = -1;
  bool finished_ = false;
};

} // namespace snpln::ui
