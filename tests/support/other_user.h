// Work done as another user, and a watch on files that must not be touched.
//
// runAsOtherUser() forks, and in the child drops every privilege to the
// user and group 65534 (nobody) before it runs `work`: so a test that runs
// as root sees what an unprivileged user would (a read-only directory, a
// file of another user). The child's two streams come back as strings.
// Without root there is no other user to become: the work then runs in a
// child as the test's own user (asOther is false), which a test uses for
// the cases that need no other user.
//
// FileWatch reports every open, read, write, change of status, creation or
// removal inotify sees on the files and directories it is given.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include <sys/types.h>

namespace snpln::test {

inline constexpr uid_t kOtherUser = 65534;
inline constexpr gid_t kOtherGroup = 65534;

// Whether the tests run as root (and so can act as another user).
bool canActAsOtherUser();

struct ChildOutcome {
  int status = -1; // the exit status, or 128 + the signal that ended it
  std::string out, err;
  bool asOther = false;
};

ChildOutcome
runAsOtherUser(const std::function<int(std::ostream &, std::ostream &)> &work);

// Starts a child process that runs `loop` (as the other user when the tests
// run as root) until stopKid() ends it with SIGKILL.
pid_t startKid(const std::function<void()> &loop);
void stopKid(pid_t pid);

class FileWatch {
public:
  FileWatch();
  ~FileWatch();
  FileWatch(const FileWatch &) = delete;
  FileWatch &operator=(const FileWatch &) = delete;

  // Watches `path` (a file, or a directory and what happens in it).
  void add(const std::string &path);
  // What happened since the last call, one line per event ("open victim",
  // "create x"), in order.
  std::vector<std::string> events();

private:
  int fd_;
  std::vector<std::pair<int, std::string>> watched_;
};

} // namespace snpln::test
