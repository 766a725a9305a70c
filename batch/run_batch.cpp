#include "batch/run_batch.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <optional>
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

void endRun(SelectionState &selection, BatchHost &host) {
  selection.resetSelection();
  host.setStatusLine(selection.statusLine());
  host.refresh();
}

// Anything but OK from a dialog counts as Cancel: a dialog that could not be
// shown must not let the run go on with parameters nobody gave.
DialogAnswer okOrCancel(DialogAnswer answer) {
  return answer == DialogAnswer::Ok ? DialogAnswer::Ok : DialogAnswer::Cancel;
}

// Asks for the parameters. False when the run ends here (the selection is
// then already reset).
bool askParameters(SelectionState &selection, BatchHost &host,
                   RunParameters &parameters) {
  const bool exclude = selection.isDown(ModeButton::Exclude);
  const bool replace = selection.isDown(ModeButton::Replace);
  const bool optimize = selection.isDown(ModeButton::Optimize);
  // The latest answer; none before the first prompt.
  std::optional<DialogAnswer> last;
  const auto canceled = [&] { return last == DialogAnswer::Cancel; };

  parameters.typedText = host.typedText();
  if (exclude || replace) {
    std::string answer;
    last = okOrCancel(host.prompt(PromptKind::SearchText, answer));
    parameters.searchText = answer;
    if (answer.empty() && last == DialogAnswer::Ok) {
      host.showMessage(MessageKind::Info, "",
                       job::Message{job::MessageId::EmptyExclude});
      endRun(selection, host);
      return false;
    }
  }
  if (replace && !canceled()) {
    std::string answer;
    last = okOrCancel(host.prompt(PromptKind::ReplaceText, answer));
    parameters.replaceText = answer;
  }
  if ((exclude || replace) && last == DialogAnswer::Ok) {
    WordOptions options;
    last = okOrCancel(host.excludeOptions(options));
    parameters.leftPartOfWord = options.leftPartOfWord;
    parameters.rightPartOfWord = options.rightPartOfWord;
    parameters.caseInsensitive = options.caseInsensitive;
  }
  if (optimize && !canceled()) {
    std::string answer = texts::kTabSizePreset;
    last = okOrCancel(host.prompt(PromptKind::TabSize, answer));
    parameters.tabSize = parseTabSize(answer);
  }
  if (canceled()) {
    host.showMessage(MessageKind::Info, "",
                     job::Message{job::MessageId::RunCanceled});
    endRun(selection, host);
    return false;
  }
  return true;
}

// The entry whose job speaks for the run's final pass (its messages are
// shown): the last entry whose job runs. A plain file that an earlier plain
// entry already names (by another name, a link, a hard link) is passed over
// by the pass, so it cannot be that entry.
std::size_t lastJobEntryOf(const std::vector<std::string> &fileList,
                           platform::FileSystem &fs) {
  std::vector<std::optional<platform::FileId>> ids;
  ids.reserve(fileList.size());
  for (const std::string &entry : fileList) {
    const auto attributes = fs.lookup(entry);
    std::optional<platform::FileId> id;
    if (attributes && !platform::isDirectoryWord(*attributes))
      if (const auto status = fs.status(platform::FileLocation(entry)))
        id = status->id;
    ids.push_back(id);
  }
  const auto namedBefore = [&](std::size_t i) {
    const auto end = ids.begin() + static_cast<std::ptrdiff_t>(i);
    return ids[i] && std::find(ids.begin(), end, ids[i]) != end;
  };
  std::size_t last = fileList.empty() ? 0 : fileList.size() - 1;
  while (last > 0 && namedBefore(last))
    --last;
  return last;
}

