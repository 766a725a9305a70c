// The file list's sources: the command line at start-up, BROWSE, drops and
// CLEAR, and what each change shows on the main window.
//
// FileListModel keeps the list beside the three things the window mirrors
// after every change: the status line, the file-name field's text (a display
// only; the run tests just its emptiness) and whether the preview button is
// enabled (exactly one name chosen). Names are kept exactly as their source
// delivered them, whole, never tested, normalised or made unique.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "batch/status.h"

namespace snpln::batch {

// The words of a command line's argument text: bytes 0x20 and below
// separate; a word that begins with '"' runs to the next '"' (consumed) or
// the end, and the next word may follow it at once; '"' inside a plain word
// is an ordinary byte; empty words ("") are dropped; there are no escapes.
std::vector<std::string> splitCommandLine(std::string_view text);

// OneFileChosen with `name` for one entry, else FilesChosen with the count.
Status countStatus(const std::vector<std::string> &list,
                   const std::string &name);

class FileListModel {
public:
  const std::vector<std::string> &fileList() const { return list_; }
  const std::string &fileNameField() const { return field_; }
  const Status &statusLine() const { return status_; }
  bool previewEnabled() const { return list_.size() == 1; }

  // Window start-up: the list from the argument text (the command line
  // without the program's name); the field shows that text unchanged.
  void startUp(std::string_view argumentText);

  // BROWSE pressed: the status shows "Browsing file ..." until the dialog
  // returns with one of the next two.
  void browseStarted();
  // The dialog was cancelled or failed: nothing but the status changes.
  void browseCanceled();
  // The dialog returned these full paths: they replace the list; one chosen
  // file is named in the status by its name without directory.
  void browseConfirmed(const std::vector<std::string> &paths);

  // Names dropped on the window are appended.
  void drop(const std::vector<std::string> &names);

  // CLEAR.
  void clear();

private:
  std::vector<std::string> list_;
  std::string field_;
  Status status_;
};

} // namespace snpln::batch
