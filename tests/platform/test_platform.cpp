// The POSIX file system on real files in temporary directories, and the
// fault-injecting decorator.
#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/backup_name.h"
#include "platform/command_line.h"
#include "platform/file_system.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/native_file_system.h"
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

std::set<std::string> namesIn(const std::string &dir) {
  std::set<std::string> names;
  test::NativeFileSystem fs;
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
  test::NativeFileSystem fs;
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
#ifndef _WIN32
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0644), 0);
  EXPECT_FALSE(fs.openRead(dir.file("fifo"))); // and does not block
#endif
  EXPECT_FALSE(fs.openRead(test::kOnWindows ? "NUL" : "/dev/null"));
}

TEST_F(PlatformTest, OpenFollowsALinkToAFileOnly) {
  SNPLN_SKIP_WITHOUT_LINKS();
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
  SNPLN_SKIP_ON_WINDOWS("no permission bits (access lists instead)");
#ifndef _WIN32
  dir.write("secret", "s");
  dir.chmod("secret", 0);
  auto in = fs.openRead(dir.file("secret"));
  if (::geteuid() == 0)
    EXPECT_TRUE(in);
  else
    EXPECT_FALSE(in);
#endif
}

TEST_F(PlatformTest, SizesAndPositionsAre64Bit) {
  const FileSize big = (FileSize{1} << 32) + 4096 + 3; // past 4 GiB, sparse
  dir.write("sparse", "");
  std::filesystem::resize_file(std::filesystem::u8path(dir.file("sparse")),
                               big);
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
  SNPLN_SKIP_ON_WINDOWS("FIFOs and permission bits (see WindowsAttributes)");
#ifndef _WIN32
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
    auto a = fs.lookup(dir.file(name));
    return a ? *a : 0xFFFFFFFFu;
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
  EXPECT_FALSE(fs.lookup(dir.file("missing")));
  EXPECT_FALSE(fs.lookup(""));

  EXPECT_EQ(fs.status(dir.file("plain"))->mode, 0644u);
  EXPECT_EQ(fs.status(dir.file("ro"))->mode, 0444u);
  EXPECT_EQ(fs.status(dir.file("rosub"))->mode, 0555u);
#endif
}

TEST_F(PlatformTest, StatusFollowsLinksAndMatchesTheOpenFile) {
  SNPLN_SKIP_ON_WINDOWS("owners, modes and utimensat are POSIX's");
#ifndef _WIN32
  dir.write("real", "xyz");
  dir.chmod("real", 0440);
  dir.symlink("real", "link");
  dir.symlink("nowhere", "dangling");
  auto a = fs.status(dir.file("link"));
  ASSERT_TRUE(a);
  EXPECT_EQ(a->mode, 0440u);
  EXPECT_EQ(a->size, 3u);
  EXPECT_EQ(a->owner, static_cast<std::uint32_t>(::geteuid()));
  auto in = fs.openRead(dir.file("link"));
  ASSERT_TRUE(in);
  FileStatus opened;
  ASSERT_TRUE(in->status(opened));
  EXPECT_TRUE(sameVersion(*a, opened));
  EXPECT_EQ(a->id, fs.status(dir.file("real"))->id);
  EXPECT_FALSE(fs.status(dir.file("dangling")));
  EXPECT_FALSE(fs.status(std::string()));
  // A write of the same size is a new version.
  const struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, dir.file("real").c_str(), old, 0), 0);
  const FileStatus before = *fs.status(dir.file("real"));
  dir.write("real", "XYZ");
  EXPECT_FALSE(sameVersion(before, *fs.status(dir.file("real"))));
#endif
}

// ------------------------------------------------------------------ list

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
  SNPLN_SKIP_WITHOUT_LINKS();
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
  SNPLN_SKIP_WITHOUT_LINKS();
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
  SNPLN_SKIP_WITHOUT_LINKS();
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
  SNPLN_SKIP_WITHOUT_LINKS();
  auto l = fs.list(d() + "/*.txt");
  ASSERT_TRUE(l);
  std::vector<std::string> seen;
  while (auto e = l->next()) {
    seen.push_back(e->name);
    // Every visit rewrites the file through a temp in the same directory.
    if (!isExactlyDirectory(e->attributes) &&
        !(e->attributes & kAttrReparsePoint)) {
      const std::string name = d() + "/" + e->name;
      auto out = beginSaveOf(fs, name, *fs.status(name));
      ASSERT_TRUE(out);
      ASSERT_TRUE(writeAll(*out, "rewritten"));
      ASSERT_EQ(out->commit(), SaveOutcome::Replaced);
      dir.write("d/new" + std::to_string(seen.size()) + ".txt", "n");
    }
  }
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(seen, (std::vector<std::string>{"B.TXT", "a.txt", "dir.txt",
                                            "ro.txt", "toa.txt"}));
}

