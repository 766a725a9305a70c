// Open directories: files reached by name from them at any depth, and their
// listings, on real trees in fresh temporary directories.
#include <map>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/native_file_system.h"
#include "tests/support/temp_dir.h"

namespace snpln::platform {
namespace {

using test::TempDir;

std::map<std::string, std::uint32_t>
asMap(const std::optional<std::vector<DirEntry>> &entries) {
  std::map<std::string, std::uint32_t> out;
  if (entries)
    for (const DirEntry &e : *entries) {
      EXPECT_EQ(out.count(e.name), 0u) << "listed twice: " << e.name;
      out[e.name] = e.attributes;
    }
  return out;
}

std::map<std::string, std::uint32_t> listByPattern(FileSystem &fs,
                                                   const std::string &pattern) {
  std::map<std::string, std::uint32_t> out;
  if (auto l = fs.list(pattern))
    while (auto e = l->next())
      out[e->name] = e->attributes;
  return out;
}

class OpenDirectoryTest : public ::testing::Test {
protected:
  TempDir dir;
  test::NativeFileSystem fs;
};

// A path is a name the user gave, and is followed through its links; a
// name in an open directory (a walked tree) never is.
TEST_F(OpenDirectoryTest, OpensDirectoriesOnlyAndNeverThroughALinkInATree) {
  SNPLN_SKIP_WITHOUT_LINKS();
  dir.mkdir("d");
  dir.mkdir("d/e");
  dir.write("f.txt", "x");
  dir.symlink("d", "link");
  for (const std::string name : {"d", "d/", "d//", "d/e", "link", "link/"})
    EXPECT_TRUE(fs.openDirectory(dir.file(name))) << name;
  EXPECT_TRUE(fs.openDirectory(std::string("/")));
  for (const std::string name : {"f.txt", "missing"})
    EXPECT_FALSE(fs.openDirectory(dir.file(name))) << name;
  EXPECT_FALSE(fs.openDirectory(FileLocation("")));

  auto d = fs.openDirectory(dir.file("d"));
  ASSERT_TRUE(d);
  auto e = fs.openDirectory(FileLocation(d, "e"));
  ASSERT_TRUE(e);
  struct stat st;
  ASSERT_EQ(::stat(dir.file("d/e").c_str(), &st), 0);
  EXPECT_EQ(e->id().device, static_cast<std::uint64_t>(st.st_dev));
  EXPECT_EQ(e->id().inode, static_cast<std::uint64_t>(st.st_ino));
  auto up = fs.openDirectory(FileLocation(e, ".."));
  ASSERT_TRUE(up);
  EXPECT_EQ(up->id(), d->id()) << "\"..\" is the parent";
  EXPECT_EQ(fs.openDirectory(FileLocation(dir.path() + "/link"))->id(),
            d->id());
  auto top = fs.openDirectory(dir.path());
  ASSERT_TRUE(top);
  EXPECT_FALSE(fs.openDirectory(FileLocation(top, "link")));
  EXPECT_FALSE(fs.openDirectory(FileLocation(top, "f.txt")));
}

TEST_F(OpenDirectoryTest, ListingGivesTheWordsOfTheListByPattern) {
  SNPLN_SKIP_WITHOUT_LINKS();
  dir.mkdir("sub");
  dir.mkdir(".hidden");
  dir.mkdir("ro", 0555);
  dir.write("a.txt", "a");
  dir.write("B.TXT", "b");
  dir.write(".dot.txt", "c");
  dir.write("ro.txt", "r");
  dir.chmod("ro.txt", 0444);
  dir.symlink("a.txt", "to-file");
  dir.symlink("sub", "to-dir");
  dir.symlink("nowhere", "dangling");
#ifndef _WIN32
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0644), 0);
#endif
  auto d = fs.openDirectory(dir.path());
  ASSERT_TRUE(d);
  for (const std::string mask : {"*.*", "*.txt", "*", "?.txt", "to-*", "none"})
    EXPECT_EQ(asMap(fs.listDirectory(*d, mask)),
              listByPattern(fs, dir.file(mask)))
        << mask;
  const auto all = asMap(fs.listDirectory(*d, "*.*"));
  EXPECT_EQ(all.at("sub"), kAttrDirectory);
  EXPECT_EQ(all.at("ro"), kAttrDirectory | kAttrReadOnly);
  EXPECT_EQ(all.at(".hidden"), kAttrDirectory | kAttrHidden);
  EXPECT_EQ(all.at("to-dir"), kAttrReparsePoint | kAttrDirectory);
  EXPECT_EQ(all.at("dangling"), kAttrReparsePoint);
  EXPECT_EQ(all.at("fifo"), kAttrSystem);
  EXPECT_EQ(all.at("ro.txt"), kAttrArchive | kAttrReadOnly);
  EXPECT_EQ(all.count("."), 1u);
  EXPECT_EQ(all.count(".."), 1u);
  // What each entry is, as it stands: the walk goes by this.
  std::map<std::string, EntryKind> kinds;
  const auto listed = fs.listDirectory(*d, "*.*");
  ASSERT_TRUE(listed);
  for (const DirEntry &e : *listed)
    kinds[e.name] = e.kind;
  const std::map<std::string, EntryKind> expectedKinds = {
      {".", EntryKind::Directory},   {"..", EntryKind::Directory},
      {"sub", EntryKind::Directory}, {".hidden", EntryKind::Directory},
      {"ro", EntryKind::Directory},  {"a.txt", EntryKind::File},
      {"B.TXT", EntryKind::File},    {".dot.txt", EntryKind::File},
      {"ro.txt", EntryKind::File},   {"to-file", EntryKind::Link},
      {"to-dir", EntryKind::Link},   {"dangling", EntryKind::Link},
      {"fifo", EntryKind::Other}};
  EXPECT_EQ(kinds, expectedKinds);
  // An empty match is an empty listing, not a failure.
  auto none = fs.listDirectory(*d, "none");
  ASSERT_TRUE(none);
  EXPECT_TRUE(none->empty());
}

