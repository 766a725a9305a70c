// The POSIX file system on real files in temporary directories, and the
// fault-injecting decorator.
#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/command_line.h"
#include "platform/file_system.h"
#include "platform/posix_file_system.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/temp_dir.h"

namespace snpln::platform {
namespace {

using test::ChangeDirectory;
using test::TempDir;

std::string readAll(InputFile &in) {
  std::string out;
  char buf[7]; // small on purpose: several reads
  for (;;) {
    std::size_t got = 0;
    EXPECT_TRUE(in.read(buf, sizeof buf, got));
    if (got == 0)
      break;
    out.append(buf, got);
  }
  return out;
}

bool writeAll(OutputFile &out, const std::string &bytes) {
  std::size_t written = 0;
  return out.write(bytes.data(), bytes.size(), written) &&
         written == bytes.size();
}

ino_t inodeOf(const std::string &path) {
  struct stat st;
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st.st_ino;
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

std::set<std::string> namesIn(const std::string &dir) {
  std::set<std::string> names;
  PosixFileSystem fs;
  if (auto l = fs.list(dir + "/*")) {
    while (auto e = l->next())
      if (e->name != "." && e->name != "..")
        names.insert(e->name);
  }
  return names;
}

std::map<std::string, std::uint32_t> listAll(FileSystem &fs,
                                             const std::string &pattern) {
  std::map<std::string, std::uint32_t> out;
  auto l = fs.list(pattern);
  if (!l)
    return out;
  while (auto e = l->next()) {
    EXPECT_EQ(out.count(e->name), 0u) << "listed twice: " << e->name;
    out[e->name] = e->attributes;
  }
  return out;
}

class PlatformTest : public ::testing::Test {
protected:
  TempDir dir;
  PosixFileSystem fs;
};

// ---------------------------------------------------------------- openRead

TEST_F(PlatformTest, OpenReadsARegularFile) {
  dir.write("a.txt", "hello, world");
  auto in = fs.openRead(dir.file("a.txt"));
  ASSERT_TRUE(in);
  FileSize size = 0;
  ASSERT_TRUE(in->size(size));
  EXPECT_EQ(size, 12u);
  EXPECT_EQ(readAll(*in), "hello, world");
  EXPECT_EQ(in->position(), 12u);
  std::size_t got = 99;
  char c;
  EXPECT_TRUE(in->read(&c, 1, got));
  EXPECT_EQ(got, 0u);
  ASSERT_TRUE(in->seek(7));
  EXPECT_EQ(in->position(), 7u);
  EXPECT_EQ(readAll(*in), "world");
}

TEST_F(PlatformTest, OpenFillsTheWholeBuffer) {
  const std::string data(100000, 'x');
  dir.write("big", data);
  auto in = fs.openRead(dir.file("big"));
  ASSERT_TRUE(in);
  std::string buf(data.size() + 10, '\0');
  std::size_t got = 0;
  ASSERT_TRUE(in->read(buf.data(), buf.size(), got));
  EXPECT_EQ(got, data.size());
}

TEST_F(PlatformTest, OpenRefusesMissingDirectoryFifoAndDevice) {
  EXPECT_FALSE(fs.openRead(dir.file("missing")));
  EXPECT_FALSE(fs.openRead(""));
  dir.mkdir("sub");
  EXPECT_FALSE(fs.openRead(dir.file("sub")));
  EXPECT_FALSE(fs.openRead(dir.path()));
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0644), 0);
  EXPECT_FALSE(fs.openRead(dir.file("fifo"))); // and does not block
  EXPECT_FALSE(fs.openRead("/dev/null"));
}

TEST_F(PlatformTest, OpenFollowsALinkToAFileOnly) {
  dir.write("real", "content");
  dir.mkdir("sub");
  dir.symlink("real", "tofile");
  dir.symlink("sub", "todir");
  dir.symlink("nowhere", "dangling");
  auto in = fs.openRead(dir.file("tofile"));
  ASSERT_TRUE(in);
  EXPECT_EQ(readAll(*in), "content");
  EXPECT_FALSE(fs.openRead(dir.file("todir")));
  EXPECT_FALSE(fs.openRead(dir.file("dangling")));
}

TEST_F(PlatformTest, OpenReadsAFileWithoutReadPermissionBitsAsRootOnly) {
  dir.write("secret", "s");
  dir.chmod("secret", 0);
  auto in = fs.openRead(dir.file("secret"));
  if (::geteuid() == 0)
    EXPECT_TRUE(in);
  else
    EXPECT_FALSE(in);
}

TEST_F(PlatformTest, SizesAndPositionsAre64Bit) {
  const FileSize big = (FileSize{1} << 32) + 4096 + 3; // past 4 GiB, sparse
  dir.write("sparse", "");
  ASSERT_EQ(::truncate(dir.file("sparse").c_str(), static_cast<off_t>(big)), 0);
  auto in = fs.openRead(dir.file("sparse"));
  ASSERT_TRUE(in);
  FileSize size = 0;
  ASSERT_TRUE(in->size(size));
  EXPECT_EQ(size, big);
  ASSERT_TRUE(in->seek(big - 2));
  EXPECT_EQ(in->position(), big - 2);
  char buf[8];
  std::size_t got = 0;
  ASSERT_TRUE(in->read(buf, sizeof buf, got));
  EXPECT_EQ(got, 2u);
  EXPECT_EQ(in->position(), big);
}

// -------------------------------------------------------------- attributes

TEST_F(PlatformTest, AttributeWords) {
  dir.write("plain", "x");
  dir.chmod("plain", 0644);
  dir.write("ro", "x");
  dir.chmod("ro", 0444);
  dir.write(".hidden", "x");
  dir.chmod(".hidden", 0600);
  dir.mkdir("sub", 0755);
  dir.mkdir("rosub", 0555);
  dir.mkdir(".hsub", 0700);
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0644), 0);

  auto word = [&](const std::string &name) {
    auto a = fs.getAttributes(dir.file(name));
    return a ? a->word : 0xFFFFFFFFu;
  };
  EXPECT_EQ(word("plain"), kAttrArchive);
  EXPECT_EQ(word("ro"), kAttrArchive | kAttrReadOnly);
  EXPECT_EQ(word(".hidden"), kAttrArchive | kAttrHidden);
  EXPECT_EQ(word("sub"), kAttrDirectory);
  EXPECT_TRUE(isExactlyDirectory(word("sub")));
  EXPECT_EQ(word("sub/"), kAttrDirectory);
  EXPECT_EQ(word("rosub"), kAttrDirectory | kAttrReadOnly);
  EXPECT_EQ(word(".hsub"), kAttrDirectory | kAttrHidden);
  EXPECT_EQ(word("fifo"), kAttrSystem);
  EXPECT_EQ(word("sub/."), kAttrDirectory);  // "." is not hidden
  EXPECT_EQ(word("sub/.."), kAttrDirectory); // nor ".."
  EXPECT_FALSE(fs.getAttributes(dir.file("missing")));
  EXPECT_FALSE(fs.getAttributes(""));

  EXPECT_EQ(fs.getAttributes(dir.file("plain"))->mode, 0644u);
  EXPECT_EQ(fs.getAttributes(dir.file("ro"))->mode, 0444u);
  EXPECT_EQ(fs.getAttributes(dir.file("rosub"))->mode, 0555u);
}

