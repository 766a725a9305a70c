// What the MemoryFileSystem does beyond the contract every file system
// keeps (test_file_system_contract): the reasons it gives as POSIX would,
// the trees it refuses to make, its listings, contents read in slices
// through an open file's buffer, what a commit tells and the times it
// gives, the saves it refuses and the failures of a content's source.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/memory_file_system.h"

namespace snpln::platform {
namespace {

std::string readAll(InputFile &in, std::size_t piece) {
  std::string out;
  std::vector<char> buffer(piece);
  for (;;) {
    std::size_t got = 0;
    EXPECT_TRUE(in.read(buffer.data(), piece, got));
    if (got == 0)
      break;
    out.append(buffer.data(), got);
  }
  return out;
}

MemoryFileSystem &tree(MemoryFileSystem &fs) {
  EXPECT_TRUE(fs.putFile("a.txt", "A"));
  EXPECT_TRUE(fs.putFile("d/b.txt", "B"));
  EXPECT_TRUE(fs.putFile("d/.hidden", "H"));
  EXPECT_TRUE(fs.putFile("d/e/c.txt", "C"));
  EXPECT_TRUE(fs.makeDirectory("d/empty"));
  return fs;
}

TEST(MemoryFileSystem, LooksUpAndOpensWithThePosixReasons) {
  MemoryFileSystem fs;
  tree(fs);
  struct Row {
    const char *path;
    bool found;
    int error; // errno when not found
  };
  const Row rows[] = {
      {"a.txt", true, 0},
      {"/a.txt", true, 0},
      {"./d/../a.txt", true, 0},
      {"d//b.txt", true, 0},
      {"../../a.txt", true, 0},
      {"missing", false, ENOENT},
      {"d/missing/x", false, ENOENT},
      {"a.txt/", false, ENOTDIR},
      {"a.txt/x", false, ENOTDIR},
      {"", false, ENOENT},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.path);
    errno = 0;
    EXPECT_EQ(fs.lookup(row.path).has_value(), row.found);
    EXPECT_EQ(errno, row.error);
    errno = 0;
    EXPECT_EQ(fs.openRead(FileLocation(row.path)) != nullptr, row.found);
    EXPECT_EQ(errno, row.error);
  }
  errno = 0;
  EXPECT_FALSE(fs.openRead(FileLocation("d")));
  EXPECT_EQ(errno, EISDIR);
  errno = 0;
  EXPECT_FALSE(fs.openDirectory(FileLocation("a.txt")));
  EXPECT_EQ(errno, ENOTDIR);
  for (const char *folder : {"d", "d/", ".", "/", "d/e/.."})
    EXPECT_TRUE(fs.openDirectory(FileLocation(folder))) << folder;
}

TEST(MemoryFileSystem, RefusesTreesThatCannotBe) {
  MemoryFileSystem fs;
  tree(fs);
  for (const char *path :
       {"", "/", "x/", "d", "a.txt/x", "d/e/../f", "./f", "d/./f"}) {
    EXPECT_FALSE(fs.putFile(path, "x")) << path;
  }
  EXPECT_FALSE(fs.makeDirectory("a.txt/sub"));
  EXPECT_FALSE(fs.rename("d", "d/e/d")) << "a folder into itself";
  EXPECT_FALSE(fs.rename("a.txt", "d")) << "over a folder";
  EXPECT_FALSE(fs.rename("missing", "x"));
  EXPECT_EQ(fs.names(), (std::vector<std::string>{"a.txt", "d"}));
  EXPECT_EQ(fs.names("d"),
            (std::vector<std::string>{".hidden", "b.txt", "e", "empty"}));
}

TEST(MemoryFileSystem, ListsInTheNamesOrderWithTheirAttributes) {
  MemoryFileSystem fs;
  tree(fs);
  ASSERT_TRUE(fs.setMode("d/b.txt", 0444));
  const auto d = fs.openDirectory(FileLocation("d"));
  ASSERT_TRUE(d);
  const auto all = fs.listDirectory(*d, "*.*");
  ASSERT_TRUE(all);
  std::vector<std::string> seen;
  for (const DirEntry &entry : *all)
    seen.push_back(entry.name + ":" + std::to_string(entry.attributes) + ":" +
                   std::to_string(static_cast<int>(entry.kind)));
  const std::vector<std::string> expected = {
      ".:16:1",       "..:16:1",
      ".hidden:34:0", // archive and hidden
      "b.txt:33:0",   // archive and read-only
      "e:16:1",       "empty:16:1",
  };
  EXPECT_EQ(seen, expected);
  const auto some = fs.listDirectory(*d, "B*");
  ASSERT_TRUE(some);
  ASSERT_EQ(some->size(), 1u);
  EXPECT_EQ(some->front().name, "b.txt");
  // The walk climbs back by "..": it leads to the parent.
  const auto e = fs.openDirectory(FileLocation(d, "e"));
  ASSERT_TRUE(e);
  const auto up = fs.openDirectory(FileLocation(e, ".."));
  ASSERT_TRUE(up);
  EXPECT_EQ(up->id(), d->id());
  EXPECT_FALSE(fs.list("d/*.none"));
  EXPECT_EQ(fs.lookup("d/*.txt"), kAttrArchive | kAttrReadOnly);
}

// A content that counts the reads of its source.
class CountedContent final : public MemoryContent {
public:
  CountedContent(std::string bytes, std::size_t readSize)
      : bytes_(std::move(bytes)), readSize_(readSize) {}
  FileSize size() const override { return bytes_.size(); }
  bool read(FileSize offset, void *buffer, std::size_t size,
            std::size_t &got) const override {
    ++reads;
    if (offset >= failFrom)
      return false;
    got = offset >= bytes_.size()
              ? 0
              : std::min<std::size_t>(size, bytes_.size() - offset);
    std::memcpy(buffer, bytes_.data() + offset, got);
    return true;
  }
  std::size_t readSize() const override { return readSize_; }

