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

#include "batch/file_pages.h"
#include "batch/visited_files.h"
#include "job/file_job.h"

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

// The entry whose job speaks for the run's final pass (its messages are
// shown): the last entry whose job runs. A plain file that an earlier plain
// entry already names (by another name, a link, a hard link) is passed over
// by the pass, so it cannot be that entry.
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

bool countsHits(job::OperationCode operation) {
  return operation == job::OperationCode::Exclude ||
         operation == job::OperationCode::Replace ||
         operation == job::OperationCode::DeleteEmpty;
}

bool failedResult(job::JobResult result) {
  return result != job::JobResult::Done && result != job::JobResult::Skipped &&
         result != job::JobResult::Stop;
}

// A directory entry: the directory's identity and the name in it. Two
// names that lead to one entry give one place.
struct Place {
  platform::FileId directory;
  std::string name;
  // Written out: the browser's C++ library has no <=> for strings yet.
  friend bool operator<(const Place &a, const Place &b) {
    return a.directory != b.directory ? a.directory < b.directory
                                      : a.name < b.name;
  }
};

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

// Jobs whose directories wait for their flush, at most, before the run
// flushes them (each directory once) and tells their ends: the fewer
// flushes, the fewer commits of the file system's journal.
constexpr std::size_t kFlushBatch = 64;

// Jobs in flight per worker: a job that waits for the disk to take its new
// content (its commit's flushes) lets another compute, so that up to this
// many saves per worker are on their way to the disk at once while no more
// jobs than workers compute. The deeper the queue of saves, the more of
// their flushes the device takes at once.
constexpr int kSavesPerWorker = 8;

// Turns to compute, taken and given back by the workers. A waiting worker
// sleeps on a condition variable: it does not spin, so that the few cores
// go to the jobs that compute.
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

// One file's job, from its hand-over to its delivery.
struct Task {
  job::JobRequest request;
  std::optional<platform::FileStatus> before;
  std::optional<Place> place;
  // Told by the job: the page the file is in once it has ended.
  std::optional<engine::CodePage> pageAfter;
  JobEnd end;
  std::optional<platform::FileStatus> after;
  bool done = false;
  // Handed to the workers.
  bool queued = false;
  // Never run: the run was stopped before a worker took it.
  bool dropped = false;
  // Its directory could not be flushed after the save: the system's reason.
  std::optional<platform::SystemError> unflushed;

  // The job replaced its file and its directory still waits for its flush.
  bool flushOwed() const { return done && !dropped && end.unflushed; }
  bool stops() const { return done && end.result == job::JobResult::Stop; }
};

// One event in the order of the walk: a job's end (once it has ended) or
// anything else the pass has to say.
struct Slot {
  std::shared_ptr<Task> task;
  std::function<void()> event;
};

// What the passes of one run share.
struct Run {
  const RunPlan &plan;
  RunObserver &observer;
  JobRunner &runner;
  platform::FileSystem &fs;
  const WalkHooks &hooks;
  RunOutcome outcome;
  FilePages pages;
  RunBackups backups;
  std::vector<EntryLook> looks;
  std::size_t lastJobEntry = 0;
  // Held while a job's progress is told (jobs run on several threads).
  std::mutex progressMutex;
};

// One pass of one operation: hands the files to the workers (or runs them
// on the spot) and tells the events in the order of the walk.
class Pass final : public WalkSink {
public:
  Pass(Run &run, job::OperationCode operation, bool finalPass)
      : run_(run), operation_(operation), finalPass_(finalPass),
        workers_(std::max(1, run.plan.workers)), turns_(workers_) {
    if (workers_ > 1)
      for (int i = 0; i < workers_ * kSavesPerWorker; ++i)
        threads_.emplace_back([this] { work(); });
  }
  Pass(const Pass &) = delete;
  Pass &operator=(const Pass &) = delete;
  ~Pass() override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      quit_ = true;
    }
    queued_.notify_all();
    for (std::thread &thread : threads_)
      thread.join();
  }

  // The pass over the list. True when the run goes on: the pass was not
  // stopped, and its last entry was not a missing one (a missing entry
  // leaves a stop mark that the next entry's outcome replaces).
  bool run() {
    run_.observer.passStarted(operation_);
    const bool goesOn = overTheList();
    drain();
    PassEnd end;
    end.operation = operation_;
    end.files = files_;
    end.failed = failed_;
    if (countsHits(operation_))
      end.hits = hits_;
    run_.observer.passEnded(end);
    return goesOn && !stopped_;
  }

  // WalkSink.
  bool fileFound(const std::string &path,
                 const platform::FileLocation &at) override {
    return hand(path, at, false);
  }
  void passedOver(const std::string &path, PassedOver why) override {
    // A walk per mask reports each entry once.
    if (passedOver_.insert(path).second)
      tell([this, path, why] {
        run_.observer.passedOver(operation_, path, why);
      });
  }
  void directoryUnreadable(const std::string &name, int systemError) override {
    ++unreadable_;
    job::Message unreadable{job::MessageId::DirectoryUnreadable};
    unreadable.systemError = systemError;
    say(MessageKind::Failure, name, unreadable);
    ++run_.outcome.failed;
  }

