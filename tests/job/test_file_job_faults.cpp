// Every way a job can fail, for every engine: the file keeps its content
// and its mode, no temporary file remains, and the job ends with the message
// and result its failure calls for.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "engine/slice_stream.h"
#include "job/file_job.h"
#include "tests/support/faulty_file_system.h"
#include "tests/support/forwarding_input_file.h"
#include "tests/support/native_file_system.h"
#include "tests/support/recording_job_host.h"
#include "tests/support/temp_dir.h"

namespace snpln {
namespace {

using job::CodePage;
using job::JobRequest;
using job::JobResult;
using job::OperationCode;
using platform::FaultPlan;
using Message = std::pair<std::string, std::string>;

struct Seam {
  const char *name;
  std::function<void(FaultPlan &)> plan;
  bool startupEnd; // the job ends before its first tick
  Message message; // line 1 "<path>" stands for the file's path
  JobResult result;
  bool keepDate = false; // the run keeps the files' dates (-k)
};

const std::string kPath = "<path>";

std::vector<Seam> seams() {
  return {
      {"open",
       [](FaultPlan &p) { p.openRead = true; },
       true,
       {kPath, "This file not found"},
       JobResult::NotFound},
      {"status of the open file",
       [](FaultPlan &p) { p.inputStatus = true; },
       true,
       {kPath, "This file not found"},
       JobResult::NotFound},
      // The file fails with the system's reason; the run goes on.
      {"temporary file",
       [](FaultPlan &p) { p.beginSave = true; },
       true,
       {kPath, "Unable to open temporary file: Input/output error"},
       JobResult::WriteFailed},
      {"first read",
       [](FaultPlan &p) { p.readAt = 0; },
       false,
       {kPath, "Error reading file"},
       JobResult::ReadFailed},
      {"read in the middle",
       [](FaultPlan &p) { p.readAt = 333; },
       false,
       {kPath, "Error reading file"},
       JobResult::ReadFailed},
      {"read of the last byte",
       [](FaultPlan &p) { p.readAt = 1999; },
       false,
       {kPath, "Error reading file"},
       JobResult::ReadFailed},
      {"first write",
       [](FaultPlan &p) { p.writeAt = 0; },
       false,
       {kPath, "Error writing file"},
       JobResult::WriteFailed},
      {"write in the middle",
       [](FaultPlan &p) { p.writeAt = 500; },
       false,
       {kPath, "Error writing file"},
       JobResult::WriteFailed},
      {"short write",
       [](FaultPlan &p) { p.shortWriteAt = 700; },
       false,
       {kPath, "Error writing file"},
       JobResult::WriteFailed},
      {"flush",
       [](FaultPlan &p) { p.flush = true; },
       false,
       {kPath, "Error writing file"},
       JobResult::WriteFailed},
      {"commit",
       [](FaultPlan &p) { p.commit = true; },
       false,
       {kPath, "Error writing file"},
       JobResult::WriteFailed},
      {"file changed by another program",
       [](FaultPlan &p) {
         p.commit = true;
         p.commitOutcome = platform::SaveOutcome::TargetChanged;
       },
       false,
       {kPath, "Error reading file"},
       JobResult::ReadFailed},
      {"owner and group not kept",
       [](FaultPlan &p) {
         p.commit = true;
         p.commitOutcome = platform::SaveOutcome::OwnerNotKept;
       },
       false,
       {kPath, "Unable to keep the owner and group of this file"},
       JobResult::WriteFailed},
      {"mode or attributes not kept",
       [](FaultPlan &p) {
         p.commit = true;
         p.commitOutcome = platform::SaveOutcome::AttributesNotKept;
       },
       false,
       {kPath, "Unable to keep the mode and attributes of this file"},
       JobResult::WriteFailed},
      {"times refused",
       [](FaultPlan &p) { p.times = true; },
       false,
       {kPath, "Unable to keep the date of this file"},
       JobResult::WriteFailed,
       true},
      {"commit after the times were set",
       [](FaultPlan &p) { p.commit = true; },
       false,
       {kPath, "Error writing file"},
       JobResult::WriteFailed,
       true},
  };
}

struct Operation {
  const char *name;
  OperationCode op;
  std::function<void(JobRequest &)> setUp;
  // The job reads the file's first bytes at start-up, so a failure of the
  // first read ends it there (with the same message and result).
  bool readsHeadAtStart = false;
};

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
       },
       true},
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
       },
       true},
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

