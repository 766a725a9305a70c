#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "batch/directory_walk.h"
#include "job/file_job.h"
#include "platform/file_system.h"
#include "tests/support/scripted_batch_host.h"
#include "tests/support/temp_dir.h"

namespace snpln::test {
namespace {

using batch::RunParameters;
using job::OperationCode;
using platform::DirEntry;
using platform::DirListing;
using Paths = std::vector<std::string>;

// Listings of the real file system, sorted by name so that orders can be
// written down, counted while open; directories named in `unlistable` cannot
// be listed. With `live` set, a listing that has run out reads its directory
// again and hands out every entry with an inode it has not yet returned, as
// a platform whose search sees files created during the walk would.
class TestFileSystem : public platform::FileSystem {
public:
  platform::FileSystem &real = platform::realFileSystem();
  std::set<std::string> unlistable;
  bool live = false;
  int openListings = 0;
  int listings = 0;

  class Listing : public DirListing {
  public:
    Listing(TestFileSystem &fs, std::string pattern)
        : fs_(fs), pattern_(std::move(pattern)) {
      ++fs_.openListings;
      refill();
    }
    ~Listing() override { --fs_.openListings; }
    std::optional<DirEntry> next() override {
      if (pos_ == entries_.size() && fs_.live)
        refill();
      if (pos_ == entries_.size())
        return std::nullopt;
      return entries_[pos_++];
    }
    bool empty() const { return entries_.empty(); }

  private:
    void refill() {
      std::vector<DirEntry> fresh;
      if (auto inner = fs_.real.list(pattern_))
        while (auto e = inner->next())
          fresh.push_back(*e);
      std::sort(
          fresh.begin(), fresh.end(),
          [](const DirEntry &a, const DirEntry &b) { return a.name < b.name; });
      const std::string dir = pattern_.substr(0, pattern_.rfind('/') + 1);
      for (auto &e : fresh) {
        struct stat st {};
        ino_t ino = ::lstat((dir + e.name).c_str(), &st) == 0 ? st.st_ino : 0;
        if (seen_.insert(ino).second)
          entries_.push_back(e);
      }
    }
    TestFileSystem &fs_;
    std::string pattern_;
    std::vector<DirEntry> entries_;
    std::size_t pos_ = 0;
    std::set<ino_t> seen_;
  };

  std::unique_ptr<platform::InputFile> openRead(const std::string &p) override {
    return real.openRead(p);
  }
  std::optional<platform::FileAttributes>
  getAttributes(const std::string &p) override {
    return real.getAttributes(p);
  }
  bool setNormal(const std::string &p) override { return real.setNormal(p); }
  bool restoreAttributes(const std::string &p,
                         const platform::FileAttributes &a) override {
    return real.restoreAttributes(p, a);
  }
  std::unique_ptr<platform::OutputFile>
  createTemp(const std::string &n) override {
    return real.createTemp(n);
  }
  bool markTemporary(const std::string &n) override {
    return real.markTemporary(n);
  }
  bool remove(const std::string &p) override { return real.remove(p); }
  bool replaceWith(const std::string &t, const std::string &target,
                   const platform::FileAttributes &keep) override {
    return real.replaceWith(t, target, keep);
  }
  std::unique_ptr<DirListing> list(const std::string &pattern) override {
    ++listings;
    if (unlistable.count(pattern.substr(0, pattern.rfind('/'))))
      return nullptr;
    auto listing = std::make_unique<Listing>(*this, pattern);
    if (listing->empty())
      return nullptr;
    return listing;
  }
  std::optional<std::uint32_t> lookup(const std::string &name) override {
    return real.lookup(name);
  }
  bool sameFile(const std::string &a, const std::string &b) override {
    return real.sameFile(a, b);
  }
};

class DirectoryWalk : public ::testing::Test {
protected:
  DirectoryWalk() : cwd(dir.path()) {}

