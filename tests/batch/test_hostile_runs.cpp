// Runs against those who would turn them against their user: links planted
// or raced into a walked tree, a directory swapped for a link, other runs
// of ours on the same file, other programs changing a file while its job
// runs, another user's file, directories an unprivileged user may not
// write. Real files in fresh temporary directories; where the tests run as
// root, the unprivileged side runs as user 65534 in a child process.
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "batch/directory_walk.h"
#include "batch/run_batch.h"
#include "cli/console_host.h"
#include "job/file_run.h"
#include "platform/posix_file_system.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/file_runs.h"
#include "tests/support/forwarding_input_file.h"
#include "tests/support/native_file_system.h"
#include "tests/support/other_user.h"
#include "tests/support/scripted_batch_host.h"
#include "tests/support/temp_dir.h"
#include "tests/support/walk_with_host.h"

namespace snpln {
namespace {

using JobRequest = test::FileRequest;
using job::JobResult;
using job::OperationCode;
using Message = std::pair<std::string, std::string>;
using Step = platform::PosixFileSystem::CommitStep;

// "Привет, мир" in Windows-1251 and UTF-8.
const std::string kHelloWin = "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0";
const std::string kHelloUtf8 = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1"
                               "\x82, \xD0\xBC\xD0\xB8\xD1\x80";

struct Outcome {
  int status;
  std::string out, err;
};

// snpln-cli with `args`, in this process.
int runCli(std::vector<std::string> args, std::ostream &out,
           std::ostream &err) {
  args.insert(args.begin(), "snpln-cli");
  std::vector<char *> argv;
  for (auto &a : args)
    argv.push_back(a.data());
  std::istringstream in;
  return cli::runCli(static_cast<int>(argv.size()), argv.data(), in, out, err,
                     false);
}

Outcome cli(const std::vector<std::string> &args) {
  std::ostringstream out, err;
  const int status = runCli(args, out, err);
  return {status, out.str(), err.str()};
}

// The same as the other user (as the test's own user without root).
test::ChildOutcome cliAsOther(const std::vector<std::string> &args) {
  return test::runAsOtherUser([&](std::ostream &out, std::ostream &err) {
    return runCli(args, out, err);
  });
}

std::vector<std::string> sortedLines(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  std::sort(lines.begin(), lines.end());
  return lines;
}

struct stat statOf(const std::string &path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st;
}

void giveTo(const std::string &path, uid_t user, gid_t group) {
  ASSERT_EQ(::lchown(path.c_str(), user, group), 0) << path;
}

// A victim outside the tree: a root-only file and its directory, watched.
struct Victim {
  test::TempDir outside;
  test::FileWatch watch;
  std::string file = outside.file("victim.txt");