TEST(FileJobFaults, EveryFailureLeavesTheFileAsItWas) {
  const std::string content = sampleText();
  for (const auto &operation : operations()) {
    for (const auto &seam : seams()) {
      SCOPED_TRACE(std::string(operation.name) + ", " + seam.name);
      test::TempDir dir;
      test::ChangeDirectory cd(dir.path());
      dir.write("f.txt", content);
      dir.chmod("f.txt", 0444);

      platform::FaultyFileSystem fs;
      seam.plan(fs.fail);
      test::RecordingJobHost host;
      JobRequest r;
      r.operation = operation.op;
      r.location = dir.file("f.txt");
      r.lastJob = 1;
      r.keepDate = seam.keepDate;
      operation.setUp(r);
      job::FileJob job(r, host, fs);
      job.setSliceSize(64);
      // An operation that decides by the file's head reads the first block
      // at start-up: a read failing anywhere in it ends the job there.
      const bool startupEnd =
          seam.startupEnd ||
          (operation.readsHeadAtStart && fs.fail.readAt != platform::kNoFault &&
           fs.fail.readAt < engine::kIoBlockSize);
      EXPECT_EQ(job.start(), !startupEnd);
      while (!job.ended())
        job.tick();

      EXPECT_EQ(job.result(), seam.result);
      Message expected = seam.message;
      if (expected.first == kPath)
        expected.first = r.location.path();
      EXPECT_EQ(host.messages, std::vector<Message>{expected});
      EXPECT_EQ(dir.read("f.txt"), content);
      EXPECT_EQ(dir.mode("f.txt"), 0444);
      EXPECT_EQ(dir.names(), std::vector<std::string>{"f.txt"});
      // Whatever the end, the job only reads the file and saves beside it:
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

TEST(FileJobFaults, LineTooLongEndsTheLineEnginesWithReadFailed) {
  for (auto op : {OperationCode::Optimize, OperationCode::DeleteEmpty}) {
    test::TempDir dir;
    test::ChangeDirectory cd(dir.path());
    const std::string content = "short\r\n" + std::string(30001, 'x') + "\r\n";
    dir.write("f.txt", content);
    test::RecordingJobHost host;
    JobRequest r;
    r.operation = op;
    r.location = dir.file("f.txt");
    EXPECT_EQ(job::FileJob(r, host).run(), JobResult::ReadFailed);
    EXPECT_EQ(host.messages,
              (std::vector<Message>{
                  {r.location.path(),
                   "Line in file is too long (greater than 30000 bytes)"}}));
    EXPECT_EQ(dir.read("f.txt"), content);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"f.txt"});
  }
}

TEST(FileJobFaults, LineOfExactlyTheLimitIsProcessed) {
  test::TempDir dir;
  test::ChangeDirectory cd(dir.path());
  dir.write("f.txt", std::string(30000, 'x'));
  test::RecordingJobHost host;
  JobRequest r;
  r.operation = OperationCode::Optimize;
  r.location = dir.file("f.txt");
  EXPECT_EQ(job::FileJob(r, host).run(), JobResult::Done);
  EXPECT_EQ(dir.read("f.txt"), std::string(30000, 'x'));
}

TEST(FileJobFaults, ASuccessChangesNothingThroughTheFilesName) {
  SNPLN_SKIP_ON_WINDOWS("POSIX permission bits");
  test::TempDir dir;
  test::ChangeDirectory cd(dir.path());
  dir.write("f.txt", "abc");
  dir.chmod("f.txt", 0440);
  platform::FaultyFileSystem fs;
  test::RecordingJobHost host;
  JobRequest r;
  r.location = dir.file("f.txt");
  EXPECT_EQ(job::FileJob(r, host, fs).run(), JobResult::Done);
  EXPECT_EQ(dir.read("f.txt"), "ABC");
  // The new file carries the mode from its own descriptor.
  EXPECT_EQ(dir.mode("f.txt"), 0440);
  EXPECT_EQ(fs.log, (std::vector<std::string>{"openRead " + r.location.path(),
                                              "beginSave " + r.location.path(),
                                              "commit " + r.location.path()}));
}

// The job waits for the disk through its commit and the closing of the
// files: the last close of the file replaced frees its blocks, which may
// wait for the device, and is no work for a turn to compute.
TEST(FileJobFaults, TheReplacedFileIsClosedWhileTheJobWaitsForTheDisk) {
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
  struct Host : test::RecordingJobHost {
    std::vector<std::string> *events = nullptr;
    void waitingForDisk(bool waiting) override {
      events->push_back(waiting ? "waiting" : "computing");
    }
  };
  Files fs;
  fs.events = &events;
  Host host;
  host.events = &events;
  JobRequest r;
  r.location = dir.file("f.txt");
  EXPECT_EQ(job::FileJob(r, host, fs).run(), JobResult::Done);
  EXPECT_EQ(dir.read("f.txt"), "ABC");
  EXPECT_EQ(events,
            (std::vector<std::string>{"waiting", "input closed", "computing"}));
}

} // namespace
} // namespace snpln
