// Every way a file's run can fail, for every engine and at every place of
// a chain of stages: the file keeps its content, its inode, mode and times,
// no temporary file remains, and the run ends with the message and result
// its failure calls for.
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <optional>
#include <random>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "engine/slice_stream.h"
#include "engine/typed_text.h"
#include "job/file_run.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/file_runs.h"
#include "tests/support/forwarding_input_file.h"
#include "tests/support/native_file_system.h"
#include "tests/support/temp_dir.h"

namespace snpln {
namespace {

using job::CodePage;
using JobRequest = test::FileRequest;
using job::JobResult;
using job::OperationCode;
using platform::FaultPlan;
using Message = std::pair<std::string, std::string>;

struct Seam {
  const char *name;
  std::function<void(FaultPlan &)> plan;
  Message message; // line 1 "<path>" stands for the file's path
  JobResult result;
  bool keepDate = false; // the run keeps the files' dates (-k)
};

const std::string kPath = "<path>";

std::vector<Seam> seams() {
  return {
      {"open",
       [](FaultPlan &p) { p.openRead = true; },
       {kPath, "This file not found"},
       JobResult::NotFound},
      {"status of the open file",
       [](FaultPlan &p) { p.inputStatus = true; },
       {kPath, "This file not found"},
       JobResult::NotFound},
      // The file fails with the system's reason; the run goes on.
      {"temporary file",
       [](FaultPlan &p) { p.beginSave = true; },
       {kPath, "Unable to open temporary file: Input/output error"},
       JobResult::WriteFailed},
      {"first read",
       [](FaultPlan &p) { p.readAt = 0; },
       {kPath, "Error reading file"},
       JobResult::ReadFailed},
      {"read in the middle",
       [](FaultPlan &p) { p.readAt = 333; },
       {kPath, "Error reading file"},
       JobResult::ReadFailed},
      {"read of the last byte",
       [](FaultPlan &p) { p.readAt = 1999; },
       {kPath, "Error reading file"},
       JobResult::ReadFailed},
      {"first write",
       [](FaultPlan &p) { p.writeAt = 0; },
       {kPath, "Error writing file"},
       JobResult::WriteFailed},
      {"write in the middle",
       [](FaultPlan &p) { p.writeAt = 500; },
       {kPath, "Error writing file"},
       JobResult::WriteFailed},
      {"short write",
       [](FaultPlan &p) { p.shortWriteAt = 700; },
       {kPath, "Error writing file"},
       JobResult::WriteFailed},
      {"flush",
       [](FaultPlan &p) { p.flush = true; },
       {kPath, "Error writing file"},
       JobResult::WriteFailed},
      {"commit",
       [](FaultPlan &p) { p.commit = true; },
       {kPath, "Error writing file"},
       JobResult::WriteFailed},
      {"file changed by another program",
       [](FaultPlan &p) {
         p.commit = true;
         p.commitOutcome = platform::SaveOutcome::TargetChanged;
       },
       {kPath, "Error reading file"},
       JobResult::ReadFailed},
      {"owner and group not kept",
       [](FaultPlan &p) {
         p.commit = true;
         p.commitOutcome = platform::SaveOutcome::OwnerNotKept;
       },
       {kPath, "Unable to keep the owner and group of this file"},
       JobResult::WriteFailed},
      {"mode or attributes not kept",
       [](FaultPlan &p) {
         p.commit = true;
         p.commitOutcome = platform::SaveOutcome::AttributesNotKept;
       },
       {kPath, "Unable to keep the mode and attributes of this file"},
       JobResult::WriteFailed},
      {"times refused",
       [](FaultPlan &p) { p.times = true; },
       {kPath, "Unable to keep the date of this file"},
       JobResult::WriteFailed,
       true},
      {"commit after the times were set",
       [](FaultPlan &p) { p.commit = true; },
       {kPath, "Error writing file"},
       JobResult::WriteFailed,
       true},
  };
}

struct Operation {
  const char *name;
  OperationCode op;
  std::function<void(JobRequest &)> setUp;
  // The file's content; empty: sampleText().
  std::string content = {};
};

// About 2000 bytes of UTF-8 read as Windows-1251 and saved as UTF-8.
std::string garbledText() {
  std::string text;
  while (text.size() < 2000)
    text += "РџСЂРёРІРµС‚, РјРёСЂ! Р­С‚Рѕ РёСЃРїРѕСЂС‡РµРЅРЅС‹Р№ С‚РµРєСЃС‚.\n";
  return text;
}

std::vector<Operation> operations() {
  return {
      {"upper", OperationCode::UpperCase, [](JobRequest &) {}},
      {"smart", OperationCode::SmartCase, [](JobRequest &) {}},
      {"recode", OperationCode::RecodeToWin,
       [](JobRequest &r) {
         r.sourceCodePage = CodePage::Dos;
         r.targetCodePage = CodePage::Win;
       }},
      // The sample's bytes read as UTF-16LE units are text without a
      // surrogate; the page is resolved from the head at start-up.
      {"recode from UTF-16", OperationCode::RecodeToUtf8,
       [](JobRequest &r) {
         r.sourceCodePage = CodePage::Utf16Le;
         r.targetCodePage = CodePage::Utf8;
       }},
      {"recode to UTF-16", OperationCode::RecodeToUtf16,
       [](JobRequest &r) {
         r.sourceCodePage = CodePage::Dos;
         r.targetCodePage = CodePage::Utf16;
       }},
      {"replace", OperationCode::Replace,
       [](JobRequest &r) {
         r.searchText = "a";
         r.replaceText = "bb";
         r.rightPartOfWord = 1;
       }},
      {"optimize", OperationCode::Optimize,
       [](JobRequest &r) { r.tabSize = 4; }},
      {"delete empty", OperationCode::DeleteEmpty, [](JobRequest &) {}},
      {"line ends", OperationCode::LineEnds,
       [](JobRequest &r) { r.lineEnd = engine::LineEnd::Lf; }},
      {"byte order mark", OperationCode::Bom,
       [](JobRequest &r) {
         r.bom = engine::BomChange::Add;
         r.filePage = CodePage::Utf8;
       }},
      {"repair", OperationCode::Repair, [](JobRequest &) {}, garbledText()},
  };
}

// 2000 bytes of text with letters of both alphabets, blanks and line ends,
// so every engine has work to do in every slice.
std::string sampleText() {
  std::mt19937 random(7);
  const std::string pieces[] = {"a",        "A",    "\xE0", "\xC0",
                                " ",        "    ", "\t",   "\r\n",
                                "\r\n\r\n", ". ",   "Ivan", "\x8F"};
  std::string text;
  while (text.size() < 2000)
    text += pieces[random() % std::size(pieces)];
  text.resize(2000);
  return text;
}

TEST(FileRunFaults, EveryFailureLeavesTheFileAsItWas) {
  for (const auto &operation : operations()) {
    const std::string content =
        operation.content.empty() ? sampleText() : operation.content;
    for (const auto &seam : seams()) {
      SCOPED_TRACE(std::string(operation.name) + ", " + seam.name);
      test::TempDir dir;
      test::ChangeDirectory cd(dir.path());
      dir.write("f.txt", content);
      dir.chmod("f.txt", 0444);

      platform::FaultyFileSystem fs;
      seam.plan(fs.fail);
      JobRequest r;
      r.only(operation.op);
      r.location = dir.file("f.txt");
      r.keepDate = seam.keepDate;
      operation.setUp(r);
      const job::FileReport file = test::runRequest(r, 64, fs);

      EXPECT_EQ(file.result, seam.result);
      Message expected = seam.message;
      if (expected.first == kPath)
        expected.first = r.location.path();
      ASSERT_TRUE(file.failure());
      EXPECT_EQ(test::shownLines(*file.failure()), expected);
      EXPECT_EQ(dir.read("f.txt"), content);
      EXPECT_EQ(dir.mode("f.txt"), 0444);
      EXPECT_EQ(dir.names(), std::vector<std::string>{"f.txt"});
      // Whatever the end, the run only reads the file and saves beside it:
      // no call changes anything through the file's name.
      for (const std::string &call : fs.log) {
        const std::string verb = call.substr(0, call.find(' '));
        EXPECT_TRUE(verb == "openRead" || verb == "beginSave" ||
                    verb == "setTimes" || verb == "commit" || verb == "abandon")
            << call;
      }
    }
  }
}

TEST(FileRunFaults, LineTooLongEndsTheLineEnginesWithReadFailed) {
  for (auto op : {OperationCode::Optimize, OperationCode::DeleteEmpty}) {
    test::TempDir dir;
    test::ChangeDirectory cd(dir.path());
    const std::string content = "short\r\n" + std::string(30001, 'x') + "\r\n";
    dir.write("f.txt", content);
    JobRequest r;
    r.only(op);
    r.location = dir.file("f.txt");
    const job::FileReport file = test::runRequest(r);
    EXPECT_EQ(file.result, JobResult::ReadFailed);
    ASSERT_TRUE(file.failure());
    EXPECT_EQ(test::shownLines(*file.failure()),
              Message(r.location.path(),
                      "Line in file is too long (greater than 30000 bytes)"));
    EXPECT_EQ(dir.read("f.txt"), content);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"f.txt"});
  }
}