  Victim() {
    outside.write("victim.txt", kHelloWin);
    outside.chmod("victim.txt", 0600);
    watch.add(outside.path());
    watch.add(file);
  }
  void expectUntouched(const std::string &where) {
    EXPECT_EQ(watch.events(), std::vector<std::string>{}) << where;
    EXPECT_EQ(outside.read("victim.txt"), kHelloWin) << where;
    EXPECT_EQ(outside.mode("victim.txt"), 0600) << where;
    EXPECT_EQ(outside.names(), std::vector<std::string>{"victim.txt"}) << where;
    (void)watch.events(); // this look's own
  }
};

// ------------------------------------------------------------------ links

// A link planted in a tree led every run (recoding, detection, a dry run)
// to read the file outside, and a recoding rewrote it and reported success.
TEST(HostileRuns, RegressionALinkPlantedInATreeIsPassedOver) {
  Victim victim;
  test::TempDir tree;
  tree.write("a.txt", kHelloWin);
  tree.symlink(victim.file, "evil.txt");
  tree.mkdir("sub");
  tree.symlink(victim.outside.path(), "sub/outside");
  const std::string top = tree.path();
  struct Case {
    std::vector<std::string> args;
    std::string out;
  };
  const Case cases[] = {
      {{"-v", "-t", "utf8", top},
       top +
           "/a.txt: File(s) successfully converted from ''Win1251'' to "
           "''UTF-8''\n" +
           top + "/evil.txt: Symbolic link, passed over\n" + top +
           "/sub/outside: Symbolic link, passed over\n" + top +
           ": Processing this directory and its subdirectories is "
           "completed\n"},
      {{"-d", top},
       top +
           "/a.txt: This file has coding ''UTF-8''; no line end; no byte "
           "order mark\n" +
           top +
           ": Processing this directory and its subdirectories is "
           "completed\n"},
      {{"-n", "-v", "--upper", top},
       top + "/a.txt: would be converted with upper case\n" + top +
           "/evil.txt: Symbolic link, passed over\n" + top +
           "/sub/outside: Symbolic link, passed over\n" + top +
           ": Processing this directory and its subdirectories is "
           "completed\n"},
  };
  for (const Case &c : cases) {
    const Outcome r = cli(c.args);
    EXPECT_EQ(r.status, 0) << c.args[1] << ": " << r.err;
    // In the directory's own order, the walk's closing line last.
    EXPECT_EQ(sortedLines(r.out), sortedLines(c.out));
    EXPECT_EQ(r.out.substr(r.out.rfind('\n', r.out.size() - 2) + 1),
              c.out.substr(c.out.rfind('\n', c.out.size() - 2) + 1));
    EXPECT_EQ(r.err, "");
    victim.expectUntouched(c.args[1]);
  }
  EXPECT_EQ(tree.read("a.txt"), kHelloUtf8);
  // A link the user names is followed, as before.
  const Outcome named = cli({"-t", "utf8", tree.file("evil.txt")});
  EXPECT_EQ(named.status, 0) << named.err;
  EXPECT_EQ(victim.outside.read("victim.txt"), kHelloUtf8);
}

// A user who may write into the tree swaps one of its names between a file
// and a link to a file outside, as fast as it can, while the run walks the
// tree again and again: the outside file is never opened, let alone
// changed (before, about one run in four rewrote it).
TEST(HostileRuns, RegressionALinkRacedIntoATreeNeverLeadsOutside) {
  Victim victim;
  test::TempDir tree;
  ASSERT_EQ(::chmod(tree.path().c_str(), 0777), 0);
  tree.write("a.txt", "plain\n");
  tree.write("evil.txt", kHelloWin);
  const std::string evil = tree.file("evil.txt");
  const std::string asFile = tree.file("f.new"), asLink = tree.file("l.new");
  const pid_t attacker = test::startKid([&] {
    // Each name is put in place by a rename, so it always exists.
    const int fd = ::open(asFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd >= 0) {
      (void)!::write(fd, kHelloWin.data(), kHelloWin.size());
      ::close(fd);
      (void)::rename(asFile.c_str(), evil.c_str());
    }
    (void)::symlink(victim.file.c_str(), asLink.c_str());
    (void)::rename(asLink.c_str(), evil.c_str());
  });
  // At least kRuns walks, and on until the walk has met the name both as a
  // link and as a file (a busy machine may leave the other user's process
  // waiting for a while); kMaxRuns only guards against a hang.
  constexpr int kRuns = 400, kMaxRuns = 50000;
  int asLinkSeen = 0, asFileSeen = 0, runs = 0;
  for (; runs < kRuns ||
         ((asLinkSeen == 0 || asFileSeen == 0) && runs < kMaxRuns);
       ++runs) {
    const Outcome r = cli({"-v", "-t", "utf8", tree.path()});
    const std::string lines = r.out + r.err;
    const auto at = lines.find("evil.txt: ");
    if (at == std::string::npos)
      continue;
    if (lines.compare(at + 10, 12, "Symbolic lin") == 0)
      ++asLinkSeen;
    else
      ++asFileSeen; // a job took it (whatever became of it)
  }
  test::stopKid(attacker);
  victim.expectUntouched("after " + std::to_string(runs) + " runs");
  // The race was on: the walk met the name as a link and as a file.
  EXPECT_GT(asLinkSeen, 0);
  EXPECT_GT(asFileSeen, 0);
}

// The directory that holds a named file is swapped for a link to another
// directory between the read and the save: the save is made in the
// directory the file was opened in, and nothing is created outside.
TEST(HostileRuns, RegressionAParentSwappedForALinkGetsNothingOutside) {
  for (const bool inWalk : {false, true}) {
    SCOPED_TRACE(inWalk ? "in a walk" : "named");
    Victim victim;
    test::TempDir work;
    work.mkdir("tree");
    work.mkdir("tree/sub");
    work.write("tree/sub/f.txt", "abc\n");
    platform::FaultyFileSystem fs;
    bool swapped = false;
    fs.beforeCall = [&](const std::string &call) {
      if (swapped || call.rfind("beginSave", 0) != 0)
        return;
      swapped = true;
      ASSERT_EQ(
          ::rename(work.file("tree/sub").c_str(), work.file("moved").c_str()),
          0);
      work.symlink(victim.outside.path(), "tree/sub");
    };
    test::ScriptedBatchHost host;
    host.realJobs = true;
    host.fs = &fs;
    if (inWalk) {
      EXPECT_EQ(snpln::test::walkWithHost(work.file("tree"), "*.*",
                                          OperationCode::UpperCase, {}, host,
                                          fs),
                batch::WalkOutcome::Done);
    } else {
      job::FileTask task;
      task.location = work.file("tree/sub/f.txt");
      job::FilePlan plan;
      plan.operations = {OperationCode::UpperCase};
      EXPECT_EQ(host.runJob(task, plan).result, JobResult::Done);
    }
    EXPECT_TRUE(swapped);
    EXPECT_EQ(host.jobMessages, std::vector<Message>{});
    EXPECT_EQ(work.read("moved/f.txt"), "ABC\n");
    EXPECT_EQ(work.names("moved"), std::vector<std::string>{"f.txt"});
    victim.expectUntouched("after the swap");
  }
}

// ------------------------------------------------------ two runs, one file

JobRequest upperCase(const std::string &path) {
  JobRequest r;
  r.only(OperationCode::UpperCase);
  r.location = path;
  return r;
}

// Replaces "b" by "x" whatever its case: on "abc" it gives "axc", on the
// upper-case run's "ABC" it gives "AxC".
JobRequest bToX(const std::string &path) {
  JobRequest r;
  r.only(OperationCode::Replace);
  r.location = path;
  r.searchText = "b";
  r.replaceText = "x";
  r.caseInsensitive = true;
  return r;
}

// A latch a run's thread waits at until the test opens it; the test may
// wait until the run has reached it.
class Latch {
public:
  void arriveAndWait() {
    std::unique_lock<std::mutex> lock(mutex_);
    arrived_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return open_; });
  }
  void waitForArrival() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return arrived_; });
  }
  void open() {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }

