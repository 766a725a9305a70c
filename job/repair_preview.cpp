#include "job/repair_preview.h"

#include <cstdint>

#include "engine/repair_slice.h"
#include "engine/text_position.h"

namespace snpln::job {

namespace {

JobReport leftAlone(MessageId id) {
  JobReport report;
  report.operation = OperationCode::Repair;
  report.result = JobResult::Skipped;
  report.message = Message(id);
  return report;
}

} // namespace

RepairPreview previewRepair(std::string_view bytes) {
  const auto *data = reinterpret_cast<const std::uint8_t *>(bytes.data());
  engine::RepairOutcome outcome = engine::repairText(data, bytes.size());
  RepairPreview preview;
  const engine::RepairPlan &plan = outcome.plan;
  switch (plan.reason) {
  case engine::RepairReason::Garbled:
    break;
  case engine::RepairReason::NoText:
    preview.report = leftAlone(MessageId::EnglishOnly);
    break;
  case engine::RepairReason::NotUtf8:
    preview.report = leftAlone(MessageId::NotUtf8Text);
    break;
  case engine::RepairReason::NotGarbled:
    preview.report = leftAlone(MessageId::NotGarbled);
    break;
  }
  if (plan.reason != engine::RepairReason::Garbled ||
      plan.mode == engine::RepairMode::None || plan.chainCount == 0) {
    if (plan.reason == engine::RepairReason::Garbled)
      preview.report = leftAlone(MessageId::NotGarbled);
    preview.text = std::string(bytes);
    return preview;
  }
  JobReport &report = preview.report;
  report.operation = OperationCode::Repair;
  report.from = report.to = CodePage::Utf8;
  if (outcome.fault != engine::UndoFault::None) {
    // As the run: the file would be left as it was, and why.
    report.result = JobResult::ReadFailed;
    report.message = Message(MessageId::CannotRepair);
    report.message.number = outcome.faultOffset;
    report.message.place = engine::textPositionAt(
        bytes, static_cast<std::size_t>(outcome.faultOffset),
        engine::TextEncoding::Utf8);
    report.offset = outcome.faultOffset;
    report.line = report.message.place->line;
    report.column = report.message.place->column;
    preview.text = std::string(bytes);
    return preview;
  }
  report.result = JobResult::Done;
  report.message = Message(MessageId::Converted);
  report.repairChain = plan.chain();
  if (plan.mode == engine::RepairMode::Lines)
    report.linesRepaired = outcome.linesRepaired;
  preview.text = std::move(outcome.text);
  return preview;
}

} // namespace snpln::job