TEST(FileRunFaults, LineOfExactlyTheLimitIsProcessed) {
  test::TempDir dir;
  test::ChangeDirectory cd(dir.path());
  dir.write("f.txt", std::string(29998, 'x') + "  ");
  JobRequest r;
  r.only(OperationCode::Optimize);
  r.location = dir.file("f.txt");
  EXPECT_EQ(test::runRequest(r).result, JobResult::Done);
  EXPECT_EQ(dir.read("f.txt"), std::string(29998, 'x'));
}

TEST(FileRunFaults, ASuccessChangesNothingThroughTheFilesName) {
  SNPLN_SKIP_ON_WINDOWS("POSIX permission bits");
  test::TempDir dir;
  test::ChangeDirectory cd(dir.path());
  dir.write("f.txt", "abc");
  dir.chmod("f.txt", 0440);
  platform::FaultyFileSystem fs;
  JobRequest r;
  r.location = dir.file("f.txt");
  EXPECT_EQ(test::runRequest(r, 8192, fs).result, JobResult::Done);
  EXPECT_EQ(dir.read("f.txt"), "ABC");
  // The new file carries the mode from its own descriptor.
  EXPECT_EQ(dir.mode("f.txt"), 0440);
  EXPECT_EQ(fs.log, (std::vector<std::string>{"openRead " + r.location.path(),
                                              "beginSave " + r.location.path(),
                                              "commit " + r.location.path()}));
}

