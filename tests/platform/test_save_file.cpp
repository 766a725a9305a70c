// The replacement of a file through a SaveFile, on real files in fresh
// temporary directories: what the file and its directory hold after every
// end of a save, with unnamed and with named temporary files.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/posix_file_system.h"
#include "platform/temporary_name.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/other_user.h"
#include "tests/support/temp_dir.h"

namespace snpln::platform {
namespace {

using test::ChangeDirectory;
using test::TempDir;
using Step = PosixFileSystem::CommitStep;

std::set<std::string> entriesOf(const std::string &dir) {
  std::set<std::string> names;
  PosixFileSystem fs;
  if (auto d = fs.openDirectory(dir))
    if (auto all = fs.listDirectory(*d, "*.*"))
      for (const DirEntry &e : *all)
        if (e.name != "." && e.name != "..")
          names.insert(e.name);
  return names;
}

struct stat lstatOf(const std::string &path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st;
}

bool isLink(const std::string &path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

std::string linkText(const std::string &path) {
  char buf[4096];
  const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf);
  return n < 0 ? std::string() : std::string(buf, static_cast<std::size_t>(n));
}

bool writeAll(OutputFile &out, const std::string &bytes) {
  std::size_t written = 0;
  return out.write(bytes.data(), bytes.size(), written) &&
         written == bytes.size();
}

// Sets a file's modification time to a fixed moment long past, so that a
// later change of it shows in its time however coarse the clock.
void makeOld(const std::string &path) {
  const struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

// Every case runs with unnamed temporary files and with named ones.
class SaveFileTest : public ::testing::TestWithParam<bool> {
protected:
  void SetUp() override { fs.unnamedTemporaryFiles = GetParam(); }

  // The status of the file as a job reads it at start-up.
  FileStatus opened(const FileLocation &at) {
    auto in = fs.openRead(at);
    EXPECT_TRUE(in) << at.name;
    FileStatus st;
    if (in) {
      EXPECT_TRUE(in->status(st));
    }
    return st;
  }

  // Begins, writes and commits in one go.
  SaveOutcome save(const FileLocation &at, const std::string &content) {
    const FileStatus original = opened(at);
    auto out = beginSaveOf(fs, at, original);
    if (!out) {
      ADD_FAILURE() << "beginSave " << at.name;
      return SaveOutcome::WriteFailed;
    }
    EXPECT_TRUE(writeAll(*out, content));
    return out->commit();
  }

  TempDir dir;
  PosixFileSystem fs;
};

INSTANTIATE_TEST_SUITE_P(Temporary, SaveFileTest, ::testing::Bool(),
                         [](const auto &paramInfo) {
                           return paramInfo.param ? "Unnamed" : "Named";
                         });

TEST_P(SaveFileTest, ReplacesTheFileAndKeepsModeAndOwner) {
  struct Case {
    int mode;
    unsigned owner, group;
  };
  // Running as root the owner can be given; otherwise only one's own.
  const bool root = ::geteuid() == 0;
  const std::vector<Case> cases = {
      {0644, 0, 0}, {0444, 0, 0},          {0600, 0, 0},  {0640, 0, 0},
      {0755, 0, 0}, {04755, 0, 0},         {02750, 0, 0}, {0, 0, 0},
      {0664, 1, 2}, {04711, 65534, 65534},
  };
  int n = 0;
  for (const Case &c : cases) {
    if (!root && (c.owner != 0 || c.group != 0))
      continue;
    const std::string name = "f" + std::to_string(n++) + ".txt";
    dir.write(name, "old content");
    if (root) {
      ASSERT_EQ(::chown(dir.file(name).c_str(), c.owner, c.group), 0);
    }
    dir.chmod(name, c.mode);
    const ino_t before = lstatOf(dir.file(name)).st_ino;
    ASSERT_EQ(save(dir.file(name), "new"), SaveOutcome::Replaced) << name;
    EXPECT_EQ(dir.read(name), "new") << name;
    const struct stat after = lstatOf(dir.file(name));
    EXPECT_EQ(static_cast<int>(after.st_mode & 07777), c.mode)
        << name << " mode " << std::oct << c.mode;
    EXPECT_TRUE(S_ISREG(after.st_mode)) << name;
    EXPECT_NE(after.st_ino, before) << name << ": not replaced by a rename";
    if (root) {
      EXPECT_EQ(after.st_uid, c.owner) << name;
      EXPECT_EQ(after.st_gid, c.group) << name;
    }
  }
  std::set<std::string> expected;
  for (int i = 0; i < n; ++i)
    expected.insert("f" + std::to_string(i) + ".txt");
  EXPECT_EQ(entriesOf(dir.path()), expected);
}

TEST_P(SaveFileTest, AnEmptyAndABigContent) {
  dir.write("e.txt", "something");
  ASSERT_EQ(save(dir.file("e.txt"), ""), SaveOutcome::Replaced);
  EXPECT_EQ(dir.read("e.txt"), "");
  std::string big(3 << 20, 'x');
  for (std::size_t i = 0; i < big.size(); i += 4099)
    big[i] = static_cast<char>(i);
  ASSERT_EQ(save(dir.file("e.txt"), big), SaveOutcome::Replaced);
  EXPECT_EQ(dir.read("e.txt"), big);
}

TEST_P(SaveFileTest, ALinkStaysAndTheFileIsRewrittenWhereItLies) {
  dir.mkdir("data");
  dir.mkdir("work");
  dir.write("data/real.txt", "old");
  dir.chmod("data/real.txt", 0440);
  dir.symlink("../data/real.txt", "work/rel");   // relative
  dir.symlink(dir.file("work/rel"), "work/abs"); // absolute, to a link
  dir.symlink("work/abs", "chain");              // a chain of three
  struct Case {
    std::string name;
    std::string text;
  };
  for (const Case &c :
       {Case{"work/rel", "../data/real.txt"},
        Case{"work/abs", dir.file("work/rel")}, Case{"chain", "work/abs"}}) {
    ASSERT_EQ(save(dir.file(c.name), "new via " + c.name),
              SaveOutcome::Replaced)
        << c.name;
    EXPECT_TRUE(isLink(dir.file(c.name))) << c.name;
    EXPECT_EQ(linkText(dir.file(c.name)), c.text) << c.name;
    EXPECT_EQ(dir.read("data/real.txt"), "new via " + c.name);
    EXPECT_EQ(dir.mode("data/real.txt"), 0440) << c.name;
  }
  EXPECT_EQ(entriesOf(dir.file("data")), std::set<std::string>{"real.txt"});
  EXPECT_EQ(entriesOf(dir.file("work")), (std::set<std::string>{"abs", "rel"}));
  EXPECT_EQ(entriesOf(dir.path()),
            (std::set<std::string>{"chain", "data", "work"}));
}

TEST_P(SaveFileTest, ANameFromTheCurrentDirectoryAndFromAnOpenDirectory) {
  dir.mkdir("sub");
  dir.write("sub/a.txt", "old a");
  dir.write("b.txt", "old b");
  {
    ChangeDirectory cd(dir.path());
    ASSERT_EQ(save(std::string("b.txt"), "new b"), SaveOutcome::Replaced);
  }
  auto sub = fs.openDirectory(dir.file("sub"));
  ASSERT_TRUE(sub);
  ASSERT_EQ(save(FileLocation(sub, "a.txt"), "new a"), SaveOutcome::Replaced);
  EXPECT_EQ(dir.read("b.txt"), "new b");
  EXPECT_EQ(dir.read("sub/a.txt"), "new a");
  EXPECT_EQ(entriesOf(dir.path()), (std::set<std::string>{"b.txt", "sub"}));
  EXPECT_EQ(entriesOf(dir.file("sub")), std::set<std::string>{"a.txt"});
}

TEST_P(SaveFileTest, TheDirectoryStaysTheOneOpenedWhenThePathIsMoved) {
  dir.mkdir("a");
  dir.write("a/f.txt", "old");
  const FileStatus original = opened(dir.file("a/f.txt"));
  auto out = beginSaveOf(fs, dir.file("a/f.txt"), original);
  ASSERT_TRUE(out);
  ASSERT_TRUE(writeAll(*out, "new"));
  // The directory moves away and another takes its name.
  ASSERT_EQ(::rename(dir.file("a").c_str(), dir.file("moved").c_str()), 0);
  dir.mkdir("a");
  dir.write("a/f.txt", "decoy");
  EXPECT_EQ(out->commit(), SaveOutcome::Replaced);
  EXPECT_EQ(dir.read("moved/f.txt"), "new");
  EXPECT_EQ(dir.read("a/f.txt"), "decoy");
  EXPECT_EQ(entriesOf(dir.file("moved")), std::set<std::string>{"f.txt"});
}

TEST_P(SaveFileTest, BeginRefusesWhatIsNotAFile) {
  dir.mkdir("d");
  dir.write("f.txt", "x");
  dir.symlink("nowhere", "dangling");
  dir.symlink("loop2", "loop1");
  dir.symlink("loop1", "loop2");
  dir.symlink("d", "dirlink");
  const FileStatus some = opened(dir.file("f.txt"));
  for (const std::string name : {"missing", "dangling", "loop1", "d", "dirlink",
                                 "d/", "", "f.txt/", "no/such/dir/f.txt"}) {
    EXPECT_FALSE(beginSaveOf(fs, dir.file(name), some)) << name;
    EXPECT_FALSE(beginSaveOf(fs, FileLocation(name), some)) << name;
  }
  EXPECT_EQ(entriesOf(dir.path()),
            (std::set<std::string>{"d", "dangling", "dirlink", "f.txt", "loop1",
                                   "loop2"}));
}

TEST_P(SaveFileTest, AbandonedOrDroppedLeavesTheFileAndNothingElse) {
  dir.write("f.txt", "old");
  dir.chmod("f.txt", 0444);
  const ino_t inode = lstatOf(dir.file("f.txt")).st_ino;
  for (int way = 0; way < 3; ++way) {
    auto out = beginSaveOf(fs, dir.file("f.txt"), opened(dir.file("f.txt")));
    ASSERT_TRUE(out);
    ASSERT_TRUE(writeAll(*out, "new content"));
    if (way == 0)
      out->abandon();
    if (way == 1) {
      out->abandon();
      EXPECT_EQ(out->commit(), SaveOutcome::WriteFailed);
    }
    out.reset();
    EXPECT_EQ(dir.read("f.txt"), "old") << way;
    EXPECT_EQ(dir.mode("f.txt"), 0444) << way;
    EXPECT_EQ(lstatOf(dir.file("f.txt")).st_ino, inode) << way;
    EXPECT_EQ(entriesOf(dir.path()), std::set<std::string>{"f.txt"}) << way;
  }
}

TEST_P(SaveFileTest, AFailingStepLeavesTheFileUntouchedAndNothingBehind) {
  struct Case {
    Step step;
    bool exchange; // with the exchange, or where there is none
  };
  for (const Case c :
       {Case{Step::Attributes, true}, Case{Step::Flush, true},
        Case{Step::Link, true}, Case{Step::Check, true},
        Case{Step::Exchange, true}, Case{Step::Unlink, true},
        Case{Step::DirectoryFlush, true}, Case{Step::Check, false},
        Case{Step::Exchange, false}, Case{Step::Rename, false},
        Case{Step::DirectoryFlush, false}}) {
    if (c.step == Step::Link && !GetParam())
      continue; // a named file needs no link
    const std::string where = "step " +
                              std::to_string(static_cast<int>(c.step)) +
                              (c.exchange ? " exchange" : " rename");
    test::removeTree(dir.path());
    ASSERT_EQ(::mkdir(dir.path().c_str(), 0700), 0);
    dir.write("f.txt", "old");
    dir.chmod("f.txt", 0604);
    const ino_t inode = lstatOf(dir.file("f.txt")).st_ino;
    fs.exchangeRefused = !c.exchange;
    fs.commitCheck = [failing = c.step](Step s) { return s != failing; };
    const SaveOutcome outcome = save(dir.file("f.txt"), "new");
    fs.commitCheck = nullptr;
    fs.exchangeRefused = false;
    std::set<std::string> left = entriesOf(dir.path());
    left.erase("f.txt");
    if (c.step == Step::DirectoryFlush || c.step == Step::Unlink) {
      // The swap has happened; only its flush, or the removal of the old
      // content, was refused: that stays under the temporary name.
      EXPECT_EQ(outcome, SaveOutcome::Replaced) << where;
      EXPECT_EQ(dir.read("f.txt"), "new") << where;
      if (c.step == Step::Unlink) {
        ASSERT_EQ(left.size(), 1u) << where;
        EXPECT_TRUE(isTemporaryName(*left.begin())) << *left.begin();
        EXPECT_EQ(dir.read(*left.begin()), "old") << where;
        continue;
      }
    } else {
      EXPECT_EQ(outcome, SaveOutcome::WriteFailed) << where;
      EXPECT_EQ(dir.read("f.txt"), "old") << where;
      EXPECT_EQ(lstatOf(dir.file("f.txt")).st_ino, inode) << where;
    }
    EXPECT_EQ(dir.mode("f.txt"), 0604) << where;
    EXPECT_TRUE(left.empty()) << where << ": " << *left.begin();
  }
}

// A large save starts the writeback of its data while it is written, a
// small one never does; that head start failing fails nothing, and the
// flush before the commit still decides: refused, the file keeps its old
// content and nothing is left.
TEST_P(SaveFileTest, EarlyWritebackFailingFailsNothingButTheFlushStillDecides) {
  struct Case {
    const char *what;
    std::size_t size;
    Step refused;
    bool replaced;
    int writebacks; // how often the writeback was asked for, at least
  };
  const std::size_t block = 256 * 1024; // as a job writes
  for (const Case &c : {
           Case{"small, nothing refused", 1 << 20, Step::Times, true, 0},
           Case{"large, writeback refused", 9 << 20, Step::Writeback, true, 2},
           Case{"large, nothing refused", 9 << 20, Step::Times, true, 2},
           Case{"large, flush refused", 9 << 20, Step::Flush, false, 2},
       }) {
    dir.write("f.txt", "old");
    dir.chmod("f.txt", 0640);
    std::string content(c.size, '\0');
    for (std::size_t i = 0; i < content.size(); ++i)
      content[i] = static_cast<char>('a' + (i * 7 + i / 4093) % 26);
    int writebacks = 0;
    fs.commitCheck = [&](Step s) {
      writebacks += s == Step::Writeback ? 1 : 0;
      return s != c.refused;
    };
    const FileStatus original = opened(dir.file("f.txt"));
    auto out = beginSaveOf(fs, dir.file("f.txt"), original);
    ASSERT_TRUE(out) << c.what;
    for (std::size_t at = 0; at < content.size(); at += block)
      ASSERT_TRUE(writeAll(*out, content.substr(at, block))) << c.what;
    const SaveOutcome outcome = out->commit();
    out.reset();
    fs.commitCheck = nullptr;
    if (c.writebacks == 0)
      EXPECT_EQ(writebacks, 0) << c.what;
    else
      EXPECT_GE(writebacks, c.writebacks) << c.what;
    EXPECT_EQ(outcome,
              c.replaced ? SaveOutcome::Replaced : SaveOutcome::WriteFailed)
        << c.what;
    EXPECT_TRUE(dir.read("f.txt") == (c.replaced ? content : "old"))
        << c.what << ": " << dir.read("f.txt").size() << " bytes";
    EXPECT_EQ(dir.mode("f.txt"), 0640) << c.what;
    EXPECT_EQ(entriesOf(dir.path()), std::set<std::string>{"f.txt"}) << c.what;
  }
}

// What another program may do between the read and the commit; each must
// end with TargetChanged and leave what the other program made.
TEST_P(SaveFileTest, AChangedTargetIsLeftToTheOtherProgram) {
  struct Case {
    const char *what;
    void (*change)(const TempDir &);
    const char *expected; // the content of f.txt afterwards
  };
  const Case cases[] = {
      {"same-size write", [](const TempDir &d) { d.write("f.txt", "OLD"); },
       "OLD"},
      {"appended", [](const TempDir &d) { d.write("f.txt", "old+"); }, "old+"},
      {"replaced by a rename",
       [](const TempDir &d) {
         d.write("other", "old");
         makeOld(d.file("other"));
         ASSERT_EQ(::rename(d.file("other").c_str(), d.file("f.txt").c_str()),
                   0);
       },
       "old"},
      {"a link swapped in",
       [](const TempDir &d) {
         ASSERT_EQ(::unlink(d.file("f.txt").c_str()), 0);
         d.symlink("victim", "f.txt");
       },
       "victim's"},
      {"removed", [](const TempDir &d) { ::unlink(d.file("f.txt").c_str()); },
       nullptr},
      // Only the change time tells these from the version read.
      {"same size, modification time set back",
       [](const TempDir &d) {
         d.write("f.txt", "OLD");
         makeOld(d.file("f.txt"));
       },
       "OLD"},
      {"chmod", [](const TempDir &d) { d.chmod("f.txt", 0600); }, "old"},
  };
  for (const Case &c : cases) {
    test::removeTree(dir.file("f.txt"));
    test::removeTree(dir.file("victim"));
    dir.write("victim", "victim's");
    dir.chmod("victim", 0600);
    dir.write("f.txt", "old");
    makeOld(dir.file("f.txt"));
    const FileStatus original = opened(dir.file("f.txt"));
    auto out = beginSaveOf(fs, dir.file("f.txt"), original);
    ASSERT_TRUE(out) << c.what;
    ASSERT_TRUE(writeAll(*out, "new"));
    c.change(dir);
    EXPECT_EQ(out->commit(), SaveOutcome::TargetChanged) << c.what;
    if (c.expected)
      EXPECT_EQ(dir.read("f.txt"), c.expected) << c.what;
    else
      EXPECT_FALSE(dir.exists("f.txt")) << c.what;
    EXPECT_EQ(dir.read("victim"), "victim's") << c.what;
    EXPECT_EQ(dir.mode("victim"), 0600) << c.what;
    std::set<std::string> left = entriesOf(dir.path());
    left.erase("f.txt");
    EXPECT_EQ(left, std::set<std::string>{"victim"}) << c.what;
  }
}

// Another program puts its own file under the name after the last check:
// the exchange takes it out, sees it is not the file read, and puts it
// back. Where the file system has no exchange, the rename cannot tell, and
// the other program's file is replaced (the window the README names).
TEST_P(SaveFileTest, ARenameBetweenTheCheckAndTheSwap) {
  for (const bool exchange : {true, false}) {
    SCOPED_TRACE(exchange ? "exchange" : "rename");
    test::removeTree(dir.file("f.txt"));
    dir.write("f.txt", "old");
    makeOld(dir.file("f.txt"));
    const FileStatus original = opened(dir.file("f.txt"));
    fs.exchangeRefused = !exchange;
    bool renamed = false;
    fs.commitCheck = [&](Step step) {
      if (step == (exchange ? Step::Exchange : Step::Rename) && !renamed) {
        renamed = true;
        dir.write("theirs", "theirs");
        EXPECT_EQ(
            ::rename(dir.file("theirs").c_str(), dir.file("f.txt").c_str()), 0);
      }
      return true;
    };
    auto out = beginSaveOf(fs, dir.file("f.txt"), original);
    ASSERT_TRUE(out);
    ASSERT_TRUE(writeAll(*out, "new"));
    const SaveOutcome outcome = out->commit();
    out.reset();
    fs.commitCheck = nullptr;
    fs.exchangeRefused = false;
    EXPECT_TRUE(renamed);
    EXPECT_EQ(outcome,
              exchange ? SaveOutcome::TargetChanged : SaveOutcome::Replaced);
    EXPECT_EQ(dir.read("f.txt"), exchange ? "theirs" : "new");
    EXPECT_EQ(entriesOf(dir.path()), std::set<std::string>{"f.txt"});
  }
}

// Owner, group, mode and every extended attribute go to the new file:
// a POSIX ACL (an owner and one named user may read: the group bits are
// the ACL's mask), a user attribute, and (as root) a trusted one; an ACL
// the directory would give a new file, which the original does not have,
// does not stay. Before, the ACL and the attributes were dropped, and the
// file became readable by its whole group.
TEST_P(SaveFileTest, RegressionOwnerModeAclAndAttributesAreKept) {
  struct AclEntry {
    std::uint16_t tag, perm;
    std::uint32_t id;
  };
  // The kernel's form of an ACL: a version word, then the entries.
  const auto acl = [](std::vector<AclEntry> entries) {
    std::string bytes(4, '\0');
    bytes[0] = 2; // version 2, little-endian
    for (const AclEntry &e : entries) {
      char raw[8];
      std::memcpy(raw, &e.tag, 2);
      std::memcpy(raw + 2, &e.perm, 2);
      std::memcpy(raw + 4, &e.id, 4);
      bytes.append(raw, 8);
    }
    return bytes;
  };
  constexpr std::uint16_t kUserObj = 1, kUser = 2, kGroupObj = 4, kMask = 0x10,
                          kOther = 0x20;
  constexpr std::uint32_t kNone = 0xFFFFFFFFu;
  const std::string access = acl({{kUserObj, 6, kNone},
                                  {kUser, 4, 65534},
                                  {kGroupObj, 0, kNone},
                                  {kMask, 4, kNone},
                                  {kOther, 0, kNone}});
  const auto get = [](const std::string &path, const char *name) {
    char buf[512];
    const ssize_t n = ::getxattr(path.c_str(), name, buf, sizeof buf);
    return n < 0 ? std::string("(none)")
                 : std::string(buf, static_cast<std::size_t>(n));
  };
  const auto set = [](const std::string &path, const char *name,
                      const std::string &value) {
    return ::setxattr(path.c_str(), name, value.data(), value.size(), 0) == 0;
  };
  // The directory gives every new file an ACL of its own.
  const std::string inherited = acl({{kUserObj, 7, kNone},
                                     {kUser, 7, 65534},
                                     {kGroupObj, 7, kNone},
                                     {kMask, 7, kNone},
                                     {kOther, 7, kNone}});
  if (!set(dir.path(), "system.posix_acl_default", inherited))
    GTEST_SKIP() << "no POSIX ACLs here: " << std::strerror(errno);
  const bool root = ::geteuid() == 0;

  dir.write("acl.txt", "old");
  dir.chmod("acl.txt", 0640);
  ASSERT_TRUE(set(dir.file("acl.txt"), "system.posix_acl_access", access));
  ASSERT_TRUE(set(dir.file("acl.txt"), "user.origin", "scanned 1998"));
  if (root) {
    ASSERT_TRUE(set(dir.file("acl.txt"), "trusted.mark", "x"));
  }
  dir.write("plain.txt", "old");
  ASSERT_EQ(
      ::removexattr(dir.file("plain.txt").c_str(), "system.posix_acl_access"),
      0);
  dir.chmod("plain.txt", 02640);
  if (root) {
    ASSERT_EQ(::chown(dir.file("plain.txt").c_str(), 1, 2), 0);
  }

  for (const char *name : {"acl.txt", "plain.txt"}) {
    SCOPED_TRACE(name);
    const std::string path = dir.file(name);
    const struct stat before = lstatOf(path);
    const std::string accessBefore = get(path, "system.posix_acl_access");
    ASSERT_EQ(save(path, "new"), SaveOutcome::Replaced);
    EXPECT_EQ(dir.read(name), "new");
    const struct stat after = lstatOf(path);
    EXPECT_NE(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(get(path, "system.posix_acl_access"), accessBefore);
    EXPECT_EQ(get(path, "user.origin"),
              std::string(name) == "acl.txt" ? "scanned 1998" : "(none)");
    if (root) {
      EXPECT_EQ(get(path, "trusted.mark"),
                std::string(name) == "acl.txt" ? "x" : "(none)");
    }
  }
  EXPECT_EQ(lstatOf(dir.file("acl.txt")).st_mode & 07777, 0640u);
}

// Our runs' lock: one holder at a time, held by a save until it ends, and
// none where the file system takes none. The name's look tells whether it
// still leads to the open file.
TEST_P(SaveFileTest, TheLockAndTheNamesLook) {
  dir.write("f.txt", "old");
  auto first = fs.openRead(dir.file("f.txt"));
  auto second = fs.openRead(dir.file("f.txt"));
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->lock(), LockOutcome::Locked);
  EXPECT_EQ(second->lock(), LockOutcome::Busy);
  FileStatus st;
  ASSERT_TRUE(first->status(st));
  SystemError why;
  auto save = first->beginSave(st, SaveRules{}, why);
  ASSERT_TRUE(save);
  first.reset();
  EXPECT_EQ(second->lock(), LockOutcome::Busy) << "the save holds it";
  ASSERT_TRUE(writeAll(*save, "new"));
  EXPECT_TRUE(second->stillNamed());
  ASSERT_EQ(save->commit(), SaveOutcome::Replaced);
  save.reset();
  EXPECT_EQ(second->lock(), LockOutcome::Locked);
  EXPECT_FALSE(second->stillNamed()) << "the name leads to the new file";
  auto third = fs.openRead(dir.file("f.txt"));
  ASSERT_TRUE(third);
  EXPECT_TRUE(third->stillNamed());
  ASSERT_EQ(::unlink(dir.file("f.txt").c_str()), 0);
  dir.symlink("elsewhere", "f.txt");
  EXPECT_FALSE(third->stillNamed()) << "a link is not the file";
  PosixFileSystem noLocks;
  noLocks.lockRefused = true;
  dir.write("g.txt", "g");
  EXPECT_EQ(noLocks.openRead(dir.file("g.txt"))->lock(),
            LockOutcome::Unsupported);
}

// The reason the system gives when no temporary file can be made goes to
// the caller (tried as a user who may not write the directory).
TEST_P(SaveFileTest, NoTemporaryFileGivesTheSystemsReason) {
  ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
  dir.mkdir("ro");
  dir.write("ro/f.txt", "old");
  dir.chmod("ro", 0555);
  const std::string path = dir.file("ro/f.txt");
  const test::ChildOutcome child =
      test::runAsOtherUser([&](std::ostream &out, std::ostream &) {
        auto in = fs.openRead(path);
        FileStatus st;
        if (!in || !in->status(st))
          return 1;
        SystemError why;
        if (in->beginSave(st, SaveRules{}, why))
          return 2;
        out << why.code << " " << why.text;
        return 0;
      });
  EXPECT_EQ(child.status, 0);
  EXPECT_EQ(child.out, std::to_string(EACCES) + " Permission denied");
  EXPECT_EQ(dir.names("ro"), std::vector<std::string>{"f.txt"});
}

TEST_P(SaveFileTest, ALinkSwappedInBeforeTheSaveBeginsIsFollowedNotChanged) {
  // The link is in place when the save begins: the save follows it, but
  // the file there is not the one read, so nothing is replaced.
  dir.write("f.txt", "old");
  dir.write("victim", "victim's");
  dir.chmod("victim", 0600);
  makeOld(dir.file("victim"));
  const FileStatus original = opened(dir.file("f.txt"));
  ASSERT_EQ(::unlink(dir.file("f.txt").c_str()), 0);
  dir.symlink("victim", "f.txt");
  auto out = beginSaveOf(fs, dir.file("f.txt"), original);
  ASSERT_TRUE(out);
  ASSERT_TRUE(writeAll(*out, "new"));
  EXPECT_EQ(out->commit(), SaveOutcome::TargetChanged);
  EXPECT_EQ(dir.read("victim"), "victim's");
  EXPECT_EQ(dir.mode("victim"), 0600);
  EXPECT_TRUE(isLink(dir.file("f.txt")));
}

TEST_P(SaveFileTest, AFileOfTheOldTemporaryNameIsNeverTouched) {
  dir.write("~sn$ln~.tmp", "the user's own");
  dir.write("f.txt", "old");
  {
    ChangeDirectory cd(dir.path());
    ASSERT_EQ(save(std::string("f.txt"), "new"), SaveOutcome::Replaced);
    ASSERT_EQ(save(std::string("~sn$ln~.tmp"), "rewritten as a file"),
              SaveOutcome::Replaced);
  }
  EXPECT_EQ(dir.read("f.txt"), "new");
  EXPECT_EQ(dir.read("~sn$ln~.tmp"), "rewritten as a file");
  EXPECT_EQ(entriesOf(dir.path()),
            (std::set<std::string>{"f.txt", "~sn$ln~.tmp"}));
}

TEST_P(SaveFileTest, ANamedTemporaryFileBearsATemporaryName) {
  dir.write("f.txt", "old");
  auto out = beginSaveOf(fs, dir.file("f.txt"), opened(dir.file("f.txt")));
  ASSERT_TRUE(out);
  std::set<std::string> names = entriesOf(dir.path());
  names.erase("f.txt");
  if (GetParam()) {
    EXPECT_TRUE(names.empty()) << "an unnamed file shows no entry";
  } else {
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(isTemporaryName(*names.begin())) << *names.begin();
    EXPECT_EQ(dir.mode(*names.begin()), 0600);
  }
}

TEST_P(SaveFileTest, ManySavesAtOnceInOneDirectory) {
  constexpr int kThreads = 8, kRounds = 20;
  for (int t = 0; t < kThreads; ++t)
    dir.write("f" + std::to_string(t), "start");
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      PosixFileSystem own;
      own.unnamedTemporaryFiles = GetParam();
      const std::string name = dir.file("f" + std::to_string(t));
      for (int r = 0; r < kRounds; ++r) {
        auto in = own.openRead(name);
        FileStatus st;
        if (!in || !in->status(st)) {
          ++failures;
          continue;
        }
        auto out = beginSaveOf(own, name, st);
        const std::string content =
            std::string(static_cast<std::size_t>(1000 + 37 * t),
                        static_cast<char>('a' + t)) +
            std::to_string(r);
        if (!out || !writeAll(*out, content) ||
            out->commit() != SaveOutcome::Replaced)
          ++failures;
      }
    });
  for (auto &th : threads)
    th.join();
  EXPECT_EQ(failures.load(), 0);
  std::set<std::string> expected;
  for (int t = 0; t < kThreads; ++t) {
    const std::string name = "f" + std::to_string(t);
    expected.insert(name);
    EXPECT_EQ(dir.read(name),
              std::string(static_cast<std::size_t>(1000 + 37 * t),
                          static_cast<char>('a' + t)) +
                  std::to_string(kRounds - 1))
        << name;
  }
  EXPECT_EQ(entriesOf(dir.path()), expected);
}

// --backup: the original, with its bytes, inode, mode and attributes,
// under its backup name after a commit with the exchange and without it.
// Nothing is replaced: a file, a directory or a link under NAME~ stays,
// and the original takes the numbered name after the highest there (as
// cp --backup=numbered does: a gap is not filled, so the newest backup has
// the highest number).
TEST_P(SaveFileTest, ABackupIsTheOriginalItselfUnderItsBackupName) {
  struct Case {
    const char *what;
    std::string suffix;
    std::vector<std::string> taken; // files there before; "d:" a directory
    std::string backup;
  };
  const Case cases[] = {
      {"none there", "~", {}, "f.txt~"},
      {"an older backup", "~", {"f.txt~"}, "f.txt.~1~"},
      {"two older ones", "~", {"f.txt~", "f.txt.~1~"}, "f.txt.~2~"},
      {"a gap", "~", {"f.txt~", "f.txt.~2~"}, "f.txt.~3~"},
      {"numbered ones alone", "~", {"f.txt.~4~"}, "f.txt~"},
      {"the highest counts, not the last",
       "~",
       {"f.txt~", "f.txt.~9~", "f.txt.~10~", "f.txt.~7~"},
       "f.txt.~11~"},
      {"others' and odd numbers",
       "~",
       {"f.txt~", "g.txt.~8~", "f.txt.~05~", "f.txt.~x~", "f.txt.~2~~"},
       "f.txt.~1~"},
      {"a directory", "~", {"d:f.txt~"}, "f.txt.~1~"},
      {"another suffix", ".bak", {"f.txt.bak", "f.txt.bak.1"}, "f.txt.bak.2"},
      {"another suffix, a gap",
       ".bak",
       {"f.txt.bak", "f.txt.bak.3"},
       "f.txt.bak.4"},
      {"another suffix, the default's names", ".bak", {"f.txt~"}, "f.txt.bak"},
  };
  for (const bool exchange : {true, false})
    for (const Case &c : cases) {
      const std::string where =
          std::string(c.what) + (exchange ? ", exchange" : ", rename");
      test::removeTree(dir.path());
      ASSERT_EQ(::mkdir(dir.path().c_str(), 0700), 0);
      dir.write("f.txt", "old");
      dir.chmod("f.txt", 0640);
      const bool labelled = ::setxattr(dir.file("f.txt").c_str(), "user.origin",
                                       "1998", 4, 0) == 0;
      std::set<std::string> expected{"f.txt", c.backup};
      for (const std::string &name : c.taken) {
        if (name.rfind("d:", 0) == 0) {
          dir.mkdir(name.substr(2));
          expected.insert(name.substr(2));
        } else {
          dir.write(name, "older: " + name);
          expected.insert(name);
        }
      }
      const ino_t inode = lstatOf(dir.file("f.txt")).st_ino;
      fs.exchangeRefused = !exchange;
      const FileStatus original = opened(dir.file("f.txt"));
      auto out =
          beginSaveOf(fs, dir.file("f.txt"), original, {false, c.suffix});
      ASSERT_TRUE(out) << where;
      ASSERT_TRUE(writeAll(*out, "new"));
      EXPECT_EQ(out->commit(), SaveOutcome::Replaced) << where;
      fs.exchangeRefused = false;
      EXPECT_EQ(out->backupName(), c.backup) << where;
      EXPECT_EQ(dir.read("f.txt"), "new") << where;
      EXPECT_EQ(dir.read(c.backup), "old") << where;
      EXPECT_EQ(lstatOf(dir.file(c.backup)).st_ino, inode) << where;
      EXPECT_EQ(lstatOf(dir.file(c.backup)).st_nlink, 1u) << where;
      EXPECT_EQ(dir.mode(c.backup), 0640) << where;
      EXPECT_EQ(dir.mode("f.txt"), 0640) << where;
      for (const std::string &name : c.taken) {
        if (name.rfind("d:", 0) != 0) {
          EXPECT_EQ(dir.read(name), "older: " + name) << where;
        }
      }
      if (labelled) {
        char value[16] = {};
        EXPECT_EQ(::getxattr(dir.file(c.backup).c_str(), "user.origin", value,
                             sizeof value),
                  4)
            << where;
        EXPECT_STREQ(value, "1998") << where;
      }
      EXPECT_EQ(entriesOf(dir.path()), expected) << where;
    }
}

// Saves of one file one after another each keep the version they replaced,
// each under a name of its own.
TEST_P(SaveFileTest, EachSaveKeepsTheVersionItReplaced) {
  for (const bool exchange : {true, false}) {
    test::removeTree(dir.path());
    ASSERT_EQ(::mkdir(dir.path().c_str(), 0700), 0);
    dir.write("f.txt", "v0");
    fs.exchangeRefused = !exchange;
    for (int v = 1; v <= 3; ++v) {
      const FileStatus original = opened(dir.file("f.txt"));
      auto out = beginSaveOf(fs, dir.file("f.txt"), original, {false, "~"});
      ASSERT_TRUE(out);
      ASSERT_TRUE(writeAll(*out, "v" + std::to_string(v)));
      ASSERT_EQ(out->commit(), SaveOutcome::Replaced) << exchange;
    }
    fs.exchangeRefused = false;
    EXPECT_EQ(dir.read("f.txt"), "v3") << exchange;
    EXPECT_EQ(dir.read("f.txt~"), "v0") << exchange;
    EXPECT_EQ(dir.read("f.txt.~1~"), "v1") << exchange;
    EXPECT_EQ(dir.read("f.txt.~2~"), "v2") << exchange;
  }
}

// A backup that cannot be made (the step refused, a name too long) leaves
// the file as it was, the old backup name as it was, and no temporary
// file.
TEST_P(SaveFileTest, ABackupThatCannotBeMadeLeavesTheFileAsItWas) {
  struct Case {
    const char *what;
    bool exchange;
    std::string suffix;
    bool directory; // a directory under the backup name
    bool refused;   // the Backup step fails
  };
  const std::string tooLong(300, 'x');
  for (const Case &c : {Case{"refused", true, "~", false, true},
                        Case{"refused", false, "~", false, true},
                        Case{"too long", true, tooLong, false, false},
                        Case{"too long", false, tooLong, false, false}}) {
    const std::string where =
        std::string(c.what) + (c.exchange ? " exchange" : " rename");
    test::removeTree(dir.path());
    ASSERT_EQ(::mkdir(dir.path().c_str(), 0700), 0);
    dir.write("f.txt", "old");
    dir.chmod("f.txt", 0604);
    if (c.directory)
      dir.mkdir("f.txt" + c.suffix);
    else if (c.suffix.size() < 10)
      dir.write("f.txt" + c.suffix, "older");
    const ino_t inode = lstatOf(dir.file("f.txt")).st_ino;
    const std::set<std::string> before = entriesOf(dir.path());
    fs.exchangeRefused = !c.exchange;
    if (c.refused)
      fs.commitCheck = [](Step s) { return s != Step::Backup; };
    const FileStatus original = opened(dir.file("f.txt"));
    auto out = beginSaveOf(fs, dir.file("f.txt"), original, {false, c.suffix});
    ASSERT_TRUE(out) << where;
    ASSERT_TRUE(writeAll(*out, "new"));
    EXPECT_EQ(out->commit(), SaveOutcome::BackupNotKept) << where;
    fs.commitCheck = nullptr;
    fs.exchangeRefused = false;
    EXPECT_EQ(out->backupName(), "") << where;
    EXPECT_EQ(dir.read("f.txt"), "old") << where;
    EXPECT_EQ(lstatOf(dir.file("f.txt")).st_ino, inode) << where;
    EXPECT_EQ(dir.mode("f.txt"), 0604) << where;
    if (!c.directory && c.suffix.size() < 10) {
      EXPECT_EQ(dir.read("f.txt" + c.suffix), "older") << where;
    }
    EXPECT_EQ(entriesOf(dir.path()), before) << where;
  }
}

// A link under the backup name is neither followed nor replaced: what it
// leads to, outside the directory, stays as it was, and the original takes
// the next name.
TEST_P(SaveFileTest, ALinkUnderTheBackupNameIsNeitherFollowedNorReplaced) {
  for (const bool exchange : {true, false}) {
    test::removeTree(dir.path());
    ASSERT_EQ(::mkdir(dir.path().c_str(), 0700), 0);
    dir.mkdir("in");
    dir.write("outside.txt", "not ours");
    dir.write("in/f.txt", "old");
    dir.symlink("../outside.txt", "in/f.txt~");
    fs.exchangeRefused = !exchange;
    const FileStatus original = opened(dir.file("in/f.txt"));
    auto out = beginSaveOf(fs, dir.file("in/f.txt"), original, {false, "~"});
    ASSERT_TRUE(out);
    ASSERT_TRUE(writeAll(*out, "new"));
    EXPECT_EQ(out->commit(), SaveOutcome::Replaced) << exchange;
    fs.exchangeRefused = false;
    EXPECT_EQ(out->backupName(), "f.txt.~1~") << exchange;
    EXPECT_TRUE(isLink(dir.file("in/f.txt~"))) << exchange;
    EXPECT_EQ(dir.read("in/f.txt.~1~"), "old") << exchange;
    EXPECT_EQ(dir.read("in/f.txt"), "new") << exchange;
    EXPECT_EQ(dir.read("outside.txt"), "not ours") << exchange;
    EXPECT_EQ(entriesOf(dir.file("in")),
              (std::set<std::string>{"f.txt", "f.txt~", "f.txt.~1~"}))
        << exchange;
  }
}

// The file changed after it was read: no backup is made, an old one stays.
TEST_P(SaveFileTest, AChangedFileGetsNoBackup) {
  for (const bool exchange : {true, false}) {
    dir.write("f.txt", "old");
    dir.write("f.txt~", "older");
    makeOld(dir.file("f.txt"));
    fs.exchangeRefused = !exchange;
    const FileStatus original = opened(dir.file("f.txt"));
    auto out = beginSaveOf(fs, dir.file("f.txt"), original, {false, "~"});
    ASSERT_TRUE(out);
    ASSERT_TRUE(writeAll(*out, "new"));
    dir.write("f.txt", "another program's");
    EXPECT_EQ(out->commit(), SaveOutcome::TargetChanged) << exchange;
    fs.exchangeRefused = false;
    EXPECT_EQ(dir.read("f.txt"), "another program's") << exchange;
    EXPECT_EQ(dir.read("f.txt~"), "older") << exchange;
    EXPECT_EQ(entriesOf(dir.path()), (std::set<std::string>{"f.txt", "f.txt~"}))
        << exchange;
  }
}

// --output: a new file gets the mode it was begun with limited by the
// umask, with RENAME_NOREPLACE and with the hard-link fallback; what was
// written reads back; nothing else is left.
TEST_P(SaveFileTest, ANewFileTakesItsNameWithTheModeLimitedByTheUmask) {
  const mode_t mask = ::umask(027);
  for (const bool exchange : {true, false}) {
    const std::string where = exchange ? "noreplace" : "link";
    fs.exchangeRefused = !exchange;
    SystemError why;
    auto out = fs.beginNewFile(dir.file("new.txt"), 0666, {}, why);
    ASSERT_TRUE(out) << where << ": " << why.text;
    ASSERT_TRUE(writeAll(*out, "content"));
    auto back = out->readBack();
    ASSERT_TRUE(back) << where;
    char buffer[16] = {};
    std::size_t got = 0;
    ASSERT_TRUE(back->read(buffer, sizeof buffer, got));
    EXPECT_EQ(std::string(buffer, got), "content") << where;
    EXPECT_FALSE(dir.exists("new.txt")) << where << ": named before the commit";
    EXPECT_EQ(out->commit(), SaveOutcome::Replaced) << where;
    fs.exchangeRefused = false;
    EXPECT_EQ(dir.read("new.txt"), "content") << where;
    EXPECT_EQ(dir.mode("new.txt"), 0640) << where;
    EXPECT_EQ(entriesOf(dir.path()), std::set<std::string>{"new.txt"}) << where;
    ASSERT_EQ(::unlink(dir.file("new.txt").c_str()), 0);
  }
  ::umask(mask);
}

// A file that appears under the name between the begin and the commit (at
// each step of it) is never replaced; a failing step leaves no file.
TEST_P(SaveFileTest, ANewFileNeverClobbersOneThatAppeared) {
  for (const bool exchange : {true, false}) {
    for (const Step at : {Step::Flush, Step::Check, Step::Link, Step::Rename}) {
      for (const bool appears : {true, false}) {
        const std::string where = std::to_string(static_cast<int>(at)) +
                                  (exchange ? " noreplace" : " link") +
                                  (appears ? " appears" : " fails");
        test::removeTree(dir.path());
        ASSERT_EQ(::mkdir(dir.path().c_str(), 0700), 0);
        fs.exchangeRefused = !exchange;
        SystemError why;
        auto out = fs.beginNewFile(dir.file("out.txt"), 0644, {}, why);
        ASSERT_TRUE(out) << where;
        ASSERT_TRUE(writeAll(*out, "ours"));
        bool reached = false;
        fs.commitCheck = [&, at, appears](Step s) {
          if (s != at)
            return true;
          reached = true;
          if (appears)
            dir.write("out.txt", "theirs");
          return appears;
        };
        const SaveOutcome outcome = out->commit();
        fs.commitCheck = nullptr;
        fs.exchangeRefused = false;
        if (!reached) {
          // A named file takes no link, an unnamed one no rename.
          EXPECT_EQ(outcome, SaveOutcome::Replaced) << where;
          continue;
        }
        if (appears) {
          EXPECT_EQ(outcome, SaveOutcome::TargetChanged) << where;
          EXPECT_EQ(dir.read("out.txt"), "theirs") << where;
          EXPECT_EQ(entriesOf(dir.path()), std::set<std::string>{"out.txt"})
              << where;
        } else {
          EXPECT_EQ(outcome, SaveOutcome::WriteFailed) << where;
          EXPECT_TRUE(entriesOf(dir.path()).empty()) << where;
        }
      }
    }
  }
}

// An existing file keeps its own mode and attributes, is replaced in one
// step, and only while it is the version seen at the begin; abandoned,
// nothing changes.
TEST_P(SaveFileTest, ANewFileOverAnExistingOneKeepsItsOwnModeAndVersion) {
  dir.write("out.txt", "theirs");
  dir.chmod("out.txt", 0600);
  SystemError why;
  auto out = fs.beginNewFile(dir.file("out.txt"), 0755, {}, why);
  ASSERT_TRUE(out) << why.text;
  ASSERT_TRUE(writeAll(*out, "ours"));
  EXPECT_EQ(out->commit(), SaveOutcome::Replaced);
  EXPECT_EQ(dir.read("out.txt"), "ours");
  EXPECT_EQ(dir.mode("out.txt"), 0600);

  makeOld(dir.file("out.txt"));
  out = fs.beginNewFile(dir.file("out.txt"), 0644, {}, why);
  ASSERT_TRUE(out);
  ASSERT_TRUE(writeAll(*out, "second"));
  dir.write("out.txt", "changed");
  EXPECT_EQ(out->commit(), SaveOutcome::TargetChanged);
  EXPECT_EQ(dir.read("out.txt"), "changed");

  out = fs.beginNewFile(dir.file("gone.txt"), 0644, {}, why);
  ASSERT_TRUE(out);
  ASSERT_TRUE(writeAll(*out, "dropped"));
  out.reset();
  EXPECT_EQ(entriesOf(dir.path()), std::set<std::string>{"out.txt"});

  dir.mkdir("sub");
  EXPECT_FALSE(fs.beginNewFile(dir.file("sub"), 0644, {}, why));
  EXPECT_EQ(why.code, EISDIR);
  EXPECT_FALSE(fs.beginNewFile(dir.file("none/x.txt"), 0644, {}, why));
  EXPECT_NE(why.code, 0);
}

// DirectoryFlush::Later: the commit flushes the file's data before its
// rename but leaves the directory's flush to its caller, handing over the
// directory it renamed in; flushDirectory() then flushes it, or says why
// not. Every other save (the default rules, a NewFile) flushes it itself.
TEST_P(SaveFileTest, ADirectoryFlushLeftForLaterIsHandedToTheCaller) {
  const SaveRules later{false, {}, DirectoryFlush::Later};
  const auto directoryId = fs.status(FileLocation(dir.path()))->id;
  for (const bool exchange : {true, false}) {
    const std::string where = exchange ? "exchange" : "rename";
    fs.exchangeRefused = !exchange;
    std::vector<Step> steps;
    fs.commitCheck = [&steps](Step s) {
      steps.push_back(s);
      return true;
    };
    dir.write("f.txt", "old");
    auto out =
        beginSaveOf(fs, dir.file("f.txt"), opened(dir.file("f.txt")), later);
    ASSERT_TRUE(out) << where;
    ASSERT_TRUE(writeAll(*out, "new"));
    ASSERT_EQ(out->commit(), SaveOutcome::Replaced) << where;
    EXPECT_EQ(dir.read("f.txt"), "new") << where;
    const auto at = [&steps](Step s) {
      return std::find(steps.begin(), steps.end(), s) - steps.begin();
    };
    const Step swap = exchange ? Step::Exchange : Step::Rename;
    EXPECT_LT(at(Step::Flush), at(swap)) << where << ": data flushed late";
    EXPECT_EQ(at(Step::DirectoryFlush), std::ssize(steps))
        << where << ": the commit flushed its directory";
    const auto unflushed = out->unflushedDirectory();
    ASSERT_TRUE(unflushed) << where;
    EXPECT_EQ(unflushed->id(), directoryId) << where;
    SystemError why;
    EXPECT_TRUE(fs.flushDirectory(*unflushed, why)) << where << why.text;
    EXPECT_EQ(steps.back(), Step::DirectoryFlush) << where;
    // A refused flush gives the system's reason; the content stays.
    fs.commitCheck = [](Step s) { return s != Step::DirectoryFlush; };
    EXPECT_FALSE(fs.flushDirectory(*unflushed, why)) << where;
    EXPECT_EQ(why.code, EIO) << where << ": " << why.text;
    EXPECT_EQ(dir.read("f.txt"), "new") << where;

    // The default rules and a NewFile flush the directory with the commit.
    for (const bool newFile : {false, true}) {
      steps.clear();
      fs.commitCheck = [&steps](Step s) {
        steps.push_back(s);
        return true;
      };
      std::unique_ptr<SaveFile> save;
      if (newFile) {
        save = fs.beginNewFile(dir.file("n.txt"), 0644, later, why);
      } else {
        save = beginSaveOf(fs, dir.file("f.txt"), opened(dir.file("f.txt")));
      }
      ASSERT_TRUE(save) << where;
      ASSERT_TRUE(writeAll(*save, "again"));
      ASSERT_EQ(save->commit(), SaveOutcome::Replaced) << where;
      EXPECT_EQ(steps.back(), Step::DirectoryFlush)
          << where << (newFile ? " new file" : " default rules");
      EXPECT_FALSE(save->unflushedDirectory()) << where;
    }
    fs.commitCheck = nullptr;
    fs.exchangeRefused = false;
    ASSERT_EQ(::unlink(dir.file("n.txt").c_str()), 0);
  }
  EXPECT_EQ(entriesOf(dir.path()), std::set<std::string>{"f.txt"});
}

TEST(TemporaryName, RecognisesOurNamesOnly) {
  struct Case {
    const char *name;
    bool ours;
  };
  const Case cases[] = {
      {"~sn$ln~.tmp", true},
      {".~sn$ln~AbCdEf012345.tmp", true},
      {".~sn$ln~000000000000.tmp", true},
      {".~sn$ln~AbCdEf01234.tmp", false},   // eleven
      {".~sn$ln~AbCdEf0123456.tmp", false}, // thirteen
      {".~sn$ln~AbCdEf-12345.tmp", false},
      {".~sn$ln~AbCdEf012345.txt", false},
      {"~sn$ln~AbCdEf012345.tmp", false},
      {".~sn$ln~XXXXXX", false},
      {"~sn$ln~.TMP", false},
      {"a.txt", false},
      {"", false},
  };
  for (const Case &c : cases)
    EXPECT_EQ(isTemporaryName(c.name), c.ours) << c.name;
}

// Every name the save service spells, from random bytes or from the
// fallback without a random source, is one isTemporaryName recognises, and
// two fallback names in a row differ.
TEST(TemporaryName, EverySpelledNameIsRecognised) {
  unsigned char bytes[kTemporaryNameBytes];
  for (unsigned first = 0; first < 256; ++first) {
    for (std::size_t i = 0; i < sizeof bytes; ++i)
      bytes[i] = static_cast<unsigned char>(first + i * 37);
    const std::string name = temporaryNameFrom(bytes);
    EXPECT_TRUE(isTemporaryName(name)) << name;
  }
  fillWithoutRandomSource(bytes, 4242);
  const std::string one = temporaryNameFrom(bytes);
  fillWithoutRandomSource(bytes, 4242);
  const std::string two = temporaryNameFrom(bytes);
  EXPECT_TRUE(isTemporaryName(one)) << one;
  EXPECT_NE(one, two) << one;
}

// What the preview asks before it saves: whether a new version of a file
// may take its place. A user's own file marked read-only may be replaced
// (asked about first); another user's file, or one in a directory the user
// may not write, may not (with the system's reason), and neither may a file
// that is not there. Each row is asked as the other user (nobody), whose
// files the rows make.
struct ReplaceRow {
  const char *label;
  std::string file;  // asked for, in the row's directory
  int directoryMode; // of the row's directory
  bool othersFile;   // the file belongs to the test's user, not nobody
  int fileMode;      // of the file
  bool throughLink;  // asked through a link "link" to the file
  ReplaceAccess access;
  int error;
};

TEST(ReplaceAccessTest, TellsBeforeAnythingIsWritten) {
  if (!test::canActAsOtherUser())
    GTEST_SKIP() << "needs root to act as another user";
  const ReplaceRow rows[] = {
      {"own, writable", "f.txt", 0777, false, 0644, false,
       ReplaceAccess::Allowed, 0},
      {"own, read-only", "f.txt", 0777, false, 0444, false,
       ReplaceAccess::ReadOnly, 0},
      {"own, read-only, through a link", "link", 0777, false, 0444, true,
       ReplaceAccess::ReadOnly, 0},
      {"another's, not writable", "f.txt", 0777, true, 0644, false,
       ReplaceAccess::Denied, EACCES},
      {"another's, writable", "f.txt", 0777, true, 0666, false,
       ReplaceAccess::Denied, EPERM},
      {"own, in a read-only directory", "f.txt", 0555, false, 0644, false,
       ReplaceAccess::Denied, EACCES},
      {"missing", "none.txt", 0777, false, 0644, false, ReplaceAccess::Denied,
       ENOENT},
  };
  for (const ReplaceRow &row : rows) {
    TempDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    dir.mkdir("d");
    dir.write("d/f.txt", "text");
    if (!row.othersFile) {
      ASSERT_EQ(::chown(dir.file("d/f.txt").c_str(), test::kOtherUser,
                        test::kOtherGroup),
                0);
    }
    dir.chmod("d/f.txt", row.fileMode);
    if (row.throughLink)
      dir.symlink("f.txt", "d/link");
    dir.chmod("d", row.directoryMode);
    const std::string path = dir.file("d/" + row.file);
    const test::ChildOutcome child =
        test::runAsOtherUser([&](std::ostream &out, std::ostream &) {
          const ReplaceCheck check = realFileSystem().replaceAccess(path);
          out << static_cast<int>(check.access) << " " << check.systemError;
          return 0;
        });
    EXPECT_EQ(child.status, 0) << row.label << ": " << child.err;
    EXPECT_EQ(child.out, std::to_string(static_cast<int>(row.access)) + " " +
                             std::to_string(row.error))
        << row.label;
    EXPECT_EQ(dir.read("d/f.txt"), "text") << row.label;
  }
}

// The superuser may replace any file, keeping its owner: read-only only
// where nobody may write it.
TEST(ReplaceAccessTest, TheSuperuserIsAskedOnlyAboutReadOnlyFiles) {
  if (::geteuid() != 0)
    GTEST_SKIP() << "runs as root";
  TempDir dir;
  for (const auto &[mode, access] : {std::pair{0644, ReplaceAccess::Allowed},
                                     std::pair{0400, ReplaceAccess::ReadOnly},
                                     std::pair{0444, ReplaceAccess::ReadOnly},
                                     std::pair{0464, ReplaceAccess::Allowed}}) {
    dir.write("f.txt", "text");
    ASSERT_EQ(
        ::chown(dir.file("f.txt").c_str(), test::kOtherUser, test::kOtherGroup),
        0);
    dir.chmod("f.txt", mode);
    EXPECT_EQ(realFileSystem().replaceAccess(dir.file("f.txt")).access, access)
        << std::oct << mode;
  }
}

} // namespace
} // namespace snpln::platform
