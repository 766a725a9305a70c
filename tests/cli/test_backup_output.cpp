// snpln-cli -b (a backup of each original) and -o FILE (the result in a new
// file) through runCli, over real files in fresh directories and under the
// failing file system: the file or FILE holds all its old content or all
// its new, a backup holds the original's bytes and mode, and nothing else
// is left behind. What the command prints is in tests/cli/backup_output.*.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/console_host.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/forwarding_input_file.h"
#include "tests/support/native_file_system.h"
#include "tests/support/temp_dir.h"

namespace snpln {
namespace {

// "Привет, мир" in Win1251 and KOI8-R.
const std::string kHelloWin = "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0";
const std::string kHelloKoi = "\xF0\xD2\xC9\xD7\xC5\xD4, \xCD\xC9\xD2";

struct Outcome {
  int status;
  std::string out, err;
};

class BackupOutput : public ::testing::Test {
protected:
  test::TempDir dir;
  test::ChangeDirectory cd{dir.path()};

  Outcome run(std::vector<std::string> args,
              platform::FileSystem &fs = platform::realFileSystem()) {
    args.insert(args.begin(), "snpln-cli");
    std::vector<char *> argv;
    for (auto &a : args)
      argv.push_back(a.data());
    std::istringstream in;
    std::ostringstream out, err;
    const int status = cli::runCli(static_cast<int>(argv.size()), argv.data(),
                                   in, out, err, false, fs);
    return {status, out.str(), err.str()};
  }

  struct stat statOf(const std::string &name) {
    struct stat st {};
    EXPECT_EQ(::lstat(dir.file(name).c_str(), &st), 0) << name;
    return st;
  }
};

// Three operations: the backup is the file as it was before the run (its
// inode, mode and bytes), taken once; the file ends with all three.
TEST_F(BackupOutput, TheBackupIsTheOriginalBeforeTheFirstPass) {
  dir.write("a.txt", kHelloWin + "\r\n");
  dir.chmod("a.txt", 0640);
  const ino_t inode = statOf("a.txt").st_ino;
  const auto r = run({"-b", "-f", "win", "-t", "koi", "--line-ends", "lf",
                      "--upper", "a.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(dir.read("a.txt~"), kHelloWin + "\r\n");
  EXPECT_EQ(statOf("a.txt~").st_ino, inode);
  EXPECT_EQ(dir.mode("a.txt~"), 0640);
  EXPECT_EQ(dir.mode("a.txt"), 0640);
  EXPECT_EQ(dir.read("a.txt"), "\xF0\xF2\xE9\xF7\xE5\xF4, \xED\xE9\xF2\n");
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"a.txt", "a.txt~"}));
}

// Backups whose names the masks take (a.txt.bak.txt by *.txt) are never
// worked on, in the pass that makes them nor in a later one, under a mask
// or by the name given; a file left as it was gets none.
TEST_F(BackupOutput, RegressionBackupsTheMasksMatchAreNeverInput) {
  dir.mkdir("d");
  dir.mkdir("d/s");
  dir.write("d/a.txt", kHelloWin);
  dir.write("d/s/b.txt", kHelloWin);
  const auto r = run({"-b", "--suffix=.bak.txt", "-f", "win", "-t", "koi",
                      "--upper", "--filter", "*.txt *.bak.txt", "--json", "d"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(dir.read("d/a.txt.bak.txt"), kHelloWin);
  EXPECT_EQ(dir.read("d/s/b.txt.bak.txt"), kHelloWin);
  EXPECT_EQ(dir.read("d/a.txt"), "\xF0\xF2\xE9\xF7\xE5\xF4, \xED\xE9\xF2");
  EXPECT_EQ(dir.names("d"),
            (std::vector<std::string>{"a.txt", "a.txt.bak.txt", "s"}));
  EXPECT_EQ(dir.names("d/s"),
            (std::vector<std::string>{"b.txt", "b.txt.bak.txt"}));
  // No job ran on a backup: each object of one says it was passed over.
  std::istringstream lines(r.out);
  for (std::string line; std::getline(lines, line);) {
    if (line.find(".bak.txt\",\"pass\"") != std::string::npos) {
      EXPECT_NE(line.find("\"outcome\":\"skipped\",\"reason\":\"backup\""),
                std::string::npos)
          << line;
    }
  }

  // Named after the file whose rewrite makes it: passed over as well.
  dir.write("c.txt", kHelloWin);
  const auto named =
      run({"-b", "--upper", "-f", "win", "-t", "koi", "-v", "c.txt", "c.txt~"});
  EXPECT_EQ(named.status, 0) << named.err;
  EXPECT_EQ(dir.read("c.txt~"), kHelloWin);
  EXPECT_EQ(named.out.find("c.txt~:"), std::string::npos) << named.out;
}

// -o: FILE gets the run's result with the input's mode (limited by the
// umask) and, with -k, its times; the input is untouched; a run that
// leaves the text as it was gives FILE the input's bytes; an existing FILE
// keeps its own mode.
TEST_F(BackupOutput, OutputGetsTheLastPassAndTheInputStays) {
  dir.write("in.txt", kHelloWin + "\r\n");
  dir.chmod("in.txt", 0664);
  const timespec times[2] = {{1111111111, 222222222}, {1000000000, 999999999}};
  ASSERT_EQ(::utimensat(AT_FDCWD, dir.file("in.txt").c_str(), times, 0), 0);
  const mode_t mask = ::umask(022);
  auto r = run({"-k", "-o", "out.txt", "-f", "win", "-t", "koi", "--line-ends",
                "lf", "--upper", "in.txt"});
  ::umask(mask);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(dir.read("in.txt"), kHelloWin + "\r\n");
  EXPECT_EQ(dir.read("out.txt"), "\xF0\xF2\xE9\xF7\xE5\xF4, \xED\xE9\xF2\n");
  EXPECT_EQ(dir.mode("out.txt"), 0644);
  const struct stat st = statOf("out.txt");
  EXPECT_EQ(st.st_mtim.tv_sec, times[1].tv_sec);
  EXPECT_EQ(st.st_mtim.tv_nsec, times[1].tv_nsec);
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"in.txt", "out.txt"}));

