#include "tests/support/other_user.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sstream>
#include <stdexcept>

#include <fcntl.h>
#include <grp.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

namespace snpln::test {

namespace {

// In a child: becomes the other user for good, or ends the child.
void becomeOtherUser() {
  if (!canActAsOtherUser())
    return;
  if (::setgroups(0, nullptr) != 0 ||
      ::setresgid(kOtherGroup, kOtherGroup, kOtherGroup) != 0 ||
      ::setresuid(kOtherUser, kOtherUser, kOtherUser) != 0)
    ::_exit(120);
}

bool writeAll(int fd, const std::string &bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

int waitStatus(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) != pid)
    if (errno != EINTR)
      return -1;
  if (WIFSIGNALED(status))
    return 128 + WTERMSIG(status);
  return WEXITSTATUS(status);
}

} // namespace

bool canActAsOtherUser() { return ::geteuid() == 0; }

ChildOutcome
runAsOtherUser(const std::function<int(std::ostream &, std::ostream &)> &work) {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0)
    throw std::runtime_error("pipe: " + std::string(std::strerror(errno)));
  const pid_t pid = ::fork();
  if (pid < 0)
    throw std::runtime_error("fork: " + std::string(std::strerror(errno)));
  if (pid == 0) {
    ::close(ends[0]);
    becomeOtherUser();
    std::ostringstream out, err;
    const int status = work(out, err);
    // The two texts, each after its length.
    const std::string o = out.str(), e = err.str();
    const std::string message = std::to_string(o.size()) + "\n" + o +
                                std::to_string(e.size()) + "\n" + e;
    ::_exit(writeAll(ends[1], message) ? status : 121);
  }
  ::close(ends[1]);
  std::string received;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(ends[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      break;
    received.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(ends[0]);
  ChildOutcome outcome;
  outcome.status = waitStatus(pid);
  outcome.asOther = canActAsOtherUser();
  std::size_t at = 0;
  for (std::string *text : {&outcome.out, &outcome.err}) {
    const std::size_t line = received.find('\n', at);
    if (line == std::string::npos)
      break;
    const std::size_t size = std::stoul(received.substr(at, line - at));
    *text = received.substr(line + 1, size);
    at = line + 1 + size;
  }
  return outcome;
}

pid_t startKid(const std::function<void()> &loop) {
  const pid_t pid = ::fork();
  if (pid < 0)
    throw std::runtime_error("fork: " + std::string(std::strerror(errno)));
  if (pid == 0) {
    becomeOtherUser();
    for (;;)
      loop();
  }
  return pid;
}

void stopKid(pid_t pid) {
  if (pid <= 0)
    return;
  ::kill(pid, SIGKILL);
  (void)waitStatus(pid);
}

FileWatch::FileWatch() : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
  if (fd_ < 0)
    throw std::runtime_error("inotify: " + std::string(std::strerror(errno)));
}

FileWatch::~FileWatch() { ::close(fd_); }

void FileWatch::add(const std::string &path) {
  const int wd = ::inotify_add_watch(
      fd_, path.c_str(),
      IN_OPEN | IN_ACCESS | IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE |
          IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DONT_FOLLOW);
  if (wd < 0)
    throw std::runtime_error("inotify_add_watch " + path + ": " +
                             std::strerror(errno));
  watched_.emplace_back(wd, path);
}

std::vector<std::string> FileWatch::events() {
  std::vector<std::string> seen;
  alignas(struct inotify_event) char buffer[16384];
  for (;;) {
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n <= 0)
      break;
    for (ssize_t at = 0; at < n;) {
      const auto *e =
          reinterpret_cast<const struct inotify_event *>(buffer + at);
      std::string what;
      if (e->mask & IN_OPEN)
        what = "open";
      else if (e->mask & IN_ACCESS)
        what = "read";
      else if (e->mask & (IN_MODIFY | IN_CLOSE_WRITE))
        what = "write";
      else if (e->mask & IN_ATTRIB)
        what = "status";
      else if (e->mask & (IN_CREATE | IN_MOVED_TO))
        what = "create";
      else if (e->mask & (IN_DELETE | IN_MOVED_FROM))
        what = "remove";
      else
        what = "other";
      std::string where;
      for (const auto &[wd, path] : watched_)
        if (wd == e->wd)
          where = path;
      if (e->len > 0)
        where += "/" + std::string(e->name);
      seen.push_back(what + " " + where);
      at += static_cast<ssize_t>(sizeof(struct inotify_event) + e->len);
    }
  }
  return seen;
}

} // namespace snpln::test