// One pass of `operation` over the list. True when the run goes on: the
// pass was not stopped by a job, and its last entry was not a missing one
// (a missing entry leaves a stop mark that the next entry's outcome
// replaces).
bool runPass(job::OperationCode operation, bool finalPass,
             const std::vector<std::string> &fileList, std::size_t lastJobEntry,
             const std::vector<std::string> &masks,
             const RunParameters &parameters, BatchHost &host,
             RunOutcome &outcome, FilePages &pages, RunBackups &backups,
             platform::FileSystem &fs, const WalkHooks &walkHooks) {
  bool stopMark = false;
  // One visit per file in the pass, whatever names, links or masks lead to
  // it.
  PassState pass;
  pass.outcome = &outcome;
  pass.pages = &pages;
  pass.backups = &backups;
  for (std::size_t i = 0; i < fileList.size(); ++i) {
    const std::string &entry = fileList[i];
    errno = 0;
    auto attributes = fs.lookup(entry);
    if (!attributes) {
      job::Message notFound{job::MessageId::NameNotFound};
      notFound.systemError = errno;
      host.showMessage(MessageKind::Failure, entry, notFound);
      ++outcome.failed;
      stopMark = true;
      continue;
    }
    stopMark = false;
    // A directory, whatever its mode or attributes; a name the user gave
    // that is a link to one is followed.
    if (platform::isDirectoryWord(*attributes)) {
      bool whole = true;
      for (const std::string &mask : masks) {
        const int unreadableBefore = pass.unreadableDirectories;
        const WalkOutcome walk =
            walkDirectoryTree(entry, mask, operation, false, parameters, host,
                              fs, walkHooks, &pass);
        outcome.count(walk);
        outcome.failed += pass.unreadableDirectories - unreadableBefore;
        if (pass.unreadableDirectories != unreadableBefore)
          whole = false;
        if (walk == WalkOutcome::Stopped)
          return false;
        if (walk == WalkOutcome::OutOfMemory) {
          host.showMessage(MessageKind::Failure, entry,
                           job::Message{job::MessageId::WalkOutOfMemory});
          whole = false;
        }
      }
      if (finalPass && whole)
        host.showMessage(MessageKind::Info, entry,
                         job::Message{job::MessageId::DirectoryDone});
      continue;
    }
    const bool lastJob = finalPass && i == lastJobEntry;
    const auto result =
        runFileJobOnce(host, fs, pass, operation,
                       FileToVisit{entry, nullptr, {}}, lastJob, parameters);
    if (result && *result == job::JobResult::Stop)
      return false;
  }
  return !stopMark;
}

} // namespace

RunOutcome runBatch(SelectionState &selection, BatchHost &host,
                    platform::FileSystem &fs, const WalkHooks &walkHooks) {
  RunOutcome outcome;
  if (host.fileNameFieldEmpty()) {
    host.setStatusLine(Status{StatusId::NoFileName});
    return outcome;
  }
  if (!selection.anySelected()) {
    host.setStatusLine(Status{StatusId::NoOperation});
    return outcome;
  }

  RunParameters parameters;
  parameters.sourceCodePage = selection.sourceCodePage();
  parameters.targetCodePage = selection.targetCodePage();
  parameters.detectOnly = selection.detectOnly();
  parameters.dryRun = host.dryRun();
  parameters.allowChown = host.allowChown();
  parameters.takeHidden = host.takeHidden();
  parameters.keepDate = host.keepDate();
  parameters.substitute = host.substitute();
  parameters.lineEnd = host.lineEnd();
  parameters.bom = host.bom();
  parameters.backupSuffix = host.backupSuffix();
  const job::OperationCode finalOperation = selection.finalOperation();

  if (!askParameters(selection, host, parameters)) {
    outcome.end = RunEnd::Canceled;
    return outcome;
  }

  const std::string filterText = host.filterText();
  promoteFilter(host.filterList(), filterText);
  const std::vector<std::string> masks = splitMasks(filterText);
  // The list does not change during a run; a copy keeps the passes safe
  // from a host that hands out a reference to a list it rebuilds.
  const std::vector<std::string> fileList = host.fileList();
  const std::size_t lastJobEntry = lastJobEntryOf(fileList, fs);

  outcome.end = RunEnd::Completed;
  FilePages pages;
  RunBackups backups;
  for (job::OperationCode operation : selection.operationPasses()) {
    if (!runPass(operation, operation == finalOperation, fileList, lastJobEntry,
                 masks, parameters, host, outcome, pages, backups, fs,
                 walkHooks)) {
      outcome.end = RunEnd::Stopped;
      break;
    }
  }
  endRun(selection, host);
  return outcome;
}

} // namespace snpln::batch