  dir.chmod("out.txt", 0600);
  r = run({"-o", "out.txt", "-t", "win", "in.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(dir.read("out.txt"), kHelloWin + "\r\n") << "already Win1251";
  EXPECT_EQ(dir.mode("out.txt"), 0600);
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"in.txt", "out.txt"}));
}

// A failing read, write, flush, begin or commit anywhere: status 1, the
// input as it was, FILE not made (or, where it was, as it was), nothing
// else left.
TEST_F(BackupOutput, OutputUnderTheFailingFileSystem) {
  struct Case {
    const char *what;
    void (*plan)(platform::FaultPlan &);
  };
  const Case cases[] = {
      {"first write", [](platform::FaultPlan &p) { p.writeAt = 0; }},
      {"short write", [](platform::FaultPlan &p) { p.shortWriteAt = 5; }},
      {"read", [](platform::FaultPlan &p) { p.readAt = 3; }},
      {"flush", [](platform::FaultPlan &p) { p.flush = true; }},
      {"begin", [](platform::FaultPlan &p) { p.beginNewFile = true; }},
      {"commit", [](platform::FaultPlan &p) { p.commit = true; }},
      {"commit meets a change",
       [](platform::FaultPlan &p) {
         p.commit = true;
         p.commitOutcome = platform::SaveOutcome::TargetChanged;
       }},
      {"times", [](platform::FaultPlan &p) { p.times = true; }},
  };
  for (const bool existing : {false, true}) {
    for (const Case &c : cases) {
      const std::string where =
          std::string(c.what) + (existing ? ", FILE there" : ", FILE new");
      test::removeTree(dir.path());
      ASSERT_EQ(::mkdir(dir.path().c_str(), 0700), 0);
      dir.write("in.txt", kHelloWin + "\r\n");
      if (existing)
        dir.write("out.txt", "theirs");
      platform::FaultyFileSystem fs;
      c.plan(fs.fail);
      const auto r = run({"-k", "-o", "out.txt", "-f", "win", "-t", "koi",
                          "--line-ends", "lf", "in.txt"},
                         fs);
      EXPECT_EQ(r.status, 1) << where << ": " << r.err;
      EXPECT_NE(r.err, "") << where;
      EXPECT_EQ(dir.read("in.txt"), kHelloWin + "\r\n") << where;
      if (existing) {
        EXPECT_EQ(dir.read("out.txt"), "theirs") << where;
        EXPECT_EQ(dir.names(), (std::vector<std::string>{"in.txt", "out.txt"}))
            << where;
      } else {
        EXPECT_EQ(dir.names(), std::vector<std::string>{"in.txt"}) << where;
      }
    }
  }
}

// The native file system, running `meanwhile` once, at the input's
// second read: the run's stages are under way (the later ones have taken
// the first block), the first one still reads.
class ActsMeanwhile : public test::NativeFileSystem {
public:
  std::function<void()> meanwhile;
  int reads = 0;