TEST_F(ListTest, AnEntryThatVanishedIsSkipped) {
  SNPLN_SKIP_WITHOUT_LINKS();
  auto l = fs.list(d() + "/?.txt");
  ASSERT_TRUE(l);
  ASSERT_EQ(::unlink(dir.file("d/a.txt").c_str()), 0);
  ASSERT_EQ(::unlink(dir.file("d/B.TXT").c_str()), 0);
  EXPECT_FALSE(l->next());
}

// ------------------------------------------------------------------ lookup

TEST_F(ListTest, LookupGivesTheThreeAnswers) {
  SNPLN_SKIP_WITHOUT_LINKS();
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
  FileStatus st;
  ASSERT_TRUE(in->status(st));
  EXPECT_TRUE(faulty.status("a.txt"));
  SystemError why;
  auto out = in->beginSave(st, SaveRules{}, why);
  ASSERT_TRUE(out);
  EXPECT_TRUE(writeAll(*out, "ABC"));
  EXPECT_TRUE(out->flush());
  in.reset();
  EXPECT_EQ(out->commit(), SaveOutcome::Replaced);
  out.reset();
  EXPECT_EQ(dir.read("a.txt"), "ABC");
  auto d = faulty.openDirectory("sub");
  ASSERT_TRUE(d);
  EXPECT_TRUE(faulty.listDirectory(*d, "*.*"));
  EXPECT_TRUE(faulty.list("*.*"));
  EXPECT_EQ(faulty.lookup("sub"), kAttrDirectory);

  EXPECT_EQ(faulty.calls.openRead, 1);
  EXPECT_EQ(faulty.calls.status, 1);
  EXPECT_EQ(faulty.calls.beginSave, 1);
  EXPECT_EQ(faulty.calls.commits, 1);
  EXPECT_EQ(faulty.calls.openDirectory, 1);
  EXPECT_EQ(faulty.calls.listDirectory, 1);
  EXPECT_EQ(faulty.calls.list, 1);
  EXPECT_EQ(faulty.calls.lookup, 1);
  EXPECT_EQ(faulty.calls.seeks, 1);
  EXPECT_EQ(faulty.calls.writes, 1);
  EXPECT_EQ(faulty.calls.flushes, 1);
  EXPECT_EQ(faulty.calls.faults, 0);
  EXPECT_EQ(faulty.log, (std::vector<std::string>{
                            "openRead a.txt", "status a.txt", "beginSave a.txt",
                            "commit a.txt", "openDirectory sub",
                            "listDirectory *.*", "list *.*", "lookup sub"}));
}

TEST_F(FaultyTest, EachPlannedCallFailsWithoutReachingTheFileSystem) {
  dir.write("a.txt", "abc");
  dir.chmod("a.txt", 0444);
  const std::string a = dir.file("a.txt");
  const FileStatus st = *fs.status(a);
  auto d = fs.openDirectory(dir.path());
  ASSERT_TRUE(d);
  faulty.fail.openRead = faulty.fail.status = faulty.fail.beginSave =
      faulty.fail.openDirectory = faulty.fail.listDirectory = faulty.fail.list =
          faulty.fail.lookup = true;
  EXPECT_FALSE(faulty.openRead(a));
  EXPECT_FALSE(faulty.status(a));
  EXPECT_FALSE(beginSaveOf(faulty, a, st));
  EXPECT_FALSE(faulty.openDirectory(dir.path()));
  EXPECT_FALSE(faulty.listDirectory(*d, "*.*"));
  EXPECT_FALSE(faulty.list(dir.path() + "/*.*"));
  EXPECT_FALSE(faulty.lookup(a));
  EXPECT_EQ(faulty.calls.faults, 7);
  EXPECT_EQ(dir.read("a.txt"), "abc");
  EXPECT_EQ(dir.mode("a.txt"), 0444);
}

TEST_F(FaultyTest, ACommitFailsWithThePlannedOutcomeAndLeavesTheFile) {
  for (SaveOutcome planned :
       {SaveOutcome::WriteFailed, SaveOutcome::TargetChanged}) {
    dir.write("a.txt", "old");
    const FileStatus st = *fs.status(dir.file("a.txt"));
    faulty.fail.commit = true;
    faulty.fail.commitOutcome = planned;
    auto out = beginSaveOf(faulty, dir.file("a.txt"), st);
    ASSERT_TRUE(out);
    EXPECT_TRUE(writeAll(*out, "new"));
    EXPECT_EQ(out->commit(), planned);
    out.reset();
    EXPECT_EQ(dir.read("a.txt"), "old");
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"a.txt"});
  }
}

