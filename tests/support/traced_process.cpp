#include "tests/support/traced_process.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace snpln::test {

namespace {

int exitStatusOf(int status) {
  return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

void drop(std::vector<pid_t> &list, pid_t tid) {
  list.erase(std::remove(list.begin(), list.end(), tid), list.end());
}

bool holds(const std::vector<pid_t> &list, pid_t tid) {
  return std::find(list.begin(), list.end(), tid) != list.end();
}

} // namespace

TracedProcess::TracedProcess(const std::string &program,
                             const std::vector<std::string> &args,
                             const std::string &cwd,
                             const std::vector<std::string> &environment) {
  // Everything the child needs is made before the fork: after it, the
  // child makes only async-signal-safe calls.
  std::vector<std::string> argStrings{program};
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  std::vector<char *> argv;
  for (std::string &a : argStrings)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> envStrings(environment);
  std::vector<char *> envp;
  for (std::string &e : envStrings)
    envp.push_back(e.data());
  for (char **e = environ; *e; ++e)
    envp.push_back(*e);
  envp.push_back(nullptr);

  pid_ = ::fork();
  if (pid_ < 0) {
    fail("fork");
    return;
  }
  if (pid_ == 0) {
    const int null = ::open("/dev/null", O_RDWR);
    if (null < 0 || ::dup2(null, 0) < 0 || ::dup2(null, 1) < 0 ||
        ::dup2(null, 2) < 0 || ::chdir(cwd.c_str()) != 0 ||
        ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0)
      ::_exit(126);
    ::raise(SIGSTOP);
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
  int status = 0;
  if (::waitpid(pid_, &status, 0) != pid_ || !WIFSTOPPED(status) ||
      WSTOPSIG(status) != SIGSTOP) {
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    fail("the child did not stop before its program");
    return;
  }
  const long options = PTRACE_O_TRACESYSGOOD | PTRACE_O_TRACEEXEC |
                       PTRACE_O_TRACECLONE | PTRACE_O_EXITKILL;
  if (::ptrace(PTRACE_SETOPTIONS, pid_, nullptr, options) != 0 ||
      ::ptrace(PTRACE_CONT, pid_, nullptr, nullptr) != 0) {
    fail("ptrace options");
    return;
  }
  // Up to the program's start; the child's own calls before it are not
  // shown.
  if (::waitpid(pid_, &status, 0) != pid_ || !WIFSTOPPED(status) ||
      status >> 8 != (SIGTRAP | (PTRACE_EVENT_EXEC << 8))) {
    if (WIFEXITED(status) || WIFSIGNALED(status)) {
      status_ = exitStatusOf(status);
      pid_ = -1;
    }
    fail("the program did not start: " + program);
    return;
  }
  threads_ = {pid_};
  stopped_ = {pid_};
}

TracedProcess::~TracedProcess() {
  if (pid_ > 0 && status_ < 0)
    kill();
}

void TracedProcess::fail(const std::string &what) {
  if (error_.empty())
    error_ = what + (errno ? std::string(": ") + std::strerror(errno) : "");
}

void TracedProcess::resumeStopped(int request) {
  for (const pid_t tid : stopped_)
    (void)::ptrace(static_cast<__ptrace_request>(request), tid, nullptr,
                   nullptr);
  stopped_.clear();
}

bool TracedProcess::runUntil(
    const std::function<bool(const SystemCall &)> &stopAt) {
  if (!started() || status_ >= 0)
    return false;
  resumeStopped(PTRACE_SYSCALL);
  for (;;) {
    int status = 0;
    const pid_t tid = ::waitpid(-1, &status, __WALL);
    if (tid < 0) {
      fail("waitpid");
      return false;
    }
    if (WIFEXITED(status) || WIFSIGNALED(status)) {
      drop(threads_, tid);
      if (tid == pid_) {
        // The leader is reported after every other thread.
        status_ = exitStatusOf(status);
        return false;
      }
      continue;
    }
    if (!WIFSTOPPED(status))
      continue;
    if (!holds(threads_, tid))
      threads_.push_back(tid); // a new thread, traced from its start
    const int signal = WSTOPSIG(status);
    int inject = 0;
    if (signal == (SIGTRAP | 0x80)) {
      __ptrace_syscall_info info{};
      if (::ptrace(PTRACE_GET_SYSCALL_INFO, tid,
                   reinterpret_cast<void *>(sizeof info), &info) > 0 &&
          info.op == PTRACE_SYSCALL_INFO_ENTRY) {
        SystemCall call;
        call.number = info.entry.nr;
        std::copy(std::begin(info.entry.args), std::end(info.entry.args),
                  call.args.begin());
        if (stopAt(call)) {
          stopped_.push_back(tid);
          return true;
        }
      }
    } else if (signal == SIGTRAP && (status >> 16) != 0) {
      // A clone or exec event: nothing to pass on.
    } else if (signal == SIGSTOP && tid != pid_) {
      // The stop a new thread starts with.
    } else {
      inject = signal; // a signal for the program itself
    }
    (void)::ptrace(PTRACE_SYSCALL, tid, nullptr,
                   reinterpret_cast<void *>(static_cast<long>(inject)));
  }
}

int TracedProcess::kill() {
  if (pid_ <= 0 || status_ >= 0)
    return status_;
  ::kill(pid_, SIGKILL);
  for (;;) {
    int status = 0;
    const pid_t tid = ::waitpid(-1, &status, __WALL);
    if (tid < 0) {
      fail("waitpid");
      return status_;
    }
    if ((WIFEXITED(status) || WIFSIGNALED(status)) && tid == pid_) {
      status_ = exitStatusOf(status);
      threads_.clear();
      stopped_.clear();
      return status_;
    }
  }
}

int TracedProcess::signalAndFinish(int signal) {
  if (pid_ <= 0 || status_ >= 0)
    return status_;
  if (signal != 0)
    ::kill(pid_, signal);
  // Every thread leaves the trace: a stopped one now, a running one at its
  // next stop, taking a signal it stopped for along.
  for (const pid_t tid : stopped_) {
    (void)::ptrace(PTRACE_DETACH, tid, nullptr, nullptr);
    drop(threads_, tid);
  }
  stopped_.clear();
  while (!threads_.empty()) {
    int status = 0;
    const pid_t tid = ::waitpid(-1, &status, __WALL);
    if (tid < 0) {
      fail("waitpid");
      return status_;
    }
    if (WIFEXITED(status) || WIFSIGNALED(status)) {
      drop(threads_, tid);
      if (tid == pid_)
        status_ = exitStatusOf(status);
      continue;
    }
    if (!WIFSTOPPED(status))
      continue;
    const int stop = WSTOPSIG(status);
    const bool passOn = stop != (SIGTRAP | 0x80) &&
                        !(stop == SIGTRAP && (status >> 16) != 0) &&
                        !(stop == SIGSTOP && tid != pid_);
    (void)::ptrace(
        PTRACE_DETACH, tid, nullptr,
        reinterpret_cast<void *>(static_cast<long>(passOn ? stop : 0)));
    drop(threads_, tid);
  }
  if (status_ < 0) {
    int status = 0;
    if (::waitpid(pid_, &status, 0) == pid_)
      status_ = exitStatusOf(status);
    else
      fail("waitpid");
  }
  return status_;
}

bool WrittenBytes::isFileWrite(const SystemCall &call) {
  return (call.number == SYS_write || call.number == SYS_pwrite64) &&
         call.args[0] > 2;
}

void WrittenBytes::add(const SystemCall &call) {
  if (isFileWrite(call))
    total_ += call.args[2];
}

} // namespace snpln::test
