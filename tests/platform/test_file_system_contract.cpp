// What every file system of the program must do, run against the one of
// the machine the tests run on (PosixFileSystem on Linux,
// WindowsFileSystem on Windows): the save, the lock, the name check, names
// in Cyrillic, each failing step of a commit; and, on Windows, what only
// Windows has (the read-only attribute, files other programs hold open,
// the system's own reading of the file names).
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

#include "platform/windows_detail.h"
#endif

#include "platform/file_system.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/native_file_system.h"
#include "tests/support/temp_dir.h"

namespace snpln::platform {
namespace {

using test::TempDir;
using Step = test::NativeFileSystem::CommitStep;

// Every step at which a commit can fail, on this system.
#ifdef _WIN32
const std::vector<Step> kSteps = {Step::Attributes, Step::Flush, Step::Check,
                                  Step::Rename};
#else
const std::vector<Step> kSteps = {Step::Attributes, Step::Flush, Step::Link,
                                  Step::Check, Step::Exchange};
#endif

std::string readAll(InputFile &in) {
  std::string out;
  char buf[5]; // small on purpose: several reads
  for (;;) {
    std::size_t got = 0;
    EXPECT_TRUE(in.read(buf, sizeof buf, got));
    if (got == 0)
      break;
    out.append(buf, got);
  }
  return out;
}

class FileSystemContract : public ::testing::TestWithParam<bool> {
protected:
  void SetUp() override {
    // On Windows: the rename by handle, or (as on FAT and under wine) the
    // move by name; on Linux: the exchange, or (as on NFS) the rename.
#ifdef _WIN32
    fs.renameByHandleRefused = GetParam();
#else
    fs.exchangeRefused = GetParam();
#endif
  }

  // Opens, locks, reads the status and begins the save, as a job does.
  struct Open {
    std::unique_ptr<InputFile> in;
    FileStatus status;
    std::unique_ptr<SaveFile> save;
  };
  Open begin(const FileLocation &at) {
    Open o;
    o.in = fs.openRead(at);
    EXPECT_TRUE(o.in) << at.name;
    if (!o.in)
      return o;
    EXPECT_NE(o.in->lock(), LockOutcome::Busy);
    EXPECT_TRUE(o.in->status(o.status));
    SystemError why;
    o.save = o.in->beginSave(o.status, SaveRules{}, why);
    EXPECT_TRUE(o.save) << why.text;
    return o;
  }

  static bool writeAll(OutputFile &out, const std::string &bytes) {
    std::size_t written = 0;
    return out.write(bytes.data(), bytes.size(), written) &&
           written == bytes.size();
  }

  TempDir dir;
  test::NativeFileSystem fs;
};

INSTANTIATE_TEST_SUITE_P(Replace, FileSystemContract, ::testing::Bool(),
                         [](const auto &paramInfo) {
                           return paramInfo.param ? "Fallback" : "InOneStep";
                         });

TEST_P(FileSystemContract, ASaveReplacesTheContentAndLeavesNothingBehind) {
  dir.write("a.txt", "old content");
  auto o = begin(dir.file("a.txt"));
  ASSERT_TRUE(o.save);
  // Windows has no unnamed files: the new content has a name beside it.
  if (test::kOnWindows) {
    EXPECT_TRUE(dir.holdsTemporaryFile());
  }
  EXPECT_EQ(readAll(*o.in), "old content");
  ASSERT_TRUE(writeAll(*o.save, "new"));
  ASSERT_TRUE(o.save->flush());
  EXPECT_EQ(dir.read("a.txt"), "old content") << "not before the commit";
  EXPECT_EQ(o.save->commit(), SaveOutcome::Replaced);
  EXPECT_EQ(dir.read("a.txt"), "new");
  o = Open{};
  EXPECT_EQ(dir.names(), std::vector<std::string>{"a.txt"});
}

TEST_P(FileSystemContract, AnAbandonedOrDroppedSaveLeavesTheFile) {
  dir.write("a.txt", "old");
  for (const bool drop : {false, true}) {
    auto o = begin(dir.file("a.txt"));
    ASSERT_TRUE(o.save);
    ASSERT_TRUE(writeAll(*o.save, "new"));
    if (drop)
      o.save.reset();
    else
      o.save->abandon();
    o = Open{};
    EXPECT_EQ(dir.read("a.txt"), "old") << drop;
    EXPECT_EQ(dir.names(), std::vector<std::string>{"a.txt"}) << drop;
  }
}

TEST_P(FileSystemContract, EachFailingStepLeavesTheFileAndNothingBehind) {
  dir.write("a.txt", "old");
  for (const Step failing : kSteps) {
    SCOPED_TRACE(static_cast<int>(failing));
    fs.commitCheck = [failing](Step step) { return step != failing; };
    auto o = begin(dir.file("a.txt"));
    ASSERT_TRUE(o.save);
    ASSERT_TRUE(writeAll(*o.save, "new"));
    EXPECT_NE(o.save->commit(), SaveOutcome::Replaced);
    o = Open{};
    EXPECT_EQ(dir.read("a.txt"), "old");
    EXPECT_EQ(dir.names(), std::vector<std::string>{"a.txt"});
  }
}

TEST_P(FileSystemContract, OurRunsLockAFileOneAtATime) {
  dir.write("a.txt", "x");
  auto first = fs.openRead(dir.file("a.txt"));
  auto second = fs.openRead(dir.file("a.txt"));
  ASSERT_TRUE(first);
  ASSERT_TRUE(second);
  ASSERT_EQ(first->lock(), LockOutcome::Locked);
  EXPECT_EQ(second->lock(), LockOutcome::Busy);
  // The lock stops no one's reading.
  EXPECT_EQ(readAll(*second), "x");
  first.reset();
  EXPECT_EQ(second->lock(), LockOutcome::Locked);
}

TEST_P(FileSystemContract, AFileMovedAwayOrReplacedIsNoLongerTheNamedOne) {
  dir.write("a.txt", "ours");
  auto o = begin(dir.file("a.txt"));
  ASSERT_TRUE(o.save);
  EXPECT_TRUE(o.in->stillNamed());
  ASSERT_TRUE(writeAll(*o.save, "new"));
  // Another program renames the file and puts another one in its place.
  std::filesystem::rename(std::filesystem::u8path(dir.file("a.txt")),
                          std::filesystem::u8path(dir.file("moved.txt")));
  dir.write("a.txt", "theirs");
  EXPECT_FALSE(o.in->stillNamed());
  EXPECT_EQ(o.save->commit(), SaveOutcome::TargetChanged);
  o = Open{};
  EXPECT_EQ(dir.read("a.txt"), "theirs");
  EXPECT_EQ(dir.read("moved.txt"), "ours");
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"a.txt", "moved.txt"}));
}