  mutable std::size_t reads = 0;
  FileSize failFrom = ~FileSize{0};

private:
  std::string bytes_;
  std::size_t readSize_;
};

TEST(MemoryFileSystem, ReadsASourceInItsOwnSlicesWhateverTheReadsSize) {
  std::string bytes;
  for (int i = 0; i < 1000; ++i)
    bytes += static_cast<char>('a' + i % 26);
  for (const std::size_t piece : {1u, 2u, 3u, 7u, 64u, 8192u}) {
    SCOPED_TRACE(piece);
    MemoryFileSystem fs;
    const auto content = std::make_shared<CountedContent>(bytes, 100);
    ASSERT_TRUE(fs.putFile("f", content));
    auto in = fs.openRead(FileLocation("f"));
    ASSERT_TRUE(in);
    EXPECT_EQ(readAll(*in, piece), bytes);
    // Small reads come from slices of 100 bytes, large ones straight from
    // the source; the end is known without asking.
    EXPECT_EQ(content->reads, piece < 100 ? 10u : (1000 + piece - 1) / piece);
    ASSERT_TRUE(in->seek(990));
    EXPECT_EQ(readAll(*in, piece), bytes.substr(990));
  }
}

TEST(MemoryFileSystem, ASourceThatFailsFailsTheRead) {
  MemoryFileSystem fs;
  const auto content =
      std::make_shared<CountedContent>(std::string(300, 'x'), 100);
  content->failFrom = 150;
  ASSERT_TRUE(fs.putFile("f", content));
  auto in = fs.openRead(FileLocation("f"));
  ASSERT_TRUE(in);
  // Slices from 0 and 100 come; the one from 200 does not.
  char buffer[10];
  std::size_t got = 0, total = 0;
  while (in->read(buffer, sizeof buffer, got) && got > 0)
    total += got;
  EXPECT_EQ(total, 200u);
}

// A store whose writers fail as asked.
class FailingStore final : public ContentStore {
public:
  bool failWrite = false;
  bool failFinish = false;
  std::unique_ptr<ContentWriter> begin() override {
    class Writer final : public ContentWriter {
    public:
      explicit Writer(FailingStore &store) : store_(store) {}
      bool write(const void *buffer, std::size_t size) override {
        bytes_.append(static_cast<const char *>(buffer), size);
        return !store_.failWrite;
      }
      std::shared_ptr<const MemoryContent> finish() override {
        return store_.failFinish ? nullptr : stringContent(bytes_);
      }

    private:
      FailingStore &store_;
      std::string bytes_;
    };
    return std::make_unique<Writer>(*this);
  }
};

struct Saving {
  std::unique_ptr<InputFile> in;
  FileStatus status;
  std::unique_ptr<SaveFile> save;
};

Saving beginSave(MemoryFileSystem &fs, const std::string &path,
                 const SaveRules &rules = {}) {
  Saving s;
  s.in = fs.openRead(FileLocation(path));
  EXPECT_TRUE(s.in) << path;
  if (!s.in)
    return s;
  EXPECT_TRUE(s.in->status(s.status));
  SystemError why;
  s.save = s.in->beginSave(s.status, rules, why);
  return s;
}

TEST(MemoryFileSystem, ACommitTellsThePathAndTakesTheClocksTime) {
  MemoryFileSystem fs;
  tree(fs);
  std::vector<std::string> told;
  fs.committed = [&](const std::string &path,
                     const std::shared_ptr<const MemoryContent> &content) {
    told.push_back(path + "=" + bytesOf(*content).value_or("?"));
  };
  fs.clock = [] { return FileTime{1700000000, 5}; };
  auto s = beginSave(fs, "./d/e/../b.txt");
  ASSERT_TRUE(s.save);
  std::size_t written = 0;
  ASSERT_TRUE(s.save->write("new", 3, written));
  EXPECT_EQ(s.save->commit(), SaveOutcome::Replaced);
  EXPECT_EQ(told, std::vector<std::string>{"d/b.txt=new"});
  const auto now = fs.status(FileLocation("d/b.txt"));
  ASSERT_TRUE(now);
  EXPECT_EQ(now->modified(), (FileTime{1700000000, 5}));
  ASSERT_TRUE(s.save->replacement());
  EXPECT_EQ(s.save->replacement()->id, now->id);
  EXPECT_NE(now->id, s.status.id) << "a new file, as a rename makes it";
  // Times given to the save are the ones it keeps.
  auto kept = beginSave(fs, "a.txt");
  ASSERT_TRUE(kept.save);
  ASSERT_TRUE(kept.save->setTimes({}, FileTime{86400, 7}));
  EXPECT_EQ(kept.save->commit(), SaveOutcome::Replaced);
  EXPECT_EQ(fs.status(FileLocation("a.txt"))->modified(), (FileTime{86400, 7}));
  EXPECT_EQ(kept.save->commit(), SaveOutcome::WriteFailed) << "at most once";
}

TEST(MemoryFileSystem, TheSecondOfTwoSavesOfOneVersionFails) {
  MemoryFileSystem fs;
  tree(fs);
  auto first = beginSave(fs, "a.txt");
  auto second = beginSave(fs, "a.txt");
  ASSERT_TRUE(first.save && second.save);
  std::size_t written = 0;
  ASSERT_TRUE(first.save->write("1", 1, written));
  ASSERT_TRUE(second.save->write("2", 1, written));
  EXPECT_EQ(first.save->commit(), SaveOutcome::Replaced);
  EXPECT_EQ(second.save->commit(), SaveOutcome::TargetChanged);
  EXPECT_EQ(bytesOf(*fs.content("a.txt")), "1");
}

TEST(MemoryFileSystem, SavesItCannotMakeAreRefusedOrFail) {
  const auto store = std::make_shared<FailingStore>();
  MemoryFileSystem fs(store);
  tree(fs);
  // No backups in memory.
  auto backup = beginSave(fs, "a.txt", SaveRules{false, "~", {}});
  EXPECT_FALSE(backup.save);
  // A store that cannot keep the bytes fails the write or the commit, and
  // the file stays.
  store->failWrite = true;
  auto s = beginSave(fs, "a.txt");
  ASSERT_TRUE(s.save);
  std::size_t written = 1;
  EXPECT_FALSE(s.save->write("x", 1, written));
  EXPECT_EQ(written, 0u);
  store->failWrite = false;
  store->failFinish = true;
  auto t = beginSave(fs, "a.txt");
  ASSERT_TRUE(t.save);
  ASSERT_TRUE(t.save->write("x", 1, written));
  errno = 0;
  EXPECT_EQ(t.save->commit(), SaveOutcome::WriteFailed);
  EXPECT_EQ(errno, EIO);
  EXPECT_EQ(bytesOf(*fs.content("a.txt")), "A");
}

} // namespace
} // namespace snpln::platform
