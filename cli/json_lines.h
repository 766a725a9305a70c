// snpln-cli --json: one JSON object per line for each file and operation
// (one for a file that failed), each entry of a tree passed over, each
// name that failed and each directory done or failed, then the run's
// summary (cli/json_summary.h). Every object begins with its `kind`:
// "file", "skipped", "directory", "summary".
// Fields that do not apply are absent; the schema is in the README.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "batch/run_observer.h"
#include "engine/code_page.h"
#include "job/job_report.h"
#include "job/message.h"

namespace snpln::cli {

// The standard name of a code page: "IBM866", "windows-1251", "KOI8-R",
// "ISO-8859-5", "UTF-8"; empty for Auto.
const char *standardName(engine::CodePage page);

// The symbolic name of an errno value ("EACCES"); "E" and the number for
// one this system has no name for.
std::string errnoName(int error);

// A JSON string with its quotes; `text` must be valid UTF-8.
std::string jsonString(const std::string &text);
// The name as "path" when it is valid UTF-8, else its bytes in base64 as
// "path_bytes": the field with its key, no comma.
std::string jsonPathField(const std::string &name);
std::string base64(const std::string &bytes);

// The name of an operation in the objects' "pass": "recode", "upper", ...
const char *passName(job::OperationCode operation);

// A report's "outcome": "converted", "would-convert", "detected",
// "unchanged", "failed" or "canceled".
const char *outcomeName(const job::JobReport &report);

// What the options of a real run would add to a dry run's change.
struct DryRunOptions {
  bool backup = false;   // -b: the original kept as a backup
  bool keepDate = false; // -k: the times kept
};

// The object of a job's end (no newline).
std::string jsonOfReport(const job::JobReport &report,
                         const DryRunOptions &would = {});
// The object of an entry the walk passed over, filed under `pass`.
std::string jsonOfPassedOver(const std::string &name, batch::PassedOver why,
                             job::OperationCode pass);
// The object of a run's message about a name (not found) or a directory
// (done, unreadable, a walk out of memory); nothing for the other messages.
std::optional<std::string>
jsonOfMessage(const std::string &name, const job::Message &message,
              std::optional<job::OperationCode> pass = std::nullopt);

} // namespace snpln::cli