private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool arrived_ = false;
  bool open_ = false;
};

// A run that stops at its first step (holding its lock, when it takes one)
// until the latch opens.
job::JobControl pausedAtFirstStep(Latch &latch) {
  job::JobControl control;
  auto once = std::make_shared<bool>(false);
  control.progress = [&latch, once](int) {
    if (!std::exchange(*once, true))
      latch.arriveAndWait();
  };
  return control;
}

// The native file system, whose files' lock tries each wait for the
// test's turn (when stepped) and are told to the test with their outcome.
class LockTries : public test::NativeFileSystem {
public:
  bool stepped = false;

  std::unique_ptr<platform::InputFile>
  openRead(const platform::FileLocation &at) override {
    auto inner = test::NativeFileSystem::openRead(at);
    if (!inner)
      return inner;
    return std::make_unique<File>(std::move(inner), *this);
  }
  // Lets one try go (stepped).
  void allowTry() {
    std::lock_guard<std::mutex> lock(mutex_);
    ++allowed_;
    changed_.notify_all();
  }
  // Waits until `count` tries have been made; the outcome of the last.
  platform::LockOutcome waitForTries(std::size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return outcomes_.size() >= count; });
    return outcomes_[count - 1];
  }

private:
  struct File : test::ForwardingInputFile {
    File(std::unique_ptr<platform::InputFile> inner, LockTries &owner)
        : ForwardingInputFile(std::move(inner)), owner_(owner) {}
    platform::LockOutcome lock() override {
      {
        std::unique_lock<std::mutex> lock(owner_.mutex_);
        owner_.changed_.wait(lock, [&] {
          return !owner_.stepped || owner_.allowed_ > owner_.outcomes_.size();
        });
      }
      const platform::LockOutcome outcome = inner_->lock();
      std::lock_guard<std::mutex> lock(owner_.mutex_);
      owner_.outcomes_.push_back(outcome);
      owner_.changed_.notify_all();
      return outcome;
    }
    LockTries &owner_;
  };
  std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t allowed_ = 0;
  std::vector<platform::LockOutcome> outcomes_;
};

// A second run on a file whose first run is between its last check and its
// swap: before, the second ran through and put its file in place there,
// the first then renamed over it, and both reported success with the
// second's change lost. Now the second waits for the first's lock and
// works on its result; both changes land, with the exchange and where the
// file system has none.
TEST(HostileRuns, RegressionTwoRunsOnOneFileLoseNoChange) {
  for (const bool exchange : {true, false}) {
    SCOPED_TRACE(exchange ? "exchange" : "rename");
    test::TempDir dir;
    dir.write("f.txt", "abc");
    platform::PosixFileSystem first;
    LockTries second;
    first.exchangeRefused = second.exchangeRefused = !exchange;
    job::FileReport other;
    std::thread otherRun;
    bool waited = false;
    first.commitCheck = [&](Step step) {
      if (step != (exchange ? Step::Exchange : Step::Rename) || waited)
        return true;
      // The second run, as far as it goes: it finds the file locked.
      otherRun = std::thread([&] {
        other = test::runRequest(bToX(dir.file("f.txt")), 8192, second);
      });
      waited = second.waitForTries(1) == platform::LockOutcome::Busy;
      return true;
    };
    EXPECT_EQ(
        test::runRequest(upperCase(dir.file("f.txt")), 8192, first).result,
        JobResult::Done);
    EXPECT_TRUE(waited) << "the second run did not wait for the first";
    otherRun.join();
    EXPECT_EQ(other.result, JobResult::Done);
    EXPECT_FALSE(other.failed());
    EXPECT_EQ(dir.read("f.txt"), "AxC");
    EXPECT_EQ(dir.names(), std::vector<std::string>{"f.txt"});
  }
}

