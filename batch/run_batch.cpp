#include "batch/run_batch.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "batch/visited_files.h"
#include "job/file_run.h"

namespace snpln::batch {

namespace {

// What the run found at a name of its list, once for the whole run.
struct EntryLook {
  std::optional<std::uint32_t> attributes;
  int error = 0;
  // A plain file's identity.
  std::optional<platform::FileId> id;
  // Missing at the start and looked up again in its turn.
  bool retried = false;

  bool directory() const {
    return attributes && platform::isDirectoryWord(*attributes);
  }
};

std::vector<EntryLook> lookUp(const std::vector<std::string> &names,
                              platform::FileSystem &fs) {
  std::vector<EntryLook> looks;
  looks.reserve(names.size());
  for (const std::string &name : names) {
    EntryLook look;
    errno = 0;
    look.attributes = fs.lookup(name);
    look.error = errno;
    if (look.attributes && !look.directory())
      if (const auto status = fs.status(platform::FileLocation(name)))
        look.id = status->id;
    looks.push_back(std::move(look));
  }
  return looks;
}

// The entry whose file speaks for the run (each operation's outcome is
// shown): the last entry whose file runs. A plain file that an earlier
// plain entry already names (by another name, a link, a hard link) is
// passed over, so it cannot be that entry.
std::size_t lastJobEntryOf(const std::vector<EntryLook> &looks) {
  const auto namedBefore = [&](std::size_t i) {
    if (!looks[i].id)
      return false;
    for (std::size_t j = 0; j < i; ++j)
      if (looks[j].id == looks[i].id)
        return true;
    return false;
  };
  std::size_t last = looks.empty() ? 0 : looks.size() - 1;
  while (last > 0 && namedBefore(last))
    --last;
  return last;
}

// A directory entry: the directory's identity and the name in it. Two
// names that lead to one entry give one place.
using Place = FilePlace;

// The place of a file the user named by its path: its parent directory
// looked up through the path, and its last name. Nothing when the path
// does not say (no name after the last separator, "." or "..").
std::optional<Place> placeOfPath(const std::string &path,
                                 platform::FileSystem &fs) {
  std::size_t cut = std::string::npos;
  for (std::size_t i = path.size(); i-- > 0;)
    if (path[i] == '/' || platform::isPathSeparator(path[i])) {
      cut = i;
      break;
    }
  const std::string name =
      cut == std::string::npos ? path : path.substr(cut + 1);
  if (name.empty() || name == "." || name == "..")
    return std::nullopt;
  std::string parent = cut == std::string::npos ? std::string(".")
                       : cut == 0               ? path.substr(0, 1)
                                                : path.substr(0, cut);
  const auto status = fs.status(platform::FileLocation(parent));
  if (!status)
    return std::nullopt;
  return Place{status->id, name};
}

// Files whose directories wait for their flush, at most, before the run
// flushes them (each directory once) and tells their ends: the fewer
// flushes, the fewer commits of the file system's journal.
constexpr std::size_t kFlushBatch = 64;

// Files in flight per worker: a file that waits for the disk to take its
// new content (its commit's flushes) lets another compute, so that up to
// this many saves per worker are on their way to the disk at once while no
// more files than workers compute. The deeper the queue of saves, the more
// of their flushes the device takes at once.
constexpr int kSavesPerWorker = 8;

// Turns to compute, taken and given back by the workers. A waiting worker
// sleeps on a condition variable: it does not spin, so that the few cores
// go to the files that compute.
class Turns {
public:
  explicit Turns(int count) : free_(count) {}
  void acquire() {
    std::unique_lock<std::mutex> lock(mutex_);
    freed_.wait(lock, [this] { return free_ > 0; });
    --free_;
  }
  void release() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++free_;
    }
    freed_.notify_one();
  }

private:
  std::mutex mutex_;
  std::condition_variable freed_;
  int free_;
};

