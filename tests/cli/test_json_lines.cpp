// The pieces of snpln-cli --json: strings, base64 names, errno names, and
// the fields of a report, present only where they apply.
#include <gtest/gtest.h>

#include <cerrno>

#include "cli/json_lines.h"
#include "cli/json_summary.h"

using namespace snpln;

TEST(JsonLines, StringsAreEscaped) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain", "\"plain\""},
      {"a\"b\\c", "\"a\\\"b\\\\c\""},
      {"tab\tline\nret\r", "\"tab\\tline\\nret\\r\""},
      {std::string("\x01\x1f", 2), "\"\\u0001\\u001f\""},
      {"Привет", "\"Привет\""},
  };
  for (const auto &[text, json] : cases)
    EXPECT_EQ(cli::jsonString(text), json) << text;
}

TEST(JsonLines, NamesThatAreNotUtf8GoInBase64) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},        {"f", "Zg=="},        {"fo", "Zm8="},
      {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {"\xff\xfe\xfd", "//79"},
  };
  for (const auto &[bytes, encoded] : cases)
    EXPECT_EQ(cli::base64(bytes), encoded) << bytes;
  EXPECT_EQ(cli::jsonPathField("d/a.txt"), "\"path\":\"d/a.txt\"");
  EXPECT_EQ(cli::jsonPathField("d/\xff.txt"),
            "\"path_bytes\":\"ZC//LnR4dA==\"");
  // Overlong and cut sequences are not UTF-8 either.
  EXPECT_EQ(cli::jsonPathField("\xC0\xAF").substr(0, 12), "\"path_bytes\"");
  EXPECT_EQ(cli::jsonPathField("\xD0").substr(0, 12), "\"path_bytes\"");
}

TEST(JsonLines, ErrnoHasItsSymbolicName) {
  EXPECT_EQ(cli::errnoName(EACCES), "EACCES");
  EXPECT_EQ(cli::errnoName(ENOENT), "ENOENT");
  EXPECT_EQ(cli::errnoName(ENOSPC), "ENOSPC");
  EXPECT_EQ(cli::errnoName(99999), "E99999");
}

TEST(JsonLines, AReportHasOnlyTheFieldsThatApply) {
  job::JobReport r;
  r.path = "a.txt";
  r.operation = job::OperationCode::Replace;
  r.result = job::JobResult::Done;
  r.message = job::Message(job::MessageId::Converted);
  r.hits = 3;
  EXPECT_EQ(cli::jsonOfReport(r),
            "{\"kind\":\"file\",\"path\":\"a.txt\",\"pass\":\"replace\","
            "\"outcome\":\"converted\",\"hits\":3}");
  r.dryRun = true;
  EXPECT_EQ(cli::jsonOfReport(r),
            "{\"kind\":\"file\",\"path\":\"a.txt\",\"pass\":\"replace\","
            "\"outcome\":\"would-convert\",\"hits\":3}");
  job::JobReport w;
  w.path = "b.txt";
  w.operation = job::OperationCode::RecodeToKoi;
  w.result = job::JobResult::WriteFailed;
  w.message = job::Message(job::MessageId::NoTempFile);
  w.message.systemError = EACCES;
  w.from = engine::CodePage::Win;
  w.to = engine::CodePage::Koi;
  w.detected = true;
  EXPECT_EQ(cli::jsonOfReport(w),
            "{\"kind\":\"file\",\"path\":\"b.txt\",\"pass\":\"recode\","
            "\"outcome\":\"failed\","
            "\"from\":\"windows-1251\",\"to\":\"KOI8-R\",\"detected\":true,"
            "\"error\":\"no-temporary-file\",\"errno\":\"EACCES\"}");
  job::JobReport c;
  c.path = "c.txt";
  c.operation = job::OperationCode::UpperCase;
  c.result = job::JobResult::Stop;
  c.message = job::Message(job::MessageId::Canceled);
  EXPECT_EQ(cli::jsonOfReport(c), "{\"kind\":\"file\",\"path\":\"c.txt\","
                                  "\"pass\":\"upper\",\"outcome\":\"canceled\","
                                  "\"error\":\"canceled\"}");
}