  std::unique_ptr<platform::InputFile>
  openRead(const platform::FileLocation &at) override {
    auto inner = test::NativeFileSystem::openRead(at);
    if (!inner)
      return inner;
    return std::make_unique<File>(std::move(inner), *this);
  }

private:
  struct File : test::ForwardingInputFile {
    File(std::unique_ptr<platform::InputFile> inner, ActsMeanwhile &owner)
        : ForwardingInputFile(std::move(inner)), owner_(owner) {}
    bool read(void *buffer, std::size_t size, std::size_t &got) override {
      if (++owner_.reads == 2 && owner_.meanwhile)
        owner_.meanwhile();
      return inner_->read(buffer, size, got);
    }
    ActsMeanwhile &owner_;
  };
};

// -o: FILE's state is taken before the run. Another program that makes
// FILE, or changes it, while the stages run keeps its FILE, and the run
// fails with status 1 (before, FILE was looked up again at each pass and
// the other program's file was replaced with status 0).
TEST_F(BackupOutput, OutputMadeOrChangedWhileTheStagesRunIsLeftAsItIs) {
  std::string text;
  while (text.size() < 3 * (256 * 1024))
    text += kHelloWin + "  text\r\n";
  for (const bool existing : {false, true}) {
    SCOPED_TRACE(existing ? "FILE changed" : "FILE made");
    ::unlink(dir.file("out.txt").c_str());
    dir.write("in.txt", text);
    if (existing)
      dir.write("out.txt", "theirs");
    ActsMeanwhile fs;
    fs.meanwhile = [&] { dir.write("out.txt", "other program's"); };
    const auto r = run({"-o", "out.txt", "-f", "win", "-t", "koi",
                        "--line-ends", "lf", "--upper", "in.txt"},
                       fs);
    EXPECT_GE(fs.reads, 2);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.err, "out.txt: This file appeared or changed meanwhile: it "
                     "is left as it is\n");
    EXPECT_EQ(dir.read("out.txt"), "other program's");
    EXPECT_EQ(dir.read("in.txt"), text);
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"in.txt", "out.txt"}));
  }
}

// -b under the failing file system: the file keeps all its old content and
// its mode, an older backup stays as it was, nothing else is left.
TEST_F(BackupOutput, BackupUnderTheFailingFileSystem) {
  struct Case {
    const char *what;
    void (*plan)(platform::FaultPlan &);
  };
  const Case cases[] = {
      {"write", [](platform::FaultPlan &p) { p.writeAt = 2; }},
      {"read", [](platform::FaultPlan &p) { p.readAt = 0; }},
      {"begin", [](platform::FaultPlan &p) { p.beginSave = true; }},
      {"backup not kept",
       [](platform::FaultPlan &p) {
         p.commit = true;
         p.commitOutcome = platform::SaveOutcome::BackupNotKept;
       }},
  };
  for (const Case &c : cases) {
    test::removeTree(dir.path());
    ASSERT_EQ(::mkdir(dir.path().c_str(), 0700), 0);
    dir.write("a.txt", kHelloWin);
    dir.chmod("a.txt", 0604);
    dir.write("a.txt~", "older");
    platform::FaultyFileSystem fs;
    c.plan(fs.fail);
    const auto r = run({"-b", "-f", "win", "-t", "koi", "a.txt"}, fs);
    EXPECT_EQ(r.status, 1) << c.what << ": " << r.err;
    EXPECT_EQ(dir.read("a.txt"), kHelloWin) << c.what;
    EXPECT_EQ(dir.mode("a.txt"), 0604) << c.what;
    EXPECT_EQ(dir.read("a.txt~"), "older") << c.what;
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"a.txt", "a.txt~"}))
        << c.what;
  }
}

// A directory under the backup name (before: the file failed, "backup
// not kept"): nothing is replaced, the original takes the next free name,
// and the report names it.
TEST_F(BackupOutput, ADirectoryUnderTheBackupNameIsPassedForTheNextName) {
  dir.write("a.txt", kHelloWin);
  dir.mkdir("a.txt~");
  const auto r = run({"-b", "-v", "-f", "win", "-t", "koi", "a.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("a.txt.~1~"), std::string::npos) << r.out;
  EXPECT_EQ(dir.read("a.txt"), kHelloKoi);
  EXPECT_EQ(dir.read("a.txt.~1~"), kHelloWin);
  EXPECT_EQ(dir.names(),
            (std::vector<std::string>{"a.txt", "a.txt.~1~", "a.txt~"}));
}

} // namespace
} // namespace snpln