TEST_F(OpenDirectoryTest, EachListingStartsAtTheBeginning) {
  dir.write("a", "");
  dir.write("b", "");
  auto d = fs.openDirectory(dir.path());
  ASSERT_TRUE(d);
  const auto first = asMap(fs.listDirectory(*d, "*"));
  EXPECT_EQ(asMap(fs.listDirectory(*d, "*")), first);
  EXPECT_EQ(first.size(), 4u); // a, b, ".", ".."
}

TEST_F(OpenDirectoryTest, ARemovedDirectoryListsEmpty) {
  SNPLN_SKIP_ON_WINDOWS(
      "an open directory is removed when its last handle closes");
  dir.mkdir("gone");
  auto d = fs.openDirectory(dir.file("gone"));
  ASSERT_TRUE(d);
  ASSERT_EQ(::rmdir(dir.file("gone").c_str()), 0);
  auto entries = fs.listDirectory(*d, "*.*");
  ASSERT_TRUE(entries);
  EXPECT_TRUE(entries->empty());
}

TEST_F(OpenDirectoryTest, FilesAreReadAndSavedFarBeyondThePathLimit) {
  SNPLN_SKIP_ON_WINDOWS(
      "wine hands paths to Linux, which takes 4096 bytes at most");
  // Forty levels of a 200-byte name: more than 8000 bytes of path, which no
  // call taking a whole path accepts.
  const std::string level(200, 'd');
  constexpr int kLevels = 40;
  test::makeDeepTree(dir.path(), level, kLevels, "f.txt", "old");
  std::string path = dir.path();
  std::shared_ptr<const Directory> at = fs.openDirectory(dir.path());
  ASSERT_TRUE(at);
  for (int i = 0; i < kLevels; ++i) {
    at = fs.openDirectory(FileLocation(at, level));
    ASSERT_TRUE(at) << "level " << i;
    path += "/" + level;
  }
  ASSERT_GT(path.size(), 8000u);
  EXPECT_FALSE(fs.openRead(path + "/f.txt")) << "the whole path is refused";

  auto in = fs.openRead(FileLocation(at, "f.txt"));
  ASSERT_TRUE(in);
  FileStatus st;
  ASSERT_TRUE(in->status(st));
  EXPECT_EQ(st.size, 3u);
  auto out = beginSaveOf(fs, FileLocation(at, "f.txt"), st);
  ASSERT_TRUE(out);
  std::size_t written = 0;
  ASSERT_TRUE(out->write("new!", 4, written));
  ASSERT_EQ(out->commit(), SaveOutcome::Replaced);
  auto again = fs.openRead(FileLocation(at, "f.txt"));
  ASSERT_TRUE(again);
  char buf[16];
  std::size_t got = 0;
  ASSERT_TRUE(again->read(buf, sizeof buf, got));
  EXPECT_EQ(std::string(buf, got), "new!");
  const auto entries = asMap(fs.listDirectory(*at, "*.*"));
  EXPECT_EQ(entries.size(), 3u) << "f.txt, \".\" and \"..\" only";
}