// The run waits for the disk through its commit and the closing of the
// files: the last close of the file replaced frees its blocks, which may
// wait for the device, and is no work for a turn to compute.
TEST(FileRunFaults, TheReplacedFileIsClosedWhileTheJobWaitsForTheDisk) {
  test::TempDir dir;
  test::ChangeDirectory cd(dir.path());
  dir.write("f.txt", "abc");
  std::vector<std::string> events;
  struct Closing : test::ForwardingInputFile {
    Closing(std::unique_ptr<platform::InputFile> inner,
            std::vector<std::string> &log)
        : ForwardingInputFile(std::move(inner)), events(log) {}
    ~Closing() override { events.push_back("input closed"); }
    std::vector<std::string> &events;
  };
  struct Files : test::NativeFileSystem {
    std::vector<std::string> *events = nullptr;
    std::unique_ptr<platform::InputFile>
    openRead(const platform::FileLocation &at) override {
      auto inner = test::NativeFileSystem::openRead(at);
      if (!inner)
        return inner;
      return std::make_unique<Closing>(std::move(inner), *events);
    }
  };
  Files fs;
  fs.events = &events;
  job::JobControl control;
  control.waitingForDisk = [&](bool waiting) {
    events.push_back(waiting ? "waiting" : "computing");
  };
  JobRequest r;
  r.location = dir.file("f.txt");
  EXPECT_EQ(test::runRequest(r, 8192, fs, control).result, JobResult::Done);
  EXPECT_EQ(dir.read("f.txt"), "ABC");
  EXPECT_EQ(events,
            (std::vector<std::string>{"waiting", "input closed", "computing"}));
}

