// snpln-cli end to end through runCli, over real files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "cli/console_host.h"
#include "job/file_job.h"
#include "platform/posix_file_system.h"
#include "snpln/version.h"
#include "tests/support/temp_dir.h"

namespace snpln {
namespace {

// "Привет, мир" in Win1251 and CP866.
const std::string kHelloWin = "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0";
const std::string kHelloDos = "\x8F\xE0\xA8\xA2\xA5\xE2, \xAC\xA8\xE0";

struct Outcome {
  int status;
  std::string out, err;
};

class CliTest : public ::testing::Test {
protected:
  test::TempDir dir;
  test::ChangeDirectory cd{dir.path()};

  void TearDown() override { cli::interrupted = false; }

  Outcome run(std::vector<std::string> args,
              platform::FileSystem &fs = platform::realFileSystem()) {
    args.insert(args.begin(), "snpln-cli");
    std::vector<char *> argv;
    for (auto &a : args)
      argv.push_back(a.data());
    std::ostringstream out, err;
    const int status = cli::runCli(static_cast<int>(argv.size()), argv.data(),
                                   out, err, false, fs);
    return {status, out.str(), err.str()};
  }
};

TEST_F(CliTest, DetectPrintsOneLinePerFile) {
  dir.write("notes.txt", kHelloWin);
  dir.write("dos.txt", kHelloDos);
  const auto r = run({"--detect", "notes.txt", "dos.txt"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "notes.txt: This file has coding ''Win1251''\n"
                   "dos.txt: This file has coding ''Dos''\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(CliTest, RecodeInPlaceWithTheSuccessLineOnce) {
  dir.write("a.txt", kHelloDos);
  dir.write("b.txt", kHelloDos);
  const auto r = run({"--from", "dos", "--to", "win", "a.txt", "b.txt"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(dir.read("a.txt"), kHelloWin);
  EXPECT_EQ(dir.read("b.txt"), kHelloWin);
  EXPECT_EQ(r.out,
            "File(s) successfully converted: from ''Dos''  to ''Win1251''\n");
}

TEST_F(CliTest, SeveralOperationsRunAsPassesInOperationOrder) {
  dir.write("a.txt", "one cat.\r\n\r\n\r\n\r\ntwo cats");
  // Upper case (0) runs before replace (8), so the lower-case search text
  // no longer matches unless the case is ignored.
  const auto r = run({"--delete-empty", "--replace", "cat", "--with", "dog",
                      "--ignore-case", "--upper", "a.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(dir.read("a.txt"), "ONE dog.\r\n\r\nTWO dogS");
  EXPECT_EQ(r.out, "From file(s) deleted excessive empty lines,: Number of "
                   "hits: 2\n");
}

TEST_F(CliTest, FailuresGoToStandardErrorAndGiveStatusOne) {
  dir.write("plain.txt", "english only");
  const auto r = run({"--upper", "missing.txt", "plain.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "missing.txt: File or directory not found\n");
  EXPECT_EQ(dir.read("plain.txt"), "ENGLISH ONLY");

  const auto s = run({"--to", "win", "plain.txt"});
  EXPECT_EQ(s.status, 1); // no Cyrillic letter: skipped
  EXPECT_EQ(s.out, "plain.txt: This file consist of english symbols only\n");
}

TEST_F(CliTest, Utf8AndTheUsualNamesOfEveryCodePageInAnyCase) {
  const std::string helloUtf8 =
      "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, "
      "\xD0\xBC\xD0\xB8\xD1\x80";
  struct Case {
    std::string from, to, before, after;
  };
  const Case cases[] = {
      {"CP866", "UTF-8", kHelloDos, helloUtf8},
      {"utf8", "Windows-1251", helloUtf8, kHelloWin},
      {"1251", "dos", kHelloWin, kHelloDos},
      {"IBM866", "1251", kHelloDos, kHelloWin},
      {"auto", "utf8", kHelloWin, helloUtf8},
  };
  for (const Case &c : cases) {
    dir.write("n.txt", c.before);
    const auto r = run({"--from", c.from, "--to", c.to, "n.txt"});
    EXPECT_EQ(r.status, 0) << c.from << " -> " << c.to << ": " << r.err;
    EXPECT_EQ(dir.read("n.txt"), c.after) << c.from << " -> " << c.to;
  }
  for (const char *name : {"koi8-r", "KOI8R", "koi", "iso-8859-5", "ISO8859-5",
                           "iso", "866", "cp1251", "Utf-8"}) {
    dir.write("n.txt", kHelloWin);
    EXPECT_EQ(run({"--from", "win", "--to", name, "n.txt"}).status, 0) << name;
  }
}

TEST_F(CliTest, TypedTextIsCharactersUnlessBytesIsGiven) {
  const std::string mirUtf8 = "\xD0\xBC\xD0\xB8\xD1\x80";
  dir.write("w.txt", kHelloWin);
  EXPECT_EQ(run({"--replace", mirUtf8, "--with", "MIR", "w.txt"}).status, 0);
  EXPECT_EQ(dir.read("w.txt"), "\xCF\xF0\xE8\xE2\xE5\xF2, MIR");

  dir.write("w.txt", kHelloWin);
  EXPECT_EQ(
      run({"--bytes", "--replace", "\xEC\xE8\xF0", "--with", "MIR", "w.txt"})
          .status,
      0);
  EXPECT_EQ(dir.read("w.txt"), "\xCF\xF0\xE8\xE2\xE5\xF2, MIR");

  // A replacement Windows-1251 cannot hold fails the file, unchanged.
  dir.write("w.txt", kHelloWin);
  const auto r = run({"--replace", mirUtf8, "--with", "caf\xC3\xA9", "w.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(
      (r.out + r.err).find("Replacement text cannot be written in ''Win1251''"),
      std::string::npos)
      << r.out << r.err;
  EXPECT_EQ(dir.read("w.txt"), kHelloWin);

  // Bytes that are no text in the terminal's character set: a usage error.
  EXPECT_EQ(run({"--replace", "\xEC\xE8\xF0", "w.txt"}).status, 2);
}

TEST_F(CliTest, UsageErrorsGiveStatusTwo) {
  dir.write("a.txt", "x");
  const std::vector<std::vector<std::string>> cases = {
      {"a.txt"},
      {"--upper", "--lower", "a.txt"},
      {"--upper"},
      {"--exclude", "a", "--replace", "b", "a.txt"},
      {"--detect", "--to", "win", "a.txt"},
      {"--to", "utf16", "a.txt"},
      {"--bogus", "a.txt"},
      {"--with", "x", "a.txt"},
  };
  for (const auto &args : cases) {
    const auto r = run(args);
    EXPECT_EQ(r.status, 2) << args[0];
    EXPECT_NE(r.err, "") << args[0];
  }
  EXPECT_EQ(dir.read("a.txt"), "x");
}

TEST_F(CliTest, EmptySearchTextIsRefusedWithTheSystemsOwnWords) {
  dir.write("a.txt", "x");
  const auto r = run({"--exclude", "", "a.txt"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "Are you want to exclude empty string from file 8-) ?: "
                   "I'm surprised :)\n");
}

TEST_F(CliTest, DirectoryIsWalkedWithTheFilterMasks) {
  dir.mkdir("tree");
  dir.mkdir("tree/sub");
  dir.write("tree/a.txt", "a");
  dir.write("tree/b.doc", "b");
  dir.write("tree/sub/c.TXT", "c");
  const auto r = run({"--upper", "--filter", "*.txt", "tree"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(dir.read("tree/a.txt"), "A");
  EXPECT_EQ(dir.read("tree/b.doc"), "b");
  EXPECT_EQ(dir.read("tree/sub/c.TXT"), "C");
  EXPECT_EQ(r.out, dir.file("tree").substr(dir.path().size() + 1) +
                       ": Processing this directory and its subdirectories "
                       "is completed\n");
}

// Sets the interrupt flag when the job has read `after` bytes, as Ctrl-C
// would between two slices.
class InterruptingFileSystem : public platform::PosixFileSystem {
public:
  explicit InterruptingFileSystem(std::size_t after) : after_(after) {}
  std::unique_ptr<platform::InputFile>
  openRead(const platform::FileLocation &at) override {
    struct File : platform::InputFile {
      std::unique_ptr<platform::InputFile> inner;
      std::size_t after, total = 0;
      bool read(void *b, std::size_t n, std::size_t &got) override {
        const bool ok = inner->read(b, n, got);
        total += got;
        if (total >= after)
          cli::interrupted = true;
        return ok;
      }
      bool seek(platform::FileSize p) override { return inner->seek(p); }
      platform::FileSize position() const override { return inner->position(); }
      bool size(platform::FileSize &s) override { return inner->size(s); }
      bool status(platform::FileStatus &s) override { return inner->status(s); }
    };
    auto inner = PosixFileSystem::openRead(at);
    if (!inner)
      return nullptr;
    auto file = std::make_unique<File>();
    file->inner = std::move(inner);
    file->after = after_;
    return file;
  }

private:
  std::size_t after_;
};

TEST_F(CliTest, CtrlCCancelsTheFileAndStopsTheRun) {
  const std::string big(100000, 'a');
  dir.write("a.txt", big);
  dir.write("b.txt", big);
  InterruptingFileSystem fs(20000);
  const auto r = run({"--upper", "a.txt", "b.txt"}, fs);
  EXPECT_EQ(r.status, 130);
  EXPECT_EQ(r.err, "a.txt: Operation canceled\n");
  EXPECT_EQ(dir.read("a.txt"), big);
  EXPECT_EQ(dir.read("b.txt"), big);
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"a.txt", "b.txt"}));
}

// The version is written once, in project(... VERSION ...): --version shows
// exactly that, and the window's short form is its first two numbers.
TEST_F(CliTest, VersionIsTheProjectsVersion) {
  std::ifstream lists(std::filesystem::path(SNPLN_TEST_DATA_DIR) / ".." / ".." /
                      "CMakeLists.txt");
  const std::string text{std::istreambuf_iterator<char>(lists), {}};
  std::smatch m;
  ASSERT_TRUE(std::regex_search(
      text, m, std::regex(R"(project\(snpln VERSION ((\d+\.\d+)\.\d+))")))
      << "no project(snpln VERSION ...) in the top CMakeLists.txt";
  const auto r = run({"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "snpln-cli " + m[1].str() + "\n");
  EXPECT_EQ(std::string(kVersionShort), m[2].str());
}

} // namespace
} // namespace snpln