TEST_P(FileSystemContract, AReadOnlyFileIsRewrittenAndStaysReadOnly) {
  dir.write("ro.txt", "old");
  dir.chmod("ro.txt", 0444);
  auto o = begin(dir.file("ro.txt"));
  ASSERT_TRUE(o.save);
  ASSERT_TRUE(writeAll(*o.save, "new"));
  EXPECT_EQ(o.save->commit(), SaveOutcome::Replaced);
  o = Open{};
  EXPECT_EQ(dir.read("ro.txt"), "new");
  EXPECT_EQ(dir.mode("ro.txt"), 0444);
  const auto word = fs.lookup(dir.file("ro.txt"));
  ASSERT_TRUE(word);
  EXPECT_EQ(*word & kAttrReadOnly, kAttrReadOnly);
  EXPECT_EQ(dir.names(), std::vector<std::string>{"ro.txt"});
}

TEST_P(FileSystemContract, CyrillicNamesAreListedOpenedAndSaved) {
  const std::string folder = "Папка", file = "файл.txt";
  dir.mkdir(folder);
  dir.write(folder + "/" + file, "old");
  auto listing = fs.list(dir.file(folder) + "/*.TXT");
  ASSERT_TRUE(listing);
  const auto entry = listing->next();
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->name, file);
  EXPECT_FALSE(listing->next());
  const auto d = fs.openDirectory(dir.file(folder));
  ASSERT_TRUE(d);
  const auto entries = fs.listDirectory(*d, "ф*");
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), 1u);
  EXPECT_EQ(entries->front().name, file);
  EXPECT_EQ(entries->front().kind, EntryKind::File);
  auto o = begin(FileLocation(d, file));
  ASSERT_TRUE(o.save);
  ASSERT_TRUE(writeAll(*o.save, "new"));
  EXPECT_EQ(o.save->commit(), SaveOutcome::Replaced);
  EXPECT_EQ(dir.read(folder + "/" + file), "new");
}

TEST_P(FileSystemContract, PathsFarLongerThanTwoHundredSixtyAreReadAndSaved) {
  // Eight levels of a 120-byte name: about a thousand bytes of path, four
  // times the old Windows limit.
  const std::string level(120, 'd');
  test::makeDeepTree(dir.path(), level, 8, "f.txt", "old");
  std::string path = dir.path();
  for (int i = 0; i < 8; ++i)
    path += "/" + level;
  path += "/f.txt";
  ASSERT_GT(path.size(), 960u);
  auto o = begin(path);
  ASSERT_TRUE(o.save);
  EXPECT_EQ(readAll(*o.in), "old");
  ASSERT_TRUE(writeAll(*o.save, "new"));
  EXPECT_EQ(o.save->commit(), SaveOutcome::Replaced);
  o = Open{};
  auto again = fs.openRead(path);
  ASSERT_TRUE(again);
  EXPECT_EQ(readAll(*again), "new");
  const auto word = fs.lookup(path);
  ASSERT_TRUE(word);
  EXPECT_EQ(*word & kAttrDirectory, 0u);
  auto listing = fs.list(path.substr(0, path.size() - 5) + "*.*");
  ASSERT_TRUE(listing);
}