// One file, from its hand-over to its delivery.
struct Task {
  job::FileTask file;
  std::string path;
  std::optional<platform::FileStatus> before;
  std::optional<Place> place;
  // Where the run found it (its directory and name), for its visited
  // files.
  std::optional<Place> visitPlace;
  job::FileReport report;
  std::optional<platform::FileStatus> after;
  // The file of the list's last entry: it shows every operation's end.
  bool last = false;
  bool done = false;
  // Handed to the workers.
  bool queued = false;
  // Never run: the run was stopped before a worker took it.
  bool dropped = false;
  // Its directory could not be flushed after the save: the system's reason.
  std::optional<platform::SystemError> unflushed;
  // Its place among the files of the run, and its name below the chosen
  // directory it was found in.
  std::size_t number = 0;
  std::string waitName;
  // Another program holds it and its run waits for it (under the run's
  // mutex): the files after it are told without waiting for its end.
  bool held = false;
  // One worker: its wait was told (the caller's thread).
  bool waitTold = false;

  // The file was replaced and its directory still waits for its flush.
  bool flushOwed() const { return done && !dropped && report.unflushed; }
  bool stops() const { return done && report.result == job::JobResult::Stop; }
};

// The path of a file found below `root` (a directory of the list) without
// that directory: what the user knows the file by inside the folder they
// chose.
std::string belowRoot(const std::string &path, const std::string &root) {
  if (root.empty() || path.size() <= root.size() ||
      path.compare(0, root.size(), root) != 0)
    return path;
  std::size_t from = root.size();
  if (from > 0 && path[from - 1] != '/' &&
      !platform::isPathSeparator(path[from - 1])) {
    if (path[from] != '/' && !platform::isPathSeparator(path[from]))
      return path;
  }
  while (from < path.size() &&
         (path[from] == '/' || platform::isPathSeparator(path[from])))
    ++from;
  return from < path.size() ? path.substr(from) : path;
}

// A wait begun or ended on a worker, told on the caller's thread.
struct WaitNews {
  FileWait wait;
  bool begun = false;
};

// One event in the order of the walk: a file's end (once it has ended) or
// anything else the run has to say.
struct Slot {
  std::shared_ptr<Task> task;
  std::function<void()> event;
};

// Whether the file's new content took its place.
bool rewritten(const job::FileReport &report) {
  return !report.failed() &&
         std::any_of(report.operations.begin(), report.operations.end(),
                     [](const job::JobReport &operation) {
                       return operation.succeeded() && !operation.dryRun;
                     });
}

// A file the run stopped before it began: as it was.
job::FileReport canceledBeforeStart(const job::FilePlan &plan,
                                    const std::string &path) {
  job::FileReport report;
  report.path = path;
  report.result = job::JobResult::Stop;
  report.failedAt = 0;
  for (job::OperationCode operation : plan.operations) {
    job::JobReport canceled;
    canceled.operation = operation;
    canceled.path = path;
    canceled.result = job::JobResult::Stop;
    canceled.message = job::Message(job::MessageId::Canceled);
    report.operations.push_back(std::move(canceled));
  }
  return report;
}

// The run of one plan: walks the list once, hands each file to the workers
// (or runs it on the spot), and tells the events in the order of the walk.
class Run final : public WalkSink {
public:
  Run(const RunPlan &plan, RunObserver &observer, JobRunner &runner,
      platform::FileSystem &fs, const WalkHooks &hooks)
      : plan_(plan), observer_(observer), runner_(runner), fs_(fs),
        hooks_(hooks), workers_(std::max(1, plan.workers)),
        maxThreads_(static_cast<std::size_t>(workers_ * kSavesPerWorker)),
        turns_(workers_) {
    filePlan_.operations = plan.operations;
    filePlan_.parameters = plan.parameters;
    filePlan_.saveUpper = plan.saveUpper;
    filePlan_.sliceSize = plan.sliceSize;
    runHits_.assign(plan.operations.size(), 0);
  }
  Run(const Run &) = delete;
  Run &operator=(const Run &) = delete;
  ~Run() override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      quit_ = true;
    }
    queued_.notify_all();
    for (std::thread &thread : threads_)
      thread.join();
  }

  RunOutcome go() {
    outcome_.end = RunEnd::Completed;
    // Nothing to do (a selection of a source page alone).
    if (plan_.operations.empty())
      return outcome_;
    looks_ = lookUp(plan_.names, fs_);
    lastEntry_ = lastJobEntryOf(looks_);
    // The caller runs every file itself for one worker, for detection
    // alone (a look at each file's head) and for a list of one file.
    const bool detectionAlone =
        std::all_of(plan_.operations.begin(), plan_.operations.end(),
                    [](job::OperationCode operation) {
                      return operation == job::OperationCode::Detect;
                    });
    onCaller_ = workers_ == 1 || detectionAlone ||
                (looks_.size() == 1 && !looks_.front().directory());
    bool goesOn = overTheList();
    if (goesOn) {
      outcome_.walkEnded = true;
      observer_.allFound(found_);
    }
    drain();
    if (goesOn && !stopped_)
      goesOn = runSetAside();
    if (!goesOn || stopped_)
      outcome_.end = RunEnd::Stopped;
    outcome_.found = found_;
    outcome_.settleLeft();
    return outcome_;
  }

  // WalkSink.
  bool fileFound(const std::string &path,
                 const platform::FileLocation &at) override {
    return hand(path, at, false);
  }
  void passedOver(const std::string &path, PassedOver why) override {
    // A walk per mask reports each entry once.
    if (passedOver_.insert(path).second)
      tell([this, path, why] { observer_.passedOver(path, why); });
  }
  void directoryUnreadable(const std::string &name, int systemError) override {
    ++unreadable_;
    job::Message unreadable{job::MessageId::DirectoryUnreadable};
    unreadable.systemError = systemError;
    say(MessageKind::Failure, name, unreadable);
    ++outcome_.failed;
  }

