// snpln-cli's standard streams as a separate process gets them: closed, a
// directory, a full device, a pipe nobody reads. A stream that fails fails
// the run with the system's reason; the files are what the run made them.
#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cli/standard_streams.h"
#include "tests/support/temp_dir.h"

extern char **environ;

namespace snpln {
namespace {

// What a standard descriptor of the child is.
struct Stream {
  enum Kind { Capture, Closed, Open, ClosedPipe } kind = Capture;
  std::string path; // for Open
  int flags = 0;    // for Open
};

struct Outcome {
  int status; // the exit status, or 128 + the signal that ended it
  std::string out, err;
};

// "Привет, мир" in Windows-1251.
const std::string kHelloWin = "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0";

class CliStreams : public ::testing::Test {
protected:
  test::TempDir dir;

  Outcome run(const std::vector<std::string> &args, const Stream &in,
              const Stream &out, const Stream &err = {}) {
    std::vector<std::string> all{SNPLN_CLI_BINARY};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (auto &a : all)
      argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int pipeEnds[2] = {-1, -1};
    const Stream *streams[] = {&in, &out, &err};
    const std::string captured[] = {"", dir.file("out"), dir.file("err")};
    for (int fd = 0; fd < 3; ++fd) {
      const Stream &s = *streams[fd];
      switch (s.kind) {
      case Stream::Capture:
        if (fd == 0)
          posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY,
                                           0);
        else
          posix_spawn_file_actions_addopen(&actions, fd, captured[fd].c_str(),
                                           O_WRONLY | O_CREAT | O_TRUNC, 0644);
        break;
      case Stream::Closed:
        posix_spawn_file_actions_addclose(&actions, fd);
        break;
      case Stream::Open:
        posix_spawn_file_actions_addopen(&actions, fd, s.path.c_str(), s.flags,
                                         0);
        break;
      case Stream::ClosedPipe:
        // The write end, its reader already gone.
        EXPECT_EQ(::pipe(pipeEnds), 0);
        ::close(pipeEnds[0]);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], fd);
        break;
      }
    }
    posix_spawn_file_actions_addchdir_np(&actions, dir.path().c_str());
    // SIGPIPE as a shell leaves it, whatever this process does with it.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    const int rc =
        posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (pipeEnds[1] >= 0)
      ::close(pipeEnds[1]);
    EXPECT_EQ(rc, 0) << "cannot start " << argv[0];
    int status = 0;
    EXPECT_EQ(::waitpid(pid, &status, 0), pid);
    Outcome o{WIFSIGNALED(status) ? 128 + WTERMSIG(status)
                                  : WEXITSTATUS(status),
              "", ""};
    if (out.kind == Stream::Capture)
      o.out = dir.read("out");
    if (err.kind == Stream::Capture)
      o.err = dir.read("err");
    return o;
  }
};

const Stream kClosed{Stream::Closed, "", 0};
const Stream kCapture{};
const Stream kFull{Stream::Open, "/dev/full", O_WRONLY};

TEST_F(CliStreams, UnreadableStandardInputIsAReadError) {
  dir.mkdir("sub");
  const struct {
    const char *name;
    Stream in;
  } cases[] = {
      {"closed", kClosed},
      {"a directory", {Stream::Open, dir.file("sub"), O_RDONLY | O_DIRECTORY}},
  };
  for (const auto &c : cases) {
    for (const auto &options : std::vector<std::vector<std::string>>{
             {"--upper", "-"}, {"-d", "-"}, {"-t", "utf8", "-"}}) {
      const Outcome o = run(options, c.in, kCapture);
      EXPECT_EQ(o.status, 1) << c.name << ", " << options[0];
      EXPECT_EQ(o.out, "") << c.name;
      EXPECT_EQ(o.err, "-: Error reading file\n") << c.name;
    }
  }
}

