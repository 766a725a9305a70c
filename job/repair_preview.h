// The repair of a text held in memory, for a look at what a run would
// write before anything is saved (the window's preview): the same decision
// and undoing as the run's repair stage, on the bytes given, with the
// report the run would give (Done and Converted with the chain undone, or
// Skipped and the reason the file would be left as it was, or ReadFailed
// and CannotRepair at the first character that cannot be undone).
#pragma once

#include <string>
#include <string_view>

#include "job/job_report.h"

namespace snpln::job {

struct RepairPreview {
  // The repaired text (UTF-8); the bytes as given where nothing would be
  // repaired or the repair fails.
  std::string text;
  JobReport report;
  bool repaired() const { return report.succeeded(); }
};

RepairPreview previewRepair(std::string_view bytes);

} // namespace snpln::job