TEST_F(FaultyTest, OnlyPathLimitsTheFailures) {
  dir.write("a.txt", "a");
  dir.write("b.txt", "b");
  faulty.fail.openRead = true;
  faulty.fail.beginSave = true;
  faulty.fail.onlyPath = dir.file("b.txt");
  EXPECT_TRUE(faulty.openRead(dir.file("a.txt")));
  EXPECT_FALSE(faulty.openRead(dir.file("b.txt")));
  EXPECT_TRUE(
      beginSaveOf(faulty, dir.file("a.txt"), *fs.status(dir.file("a.txt"))));
  EXPECT_FALSE(
      beginSaveOf(faulty, dir.file("b.txt"), *fs.status(dir.file("b.txt"))));
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
  dir.write("t", "");
  auto out = beginSaveOf(faulty, dir.file("t"), *fs.status(dir.file("t")));
  ASSERT_TRUE(out);
  std::size_t written = 99;
  ASSERT_TRUE(out->write("abcde", 5, written));
  EXPECT_EQ(written, 5u);
  ASSERT_TRUE(out->write("fgh", 3, written)); // bytes 5..7
  EXPECT_EQ(written, 3u);
  EXPECT_FALSE(out->write("i", 1, written)); // byte 8
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(out->commit(), SaveOutcome::Replaced);
  EXPECT_EQ(dir.read("t"), "abcdefgh");
}

TEST_F(FaultyTest, AWriteIsCutShortAtByteN) {
  faulty.fail.shortWriteAt = 7;
  dir.write("t", "");
  auto out = beginSaveOf(faulty, dir.file("t"), *fs.status(dir.file("t")));
  ASSERT_TRUE(out);
  std::size_t written = 0;
  ASSERT_TRUE(out->write("abcde", 5, written));
  EXPECT_EQ(written, 5u);
  ASSERT_TRUE(out->write("fghij", 5, written)); // taken up to byte 7
  EXPECT_EQ(written, 2u);
  ASSERT_TRUE(out->write("k", 1, written)); // nothing more is taken
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(out->commit(), SaveOutcome::Replaced);
  EXPECT_EQ(dir.read("t"), "abcdefg");
  EXPECT_EQ(faulty.calls.faults, 2);
}

TEST_F(FaultyTest, FlushFails) {
  dir.write("t", "");
  auto out = beginSaveOf(faulty, dir.file("t"), *fs.status(dir.file("t")));
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
  EXPECT_NE(dynamic_cast<test::NativeFileSystem *>(&realFileSystem()), nullptr);
}

} // namespace
// The number of a numbered backup name, and the next one: one more than
// the highest of the directory (a gap is not filled), as cp
// --backup=numbered counts; names of other files, odd numbers and numbers
// past the limit do not count.
TEST(BackupNames, TheNextNumberFollowsTheHighest) {
  struct Case {
    std::vector<std::string> entries;
    const char *suffix;
    unsigned next;
  };
  const Case cases[] = {
      {{}, "~", 1},
      {{"f.txt", "f.txt~"}, "~", 1},
      {{"f.txt.~1~"}, "~", 2},
      {{"f.txt.~2~", "f.txt.~9~", "f.txt.~10~", "f.txt.~7~"}, "~", 11},
      {{"f.txt.~05~", "f.txt.~~", "f.txt.~3", "f.txt.~x~", "f.txt.~3~~"},
       "~",
       1},
      {{"g.txt.~8~", "f.tx.~8~", "f.txt.bak.8"}, "~", 1},
      {{"f.txt.~1000000000~"}, "~", 1000000001},
      {{"f.txt.~1000000001~", "f.txt.~99999999999999999999~"}, "~", 1},
      {{"f.txt.bak", "f.txt.bak.3", "f.txt.bak.12"}, ".bak", 13},
      {{"f.txt.~4~", "f.txt.bak.", "f.txt.bak.0"}, ".bak", 1},
  };
  for (const Case &c : cases) {
    std::string listed;
    for (const std::string &entry : c.entries)
      listed += entry + " ";
    EXPECT_EQ(nextBackupNumber(c.entries, "f.txt", c.suffix), c.next)
        << listed << "with " << c.suffix;
  }
  // Each numbered name is the backup of its own number, and of its name.
  for (const char *suffix : {"~", ".bak"})
    for (const unsigned n : {1u, 9u, 10u, 123u}) {
      const std::string name = backupNameOf("f.txt", suffix, n);
      EXPECT_EQ(backupNumberOf(name, "f.txt", suffix), n) << name;
      EXPECT_EQ(originalsOfBackupName(name, suffix).back(), "f.txt") << name;
    }
}

} // namespace snpln::platform
