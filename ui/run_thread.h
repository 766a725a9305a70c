// A window's run on a thread of its own: runBatch() goes on a thread that
// the window's event loop does not wait on, its files on the plan's workers
// (PlainJobRunner over the window's file system), and every event reaches
// the window on the window's thread through queued calls: no widget is
// touched from another thread and no loop of processEvents is needed.
//
// run() turns a local event loop, as a modal window's exec() does, until
// the run has ended and its thread is gone, so the window and its tests
// call it like any modal step. Meanwhile:
//  - the status line counts the files (BatchHost::fileStarted), drawn from
//    the latest start each time the window looks, never once per file;
//    entries passed over go to BatchHost::passedOver;
//  - run messages and the reports the run shows of its files open as the
//    host's MessageDialogs, one at a time and in the order of the walk;
//    the run's thread waits for each answer (the workers go on). Esc on a
//    file's report stops the run as CANCEL does;
//  - once a file has run for the delay (on the window's JobClock) one
//    RunProgressWindow shows the largest file in hand and its percent, and
//    follows the largest still running when that one ends; it goes when
//    the run ends;
//  - cancel() (CANCEL, Esc, EXIT) sets the plan's cancel flag: every
//    running file stops at its next step, left whole, none starts. After a
//    stop, at most one report (the first canceled file's) is shown;
//  - a file that waits for another program shows the progress window at
//    once with the wait line and Skip (skipWait()), the files after it
//    going on; the line goes when the wait ends;
//  - the status line counts the files as the workers take them, of the
//    files found so far, or of every file once the walk has ended.
//
// The clock is read on the workers too (a job's start), so its source must
// be safe to call from any thread (the real one is).
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "batch/batch_host.h"
#include "batch/run_batch.h"
#include "job/dialog_answer.h"
#include "ui/job_clock.h"
#include "ui/run_progress_window.h"
#include "ui/running_files.h"

namespace snpln::ui {

class RunThread : public QObject {
  Q_OBJECT

public:
  // How long a file runs before the progress window shows, in
  // milliseconds: a tree of small files flashes no window.
  static constexpr int kDefaultShowDelayMs = 300;
  // How often the window looks at the files in hand while a run goes (the
  // clock decides what it sees).
  static constexpr int kLookEveryMs = 20;

  // `host` gets the events, `owner` owns the progress window; both live
  // on the calling thread and outlive the RunThread.
  RunThread(batch::BatchHost &host, QWidget *owner, JobClock &clock);
  ~RunThread() override;
  RunThread(const RunThread &) = delete;
  RunThread &operator=(const RunThread &) = delete;

  void setShowDelay(int milliseconds) { showDelayMs_ = milliseconds; }

  // Runs `plan` (its cancel flag set to this run's) and returns its
  // outcome once the run's thread has ended.
  batch::RunOutcome run(batch::RunPlan &plan, platform::FileSystem &fs,
                        const batch::WalkHooks &walkHooks = {});

  bool running() const { return running_; }
  // Leaves the file whose wait the progress window shows as it is.
  void skipWait();
  // The wait the progress window shows (none: nothing waits).
  const std::optional<batch::FileWait> &shownWait() const { return wait_; }
  // Asks every job to stop at its next slice; nothing further starts.
  void cancel();
  bool canceled() const { return cancel_.load(); }

  // The progress window, once shown (null before).
  RunProgressWindow *progressWindow() const { return window_.data(); }
  const RunningFiles &runningFiles() const { return files_; }

  // Brings the status line and the progress window up to date with the
  // files in hand and the clock: the window's timer calls it every
  // kLookEveryMs while a run goes.
  void look();

private:
  class Observer;
  class Runner;
  struct Pending;

  // Calls `call` on the window's thread; ask() waits for its answer.
  void post(std::function<void()> call);
  job::DialogAnswer ask(std::function<job::DialogAnswer()> call);
  // The status line brought up to the latest start not yet drawn.
  void drawStatus();
  void waitBegan(const batch::FileWait &wait);
  void waitEnded(const batch::FileWait &wait);
  // The progress window, made (not shown) when there is none.
  RunProgressWindow &progress();

  batch::BatchHost &host_;
  QWidget *owner_;
  JobClock &clock_;
  int showDelayMs_ = kDefaultShowDelayMs;
  bool running_ = false;
  std::atomic<bool> cancel_{false};
  batch::WaitSkips skips_;
  std::optional<batch::FileWait> wait_;
  RunningFiles files_;
  QPointer<RunProgressWindow> window_;
  QTimer lookTimer_;
  // The run's observer while run() goes.
  Observer *observer_ = nullptr;

  // Guards posting against the RunThread's end.
  std::mutex postMutex_;
  bool abandoned_ = false;
  std::shared_ptr<Pending> waiting_;
  std::thread thread_;
};

} // namespace snpln::ui