TEST_F(PlatformTest, GetAttributesFollowsLinks) {
  dir.write("real", "x");
  dir.chmod("real", 0440);
  dir.symlink("real", "link");
  dir.symlink("real", ".hlink");
  dir.symlink("nowhere", "dangling");
  auto a = fs.getAttributes(dir.file("link"));
  ASSERT_TRUE(a);
  EXPECT_EQ(a->word, kAttrArchive | kAttrReadOnly);
  EXPECT_EQ(a->mode, 0440u);
  EXPECT_EQ(fs.getAttributes(dir.file(".hlink"))->word,
            kAttrArchive | kAttrReadOnly | kAttrHidden);
  EXPECT_FALSE(fs.getAttributes(dir.file("dangling")));
}

TEST_F(PlatformTest, SetNormalAndRestoreGiveBackTheExactMode) {
  for (int mode : {0444, 0400, 0000, 0644, 0755, 0500, 02750, 01640, 04555}) {
    SCOPED_TRACE(mode);
    dir.write("f", "x");
    dir.chmod("f", mode);
    auto saved = fs.getAttributes(dir.file("f"));
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->mode, static_cast<std::uint32_t>(mode));
    ASSERT_TRUE(fs.setNormal(dir.file("f")));
    EXPECT_EQ(dir.mode("f"), mode | 0200);
    EXPECT_EQ(fs.getAttributes(dir.file("f"))->word & kAttrReadOnly, 0u);
    ASSERT_TRUE(fs.restoreAttributes(dir.file("f"), *saved));
    EXPECT_EQ(dir.mode("f"), mode);
    EXPECT_EQ(fs.getAttributes(dir.file("f"))->word, saved->word);
    ASSERT_EQ(::unlink(dir.file("f").c_str()), 0);
  }
}

TEST_F(PlatformTest, SetNormalAndRestoreFollowLinks) {
  dir.write("real", "x");
  dir.chmod("real", 0444);
  dir.symlink("real", "link");
  auto saved = fs.getAttributes(dir.file("link"));
  ASSERT_TRUE(fs.setNormal(dir.file("link")));
  EXPECT_EQ(dir.mode("real"), 0644);
  EXPECT_TRUE(isLink(dir.file("link")));
  ASSERT_TRUE(fs.restoreAttributes(dir.file("link"), *saved));
  EXPECT_EQ(dir.mode("real"), 0444);
  EXPECT_TRUE(isLink(dir.file("link")));
}

TEST_F(PlatformTest, SetNormalAndRestoreFailOnAMissingFile) {
  EXPECT_FALSE(fs.setNormal(dir.file("missing")));
  EXPECT_FALSE(fs.restoreAttributes(dir.file("missing"), {kAttrArchive, 0644}));
}

// ------------------------------------------------------ the temporary file

TEST_F(PlatformTest, CreateTempMakesAnEmptyPrivateFile) {
  ChangeDirectory cd(dir.path());
  auto out = fs.createTemp("~sn$ln~.tmp");
  ASSERT_TRUE(out);
  EXPECT_EQ(dir.mode("~sn$ln~.tmp"), 0600);
  EXPECT_TRUE(fs.markTemporary("~sn$ln~.tmp"));
  EXPECT_TRUE(writeAll(*out, "abc"));
  std::size_t written = 99;
  EXPECT_TRUE(out->write("", 0, written));
  EXPECT_EQ(written, 0u);
  EXPECT_TRUE(writeAll(*out, "def"));
  EXPECT_TRUE(out->flush());
  EXPECT_EQ(dir.read("~sn$ln~.tmp"), "abcdef");
}

TEST_F(PlatformTest, CreateTempReplacesALeftover) {
  dir.write("~sn$ln~.tmp", "old leftover content");
  dir.chmod("~sn$ln~.tmp", 0444);
  const ino_t old = inodeOf(dir.file("~sn$ln~.tmp"));
  auto out = fs.createTemp(dir.file("~sn$ln~.tmp"));
  ASSERT_TRUE(out);
  EXPECT_EQ(dir.read("~sn$ln~.tmp"), "");
  EXPECT_EQ(dir.mode("~sn$ln~.tmp"), 0600);
  (void)old; // the inode number may be reused; the content tells
}

