// One press of the window's start button: the checks, the prompts, the
// plan, and the run the window goes through (BatchHost::runPlan).
#include <optional>
#include <string>
#include <vector>

#include "batch/batch_texts.h"
#include "batch/filter_history.h"
#include "batch/mask_list.h"
#include "batch/run_batch.h"
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

  RunPlan plan;
  RunParameters &parameters = plan.parameters;
  parameters.sourceCodePage = selection.sourceCodePage();
  parameters.targetCodePage = selection.targetCodePage();
  parameters.detectOnly = selection.detectOnly();
  parameters.allowChown = host.allowChown();
  parameters.takeHidden = host.takeHidden();
  plan.operations = selection.operationPasses();

  if (!askParameters(selection, host, parameters)) {
    outcome.end = RunEnd::Canceled;
    return outcome;
  }

  const std::string filterText = host.filterText();
  promoteFilter(host.filterList(), filterText);
  plan.masks = splitMasks(filterText);
  // The list does not change during a run; a copy keeps the run safe
  // from a host that hands out a reference to a list it rebuilds.
  plan.names = host.fileList();
  plan.saveUpper = host.saveUpperChecked();

  outcome = host.runPlan(plan, fs, walkHooks);
  endRun(selection, host);
  return outcome;
}

} // namespace snpln::batch
