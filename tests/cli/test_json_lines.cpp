// The pieces of snpln-cli --json: strings, base64 names, errno names, and
// the fields of a report, present only where they apply.
#include <gtest/gtest.h>

#include <cerrno>

#include "cli/json_lines.h"

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
  EXPECT_EQ(cli::jsonOfReport(r), "{\"path\":\"a.txt\",\"pass\":\"replace\","
                                  "\"outcome\":\"converted\",\"hits\":3}");
  r.dryRun = true;
  EXPECT_EQ(cli::jsonOfReport(r), "{\"path\":\"a.txt\",\"pass\":\"replace\","
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
            "{\"path\":\"b.txt\",\"pass\":\"recode\",\"outcome\":\"failed\","
            "\"from\":\"windows-1251\",\"to\":\"KOI8-R\",\"detected\":true,"
            "\"error\":\"no-temporary-file\",\"errno\":\"EACCES\"}");
  job::JobReport c;
  c.path = "c.txt";
  c.operation = job::OperationCode::UpperCase;
  c.result = job::JobResult::Stop;
  c.message = job::Message(job::MessageId::Canceled);
  EXPECT_EQ(cli::jsonOfReport(c),
            "{\"path\":\"c.txt\",\"pass\":\"upper\",\"outcome\":\"canceled\","
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
  EXPECT_EQ(cli::jsonOfReport(r),
            "{\"path\":\"a.txt\",\"pass\":\"upper\",\"outcome\":"
            "\"converted\",\"backup\":\"a.txt~\",\"output_bytes\":\"//79\"}");
  r.backup.reset();
  r.result = job::JobResult::WriteFailed;
  r.message = job::Message(job::MessageId::BackupNotKept);
  EXPECT_EQ(cli::jsonOfReport(r),
            "{\"path\":\"a.txt\",\"pass\":\"upper\",\"outcome\":"
            "\"failed\",\"error\":\"backup-not-kept\"}");
  EXPECT_EQ(cli::jsonOfMessage("out.txt",
                               job::Message(job::MessageId::OutputChanged)),
            "{\"path\":\"out.txt\",\"outcome\":\"failed\","
            "\"error\":\"output-changed\"}");
}

TEST(JsonLines, RunMessagesThatAreNoFailurePrintNothing) {
  job::Message unreadable(job::MessageId::DirectoryUnreadable);
  unreadable.systemError = EACCES;
  EXPECT_EQ(cli::jsonOfMessage("d", unreadable, job::OperationCode::Replace),
            "{\"path\":\"d\",\"pass\":\"replace\",\"outcome\":\"failed\","
            "\"error\":\"unreadable-directory\",\"errno\":\"EACCES\"}");
  EXPECT_FALSE(cli::jsonOfMessage("d",
                                  job::Message(job::MessageId::DirectoryDone),
                                  job::OperationCode::UpperCase));
  EXPECT_EQ(cli::jsonOfPassedOver(".git", batch::PassedOver::Hidden,
                                  job::OperationCode::RecodeToWin),
            "{\"path\":\".git\",\"pass\":\"recode\",\"outcome\":\"skipped\","
            "\"reason\":\"hidden\"}");
}
