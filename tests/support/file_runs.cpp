#include "tests/support/file_runs.h"

#include "i18n/catalogue.h"
#include "i18n/texts.h"

namespace snpln::test {

job::FileReport runRequest(const FileRequest &request, std::size_t sliceSize,
                           platform::FileSystem &fs,
                           const job::JobControl &control) {
  job::FilePlan plan;
  plan.operations = request.operations;
  plan.parameters = request;
  plan.saveUpper = request.saveUpper;
  plan.sliceSize = sliceSize;
  job::FileTask task;
  task.location = request.location;
  task.page = request.filePage;
  return job::runFile(task, plan, control, fs);
}

std::pair<std::string, std::string> shownLines(const job::JobReport &report) {
  const i18n::Lines lines = i18n::reportLines(report);
  return {i18n::english(lines.line1), i18n::english(lines.line2)};
}

std::string reportLineOf(const job::JobReport &report) {
  return i18n::english(i18n::reportLine(report));
}

} // namespace snpln::test
