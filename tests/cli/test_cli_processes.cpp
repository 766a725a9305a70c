// snpln-cli as separate processes on real files: many runs at once, runs
// killed at any moment, runs ended by signals. Whatever happens, every file
// holds all of its old content or all of its new content, keeps its mode,
// and no temporary file is left. A run is killed or signalled at an exact
// point of its work, the system call it is about to make (the run is
// traced), never after some time.
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "batch/run_batch.h"
#include "batch/run_observer.h"
#include "engine/recode_tables.h"
#include "job/file_run.h"
#include "platform/posix_file_system.h"
#include "tests/support/file_runs.h"
#include "tests/support/temp_dir.h"
#include "tests/support/traced_process.h"

extern char **environ;

namespace snpln {
namespace {

// Starts snpln-cli with `args` in `cwd`, its output thrown away.
pid_t spawnCli(const std::vector<std::string> &args, const std::string &cwd) {
  std::vector<std::string> all{SNPLN_CLI_BINARY};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char *> argv;
  for (auto &a : all)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  pid_t pid = -1;
  const int rc =
      posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  EXPECT_EQ(rc, 0) << "cannot start " << argv[0];
  return rc == 0 ? pid : -1;
}

// The exit status, or 128 + the signal that ended the process.
int waitFor(pid_t pid) {
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid)
    return -1;
  if (WIFSIGNALED(status))
    return 128 + WTERMSIG(status);
  return WEXITSTATUS(status);
}

// Random Win1251 text: Cyrillic and Latin letters, blanks, line ends.
std::string randomText(std::mt19937 &rng, std::size_t size) {
  std::string text(size, ' ');
  for (char &c : text) {
    const auto r = rng() % 100;
    if (r < 60)
      c = static_cast<char>(0xC0 + rng() % 64);
    else if (r < 80)
      c = static_cast<char>('a' + rng() % 26);
    else if (r < 95)
      c = ' ';
    else
      c = '\n';
  }
  return text;
}

std::string recoded(const std::string &text, engine::CodePage from,
                    engine::CodePage to) {
  const engine::RecodeMap map = engine::makeRecodeMap(from, to);
  std::string out = text;
  for (char &c : out)
    c = static_cast<char>(map[static_cast<unsigned char>(c)]);
  return out;
}

std::string upper(const std::string &text) {
  std::string out = text;
  for (char &c : out) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 'a' && b <= 'z')
      c = static_cast<char>(b - 32);
    else if (b >= 0xE0)
      c = static_cast<char>(b - 32);
  }
  return out;
}

// Eight or more runs at once over files in one directory, started from
// that directory and from another one that all of them share: every file
// is recoded exactly, and nothing else is left. With one temporary name in
// the current directory most of them lost their file to another's.
TEST(CliProcesses, RegressionManyRunsAtOnceEachFileExact) {
  constexpr int kRuns = 10;
  constexpr int kRounds = 3;
  std::mt19937 rng(99);
  for (const bool fromFilesDirectory : {true, false}) {
    for (int round = 0; round < kRounds; ++round) {
      test::TempDir dir;
      dir.mkdir("files");
      dir.mkdir("cwd");
      std::vector<std::string> texts;
      for (int i = 0; i < kRuns; ++i) {
        texts.push_back(
            randomText(rng, static_cast<std::size_t>(150000 + 1000 * i)));
        dir.write("files/a" + std::to_string(i) + ".txt", texts.back());
        dir.chmod("files/a" + std::to_string(i) + ".txt", i % 2 ? 0444 : 0640);
      }
      const std::string cwd =
          fromFilesDirectory ? dir.file("files") : dir.file("cwd");
      std::vector<pid_t> pids;
      for (int i = 0; i < kRuns; ++i) {
        const std::string name =
            (fromFilesDirectory ? "" : dir.file("files") + "/") + "a" +
            std::to_string(i) + ".txt";
        pids.push_back(spawnCli({"--from", "win", "--to", "koi", name}, cwd));
      }
      for (pid_t pid : pids)
        EXPECT_EQ(waitFor(pid), 0);
      std::vector<std::string> expectedNames;
      for (int i = 0; i < kRuns; ++i) {
        const std::string name = "a" + std::to_string(i) + ".txt";
        expectedNames.push_back(name);
        EXPECT_TRUE(dir.read("files/" + name) ==
                    recoded(texts[static_cast<std::size_t>(i)],
                            engine::CodePage::Win, engine::CodePage::Koi))
            << name << " (round " << round << ", from "
            << (fromFilesDirectory ? "its directory" : "elsewhere") << ")";
        EXPECT_EQ(dir.mode("files/" + name), i % 2 ? 0444 : 0640) << name;
      }
      std::sort(expectedNames.begin(), expectedNames.end());
      EXPECT_EQ(dir.names("files"), expectedNames);
      EXPECT_TRUE(dir.names("cwd").empty());
    }
  }
}

