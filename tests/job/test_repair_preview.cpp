// The repair of a text in memory (what the window's preview shows) says
// and writes what the run's repair does with the same bytes in a file: the
// same result and message, the same chain and lines, and the text the run
// writes (or the bytes as they were, where the run leaves the file).
#include <gtest/gtest.h>

#include <string>

#include "engine/repair_chain.h"
#include "job/repair_preview.h"
#include "tests/support/file_runs.h"
#include "tests/support/garbled_samples.h"
#include "tests/support/russian_samples.h"
#include "tests/support/temp_dir.h"

namespace snpln::test {
namespace {

using engine::RepairPage;
using job::JobResult;
using job::MessageId;

const std::string kLine =
    "Привет, мир! Это проверка починки испорченного текста.\n";

std::string garbledBy(std::initializer_list<engine::RepairLayer> layers,
                      const std::string &text = kLine + kLine + kLine) {
  return garble(text, chainOf(layers)).value();
}

// Every other line read as Windows-1251.
std::string halfGarbled() {
  std::string text;
  for (int i = 0; i < 8; ++i)
    text +=
        i % 2 ? kLine : garbledBy({{RepairPage::Utf8, RepairPage::Win}}, kLine);
  return text;
}

// A chain found on the sample that cannot undo a later character: the run
// fails there and keeps the file.
std::string failsPastTheSample() {
  const std::string garbled =
      garbledBy({{RepairPage::Utf8, RepairPage::Win}}, kLine);
  std::string text;
  for (int i = 0; i < 200; ++i)
    text += garbled;
  return text + "Р’С‚РѕСЂР°СЏ 中 СЃС‚СЂРѕРєР°\n";
}

TEST(RepairPreview, SaysAndWritesWhatTheRunDoes) {
  const struct {
    const char *what;
    std::string bytes;
    JobResult result;
    MessageId message;
    bool lines;
  } cases[] = {
      {"one layer", garbledBy({{RepairPage::Utf8, RepairPage::Win}}),
       JobResult::Done, MessageId::Converted, false},
      {"two layers",
       garbledBy({{RepairPage::Utf8, RepairPage::Win},
                  {RepairPage::Utf8, RepairPage::Win1252}}),
       JobResult::Done, MessageId::Converted, false},
      {"KOI8-R read as Windows-1251",
       garbledBy({{RepairPage::Koi, RepairPage::Win}}), JobResult::Done,
       MessageId::Converted, false},
      {"line by line", halfGarbled(), JobResult::Done, MessageId::Converted,
       true},
      {"clean UTF-8", kLine + kLine, JobResult::Skipped, MessageId::NotGarbled,
       false},
      {"Windows-1251", encodeInPage(kLine, engine::CodePage::Win),
       JobResult::Skipped, MessageId::NotUtf8Text, false},
      {"no Cyrillic", "plain text\n", JobResult::Skipped,
       MessageId::EnglishOnly, false},
      {"a character past the sample", failsPastTheSample(),
       JobResult::ReadFailed, MessageId::CannotRepair, false},
  };
  for (const auto &c : cases) {
    const job::RepairPreview preview = job::previewRepair(c.bytes);
    EXPECT_EQ(preview.report.result, c.result) << c.what;
    EXPECT_EQ(preview.report.message.id, c.message) << c.what;
    EXPECT_EQ(preview.report.linesRepaired.has_value(), c.lines) << c.what;
    EXPECT_EQ(preview.repaired(), c.result == JobResult::Done) << c.what;

    TempDir dir;
    dir.write("a.txt", c.bytes);
    FileRequest request;
    request.only(job::OperationCode::Repair);
    request.targetCodePage = engine::CodePage::Auto;
    request.location = platform::FileLocation(dir.file("a.txt"));
    const job::FileReport file = runRequest(request);
    ASSERT_EQ(file.operations.size(), 1u) << c.what;
    const job::JobReport &run = file.operations.front();
    EXPECT_EQ(preview.report.result, run.result) << c.what;
    EXPECT_EQ(preview.report.message, run.message) << c.what;
    EXPECT_EQ(preview.report.repairChain, run.repairChain) << c.what;
    EXPECT_EQ(preview.report.linesRepaired, run.linesRepaired) << c.what;
    EXPECT_EQ(preview.report.offset, run.offset) << c.what;
    EXPECT_EQ(preview.report.line, run.line) << c.what;
    EXPECT_EQ(preview.report.column, run.column) << c.what;
    EXPECT_EQ(preview.text, dir.read("a.txt")) << c.what;
  }
}

} // namespace
} // namespace snpln::test