TEST_F(PlatformTest, CreateTempDoesNotFollowAPlantedLink) {
  dir.write("victim", "precious");
  dir.chmod("victim", 0640);
  dir.symlink("victim", "~sn$ln~.tmp");
  {
    ChangeDirectory cd(dir.path());
    auto out = fs.createTemp("~sn$ln~.tmp");
    ASSERT_TRUE(out);
    EXPECT_TRUE(writeAll(*out, "attacker-controlled"));
    EXPECT_TRUE(out->flush());
  }
  EXPECT_EQ(dir.read("victim"), "precious");
  EXPECT_EQ(dir.mode("victim"), 0640);
  EXPECT_FALSE(isLink(dir.file("~sn$ln~.tmp")));
  EXPECT_EQ(dir.read("~sn$ln~.tmp"), "attacker-controlled");
}

TEST_F(PlatformTest, CreateTempDoesNotCreateThroughADanglingLink) {
  dir.symlink(dir.file("created-through-link"), "~sn$ln~.tmp");
  auto out = fs.createTemp(dir.file("~sn$ln~.tmp"));
  ASSERT_TRUE(out);
  EXPECT_FALSE(dir.exists("created-through-link"));
  EXPECT_FALSE(isLink(dir.file("~sn$ln~.tmp")));
}

TEST_F(PlatformTest, CreateTempFailsOnADirectoryOfThatName) {
  dir.mkdir("~sn$ln~.tmp");
  dir.write("~sn$ln~.tmp/inside", "x");
  EXPECT_FALSE(fs.createTemp(dir.file("~sn$ln~.tmp")));
  EXPECT_EQ(dir.read("~sn$ln~.tmp/inside"), "x");
  EXPECT_FALSE(fs.createTemp(""));
}

// ------------------------------------------------------------------ remove

TEST_F(PlatformTest, RemoveTakesFilesAndLinksButNotDirectories) {
  dir.write("f", "x");
  dir.write("real", "x");
  dir.symlink("real", "link");
  dir.mkdir("sub");
  EXPECT_TRUE(fs.remove(dir.file("f")));
  EXPECT_FALSE(dir.exists("f"));
  EXPECT_TRUE(fs.remove(dir.file("link")));
  EXPECT_FALSE(dir.exists("link"));
  EXPECT_TRUE(dir.exists("real"));
  EXPECT_FALSE(fs.remove(dir.file("sub")));
  EXPECT_TRUE(dir.exists("sub"));
  EXPECT_FALSE(fs.remove(dir.file("missing")));
}

// ------------------------------------------------------------- replaceWith

class ReplaceTest : public PlatformTest {
protected:
  // A temporary file as a job leaves it: written, flushed, closed.
  void makeTemp(const std::string &path, const std::string &content) {
    auto out = fs.createTemp(path);
    ASSERT_TRUE(out);
    ASSERT_TRUE(writeAll(*out, content));
    ASSERT_TRUE(out->flush());
  }
  std::string tmp() const { return dir.file("~sn$ln~.tmp"); }
};

TEST_F(ReplaceTest, RenamesTheTempOverTheTargetWithTheSavedMode) {
  dir.write("t.txt", "old");
  dir.chmod("t.txt", 0640);
  const auto saved = *fs.getAttributes(dir.file("t.txt"));
  ASSERT_TRUE(fs.setNormal(dir.file("t.txt")));
  makeTemp(tmp(), "new content");
  ASSERT_TRUE(fs.replaceWith(tmp(), dir.file("t.txt"), saved));
  EXPECT_EQ(dir.read("t.txt"), "new content");
  EXPECT_EQ(dir.mode("t.txt"), 0640);
  EXPECT_FALSE(dir.exists("~sn$ln~.tmp"));
  EXPECT_FALSE(isLink(dir.file("t.txt")));
}

TEST_F(ReplaceTest, AReadOnlyFileStaysReadOnly) {
  dir.write("t.txt", "old");
  dir.chmod("t.txt", 0444);
  const auto saved = *fs.getAttributes(dir.file("t.txt"));
  ASSERT_TRUE(fs.setNormal(dir.file("t.txt")));
  makeTemp(tmp(), "new");
  ASSERT_TRUE(fs.replaceWith(tmp(), dir.file("t.txt"), saved));
  ASSERT_TRUE(fs.restoreAttributes(dir.file("t.txt"), saved));
  EXPECT_EQ(dir.read("t.txt"), "new");
  EXPECT_EQ(dir.mode("t.txt"), 0444);
  EXPECT_EQ(fs.getAttributes(dir.file("t.txt"))->word,
            kAttrArchive | kAttrReadOnly);
}

TEST_F(ReplaceTest, ADefaultKeepTakesTheTargetsMode) {
  dir.write("t.txt", "old");
  dir.chmod("t.txt", 0604);
  makeTemp(tmp(), "new");
  ASSERT_TRUE(fs.replaceWith(tmp(), dir.file("t.txt"), FileAttributes{}));
  EXPECT_EQ(dir.mode("t.txt"), 0604);
  EXPECT_EQ(dir.read("t.txt"), "new");
}

TEST_F(ReplaceTest, ALinkStaysALinkAndItsTargetIsRewritten) {
  dir.mkdir("data");
  dir.write("data/real.txt", "old");
  dir.chmod("data/real.txt", 0660);
  dir.symlink("data/real.txt", "link1");
  dir.symlink("link1", "link2"); // a chain
  const auto saved = *fs.getAttributes(dir.file("link2"));
  makeTemp(tmp(), "new through the link");
  ASSERT_TRUE(fs.replaceWith(tmp(), dir.file("link2"), saved));
  EXPECT_TRUE(isLink(dir.file("link2")));
  EXPECT_TRUE(isLink(dir.file("link1")));
  EXPECT_EQ(linkText(dir.file("link2")), "link1");
  EXPECT_EQ(linkText(dir.file("link1")), "data/real.txt");
  EXPECT_EQ(dir.read("data/real.txt"), "new through the link");
  EXPECT_EQ(dir.mode("data/real.txt"), 0660);
  EXPECT_FALSE(dir.exists("~sn$ln~.tmp"));
  EXPECT_EQ(namesIn(dir.path()),
            (std::set<std::string>{"data", "link1", "link2"}));
}