// Whether the file system of `dir` makes unnamed files (the save's
// temporary file has no name until it is complete).
bool makesUnnamedFiles(const test::TempDir &dir) {
  const int fd = ::open(dir.path().c_str(), O_TMPFILE | O_WRONLY, 0600);
  if (fd < 0)
    return false;
  ::close(fd);
  return true;
}

bool isRename(const test::SystemCall &call) {
  return call.number == SYS_rename || call.number == SYS_renameat ||
         call.number == SYS_renameat2;
}

// A run killed at any point leaves its file whole, old or new, with its
// mode, and nothing beside it but our temporary name: killed before a chosen
// system call, from its first write to its exit. Up to the rename the file is
// the old one; from then on the new one.
TEST(CliProcesses, AKilledRunLeavesTheOldOrTheNewFile) {
  std::mt19937 rng(5);
  const std::string old = randomText(rng, (3u << 20) + 123);
  const std::string now = upper(old);
  using test::SystemCall;
  using test::WrittenBytes;
  struct Case {
    const char *before;
    // Asked before each call the run makes, with the bytes it has written
    // so far: true kills it there.
    std::function<bool(const SystemCall &, const WrittenBytes &)> stopAt;
    bool replaced;    // the new content is in place
    bool named;       // the temporary file may have a name by then
    bool unnamedOnly; // only a save through an unnamed file makes the call
  };
  bool renamed = false;
  const std::vector<Case> cases = {
      {"its first write",
       [](const SystemCall &c, const WrittenBytes &) {
         return WrittenBytes::isFileWrite(c);
       },
       false, false, false},
      {"its second write",
       [](const SystemCall &c, const WrittenBytes &w) {
         return WrittenBytes::isFileWrite(c) && w.total() > 0;
       },
       false, false, false},
      {"the write after 1 MiB",
       [](const SystemCall &c, const WrittenBytes &w) {
         return WrittenBytes::isFileWrite(c) && w.total() >= (1u << 20);
       },
       false, false, false},
      {"its last write",
       [&old](const SystemCall &c, const WrittenBytes &w) {
         return WrittenBytes::isFileWrite(c) &&
                w.total() + c.args[2] >= old.size();
       },
       false, false, false},
      {"the temporary file's flush",
       [](const SystemCall &c, const WrittenBytes &w) {
         return (c.number == SYS_fsync || c.number == SYS_fdatasync) &&
                w.total() > 0;
       },
       false, false, false},
      {"the temporary file gets its name",
       [](const SystemCall &c, const WrittenBytes &) {
         return c.number == SYS_link || c.number == SYS_linkat;
       },
       false, false, true},
      {"the rename",
       [](const SystemCall &c, const WrittenBytes &) { return isRename(c); },
       false, true, false},
      {"the first call after the rename",
       [&renamed](const SystemCall &c, const WrittenBytes &) {
         if (renamed)
           return true;
         renamed = isRename(c);
         return false;
       },
       // After an exchange the old content bears our temporary name until
       // it is removed.
       true, true, false},
      {"its exit",
       [](const SystemCall &c, const WrittenBytes &) {
         return c.number == SYS_exit_group;
       },
       true, false, false},
  };
  for (const Case &c : cases) {
    test::TempDir dir;
    const bool unnamed = makesUnnamedFiles(dir);
    if (c.unnamedOnly && !unnamed)
      continue;
    renamed = false;
    dir.write("big.txt", old);
    dir.chmod("big.txt", 0444);
    // Named Windows-1251: the random bytes' detected page plays no part.
    test::TracedProcess run(
        SNPLN_CLI_BINARY, {"--from", "win", "--upper", "big.txt"}, dir.path());
    ASSERT_TRUE(run.started()) << run.error();
    WrittenBytes written;
    const bool stopped = run.runUntil([&](const SystemCall &call) {
      if (c.stopAt(call, written))
        return true;
      written.add(call);
      return false;
    });
    ASSERT_TRUE(stopped) << "the run ended (status " << run.status()
                         << ") before " << c.before;
    EXPECT_EQ(run.kill(), 128 + SIGKILL) << c.before;
    const std::string after = dir.read("big.txt");
    EXPECT_TRUE(after == (c.replaced ? now : old))
        << "killed before " << c.before << " (" << written.total()
        << " bytes written): " << after.size() << " bytes, not the "
        << (c.replaced ? "new" : "old") << " content";
    EXPECT_EQ(dir.mode("big.txt"), 0444) << c.before;
    if (unnamed && !c.named) {
      EXPECT_EQ(dir.names(), std::vector<std::string>{"big.txt"})
          << "killed before " << c.before;
    } else {
      // A temporary file with a name stays after a kill; it bears our
      // name, which the walk passes over.
      for (const std::string &name : dir.names())
        EXPECT_TRUE(name == "big.txt" || platform::isTemporaryName(name))
            << name << ", killed before " << c.before;
    }
  }
}

