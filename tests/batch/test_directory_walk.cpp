#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "batch/directory_walk.h"
#include "job/file_run.h"
#include "platform/file_system.h"
#include "tests/support/native_file_system.h"
#include "tests/support/scripted_batch_host.h"
#include "tests/support/temp_dir.h"
#include "tests/support/walk_with_host.h"

namespace snpln::test {
namespace {

using batch::RunParameters;
using job::OperationCode;
using platform::DirEntry;
using Paths = std::vector<std::string>;

// The real file system with listings sorted by name, so that orders can be
// written down, and open directories counted; directories whose name (in
// their parent) is in `unreadable` cannot be opened.
class TestFileSystem : public test::NativeFileSystem {
public:
  std::set<std::string> unreadable;
  int openDirectories = 0;
  int listings = 0;

  class Counted : public platform::Directory {
  public:
    Counted(std::shared_ptr<const platform::Directory> wrapped, int &count)
        : inner(std::move(wrapped)), count_(count) {
      ++count_;
    }
    ~Counted() override { --count_; }
    platform::FileId id() const override { return inner->id(); }
    std::shared_ptr<const platform::Directory> inner;

  private:
    int &count_;
  };

  static platform::FileLocation unwrap(const platform::FileLocation &at) {
    if (const auto *c = dynamic_cast<const Counted *>(at.directory.get()))
      return platform::FileLocation(c->inner, at.name);
    return at;
  }

  std::unique_ptr<platform::InputFile>
  openRead(const platform::FileLocation &at) override {
    return NativeFileSystem::openRead(unwrap(at));
  }
  std::optional<platform::FileStatus>
  status(const platform::FileLocation &at) override {
    return NativeFileSystem::status(unwrap(at));
  }
  std::shared_ptr<const platform::Directory>
  openDirectory(const platform::FileLocation &at) override {
    std::string name = at.name;
    while (name.size() > 1 && name.back() == '/')
      name.pop_back();
    const std::string last = name.substr(name.rfind('/') + 1);
    if (unreadable.count(last))
      return nullptr;
    auto inner = NativeFileSystem::openDirectory(unwrap(at));
    if (!inner)
      return nullptr;
    return std::make_shared<Counted>(std::move(inner), openDirectories);
  }
  std::optional<std::vector<DirEntry>>
  listDirectory(const platform::Directory &d,
                const std::string &mask) override {
    ++listings;
    const auto *c = dynamic_cast<const Counted *>(&d);
    auto entries = NativeFileSystem::listDirectory(c ? *c->inner : d, mask);
    if (entries)
      std::sort(
          entries->begin(), entries->end(),
          [](const DirEntry &a, const DirEntry &b) { return a.name < b.name; });
    return entries;
  }
};

class DirectoryWalk : public ::testing::Test {
protected:
  DirectoryWalk() : cwd(dir.path()) {}

  batch::WalkOutcome walk(const std::string &top,
                          const std::string &mask = "*.*",
                          OperationCode op = OperationCode::UpperCase) {
    return snpln::test::walkWithHost(top, mask, op, params, host, fs, hooks);
  }
  void files(std::initializer_list<const char *> names) {
    for (const char *n : names)
      dir.write(n, "text\n");
  }