TEST_F(ReplaceTest, ARelativeLinkFromTheCurrentDirectory) {
  dir.mkdir("work");
  dir.write("real.txt", "old");
  dir.symlink("../real.txt", "work/link");
  ChangeDirectory cd(dir.file("work"));
  makeTemp("~sn$ln~.tmp", "new");
  ASSERT_TRUE(fs.replaceWith("~sn$ln~.tmp", "link", {kAttrArchive, 0644}));
  EXPECT_TRUE(isLink(dir.file("work/link")));
  EXPECT_EQ(dir.read("real.txt"), "new");
  EXPECT_EQ(namesIn(dir.file("work")), (std::set<std::string>{"link"}));
}

TEST_F(ReplaceTest, TheCopyPathGivesTheSameResult) {
  dir.mkdir("data");
  dir.write("data/t.txt", "old");
  dir.chmod("data/t.txt", 0444);
  dir.symlink("data/t.txt", "link");
  const auto saved = *fs.getAttributes(dir.file("data/t.txt"));
  makeTemp(tmp(), "copied content");
  fs.forceCopyReplace = true;
  ASSERT_TRUE(fs.replaceWith(tmp(), dir.file("link"), saved));
  EXPECT_EQ(dir.read("data/t.txt"), "copied content");
  EXPECT_EQ(dir.mode("data/t.txt"), 0444);
  EXPECT_TRUE(isLink(dir.file("link")));
  EXPECT_FALSE(dir.exists("~sn$ln~.tmp"));
  EXPECT_EQ(namesIn(dir.file("data")), (std::set<std::string>{"t.txt"}));
}

TEST_F(ReplaceTest, TheCopyPathHandlesABigFile) {
  std::string big(3 * 65536 + 17, '\0');
  for (std::size_t i = 0; i < big.size(); ++i)
    big[i] = static_cast<char>(i * 31 + 7);
  dir.write("t", "old");
  makeTemp(tmp(), big);
  fs.forceCopyReplace = true;
  ASSERT_TRUE(fs.replaceWith(tmp(), dir.file("t"), {kAttrArchive, 0600}));
  EXPECT_EQ(dir.read("t"), big);
}

TEST_F(ReplaceTest, AcrossFilesystemsThroughExdev) {
  TempDir shm("/dev/shm");
  if (shm.device() == dir.device())
    GTEST_SKIP() << "/dev/shm and " << dir.path()
                 << " lie on the same filesystem";
  dir.write("t.txt", "old");
  dir.chmod("t.txt", 0640);
  const auto saved = *fs.getAttributes(dir.file("t.txt"));
  const std::string temp = shm.file("~sn$ln~.tmp");
  makeTemp(temp, "new across filesystems");
  // The plain rename really fails with EXDEV here.
  ASSERT_NE(::rename(temp.c_str(), dir.file("probe").c_str()), 0);
  ASSERT_EQ(errno, EXDEV);
  ASSERT_TRUE(fs.replaceWith(temp, dir.file("t.txt"), saved));
  EXPECT_EQ(dir.read("t.txt"), "new across filesystems");
  EXPECT_EQ(dir.mode("t.txt"), 0640);
  EXPECT_FALSE(shm.exists("~sn$ln~.tmp"));
  EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"t.txt"}));
}

TEST_F(ReplaceTest, AcrossFilesystemsFailingLeavesBothUntouched) {
  TempDir shm("/dev/shm");
  if (shm.device() == dir.device())
    GTEST_SKIP() << "same filesystem";
  dir.mkdir("target");
  dir.write("target/keep", "x");
  const std::string temp = shm.file("~sn$ln~.tmp");
  makeTemp(temp, "new");
  EXPECT_FALSE(fs.replaceWith(temp, dir.file("target"), {kAttrArchive, 0644}));
  EXPECT_EQ(shm.read("~sn$ln~.tmp"), "new");
  EXPECT_EQ(dir.read("target/keep"), "x");
  EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"target"}));
}

TEST_F(ReplaceTest, FailingOntoADirectoryLeavesTargetAndTemp) {
  for (bool copy : {false, true}) {
    SCOPED_TRACE(copy ? "copy path" : "rename path");
    fs.forceCopyReplace = copy;
    dir.mkdir("target");
    dir.write("target/inside", "keep me");
    makeTemp(tmp(), "new");
    EXPECT_FALSE(
        fs.replaceWith(tmp(), dir.file("target"), {kAttrArchive, 0644}));
    EXPECT_EQ(dir.read("~sn$ln~.tmp"), "new");
    EXPECT_EQ(dir.read("target/inside"), "keep me");
    EXPECT_EQ(namesIn(dir.path()),
              (std::set<std::string>{"target", "~sn$ln~.tmp"}));
    ASSERT_TRUE(test::removeTree(dir.file("target")));
  }
}

TEST_F(ReplaceTest, FailingWithoutATempLeavesTheTarget) {
  dir.write("t", "old");
  EXPECT_FALSE(fs.replaceWith(tmp(), dir.file("t"), {kAttrArchive, 0644}));
  EXPECT_EQ(dir.read("t"), "old");
  fs.forceCopyReplace = true;
  EXPECT_FALSE(fs.replaceWith(tmp(), dir.file("t"), {kAttrArchive, 0644}));
  EXPECT_EQ(dir.read("t"), "old");
  EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"t"}));
}

