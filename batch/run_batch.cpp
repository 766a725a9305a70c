#include "batch/run_batch.h"

#include <string>
#include <vector>

#include "batch/batch_texts.h"
#include "batch/directory_walk.h"
#include "batch/filter_history.h"
#include "batch/mask_list.h"
#include "batch/run_file_job.h"
#include "batch/tab_size.h"

namespace snpln::batch {

namespace {

// The last result before the first prompt: neither OK nor Cancel.
constexpr int kNoResult = 0;
// What a missing entry leaves behind; equal to a Stop result.
constexpr int kStopMark = 4;

void endRun(SelectionState &selection, BatchHost &host) {
  selection.resetSelection();
  host.setStatusLine(selection.statusLine());
  host.refresh();
}

// Anything but OK from a dialog counts as Cancel: a dialog that could not be
// shown must not let the run go on with parameters nobody gave.
int asDialogResult(int answer) {
  return answer == kDialogOk ? kDialogOk : kDialogCancel;
}

// Asks for the parameters. False when the run ends here (the selection is
// then already reset).
bool askParameters(SelectionState &selection, BatchHost &host,
                   RunParameters &parameters) {
  const bool exclude = selection.isDown(kExcludeButton);
  const bool replace = selection.isDown(kReplaceButton);
  const bool optimize = selection.isDown(kOptimizeButton);
  int last = kNoResult;

  parameters.typedText = host.typedText();
  if (exclude || replace) {
    std::string answer;
    last = asDialogResult(host.prompt(texts::kPromptExclude, answer));
    parameters.searchText = answer;
    if (answer.empty() && last == kDialogOk) {
      host.showMessage(texts::kEmptyExcludeLine1, texts::kEmptyExcludeLine2);
      endRun(selection, host);
      return false;
    }
  }
  if (replace && last != kDialogCancel) {
    std::string answer;
    last = asDialogResult(host.prompt(texts::kPromptReplace, answer));
    parameters.replaceText = answer;
  }
  if ((exclude || replace) && last == kDialogOk) {
    int left = 0, right = 0, caseInsensitive = 0;
    last = asDialogResult(host.excludeOptions(left, right, caseInsensitive));
    parameters.leftPartOfWord = left ? 1 : 0;
    parameters.rightPartOfWord = right ? 1 : 0;
    parameters.caseInsensitive = caseInsensitive ? 1 : 0;
  }
  if (optimize && last != kDialogCancel) {
    std::string answer = texts::kTabSizePreset;
    last = asDialogResult(host.prompt(texts::kPromptTabSize, answer));
    parameters.tabSize = parseTabSize(answer);
  }
  if (last == kDialogCancel) {
    host.showMessage(texts::kOperationCanceled, "");
    endRun(selection, host);
    return false;
  }
  return true;
}

// One pass of `operation` over the list. Returns the last result.
int runPass(job::OperationCode operation, bool finalPass,
            const std::vector<std::string> &fileList,
            const std::vector<std::string> &masks,
            const RunParameters &parameters, BatchHost &host,
            platform::FileSystem &fs, const WalkHooks &walkHooks) {
  int last = kNoResult;
  // One visit per file in the pass, whatever names, links or masks lead to
  // it.
  PassState pass;
  for (std::size_t i = 0; i < fileList.size(); ++i) {
    const std::string &entry = fileList[i];
    auto attributes = fs.lookup(entry);
    if (!attributes) {
      host.showMessage(entry, texts::kNotFound);
      last = kStopMark;
      continue;
    }
    if (platform::isExactlyDirectory(*attributes)) {
      for (const std::string &mask : masks) {
        last = walkDirectoryTree(entry, mask, operation, 0, parameters, host,
                                 fs, walkHooks, &pass);
        if (last == kWalkStop)
          return last;
      }
      if (finalPass)
        host.showMessage(entry, texts::kDirectoryDone);
      continue;
    }
    const int lastJob = finalPass && i + 1 == fileList.size() ? 1 : 0;
    const auto result =
        runFileJobOnce(host, fs, pass, operation,
                       FileToVisit{entry, nullptr, {}}, lastJob, parameters);
    if (!result)
      continue; // visited already in this pass
    last = static_cast<int>(*result);
    if (*result == job::JobResult::Stop)
      return last;
  }
  return last;
}

} // namespace

void runBatch(SelectionState &selection, BatchHost &host,
              platform::FileSystem &fs, const WalkHooks &walkHooks) {
  if (host.fileNameFieldEmpty()) {
    host.setStatusLine(texts::kNoFileName);
    return;
  }
  if (!selection.anySelected()) {
    host.setStatusLine(texts::kNoOperation);
    return;
  }

  RunParameters parameters;
  parameters.sourceCodePage = selection.sourceCodePage();
  parameters.targetCodePage = selection.targetCodePage();
  parameters.detectOnly = selection.detectOnly() ? 1 : 0;
  const job::OperationCode finalOperation = selection.finalOperation();

  if (!askParameters(selection, host, parameters))
    return;

  const std::string filterText = host.filterText();
  promoteFilter(host.filterList(), filterText);
  const std::vector<std::string> masks = splitMasks(filterText);
  // The list does not change during a run; a copy keeps the passes safe
  // from a host that hands out a reference to a list it rebuilds.
  const std::vector<std::string> fileList = host.fileList();

  for (job::OperationCode operation : selection.operationPasses()) {
    int last = runPass(operation, operation == finalOperation, fileList, masks,
                       parameters, host, fs, walkHooks);
    if (last == kStopMark)
      break;
  }
  endRun(selection, host);
}

} // namespace snpln::batch