// A run that waited, found the file replaced and opened it again, and then
// finds it replaced once more, gives up with "Error reading file".
TEST(HostileRuns, ASecondReplacementWhileWaitingIsAReadError) {
  test::TempDir dir;
  dir.write("f.txt", "abc");
  const std::string path = dir.file("f.txt");
  // The first run holds the file at its first step.
  Latch firstHolds;
  job::FileReport first;
  std::thread firstRun([&] {
    first = test::runRequest(upperCase(path), 8192, platform::realFileSystem(),
                             pausedAtFirstStep(firstHolds));
  });
  firstHolds.waitForArrival();
  // The waiter, one try of the lock at a time.
  LockTries tries;
  tries.stepped = true;
  job::FileReport waiter;
  std::thread waiterRun(
      [&] { waiter = test::runRequest(bToX(path), 8192, tries); });
  tries.allowTry();
  EXPECT_EQ(tries.waitForTries(1), platform::LockOutcome::Busy);
  firstHolds.open();
  firstRun.join();
  ASSERT_EQ(first.result, JobResult::Done);
  // Another run takes the new file before the waiter's next try.
  Latch secondHolds;
  JobRequest lower = upperCase(path);
  lower.only(OperationCode::LowerCase);
  job::FileReport second;
  std::thread secondRun([&] {
    second = test::runRequest(lower, 8192, platform::realFileSystem(),
                              pausedAtFirstStep(secondHolds));
  });
  secondHolds.waitForArrival();
  // The first's file: replaced; the new one is held.
  tries.allowTry();
  EXPECT_EQ(tries.waitForTries(2), platform::LockOutcome::Locked);
  tries.allowTry();
  EXPECT_EQ(tries.waitForTries(3), platform::LockOutcome::Busy);
  secondHolds.open();
  secondRun.join();
  ASSERT_EQ(second.result, JobResult::Done);
  tries.allowTry();
  waiterRun.join();
  EXPECT_EQ(waiter.result, JobResult::ReadFailed);
  ASSERT_TRUE(waiter.failure());
  EXPECT_EQ(test::shownLines(*waiter.failure()),
            Message(path, "Error reading file"));
  EXPECT_EQ(dir.read("f.txt"), "abc");
  EXPECT_EQ(dir.names(), std::vector<std::string>{"f.txt"});
}

TEST(HostileRuns, AWaitForTheLockEndsWithCancelOrGoesOnWithoutALock) {
  test::TempDir dir;
  dir.write("f.txt", "abc");
  const std::string path = dir.file("f.txt");
  Latch holds;
  job::FileReport holder;
  std::thread holderRun([&] {
    holder = test::runRequest(upperCase(path), 8192, platform::realFileSystem(),
                              pausedAtFirstStep(holds));
  });
  holds.waitForArrival();
  // The waiter is cancelled once it has found the file held.
  LockTries tries;
  job::JobControl cancelOnceHeld;
  cancelOnceHeld.canceled = [&] {
    return tries.waitForTries(1) == platform::LockOutcome::Busy;
  };
  const job::FileReport waiter =
      test::runRequest(bToX(path), 8192, tries, cancelOnceHeld);
  EXPECT_EQ(waiter.result, JobResult::Stop);
  ASSERT_TRUE(waiter.failure());
  EXPECT_EQ(test::shownLines(*waiter.failure()),
            Message(path, "Operation canceled"));
  // Detection and a dry run write nothing and take no lock.
  JobRequest detect = bToX(path);
  detect.only(OperationCode::Detect);
  EXPECT_EQ(test::runRequest(detect).result, JobResult::Skipped);
  JobRequest dry = bToX(path);
  dry.dryRun = true;
  EXPECT_EQ(test::runRequest(dry).result, JobResult::Done);
  // Where the file system takes no lock, a run goes on without one.
  platform::PosixFileSystem noLocks;
  noLocks.lockRefused = true;
  EXPECT_EQ(test::runRequest(bToX(path), 8192, noLocks).result,
            JobResult::Done);
  EXPECT_EQ(dir.read("f.txt"), "axc");
  holds.open();
  holderRun.join();
  // The holder read "abc" before the other change: it is left to it.
  EXPECT_EQ(holder.result, JobResult::ReadFailed);
  EXPECT_EQ(dir.read("f.txt"), "axc");
}