// The same at each step of the commit, reached through the file system's
// seam in a child process that kills itself there, with the exchange and
// where the file system has none (the rename instead). What a kill leaves
// besides the file is one of our temporary names: the new content before
// the swap, the old content after it.
TEST(CliProcesses, AKillAtEachStepOfTheCommit) {
  using Step = platform::PosixFileSystem::CommitStep;
  struct Case {
    Step step;
    bool replaced; // whether the new content is in place at that step
    bool exchangeOnly, renameOnly;
  };
  const std::string oldText = "some old text\n", newText = "SOME OLD TEXT\n";
  for (const bool exchange : {true, false})
    for (const bool unnamed : {true, false})
      for (const Case c : {Case{Step::Attributes, false, false, false},
                           Case{Step::Flush, false, false, false},
                           Case{Step::Link, false, false, false},
                           Case{Step::Check, false, false, false},
                           Case{Step::Exchange, false, false, false},
                           Case{Step::Rename, false, false, true},
                           Case{Step::Unlink, true, true, false},
                           Case{Step::DirectoryFlush, true, false, false}}) {
        if ((c.step == Step::Link && !unnamed) ||
            (c.exchangeOnly && !exchange) || (c.renameOnly && exchange))
          continue;
        const std::string where = "step " +
                                  std::to_string(static_cast<int>(c.step)) +
                                  (unnamed ? " unnamed" : " named") +
                                  (exchange ? " exchange" : " rename");
        test::TempDir dir;
        dir.write("f.txt", oldText);
        dir.chmod("f.txt", 0440);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
          platform::PosixFileSystem fs;
          fs.unnamedTemporaryFiles = unnamed;
          fs.exchangeRefused = !exchange;
          fs.commitCheck = [&](Step s) {
            if (s == c.step)
              ::raise(SIGKILL);
            return true;
          };
          test::FileRequest r;
          r.location = dir.file("f.txt");
          test::runRequest(r, 8192, fs);
          ::_exit(0);
        }
        EXPECT_EQ(waitFor(pid), 128 + SIGKILL) << where;
        EXPECT_EQ(dir.read("f.txt"), c.replaced ? newText : oldText) << where;
        EXPECT_EQ(dir.mode("f.txt"), 0440) << where;
        std::vector<std::string> left;
        for (const std::string &name : dir.names())
          if (name != "f.txt")
            left.push_back(name);
        if (unnamed && (c.step == Step::Attributes || c.step == Step::Flush ||
                        c.step == Step::Link)) {
          // Before it is linked in, an unnamed file leaves nothing.
          EXPECT_TRUE(left.empty()) << where;
        } else if (c.step == Step::DirectoryFlush) {
          EXPECT_TRUE(left.empty()) << where;
        } else {
          // A named temporary file (or one linked in just before the swap)
          // stays after a kill, under our name, which the walk passes over:
          // with the new content before the swap, the old one after it.
          ASSERT_EQ(left.size(), 1u) << where;
          EXPECT_TRUE(platform::isTemporaryName(left[0])) << left[0];
          EXPECT_EQ(dir.read(left[0]), c.replaced ? oldText : newText) << where;
          // It bears the file's mode from the moment the mode is given.
          if (c.step != Step::Attributes) {
            EXPECT_EQ(dir.mode(left[0]), 0440) << where;
          }
        }
      }
}

