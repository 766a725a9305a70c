#include "ui/run_thread.h"

#include <QEventLoop>

#include <algorithm>
#include <map>
#include <string>
#include <utility>

#include "i18n/texts.h"
#include "ui/byte_text.h"
#include "ui/message_dialog.h"
#include "ui/translation.h"

namespace snpln::ui {

// An answer the run's thread waits for.
struct RunThread::Pending {
  std::mutex mutex;
  std::condition_variable answered;
  bool done = false;
  job::DialogAnswer answer = job::DialogAnswer::Ok;
};

// The run's events, told on the run's thread (the caller of runBatch()),
// passed on to the window's.
class RunThread::Observer final : public batch::RunObserver {
public:
  explicit Observer(RunThread &run) : run_(run) {}

  void fileStarted(const batch::FileStart &start) override {
    {
      std::lock_guard<std::mutex> lock(sizesMutex_);
      starts_[&start.task] =
          Start{start.size.value_or(0),     start.operation, start.displayName,
                start.task.location.path(), start.again,     start.number};
    }
    std::lock_guard<std::mutex> lock(statusMutex_);
    found_ = std::max(found_, start.found);
    allFound_ = allFound_ || start.allFound;
  }

  void allFound(std::size_t files) override {
    std::lock_guard<std::mutex> lock(statusMutex_);
    found_ = std::max(found_, files);
    allFound_ = true;
    statusFresh_ = statusFresh_ || latest_.number != 0;
  }

  // A worker takes a file: the status line shows the latest one (of files
  // two workers take at once, the later in the run's order, so that the
  // name is the count's file; a file set aside and started again is the
  // latest whatever its place). The window takes it when it looks
  // (RunThread::look), so however fast files start it is drawn at most
  // once a look, and a start costs no call to the window's thread.
  void taken(const std::string &path, std::size_t place, bool again) {
    std::lock_guard<std::mutex> lock(statusMutex_);
    if (!again)
      ++taken_;
    latest_.number = taken_;
    if (again || place >= latestPlace_) {
      latestPlace_ = place;
      latest_.path = path;
    }
    statusFresh_ = true;
  }

  // The latest start not yet drawn, taken once.
  bool takeLatest(batch::FileStart &start, std::string &path) {
    std::lock_guard<std::mutex> lock(statusMutex_);
    if (!statusFresh_)
      return false;
    statusFresh_ = false;
    start.number = latest_.number;
    start.found = std::max(found_, latest_.number);
    start.allFound = allFound_;
    path = latest_.path;
    return true;
  }

  void fileWaiting(const batch::FileWait &wait) override {
    run_.post([this, wait] { run_.waitBegan(wait); });
  }
  void fileWaitEnded(const batch::FileWait &wait) override {
    run_.post([this, wait] { run_.waitEnded(wait); });
  }

  void passedOver(const std::string &name, batch::PassedOver why) override {
    run_.post([this, name, why] { run_.host_.passedOver(name, why); });
  }

  void runMessage(const batch::RunMessage &message) override {
    if (silenced_)
      return;
    run_.ask([this, message] {
      return run_.host_.showMessage(message.kind, message.name,
                                    message.message);
    });
  }

  void fileFinished(const job::FileTask &, const batch::FileEnd &end) override {
    if (end.shown.empty() || silenced_)
      return;
    if (run_.canceled()) {
      // Of the files a stop cut short, the first says so; nothing else is
      // shown once the user has asked to stop.
      if (end.report.result != job::JobResult::Stop)
        return;
      silenced_ = true;
    }
    for (const job::JobReport &report : end.shown) {
      const job::DialogAnswer answer = run_.ask([this, report] {
        const i18n::Lines lines = i18n::reportLines(report);
        MessageDialog message(shown(lines.line1), shown(lines.line2),
                              run_.owner_);
        return message.run();
      });
      if (answer == job::DialogAnswer::Cancel) {
        // Esc on a file's message stops the run.
        silenced_ = true;
        run_.cancel();
        return;
      }
    }
  }

  // What fileStarted() told for `task`, taken once.
  struct Start {
    std::uint64_t size = 0;
    job::OperationCode operation = job::OperationCode::UpperCase;
    std::string displayName;
    std::string path;
    bool again = false;
    std::size_t place = 0; // in the run's order, from 1
  };
  Start takeStart(const job::FileTask &task) {
    std::lock_guard<std::mutex> lock(sizesMutex_);
    const auto it = starts_.find(&task);
    if (it == starts_.end())
      return {};
    Start start = std::move(it->second);
    starts_.erase(it);
    return start;
  }

private:
  struct Latest {
    std::size_t number = 0;
    std::string path;
  };

  RunThread &run_;
  // The run's thread's own.
  bool silenced_ = false;
  std::mutex statusMutex_;
  Latest latest_;
  std::size_t latestPlace_ = 0; // the place of latest_'s file
  bool statusFresh_ = false;
  // Files taken by the workers, files found, and whether the walk ended.
  std::size_t taken_ = 0;
  std::size_t found_ = 0;
  bool allFound_ = false;
  std::mutex sizesMutex_;
  std::map<const job::FileTask *, Start> starts_;
};

// The files, on the workers: each runs through job::runFile() and keeps the
// table of the files in hand.
class RunThread::Runner final : public batch::JobRunner {
public:
  Runner(RunThread &run, Observer &observer, platform::FileSystem &fs)
      : run_(run), observer_(observer), plain_(fs) {}

  // The run flushes the directories itself, a directory at a time, as
  // for the command line.
  bool handsBackUnflushed() const override {
    return plain_.handsBackUnflushed();
  }