// ------------------------------------------------- other programs meanwhile

// Changes another program makes to a file while its run goes, between two
// steps: each makes the run fail with "Error reading file" and the file
// keep what the other program made of it. The first two were overwritten
// before (same size with the modification time set back, as cp -p and
// rsync -t do; a chmod, undone by the old mode).
TEST(HostileRuns, RegressionAChangeDuringTheJobIsLeftToTheOtherProgram) {
  struct Case {
    const char *what;
    void (*change)(const test::TempDir &);
    std::string content;
    int mode;
  };
  const Case cases[] = {
      {"same size, modification time set back",
       [](const test::TempDir &d) {
         struct stat before = statOf(d.file("f.txt"));
         const int fd = ::open(d.file("f.txt").c_str(), O_WRONLY);
         ASSERT_GE(fd, 0);
         ASSERT_EQ(::pwrite(fd, "XYZ", 3, 0), 3);
         ::close(fd);
         const struct timespec times[2] = {before.st_atim, before.st_mtim};
         ASSERT_EQ(::utimensat(AT_FDCWD, d.file("f.txt").c_str(), times, 0), 0);
       },
       "XYZdefghijklmnopqrst", 0644},
      {"chmod 600", [](const test::TempDir &d) { d.chmod("f.txt", 0600); },
       "abcdefghijklmnopqrst", 0600},
      {"replaced by a rename",
       [](const test::TempDir &d) {
         d.write("new", "other");
         ASSERT_EQ(::rename(d.file("new").c_str(), d.file("f.txt").c_str()), 0);
       },
       "other", 0644},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    test::TempDir dir;
    dir.write("f.txt", "abcdefghijklmnopqrst");
    dir.chmod("f.txt", 0644);
    job::JobControl control;
    bool changed = false;
    control.progress = [&](int) {
      if (!std::exchange(changed, true))
        c.change(dir);
    };
    const job::FileReport file = test::runRequest(
        upperCase(dir.file("f.txt")), 4, platform::realFileSystem(), control);
    EXPECT_TRUE(changed);
    EXPECT_EQ(file.result, JobResult::ReadFailed);
    ASSERT_TRUE(file.failure());
    EXPECT_EQ(test::shownLines(*file.failure()),
              Message(dir.file("f.txt"), "Error reading file"));
    EXPECT_EQ(dir.read("f.txt"), c.content);
    EXPECT_EQ(dir.mode("f.txt"), c.mode);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"f.txt"});
  }
}

// Another program saves files of the tree by writing a new file and
// renaming it over the old one while the walk runs, and the file system
// gives the new files the numbers our own commits just freed: before, a
// file that got a visited number was passed over as visited. Each file is
// visited once and none is skipped.
TEST(HostileRuns, RegressionFilesRenameSavedDuringAWalkAreNotSkipped) {
  constexpr int kFiles = 120;
  test::TempDir dir;
  dir.mkdir("t");
  std::vector<std::string> names;
  for (int i = 0; i < kFiles; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "f%03d", i);
    names.push_back(name);
    dir.write(std::string("t/") + name, "abc\n");
  }
  // The walk's order: the directory's, as the walk reads it at its start.
  std::vector<std::string> order;
  {
    auto &fs = platform::realFileSystem();
    const auto listed = fs.listDirectory(*fs.openDirectory(dir.file("t")), "*");
    ASSERT_TRUE(listed);
    for (const platform::DirEntry &e : *listed)
      if (e.name != "." && e.name != "..")
        order.push_back(e.name);
  }
  // The numbers our jobs freed (each file's before its job replaced it),
  // and how often the other program's new file got one of them.
  std::set<ino_t> freed;
  std::string previous;
  ino_t previousNumber = 0;
  int reused = 0;
  test::ScriptedBatchHost host;
  host.realJobs = true;
  host.beforeJob = [&](const test::JobRecord &r) {
    if (!previous.empty())
      freed.insert(previousNumber);
    previous = job::displayNameOf(r.location.path());
    previousNumber = statOf(dir.file("t/" + previous)).st_ino;
    // The other program saves the file half a tree ahead.
    const auto i = static_cast<std::size_t>(
        std::find(order.begin(), order.end(), previous) - order.begin());
    const std::size_t j = i + kFiles / 2;
    if (j >= order.size())
      return;
    dir.write("t/.new", "xyz\n");
    reused += freed.count(statOf(dir.file("t/.new")).st_ino) > 0;
    ASSERT_EQ(
        ::rename(dir.file("t/.new").c_str(), dir.file("t/" + order[j]).c_str()),
        0);
  };
  snpln::test::WalkPass pass;
  EXPECT_EQ(snpln::test::walkWithHost(dir.file("t"), "*.*",
                                      OperationCode::UpperCase, {}, host,
                                      platform::realFileSystem(), {}, &pass),
            batch::WalkOutcome::Done);
  std::vector<std::string> visited;
  for (const test::JobRecord &r : host.jobs)
    visited.push_back(job::displayNameOf(r.location.path()));
  std::sort(visited.begin(), visited.end());
  EXPECT_EQ(visited, names);
  EXPECT_EQ(host.jobMessages, std::vector<Message>{});
  for (std::size_t i = 0; i < order.size(); ++i)
    EXPECT_EQ(dir.read("t/" + order[i]), i < kFiles / 2 ? "ABC\n" : "XYZ\n")
        << order[i];
  if (reused == 0)
    GTEST_SKIP() << "this file system gave no freed number again";
}