// A kill at the run's flush of a directory, which it makes once for the
// jobs that renamed their files there: each file has its whole new
// content and its mode, and nothing else is left in the directory.
TEST(CliProcesses, AKillAtTheRunsBatchedDirectoryFlush) {
  using Step = platform::PosixFileSystem::CommitStep;
  for (const int workers : {1, 3}) {
    const std::string where = "workers " + std::to_string(workers);
    test::TempDir dir;
    dir.mkdir("t");
    for (int i = 0; i < 5; ++i) {
      const std::string name = "t/f" + std::to_string(i) + ".txt";
      dir.write(name, "some old text\n");
      dir.chmod(name, 0440);
    }
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      platform::PosixFileSystem fs;
      fs.commitCheck = [](Step s) {
        if (s == Step::DirectoryFlush)
          ::raise(SIGKILL);
        return true;
      };
      batch::RunPlan plan;
      plan.operations = {job::OperationCode::UpperCase};
      plan.names = {dir.file("t")};
      plan.masks = {"*.*"};
      plan.workers = workers;
      batch::RunObserver quiet;
      batch::PlainJobRunner runner(fs);
      batch::runBatch(plan, quiet, runner, fs);
      ::_exit(0);
    }
    EXPECT_EQ(waitFor(pid), 128 + SIGKILL) << where;
    for (int i = 0; i < 5; ++i) {
      const std::string name = "t/f" + std::to_string(i) + ".txt";
      EXPECT_EQ(dir.read(name), "SOME OLD TEXT\n") << where << " " << name;
      EXPECT_EQ(dir.mode(name), 0440) << where << " " << name;
    }
    EXPECT_EQ(dir.names("t").size(), 5u) << where;
    EXPECT_FALSE(dir.holdsTemporaryFile("t")) << where;
  }
}

// SIGTERM, SIGHUP and SIGINT cancel the file being rewritten and stop the
// run: the exit status tells which; the files done before stay done, the
// one under way and those after it stay as they were; nothing is left. The
// signal comes halfway through the second file, as the run is about to
// write.
TEST(CliProcesses, SignalsEndTheRunLikeCtrlC) {
  constexpr int kFiles = 60;
  std::mt19937 rng(11);
  const std::string old = randomText(rng, 1u << 20);
  const std::string now = upper(old);
  for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
    test::TempDir dir;
    // Named Windows-1251: the random bytes' detected page plays no part.
    std::vector<std::string> args{"-j", "1", "--from", "win", "--upper"};
    for (int i = 0; i < kFiles; ++i) {
      const std::string name = "f" + std::to_string(100 + i) + ".txt";
      dir.write(name, old);
      args.push_back(name);
    }
    test::TracedProcess run(SNPLN_CLI_BINARY, args, dir.path());
    ASSERT_TRUE(run.started()) << run.error();
    test::WrittenBytes written;
    const std::uint64_t halfway = old.size() + old.size() / 2;
    const bool stopped = run.runUntil([&](const test::SystemCall &call) {
      if (test::WrittenBytes::isFileWrite(call) && written.total() >= halfway)
        return true;
      written.add(call);
      return false;
    });
    ASSERT_TRUE(stopped) << "the run ended first, status " << run.status();
    EXPECT_EQ(run.signalAndFinish(signal), 128 + signal) << strsignal(signal);
    for (int i = 0; i < kFiles; ++i) {
      const std::string content =
          dir.read("f" + std::to_string(100 + i) + ".txt");
      EXPECT_TRUE(content == (i == 0 ? now : old))
          << "f" << 100 + i << ".txt after " << strsignal(signal) << ": "
          << (content == now   ? "the new content"
              : content == old ? "the old content"
                               : "neither");
    }
    EXPECT_FALSE(dir.holdsTemporaryFile()) << strsignal(signal);
    EXPECT_EQ(dir.names().size(), static_cast<std::size_t>(kFiles));
  }
}

// Runs `program` with `args` in `cwd`, `input` written into its standard
// input through a pipe; its standard output and error are kept in files.
struct Ran {
  int status = -1;
  std::string out, err;
};
Ran runPiped(const std::string &program, const std::vector<std::string> &args,
             const std::string &input, const test::TempDir &cwd) {
  std::vector<std::string> all{program};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char *> argv;
  for (auto &a : all)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0)
    return {};
  const std::string out = cwd.file(".out"), err = cwd.file(".err");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[0], 0);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addchdir_np(&actions, cwd.path().c_str());
  pid_t pid = -1;
  const int rc =
      posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeEnds[0]);
  EXPECT_EQ(rc, 0) << "cannot start " << argv[0];
  std::size_t sent = 0;
  while (rc == 0 && sent < input.size()) {
    const ssize_t n =
        ::write(pipeEnds[1], input.data() + sent, input.size() - sent);
    if (n <= 0)
      break;
    sent += static_cast<std::size_t>(n);
  }
  ::close(pipeEnds[1]);
  Ran ran;
  ran.status = rc == 0 ? waitFor(pid) : -1;
  ran.out = cwd.read(".out");
  ran.err = cwd.read(".err");
  ::unlink(out.c_str());
  ::unlink(err.c_str());
  return ran;
}

