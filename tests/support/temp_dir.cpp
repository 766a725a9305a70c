#include "tests/support/temp_dir.h"

#include "platform/file_system.h"

#include <stdexcept>

// The POSIX side (on Windows: temp_dir_windows.cpp).
#ifndef _WIN32

#include <algorithm>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_system.h"

#include <stdexcept>

namespace snpln::test {

namespace {

[[noreturn]] void fail(const std::string &what, const std::string &path) {
  throw std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

std::string systemTempDir() {
  const char *env = std::getenv("TMPDIR");
  std::string dir = (env != nullptr && *env != '\0') ? env : "/tmp";
  while (dir.size() > 1 && dir.back() == '/')
    dir.pop_back();
  return dir;
}

} // namespace

namespace {

// Removes the entry `name` of the directory `parent`, a directory with
// everything in it; links are removed, never followed.
bool removeAt(int parent, const std::string &name) {
  struct stat st;
  if (::fstatat(parent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
    return errno == ENOENT;
  if (!S_ISDIR(st.st_mode))
    return ::unlinkat(parent, name.c_str(), 0) == 0;
  ::fchmodat(parent, name.c_str(), (st.st_mode & 07777) | S_IRWXU, 0);
  const int fd = ::openat(parent, name.c_str(),
                          O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd >= 0) {
    std::vector<std::string> names;
    const int listFd = ::dup(fd);
    if (DIR *d = listFd >= 0 ? ::fdopendir(listFd) : nullptr) {
      while (const struct dirent *e = ::readdir(d)) {
        const std::string entry = e->d_name;
        if (entry != "." && entry != "..")
          names.push_back(entry);
      }
      ::closedir(d);
    } else if (listFd >= 0) {
      ::close(listFd);
    }
    for (const auto &entry : names)
      removeAt(fd, entry);
    ::close(fd);
  }
  return ::unlinkat(parent, name.c_str(), AT_REMOVEDIR) == 0;
}

} // namespace

bool removeTree(const std::string &path) { return removeAt(AT_FDCWD, path); }

void makeDeepTree(const std::string &root, const std::string &level, int levels,
                  const std::string &name, const std::string &content) {
  int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0)
    fail("open", root);
  for (int i = 0; i < levels; ++i) {
    if (::mkdirat(fd, level.c_str(), 0755) != 0 && errno != EEXIST) {
      ::close(fd);
      fail("mkdirat", level);
    }
    const int next =
        ::openat(fd, level.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::close(fd);
    if (next < 0)
      fail("openat", level);
    fd = next;
  }
  const int file = ::openat(fd, name.c_str(),
                            O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  ::close(fd);
  if (file < 0)
    fail("openat", name);
  const bool ok = ::write(file, content.data(), content.size()) ==
                  static_cast<ssize_t>(content.size());
  ::close(file);
  if (!ok)
    fail("write", name);
}

TempDir::TempDir(const std::string &base) {
  std::string dir = base.empty() ? systemTempDir() : base;
  std::string templ = dir + "/snpln-XXXXXX";
  std::vector<char> buf(templ.begin(), templ.end());
  buf.push_back('\0');
  if (::mkdtemp(buf.data()) == nullptr)
    fail("mkdtemp", templ);
  char *real = ::realpath(buf.data(), nullptr);
  if (real == nullptr) {
    path_ = buf.data();
  } else {
    path_ = real;
    std::free(real);
  }
}

TempDir::~TempDir() { removeTree(path_); }

std::string TempDir::file(const std::string &name) const {
  return path_ + "/" + name;
}

void TempDir::write(const std::string &name, const std::string &bytes) const {
  const std::string p = file(name);
  const int fd =
      ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0)
    fail("open", p);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0) {
      ::close(fd);
      fail("write", p);
    }
    done += static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0)
    fail("close", p);
}

std::string TempDir::read(const std::string &name) const {
  const std::string p = file(name);
  const int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    fail("open", p);
  std::string out;
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0) {
      ::close(fd);
      fail("read", p);
    }
    if (n == 0)
      break;
    out.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return out;
}

int TempDir::mode(const std::string &name) const {
  struct stat st;
  if (::stat(file(name).c_str(), &st) != 0)
    return -1;
  return static_cast<int>(st.st_mode & 07777);
}

bool TempDir::exists(const std::string &name) const {
  struct stat st;
  return ::lstat(file(name).c_str(), &st) == 0;
}

void TempDir::mkdir(const std::string &name, int mode) const {
  const std::string p = file(name);
  if (::mkdir(p.c_str(), static_cast<mode_t>(mode)) != 0)
    fail("mkdir", p);
  // mkdir applies the umask; the caller asked for exactly `mode`.
  if (::chmod(p.c_str(), static_cast<mode_t>(mode)) != 0)
    fail("chmod", p);
}

void TempDir::symlink(const std::string &target,
                      const std::string &name) const {
  const std::string p = file(name);
  if (::symlink(target.c_str(), p.c_str()) != 0)
    fail("symlink", p);
}

void TempDir::chmod(const std::string &name, int mode) const {
  const std::string p = file(name);
  if (::chmod(p.c_str(), static_cast<mode_t>(mode)) != 0)
    fail("chmod", p);
}

std::uint64_t TempDir::device() const {
  struct stat st;
  if (::stat(path_.c_str(), &st) != 0)
    fail("stat", path_);
  return static_cast<std::uint64_t>(st.st_dev);
}

ChangeDirectory::ChangeDirectory(const std::string &dir) {
  char *cwd = ::getcwd(nullptr, 0);
  if (cwd == nullptr)
    fail("getcwd", dir);
  previous_ = cwd;
  std::free(cwd);
  if (::chdir(dir.c_str()) != 0)
    fail("chdir", dir);
}

ChangeDirectory::~ChangeDirectory() { (void)::chdir(previous_.c_str()); }

} // namespace snpln::test

namespace snpln::test {

std::vector<std::string> TempDir::names(const std::string &sub) const {
  std::vector<std::string> out;
  const std::string where = sub.empty() ? path_ : file(sub);
  if (DIR *d = ::opendir(where.c_str())) {
    while (const struct dirent *e = ::readdir(d)) {
      const std::string name = e->d_name;
      if (name != "." && name != "..")
        out.push_back(name);
    }
    ::closedir(d);
  }
  std::sort(out.begin(), out.end());
  return out;
}

} // namespace snpln::test

#endif // _WIN32

namespace snpln::test {

bool TempDir::holdsTemporaryFile(const std::string &sub) const {
  for (const std::string &name : names(sub))
    if (platform::isTemporaryName(name))
      return true;
  return false;
}

} // namespace snpln::test

#include "tests/support/native_file_system.h"

namespace snpln::test {

bool linksAreSeen() {
  static const bool seen = [] {
    try {
      TempDir probe;
      probe.write("file", "x");
      probe.symlink("file", "link");
      NativeFileSystem fs;
      const auto word = fs.lookup(probe.file("link"));
      return word && (*word & platform::kAttrReparsePoint) != 0;
    } catch (const std::exception &) {
      return false;
    }
  }();
  return seen;
}

} // namespace snpln::test