  job::FileReport runJob(const job::FileTask &task, const job::FilePlan &plan,
                         const job::JobControl &control) override {
    Observer::Start start = observer_.takeStart(task);
    observer_.taken(start.path, start.place, start.again);
    RunningFile file;
    file.operation = start.operation;
    file.displayName = std::move(start.displayName);
    file.size = start.size;
    file.startedAt = run_.clock_.now();
    run_.files_.started(&task, std::move(file));
    // The run's control as it is (its cancel, and its turns given back
    // while the file waits for the disk), the percentages also kept here.
    job::JobControl mine = control;
    mine.progress = [this, &control, &task](int percent) {
      if (control.progress)
        control.progress(percent);
      run_.files_.progress(&task, percent);
    };
    job::FileReport report = plain_.runJob(task, plan, mine);
    run_.files_.ended(&task);
    return report;
  }

private:
  RunThread &run_;
  Observer &observer_;
  batch::PlainJobRunner plain_;
};

RunThread::RunThread(batch::BatchHost &host, QWidget *owner, JobClock &clock)
    : host_(host), owner_(owner), clock_(clock) {
  lookTimer_.setInterval(kLookEveryMs);
  connect(&lookTimer_, &QTimer::timeout, this, &RunThread::look);
}

RunThread::~RunThread() {
  {
    std::lock_guard<std::mutex> lock(postMutex_);
    abandoned_ = true;
    if (waiting_) {
      std::lock_guard<std::mutex> answer(waiting_->mutex);
      waiting_->done = true;
      waiting_->answered.notify_all();
    }
  }
  cancel_ = true;
  if (thread_.joinable())
    thread_.join();
  delete window_.data();
}

void RunThread::cancel() { cancel_ = true; }

void RunThread::skipWait() {
  if (wait_)
    skips_.skip(wait_->number);
}

RunProgressWindow &RunThread::progress() {
  if (!window_) {
    window_ = new RunProgressWindow(owner_);
    connect(window_.data(), &RunProgressWindow::cancelRequested, this,
            &RunThread::cancel);
    connect(window_.data(), &RunProgressWindow::skipRequested, this,
            &RunThread::skipWait);
  }
  return *window_;
}

void RunThread::waitBegan(const batch::FileWait &wait) {
  wait_ = wait;
  RunProgressWindow &window = progress();
  window.showWait(shown(i18n::waitText(wait)));
  if (!window.isVisible())
    window.show();
}

void RunThread::waitEnded(const batch::FileWait &wait) {
  if (!wait_ || wait_->number != wait.number)
    return;
  wait_.reset();
  if (window_)
    window_->endWait();
}

void RunThread::post(std::function<void()> call) {
  std::lock_guard<std::mutex> lock(postMutex_);
  if (!abandoned_)
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

job::DialogAnswer RunThread::ask(std::function<job::DialogAnswer()> call) {
  auto pending = std::make_shared<Pending>();
  {
    std::lock_guard<std::mutex> lock(postMutex_);
    if (abandoned_)
      return job::DialogAnswer::Ok;
    waiting_ = pending;
    QMetaObject::invokeMethod(
        this,
        [this, pending, call = std::move(call)] {
          // A message shows over the status line of the files started
          // before it.
          drawStatus();
          const job::DialogAnswer answer = call();
          {
            std::lock_guard<std::mutex> done(pending->mutex);
            pending->answer = answer;
            pending->done = true;
          }
          pending->answered.notify_all();
        },
        Qt::QueuedConnection);
  }
  std::unique_lock<std::mutex> lock(pending->mutex);
  pending->answered.wait(lock, [&pending] { return pending->done; });
  return pending->answer;
}

void RunThread::drawStatus() {
  if (!observer_)
    return;
  job::FileTask task;
  batch::FileStart start{task,        job::OperationCode::UpperCase, {}, 0, 0,
                         std::nullopt};
  std::string path;
  if (observer_->takeLatest(start, path)) {
    task.location = std::move(path);
    host_.fileStarted(start);
  }
}

void RunThread::look() {
  drawStatus();
  const std::optional<RunningFile> largest = files_.largest();
  if (!window_) {
    if (!largest || !files_.anyRunningFor(clock_.now(), showDelayMs_))
      return;
    progress();
  }
  // Between two files the window keeps the last one it showed.
  if (largest)
    window_->showFile(shown(i18n::operationTitle(largest->operation)),
                      fromBytes(largest->displayName), largest->percent);
  if (!window_->isVisible())
    window_->show();
}

batch::RunOutcome RunThread::run(batch::RunPlan &plan, platform::FileSystem &fs,
                                 const batch::WalkHooks &walkHooks) {
  cancel_ = false;
  running_ = true;
  plan.cancel = &cancel_;
  plan.skips = &skips_;
  wait_.reset();
  Observer observer(*this);
  observer_ = &observer;
  Runner runner(*this, observer, fs);
  batch::RunOutcome outcome;
  QEventLoop loop;
  lookTimer_.start();
  thread_ = std::thread([&] {
    try {
      outcome = batch::runBatch(plan, observer, runner, fs, walkHooks);
    } catch (...) {
      // Out of memory on the run's thread: what ran is told, the rest not.
      outcome.end = batch::RunEnd::Stopped;
    }
    // The last call: every event of the run is handled before it.
    post([&loop] { loop.quit(); });
  });
  loop.exec();
  thread_.join();
  lookTimer_.stop();
  observer_ = nullptr;
  if (window_) {
    window_->finish();
    delete window_.data();
  }
  running_ = false;
  return outcome;
}

} // namespace snpln::ui