// Where the file system keeps no birth times (FUSE, NFS; a seam hides them
// here, and keeps times to whole seconds as such file systems do), several
// runs at once each rewrite every file of one tree: the numbers one run's
// commits free are given to the others' new files within the same second.
// Before, a run took such a file for one it had visited and passed it over
// without a line, status 0. Each run now has exactly one job per file, and
// a file two masks lead to still gets one.
TEST(HostileRuns, RegressionRunsAtOnceWithoutBirthTimesSkipNoFile) {
  constexpr int kFiles = 80;
  struct Jobs final : batch::RunObserver {
    std::map<std::string, int> ended;
    void fileFinished(const job::FileTask &task,
                      const batch::FileEnd &) override {
      ++ended[task.location.path()];
    }
  };
  for (int runs : {2, 4}) {
    SCOPED_TRACE(std::to_string(runs) + " runs at once");
    test::TempDir dir;
    dir.mkdir("t");
    std::vector<std::string> paths;
    for (int i = 0; i < kFiles; ++i) {
      paths.push_back(dir.file("t/f" + std::to_string(100 + i)));
      dir.write("t/f" + std::to_string(100 + i), "0123\n");
    }
    std::vector<Jobs> jobs(static_cast<std::size_t>(runs));
    std::vector<std::thread> threads;
    for (int k = 0; k < runs; ++k)
      threads.emplace_back([&, k] {
        platform::FaultyFileSystem fs;
        fs.fail.hideBirthTimes = true;
        fs.fail.wholeSecondTimes = true;
        // Each run always has a hit: its digit, which the next one makes.
        batch::RunPlan plan;
        plan.operations = {OperationCode::Replace};
        plan.parameters.searchText = std::to_string(k);
        plan.parameters.replaceText = std::to_string((k + 1) % runs);
        plan.parameters.typedText = job::TypedText::Bytes;
        plan.names = {dir.file("t")};
        // The second mask leads to every file again.
        plan.masks = {"*.*", "f*"};
        plan.workers = 1;
        batch::PlainJobRunner runner(fs);
        batch::runBatch(plan, jobs[static_cast<std::size_t>(k)], runner, fs);
      });
    for (std::thread &thread : threads)
      thread.join();
    for (int k = 0; k < runs; ++k) {
      std::vector<std::string> missing, twice;
      for (const std::string &path : paths) {
        const int n = jobs[static_cast<std::size_t>(k)].ended[path];
        if (n == 0)
          missing.push_back(path.substr(dir.path().size() + 1));
        if (n > 1)
          twice.push_back(path.substr(dir.path().size() + 1));
      }
      EXPECT_EQ(missing, std::vector<std::string>{}) << "run " << k;
      EXPECT_EQ(twice, std::vector<std::string>{}) << "run " << k;
    }
  }
}

