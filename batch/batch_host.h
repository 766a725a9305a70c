// What a run needs from the window or the console that starts it.
//
// Every call is made on the caller's thread and returns when the user (or
// the console's script) has answered; a window implements the dialogs
// modally. Nothing here changes while a run is going: the run reads the
// file list and the filter text once.
#pragma once

#include <string>
#include <vector>

#include "job/job_request.h"

namespace snpln::batch {

// Dialog answers.
inline constexpr int kDialogOk = 1;
inline constexpr int kDialogCancel = 2;

class BatchHost {
public:
  virtual ~BatchHost() = default;

  // Whether the file-name field is empty (only its emptiness counts).
  virtual bool fileNameFieldEmpty() = 0;
  // The chosen names in order, each exactly as its source delivered it.
  virtual const std::vector<std::string> &fileList() = 0;

  // Writes the status line and shows it at once.
  virtual void setStatusLine(const std::string &text) = 0;

  // The InputDialog: `answer` comes in as the preset and goes out as the
  // user's text. Returns kDialogOk or kDialogCancel.
  virtual int prompt(const std::string &text, std::string &answer) = 0;
  // The ExcludeOptionsDialog, all three checks clear at first: the flags
  // come out as 0 or 1. Returns kDialogOk or kDialogCancel.
  virtual int excludeOptions(int &leftPartOfWord, int &rightPartOfWord,
                             int &caseInsensitive) = 0;
  // The two-line MessageDialog; the run does not look at the answer.
  virtual int showMessage(const std::string &line1,
                          const std::string &line2) = 0;

  // Runs one FileJob to its end over a complete request (displayName and
  // saveUpper set) behind the progress window or on the console.
  virtual job::JobResult runJob(const job::JobRequest &request) = 0;

  // The filter box: its edit text, and its list (most recent first), which
  // the run reorders before its passes.
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
};

} // namespace snpln::batch