// The walk's listing is its one look at a file: the open takes the file
// without looking again only while it is still the regular file listed.
// Whatever was put under the name since (another program's rename-save, a
// FIFO, a link) is looked at afresh: a new file is opened as such, a FIFO
// is refused (never waited on), a link never followed.
TEST_F(OpenDirectoryTest, AFileListedAndReplacedSinceIsLookedAtAgain) {
  SNPLN_SKIP_WITHOUT_LINKS();
#ifndef _WIN32
  dir.mkdir("d");
  dir.write("outside.txt", "outside");
  for (const std::string name : {"a.txt", "b.txt", "c.txt", "same.txt"})
    dir.write("d/" + name, "listed " + name);
  auto d = fs.openDirectory(dir.file("d"));
  ASSERT_TRUE(d);
  const auto listed = fs.listDirectory(*d, "*.txt");
  ASSERT_TRUE(listed);
  std::map<std::string, FileStatus> seen;
  for (const DirEntry &e : *listed) {
    ASSERT_TRUE(e.status) << e.name << ": a listed entry carries its status";
    seen[e.name] = *e.status;
  }
  ASSERT_EQ(seen.size(), 4u);
  // Saved by another program since the listing (a new file renamed over).
  dir.write("d/new.tmp", "saved anew");
  ASSERT_EQ(
      ::rename(dir.file("d/new.tmp").c_str(), dir.file("d/a.txt").c_str()), 0);
  ASSERT_EQ(::mkfifo(dir.file("d/fifo").c_str(), 0644), 0);
  ASSERT_EQ(::rename(dir.file("d/fifo").c_str(), dir.file("d/b.txt").c_str()),
            0);
  ASSERT_EQ(::unlink(dir.file("d/c.txt").c_str()), 0);
  dir.symlink("../outside.txt", "d/c.txt");

  const auto seenAt = [&](const std::string &name) {
    FileLocation at(d, name);
    at.seen = seen[name];
    return at;
  };
  const auto readAll = [](InputFile &in) {
    std::string bytes(64, '\0');
    std::size_t got = 0;
    EXPECT_TRUE(in.read(bytes.data(), bytes.size(), got));
    bytes.resize(got);
    return bytes;
  };
  auto same = fs.openRead(seenAt("same.txt"));
  ASSERT_TRUE(same);
  FileStatus status;
  ASSERT_TRUE(same->status(status));
  EXPECT_EQ(status.id, seen["same.txt"].id);
  EXPECT_EQ(readAll(*same), "listed same.txt");

  auto renewed = fs.openRead(seenAt("a.txt"));
  ASSERT_TRUE(renewed);
  ASSERT_TRUE(renewed->status(status));
  EXPECT_NE(status.id, seen["a.txt"].id) << "the file now under the name";
  EXPECT_EQ(readAll(*renewed), "saved anew");

  EXPECT_FALSE(fs.openRead(seenAt("b.txt")))
      << "a FIFO put under a listed name is never taken nor waited on";
  EXPECT_FALSE(fs.openRead(seenAt("c.txt")))
      << "a link put under a listed name is never followed";
#endif
}

} // namespace
} // namespace snpln::platform