// Runs with -b at once over one tree. Before, each took the others'
// backups as files (chains f~~, f.b0.b1) and a second run replaced the
// first one's backup. Now no backup is taken as a file, none is replaced,
// and each backup a run reports holds the version that run replaced: the
// text its own change makes out of it is the file now or another backup.
TEST(HostileRuns, RegressionRunsAtOnceWithBackupsKeepEveryVersion) {
  constexpr int kFiles = 30;
  struct Jobs final : batch::RunObserver {
    std::vector<std::string> paths;
    std::vector<std::pair<std::string, std::string>> backups; // path, backup
    void fileFinished(const job::FileTask &task,
                      const batch::FileEnd &end) override {
      paths.push_back(task.location.path());
      if (end.report.result == JobResult::Done)
        for (const job::JobReport &operation : end.report.operations)
          if (operation.backup) {
            backups.emplace_back(task.location.path(), *operation.backup);
            break;
          }
    }
  };
  for (int runs : {2, 4}) {
    SCOPED_TRACE(std::to_string(runs) + " runs at once");
    test::TempDir dir;
    dir.mkdir("t");
    std::set<std::string> files;
    for (int i = 0; i < kFiles; ++i) {
      files.insert(dir.file("t/f" + std::to_string(100 + i) + ".txt"));
      dir.write("t/f" + std::to_string(100 + i) + ".txt", "v.");
    }
    std::vector<Jobs> jobs(static_cast<std::size_t>(runs));
    std::vector<std::thread> threads;
    for (int k = 0; k < runs; ++k)
      threads.emplace_back([&, k] {
        // Run k writes its number after the v: "v." becomes "vk.".
        batch::RunPlan plan;
        plan.operations = {OperationCode::Replace};
        plan.parameters.searchText = "v";
        plan.parameters.replaceText = "v" + std::to_string(k);
        plan.parameters.typedText = job::TypedText::Bytes;
        plan.parameters.backupSuffix = "~";
        plan.names = {dir.file("t")};
        plan.masks = {"*.*"};
        plan.workers = 2;
        batch::PlainJobRunner runner(platform::realFileSystem());
        batch::runBatch(plan, jobs[static_cast<std::size_t>(k)], runner,
                        platform::realFileSystem());
      });
    for (std::thread &thread : threads)
      thread.join();
    std::set<std::string> reported;
    for (int k = 0; k < runs; ++k) {
      const Jobs &run = jobs[static_cast<std::size_t>(k)];
      for (const std::string &path : run.paths)
        EXPECT_EQ(files.count(path), 1u) << "run " << k << " took " << path;
      for (const auto &reportedBackup : run.backups) {
        const std::string &path = reportedBackup.first;
        const std::string &backup = reportedBackup.second;
        EXPECT_TRUE(reported.insert(backup).second)
            << backup << " reported twice";
        const std::string kept = dir.read(backup.substr(dir.path().size() + 1));
        ASSERT_EQ(kept.rfind('v', 0), 0u) << backup << ": " << kept;
        const std::string made = "v" + std::to_string(k) + kept.substr(1);
        const bool found =
            dir.read(path.substr(dir.path().size() + 1)) == made ||
            std::any_of(jobs.begin(), jobs.end(), [&](const Jobs &other) {
              return std::any_of(other.backups.begin(), other.backups.end(),
                                 [&](const auto &b) {
                                   return b.first == path &&
                                          dir.read(b.second.substr(
                                              dir.path().size() + 1)) == made;
                                 });
            });
        EXPECT_TRUE(found) << "run " << k << " kept \"" << kept << "\" in "
                           << backup << ", but made nothing of it";
      }
    }
    // Every name in the tree is a file or a backup one of the runs made.
    std::set<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(dir.file("t")))
      names.insert(entry.path().string());
    std::set<std::string> expected = files;
    expected.insert(reported.begin(), reported.end());
    EXPECT_EQ(names, expected);
  }
}

// ------------------------------------------------ users and permissions