// -b and -o: the backup's name and the output file, in base64 under
// "_bytes" when not UTF-8; a failed job names no output.
TEST(JsonLines, BackupAndOutputNames) {
  job::JobReport r;
  r.path = "a.txt";
  r.operation = job::OperationCode::UpperCase;
  r.result = job::JobResult::Done;
  r.message = job::Message(job::MessageId::Converted);
  r.backup = "a.txt~";
  r.output = "\xff\xfe\xfd";
  EXPECT_EQ(
      cli::jsonOfReport(r),
      "{\"kind\":\"file\",\"path\":\"a.txt\",\"pass\":\"upper\",\"outcome\":"
      "\"converted\",\"backup\":\"a.txt~\",\"output_bytes\":\"//79\"}");
  r.backup.reset();
  r.result = job::JobResult::WriteFailed;
  r.message = job::Message(job::MessageId::BackupNotKept);
  EXPECT_EQ(
      cli::jsonOfReport(r),
      "{\"kind\":\"file\",\"path\":\"a.txt\",\"pass\":\"upper\",\"outcome\":"
      "\"failed\",\"error\":\"backup-not-kept\"}");
  EXPECT_EQ(cli::jsonOfMessage("out.txt",
                               job::Message(job::MessageId::OutputChanged)),
            "{\"kind\":\"file\",\"path\":\"out.txt\",\"outcome\":\"failed\","
            "\"error\":\"output-changed\"}");
}

// A directory done is an object of its own; a message that is neither a
// failure nor a directory's end prints nothing.
TEST(JsonLines, RunMessagesOfDirectoriesAndNames) {
  job::Message unreadable(job::MessageId::DirectoryUnreadable);
  unreadable.systemError = EACCES;
  EXPECT_EQ(cli::jsonOfMessage("d", unreadable, job::OperationCode::Replace),
            "{\"kind\":\"directory\",\"path\":\"d\",\"pass\":\"replace\","
            "\"outcome\":\"failed\","
            "\"error\":\"unreadable-directory\",\"errno\":\"EACCES\"}");
  EXPECT_EQ(cli::jsonOfMessage("d", job::Message(job::MessageId::DirectoryDone),
                               job::OperationCode::UpperCase),
            "{\"kind\":\"directory\",\"path\":\"d\",\"pass\":\"upper\","
            "\"outcome\":\"done\"}");
  EXPECT_FALSE(
      cli::jsonOfMessage("", job::Message(job::MessageId::RunCanceled)));
  EXPECT_EQ(cli::jsonOfPassedOver(".git", batch::PassedOver::Hidden,
                                  job::OperationCode::RecodeToWin),
            "{\"kind\":\"skipped\",\"path\":\".git\",\"pass\":\"recode\","
            "\"outcome\":\"skipped\","
            "\"reason\":\"hidden\"}");
}

// A dry run's change says what -b and -k would do, and a repair's shows
// its piece of text; a real run's, and a dry run's that changes nothing,
// do not.
TEST(JsonLines, ADryRunSaysWhatBackupAndDatesWouldDo) {
  job::JobReport r;
  r.path = "a.txt";
  r.operation = job::OperationCode::Repair;
  r.result = job::JobResult::Done;
  r.message = job::Message(job::MessageId::Converted);
  r.excerptBefore = "РџСЂРёРІРµС‚";
  r.excerptAfter = "Привет";
  const cli::DryRunOptions both{true, true};
  EXPECT_EQ(cli::jsonOfReport(r, both),
            "{\"kind\":\"file\",\"path\":\"a.txt\",\"pass\":\"repair\","
            "\"outcome\":\"converted\"}");
  r.dryRun = true;
  EXPECT_EQ(cli::jsonOfReport(r, both),
            "{\"kind\":\"file\",\"path\":\"a.txt\",\"pass\":\"repair\","
            "\"outcome\":\"would-convert\",\"excerpt\":{\"before\":"
            "\"РџСЂРёРІРµС‚\",\"after\":\"Привет\"},\"wouldKeepBackup\":true,"
            "\"wouldKeepDate\":true}");
  r.message = job::Message(job::MessageId::Identical);
  EXPECT_EQ(cli::jsonOfReport(r, both),
            "{\"kind\":\"file\",\"path\":\"a.txt\",\"pass\":\"repair\","
            "\"outcome\":\"unchanged\",\"reason\":\"identical\"}");
}