TEST_F(CliStreams, AFullStandardOutputFailsTheRun) {
  dir.write("w.txt", kHelloWin);
  dir.write("in.txt", kHelloWin);
  const std::string full = "snpln-cli: write error: No space left on device\n";
  const struct {
    const char *name;
    std::vector<std::string> options;
    std::string fileAfter;
    std::string err;
  } cases[] = {
      {"detection report", {"-d", "w.txt"}, kHelloWin, full},
      {"dry run, verbose", {"-n", "-v", "-t", "koi", "w.txt"}, kHelloWin, full},
      // The file is rewritten; only its report is lost.
      {"success line",
       {"--from", "win", "--upper", "w.txt"},
       "\xCF\xD0\xC8\xC2\xC5\xD2, \xCC\xC8\xD0",
       full},
      // A filter's success is said only once its text is delivered: a
      // text that never arrived has only its write error.
      {"the text of standard input", {"--upper", "-"}, "", full},
  };
  for (const auto &c : cases) {
    dir.write("w.txt", kHelloWin);
    const Stream in{Stream::Open, dir.file("in.txt"), O_RDONLY};
    const Outcome o = run(c.options, in, kFull);
    EXPECT_EQ(o.status, 1) << c.name;
    EXPECT_EQ(o.err, c.err) << c.name;
    if (!c.fileAfter.empty()) {
      EXPECT_EQ(dir.read("w.txt"), c.fileAfter) << c.name;
    }
  }
  // A run that has nothing to say to standard output does not fail for it.
  const Outcome quiet = run({"-q", "--upper", "w.txt"}, kCapture, kFull);
  EXPECT_EQ(quiet.status, 0) << quiet.err;
  EXPECT_EQ(quiet.err, "");
}

TEST_F(CliStreams, AClosedStandardOutputFailsTheRunAsABadDescriptor) {
  dir.write("a.txt", kHelloWin);
  dir.write("b.txt", kHelloWin);
  const Outcome o = run({"-v", "--from", "win", "--lower", "a.txt", "b.txt"},
                        kCapture, kClosed);
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "snpln-cli: write error: Bad file descriptor\n");
  // Both files are rewritten, and no line meant for the terminal is in them.
  const std::string lower = "\xEF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0";
  EXPECT_EQ(dir.read("a.txt"), lower);
  EXPECT_EQ(dir.read("b.txt"), lower);
}

// As coreutils do: `snpln-cli -d tree | head` ends quietly when head has
// gone.
TEST_F(CliStreams, APipeNobodyReadsEndsTheRunSilentlyWithSigpipe) {
  dir.write("w.txt", kHelloWin);
  const Outcome o = run({"-d", "w.txt"}, kCapture, {Stream::ClosedPipe, "", 0});
  EXPECT_EQ(o.status, 128 + SIGPIPE);
  EXPECT_EQ(o.err, "");
}

// With all three standard descriptors closed, the files the run opens take
// none of their numbers, and the run still does its work.
TEST_F(CliStreams, ClosedStandardDescriptorsAreNoPlaceForFiles) {
  dir.write("a.txt", kHelloWin);
  dir.write("b.txt", kHelloWin);
  const Outcome o = run({"--from", "win", "--upper", "a.txt", "b.txt"}, kClosed,
                        kClosed, kClosed);
  // The success line went nowhere: standard output was closed.
  EXPECT_EQ(o.status, 1);
  const std::string upper = "\xCF\xD0\xC8\xC2\xC5\xD2, \xCC\xC8\xD0";
  EXPECT_EQ(dir.read("a.txt"), upper);
  EXPECT_EQ(dir.read("b.txt"), upper);
}

// In a child process, so that this one keeps its own descriptors.
TEST(StandardDescriptors, ClosedOnesAreOpenedOnDevNullAndReported) {
  struct stat null {};
  ASSERT_EQ(::stat("/dev/null", &null), 0);
  for (int closedFd = 0; closedFd <= 2; ++closedFd) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::close(closedFd);
      const cli::ClosedDescriptors closed =
          cli::openClosedStandardDescriptors();
      const bool flags[] = {closed.input, closed.output, closed.error};
      int bad = 0;
      for (int fd = 0; fd <= 2; ++fd) {
        struct stat st {};
        if (flags[fd] != (fd == closedFd))
          bad |= 1;
        if (::fstat(fd, &st) != 0)
          bad |= 2;
        else if (fd == closedFd && st.st_rdev != null.st_rdev)
          bad |= 4;
      }
      // The next file opened takes a number above the three.
      const int next = ::open("/dev/null", O_RDONLY);
      if (next <= 2)
        bad |= 8;
      ::_exit(bad);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "descriptor " << closedFd;
  }
}

} // namespace
} // namespace snpln