private:
  bool overTheList() {
    const std::vector<std::string> &names = plan_.names;
    for (std::size_t i = 0; i < names.size(); ++i) {
      const std::string &entry = names[i];
      EntryLook &look = looks_[i];
      if (!look.attributes && !look.retried) {
        // A name the run itself may have made since it began (a backup
        // named on the command line): looked up again once, in its turn.
        look.retried = true;
        drain();
        errno = 0;
        look.attributes = fs_.lookup(entry);
        look.error = errno;
      }
      if (!look.attributes) {
        // Reported and counted; the names after it get all their
        // operations.
        job::Message notFound{job::MessageId::NameNotFound};
        notFound.systemError = look.error;
        say(MessageKind::Failure, entry, notFound);
        ++outcome_.failed;
        continue;
      }
      // A directory, whatever its mode or attributes; a name the user gave
      // that is a link to one is followed.
      if (look.directory()) {
        bool whole = true;
        root_ = entry;
        for (const std::string &mask : plan_.masks) {
          const int unreadableBefore = unreadable_;
          const WalkOutcome walk =
              walkDirectoryTree(entry, mask, walkRules_, *this, fs_, hooks_);
          outcome_.count(walk);
          if (unreadable_ != unreadableBefore)
            whole = false;
          if (walk == WalkOutcome::Stopped) {
            root_.clear();
            return false;
          }
          if (walk == WalkOutcome::OutOfMemory) {
            say(MessageKind::Failure, entry,
                job::Message{job::MessageId::WalkOutOfMemory});
            whole = false;
          }
        }
        root_.clear();
        if (whole)
          say(MessageKind::Info, entry,
              job::Message{job::MessageId::DirectoryDone});
        continue;
      }
      if (!hand(entry, platform::FileLocation(entry), i == lastEntry_)) {
        // Stopped at the list's last name: every file was found.
        if (i + 1 == names.size())
          outcome_.walkEnded = true;
        return false;
      }
    }
    return true;
  }

  std::optional<job::OperationCode> firstOperation() const {
    if (plan_.operations.empty())
      return std::nullopt;
    return plan_.operations.front();
  }

  // A run message, told in its turn.
  void say(MessageKind kind, const std::string &name,
           const job::Message &message) {
    tell([this, kind, name, message] {
      observer_.runMessage(RunMessage{kind, firstOperation(), name, message});
    });
  }

  void tell(std::function<void()> event) {
    if (slots_.empty()) {
      event();
      return;
    }
    Slot slot;
    slot.event = std::move(event);
    slots_.push_back(std::move(slot));
  }

  // Hands one file to its run. False when the run stops here.
  bool hand(const std::string &path, const platform::FileLocation &at,
            bool last) {
    deliverReady();
    if (stopped_)
      return false;
    auto task = std::make_shared<Task>();
    if (onCaller_) {
      if (!at.directory) {
        // A name the user gave: every end held for its directory's flush
        // is told first (a file named again is then known as visited by
        // its rewrite).
        drain();
        if (stopped_)
          return false;
      }
    } else {
      // A file whose directory entry a running file holds, or whose end
      // waits for its directory's flush, is looked at only once that end
      // has been told: its rewrite is a new file there.
      task->place =
          at.directory
              ? std::optional<Place>(Place{at.directory->id(), at.name})
              : placeOfPath(path, fs_);
      if (!task->place || placesRunning_.count(*task->place) != 0)
        drain();
      if (stopped_)
        return false;
    }
    job::FileTask &file = task->file;
    file.location = at;
    if (at.directory)
      file.location.shown = path;
    // The run flushes the directories itself, once for many files, before
    // it tells their ends, where its runner hands them back.
    if (runner_.handsBackUnflushed())
      file.directoryFlush = platform::DirectoryFlush::Later;
    task->path = path;
    task->last = last;
    task->waitName = at.directory ? belowRoot(path, root_) : path;
    // A name that leads nowhere is the file's run to report. A walked file
    // was looked at by its listing just now.
    task->before = at.seen ? at.seen : fs_.status(at);
    if (!onCaller_ && task->before &&
        idsRunning_.count(task->before->id) != 0) {
      // Another name of a file a running one holds (a hard link): looked
      // at once that one has ended, as one worker would, so the file is
      // never worked on twice at once and whether it counts as visited
      // does not depend on how far that one has got.
      drain();
      if (stopped_)
        return false;
      task->before = fs_.status(at);
    }
    if (task->before) {
      // A backup this run made is no file to work on.
      if (backups_.madeByRun(task->before->id))
        return true;
      task->visitPlace =
          task->place ? task->place
          : at.directory
              ? std::optional<Place>(Place{at.directory->id(), at.name})
              : placeOfPath(path, fs_);
      if (visited_.contains(*task->before, task->visitPlace, !at.directory)) {
        // Said with -v: a name given again, another link of a file done
        // (a walk under a second mask meets its entries again: silently).
        if (!visited_.visitedAt(task->visitPlace))
          passedOver(path, PassedOver::OtherLink);
        else if (!at.directory)
          passedOver(path, PassedOver::NamedAgain);
        return true;
      }
      visited_.add(*task->before, task->visitPlace, !at.directory);
    }
    ++found_;
    task->number = found_;
    if (plan_.canceled()) {
      // Stopped before it began: the file is as it was.
      task->report = canceledBeforeStart(filePlan_, path);
      task->done = true;
      Slot slot;
      slot.task = task;
      slots_.push_back(std::move(slot));
      drain();
      return false;
    }
    tellStart(*task);
    Slot slot;
    slot.task = task;
    if (onCaller_) {
      runTask(*task);
      task->done = true;
      slots_.push_back(std::move(slot));
      deliverReady();
      return !stopped_;
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      slots_.push_back(std::move(slot));
      task->queued = true;
      queue_.push_back(task);
      placesRunning_.insert(*task->place);
      if (task->before)
        idsRunning_.insert(task->before->id);
      ++running_;
      // A thread for a file no idle thread is there to take.
      if (queue_.size() > idle_ && threads_.size() < maxThreads_)
        threads_.emplace_back([this] { work(); });
    }
    queued_.notify_one();
    // The walk reads ahead of the files by a few per thread, and by the
    // files that wait for their directory's flush.
    while (running_ >= maxThreads_ * 2 + kFlushBatch && !stopped_)
      waitForDeliverable();
    return !stopped_;
  }

  bool canceled() const { return stopped_ || plan_.canceled(); }

  void tellStart(const Task &task, bool again = false) {
    FileStart start{task.file,
                    firstOperation().value_or(job::OperationCode::UpperCase),
                    job::displayNameOf(task.path),
                    task.number,
                    found_,
                    task.before
                        ? std::optional<std::uint64_t>(task.before->size)
                        : std::nullopt};
    start.allFound = outcome_.walkEnded;
    start.again = again;
    observer_.fileStarted(start);
  }

  bool skipped(const Task &task) const {
    return plan_.skips && plan_.skips->skipped(task.number);
  }

  // A file another program holds (`isHeld`), or whose wait has ended. One
  // worker sets it aside until the other files have run, then waits for
  // it (the list's last name at once); several let it wait on its worker,
  // its compute turn given to the others, while the files after it are
  // told without it.
  job::HeldAnswer held(Task &task, bool isHeld) {
    const FileWait wait{task.number, task.waitName,
                        WaitReason::HeldByOtherProgram};
    if (onCaller_) {
      // The list's last name has no file after it to go on with.
      if (!retrying_ && !task.last)
        return job::HeldAnswer::SetAside;
      if (isHeld && !task.waitTold) {
        task.waitTold = true;
        observer_.fileWaiting(wait);
      } else if (!isHeld && task.waitTold) {
        task.waitTold = false;
        observer_.fileWaitEnded(wait);
      }
      return isHeld && skipped(task) ? job::HeldAnswer::Skip
                                     : job::HeldAnswer::Wait;
    }
    bool begun = false;
    bool ended = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (isHeld && !task.held) {
        task.held = begun = true;
        news_.push_back(WaitNews{wait, true});
      } else if (!isHeld && task.held) {
        task.held = false;
        ended = true;
        news_.push_back(WaitNews{wait, false});
      }
    }
    if (begun) {
      turns_.release();
      ended_.notify_all();
    }
    if (ended) {
      ended_.notify_all();
      turns_.acquire();
    }
    return isHeld && skipped(task) ? job::HeldAnswer::Skip
                                   : job::HeldAnswer::Wait;
  }

  // One worker: the files another program held while the others ran, run
  // again (waiting for each while it is held), in the order they were
  // found. False when the run stops here.
  bool runSetAside() {
    retrying_ = true;
    std::vector<std::shared_ptr<Task>> again;
    again.swap(setAside_);
    for (const std::shared_ptr<Task> &task : again) {
      if (canceled())
        return false;
      task->report = {};
      task->after.reset();
      tellStart(*task, true);
      runTask(*task);
      Slot slot;
      slot.task = task;
      slots_.push_back(std::move(slot));
      deliverReady(true);
      if (stopped_)
        return false;
    }
    return true;
  }

  void runTask(Task &task) {
    job::JobControl control;
    control.canceled = [this] { return canceled(); };
    control.held = [this, &task](bool isHeld) { return held(task, isHeld); };
    if (!onCaller_)
      control.waitingForDisk = [this](bool waiting) {
        if (waiting)
          turns_.release();
        else
          turns_.acquire();
      };
    control.progress = [this, &task](int percent) {
      std::lock_guard<std::mutex> lock(progressMutex_);
      observer_.fileProgress(task.file, percent);
    };
    task.report = runner_.runJob(task.file, filePlan_, control);
    // The file under the name now: the new file where the save knows it,
    // the one that was there where nothing replaced it.
    if (task.report.replacement)
      task.after = task.report.replacement;
    else if (rewritten(task.report))
      task.after = fs_.status(task.file.location);
    else
      task.after = task.before;
  }

  void work() {
    for (;;) {
      std::shared_ptr<Task> task;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        ++idle_;
        queued_.wait(lock, [this] { return quit_ || !queue_.empty(); });
        --idle_;
        if (queue_.empty())
          return;
        task = std::move(queue_.front());
        queue_.pop_front();
      }
      if (canceled()) {
        std::lock_guard<std::mutex> lock(mutex_);
        task->dropped = true;
        task->done = true;
      } else {
        turns_.acquire();
        runTask(*task);
        turns_.release();
        std::lock_guard<std::mutex> lock(mutex_);
        task->done = true;
      }
      ended_.notify_all();
    }
  }

  // Waits until some slots can be told without cutting a batch of flushes
  // short (or every slot is ready, so that nothing more can join it), and
  // tells them.
  void waitForDeliverable() {
    bool all = false;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      ended_.wait(lock, [this, &all] {
        return deliverable(false, all) > 0 || all || !news_.empty();
      });
    }
    deliverReady(all);
  }

  // Waits until every file handed out has ended, and tells every slot (the
  // directories flushed first, in as few flushes as they allow); a file
  // that waits for another program is told once it has ended, after the
  // files behind it.
  void drain() {
    for (;;) {
      {
        std::unique_lock<std::mutex> lock(mutex_);
        if (slots_.empty() && aside_.empty() && news_.empty())
          return;
        ended_.wait(lock, [this] {
          const bool slotsReady =
              !slots_.empty() &&
              std::all_of(slots_.begin(), slots_.end(), [](const Slot &s) {
                return !s.task || s.task->done || s.task->held;
              });
          const bool asideReady = std::any_of(
              aside_.begin(), aside_.end(),
              [](const std::shared_ptr<Task> &t) { return t->done; });
          return slotsReady || asideReady || !news_.empty();
        });
      }
      deliverReady(true);
    }
  }

  // Under mutex_: how many slots from the first may be told now. The ready
  // slots before the first file that owes a flush always may; the ready
  // slots from it on once `force` says so, a batch of them owes flushes,
  // or one of them stops the run. `all`: every slot is ready.
  std::size_t deliverable(bool force, bool &all) const {
    std::size_t ready = 0;
    std::size_t owing = 0;
    std::size_t firstOwing = slots_.size();
    bool stops = false;
    for (const Slot &slot : slots_) {
      // A file that waits for another program does not hold up the files
      // behind it: it is taken out of their order.
      if (slot.task && !slot.task->done && !slot.task->held)
        break;
      if (slot.task && slot.task->flushOwed() && owing++ == 0)
        firstOwing = ready;
      if (slot.task && slot.task->stops())
        stops = true;
      ++ready;
    }
    all = ready == slots_.size();
    if (owing == 0 || force || stops || owing >= kFlushBatch)
      return ready;
    return firstOwing;
  }

  // Under mutex_: the file's hold on its place and identity let go.
  void letGo(const Task &task) {
    if (task.place)
      placesRunning_.erase(*task.place);
    if (task.queued && task.before)
      idsRunning_.erase(task.before->id);
    if (task.queued)
      --running_;
  }

  // Tells every wait begun or ended since the last look.
  void tellNews(std::deque<WaitNews> &news) {
    for (const WaitNews &item : news) {
      if (item.begun)
        observer_.fileWaiting(item.wait);
      else
        observer_.fileWaitEnded(item.wait);
    }
    news.clear();
  }

  // Tells the waits begun or ended, then the slots from the first that
  // may be told (`force`: every one that is ready), a file that waits for
  // another program taken out of their order, and every such file that
  // has ended since. The directories of the files among them that were
  // replaced are flushed first, each once.
  void deliverReady(bool force = false) {
    for (;;) {
      std::vector<Slot> told;
      std::deque<WaitNews> news;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        news.swap(news_);
        bool all = false;
        const std::size_t count = deliverable(force, all);
        for (std::size_t i = 0; i < count; ++i) {
          Slot &slot = slots_.front();
          if (slot.task && !slot.task->done) {
            // Held by another program: told when it ends.
            aside_.push_back(std::move(slot.task));
            slots_.pop_front();
            continue;
          }
          if (slot.task)
            letGo(*slot.task);
          told.push_back(std::move(slot));
          slots_.pop_front();
        }
        for (auto it = aside_.begin(); it != aside_.end();) {
          if (!(*it)->done) {
            ++it;
            continue;
          }
          letGo(**it);
          Slot slot;
          slot.task = std::move(*it);
          told.push_back(std::move(slot));
          it = aside_.erase(it);
        }
        if (count == 0 && told.empty() && news.empty())
          return;
      }
      tellNews(news);
      flushDirectoriesOf(told);
      for (Slot &slot : told) {
        if (slot.event)
          slot.event();
        else if (slot.task)
          deliver(slot.task);
      }
    }
  }

  // Flushes each directory the files of `slots` were renamed in, once; a
  // file whose directory cannot be flushed notes the system's reason.
  void flushDirectoriesOf(std::vector<Slot> &slots) {
    std::map<platform::FileId, std::optional<platform::SystemError>> flushed;
    for (Slot &slot : slots) {
      if (!slot.task || !slot.task->flushOwed())
        continue;
      Task &task = *slot.task;
      const platform::Directory &directory = *task.report.unflushed;
      auto at = flushed.find(directory.id());
      if (at == flushed.end()) {
        platform::SystemError why;
        std::optional<platform::SystemError> failure;
        if (!fs_.flushDirectory(directory, why))
          failure = why;
        at = flushed.emplace(directory.id(), failure).first;
      }
      task.unflushed = at->second;
      task.report.unflushed.reset();
    }
  }

  // What the run shows of a file's end: its failure; each detection; and
  // for the file of the last entry, each operation's end, a success with
  // the hits of the whole run (one line for a reason several operations
  // share).
  std::vector<job::JobReport> shownOf(const Task &task) const {
    std::vector<job::JobReport> shown;
    const job::FileReport &report = task.report;
    if (const job::JobReport *failure = report.failure()) {
      shown.push_back(*failure);
      return shown;
    }
    for (std::size_t i = 0; i < report.operations.size(); ++i) {
      job::JobReport operation = report.operations[i];
      if (operation.operation != job::OperationCode::Detect && !task.last)
        continue;
      if (operation.succeeded() && operation.hits)
        operation.hits = runHits_[i];
      if (!operation.succeeded() && !shown.empty() &&
          shown.back().message == operation.message)
        continue;
      shown.push_back(std::move(operation));
    }
    return shown;
  }

  void deliver(const std::shared_ptr<Task> &told) {
    Task &task = *told;
    if (task.dropped)
      return;
    job::FileReport &report = task.report;
    if (report.setAside) {
      // Run again once the other files have run.
      setAside_.push_back(told);
      return;
    }
    if (task.unflushed) {
      // In place, but not known to survive a power cut: no success.
      job::Message unflushed(job::MessageId::DirectoryNotFlushed);
      unflushed.systemError = task.unflushed->code;
      report.result = job::JobResult::WriteFailed;
      report.failedAt =
          report.operations.empty() ? 0 : report.operations.size() - 1;
      for (job::JobReport &operation : report.operations) {
        operation.result = report.result;
        operation.message = unflushed;
      }
    }
    outcome_.count(report);
    if (!report.failed())
      for (std::size_t i = 0; i < report.operations.size(); ++i)
        if (report.operations[i].hits)
          runHits_[i] += *report.operations[i].hits;
    if (task.after)
      visited_.replaced(task.before, *task.after, task.visitPlace,
                        !task.file.location.directory);
    if (task.before && rewritten(report) &&
        std::any_of(report.operations.begin(), report.operations.end(),
                    [](const job::JobReport &operation) {
                      return operation.backup.has_value();
                    }))
      backups_.made(task.before->id);
    observer_.fileFinished(task.file, FileEnd{report, shownOf(task)});
    if (report.result == job::JobResult::Stop)
      stopped_ = true;
  }

  const RunPlan &plan_;
  RunObserver &observer_;
  JobRunner &runner_;
  platform::FileSystem &fs_;
  const WalkHooks &hooks_;
  job::FilePlan filePlan_;
  int workers_;
  std::size_t maxThreads_;
  RunOutcome outcome_;
  std::vector<EntryLook> looks_;
  std::size_t lastEntry_ = 0;
  // Every file runs on the caller's thread.
  bool onCaller_ = true;
  // The walk's own (the caller's thread).
  const WalkRules walkRules_ = walkRulesOf(plan_.parameters);
  VisitedFiles visited_;
  RunBackups backups_;
  std::set<std::string> passedOver_;
  int unreadable_ = 0;
  std::size_t found_ = 0;
  // The directory of the list being walked.
  std::string root_;
  // One worker: the files set aside while another program held them, and
  // whether they are being run again.
  std::vector<std::shared_ptr<Task>> setAside_;
  bool retrying_ = false;
  // Each operation's hits over the files told so far.
  std::vector<std::uint64_t> runHits_;
  // Held while a file's progress is told (files run on several threads).
  std::mutex progressMutex_;
  // Shared with the workers, under mutex_ (stopped_ is read by them).
  std::mutex mutex_;
  std::condition_variable queued_;
  std::condition_variable ended_;
  std::deque<Slot> slots_;
  std::deque<std::shared_ptr<Task>> queue_;
  // Files taken out of the order of the walk while they wait for another
  // program, told once they end.
  std::vector<std::shared_ptr<Task>> aside_;
  std::deque<WaitNews> news_;
  std::set<Place> placesRunning_;
  // The files (as they were handed over) not yet told.
  std::set<platform::FileId> idsRunning_;
  std::size_t running_ = 0;
  std::size_t idle_ = 0;
  bool quit_ = false;
  // Turns to compute: at most workers_ files compute at once, the others
  // wait for the disk (their commit's flushes) or for a turn.
  Turns turns_;
  std::atomic<bool> stopped_{false};
  std::vector<std::thread> threads_;
};

} // namespace

RunOutcome runBatch(const RunPlan &plan, RunObserver &observer,
                    JobRunner &runner, platform::FileSystem &fs,
                    const WalkHooks &walkHooks) {
  Run run(plan, observer, runner, fs, walkHooks);
  return run.go();
}

} // namespace snpln::batch
