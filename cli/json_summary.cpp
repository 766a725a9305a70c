#include "cli/json_summary.h"

#include <algorithm>
#include <iterator>

#include "cli/json_lines.h"
#include "job/stages.h"

namespace snpln::cli {

namespace {

// A file's outcomes from the mildest to the worst.
constexpr const char *kOutcomes[] = {"unchanged", "detected", "would-convert",
                                     "converted", "canceled", "failed"};

int rankOf(const std::string &outcome) {
  const auto *at =
      std::find(std::begin(kOutcomes), std::end(kOutcomes), outcome);
  return static_cast<int>(at - std::begin(kOutcomes));
}

bool countsHits(job::OperationCode operation) {
  return operation == job::OperationCode::Exclude ||
         operation == job::OperationCode::Replace ||
         operation == job::OperationCode::DeleteEmpty;
}

} // namespace

JsonSummary::JsonSummary(std::vector<job::OperationCode> operations)
    : operations_(std::move(operations)) {}

void JsonSummary::fileEnded(const job::FileReport &report) {
  std::string worst = kOutcomes[0];
  for (const job::JobReport &operation : report.operations) {
    const std::string outcome = outcomeName(operation);
    if (rankOf(outcome) > rankOf(worst))
      worst = outcome;
    if (outcome == "failed" || outcome == "canceled")
      continue;
    PassCount &count = passes_[operation.operation];
    if (operation.hits && operation.succeeded())
      count.hits += *operation.hits;
    count.filled += operation.filled;
  }
  ++files_[worst];
}

void JsonSummary::runMessage(const job::Message &message) {
  switch (message.id) {
  case job::MessageId::DirectoryDone:
    ++directoriesDone_;
    break;
  case job::MessageId::DirectoryUnreadable:
  case job::MessageId::WalkOutOfMemory:
    ++directoriesFailed_;
    break;
  case job::MessageId::NameNotFound:
  // --output's file, begun before the run and made once it is over.
  case job::MessageId::NoTempFile:
  case job::MessageId::OutputNotMade:
  case job::MessageId::OutputNotRegular:
  case job::MessageId::WriteError:
  case job::MessageId::OutputChanged:
  case job::MessageId::OwnerNotKept:
  case job::MessageId::AttributesNotKept:
    ++files_["failed"];
    break;
  default:
    break;
  }
}

std::string JsonSummary::object(int status,
                                const batch::RunOutcome *outcome) const {
  std::string out = "{\"kind\":\"summary\",\"files\":{";
  const auto count = [&](const char *name, int value, bool first) {
    if (!first)
      out += ',';
    out += jsonString(name) + ':' + std::to_string(value);
  };
  count("skipped", skipped_, true);
  for (const char *name : kOutcomes) {
    const auto at = files_.find(name);
    count(name, at == files_.end() ? 0 : at->second, false);
  }
  out += "},\"directories\":{";
  count("done", directoriesDone_, true);
  count("failed", directoriesFailed_, false);
  out += "},\"passes\":{";
  bool first = true;
  for (job::OperationCode operation : operations_) {
    const auto at = passes_.find(operation);
    const PassCount pass = at == passes_.end() ? PassCount{} : at->second;
    if (!first)
      out += ',';
    first = false;
    out += jsonString(passName(operation)) + ":{";
    std::string fields;
    if (countsHits(operation))
      fields += "\"hits\":" + std::to_string(pass.hits);
    if (job::isRecoding(operation))
      fields += (fields.empty() ? "" : ",") + std::string("\"filled\":") +
                std::to_string(pass.filled);
    out += fields + '}';
  }
  out += '}';
  // A stopped run: what came to its end and what stayed as it was.
  if (outcome && outcome->end == batch::RunEnd::Stopped) {
    out += ",\"done\":" + std::to_string(outcome->done);
    if (outcome->walkEnded)
      out += ",\"notTouched\":" + std::to_string(outcome->notTouched);
    else
      out += ",\"notReached\":" + std::to_string(outcome->notReached);
  }
  out += ",\"status\":" + std::to_string(status);
  return out + '}';
}

} // namespace snpln::cli