// A tree as found in home directories and archives: a read-only directory,
// ".git" as a directory and (in a worktree) as a file, another dot
// directory, a link to a directory and a FIFO. Reading it as a user who may
// not write the read-only directory is no failure, and reaches every
// regular file below it; nothing under a dot name is touched.
TEST(HostileRuns, RegressionATreeWithReadOnlyAndDotDirectoriesIsReadWhole) {
  test::TempDir work;
  ASSERT_EQ(::chmod(work.path().c_str(), 0755), 0);
  work.mkdir("t");
  work.mkdir("t/ro");
  work.mkdir("t/ro/deeper");
  work.mkdir("t/.git");
  work.mkdir("t/.cache");
  work.mkdir("t/wt");
  work.mkdir("t/plain");
  work.write("t/ro/a.txt", kHelloWin);
  work.write("t/ro/deeper/b.txt", kHelloWin);
  work.write("t/.git/config", kHelloWin);
  work.write("t/.cache/c.txt", kHelloWin);
  work.write("t/wt/.git", "gitdir: ../.git/worktrees/wt\n");
  work.write("t/wt/w.txt", kHelloWin);
  work.write("t/plain/p.txt", kHelloWin);
  work.symlink(work.file("t/plain"), "t/to-plain");
  ASSERT_EQ(::mkfifo(work.file("t/fifo").c_str(), 0644), 0);
  work.chmod("t/ro", 0555);
  const std::string t = work.file("t");
  const std::string done =
      t + ": Processing this directory and its subdirectories is completed\n";
  const std::string win =
      ": This file has coding ''Win1251''; no line end; no byte order mark\n";
  const std::string report = t + "/plain/p.txt" + win + t + "/ro/a.txt" + win +
                             t + "/ro/deeper/b.txt" + win + t + "/wt/w.txt" +
                             win;
  const auto expected = sortedLines(report + done);

  const test::ChildOutcome detect = cliAsOther({"-d", t});
  EXPECT_EQ(detect.status, 0) << detect.err;
  EXPECT_EQ(sortedLines(detect.out), expected);
  EXPECT_EQ(detect.err, "");
  const test::ChildOutcome dry = cliAsOther({"-n", "-t", "utf8", t});
  EXPECT_EQ(dry.status, 0) << dry.err;
  EXPECT_EQ(dry.err, "");

  // Rewriting: only the files directly in the read-only directory fail,
  // with the system's reason; the run goes on (the other user may write
  // nothing here at all, so every file fails for it; the test's own user
  // may write all but the read-only directory).
  if (!test::canActAsOtherUser()) {
    const Outcome r = cli({"-t", "utf8", t});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, t + "/ro/a.txt: Unable to open temporary file: "
                         "Permission denied\n");
    EXPECT_EQ(work.read("t/ro/a.txt"), kHelloWin);
    EXPECT_EQ(work.read("t/ro/deeper/b.txt"), kHelloUtf8);
  } else {
    ASSERT_EQ(::chmod(t.c_str(), 0777), 0);
    for (const char *d : {"t/ro/deeper", "t/wt", "t/plain"})
      ASSERT_EQ(::chmod(work.file(d).c_str(), 0777), 0);
    for (const char *f :
         {"t/ro/a.txt", "t/ro/deeper/b.txt", "t/wt/w.txt", "t/plain/p.txt"})
      giveTo(work.file(f), test::kOtherUser, test::kOtherGroup);
    const test::ChildOutcome r = cliAsOther({"-t", "utf8", t});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, t + "/ro/a.txt: Unable to open temporary file: "
                         "Permission denied\n");
    EXPECT_EQ(work.read("t/ro/a.txt"), kHelloWin);
    for (const char *f : {"t/ro/deeper/b.txt", "t/wt/w.txt", "t/plain/p.txt"})
      EXPECT_EQ(work.read(f), kHelloUtf8) << f;
    // Root may write anywhere, and rewrites it.
    const Outcome root = cli({"-t", "utf8", t});
    EXPECT_EQ(root.status, 0) << root.err;
    EXPECT_EQ(work.read("t/ro/a.txt"), kHelloUtf8);
  }
  for (const char *f : {"t/.git/config", "t/.cache/c.txt"})
    EXPECT_EQ(work.read(f), kHelloWin) << f;
  EXPECT_EQ(work.read("t/wt/.git"), "gitdir: ../.git/worktrees/wt\n");
  EXPECT_EQ(work.mode("t/ro"), 0555);
  EXPECT_FALSE(work.holdsTemporaryFile("t/ro"));
  // --hidden takes the dot names too; a dot name given is always taken.
  const Outcome hidden = cli({"-d", "--hidden", t});
  EXPECT_NE(hidden.out.find("/.git/config: This file has coding"),
            std::string::npos)
      << hidden.out;
  const Outcome named = cli({"-d", work.file("t/.cache")});
  EXPECT_NE(named.out.find("/c.txt: This file has coding"), std::string::npos)
      << named.out;
}

// A user rewriting another user's file (one it may write, in a directory it
// may write) silently became its owner, and a set-group-id bit went. Now
// the file fails and stays as it was, unless --allow-chown is given.
TEST(HostileRuns, RegressionAnotherUsersFileIsRefusedWithoutAllowChown) {
  if (!test::canActAsOtherUser())
    GTEST_SKIP() << "needs root to make a file of another user";
  test::TempDir work;
  ASSERT_EQ(::chmod(work.path().c_str(), 0777), 0);
  work.write("theirs.txt", kHelloWin);
  giveTo(work.file("theirs.txt"), 0, 0);
  work.chmod("theirs.txt", 02666);
  const std::string path = work.file("theirs.txt");
  const test::ChildOutcome refused = cliAsOther({"-t", "utf8", path});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err,
            path + ": Unable to keep the owner and group of this file: "
                   "Operation not permitted\n");
  EXPECT_EQ(work.read("theirs.txt"), kHelloWin);
  EXPECT_EQ(statOf(path).st_uid, 0u);
  EXPECT_EQ(work.mode("theirs.txt"), 02666);
  EXPECT_EQ(work.names(), std::vector<std::string>{"theirs.txt"});

  const test::ChildOutcome allowed =
      cliAsOther({"--allow-chown", "-t", "utf8", path});
  EXPECT_EQ(allowed.status, 0) << allowed.err;
  EXPECT_EQ(work.read("theirs.txt"), kHelloUtf8);
  EXPECT_EQ(statOf(path).st_uid, test::kOtherUser);
  EXPECT_EQ(work.mode("theirs.txt"), 0666) << "no set-id bit for a new owner";
}

} // namespace
} // namespace snpln