TEST_F(ReplaceTest, ALinkAsTempIsRefused) {
  dir.write("t", "old");
  dir.write("elsewhere", "other");
  dir.symlink("elsewhere", "~sn$ln~.tmp");
  EXPECT_FALSE(fs.replaceWith(tmp(), dir.file("t"), {kAttrArchive, 0644}));
  EXPECT_EQ(dir.read("t"), "old");
  EXPECT_EQ(dir.read("elsewhere"), "other");
}

TEST_F(ReplaceTest, ADanglingLinkTargetIsRefused) {
  dir.symlink("nowhere", "link");
  makeTemp(tmp(), "new");
  EXPECT_FALSE(fs.replaceWith(tmp(), dir.file("link"), {kAttrArchive, 0644}));
  EXPECT_TRUE(isLink(dir.file("link")));
  EXPECT_FALSE(dir.exists("nowhere"));
  EXPECT_EQ(dir.read("~sn$ln~.tmp"), "new");
}

// -------------------------------------------------------------------- list

class ListTest : public PlatformTest {
protected:
  void SetUp() override {
    dir.mkdir("d");
    dir.write("d/a.txt", "a");
    dir.write("d/B.TXT", "b");
    dir.write("d/c.htm", "c");
    dir.write("d/c.html", "c");
    dir.write("d/noext", "n");
    dir.write("d/.hidden", "h");
    dir.write("d/ro.txt", "r");
    dir.chmod("d/ro.txt", 0444);
    dir.mkdir("d/sub", 0755);
    dir.mkdir("d/dir.txt", 0755);
    dir.mkdir("d/rosub", 0555);
    dir.mkdir("d/.hsub", 0755);
    dir.symlink("sub", "d/tosub");
    dir.symlink("a.txt", "d/toa.txt");
    dir.symlink("nowhere", "d/dangling");
  }
  std::string d() const { return dir.file("d"); }
};

TEST_F(ListTest, StarDotStarListsEverythingWithItsWord) {
  const auto all = listAll(fs, d() + "/*.*");
  const std::map<std::string, std::uint32_t> expected = {
      {".", kAttrDirectory},
      {"..", kAttrDirectory},
      {"a.txt", kAttrArchive},
      {"B.TXT", kAttrArchive},
      {"c.htm", kAttrArchive},
      {"c.html", kAttrArchive},
      {"noext", kAttrArchive},
      {".hidden", kAttrArchive | kAttrHidden},
      {"ro.txt", kAttrArchive | kAttrReadOnly},
      {"sub", kAttrDirectory},
      {"dir.txt", kAttrDirectory},
      {"rosub", kAttrDirectory | kAttrReadOnly},
      {".hsub", kAttrDirectory | kAttrHidden},
      {"tosub", kAttrReparsePoint | kAttrDirectory},
      {"toa.txt", kAttrReparsePoint | kAttrArchive},
      {"dangling", kAttrReparsePoint},
  };
  EXPECT_EQ(all, expected);
  EXPECT_EQ(listAll(fs, d() + "/*"), expected);
  // Only real directories are "exactly a directory".
  std::set<std::string> dirs;
  for (const auto &[name, word] : all)
    if (isExactlyDirectory(word))
      dirs.insert(name);
  EXPECT_EQ(dirs, (std::set<std::string>{".", "..", "sub", "dir.txt"}));
}

TEST_F(ListTest, MasksFilterByName) {
  auto names = [&](const std::string &mask) {
    std::set<std::string> out;
    for (const auto &[name, word] : listAll(fs, d() + "/" + mask))
      out.insert(name);
    return out;
  };
  using S = std::set<std::string>;
  EXPECT_EQ(names("*.txt"),
            (S{"a.txt", "B.TXT", "ro.txt", "dir.txt", "toa.txt"}));
  EXPECT_EQ(names("*.TXT"), names("*.txt"));
  EXPECT_EQ(names("?.txt"), (S{"a.txt", "B.TXT"}));
  EXPECT_EQ(names("*.htm*"), (S{"c.htm", "c.html"}));
  EXPECT_EQ(names("noext.*"), (S{"noext"}));
  EXPECT_EQ(names("NOEXT"), (S{"noext"}));
  EXPECT_EQ(names(".*"), (S{".", "..", ".hidden", ".hsub"}));
  EXPECT_EQ(names("s*"), (S{"sub"}));
  EXPECT_EQ(names("*.doc"), S{});
}

TEST_F(ListTest, NothingWhenNothingMatchesOrNoDirectory) {
  EXPECT_FALSE(fs.list(d() + "/*.doc"));
  EXPECT_FALSE(fs.list(dir.file("missing") + "/*.*"));
  EXPECT_FALSE(fs.list(dir.file("d/a.txt") + "/*.*")); // not a directory
  EXPECT_FALSE(fs.list(d() + "/"));                    // an empty mask
}

TEST_F(ListTest, APatternWithoutADirectoryListsTheCurrentOne) {
  ChangeDirectory cd(d());
  std::set<std::string> names;
  for (const auto &[name, word] : listAll(fs, "*.txt"))
    names.insert(name);
  EXPECT_EQ(names, (std::set<std::string>{"a.txt", "B.TXT", "ro.txt", "dir.txt",
                                          "toa.txt"}));
  EXPECT_EQ(listAll(fs, "sub")["sub"], kAttrDirectory);
}

TEST_F(ListTest, TheRootDirectory) {
  const auto all = listAll(fs, "/*.*");
  ASSERT_TRUE(all.count("."));
  EXPECT_TRUE(all.count("tmp") || all.count("dev"));
}

