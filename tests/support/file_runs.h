// One file's run for the tests of job::runFile: the plan's operations and
// parameters, the file and the page the run knows, in one request; and the
// words of what came of it, in English.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "job/file_run.h"
#include "job/job_report.h"
#include "platform/file_system.h"

namespace snpln::test {

struct FileRequest : job::RunParameters {
  FileRequest() { targetCodePage = job::CodePage::Win; }
  // The operations, in the order they apply (one for most tests).
  std::vector<job::OperationCode> operations{job::OperationCode::UpperCase};
  platform::FileLocation location;
  // The page the run knows the file in.
  std::optional<job::CodePage> filePage;
  bool saveUpper = false;

  void only(job::OperationCode operation) { operations = {operation}; }
};

job::FileReport
runRequest(const FileRequest &request, std::size_t sliceSize = 8192,
           platform::FileSystem &fs = platform::realFileSystem(),
           const job::JobControl &control = {});

// A report's two lines as a window shows them, and its one line after the
// path as a console prints it, in English.
std::pair<std::string, std::string> shownLines(const job::JobReport &report);
std::string reportLineOf(const job::JobReport &report);

} // namespace snpln::test
