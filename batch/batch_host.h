// What one press of the window's start button needs from the window: its
// file list and filter box, its prompts, its messages and its run. (The
// command line builds its RunPlan itself and only watches the run.)
//
// Every call is made on the caller's thread and returns when the user has
// answered; a window implements the dialogs modally. Nothing here changes
// while a run is going: the run reads the file list and the filter text
// once. The run asks by kind and tells by id,
// never by text: the host gives the words (i18n/).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "batch/run_observer.h"
#include "batch/run_outcome.h"
#include "batch/run_plan.h"
#include "batch/status.h"
#include "job/dialog_answer.h"
#include "job/job_request.h"
#include "job/message.h"

namespace snpln::batch {

using job::DialogAnswer;
using job::RunParameters;

// The run's parameter prompts, in the order the run asks them.
enum class PromptKind : std::uint8_t {
  SearchText,  // the text to exclude (or, for a replacement, to replace)
  ReplaceText, // the replacement
  TabSize,     // the tab size; the answer comes in preset to "8"
};

// The three checks of the options dialog.
struct WordOptions {
  bool leftPartOfWord = false;
  bool rightPartOfWord = false;
  bool caseInsensitive = false;
};

class BatchHost {
public:
  virtual ~BatchHost() = default;

  // Whether the file-name field is empty (only its emptiness counts).
  virtual bool fileNameFieldEmpty() = 0;
  // The chosen names in order, each exactly as its source delivered it.
  virtual const std::vector<std::string> &fileList() = 0;

  // Writes the status line and shows it at once.
  virtual void setStatusLine(const Status &status) = 0;

  // The InputDialog: `answer` comes in as the preset and goes out as the
  // user's text. Ok or Cancel.
  virtual DialogAnswer prompt(PromptKind kind, std::string &answer) = 0;
  // The ExcludeOptionsDialog, all three checks clear at first; the checks
  // come out in `options`. Ok or Cancel.
  virtual DialogAnswer excludeOptions(WordOptions &options) = 0;
  // The two-line MessageDialog: `name` (a list entry or a directory; empty
  // for none) over the message. The run does not look at the answer.
  virtual DialogAnswer showMessage(MessageKind kind, const std::string &name,
                                   const job::Message &message) = 0;

  // Runs the plan the press has built (prompts answered, filter promoted)
  // and returns when the run has ended: on the host's own workers, its
  // events (job starts, entries passed over, messages, reports) told back
  // on the caller's thread.
  virtual RunOutcome runPlan(RunPlan &plan, platform::FileSystem &fs,
                             const WalkHooks &walkHooks) = 0;

  // The filter box: its edit text, and its list (most recent first), which
  // the run reorders before it starts.
  virtual std::string filterText() = 0;
  virtual std::vector<std::string> &filterList() = 0;

  // The check mark of "Sa&ve upper", read for every file.
  virtual bool saveUpperChecked() = 0;

  // Brings the window's controls up to date with the selection, the status
  // line and the filter list: before every job and after the selection is
  // reset.
  virtual void refresh() {}
  // How the texts the prompts return are given: as characters (UTF-8) or
  // byte for byte.
  virtual job::TypedText typedText() const { return job::TypedText::Bytes; }
  // Whether a file whose owner or group cannot be kept is rewritten all the
  // same (see RunParameters::allowChown).
  virtual bool allowChown() const { return false; }
  // Whether the walks also take the names that begin with a dot.
  virtual bool takeHidden() const { return false; }
  // A file of the run has started (the window counts the files on its
  // status line).
  virtual void fileStarted(const FileStart &start) { (void)start; }
  // An entry of a walked tree the walk passed over (`name` as the walk
  // names it: the directory as given, then the path below it), with why;
  // once per entry.
  virtual void passedOver(const std::string &name, PassedOver why) {
    (void)name;
    (void)why;
  }
};

} // namespace snpln::batch
