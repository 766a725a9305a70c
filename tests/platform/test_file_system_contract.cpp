// What every file system of the program must do, run against the one of
// the machine the tests run on (PosixFileSystem on Linux,
// WindowsFileSystem on Windows), each way it may replace a file, and
// against the MemoryFileSystem the browser's page works in: the save, the
// lock, the name check, names in Cyrillic, each failing step of a commit;
// and, on Windows, what only Windows has (the read-only attribute, files
// other programs hold open, the system's own reading of the file names).
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

#include "platform/windows_detail.h"
#endif

#include "platform/file_system.h"
#include "platform/memory_file_system.h"
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

// A file system under the contract, and what the tests do to its files
// from outside, as another program would.
class Subject {
public:
  virtual ~Subject() = default;
  virtual FileSystem &fs() = 0;
  // The path a run names the entry `name` by.
  virtual std::string file(const std::string &name) const = 0;
  virtual void write(const std::string &name, const std::string &bytes) = 0;
  virtual std::string read(const std::string &name) const = 0;
  // The names in the folder `sub`, sorted.
  virtual std::vector<std::string> names(const std::string &sub = "") const = 0;
  virtual void mkdir(const std::string &name) = 0;
  virtual void chmod(const std::string &name, int mode) = 0;
  virtual int mode(const std::string &name) const = 0;
  virtual void rename(const std::string &from, const std::string &to) = 0;
  // `levels` folders named `level`, one in another, `name` in the deepest.
  virtual void deepTree(const std::string &level, int levels,
                        const std::string &name,
                        const std::string &content) = 0;
  // How many steps a commit may fail at; fails the one numbered `step`
  // from now on (none: nothing fails).
  virtual std::size_t commitSteps() const = 0;
  virtual void failCommitStep(std::optional<std::size_t> step) = 0;
  // Whether a save has a named temporary file beside the file.
  virtual bool namesItsTemporaryFile() const = 0;
};

class NativeSubject final : public Subject {
public:
  explicit NativeSubject(bool fallback) {
    // On Windows: the rename by handle, or (as on FAT and under wine) the
    // move by name; on Linux: the exchange, or (as on NFS) the rename.
#ifdef _WIN32
    fs_.renameByHandleRefused = fallback;
#else
    fs_.exchangeRefused = fallback;
#endif
  }
  FileSystem &fs() override { return fs_; }
  std::string file(const std::string &name) const override {
    return dir_.file(name);
  }
  void write(const std::string &name, const std::string &bytes) override {
    dir_.write(name, bytes);
  }
  std::string read(const std::string &name) const override {
    return dir_.read(name);
  }
  std::vector<std::string> names(const std::string &sub) const override {
    return dir_.names(sub);
  }
  void mkdir(const std::string &name) override { dir_.mkdir(name); }
  void chmod(const std::string &name, int mode) override {
    dir_.chmod(name, mode);
  }
  int mode(const std::string &name) const override { return dir_.mode(name); }
  void rename(const std::string &from, const std::string &to) override {
    std::filesystem::rename(std::filesystem::u8path(dir_.file(from)),
                            std::filesystem::u8path(dir_.file(to)));
  }
  void deepTree(const std::string &level, int levels, const std::string &name,
                const std::string &content) override {
    test::makeDeepTree(dir_.path(), level, levels, name, content);
  }
  std::size_t commitSteps() const override { return kSteps.size(); }
  void failCommitStep(std::optional<std::size_t> step) override {
    fs_.commitCheck = nullptr;
    if (step)
      fs_.commitCheck = [failing = kSteps[*step]](Step s) {
        return s != failing;
      };
  }
  bool namesItsTemporaryFile() const override { return test::kOnWindows; }

private:
  TempDir dir_;
  test::NativeFileSystem fs_;
};