#ifndef _WIN32
// What a failed run must leave: every byte, the inode, the mode and the
// times (content and status change).
struct Untouched {
  std::string content;
  struct stat st {};

  static Untouched of(const test::TempDir &dir, const std::string &name) {
    Untouched u;
    u.content = dir.read(name);
    EXPECT_EQ(::stat(dir.file(name).c_str(), &u.st), 0);
    return u;
  }
  void expectSame(const test::TempDir &dir, const std::string &name) const {
    struct stat now {};
    ASSERT_EQ(::stat(dir.file(name).c_str(), &now), 0);
    EXPECT_EQ(dir.read(name), content);
    EXPECT_EQ(now.st_ino, st.st_ino);
    EXPECT_EQ(now.st_mode, st.st_mode);
    EXPECT_EQ(now.st_mtim.tv_sec, st.st_mtim.tv_sec);
    EXPECT_EQ(now.st_mtim.tv_nsec, st.st_mtim.tv_nsec);
    EXPECT_EQ(now.st_ctim.tv_sec, st.st_ctim.tv_sec);
    EXPECT_EQ(now.st_ctim.tv_nsec, st.st_ctim.tv_nsec);
  }
};
#endif

// A failure in the first, a middle or the last stage of a file's chain:
// nothing of what the stages before it made reaches the file, which keeps
// every byte, its inode, mode and times; the report names the operation
// that failed and, where there is one, the place.
TEST(FileRunFaults, AFailureAtAnyStageLeavesTheFileWhole) {
  SNPLN_SKIP_ON_WINDOWS("inodes and times read by POSIX calls");
#ifndef _WIN32
  using Op = OperationCode;
  // UTF-8 prose with the euro sign KOI8-R lacks on line 40, and with a
  // byte that is no UTF-8 on line 40.
  std::string prose;
  for (int i = 0; i < 60; ++i)
    prose += "Привет, мир!    Строка " + std::to_string(i) + "\r\n";
  std::string euro = prose;
  const std::string fortieth = "Строка 40";
  euro.insert(euro.find(fortieth) + fortieth.size(), "€");
  std::string broken = prose;
  broken.insert(broken.find(fortieth) + fortieth.size(), "\xFF");
  const auto toKoi = [](JobRequest &r) {
    r.sourceCodePage = CodePage::Utf8;
    r.targetCodePage = CodePage::Koi;
  };
  const auto typed = [](JobRequest &r) {
    r.targetCodePage = CodePage::Koi;
    r.searchText = "мир";
    r.replaceText = "«мир»";
    r.typedText = job::TypedText::Characters;
  };
  const auto none = [](JobRequest &) {};
  // The same prose in Windows-1251 to UTF-8, whose later stages run before
  // the recoding; and a line whose UTF-8 only is too long.
  const std::string win = *engine::typedTextIn(prose, CodePage::Win);
  const auto fromWin = [](JobRequest &r) {
    r.sourceCodePage = CodePage::Win;
    r.targetCodePage = CodePage::Utf8;
  };
  struct Case {
    const char *name;
    std::string content;
    std::vector<Op> operations;
    std::function<void(JobRequest &)> setUp;
    std::function<void(FaultPlan &)> fault;
    Op failing;
    job::MessageId message;
    std::optional<std::uint64_t> line;
  };
  const auto noFault = [](FaultPlan &) {};
  const auto readFault = [](FaultPlan &p) { p.readAt = 700; };
  const auto fullDisk = [](FaultPlan &p) {
    p.writeAt = 900;
    p.error = ENOSPC;
  };
  const auto fullAtCommit = [](FaultPlan &p) {
    p.flush = true;
    p.error = ENOSPC;
  };
  const Case cases[] = {
      {"a character the target lacks, first",
       euro,
       {Op::RecodeToKoi, Op::LineEnds, Op::Optimize},
       toKoi,
       noFault,
       Op::RecodeToKoi,
       job::MessageId::Unrepresentable,
       41},
      {"a character the target lacks, middle",
       euro,
       {Op::UpperCase, Op::RecodeToKoi, Op::Optimize},
       toKoi,
       noFault,
       Op::RecodeToKoi,
       job::MessageId::Unrepresentable,
       41},
      {"a character the target lacks, last",
       euro,
       {Op::UpperCase, Op::RecodeToKoi},
       toKoi,
       noFault,
       Op::RecodeToKoi,
       job::MessageId::Unrepresentable,
       41},
      {"invalid input, first",
       broken,
       {Op::RecodeToKoi, Op::DeleteEmpty},
       toKoi,
       noFault,
       Op::RecodeToKoi,
       job::MessageId::InvalidUtf8,
       41},
      {"invalid input, middle",
       broken,
       {Op::UpperCase, Op::RecodeToKoi, Op::DeleteEmpty},
       toKoi,
       noFault,
       Op::RecodeToKoi,
       job::MessageId::InvalidUtf8,
       41},
      {"invalid input, last",
       broken,
       {Op::UpperCase, Op::RecodeToKoi},
       toKoi,
       noFault,
       Op::RecodeToKoi,
       job::MessageId::InvalidUtf8,
       41},
      {"a replacement the target lacks, after a recoding",
       prose,
       {Op::UpperCase, Op::RecodeToKoi, Op::Replace},
       typed,
       noFault,
       Op::Replace,
       job::MessageId::TypedTextUnfit,
       std::nullopt},
      {"a line too long, last",
       prose + std::string(30001, 'x'),
       {Op::UpperCase, Op::LineEnds, Op::Optimize},
       none,
       noFault,
       Op::Optimize,
       job::MessageId::LineTooLong,
       std::nullopt},
      {"a line too long, middle",
       prose + std::string(30001, 'x'),
       {Op::UpperCase, Op::Optimize, Op::DeleteEmpty},
       none,
       noFault,
       Op::Optimize,
       job::MessageId::LineTooLong,
       std::nullopt},
      {"a line too long in UTF-8 alone",
       win + std::string(16000, '\xE0') + "\r\n",
       {Op::RecodeToUtf8, Op::Optimize},
       fromWin,
       noFault,
       Op::Optimize,
       job::MessageId::LineTooLong,
       std::nullopt},
      {"a read error under stages moved before a recoding",
       win,
       {Op::UpperCase, Op::RecodeToUtf8, Op::LineEnds, Op::Optimize},
       fromWin,
       readFault,
       Op::UpperCase,
       job::MessageId::ReadError,
       std::nullopt},
      {"a full disk under stages moved before a recoding",
       win,
       {Op::RecodeToUtf8, Op::LineEnds, Op::Optimize},
       fromWin,
       fullDisk,
       Op::Optimize,
       job::MessageId::WriteError,
       std::nullopt},
      {"a read error under three stages",
       prose,
       {Op::UpperCase, Op::LineEnds, Op::Optimize},
       none,
       readFault,
       Op::UpperCase,
       job::MessageId::ReadError,
       std::nullopt},
      {"a full disk under three stages",
       prose,
       {Op::UpperCase, Op::LineEnds, Op::Optimize},
       none,
       fullDisk,
       Op::Optimize,
       job::MessageId::WriteError,
       std::nullopt},
      {"a full disk at the commit's flush",
       prose,
       {Op::UpperCase, Op::LineEnds, Op::Optimize},
       none,
       fullAtCommit,
       Op::Optimize,
       job::MessageId::WriteError,
       std::nullopt},
  };
  for (const Case &c : cases)
    for (const std::size_t slice : {std::size_t{3}, std::size_t{8192}}) {
      SCOPED_TRACE(std::string(c.name) + ", slice " + std::to_string(slice));
      test::TempDir dir;
      test::ChangeDirectory cd(dir.path());
      dir.write("f.txt", c.content);
      dir.chmod("f.txt", 0640);
      const Untouched before = Untouched::of(dir, "f.txt");
      platform::FaultyFileSystem fs;
      c.fault(fs.fail);
      JobRequest r;
      r.operations = c.operations;
      r.location = dir.file("f.txt");
      r.lineEnd = engine::LineEnd::Lf;
      c.setUp(r);
      const job::FileReport file = test::runRequest(r, slice, fs);
      EXPECT_NE(file.result, JobResult::Done);
      EXPECT_NE(file.result, JobResult::Skipped);
      ASSERT_TRUE(file.failure());
      EXPECT_EQ(file.failure()->operation, c.failing);
      EXPECT_EQ(file.failure()->message.id, c.message)
          << test::reportLineOf(*file.failure());
      EXPECT_EQ(file.failure()->line, c.line);
      before.expectSame(dir, "f.txt");
      EXPECT_EQ(dir.names(), std::vector<std::string>{"f.txt"});
      EXPECT_LE(fs.calls.commits, 1);
    }
#endif
}

