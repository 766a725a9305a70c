// A file another program holds (a flock taken here, as another program
// would) waits alone: the other files of the run go on meanwhile, on the
// other workers or, with one worker, before it; the wait is told once as
// it begins and once as it ends; a Skip leaves it as it was, a cancel ends
// the run with what was done and what was not. No clock: the lock is let
// go from the run's own events.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "batch/run_batch.h"
#include "tests/support/temp_dir.h"

namespace snpln {
namespace {

// The flock another program would hold on a file, until let go.
class HeldByOther {
public:
  explicit HeldByOther(const std::string &path)
      : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    held_ = fd_ >= 0 && ::flock(fd_, LOCK_EX) == 0;
  }
  ~HeldByOther() { letGo(); }
  HeldByOther(const HeldByOther &) = delete;
  HeldByOther &operator=(const HeldByOther &) = delete;

  bool held() const { return held_; }
  void letGo() {
    if (fd_ >= 0)
      ::close(fd_);
    fd_ = -1;
    held_ = false;
  }

private:
  int fd_ = -1;
  bool held_ = false;
};

// What the run told, in order: "wait NAME", "waited NAME", "end NAME" (the
// path below the tree), "all N"; and a hook after each event.
class Recorder : public batch::RunObserver {
public:
  explicit Recorder(std::string root) : root_(std::move(root)) {}

  void fileFinished(const job::FileTask &task,
                    const batch::FileEnd &end) override {
    std::string path = task.location.path();
    if (path.compare(0, root_.size() + 1, root_ + "/") == 0)
      path = path.substr(root_.size() + 1);
    events.push_back("end " + path);
    results.push_back(end.report.result);
    ++ended;
    after();
  }
  void fileWaiting(const batch::FileWait &wait) override {
    events.push_back("wait " + wait.name);
    waits.push_back(wait);
    after();
  }
  void fileWaitEnded(const batch::FileWait &wait) override {
    events.push_back("waited " + wait.name);
    after();
  }
  void allFound(std::size_t files) override {
    events.push_back("all " + std::to_string(files));
  }

  std::vector<std::string> events;
  std::vector<job::JobResult> results;
  std::vector<batch::FileWait> waits;
  int ended = 0;
  std::function<void()> after = [] {};

private:
  std::string root_;
};

class HeldFile : public ::testing::Test {
protected:
  // "tree/d01/f001.txt" (the one held) and 50 others in d02 to d06.
  void SetUp() override {
    dir.mkdir("tree");
    for (int d = 1; d <= 6; ++d)
      dir.mkdir("tree/d0" + std::to_string(d));
    dir.write("tree/d01/f001.txt", "held\n");
    for (int d = 2; d <= 6; ++d)
      for (int f = 1; f <= 10; ++f) {
        char name[64];
        std::snprintf(name, sizeof name, "tree/d%02d/f%03d.txt", d, f);
        dir.write(name, "text\n");
      }
    plan.operations = {job::OperationCode::UpperCase};
    plan.names = {dir.file("tree")};
    plan.masks = {"*.*"};
    plan.cancel = &cancel;
    plan.skips = &skips;
  }

  batch::RunOutcome run(Recorder &recorder) {
    batch::PlainJobRunner runner(platform::realFileSystem());
    return batch::runBatch(plan, recorder, runner);
  }

  std::size_t indexOf(const Recorder &r, const std::string &event) const {
    for (std::size_t i = 0; i < r.events.size(); ++i)
      if (r.events[i] == event)
        return i;
    return r.events.size();
  }