TEST_P(FileSystemContract, NamesThatAreNotOneNameAreRefusedInADirectory) {
  dir.mkdir("d");
  dir.write("d/a.txt", "x");
  dir.write("b.txt", "y");
  const auto d = fs.openDirectory(dir.file("d"));
  ASSERT_TRUE(d);
  EXPECT_TRUE(fs.openRead(FileLocation(d, "a.txt")));
  for (const char *name : {"", ".", "..", "../b.txt", "sub/a.txt"})
    EXPECT_FALSE(fs.openRead(FileLocation(d, name))) << name;
}

#ifdef _WIN32

TEST_P(FileSystemContract, WindowsAFileAnotherProgramWritesIsNotOpened) {
  dir.write("busy.txt", "old");
  const auto path = windows::longPath(dir.file("busy.txt"));
  ASSERT_TRUE(path);
  // Open for writing, as an editor that keeps its file open does.
  windows::HandleGuard writer(
      ::CreateFileW(path->c_str(), GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(writer.valid());
  EXPECT_FALSE(fs.openRead(dir.file("busy.txt")));
  writer.reset();
  auto o = begin(dir.file("busy.txt"));
  ASSERT_TRUE(o.save);
  // While we hold it, no one may open it to write; reading stays open.
  windows::HandleGuard late(
      ::CreateFileW(path->c_str(), GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_FALSE(late.valid());
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  windows::HandleGuard reader(
      ::CreateFileW(path->c_str(), GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_TRUE(reader.valid());
  reader.reset();
  ASSERT_TRUE(writeAll(*o.save, "new"));
  EXPECT_EQ(o.save->commit(), SaveOutcome::Replaced);
  o = Open{};
  EXPECT_EQ(dir.read("busy.txt"), "new");
}

TEST_P(FileSystemContract, WindowsAttributesAreTheFilesOwnAndKept) {
  dir.write("plain.txt", "x");
  dir.write(".dot.txt", "x");
  dir.write("hs.txt", "x");
  dir.mkdir("sub");
  const auto path = windows::longPath(dir.file("hs.txt"));
  ASSERT_TRUE(path);
  ASSERT_TRUE(::SetFileAttributesW(path->c_str(), FILE_ATTRIBUTE_HIDDEN |
                                                      FILE_ATTRIBUTE_SYSTEM |
                                                      FILE_ATTRIBUTE_ARCHIVE));
  auto word = [&](const std::string &name) {
    const auto w = fs.lookup(dir.file(name));
    return w ? *w : 0xFFFFFFFFu;
  };
  EXPECT_EQ(word("plain.txt") & ~kAttrArchive, 0u);
  EXPECT_EQ(word(".dot.txt") & kAttrHidden, kAttrHidden) << "a leading dot";
  EXPECT_EQ(word("hs.txt"), kAttrHidden | kAttrSystem | kAttrArchive);
  EXPECT_TRUE(isExactlyDirectory(word("sub")));
  EXPECT_EQ(word("sub\\"), kAttrDirectory);
  // A save keeps the hidden and system attributes.
  auto o = begin(dir.file("hs.txt"));
  ASSERT_TRUE(o.save);
  ASSERT_TRUE(writeAll(*o.save, "new"));
  EXPECT_EQ(o.save->commit(), SaveOutcome::Replaced);
  o = Open{};
  EXPECT_EQ(dir.read("hs.txt"), "new");
  EXPECT_EQ(word("hs.txt"), kAttrHidden | kAttrSystem | kAttrArchive);
}

TEST_P(FileSystemContract, WindowsPathsInEveryForm) {
  dir.mkdir("d");
  dir.write("d/a.txt", "abc");
  const std::string forward = dir.path() + "/d/a.txt";
  const std::string back = dir.path() + "\\d\\a.txt";
  const std::string prefixed = "\\\\?\\" + back;
  for (const std::string &name : {forward, back, prefixed}) {
    auto in = fs.openRead(name);
    ASSERT_TRUE(in) << name;
    EXPECT_EQ(readAll(*in), "abc") << name;
  }
  test::ChangeDirectory cd(dir.file("d"));
  EXPECT_TRUE(fs.openRead("a.txt"));
  EXPECT_TRUE(fs.openRead(".\\a.txt"));
  EXPECT_TRUE(fs.openRead("..\\d\\a.txt"));
  EXPECT_TRUE(fs.lookup("*.txt"));
  // Devices are never opened as files.
  for (const char *device : {"NUL", "CON", "\\\\.\\NUL", "COM1"})
    EXPECT_FALSE(fs.openRead(device)) << device;
}

#endif // _WIN32

} // namespace
} // namespace snpln::platform