// However many operations, a file is read once and rewritten once: one
// temporary file, one commit; a file they leave as it was gets neither.
TEST(FileRunFaults, ThreeOperationsMakeOneTemporaryFileAndOneCommit) {
  test::TempDir dir;
  test::ChangeDirectory cd(dir.path());
  platform::FaultyFileSystem fs;
  JobRequest r;
  r.operations = {OperationCode::UpperCase, OperationCode::RecodeToUtf8,
                  OperationCode::Optimize};
  r.targetCodePage = CodePage::Utf8;
  r.sourceCodePage = CodePage::Koi;
  r.location = dir.file("f.txt");
  dir.write("f.txt", "\xF0\xD2\xC9\xD7\xC5\xD4,         ok\r\n");
  const job::FileReport file = test::runRequest(r, 8192, fs);
  EXPECT_EQ(file.result, JobResult::Done);
  for (const job::JobReport &operation : file.operations)
    EXPECT_TRUE(operation.succeeded()) << test::reportLineOf(operation);
  EXPECT_EQ(dir.read("f.txt"), "ПРИВЕТ,\t\tOK\r\n");
  EXPECT_EQ(fs.calls.openRead, 1);
  EXPECT_EQ(fs.calls.beginSave, 1);
  EXPECT_EQ(fs.calls.commits, 1);
  EXPECT_EQ(fs.calls.abandons, 0);
  // Run again: upper case, UTF-8 and TABs already; nothing is begun.
  r.sourceCodePage = CodePage::Auto;
  const job::FileReport again = test::runRequest(r, 8192, fs);
  EXPECT_EQ(again.result, JobResult::Skipped);
  EXPECT_EQ(fs.calls.beginSave, 1);
  EXPECT_EQ(fs.calls.commits, 1);
  EXPECT_EQ(dir.names(), std::vector<std::string>{"f.txt"});

  // A line longer than a third of the limit, which the stages before a
  // recoding to UTF-8 refuse, after more text than a block: the file is
  // run again in the plan's order, and the first temporary file is thrown
  // away.
  std::string head, wantHead;
  while (head.size() < 200000) {
    head += "\xF0\xF2\r\n";
    wantHead += "ПР\r\n";
  }
  const std::string line(12000, '\xF0');
  dir.write("f.txt", head + line + "        x\r\n");
  r.operations = {OperationCode::RecodeToUtf8, OperationCode::Optimize};
  r.sourceCodePage = CodePage::Koi;
  const job::FileReport twice = test::runRequest(r, 8192, fs);
  EXPECT_EQ(twice.result, JobResult::Done);
  std::string want = wantHead;
  for (int i = 0; i < 12000; ++i)
    want += "П";
  EXPECT_TRUE(dir.read("f.txt") == want + "\tx\r\n");
  EXPECT_EQ(fs.calls.openRead, 3);
  EXPECT_EQ(fs.calls.beginSave, 3);
  EXPECT_EQ(fs.calls.abandons, 1);
  EXPECT_EQ(fs.calls.commits, 2);
  EXPECT_EQ(dir.names(), std::vector<std::string>{"f.txt"});
}

} // namespace
} // namespace snpln