private:
  bool overTheList() {
    const std::vector<std::string> &names = run_.plan.names;
    bool stopMark = false;
    for (std::size_t i = 0; i < names.size(); ++i) {
      const std::string &entry = names[i];
      EntryLook &look = run_.looks[i];
      if (!look.attributes && !look.retried) {
        // A name the run itself may have made since it began (a backup
        // named on the command line): looked up again once, in its turn.
        look.retried = true;
        drain();
        errno = 0;
        look.attributes = run_.fs.lookup(entry);
        look.error = errno;
      }
      if (!look.attributes) {
        job::Message notFound{job::MessageId::NameNotFound};
        notFound.systemError = look.error;
        say(MessageKind::Failure, entry, notFound);
        ++run_.outcome.failed;
        stopMark = true;
        continue;
      }
      stopMark = false;
      // A directory, whatever its mode or attributes; a name the user gave
      // that is a link to one is followed.
      if (look.directory()) {
        bool whole = true;
        for (const std::string &mask : run_.plan.masks) {
          const int unreadableBefore = unreadable_;
          const WalkOutcome walk =
              walkDirectoryTree(entry, mask, run_.plan.parameters.takeHidden,
                                *this, run_.fs, run_.hooks);
          run_.outcome.count(walk);
          if (unreadable_ != unreadableBefore)
            whole = false;
          if (walk == WalkOutcome::Stopped)
            return false;
          if (walk == WalkOutcome::OutOfMemory) {
            say(MessageKind::Failure, entry,
                job::Message{job::MessageId::WalkOutOfMemory});
            whole = false;
          }
        }
        if (finalPass_ && whole)
          say(MessageKind::Info, entry,
              job::Message{job::MessageId::DirectoryDone});
        continue;
      }
      const bool lastJob = finalPass_ && i == run_.lastJobEntry;
      if (!hand(entry, platform::FileLocation(entry), lastJob))
        return false;
    }
    return !stopMark;
  }

  // A run message, told in its turn.
  void say(MessageKind kind, const std::string &name,
           const job::Message &message) {
    tell([this, kind, name, message] {
      run_.observer.runMessage(RunMessage{kind, operation_, name, message});
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

  // Hands one file to a job. False when the run stops here.
  bool hand(const std::string &path, const platform::FileLocation &at,
            bool lastJob) {
    deliverReady();
    if (stopped_)
      return false;
    auto task = std::make_shared<Task>();
    if (workers_ == 1 && !at.directory) {
      // One worker, a name the user gave: every end held for its
      // directory's flush is told first (a file named again is then known
      // as visited by its rewrite).
      drain();
      if (stopped_)
        return false;
    } else {
      // A file whose directory entry a running job holds, or whose end
      // waits for its directory's flush, is looked at only once that end
      // has been told: its rewrite is a new file there.
      task->place =
          at.directory
              ? std::optional<Place>(Place{at.directory->id(), at.name})
              : placeOfPath(path, run_.fs);
      if (!task->place || placesRunning_.count(*task->place) != 0 || lastJob)
        drain();
      if (stopped_)
        return false;
    }
    job::JobRequest &request = task->request;
    static_cast<job::RunParameters &>(request) = run_.plan.parameters;
    request.operation = operation_;
    request.location = at;
    if (at.directory)
      request.location.shown = path;
    request.displayName = job::displayNameOf(path);
    request.lastJob = lastJob;
    request.saveUpper = run_.plan.saveUpper;
    // The page a job notes is for the file's later passes only.
    request.pageWantedLater = !finalPass_;
    // The run flushes the directories itself, once for many files, before
    // it tells their ends, where its runner hands them back.
    if (run_.runner.handsBackUnflushed())
      request.directoryFlush = platform::DirectoryFlush::Later;
    if (lastJob)
      request.hitsBefore = hits_;
    // A name that leads nowhere is the job's to report. A walked file was
    // looked at by its listing just now.
    task->before = at.seen ? at.seen : run_.fs.status(at);
    if (workers_ > 1 && task->before &&
        idsRunning_.count(task->before->id) != 0) {
      // Another name of a file a running job holds (a hard link): looked
      // at once that job has ended, as one worker would, so the file is
      // never worked on twice at once and whether it counts as visited
      // does not depend on how far that job has got.
      drain();
      if (stopped_)
        return false;
      task->before = run_.fs.status(at);
    }
    if (task->before && !request.backupSuffix.empty()) {
      // A backup this run made is no file to work on; a file whose backup
      // the run took keeps that one.
      if (run_.backups.madeByRun(task->before->id))
        return true;
      if (run_.backups.taken(task->before->id))
        request.backupSuffix.clear();
    }
    if (task->before) {
      if (visited_.contains(*task->before))
        return true;
      visited_.add(*task->before);
      // The page an earlier pass of the run settled for the file, and the
      // one the job leaves it in.
      request.filePage = run_.pages.find(task->before->id);
      Task *noted = task.get();
      request.notePage = [noted](engine::CodePage page) {
        noted->pageAfter = page;
      };
    }
    ++found_;
    if (run_.plan.canceled()) {
      // Stopped before it began: the file is as it was.
      task->end.result = job::JobResult::Stop;
      task->end.report.result = job::JobResult::Stop;
      task->end.report.operation = operation_;
      task->end.report.path = path;
      task->end.report.message = job::Message(job::MessageId::Canceled);
      task->done = true;
      Slot slot;
      slot.task = task;
      slots_.push_back(std::move(slot));
      drain();
      return false;
    }
    run_.observer.jobStarted(
        JobStart{request, found_, found_,
                 task->before ? std::optional<std::uint64_t>(task->before->size)
                              : std::nullopt});
    Slot slot;
    slot.task = task;
    if (workers_ == 1) {
      runTask(*task);
      task->done = true;
      if (task->place)
        placesRunning_.insert(*task->place);
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
    }
    queued_.notify_one();
    // The walk reads ahead of the jobs by a few files per thread, and by
    // the jobs that wait for their directory's flush.
    while (running_ >= threads_.size() * 2 + kFlushBatch && !stopped_)
      waitForDeliverable();
    return !stopped_;
  }

  bool canceled() const { return stopped_ || run_.plan.canceled(); }

  void runTask(Task &task) {
    const job::JobRequest &request = task.request;
    JobControl control;
    control.canceled = [this] { return canceled(); };
    if (!threads_.empty())
      control.waitingForDisk = [this](bool waiting) {
        if (waiting)
          turns_.release();
        else
          turns_.acquire();
      };
    control.progress = [this, &request](int percent) {
      std::lock_guard<std::mutex> lock(run_.progressMutex);
      run_.observer.jobProgress(request, percent);
    };
    task.end = run_.runner.runJob(request, control);
    // The file under the name now: the job's new file where it knows it.
    task.after = task.end.replacement ? task.end.replacement
                                      : run_.fs.status(request.location);
  }

  void work() {
    for (;;) {
      std::shared_ptr<Task> task;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        queued_.wait(lock, [this] { return quit_ || !queue_.empty(); });
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
      ended_.wait(lock,
                  [this, &all] { return deliverable(false, all) > 0 || all; });
    }
    deliverReady(all);
  }

  // Waits until every job handed out has ended, and tells every slot (the
  // directories flushed first, in as few flushes as they allow).
  void drain() {
    while (!slots_.empty()) {
      {
        std::unique_lock<std::mutex> lock(mutex_);
        ended_.wait(lock, [this] {
          return std::all_of(slots_.begin(), slots_.end(), [](const Slot &s) {
            return !s.task || s.task->done;
          });
        });
      }
      deliverReady(true);
    }
  }

  // Under mutex_: how many slots from the first may be told now. The ready
  // slots before the first job that owes a flush always may; the ready
  // slots from it on once `force` says so, a batch of them owes flushes,
  // or one of them stops the run. `all`: every slot is ready.
  std::size_t deliverable(bool force, bool &all) const {
    std::size_t ready = 0;
    std::size_t owing = 0;
    std::size_t firstOwing = slots_.size();
    bool stops = false;
    for (const Slot &slot : slots_) {
      if (slot.task && !slot.task->done)
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

  // Tells the slots from the first that may be told (`force`: every one
  // that is ready). The directories of the jobs among them that replaced
  // their files are flushed first, each once.
  void deliverReady(bool force = false) {
    for (;;) {
      std::vector<Slot> told;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        bool all = false;
        const std::size_t count = deliverable(force, all);
        if (count == 0)
          return;
        for (std::size_t i = 0; i < count; ++i) {
          Slot &slot = slots_.front();
          if (slot.task && slot.task->place)
            placesRunning_.erase(*slot.task->place);
          if (slot.task && slot.task->queued && slot.task->before)
            idsRunning_.erase(slot.task->before->id);
          if (slot.task && slot.task->queued)
            --running_;
          told.push_back(std::move(slot));
          slots_.pop_front();
        }
      }
      flushDirectoriesOf(told);
      for (Slot &slot : told) {
        if (slot.event)
          slot.event();
        else if (slot.task)
          deliver(*slot.task);
      }
    }
  }

  // Flushes each directory the jobs of `slots` renamed in, once; a job
  // whose directory cannot be flushed notes the system's reason.
  void flushDirectoriesOf(std::vector<Slot> &slots) {
    std::map<platform::FileId, std::optional<platform::SystemError>> flushed;
    for (Slot &slot : slots) {
      if (!slot.task || !slot.task->flushOwed())
        continue;
      Task &task = *slot.task;
      const platform::Directory &directory = *task.end.unflushed;
      auto at = flushed.find(directory.id());
      if (at == flushed.end()) {
        platform::SystemError why;
        std::optional<platform::SystemError> failure;
        if (!run_.fs.flushDirectory(directory, why))
          failure = why;
        at = flushed.emplace(directory.id(), failure).first;
      }
      task.unflushed = at->second;
      task.end.unflushed.reset();
    }
  }

  void deliver(Task &task) {
    if (task.dropped)
      return;
    JobEnd &end = task.end;
    // Whether the job put its new content in the file's place.
    const bool replaced = end.result == job::JobResult::Done;
    if (task.unflushed) {
      // In place, but not known to survive a power cut: no success.
      end.result = job::JobResult::WriteFailed;
      end.report.result = end.result;
      end.report.message = job::Message(job::MessageId::DirectoryNotFlushed);
      end.report.message.systemError = task.unflushed->code;
      end.shown = end.report;
    }
    run_.outcome.count(end.result);
    ++files_;
    if (failedResult(end.result))
      ++failed_;
    if (end.report.hits)
      hits_ += *end.report.hits;
    if (task.after)
      visited_.add(*task.after);
    if (!run_.plan.parameters.backupSuffix.empty() && task.before &&
        task.after && task.after->id != task.before->id && replaced &&
        !task.request.dryRun)
      run_.backups.replaced(task.before->id, task.after->id,
                            !task.request.backupSuffix.empty());
    if (task.before)
      run_.pages.moved(task.before->id,
                       task.after ? task.after->id : task.before->id,
                       task.pageAfter);
    run_.observer.jobFinished(task.request, end);
    if (end.result == job::JobResult::Stop)
      stopped_ = true;
  }

  Run &run_;
  job::OperationCode operation_;
  bool finalPass_;
  int workers_;
  // Producer's own.
  VisitedFiles visited_;
  std::set<std::string> passedOver_;
  int unreadable_ = 0;
  std::size_t found_ = 0;
  std::size_t files_ = 0;
  std::size_t failed_ = 0;
  std::uint64_t hits_ = 0;
  // Shared with the workers, under mutex_ (stopped_ is read by them).
  std::mutex mutex_;
  std::condition_variable queued_;
  std::condition_variable ended_;
  std::deque<Slot> slots_;
  std::deque<std::shared_ptr<Task>> queue_;
  std::set<Place> placesRunning_;
  // The files (as they were handed over) of the jobs not yet told.
  std::set<platform::FileId> idsRunning_;
  std::size_t running_ = 0;
  bool quit_ = false;
  // Turns to compute: at most workers_ jobs compute at once, the others
  // wait for the disk (their commit's flushes) or for a turn.
  Turns turns_;
  std::atomic<bool> stopped_{false};
  std::vector<std::thread> threads_;
};

} // namespace

RunOutcome runBatch(const RunPlan &plan, RunObserver &observer,
                    JobRunner &runner, platform::FileSystem &fs,
                    const WalkHooks &walkHooks) {
  Run run{plan, observer, runner, fs, walkHooks, {}, {}, {}, {}, 0, {}};
  run.looks = lookUp(plan.names, fs);
  run.lastJobEntry = lastJobEntryOf(run.looks);
  run.outcome.end = RunEnd::Completed;
  for (job::OperationCode operation : plan.passes) {
    Pass pass(run, operation, operation == plan.finalOperation());
    if (!pass.run()) {
      run.outcome.end = RunEnd::Stopped;
      break;
    }
  }
  observer.runEnded(run.outcome);
  return run.outcome;
}

} // namespace snpln::batch