  test::TempDir dir;
  batch::RunPlan plan;
  std::atomic<bool> cancel{false};
  batch::WaitSkips skips;
};

TEST_F(HeldFile, WaitsAloneWhileFiftyOthersAreDoneOnThreeWorkers) {
  plan.workers = 3;
  HeldByOther other(dir.file("tree/d01/f001.txt"));
  ASSERT_TRUE(other.held());
  Recorder r(dir.file("tree"));
  // Let go only once the wait is told and every other file has ended:
  // a run that waited for the held file would never get there.
  r.after = [&] {
    if (!r.waits.empty() && r.ended == 50)
      other.letGo();
  };
  const batch::RunOutcome outcome = run(r);

  ASSERT_EQ(1u, r.waits.size());
  EXPECT_EQ("d01/f001.txt", r.waits[0].name);
  EXPECT_EQ(batch::WaitReason::HeldByOtherProgram, r.waits[0].why);
  const std::size_t wait = indexOf(r, "wait d01/f001.txt");
  const std::size_t waited = indexOf(r, "waited d01/f001.txt");
  const std::size_t end = indexOf(r, "end d01/f001.txt");
  ASSERT_LT(end, r.events.size());
  EXPECT_LT(wait, waited);
  EXPECT_LT(waited, end);
  // The held file's end comes after all the others.
  EXPECT_EQ(51, r.ended);
  EXPECT_EQ(r.events.size() - 1, end);
  EXPECT_EQ("HELD\n", dir.read("tree/d01/f001.txt"));
  EXPECT_EQ("TEXT\n", dir.read("tree/d06/f010.txt"));
  EXPECT_EQ(batch::RunEnd::Completed, outcome.end);
  EXPECT_EQ(51u, outcome.found);
  EXPECT_EQ(51u, outcome.done);
  EXPECT_EQ(51u, outcome.converted);
  EXPECT_EQ(0u, outcome.notTouched);
  EXPECT_EQ(0u, outcome.notReached);
  EXPECT_TRUE(outcome.walkEnded);
}

TEST_F(HeldFile, OneWorkerSetsItAsideAndWaitsForItAfterTheOthers) {
  plan.workers = 1;
  HeldByOther other(dir.file("tree/d01/f001.txt"));
  ASSERT_TRUE(other.held());
  Recorder r(dir.file("tree"));
  r.after = [&] {
    if (!r.waits.empty())
      other.letGo();
  };
  const batch::RunOutcome outcome = run(r);

  ASSERT_EQ(1u, r.waits.size());
  // Every other file ended before the wait began; the walk had ended.
  EXPECT_EQ(51u, indexOf(r, "wait d01/f001.txt"));
  EXPECT_LT(indexOf(r, "all 51"), indexOf(r, "wait d01/f001.txt"));
  EXPECT_EQ("end d01/f001.txt", r.events.back());
  EXPECT_EQ("HELD\n", dir.read("tree/d01/f001.txt"));
  EXPECT_EQ(51u, outcome.done);
  EXPECT_EQ(batch::RunEnd::Completed, outcome.end);
}

TEST_F(HeldFile, SkipLeavesItAsItWasAndCountsItNotTouched) {
  for (const int workers : {1, 3}) {
    SCOPED_TRACE(workers);
    plan.workers = workers;
    HeldByOther other(dir.file("tree/d01/f001.txt"));
    ASSERT_TRUE(other.held());
    Recorder r(dir.file("tree"));
    r.after = [&] {
      if (r.waits.size() == 1 && r.ended == 50)
        skips.skip(r.waits[0].number);
    };
    const batch::RunOutcome outcome = run(r);

    ASSERT_EQ(1u, r.waits.size());
    EXPECT_LT(indexOf(r, "waited d01/f001.txt"), r.events.size());
    EXPECT_EQ("held\n", dir.read("tree/d01/f001.txt"));
    EXPECT_EQ(job::JobResult::Skipped, r.results.back());
    EXPECT_EQ(batch::RunEnd::Completed, outcome.end);
    EXPECT_EQ(50u, outcome.done);
    EXPECT_EQ(1u, outcome.notTouched);
    EXPECT_EQ(0u, outcome.notReached);
    EXPECT_EQ(1, outcome.skipped);
    EXPECT_EQ(0, outcome.failed);
    dir.write("tree/d01/f001.txt", "held\n");
  }
}

TEST_F(HeldFile, CancelDuringTheWaitCountsTheFilesDoneAndNotTouched) {
  plan.workers = 3;
  HeldByOther other(dir.file("tree/d01/f001.txt"));
  ASSERT_TRUE(other.held());
  Recorder r(dir.file("tree"));
  r.after = [&] {
    if (!r.waits.empty() && r.ended == 50)
      cancel = true;
  };
  const batch::RunOutcome outcome = run(r);

  EXPECT_EQ("held\n", dir.read("tree/d01/f001.txt"));
  EXPECT_EQ(batch::RunEnd::Stopped, outcome.end);
  EXPECT_EQ(51u, outcome.found);
  EXPECT_EQ(50u, outcome.done);
  EXPECT_EQ(1u, outcome.notTouched);
  EXPECT_EQ(0u, outcome.notReached);
  EXPECT_LT(indexOf(r, "waited d01/f001.txt"), r.events.size());
}

TEST_F(HeldFile, CancelBeforeTheWalkEndsCountsTheFoundFilesNotReached) {
  // More files than the ends one worker tells at once (each batch waits
  // for its directories' flush).
  dir.mkdir("tree/d07");
  for (int f = 1; f <= 150; ++f)
    dir.write("tree/d07/g" + std::to_string(f) + ".txt", "text\n");
  plan.workers = 1;
  Recorder r(dir.file("tree"));
  r.after = [&] {
    if (r.ended == 5)
      cancel = true;
  };
  const batch::RunOutcome outcome = run(r);

  EXPECT_EQ(batch::RunEnd::Stopped, outcome.end);
  EXPECT_FALSE(outcome.walkEnded);
  EXPECT_GE(outcome.done, 5u);
  // Every end told but the cancel's own.
  EXPECT_EQ(job::JobResult::Stop, r.results.back());
  EXPECT_EQ(static_cast<std::size_t>(r.ended) - 1, outcome.done);
  EXPECT_EQ(0u, outcome.notTouched);
  EXPECT_EQ(outcome.found - outcome.done, outcome.notReached);
  EXPECT_GE(outcome.notReached, 1u);
  EXPECT_LT(outcome.found, 201u);
  EXPECT_EQ(indexOf(r, "all 201"), r.events.size());
}

TEST(RunTotals, CountConvertedUnchangedAndEachOperationsHits) {
  test::TempDir dir;
  dir.mkdir("t");
  dir.write("t/lower.txt", "\xd0\xb0 b \xd0\xb0\n"); // "а b а"
  dir.write("t/upper.txt", "\xd0\x91 B\n");          // "Б B"
  batch::RunPlan plan;
  plan.operations = {job::OperationCode::UpperCase};
  plan.names = {dir.file("t")};
  plan.masks = {"*.*"};
  Recorder r(dir.file("t"));
  batch::PlainJobRunner runner(platform::realFileSystem());
  batch::RunOutcome outcome = batch::runBatch(plan, r, runner);
  EXPECT_EQ(2u, outcome.found);
  EXPECT_EQ(2u, outcome.done);
  EXPECT_EQ(1u, outcome.converted);
  EXPECT_EQ(1, outcome.unchanged);
  EXPECT_EQ(0, outcome.failed);
  EXPECT_TRUE(outcome.hits.empty());

  plan.operations = {job::OperationCode::Exclude};
  plan.parameters.searchText = "B";
  outcome = batch::runBatch(plan, r, runner);
  EXPECT_EQ(2u, outcome.converted);
  EXPECT_EQ(
      std::vector<batch::OperationHits>({{job::OperationCode::Exclude, 2}}),
      outcome.hits);
}

} // namespace
} // namespace snpln
