#include "ui/run_thread.h"

#include <QEventLoop>

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

  void jobStarted(const batch::JobStart &start) override {
    {
      std::lock_guard<std::mutex> lock(sizesMutex_);
      sizes_[&start.request] = start.size.value_or(0);
    }
    // The status line shows the latest start: the window takes it when it
    // looks (RunThread::look), so however fast files start it is drawn at
    // most once a look, and a start costs no call to the window's thread.
    std::lock_guard<std::mutex> lock(statusMutex_);
    latest_ = Latest{start.number, start.found, start.request.location.path()};
    statusFresh_ = true;
  }

  // The latest start not yet drawn, taken once.
  bool takeLatest(std::size_t &number, std::size_t &found, std::string &path) {
    std::lock_guard<std::mutex> lock(statusMutex_);
    if (!statusFresh_)
      return false;
    statusFresh_ = false;
    number = latest_.number;
    found = latest_.found;
    path = std::move(latest_.path);
    return true;
  }

  void passedOver(job::OperationCode, const std::string &name,
                  batch::PassedOver why) override {
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

  void jobFinished(const job::JobRequest &, const batch::JobEnd &end) override {
    if (!end.shown || silenced_)
      return;
    if (run_.canceled()) {
      // Of the jobs a stop cut short, the first says so; nothing else is
      // shown once the user has asked to stop.
      if (end.result != job::JobResult::Stop)
        return;
      silenced_ = true;
    }
    const job::JobReport report = *end.shown;
    const job::DialogAnswer answer = run_.ask([this, report] {
      const i18n::Lines lines = i18n::reportLines(report);
      MessageDialog message(shown(lines.line1), shown(lines.line2),
                            run_.owner_);
      return message.run();
    });
    if (answer == job::DialogAnswer::Cancel) {
      // Esc on a job's message stops the run.
      silenced_ = true;
      run_.cancel();
    }
  }

  // The size jobStarted() told for `request`, taken once.
  std::uint64_t takeSize(const job::JobRequest &request) {
    std::lock_guard<std::mutex> lock(sizesMutex_);
    const auto it = sizes_.find(&request);
    if (it == sizes_.end())
      return 0;
    const std::uint64_t size = it->second;
    sizes_.erase(it);
    return size;
  }

private:
  struct Latest {
    std::size_t number = 0;
    std::size_t found = 0;
    std::string path;
  };

  RunThread &run_;
  // The run's thread's own.
  bool silenced_ = false;
  std::mutex statusMutex_;
  Latest latest_;
  bool statusFresh_ = false;
  std::mutex sizesMutex_;
  std::map<const job::JobRequest *, std::uint64_t> sizes_;
};

// The jobs, on the workers: each drives a FileJob and keeps the table of
// the files in hand.
class RunThread::Runner final : public batch::JobRunner {
public:
  Runner(RunThread &run, Observer &observer, platform::FileSystem &fs)
      : run_(run), observer_(observer), plain_(fs) {}

  // The run flushes the directories itself, a directory at a time, as
  // for the command line.
  bool handsBackUnflushed() const override {
    return plain_.handsBackUnflushed();
  }

  batch::JobEnd runJob(const job::JobRequest &request,
                       const batch::JobControl &control) override {
    RunningFile file;
    file.operation = request.operation;
    file.displayName = request.displayName;
    file.size = observer_.takeSize(request);
    file.startedAt = run_.clock_.now();
    run_.files_.started(&request, std::move(file));
    // The run's control as it is (its cancel, and its turns given back
    // while the job waits for the disk), the percentages also kept here.
    batch::JobControl mine = control;
    mine.progress = [this, &control, &request](int percent) {
      if (control.progress)
        control.progress(percent);
      run_.files_.progress(&request, percent);
    };
    batch::JobEnd end = plain_.runJob(request, mine);
    run_.files_.ended(&request);
    return end;
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
  job::JobRequest request;
  std::size_t number = 0, found = 0;
  std::string path;
  if (observer_->takeLatest(number, found, path)) {
    request.location = std::move(path);
    host_.jobStarted(batch::JobStart{request, number, found, std::nullopt});
  }
}

void RunThread::look() {
  drawStatus();
  const std::optional<RunningFile> largest = files_.largest();
  if (!window_) {
    if (!largest || !files_.anyRunningFor(clock_.now(), showDelayMs_))
      return;
    window_ = new RunProgressWindow(owner_);
    connect(window_.data(), &RunProgressWindow::cancelRequested, this,
            &RunThread::cancel);
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
