// snpln-cli -j N: the files of a run on N workers give the very trees and
// reports one worker gives; Ctrl-C stops every worker with each file whole;
// a file is told done only once its directory is flushed after its rename;
// the closing line counts the hits of the whole run; the plan the options
// build holds the operations in the order they apply.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include "batch/run_batch.h"
#include "batch/selection_state.h"
#include "cli/cli_options.h"
#include "cli/console_host.h"
#include "tests/support/forwarding_input_file.h"
#include "tests/support/native_file_system.h"
#include "tests/support/temp_dir.h"

namespace snpln {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status;
  std::string out, err;
};

Outcome runCli(std::vector<std::string> args,
               platform::FileSystem &files = platform::realFileSystem()) {
  args.insert(args.begin(), "snpln-cli");
  std::vector<char *> argv;
  for (auto &a : args)
    argv.push_back(a.data());
  std::istringstream in;
  std::ostringstream out, err;
  const int status = cli::runCli(static_cast<int>(argv.size()), argv.data(), in,
                                 out, err, false, files);
  return {status, out.str(), err.str()};
}

std::string readFile(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Every entry below `top`: a file's bytes, a link's target, "<dir>".
std::map<std::string, std::string> treeOf(const std::string &top) {
  std::map<std::string, std::string> tree;
  for (const auto &e : fs::recursive_directory_iterator(top)) {
    const std::string name = fs::relative(e.path(), top).generic_string();
    if (e.is_symlink())
      tree[name] = "-> " + fs::read_symlink(e.path()).generic_string();
    else if (e.is_directory())
      tree[name] = "<dir>";
    else
      tree[name] = readFile(e.path());
  }
  return tree;
}

// The first entry two trees do not agree on, with both sides; empty when
// they are the same.
std::string firstDifference(const std::map<std::string, std::string> &a,
                            const std::map<std::string, std::string> &b) {
  for (const auto &[name, bytes] : a) {
    const auto other = b.find(name);
    if (other == b.end())
      return name + ": only with one worker";
    if (other->second != bytes)
      return name + ": one worker left \"" + bytes + "\", eight \"" +
             other->second + "\"";
  }
  for (const auto &[name, bytes] : b)
    if (a.find(name) == a.end())
      return name + ": only with eight workers";
  return {};
}

// A tree of directories and files from `seed`: Russian in Windows-1251 and
// in KOI8-R, plain ASCII, blank runs, empty lines with either line end, a
// file that is not text, hidden names, hard links and symbolic links.
void makeTree(const test::TempDir &dir, const std::string &top,
              std::uint32_t seed) {
  std::mt19937 random(seed);
  const auto below = [&](int n) {
    return static_cast<int>(random() % static_cast<std::uint32_t>(n));
  };
  std::vector<std::string> dirs{top};
  dir.mkdir(top);
  for (int i = 0, n = 2 + below(5); i < n; ++i) {
    const std::string parent =
        dirs[static_cast<std::size_t>(below(static_cast<int>(dirs.size())))];
    const std::string name =
        parent + "/" + (below(6) == 0 ? ".d" : "d") + std::to_string(i);
    dir.mkdir(name);
    dirs.push_back(name);
  }
  const char *pieces[] = {"\xCF\xF0\xE8\xE2\xE5\xF2 ",
                          "\xF0\xD2\xC9\xD7 ",
                          "cat ",
                          "  \t    ",
                          "\r\n",
                          "\n\n\n\n",
                          ". ",
                          "\xE0\xE1\xE2"};
  std::vector<std::string> files;
  for (int i = 0, n = 12 + below(24); i < n; ++i) {
    const std::string parent =
        dirs[static_cast<std::size_t>(below(static_cast<int>(dirs.size())))];
    const std::string name = parent + "/" + (below(10) == 0 ? "." : "") + "f" +
                             std::to_string(i) +
                             (below(3) == 0 ? ".txt" : ".log");
    std::string text;
    for (int k = 0, m = below(300); k < m; ++k)
      text += pieces[below(8)];
    if (below(15) == 0)
      text += std::string(1, '\0');
    dir.write(name, text);
    files.push_back(name);
  }
  for (int i = 0, n = below(4); i < n; ++i) {
    const std::string &target =
        files[static_cast<std::size_t>(below(static_cast<int>(files.size())))];
    const std::string link = top + "/hard" + std::to_string(i);
    fs::create_hard_link(dir.file(target), dir.file(link));
  }
#ifndef _WIN32
  if (below(2) == 0)
    dir.symlink("f0.txt", top + "/soft.txt");
#endif
}

// One line of options per row; every row runs over every seed.
const std::vector<std::vector<std::string>> kOperations = {
    {"-t", "utf8", "--upper"},
    {"--replace", "cat", "--with", "\xEA\xEE\xF2", "--bytes", "--delete-empty"},
    {"-f", "win", "-t", "koi", "--optimize", "--tab-size", "4"},
    {"--smart", "--exclude", "\xF0\xD2", "--bytes", "--hidden"},
    {"-d"},
    {"-n", "-t", "dos", "--line-ends", "crlf"},
};

TEST(ParallelRun, OneAndEightWorkersGiveTheSameTreesAndReports) {
  for (std::uint32_t seed : {1u, 2u, 5u, 13u}) {
    for (std::size_t row = 0; row < kOperations.size(); ++row) {
      SCOPED_TRACE("seed " + std::to_string(seed) + ", row " +
                   std::to_string(row));
      std::map<std::string, std::string> trees[2];
      std::string reports[2], lines[2];
      for (int j : {0, 1}) {
        test::TempDir dir;
        makeTree(dir, "t", seed);
        test::ChangeDirectory cd(dir.path());
        std::vector<std::string> args = kOperations[row];
        args.insert(args.begin(), {"-j", j == 0 ? "1" : "8"});
        // A file named by itself and through the tree, and twice.
        for (const char *name : {"t/f0.txt", "t", "./t/f0.txt", "t/f1.log"})
          args.push_back(name);
        std::vector<std::string> json = args;
        json.insert(json.begin(), "--json");
        // Two copies of the tree: one for the lines, one for the objects.
        fs::copy("t", "u",
                 fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        const Outcome r = runCli(args);
        for (std::string &a : json)
          if (a == "t" || a.rfind("t/", 0) == 0)
            a = "u" + a.substr(1);
          else if (a.rfind("./t/", 0) == 0)
            a = "./u" + a.substr(3);
        const Outcome o = runCli(json);
        lines[j] = std::to_string(r.status) + "\n" + r.out + "--\n" + r.err;
        reports[j] = std::to_string(o.status) + "\n" + o.out + "--\n" + o.err;
        // The copy's hard links are files of their own: each tree is
        // compared with its own kind.
        trees[j] = treeOf("t");
        for (auto &[name, bytes] : treeOf("u"))
          trees[j]["u/" + name] = bytes;
        EXPECT_FALSE(dir.holdsTemporaryFile("t"));
        EXPECT_FALSE(dir.holdsTemporaryFile("u"));
      }
      EXPECT_EQ(lines[0], lines[1]);
      EXPECT_EQ(reports[0], reports[1]);
      EXPECT_EQ(firstDifference(trees[0], trees[1]), "");
    }
  }
}

// Sets the interrupt flag once the jobs together have read `after` bytes.
class InterruptingFileSystem : public test::NativeFileSystem {
public:
  explicit InterruptingFileSystem(std::size_t after) : after_(after) {}
  std::atomic<std::size_t> total{0};
  std::unique_ptr<platform::InputFile>
  openRead(const platform::FileLocation &at) override {
    struct File : test::ForwardingInputFile {
      using ForwardingInputFile::ForwardingInputFile;
      InterruptingFileSystem *owner = nullptr;
      bool read(void *b, std::size_t n, std::size_t &got) override {
        const bool ok = inner_->read(b, n, got);
        if ((owner->total += got) >= owner->after_)
          cli::interrupted = true;
        return ok;
      }
    };
    auto inner = test::NativeFileSystem::openRead(at);
    if (!inner)
      return nullptr;
    auto file = std::make_unique<File>(std::move(inner));
    file->owner = this;
    return file;
  }

private:
  std::size_t after_;
};

TEST(ParallelRun, CtrlCStopsEveryWorkerWithEachFileWhole) {
  test::TempDir dir;
  test::ChangeDirectory cd(dir.path());
  const std::string text(1 << 20, 'a');
  const std::string upper(1 << 20, 'A');
  dir.mkdir("t");
  for (int i = 0; i < 12; ++i)
    dir.write("t/f" + std::to_string(i), text);
  // Past the first block of several files, before any of them is done.
  InterruptingFileSystem files(3u << 20);
  const Outcome r = runCli({"-j", "4", "--upper", "t"}, files);
  cli::interrupted = false;
  EXPECT_EQ(r.status, 130) << r.err;
  EXPECT_NE(r.err.find("Operation canceled"), std::string::npos) << r.err;
  std::istringstream lines(r.err);
  for (std::string line; std::getline(lines, line);)
    EXPECT_NE(line.find(": Operation canceled"), std::string::npos) << line;
  int rewritten = 0;
  for (int i = 0; i < 12; ++i) {
    const std::string now = dir.read("t/f" + std::to_string(i));
    EXPECT_TRUE(now == text || now == upper) << "t/f" << i << " is cut";
    rewritten += now == upper;
  }
  EXPECT_LT(rewritten, 12);
  EXPECT_FALSE(dir.holdsTemporaryFile("t"));
  EXPECT_EQ(dir.names("t").size(), 12u);
}

// One file's lock held elsewhere for its first `busy` tries.
class HeldLockFileSystem : public test::NativeFileSystem {
public:
  HeldLockFileSystem(std::string name, int busy)
      : name_(std::move(name)), busy_(busy) {}
  std::unique_ptr<platform::InputFile>
  openRead(const platform::FileLocation &at) override {
    struct File : test::ForwardingInputFile {
      using ForwardingInputFile::ForwardingInputFile;
      HeldLockFileSystem *owner = nullptr;
      platform::LockOutcome lock() override {
        if (owner->busy_.fetch_sub(1) > 0)
          return platform::LockOutcome::Busy;
        return inner_->lock();
      }
    };
    auto inner = test::NativeFileSystem::openRead(at);
    if (!inner || at.path().find(name_) == std::string::npos)
      return inner;
    auto file = std::make_unique<File>(std::move(inner));
    file->owner = this;
    return file;
  }

private:
  std::string name_;
  std::atomic<int> busy_;
};

// -v names a held file once per wait, by its path below the named
// directory; without -v nothing is said; nothing is skipped either way.
TEST(ParallelRun, VerboseSaysOnceThatAHeldFileWaits) {
#ifdef _WIN32
  const std::string wait =
      "Waiting for d\\held.txt: in use by another program\n";
#else
  const std::string wait =
      "Waiting for d/held.txt: in use by another program\n";
#endif
  for (const char *workers : {"1", "3"})
    for (const bool verbose : {true, false}) {
      SCOPED_TRACE(std::string(workers) + (verbose ? " -v" : ""));
      test::TempDir dir;
      test::ChangeDirectory cd(dir.path());
      dir.mkdir("t");
      dir.mkdir("t/d");
      dir.write("t/d/held.txt", "held\n");
      for (int i = 0; i < 5; ++i)
        dir.write("t/f" + std::to_string(i), "free\n");
      HeldLockFileSystem files("held.txt", 3);
      std::vector<std::string> args = {"-j", workers, "--upper", "t"};
      if (verbose)
        args.insert(args.begin(), "-v");
      const Outcome r = runCli(args, files);
      EXPECT_EQ(r.status, 0) << r.err;
      const auto at = r.out.find(wait);
      EXPECT_EQ(verbose, at != std::string::npos) << r.out;
      if (at != std::string::npos) {
        EXPECT_EQ(r.out.find(wait, at + 1), std::string::npos) << r.out;
      }
      EXPECT_EQ(dir.read("t/d/held.txt"), "HELD\n");
      EXPECT_EQ(dir.read("t/f4"), "FREE\n");
    }
}

// The closing line of an exclusion or a replacement counts the hits of
// every file of the pass, not the last file's alone.
TEST(ParallelRun, RegressionClosingLineCountedOnlyTheLastFilesHits) {
  test::TempDir dir;
  test::ChangeDirectory cd(dir.path());
  for (const char *jobs : {"1", "3"}) {
    dir.write("a.txt", "cat cat cat\n");
    dir.write("b.txt", "cat\n");
    dir.mkdir("t");
    dir.write("t/c.txt", "cat cat\n");
    dir.write("z.txt", "one cat\n");
    const Outcome r = runCli({"-j", jobs, "--replace", "cat", "--with", "dog",
                              "a.txt", "b.txt", "t", "z.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(
        r.out,
        "t: Processing this directory and its subdirectories is completed\n"
        "From file(s) successfully excluded given string: and "
        "replaced with received string, Nr. of hits: 7\n");
    const Outcome e = runCli(
        {"-j", jobs, "--exclude", "dog", "a.txt", "b.txt", "t", "z.txt"});
    EXPECT_EQ(
        e.out,
        "t: Processing this directory and its subdirectories is completed\n"
        "From file(s) successfully excluded given string: Number "
        "of hits: 7\n");
    std::filesystem::remove_all(dir.file("t"));
  }
}

// What the options give: the operations in the order they apply to each
// file (the window's order too), whatever the order of the options, and
// the pages.
TEST(ParallelRun, PlanOfTheOptionsHoldsTheOperationsInTheirOrder) {
  using Op = job::OperationCode;
  using job::CodePage;
  struct Row {
    std::vector<std::string> options;
    std::vector<Op> operations;
    CodePage from, to;
  };
  const Row rows[] = {
      {{"--upper"}, {Op::UpperCase}, CodePage::Auto, CodePage::Auto},
      {{"-t", "win"}, {Op::RecodeToWin}, CodePage::Auto, CodePage::Win},
      {{"-f", "koi", "-t", "dos"},
       {Op::RecodeToDos},
       CodePage::Koi,
       CodePage::Dos},
      {{"-f", "iso", "--lower"},
       {Op::LowerCase},
       CodePage::Iso,
       CodePage::Auto},
      {{"--smart", "--save-upper", "-t", "utf8"},
       {Op::RecodeToUtf8, Op::SmartCase},
       CodePage::Auto,
       CodePage::Utf8},
      {{"--replace", "x", "--with", "y", "--exclude", "x"},
       {Op::Exclude, Op::Replace},
       CodePage::Auto,
       CodePage::Auto},
      {{"--delete-empty", "--optimize", "--exclude", "x"},
       {Op::Exclude, Op::Optimize, Op::DeleteEmpty},
       CodePage::Auto,
       CodePage::Auto},
      {{"-d"}, {Op::Detect}, CodePage::Auto, CodePage::Auto},
      {{"-d", "--upper"},
       {Op::UpperCase, Op::Detect},
       CodePage::Auto,
       CodePage::Auto},
      {{"--upper", "--bom", "add", "--line-ends", "cr", "-t", "koi"},
       {Op::UpperCase, Op::RecodeToKoi, Op::LineEnds, Op::Bom},
       CodePage::Auto,
       CodePage::Koi},
      {{"-t", "utf16be", "--line-ends", "crlf"},
       {Op::RecodeToUtf16, Op::LineEnds},
       CodePage::Auto,
       CodePage::Utf16Be},
  };
  for (const Row &row : rows) {
    std::vector<std::string> args = row.options;
    args.insert(args.begin(), "snpln-cli");
    args.push_back("x");
    std::vector<char *> argv;
    for (auto &a : args)
      argv.push_back(a.data());
    cli::CliOptions options;
    std::ostringstream out, err;
    ASSERT_FALSE(cli::parseOptions(static_cast<int>(argv.size()), argv.data(),
                                   options, out, err))
        << err.str();
    const batch::RunPlan plan = cli::planOf(options);
    SCOPED_TRACE(::testing::PrintToString(row.options));
    EXPECT_EQ(plan.operations, row.operations);
    EXPECT_EQ(plan.parameters.sourceCodePage, row.from);
    EXPECT_EQ(plan.parameters.targetCodePage, row.to);
    // The window's buttons for the same give the same order.
    batch::SelectionState selection;
    for (Op operation : row.operations)
      if (batch::hasButton(operation))
        selection.pressModeButton(batch::buttonOf(operation));
    std::vector<Op> buttoned;
    for (Op operation : row.operations)
      if (batch::hasButton(operation))
        buttoned.push_back(operation);
    EXPECT_EQ(selection.operationPasses(), buttoned);
  }
}

// Counts the run's directory flushes and refuses those of one directory;
// at each flush, notes which files of that directory hold their new
// content already (`fresh`), so that an end told later can be checked to
// have been flushed after its rename. The flushes come on the run's own
// thread, one at a time.
class FlushWatchingFileSystem : public test::NativeFileSystem {
public:
  std::optional<platform::FileId> refused;
  // Each directory by its identity: its path, and the content that is new.
  std::map<platform::FileId, std::string> paths;
  std::string fresh;
  std::vector<platform::FileId> flushed;
  std::set<std::string> flushedAfterRename;

  bool flushDirectory(const platform::Directory &directory,
                      platform::SystemError &why) override {
    flushed.push_back(directory.id());
    const auto path = paths.find(directory.id());
    if (path != paths.end())
      for (const auto &e : fs::directory_iterator(path->second))
        if (e.is_regular_file() && readFile(e.path()) == fresh)
          flushedAfterRename.insert(e.path().generic_string());
    if (refused && directory.id() == *refused) {
      why = platform::SystemError{EIO, "Input/output error"};
      return false;
    }
    return test::NativeFileSystem::flushDirectory(directory, why);
  }
};

// Three directories of files: t, t/a and t/b.
void makeFlushTree(const test::TempDir &dir, FlushWatchingFileSystem &files) {
  dir.mkdir("t");
  dir.mkdir("t/a");
  dir.mkdir("t/b");
  for (const char *name : {"t/a/f0.txt", "t/a/f1.txt", "t/a/f2.txt",
                           "t/b/f0.txt", "t/b/f1.txt", "t/c.txt"})
    dir.write(name, "cat\n");
  files.fresh = "dog\n";
  files.paths.clear();
  for (const char *sub : {"t", "t/a", "t/b"})
    files.paths[files.status(platform::FileLocation(dir.file(sub)))->id] =
        dir.file(sub);
}

// "cat" replaced by "dog" in every file under `top`, on `workers` workers.
batch::RunPlan catToDogPlan(const std::string &top, int workers) {
  batch::RunPlan plan;
  plan.operations = {job::OperationCode::Replace};
  plan.parameters.searchText = "cat";
  plan.parameters.replaceText = "dog";
  plan.names = {top};
  plan.masks = {"*.*"};
  plan.workers = workers;
  return plan;
}

// A directory whose flush is refused after its files were renamed: exactly
// its files fail, with the system's reason (their new content is in place,
// but not known to survive a power cut); the others succeed; the reports
// keep the order of the walk whatever the workers; and each directory is
// flushed once for the whole batch, not once per file.
TEST(ParallelRun, RefusedDirectoryFlushFailsExactlyTheFilesOfThatDirectory) {
  SNPLN_SKIP_ON_WINDOWS("its saves flush with their commit");
  std::string reports[2];
  for (int j : {0, 1}) {
    test::TempDir dir;
    test::ChangeDirectory cd(dir.path());
    FlushWatchingFileSystem files;
    makeFlushTree(dir, files);
    files.refused = files.status(platform::FileLocation("t/a"))->id;
    const Outcome r = runCli({"--json", "-j", j == 0 ? "1" : "4", "--replace",
                              "cat", "--with", "dog", "--bytes", "t"},
                             files);
    reports[j] = std::to_string(r.status) + "\n" + r.out + "--\n" + r.err;
    EXPECT_EQ(r.status, 1) << r.out << r.err;
    for (const char *name : {"t/a/f0.txt", "t/a/f1.txt", "t/a/f2.txt",
                             "t/b/f0.txt", "t/b/f1.txt", "t/c.txt"}) {
      EXPECT_EQ(dir.read(name), "dog\n") << name;
      const std::string line =
          "{\"kind\":\"file\",\"path\":\"" + std::string(name) + "\"";
      const auto at = r.out.find(line);
      ASSERT_NE(at, std::string::npos) << name << " in " << r.out;
      const std::string object = r.out.substr(at, r.out.find('\n', at) - at);
      const bool refused = std::string(name).rfind("t/a/", 0) == 0;
      EXPECT_EQ(object,
                line + ",\"pass\":\"replace\"," +
                    (refused ? "\"outcome\":\"failed\",\"error\":"
                               "\"directory-not-flushed\",\"errno\":\"EIO\"}"
                             : "\"outcome\":\"converted\",\"hits\":1}"));
    }
    // t, t/a and t/b, each once.
    EXPECT_EQ(files.flushed.size(), 3u) << r.out;
    EXPECT_EQ(
        std::set<platform::FileId>(files.flushed.begin(), files.flushed.end())
            .size(),
        3u);
    EXPECT_FALSE(dir.holdsTemporaryFile("t/a"));
  }
  EXPECT_EQ(reports[0], reports[1]);
}

// Every file told done was renamed before a flush of its directory; with
// more files than one batch holds, the flushes are fewer than the files
// but the order of the walk is kept.
TEST(ParallelRun, AFileIsToldDoneOnlyAfterItsDirectoryIsFlushed) {
  SNPLN_SKIP_ON_WINDOWS("its saves flush with their commit");
  struct Watcher : batch::RunObserver {
    FlushWatchingFileSystem *files = nullptr;
    std::vector<std::string> done;
    std::vector<std::string> unflushed;
    void fileFinished(const job::FileTask &task,
                      const batch::FileEnd &end) override {
      if (end.report.result != job::JobResult::Done)
        return;
      done.push_back(task.location.path());
      if (files->flushedAfterRename.count(
              fs::absolute(task.location.path()).generic_string()) == 0)
        unflushed.push_back(task.location.path());
    }
  };
  std::vector<std::string> firstOrder;
  for (int workers : {1, 2, 8}) {
    SCOPED_TRACE("workers " + std::to_string(workers));
    test::TempDir dir;
    FlushWatchingFileSystem files;
    makeFlushTree(dir, files);
    // Enough files in t/b for several batches.
    for (int i = 0; i < 150; ++i) {
      const std::string name = "t/b/g" + std::to_string(1000 + i) + ".txt";
      dir.write(name, "cat\n");
    }
    batch::RunPlan plan = catToDogPlan(dir.file("t"), workers);
    Watcher watcher;
    watcher.files = &files;
    batch::PlainJobRunner runner(files);
    const batch::RunOutcome outcome =
        batch::runBatch(plan, watcher, runner, files);
    EXPECT_EQ(outcome.failed, 0);
    EXPECT_EQ(watcher.done.size(), 156u);
    EXPECT_EQ(watcher.unflushed, std::vector<std::string>{})
        << "told done before a flush of its directory";
    EXPECT_LT(files.flushed.size(), 20u);
    EXPECT_GE(files.flushed.size(), 3u);
    // The order of the walk, the same for every count of workers.
    std::vector<std::string> order;
    for (const std::string &name : watcher.done) {
      ASSERT_EQ(name.rfind(dir.path() + "/", 0), 0u) << name;
      order.push_back(name.substr(dir.path().size() + 1));
      EXPECT_EQ(dir.read(order.back()), "dog\n") << name;
    }
    if (firstOrder.empty())
      firstOrder = order;
    EXPECT_EQ(order, firstOrder);
  }
}

// A file that waits for the disk lets another compute: with 2 workers,
// sixteen saves are in flight at once, while no more than two files
// compute.
// (Without the hand-over the latch below is never reached and the guard
// ends the wait: the test fails on the count, not on the clock.)
TEST(ParallelRun, SavesWaitingForTheDiskLetMoreJobsThanWorkersRun) {
  struct Runner : batch::JobRunner {
    std::mutex mutex;
    std::condition_variable changed;
    int computing = 0;
    int mostComputing = 0;
    int waiting = 0;
    int mostWaiting = 0;
    int target = 0;
    job::FileReport runJob(const job::FileTask &task, const job::FilePlan &,
                           const job::JobControl &control) override {
      {
        std::lock_guard<std::mutex> lock(mutex);
        mostComputing = std::max(mostComputing, ++computing);
      }
      std::this_thread::yield(); // room for others to compute meanwhile
      {
        std::lock_guard<std::mutex> lock(mutex);
        --computing;
      }
      control.waitingForDisk(true);
      {
        std::unique_lock<std::mutex> lock(mutex);
        mostWaiting = std::max(mostWaiting, ++waiting);
        changed.notify_all();
        // Only a guard against a hang: the count decides.
        if (!changed.wait_for(lock, std::chrono::seconds(20),
                              [this] { return mostWaiting >= target; }))
          target = 0; // no more waits: the count below fails
        changed.notify_all();
        --waiting;
      }
      control.waitingForDisk(false);
      job::FileReport report;
      report.result = job::JobResult::Done;
      report.path = task.location.path();
      return report;
    }
  };
  test::TempDir dir;
  dir.mkdir("t");
  for (int i = 0; i < 40; ++i)
    dir.write("t/f" + std::to_string(100 + i) + ".txt", "cat\n");
  batch::RunPlan plan = catToDogPlan(dir.file("t"), 2);
  Runner runner;
  runner.target = 16;
  batch::RunObserver quiet;
  const batch::RunOutcome outcome =
      batch::runBatch(plan, quiet, runner, platform::realFileSystem());
  EXPECT_EQ(outcome.failed, 0);
  EXPECT_EQ(runner.mostWaiting, 16) << "saves in flight at once";
  EXPECT_LE(runner.mostComputing, 2) << "files computing at once";
}

} // namespace
} // namespace snpln