namespace {

job::JobReport operationReport(job::OperationCode operation,
                               job::JobResult result, job::MessageId id) {
  job::JobReport r;
  r.operation = operation;
  r.result = result;
  r.message = job::Message(id);
  return r;
}

} // namespace

// Each file is counted once, under its worst operation's outcome; hits
// and fills add up per operation, a failed operation's not at all.
TEST(JsonSummary, CountsEachFileUnderItsWorstOutcome) {
  using job::JobResult;
  using job::MessageId;
  using job::OperationCode;
  cli::JsonSummary summary(
      {OperationCode::RecodeToUtf8, OperationCode::Replace});
  struct Case {
    JobResult recode;
    MessageId recodeWhy;
    JobResult replace;
    MessageId replaceWhy;
  };
  const Case files[] = {
      // converted beats unchanged
      {JobResult::Skipped, MessageId::SameCoding, JobResult::Done,
       MessageId::Converted},
      {JobResult::Skipped, MessageId::EnglishOnly, JobResult::Skipped,
       MessageId::Identical},
      // failed beats converted
      {JobResult::Done, MessageId::Converted, JobResult::WriteFailed,
       MessageId::WriteError},
      {JobResult::Stop, MessageId::Canceled, JobResult::Stop,
       MessageId::Canceled},
  };
  for (const Case &c : files) {
    job::FileReport file;
    file.operations.push_back(
        operationReport(OperationCode::RecodeToUtf8, c.recode, c.recodeWhy));
    file.operations.back().filled = 2;
    file.operations.push_back(
        operationReport(OperationCode::Replace, c.replace, c.replaceWhy));
    file.operations.back().hits = 5;
    summary.fileEnded(file);
  }
  summary.passedOver();
  summary.runMessage(job::Message(job::MessageId::NameNotFound));
  summary.runMessage(job::Message(job::MessageId::DirectoryDone));
  summary.runMessage(job::Message(job::MessageId::DirectoryUnreadable));
  EXPECT_EQ(summary.object(1, nullptr),
            "{\"kind\":\"summary\",\"files\":{\"skipped\":1,\"unchanged\":1,"
            "\"detected\":0,\"would-convert\":0,\"converted\":1,"
            "\"canceled\":1,\"failed\":2},\"directories\":{\"done\":1,"
            "\"failed\":1},\"passes\":{\"recode\":{\"filled\":6},"
            "\"replace\":{\"hits\":5}},\"status\":1}");
  // A stopped run says what came to its end and what stayed as it was:
  // not touched once the walk had ended, not reached while it went on.
  batch::RunOutcome stopped;
  stopped.end = batch::RunEnd::Stopped;
  stopped.found = 5;
  stopped.done = 4;
  stopped.walkEnded = true;
  stopped.settleLeft();
  std::string object = summary.object(130, &stopped);
  EXPECT_NE(object.find(",\"done\":4,\"notTouched\":1,\"status\":130}"),
            std::string::npos)
      << object;
  stopped.walkEnded = false;
  stopped.settleLeft();
  object = summary.object(130, &stopped);
  EXPECT_NE(object.find(",\"done\":4,\"notReached\":1,\"status\":130}"),
            std::string::npos)
      << object;
}
