// The window behind which one FileJob runs (template 135): the operation's
// title as caption, "Progressing file" over the file's display name, a bar
// from 0 to 100 and the CANCEL picture button.
//
// run() does the job's start-up before the window is shown, so a start-up
// end never shows it. The job then works for up to showDelay() without the
// window, tick after tick with a turn of the event loop every
// JobClock::kTurnEveryMs, so windows keep painting while no key or click
// reaches any of them (Esc cancels the job); a job that ends within the
// delay never shows the window, so a tree of small files runs without a
// window flashing per file. A job still running after the delay gets the
// window: from then on a zero-interval timer gives it one tick per turn of
// the event loop until it ends itself. Both times are read from the
// window's JobClock, never from the wall clock directly.
// CANCEL, Esc, Enter (CANCEL has the focus) and any request to close the
// window only ask the job to cancel: the window never ends before its job.
// The window hosts the job: its messages open in a MessageDialog, and while
// one is open the timer rests, so no tick is served under it. A job that
// waits for a file another of our runs holds gets its window at once, and
// its tries come every few milliseconds instead of every turn.
#pragma once

#include <QDialog>
#include <QTimer>

#include "job/file_job.h"
#include "job/job_host.h"
#include "job/job_request.h"
#include "platform/file_system.h"
#include "ui/control_ids.h"
#include "ui/dialog_builder.h"
#include "ui/job_clock.h"

namespace snpln::ui {

class ProgressDialog : public QDialog, public job::JobHost {
  Q_OBJECT

public:
  static constexpr int kHeadingId = ids::kProgressHeading;
  static constexpr int kNameId = ids::kProgressName;
  static constexpr int kBarId = ids::kProgressBar;

  explicit ProgressDialog(
      job::JobRequest request, QWidget *owner = nullptr,
      platform::FileSystem &fs = platform::realFileSystem());
  ~ProgressDialog() override;

  // The job, for its slice size before run().
  job::FileJob &job() { return job_; }

  // How long a job runs before its window shows, in milliseconds.
  static constexpr int kDefaultShowDelayMs = 300;
  int showDelay() const { return showDelayMs_; }
  void setShowDelay(int milliseconds) { showDelayMs_ = milliseconds; }

  // The clock the delay and the turns go by (JobClock::real() unless set);
  // it must outlive the window's run().
  void setClock(JobClock &clock) { clock_ = &clock; }

  // Runs the job to its end and returns its result.
  job::JobResult run();

  // One timer turn: one job tick, and the window's end once the job ended.
  void tick();

  // JobHost.
  job::DialogAnswer showReport(const job::JobReport &report) override;
  void setProgress(int percent) override;
  void drainTimerMessages() override;

  // The window's controls, built when first asked for: a job that ends
  // before its window would show never builds them.
  const DialogControls &controls();
  int progress() const { return progress_; }

protected:
  // While the job works without its window: input is held back from every
  // window, and Esc asks the job to cancel.
  bool eventFilter(QObject *watched, QEvent *event) override;

public slots:
  // Esc: a cancel request.
  void reject() override;
  // Only the job's end closes the window; anything else asks it to cancel.
  void done(int result) override;

private:
  void build();

  job::FileJob job_;
  DialogControls controls_;
  QTimer timer_;
  int progress_ = 0;
  int tickDepth_ = 0;
  bool running_ = false;
  bool built_ = false;
  bool hiddenPhase_ = false;
  bool messageOpen_ = false;
  int showDelayMs_ = kDefaultShowDelayMs;
  JobClock *clock_ = &JobClock::real();
};

} // namespace snpln::ui
