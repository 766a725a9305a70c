// A program run under ptrace, so that a test acts on it at an exact point
// of its work instead of after some time: the process stops before each of
// its system calls, the test looks at the call and decides to let it run
// on, to kill the process right there (the call not made), or to send it a
// signal and let it run on untraced to its end. Every thread of the process
// is followed. While it runs, the test has no other child process to wait
// for. Linux only.
#pragma once

#include <sys/types.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace snpln::test {

// A system call a traced process is about to make.
struct SystemCall {
  std::uint64_t number = 0; // SYS_write, SYS_renameat, ...
  std::array<std::uint64_t, 6> args{};
};

class TracedProcess {
public:
  // Starts `program` with `args` in `cwd`, its standard input, output and
  // error on /dev/null and `environment` added to this process's; it is
  // stopped once its program is loaded, before its first system call.
  TracedProcess(const std::string &program,
                const std::vector<std::string> &args, const std::string &cwd,
                const std::vector<std::string> &environment = {});
  // Kills and reaps a process still running.
  ~TracedProcess();
  TracedProcess(const TracedProcess &) = delete;
  TracedProcess &operator=(const TracedProcess &) = delete;

  // Whether the program was started and stopped as described.
  bool started() const { return pid_ > 0 && error_.empty(); }
  // What went wrong with the tracing, empty when nothing did.
  const std::string &error() const { return error_; }

  // Lets the process run until `stopAt` answers true for a call it is about
  // to make: true, with the process stopped before that call. False when
  // the process ended first (its status then comes from status()).
  bool runUntil(const std::function<bool(const SystemCall &)> &stopAt);

  // Kills the process where it stands and reaps it: 128 + SIGKILL.
  int kill();
  // Sends `signal` to the process stopped by runUntil() (the call it stopped
  // before is then made), lets it run on untraced and reaps it: its exit
  // status, or 128 + the signal that ended it.
  int signalAndFinish(int signal);
  // The same without a signal.
  int finish() { return signalAndFinish(0); }

  // The exit status once the process has ended (128 + the signal that ended
  // it), -1 before.
  int status() const { return status_; }

private:
  // Resumes every stopped thread the way `request` says.
  void resumeStopped(int request);
  void fail(const std::string &what);

  pid_t pid_ = -1;
  int status_ = -1;
  std::string error_;
  // The threads followed, and which of them are stopped.
  std::vector<pid_t> threads_, stopped_;
};

// Counts the bytes a traced process asks to write to descriptors above 2
// (its files, not its standard streams) through write and pwrite64.
class WrittenBytes {
public:
  // Whether `call` writes to a file.
  static bool isFileWrite(const SystemCall &call);
  // Counts the bytes of `call` when it writes to a file.
  void add(const SystemCall &call);
  std::uint64_t total() const { return total_; }

private:
  std::uint64_t total_ = 0;
};

} // namespace snpln::test