TEST_F(ListTest, EntriesCreatedOrReplacedWhileOpenAreNotListedTwice) {
  auto l = fs.list(d() + "/*.txt");
  ASSERT_TRUE(l);
  std::vector<std::string> seen;
  while (auto e = l->next()) {
    seen.push_back(e->name);
    // Every visit rewrites the file through a temp in the same directory.
    if (!isExactlyDirectory(e->attributes) &&
        !(e->attributes & kAttrReparsePoint)) {
      const std::string temp = d() + "/~sn$ln~.tmp";
      auto out = fs.createTemp(temp);
      ASSERT_TRUE(out);
      ASSERT_TRUE(writeAll(*out, "rewritten"));
      ASSERT_TRUE(out->flush());
      out.reset();
      ASSERT_TRUE(
          fs.replaceWith(temp, d() + "/" + e->name, {kAttrArchive, 0644}));
      dir.write("d/new" + std::to_string(seen.size()) + ".txt", "n");
    }
  }
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(seen, (std::vector<std::string>{"B.TXT", "a.txt", "dir.txt",
                                            "ro.txt", "toa.txt"}));
}

TEST_F(ListTest, AnEntryThatVanishedIsSkipped) {
  auto l = fs.list(d() + "/?.txt");
  ASSERT_TRUE(l);
  ASSERT_EQ(::unlink(dir.file("d/a.txt").c_str()), 0);
  ASSERT_EQ(::unlink(dir.file("d/B.TXT").c_str()), 0);
  EXPECT_FALSE(l->next());
}

// ------------------------------------------------------------------ lookup

TEST_F(ListTest, LookupGivesTheThreeAnswers) {
  // Not found.
  EXPECT_FALSE(fs.lookup(dir.file("missing")));
  EXPECT_FALSE(fs.lookup(""));
  EXPECT_FALSE(fs.lookup(d() + "/*.doc"));
  EXPECT_FALSE(fs.lookup(d() + "/a.txt/"));
  EXPECT_FALSE(fs.lookup(dir.file("missing/*.*")));
  // Exactly a directory.
  EXPECT_EQ(fs.lookup(d()), kAttrDirectory);
  EXPECT_EQ(fs.lookup(d() + "/"), kAttrDirectory);
  EXPECT_EQ(fs.lookup(d() + "//"), kAttrDirectory);
  EXPECT_EQ(fs.lookup(d() + "/sub"), kAttrDirectory);
  EXPECT_EQ(fs.lookup("/"), kAttrDirectory);
  // Another word.
  EXPECT_EQ(fs.lookup(d() + "/a.txt"), kAttrArchive);
  EXPECT_EQ(fs.lookup(d() + "/rosub"), kAttrDirectory | kAttrReadOnly);
  EXPECT_EQ(fs.lookup(d() + "/.hsub"), kAttrDirectory | kAttrHidden);
  EXPECT_EQ(fs.lookup(d() + "/tosub"), kAttrReparsePoint | kAttrDirectory);
  EXPECT_EQ(fs.lookup(d() + "/tosub/"), kAttrReparsePoint | kAttrDirectory);
  EXPECT_EQ(fs.lookup(d() + "/toa.txt"), kAttrReparsePoint | kAttrArchive);
  EXPECT_EQ(fs.lookup(d() + "/dangling"), kAttrReparsePoint);
  // Wildcards: the first matching entry decides.
  EXPECT_EQ(fs.lookup(d() + "/??.htm"), std::nullopt);
  EXPECT_EQ(fs.lookup(d() + "/c.ht?"), kAttrArchive);
  EXPECT_EQ(fs.lookup(d() + "/su*"), kAttrDirectory);
  auto first = fs.list(d() + "/*.txt")->next();
  EXPECT_EQ(fs.lookup(d() + "/*.txt"), first->attributes);
}

TEST_F(ListTest, LookupOfARelativeName) {
  ChangeDirectory cd(dir.path());
  EXPECT_EQ(fs.lookup("d"), kAttrDirectory);
  EXPECT_EQ(fs.lookup("d/a.txt"), kAttrArchive);
  EXPECT_EQ(fs.lookup("."), kAttrDirectory);
  EXPECT_EQ(fs.lookup("d/sub/.."), kAttrDirectory);
  EXPECT_FALSE(fs.lookup("nothing"));
}

// ------------------------------------------------- the faulty decorator

class FaultyTest : public PlatformTest {
protected:
  FaultyFileSystem faulty{fs};
};

TEST_F(FaultyTest, PassesEverythingOnWithoutAPlan) {
  dir.write("a.txt", "abc");
  dir.mkdir("sub");
  ChangeDirectory cd(dir.path());
  auto in = faulty.openRead("a.txt");
  ASSERT_TRUE(in);
  EXPECT_EQ(readAll(*in), "abc");
  ASSERT_TRUE(in->seek(1));
  EXPECT_EQ(readAll(*in), "bc");
  auto saved = faulty.getAttributes("a.txt");
  ASSERT_TRUE(saved);
  EXPECT_TRUE(faulty.setNormal("a.txt"));
  auto out = faulty.createTemp("~sn$ln~.tmp");
  ASSERT_TRUE(out);
  EXPECT_TRUE(faulty.markTemporary("~sn$ln~.tmp"));
  EXPECT_TRUE(writeAll(*out, "ABC"));
  EXPECT_TRUE(out->flush());
  out.reset();
  in.reset();
  EXPECT_TRUE(faulty.replaceWith("~sn$ln~.tmp", "a.txt", *saved));
  EXPECT_TRUE(faulty.restoreAttributes("a.txt", *saved));
  EXPECT_EQ(dir.read("a.txt"), "ABC");
  EXPECT_TRUE(faulty.list("*.*"));
  EXPECT_EQ(faulty.lookup("sub"), kAttrDirectory);
  dir.write("gone", "x");
  EXPECT_TRUE(faulty.remove("gone"));

  EXPECT_EQ(faulty.calls.openRead, 1);
  EXPECT_EQ(faulty.calls.getAttributes, 1);
  EXPECT_EQ(faulty.calls.setNormal, 1);
  EXPECT_EQ(faulty.calls.createTemp, 1);
  EXPECT_EQ(faulty.calls.markTemporary, 1);
  EXPECT_EQ(faulty.calls.replaceWith, 1);
  EXPECT_EQ(faulty.calls.restoreAttributes, 1);
  EXPECT_EQ(faulty.calls.list, 1);
  EXPECT_EQ(faulty.calls.lookup, 1);
  EXPECT_EQ(faulty.calls.remove, 1);
  EXPECT_EQ(faulty.calls.seeks, 1);
  EXPECT_EQ(faulty.calls.writes, 1);
  EXPECT_EQ(faulty.calls.flushes, 1);
  EXPECT_EQ(faulty.calls.faults, 0);
  EXPECT_EQ(faulty.log.front(), "openRead a.txt");
  EXPECT_EQ(faulty.log[5], "replaceWith ~sn$ln~.tmp a.txt");
}