// `cat old.txt | snpln-cli -t win - > new.txt`: through a real pipe, the
// bytes the same run leaves in a file in place, large enough to need many
// reads and many slices.
TEST(CliProcesses, StandardInputThroughAPipeEqualsTheInPlaceResult) {
  std::mt19937 rng(5);
  const std::string text = recoded(
      randomText(rng, 3u << 20), engine::CodePage::Win, engine::CodePage::Dos);
  for (const std::vector<std::string> &options :
       {std::vector<std::string>{"-t", "win"},
        std::vector<std::string>{"-t", "utf8", "--upper", "--optimize"}}) {
    test::TempDir dir;
    dir.write("f.txt", text);
    std::vector<std::string> args = options;
    args.push_back("f.txt");
    const Ran inPlace = runPiped(SNPLN_CLI_BINARY, args, "", dir);
    ASSERT_EQ(inPlace.status, 0) << inPlace.err;
    args.back() = "-";
    const Ran piped = runPiped(SNPLN_CLI_BINARY, args, text, dir);
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_TRUE(piped.out == dir.read("f.txt"))
        << piped.out.size() << " bytes against " << dir.read("f.txt").size();
    EXPECT_NE(piped.out, text);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"f.txt"});
  }
}

// Lines of random text (no CR or LF inside) joined by `end`, the last one
// with or without its end.
std::string uniformLines(std::mt19937 &rng, const std::string &end,
                         bool lastEnded) {
  std::string text;
  const std::size_t lines = 2000 + rng() % 100;
  for (std::size_t i = 0; i < lines; ++i) {
    std::string line = randomText(rng, rng() % 90);
    for (char &c : line)
      if (c == '\n')
        c = '\t';
    text += line;
    if (i + 1 < lines || lastEnded)
      text += end;
  }
  return text;
}

// On files whose line ends are all CR LF or all LF, --line-ends gives what
// dos2unix and unix2dos give (installed from the archive for the tests).
TEST(CliProcesses, LineEndsEqualDos2unixAndUnix2dosOnUniformFiles) {
  for (const char *tool : {"/usr/bin/dos2unix", "/usr/bin/unix2dos"})
    ASSERT_EQ(::access(tool, X_OK), 0)
        << tool << " is missing: make deps installs it";
  std::mt19937 rng(13);
  struct Case {
    const char *tool;
    const char *ourEnd;
    const char *endRead;
  };
  for (const Case &c : {Case{"/usr/bin/dos2unix", "lf", "\r\n"},
                        Case{"/usr/bin/unix2dos", "crlf", "\n"}}) {
    for (const bool lastEnded : {true, false}) {
      SCOPED_TRACE(std::string(c.tool) + (lastEnded ? " ended" : " open"));
      test::TempDir dir;
      const std::string text = uniformLines(rng, c.endRead, lastEnded);
      dir.write("ours.txt", text);
      dir.write("theirs.txt", text);
      const Ran ours =
          runPiped(SNPLN_CLI_BINARY,
                   {"-q", "--line-ends", c.ourEnd, "ours.txt"}, "", dir);
      ASSERT_EQ(ours.status, 0) << ours.err;
      const Ran theirs = runPiped(c.tool, {"-q", "theirs.txt"}, "", dir);
      ASSERT_EQ(theirs.status, 0) << theirs.err;
      const std::string a = dir.read("ours.txt"), b = dir.read("theirs.txt");
      EXPECT_NE(a, text);
      EXPECT_TRUE(a == b) << a.size() << " bytes against " << b.size()
                          << " from " << c.tool;
    }
  }
}

#ifdef SNPLN_UI_BINARY
// The window's program answers --help and --version as its one argument
// without opening a window (it would wait for a display otherwise).
TEST(CliProcesses, TheWindowsProgramPrintsHelpAndVersion) {
  test::TempDir dir;
  const Ran version = runPiped(SNPLN_UI_BINARY, {"--version"}, "", dir);
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("snpln ", 0), 0u) << version.out;
  const Ran help = runPiped(SNPLN_UI_BINARY, {"--help"}, "", dir);
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Usage: snpln [QT-OPTION]... [NAME]..."),
            std::string::npos)
      << help.out;
  // Qt's options are listed, and how to name a file that looks like one.
  for (const char *said : {"./--help", "./-style", "  -stylesheet FILE",
                           "  -qwindowgeometry", "  -platform", "  --  "})
    EXPECT_NE(help.out.find(said), std::string::npos) << said;
}
#endif

} // namespace
} // namespace snpln