  TempDir dir;
  ChangeDirectory cwd; // relative paths, and the jobs' temporary file here
  TestFileSystem fs;
  RunParameters params;
  ScriptedBatchHost host;
  batch::WalkHooks hooks;
};

TEST_F(DirectoryWalk, PreOrderOwnFilesFirst) {
  dir.mkdir("a");
  dir.mkdir("a/b");
  dir.mkdir("a/b/c");
  dir.mkdir("a/d");
  files({"a/1", "a/2", "a/b/1", "a/b/c/1", "a/b/c/2", "a/d/1", "a/z"});
  EXPECT_EQ(batch::WalkOutcome::Done, walk("a"));
  EXPECT_EQ(
      (Paths{"a/1", "a/2", "a/z", "a/b/1", "a/b/c/1", "a/b/c/2", "a/d/1"}),
      host.jobPaths());
  EXPECT_EQ(0, fs.openDirectories);
}

TEST_F(DirectoryWalk, RequestCarriesOperationParametersAndDisplayName) {
  dir.mkdir("t");
  files({"t/x.txt"});
  params.searchText = "s";
  params.replaceText = "r";
  params.caseInsensitive = true;
  params.tabSize = 3;
  params.sourceCodePage = engine::CodePage::Koi;
  host.saveUpper = true;
  EXPECT_EQ(batch::WalkOutcome::Done,
            snpln::test::walkWithHost("t", "*.*", OperationCode::Replace,
                                      params, host, fs));
  ASSERT_EQ(1u, host.jobs.size());
  const auto &r = host.jobs[0];
  EXPECT_EQ(std::vector<OperationCode>{OperationCode::Replace}, r.operations);
  EXPECT_EQ("s", r.searchText);
  EXPECT_EQ("r", r.replaceText);
  EXPECT_EQ(1, r.caseInsensitive);
  EXPECT_EQ(3, r.tabSize);
  EXPECT_EQ(engine::CodePage::Koi, r.sourceCodePage);
  EXPECT_EQ("x.txt", r.displayName);
  EXPECT_EQ(1, r.saveUpper);
  EXPECT_EQ(1, host.refreshes);
}

TEST_F(DirectoryWalk, TrailingSeparatorGetsNoSecond) {
  dir.mkdir("t");
  files({"t/f"});
  walk("t/");
  EXPECT_EQ(Paths{"t/f"}, host.jobPaths());
}

TEST_F(DirectoryWalk, MaskSelectsFilesButSubdirectoriesAreStillEntered) {
  dir.mkdir("t");
  dir.mkdir("t/dir.txt");
  dir.mkdir("t/other");
  files({"t/a.txt", "t/b.doc", "t/dir.txt/in.txt", "t/other/A.TXT",
         "t/other/x.htm", "t/noext"});
  walk("t", "*.txt");
  EXPECT_EQ((Paths{"t/a.txt", "t/dir.txt/in.txt", "t/other/A.TXT"}),
            host.jobPaths());
  host.jobs.clear();
  walk("t", "*.*"); // every name, also names without a dot
  EXPECT_EQ(6u, host.jobs.size());
}

TEST_F(DirectoryWalk, EmptyDirectoryAndNoMatch) {
  dir.mkdir("e");
  EXPECT_EQ(batch::WalkOutcome::Done, walk("e"));
  dir.mkdir("e/s");
  files({"e/s/x.doc"});
  EXPECT_EQ(batch::WalkOutcome::Done, walk("e", "*.txt"));
  EXPECT_TRUE(host.jobs.empty());
}

// A read-only directory was taken for a file (and its files never reached),
// a link was handed to a job that followed it out of the tree, and ".git"
// became a job that failed. Every directory is entered now; links, FIFOs
// and dot names are passed over, each reported once.
TEST_F(DirectoryWalk, RegressionEveryDirectoryEnteredLinksAndDotNamesPassed) {
  SNPLN_SKIP_WITHOUT_LINKS();
  using batch::PassedOver;
  dir.mkdir("t");
  dir.mkdir("t/ro");
  dir.mkdir("t/.hid");
  dir.mkdir("t/.git");
  dir.mkdir("t/plain");
  dir.mkdir("t/plain/sub");
  files({"t/ro/f", "t/.hid/f", "t/.git/config", "t/plain/f", "t/.hfile",
         "t/plain/sub/.git"});
  dir.chmod("t/ro", 0555);
  dir.symlink("..", "t/plain/up"); // would loop forever if entered
  dir.symlink(dir.path() + "/t/plain", "t/link");
  dir.symlink(dir.path() + "/t/plain/f", "t/plain/tofile");
  dir.symlink("nowhere", "t/dangling.txt");
#ifndef _WIN32
  ASSERT_EQ(::mkfifo(dir.file("t/fifo").c_str(), 0644), 0);
#endif
  for (const char *mask : {"*.*", "*.txt"}) {
    SCOPED_TRACE(mask);
    host.jobs.clear();
    host.passed.clear();
    EXPECT_EQ(batch::WalkOutcome::Done, walk("t", mask));
    using Passed = std::vector<std::pair<std::string, PassedOver>>;
    if (std::string(mask) == "*.*") {
      EXPECT_EQ((Paths{"t/plain/f", "t/ro/f"}), host.jobPaths());
      EXPECT_EQ(host.passed,
                (Passed{{"t/.git", PassedOver::Hidden},
                        {"t/.hfile", PassedOver::Hidden},
                        {"t/.hid", PassedOver::Hidden},
                        {"t/dangling.txt", PassedOver::Link},
                        {"t/fifo", PassedOver::Special},
                        {"t/link", PassedOver::Link},
                        {"t/plain/tofile", PassedOver::Link},
                        {"t/plain/up", PassedOver::Link},
                        {"t/plain/sub/.git", PassedOver::Hidden}}));
    } else {
      // Links to directories and dot directories are reported whatever
      // the mask, as a directory would be entered whatever it.
      EXPECT_TRUE(host.jobs.empty());
      EXPECT_EQ(host.passed, (Passed{{"t/.git", PassedOver::Hidden},
                                     {"t/.hid", PassedOver::Hidden},
                                     {"t/dangling.txt", PassedOver::Link},
                                     {"t/link", PassedOver::Link},
                                     {"t/plain/up", PassedOver::Link}}));
    }
  }
  // Asked for, the dot names are taken like any other; links never are.
  host.jobs.clear();
  host.passed.clear();
  params.takeHidden = true;
  EXPECT_EQ(batch::WalkOutcome::Done, walk("t"));
  EXPECT_EQ((Paths{"t/.hfile", "t/.git/config", "t/.hid/f", "t/plain/f",
                   "t/plain/sub/.git", "t/ro/f"}),
            host.jobPaths());
  EXPECT_EQ(host.passed.size(), 5u);
}

// A second run with -b took the first run's backups as files (f.txt~ made
// f.txt~~), and two runs at once took each other's. A backup beside its
// file is passed over, with its numbered names, for the run's suffix or
// the default one; a name that only looks like one (no file of the name
// before the suffix) is a file like any other.
TEST_F(DirectoryWalk, RegressionBackupsBesideTheirFilesArePassedOver) {
  using batch::PassedOver;
  dir.mkdir("t");
  dir.mkdir("t/d");
  dir.mkdir("t/d~"); // a directory is no backup: entered
  files({"t/f.txt", "t/f.txt~", "t/f.txt.~1~", "t/f.txt.~12~", "t/f.txt.~01~",
         "t/alone.txt~", "t/g", "t/g.bak", "t/g.bak.3", "t/g.bak.x", "t/d~/f",
         "t/.h", "t/.h~"});
  struct Case {
    const char *suffix; // "": a run that keeps no backups
    Paths jobs;
    std::vector<std::string> backups;
  };
  const Case cases[] = {
      {"",
       {"t/alone.txt~", "t/f.txt", "t/f.txt.~01~", "t/g", "t/g.bak",
        "t/g.bak.3", "t/g.bak.x", "t/d~/f"},
       {"t/f.txt.~12~", "t/f.txt.~1~", "t/f.txt~"}},
      {"~",
       {"t/alone.txt~", "t/f.txt", "t/f.txt.~01~", "t/g", "t/g.bak",
        "t/g.bak.3", "t/g.bak.x", "t/d~/f"},
       {"t/f.txt.~12~", "t/f.txt.~1~", "t/f.txt~"}},
      {".bak",
       {"t/alone.txt~", "t/f.txt", "t/f.txt.~01~", "t/f.txt.~12~",
        "t/f.txt.~1~", "t/f.txt~", "t/g", "t/g.bak.x", "t/d~/f"},
       {"t/g.bak", "t/g.bak.3"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string("suffix \"") + c.suffix + "\"");
    host.jobs.clear();
    host.passed.clear();
    params.backupSuffix = c.suffix;
    EXPECT_EQ(batch::WalkOutcome::Done, walk("t"));
    Paths jobs = host.jobPaths();
    std::sort(jobs.begin(), jobs.end());
    Paths expected = c.jobs;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(jobs, expected);
    std::vector<std::string> backups;
    for (const auto &[path, why] : host.passed) {
      if (why == PassedOver::Backup)
        backups.push_back(path);
      else
        EXPECT_EQ(why, PassedOver::Hidden) << path;
    }
    std::sort(backups.begin(), backups.end());
    EXPECT_EQ(backups, c.backups);
  }
}

TEST_F(DirectoryWalk, PassedOverEntriesAreReportedOncePerPass) {
  SNPLN_SKIP_WITHOUT_LINKS();
  dir.mkdir("t");
  dir.symlink("nowhere", "t/a.txt");
  snpln::test::WalkPass pass;
  for (const char *mask : {"*.txt", "a.*", "*.*"})
    snpln::test::walkWithHost("t", mask, OperationCode::UpperCase, params, host,
                              fs, hooks, &pass);
  EXPECT_EQ(host.passed.size(), 1u);
}

TEST_F(DirectoryWalk, RegressionAReadOnlyDirectoryMatchingTheMaskIsEntered) {
  SNPLN_SKIP_ON_WINDOWS("POSIX permission bits");
  dir.mkdir("t");
  dir.mkdir("t/ro.txt");
  dir.write("t/ro.txt/in.txt", "abc\n");
  dir.chmod("t/ro.txt", 0555);
  host.realJobs = true;
  host.fs = &fs;
  EXPECT_EQ(batch::WalkOutcome::Done, walk("t", "*.txt"));
  EXPECT_EQ(Paths{"t/ro.txt/in.txt"}, host.jobPaths());
  EXPECT_EQ(0555, dir.mode("t/ro.txt"));
#ifndef _WIN32
  if (::geteuid() == 0) {
    // Root may write anywhere: the file is rewritten.
    EXPECT_TRUE(host.jobMessages.empty());
    EXPECT_EQ(dir.read("t/ro.txt/in.txt"), "ABC\n");
  }
#endif
}

TEST_F(DirectoryWalk, AnUnreadableDirectoryIsReportedAndTheWalkGoesOn) {
  dir.mkdir("t");
  dir.mkdir("t/a");
  dir.mkdir("t/a/deeper");
  dir.mkdir("t/b");
  files({"t/a/f", "t/a/deeper/f", "t/b/f", "t/f"});
  fs.unreadable = {"a"};
  snpln::test::WalkPass pass;
  EXPECT_EQ(batch::WalkOutcome::Done,
            snpln::test::walkWithHost("t", "*.*", OperationCode::UpperCase,
                                      params, host, fs, hooks, &pass));
  EXPECT_EQ((Paths{"t/f", "t/b/f"}), host.jobPaths());
  EXPECT_EQ(host.messages, (std::vector<std::pair<std::string, std::string>>{
                               {"t/a", "Error reading directory"}}));
  EXPECT_EQ(pass.unreadableDirectories, 1);
  EXPECT_EQ(0, fs.openDirectories);

  // The top directory itself.
  host.messages.clear();
  host.jobs.clear();
  fs.unreadable = {"t"};
  snpln::test::WalkPass other;
  EXPECT_EQ(batch::WalkOutcome::Done,
            snpln::test::walkWithHost("t/", "*.*", OperationCode::UpperCase,
                                      params, host, fs, hooks, &other));
  EXPECT_TRUE(host.jobs.empty());
  EXPECT_EQ(host.messages, (std::vector<std::pair<std::string, std::string>>{
                               {"t/", "Error reading directory"}}));
  EXPECT_EQ(other.unreadableDirectories, 1);
}

TEST_F(DirectoryWalk, AReadableTreeLeavesThePassUnmarked) {
  dir.mkdir("t");
  dir.mkdir("t/a");
  files({"t/a/f"});
  snpln::test::WalkPass pass;
  EXPECT_EQ(batch::WalkOutcome::Done,
            snpln::test::walkWithHost("t", "*.*", OperationCode::UpperCase,
                                      params, host, fs, hooks, &pass));
  EXPECT_EQ(pass.unreadableDirectories, 0);
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(DirectoryWalk, StopInTheThirdFileStopsEverything) {
  dir.mkdir("t");
  dir.mkdir("t/s");
  dir.mkdir("t/s/u");
  files({"t/1", "t/s/2", "t/s/u/3", "t/s/u/4", "t/s/5", "t/v"});
  host.jobResults = {job::JobResult::Done, job::JobResult::ReadFailed,
                     job::JobResult::Stop};
  EXPECT_EQ(batch::WalkOutcome::Stopped, walk("t"));
  EXPECT_EQ((Paths{"t/1", "t/v", "t/s/2"}), host.jobPaths());
  EXPECT_EQ(0, fs.openDirectories);
}

TEST_F(DirectoryWalk, OutOfMemoryClosesEveryListing) {
  dir.mkdir("t");
  dir.mkdir("t/a");
  dir.mkdir("t/a/b");
  dir.mkdir("t/a/b/c");
  files({"t/f", "t/a/f", "t/a/b/f", "t/a/b/c/f"});
  int allowed = 1;
  hooks.frameAllocationAllowed = [&] { return allowed-- > 0; };
  const batch::WalkOutcome result = walk("t");
  EXPECT_EQ(batch::WalkOutcome::OutOfMemory, result);
  // The second level's files ran before its frame was refused.
  EXPECT_EQ((Paths{"t/f", "t/a/f", "t/a/b/f"}), host.jobPaths());
  EXPECT_EQ(0, fs.openDirectories);
}

TEST_F(DirectoryWalk, RegressionMaskWithSeparatorNeverNamesAnotherFile) {
  // "sub/*.txt" lists sub's names; joined to the walked directory they
  // would name t/a.txt, a different file.
  dir.mkdir("t");
  dir.mkdir("t/sub");
  files({"t/a.txt", "t/sub/a.txt"});
  EXPECT_EQ(batch::WalkOutcome::Done, walk("t", "sub/*.txt"));
  EXPECT_TRUE(host.jobs.empty());
}

TEST_F(DirectoryWalk, TemporaryFilesAreNeverHandedToAJob) {
  params.takeHidden = true; // even when dot names are taken
  dir.mkdir("t");
  files({"t/a", "t/~sn$ln~.tmp", "t/.~sn$ln~Ab3dEf9hIj0L.tmp",
         "t/.~sn$ln~short.tmp"});
  walk("t");
  EXPECT_EQ((Paths{"t/.~sn$ln~short.tmp", "t/a"}), host.jobPaths());
}

TEST_F(DirectoryWalk, RegressionRewrittenFilesAreNotVisitedTwice) {
  // The jobs rewrite each file through a rename (a new inode) and create
  // their temporary file in the walked directory itself; a listing that
  // shows new entries must still give each file exactly one job.
  dir.mkdir("t");
  dir.mkdir("t/s");
  files({"t/a", "t/b", "t/c", "t/s/d"});
  host.realJobs = true;
  host.fs = &fs;
  params.searchText = "x";
  params.replaceText = "xx";
  for (const char *f : {"t/a", "t/b", "t/c", "t/s/d"})
    dir.write(f, "x\n");
  ChangeDirectory into(dir.file("t"));
  EXPECT_EQ(batch::WalkOutcome::Done,
            snpln::test::walkWithHost(".", "*.*", OperationCode::Replace,
                                      params, host, fs));
  EXPECT_EQ((Paths{"./a", "./b", "./c", "./s/d"}), host.jobPaths());
  for (const char *f : {"t/a", "t/b", "t/c", "t/s/d"})
    EXPECT_EQ("xx\n", dir.read(f)) << f;
  EXPECT_FALSE(dir.holdsTemporaryFile("t"));
  EXPECT_FALSE(dir.holdsTemporaryFile("t/s"));
}

TEST_F(DirectoryWalk, PathsBeyondAThousandBytesAreBuiltWhole) {
  SNPLN_SKIP_ON_WINDOWS("wine refuses the 1000-byte path the job is given");
  std::string path = "t";
  dir.mkdir(path);
  for (int i = 0; i < 5; ++i) {
    path += "/" + std::string(230, static_cast<char>('a' + i));
    dir.mkdir(path);
  }
  ASSERT_GT(path.size(), 1000u);
  dir.write(path + "/deep.txt", "abc\n");
  host.realJobs = true;
  host.fs = &fs;
  EXPECT_EQ(batch::WalkOutcome::Done, walk("t"));
  EXPECT_EQ(Paths{path + "/deep.txt"}, host.jobPaths());
  EXPECT_EQ("ABC\n", dir.read(path + "/deep.txt"));
  EXPECT_TRUE(host.jobMessages.empty());
}

// A recursive walk written from the description, over the same listings:
// every directory entered (not a link to one), every regular file that
// matches taken; dot names and temporary names never are.
void referenceWalk(const std::string &dirPath, const std::string &mask,
                   platform::FileSystem &fs, Paths &out) {
  using platform::kAttrArchive;
  using platform::kAttrDirectory;
  using platform::kAttrReparsePoint;
  const auto taken = [](const platform::DirEntry &e) {
    return e.name[0] != '.' && !platform::isTemporaryName(e.name) &&
           (e.attributes & kAttrReparsePoint) == 0;
  };
  if (auto l = fs.list(dirPath + mask))
    while (auto e = l->next())
      if (taken(*e) && (e->attributes & kAttrArchive) != 0)
        out.push_back(dirPath + e->name);
  if (auto l = fs.list(dirPath + "*.*"))
    while (auto e = l->next())
      if (taken(*e) && (e->attributes & kAttrDirectory) != 0)
        referenceWalk(dirPath + e->name + "/", mask, fs, out);
}

TEST_F(DirectoryWalk, MatchesARecursiveReferenceOnRandomTrees) {
  std::mt19937 rng(20240);
  const char *masks[] = {"*.*", "*.txt", "?.*", "*a*"};
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    const std::string top = "r" + std::to_string(round);
    dir.mkdir(top);
    std::vector<std::string> dirs{top};
    for (int n = 0; n < 25; ++n) {
      const std::string parent = dirs[rng() % dirs.size()];
      const std::string name =
          std::string(1, static_cast<char>('a' + rng() % 6)) +
          std::to_string(n) + (rng() % 2 ? ".txt" : "");
      if (rng() % 3 == 0) {
        dir.mkdir(parent + "/" + name, rng() % 5 == 0 ? 0555 : 0755);
        dirs.push_back(parent + "/" + name);
      } else {
        dir.write(parent + "/" + name, "x");
      }
    }
    for (const char *mask : masks) {
      host.jobs.clear();
      Paths expected;
      referenceWalk(top + "/", mask, platform::realFileSystem(), expected);
      EXPECT_EQ(batch::WalkOutcome::Done,
                snpln::test::walkWithHost(top, mask, OperationCode::UpperCase,
                                          params, host,
                                          platform::realFileSystem()));
      EXPECT_EQ(expected, host.jobPaths()) << mask;
    }
  }
}

} // namespace
} // namespace snpln::test

namespace snpln::test {
namespace {

platform::FileStatus statusWith(std::uint64_t inode, std::int64_t born,
                                std::int64_t changed, std::uint32_t links = 1,
                                platform::FileSize size = 10) {
  platform::FileStatus s;
  s.id.device = 7;
  s.id.inode = inode;
  s.id.born = platform::FileTime{born, 0};
  s.changedSeconds = changed;
  s.modifiedSeconds = changed;
  s.links = links;
  s.size = size;
  return s;
}

batch::FilePlace placeOf(const char *name) {
  platform::FileId directory;
  directory.device = 7;
  directory.inode = 2;
  return batch::FilePlace{directory, name};
}

// A place is visited once, whatever file is there now. A number the file
// system gives again to a later file elsewhere is another file: with a
// birth time always; without one, where change times may be whole seconds
// (a new file made in the second of the visit has its time, its size and
// its mode), unless it is another name of a file with several, or the user
// named it (a link to a walked file) and its status is the one visited.
TEST(VisitedFiles, ANumberGivenAgainIsAnotherFile) {
  enum By : bool { Walk = false, Name = true };
  struct Case {
    const char *what;
    platform::FileStatus visited;
    const char *visitedAt;
    By visitedBy;
    platform::FileStatus later;
    const char *laterAt; // nullptr: a place not known
    By laterBy;
    bool same;
  };
  const Case cases[] = {
      {"the very file", statusWith(5, 100, 200), "a", Walk,
       statusWith(5, 100, 200), "a", Walk, true},
      {"the file, its status changed since", statusWith(5, 100, 200), "a", Walk,
       statusWith(5, 100, 300), "b", Walk, true},
      {"another number", statusWith(5, 100, 200), "a", Walk,
       statusWith(6, 100, 200), "b", Walk, false},
      {"the number, born later", statusWith(5, 100, 200), "a", Walk,
       statusWith(5, 250, 250), "b", Walk, false},
      {"another file at the place visited", statusWith(5, 100, 200), "a", Walk,
       statusWith(6, 250, 250), "a", Walk, true},
      {"no birth time, the same place", statusWith(5, 0, 200), "a", Walk,
       statusWith(5, 0, 300, 1, 99), "a", Walk, true},
      {"no birth time, a hard link", statusWith(5, 0, 200, 2), "a", Walk,
       statusWith(5, 0, 200, 2), "b", Walk, true},
      {"no birth time, a hard link made since", statusWith(5, 0, 200), "a",
       Walk, statusWith(5, 0, 201, 2), "b", Walk, true},
      {"no birth time, the last of its links", statusWith(5, 0, 200, 2), "a",
       Walk, statusWith(5, 0, 201, 1), "b", Walk, true},
      {"no birth time, named, unchanged", statusWith(5, 0, 200), "a", Walk,
       statusWith(5, 0, 200), "lk", Name, true},
      {"no birth time, named first, unchanged", statusWith(5, 0, 200), "lk",
       Name, statusWith(5, 0, 200), "a", Walk, true},
      {"no birth time, named, place unknown", statusWith(5, 0, 200), "a", Walk,
       statusWith(5, 0, 200), nullptr, Name, true},
      {"no birth time, named, changed since", statusWith(5, 0, 200), "a", Walk,
       statusWith(5, 0, 201), "lk", Name, false},
      {"no birth time, a new file in the same second", statusWith(5, 0, 200),
       "a", Walk, statusWith(5, 0, 200), "b", Walk, false},
      {"no birth time, a new file later", statusWith(5, 0, 200), "a", Walk,
       statusWith(5, 0, 201), "b", Walk, false},
  };
  for (const Case &c : cases) {
    const auto at = [](const char *name) {
      return name ? std::optional<batch::FilePlace>(placeOf(name))
                  : std::nullopt;
    };
    batch::VisitedFiles visited;
    EXPECT_FALSE(visited.contains(c.visited, at(c.visitedAt), c.visitedBy))
        << c.what;
    visited.add(c.visited, at(c.visitedAt), c.visitedBy);
    EXPECT_TRUE(visited.contains(c.visited, at(c.visitedAt), c.visitedBy))
        << c.what;
    EXPECT_EQ(visited.contains(c.later, at(c.laterAt), c.laterBy), c.same)
        << c.what;
  }
}

// A file the pass saw replaced under its only name is gone, and its number
// free for the next new file; a file with other names lives on under them.
TEST(VisitedFiles, AReplacedFileIsGoneWhereNoBirthTimeTellsItApart) {
  struct Case {
    const char *what;
    platform::FileStatus before;
    bool numberFree;
  };
  const Case cases[] = {
      {"one name, no birth time", statusWith(5, 0, 200), true},
      {"two names, no birth time", statusWith(5, 0, 200, 2), false},
      {"with a birth time", statusWith(5, 100, 200), false},
  };
  for (const Case &c : cases) {
    batch::VisitedFiles visited;
    visited.add(c.before, placeOf("a"), true);
    const platform::FileStatus after =
        statusWith(9, c.before.id.born.seconds, 201, 1);
    visited.replaced(c.before, after, placeOf("a"), true);
    EXPECT_TRUE(visited.contains(after, placeOf("a"), false)) << c.what;
    EXPECT_TRUE(visited.contains(after, std::nullopt, true)) << c.what;
    // Another file that got the number, elsewhere and in the same second.
    platform::FileStatus reused = c.before;
    reused.links = 1;
    EXPECT_EQ(visited.contains(reused, placeOf("b"), true), !c.numberFree)
        << c.what;
  }
}

} // namespace
} // namespace snpln::test