TEST_F(FaultyTest, EachPlannedCallFailsWithoutReachingTheFileSystem) {
  dir.write("a.txt", "abc");
  dir.chmod("a.txt", 0444);
  dir.write("~sn$ln~.tmp", "temp");
  const std::string a = dir.file("a.txt"), t = dir.file("~sn$ln~.tmp");
  const FileAttributes saved{kAttrArchive | kAttrReadOnly, 0444};
  faulty.fail.openRead = faulty.fail.getAttributes = faulty.fail.setNormal =
      faulty.fail.restoreAttributes = faulty.fail.createTemp =
          faulty.fail.markTemporary = faulty.fail.remove =
              faulty.fail.replaceWith = faulty.fail.list = faulty.fail.lookup =
                  true;
  EXPECT_FALSE(faulty.openRead(a));
  EXPECT_FALSE(faulty.getAttributes(a));
  EXPECT_FALSE(faulty.setNormal(a));
  EXPECT_EQ(dir.mode("a.txt"), 0444);
  EXPECT_FALSE(faulty.restoreAttributes(a, {kAttrArchive, 0644}));
  EXPECT_EQ(dir.mode("a.txt"), 0444);
  EXPECT_FALSE(faulty.markTemporary(t));
  EXPECT_FALSE(faulty.replaceWith(t, a, saved));
  EXPECT_EQ(dir.read("a.txt"), "abc");
  EXPECT_EQ(dir.read("~sn$ln~.tmp"), "temp");
  EXPECT_FALSE(faulty.remove(t));
  EXPECT_TRUE(dir.exists("~sn$ln~.tmp"));
  EXPECT_FALSE(faulty.createTemp(t));
  EXPECT_EQ(dir.read("~sn$ln~.tmp"), "temp"); // the leftover was not removed
  EXPECT_FALSE(faulty.list(dir.path() + "/*.*"));
  EXPECT_FALSE(faulty.lookup(a));
  EXPECT_EQ(faulty.calls.faults, 10);
  EXPECT_EQ(faulty.calls.replaceWith, 1);
  EXPECT_EQ(faulty.calls.remove, 1);
}

TEST_F(FaultyTest, OnlyPathLimitsTheFailures) {
  dir.write("a.txt", "a");
  dir.write("b.txt", "b");
  faulty.fail.openRead = true;
  faulty.fail.replaceWith = true;
  faulty.fail.onlyPath = dir.file("b.txt");
  EXPECT_TRUE(faulty.openRead(dir.file("a.txt")));
  EXPECT_FALSE(faulty.openRead(dir.file("b.txt")));
  dir.write("t1", "new a");
  EXPECT_TRUE(faulty.replaceWith(dir.file("t1"), dir.file("a.txt"),
                                 {kAttrArchive, 0644}));
  dir.write("t2", "new b");
  EXPECT_FALSE(faulty.replaceWith(dir.file("t2"), dir.file("b.txt"),
                                  {kAttrArchive, 0644}));
  EXPECT_EQ(dir.read("a.txt"), "new a");
  EXPECT_EQ(dir.read("b.txt"), "b");
  EXPECT_EQ(faulty.calls.faults, 2);
}

TEST_F(FaultyTest, AReadFailsWhenItWouldPassByteN) {
  dir.write("f", std::string(20, 'x'));
  faulty.fail.readAt = 10;
  auto in = faulty.openRead(dir.file("f"));
  ASSERT_TRUE(in);
  char buf[32];
  std::size_t got = 99;
  ASSERT_TRUE(in->read(buf, 6, got)); // bytes 0..5
  EXPECT_EQ(got, 6u);
  ASSERT_TRUE(in->read(buf, 4, got)); // bytes 6..9: up to, not past, byte 10
  EXPECT_EQ(got, 4u);
  EXPECT_FALSE(in->read(buf, 1, got)); // byte 10
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(in->position(), 10u);
  ASSERT_TRUE(in->seek(0));
  EXPECT_FALSE(in->read(buf, sizeof buf, got)); // 0..19 passes byte 10
  faulty.fail.readAt = kNoFault;
  ASSERT_TRUE(in->seek(0));
  ASSERT_TRUE(in->read(buf, sizeof buf, got));
  EXPECT_EQ(got, 20u);
  EXPECT_EQ(faulty.calls.reads, 5);
  EXPECT_EQ(faulty.calls.faults, 2);
}

TEST_F(FaultyTest, AReadAtTheEndDoesNotFail) {
  dir.write("f", "0123456789");
  faulty.fail.readAt = 10; // the file has no byte 10
  auto in = faulty.openRead(dir.file("f"));
  ASSERT_TRUE(in);
  char buf[32];
  std::size_t got = 0;
  ASSERT_TRUE(in->read(buf, sizeof buf, got));
  EXPECT_EQ(got, 10u);
  ASSERT_TRUE(in->read(buf, sizeof buf, got));
  EXPECT_EQ(got, 0u);
}