class MemorySubject final : public Subject {
public:
  FileSystem &fs() override { return fs_; }
  std::string file(const std::string &name) const override { return name; }
  void write(const std::string &name, const std::string &bytes) override {
    ASSERT_TRUE(fs_.putFile(name, bytes)) << name;
  }
  std::string read(const std::string &name) const override {
    const auto content = fs_.content(name);
    EXPECT_TRUE(content) << name;
    return content ? bytesOf(*content).value_or("<unreadable>") : "";
  }
  std::vector<std::string> names(const std::string &sub) const override {
    return fs_.names(sub);
  }
  void mkdir(const std::string &name) override {
    ASSERT_TRUE(fs_.makeDirectory(name)) << name;
  }
  void chmod(const std::string &name, int mode) override {
    ASSERT_TRUE(fs_.setMode(name, static_cast<std::uint32_t>(mode))) << name;
  }
  int mode(const std::string &name) const override {
    const auto status = fs_.status(FileLocation(name));
    return status ? static_cast<int>(status->mode) : -1;
  }
  void rename(const std::string &from, const std::string &to) override {
    ASSERT_TRUE(fs_.rename(from, to)) << from << " -> " << to;
  }
  void deepTree(const std::string &level, int levels, const std::string &name,
                const std::string &content) override {
    std::string path;
    for (int i = 0; i < levels; ++i)
      path += level + "/";
    write(path + name, content);
  }
  std::size_t commitSteps() const override { return 3; }
  void failCommitStep(std::optional<std::size_t> step) override {
    using MemoryStep = MemoryFileSystem::CommitStep;
    const MemoryStep steps[] = {MemoryStep::Finish, MemoryStep::Check,
                                MemoryStep::Replace};
    fs_.commitCheck = nullptr;
    if (step)
      fs_.commitCheck = [failing = steps[*step]](MemoryStep s) {
        return s != failing;
      };
  }
  bool namesItsTemporaryFile() const override { return false; }

private:
  mutable MemoryFileSystem fs_;
};

std::unique_ptr<Subject> subjectNamed(const std::string &name) {
  if (name == "Memory")
    return std::make_unique<MemorySubject>();
  return std::make_unique<NativeSubject>(name == "Fallback");
}

class FileSystemContract : public ::testing::TestWithParam<std::string> {
protected:
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

  std::unique_ptr<Subject> subject = subjectNamed(GetParam());
  Subject &dir = *subject;
  FileSystem &fs = subject->fs();
};

INSTANTIATE_TEST_SUITE_P(Replace, FileSystemContract,
                         ::testing::Values("InOneStep", "Fallback", "Memory"),
                         [](const auto &paramInfo) { return paramInfo.param; });

TEST_P(FileSystemContract, ASaveReplacesTheContentAndLeavesNothingBehind) {
  dir.write("a.txt", "old content");
  auto o = begin(dir.file("a.txt"));
  ASSERT_TRUE(o.save);
  // Windows has no unnamed files: the new content has a name beside it.
  if (dir.namesItsTemporaryFile()) {
    const auto names = dir.names();
    EXPECT_TRUE(std::any_of(names.begin(), names.end(), isTemporaryName));
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
  for (std::size_t failing = 0; failing < dir.commitSteps(); ++failing) {
    SCOPED_TRACE(failing);
    dir.failCommitStep(failing);
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
  dir.rename("a.txt", "moved.txt");
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
  dir.deepTree(level, 8, "f.txt", "old");
  std::string path = dir.file(level);
  for (int i = 1; i < 8; ++i)
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

// What only Windows has, on its file system's own terms.
class WindowsContract : public ::testing::TestWithParam<bool> {
protected:
  void SetUp() override { fs.renameByHandleRefused = GetParam(); }

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

INSTANTIATE_TEST_SUITE_P(Replace, WindowsContract, ::testing::Bool(),
                         [](const auto &paramInfo) {
                           return paramInfo.param ? "Fallback" : "InOneStep";
                         });

TEST_P(WindowsContract, WindowsAFileAnotherProgramWritesIsNotOpened) {
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

TEST_P(WindowsContract, WindowsAttributesAreTheFilesOwnAndKept) {
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

TEST_P(WindowsContract, WindowsPathsInEveryForm) {
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