  int walk(const std::string &top, const std::string &mask = "*.*",
           OperationCode op = OperationCode::UpperCase) {
    return batch::walkDirectoryTree(top, mask, op, 0, params, host, fs, hooks);
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
  EXPECT_EQ(batch::kWalkDone, walk("a"));
  EXPECT_EQ(
      (Paths{"a/1", "a/2", "a/z", "a/b/1", "a/b/c/1", "a/b/c/2", "a/d/1"}),
      host.jobPaths());
  EXPECT_EQ(0, fs.openListings);
}

TEST_F(DirectoryWalk, RequestCarriesOperationParametersAndDisplayName) {
  dir.mkdir("t");
  files({"t/x.txt"});
  params.searchText = "s";
  params.replaceText = "r";
  params.caseInsensitive = 1;
  params.tabSize = 3;
  params.sourceCodePage = engine::CodePage::Koi;
  host.saveUpper = true;
  EXPECT_EQ(batch::kWalkDone,
            batch::walkDirectoryTree("t", "*.*", OperationCode::Replace, 0,
                                     params, host, fs));
  ASSERT_EQ(1u, host.jobs.size());
  const auto &r = host.jobs[0];
  EXPECT_EQ(OperationCode::Replace, r.operation);
  EXPECT_EQ(0, r.lastJob);
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
  EXPECT_EQ(batch::kWalkDone, walk("e"));
  dir.mkdir("e/s");
  files({"e/s/x.doc"});
  EXPECT_EQ(batch::kWalkDone, walk("e", "*.txt"));
  EXPECT_TRUE(host.jobs.empty());
}

TEST_F(DirectoryWalk,
       ReadOnlyHiddenAndLinkedDirectoriesAreNotEnteredButJobbed) {
  dir.mkdir("t");
  dir.mkdir("t/ro", 0555);
  dir.mkdir("t/.hid");
  dir.mkdir("t/plain");
  files({"t/ro/f", "t/.hid/f", "t/plain/f", "t/.hfile"});
  dir.symlink("..", "t/plain/up"); // would loop forever if entered
  dir.symlink(dir.path() + "/t/plain", "t/link");
  EXPECT_EQ(batch::kWalkDone, walk("t"));
  EXPECT_EQ((Paths{"t/.hfile", "t/.hid", "t/link", "t/ro", "t/plain/f",
                   "t/plain/up"}),
            host.jobPaths());
}

TEST_F(DirectoryWalk, NonDirectoryHandedToARealJobIsReportedNotFound) {
  dir.mkdir("t");
  dir.mkdir("t/ro.txt", 0555);
  host.realJobs = true;
  host.fs = &fs;
  EXPECT_EQ(batch::kWalkDone, walk("t", "*.txt"));
  ASSERT_EQ(1u, host.jobMessages.size());
  EXPECT_EQ("t/ro.txt", host.jobMessages[0].first);
  EXPECT_EQ("This file not found", host.jobMessages[0].second);
  EXPECT_EQ(0555, dir.mode("t/ro.txt"));
}

TEST_F(DirectoryWalk, UnlistableDirectoryCountsAsEmpty) {
  dir.mkdir("t");
  dir.mkdir("t/a");
  dir.mkdir("t/b");
  files({"t/a/f", "t/b/f", "t/f"});
  fs.unlistable = {"t/a"};
  EXPECT_EQ(batch::kWalkDone, walk("t"));
  EXPECT_EQ((Paths{"t/f", "t/b/f"}), host.jobPaths());
}

TEST_F(DirectoryWalk, StopInTheThirdFileStopsEverything) {
  dir.mkdir("t");
  dir.mkdir("t/s");
  dir.mkdir("t/s/u");
  files({"t/1", "t/s/2", "t/s/u/3", "t/s/u/4", "t/s/5", "t/v"});
  host.jobResults = {job::JobResult::Done, job::JobResult::ReadFailed,
                     job::JobResult::Stop};
  EXPECT_EQ(batch::kWalkStop, walk("t"));
  EXPECT_EQ((Paths{"t/1", "t/v", "t/s/2"}), host.jobPaths());
  EXPECT_EQ(0, fs.openListings);
}

TEST_F(DirectoryWalk, OutOfMemoryClosesEveryListing) {
  dir.mkdir("t");
  dir.mkdir("t/a");
  dir.mkdir("t/a/b");
  dir.mkdir("t/a/b/c");
  files({"t/f", "t/a/f", "t/a/b/f", "t/a/b/c/f"});
  int allowed = 1;
  hooks.frameAllocationAllowed = [&] { return allowed-- > 0; };
  int result = walk("t");
  EXPECT_EQ(batch::kWalkOutOfMemory, result);
  // The second level's files ran before its frame was refused.
  EXPECT_EQ((Paths{"t/f", "t/a/f", "t/a/b/f"}), host.jobPaths());
  EXPECT_EQ(0, fs.openListings);
}

TEST_F(DirectoryWalk, RegressionMaskWithSeparatorNeverNamesAnotherFile) {
  // "sub/*.txt" lists sub's names; joined to the walked directory they
  // would name t/a.txt, a different file.
  dir.mkdir("t");
  dir.mkdir("t/sub");
  files({"t/a.txt", "t/sub/a.txt"});
  EXPECT_EQ(batch::kWalkDone, walk("t", "sub/*.txt"));
  EXPECT_TRUE(host.jobs.empty());
}

TEST_F(DirectoryWalk, TemporaryFileIsNeverHandedToAJob) {
  dir.mkdir("t");
  files({"t/a", "t/~sn$ln~.tmp"});
  walk("t");
  EXPECT_EQ(Paths{"t/a"}, host.jobPaths());
}

TEST_F(DirectoryWalk, RegressionRewrittenFilesAreNotVisitedTwice) {
  // The jobs rewrite each file through a rename (a new inode) and create
  // their temporary file in the walked directory itself; a listing that
  // shows new entries must still give each file exactly one job.
  dir.mkdir("t");
  dir.mkdir("t/s");
  files({"t/a", "t/b", "t/c", "t/s/d"});
  fs.live = true;
  host.realJobs = true;
  host.fs = &fs;
  params.searchText = "x";
  params.replaceText = "xx";
  for (const char *f : {"t/a", "t/b", "t/c", "t/s/d"})
    dir.write(f, "x\n");
  ChangeDirectory into(dir.file("t"));
  EXPECT_EQ(batch::kWalkDone,
            batch::walkDirectoryTree(".", "*.*", OperationCode::Replace, 0,
                                     params, host, fs));
  EXPECT_EQ((Paths{"./a", "./b", "./c", "./s/d"}), host.jobPaths());
  for (const char *f : {"t/a", "t/b", "t/c", "t/s/d"})
    EXPECT_EQ("xx\n", dir.read(f)) << f;
  EXPECT_FALSE(dir.exists("t/~sn$ln~.tmp"));
}

TEST_F(DirectoryWalk, PathsBeyondAThousandBytesAreBuiltWhole) {
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
  EXPECT_EQ(batch::kWalkDone, walk("t"));
  EXPECT_EQ(Paths{path + "/deep.txt"}, host.jobPaths());
  EXPECT_EQ("ABC\n", dir.read(path + "/deep.txt"));
  EXPECT_TRUE(host.jobMessages.empty());
}

// A recursive walk written from the description, over the same listings.
void referenceWalk(const std::string &dirPath, const std::string &mask,
                   platform::FileSystem &fs, Paths &out) {
  if (auto l = fs.list(dirPath + mask))
    while (auto e = l->next())
      if (e->attributes != platform::kAttrDirectory && e->name != "." &&
          e->name != "..")
        out.push_back(dirPath + e->name);
  if (auto l = fs.list(dirPath + "*.*"))
    while (auto e = l->next())
      if (e->attributes == platform::kAttrDirectory && e->name != "." &&
          e->name != "..")
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
      EXPECT_EQ(batch::kWalkDone,
                batch::walkDirectoryTree(top, mask, OperationCode::UpperCase, 0,
                                         params, host,
                                         platform::realFileSystem()));
      EXPECT_EQ(expected, host.jobPaths()) << mask;
    }
  }
}

} // namespace
} // namespace snpln::test