TEST_F(FaultyTest, SeekFails) {
  dir.write("f", "abc");
  auto in = faulty.openRead(dir.file("f"));
  ASSERT_TRUE(in);
  faulty.fail.seek = true;
  EXPECT_FALSE(in->seek(0));
  EXPECT_EQ(faulty.calls.seeks, 1);
}

TEST_F(FaultyTest, AWriteFailsWhenItWouldPassByteN) {
  faulty.fail.writeAt = 8;
  auto out = faulty.createTemp(dir.file("~sn$ln~.tmp"));
  ASSERT_TRUE(out);
  std::size_t written = 99;
  ASSERT_TRUE(out->write("abcde", 5, written));
  EXPECT_EQ(written, 5u);
  ASSERT_TRUE(out->write("fgh", 3, written)); // bytes 5..7
  EXPECT_EQ(written, 3u);
  EXPECT_FALSE(out->write("i", 1, written)); // byte 8
  EXPECT_EQ(written, 0u);
  EXPECT_TRUE(out->flush());
  EXPECT_EQ(dir.read("~sn$ln~.tmp"), "abcdefgh");
}

TEST_F(FaultyTest, AWriteIsCutShortAtByteN) {
  faulty.fail.shortWriteAt = 7;
  auto out = faulty.createTemp(dir.file("~sn$ln~.tmp"));
  ASSERT_TRUE(out);
  std::size_t written = 0;
  ASSERT_TRUE(out->write("abcde", 5, written));
  EXPECT_EQ(written, 5u);
  ASSERT_TRUE(out->write("fghij", 5, written)); // taken up to byte 7
  EXPECT_EQ(written, 2u);
  ASSERT_TRUE(out->write("k", 1, written)); // nothing more is taken
  EXPECT_EQ(written, 0u);
  EXPECT_TRUE(out->flush());
  EXPECT_EQ(dir.read("~sn$ln~.tmp"), "abcdefg");
  EXPECT_EQ(faulty.calls.faults, 2);
}

TEST_F(FaultyTest, FlushFails) {
  auto out = faulty.createTemp(dir.file("~sn$ln~.tmp"));
  ASSERT_TRUE(out);
  faulty.fail.flush = true;
  EXPECT_FALSE(out->flush());
  EXPECT_EQ(faulty.calls.flushes, 1);
}

TEST_F(FaultyTest, OverTheRealFileSystemByDefault) {
  FaultyFileSystem byDefault;
  EXPECT_EQ(&byDefault.inner(), &realFileSystem());
}

// ------------------------------------------------------------ command line

// The window's command-line splitter, written out here to check the round trip.
std::vector<std::string> splitCommandLine(const std::string &text) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= 0x20)
      ++i;
    if (i >= text.size())
      break;
    std::string word;
    if (text[i] == '"') {
      ++i;
      while (i < text.size() && text[i] != '"')
        word += text[i++];
      if (i < text.size())
        ++i; // the closing quote
    } else {
      while (i < text.size() && static_cast<unsigned char>(text[i]) > 0x20)
        word += text[i++];
    }
    if (!word.empty())
      words.push_back(word);
  }
  return words;
}

std::string raw(std::vector<std::string> args) {
  std::vector<char *> argv;
  static char program[] = "snpln";
  argv.push_back(program);
  for (auto &a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  return rawCommandLine(static_cast<int>(args.size() + 1), argv.data());
}

TEST(CommandLine, JoinsAndQuotes) {
  EXPECT_EQ(raw({}), "");
  EXPECT_EQ(raw({"a.txt"}), "a.txt");
  EXPECT_EQ(raw({"a.txt", "dir/b.txt"}), "a.txt dir/b.txt");
  EXPECT_EQ(raw({"my file.txt", "b"}), "\"my file.txt\" b");
  EXPECT_EQ(raw({"tab\there"}), "\"tab\there\"");
  EXPECT_EQ(raw({"", "b"}), "\"\" b");
  EXPECT_EQ(raw({"a\"b"}), "a\"b");
}

TEST(CommandLine, TheSplitterGivesBackTheSameNames) {
  const std::vector<std::vector<std::string>> cases = {
      {"a.txt"},
      {"a.txt", "b.txt", "c"},
      {"with blank.txt", "plain", "  lead and trail  "},
      {"new\nline", "\x01ctl", "\x7f\xff\xcf\xf0"},
      {"\xCF\xF0\xE8\xE2\xE5\xF2 \xEC\xE8\xF0.txt"},
      {"mid\"quote", "end\"", "x"},
      {"*.txt", "?", "dir/"},
  };
  for (const auto &args : cases) {
    const std::string text = raw(args);
    SCOPED_TRACE(text);
    EXPECT_EQ(splitCommandLine(text), args);
    for (const auto &a : args)
      EXPECT_TRUE(roundTripsOnCommandLine(a)) << a;
  }
  EXPECT_EQ(splitCommandLine(raw({"a", "", "b"})),
            (std::vector<std::string>{"a", "b"}));
}

TEST(CommandLine, ArgumentsThatCannotRoundTripAreLeftOut) {
  EXPECT_FALSE(roundTripsOnCommandLine("\"leading"));
  EXPECT_FALSE(roundTripsOnCommandLine("\""));
  EXPECT_FALSE(roundTripsOnCommandLine("a \"b"));
  EXPECT_TRUE(roundTripsOnCommandLine(""));
  EXPECT_EQ(raw({"a", "\"leading", "b"}), "a b");
  EXPECT_EQ(raw({"a \" b c", "d"}), "d");
  EXPECT_EQ(splitCommandLine(raw({"x", "\"y z", "w"})),
            (std::vector<std::string>{"x", "w"}));
}

TEST(RealFileSystem, IsOneInstance) {
  EXPECT_EQ(&realFileSystem(), &realFileSystem());
  EXPECT_NE(dynamic_cast<PosixFileSystem *>(&realFileSystem()), nullptr);
}

} // namespace
} // namespace snpln::platform
