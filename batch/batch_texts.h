// Every text the batch control shows or stores: the status sentences of the
// entry checks and the file list, the prompts, the messages of the run, the
// file dialog's strings and the names of the filter history's values.
#pragma once

#include "batch/batch_host.h"
#include "job/messages.h"

namespace snpln::batch::texts {

// Entry checks of a run.
inline constexpr const char *kNoFileName =
    "At the first choose filename , then click button [DO it !] ;)";
inline constexpr const char *kNoOperation =
    "So,what I must to do ? Choose any file manipulation ;)";

// Parameter prompts.
inline constexpr const char *kPromptExclude = "Enter text for exclude";
inline constexpr const char *kPromptReplace = "Enter text for replace";
inline constexpr const char *kPromptTabSize = "Enter tab size (default - 8)";
inline constexpr const char *kTabSizePreset = "8";

// The text of a prompt, as the window shows it.
constexpr const char *promptText(PromptKind kind) {
  switch (kind) {
  case PromptKind::SearchText:
    return kPromptExclude;
  case PromptKind::ReplaceText:
    return kPromptReplace;
  case PromptKind::TabSize:
    return kPromptTabSize;
  }
  return "";
}

// Messages of a run.
inline constexpr const char *kEmptyExcludeLine1 =
    "Are you want to exclude empty string from file 8-) ?";
inline constexpr const char *kEmptyExcludeLine2 = "I'm surprised :)";
// The same words as a cancelled job's.
inline constexpr const char *kOperationCanceled = job::messages::kCanceled;
inline constexpr const char *kNotFound = "File or directory not found";
inline constexpr const char *kDirectoryDone =
    "Processing this directory and its subdirectories is completed";
// Under the name of a directory that could not be listed: its files and
// subdirectories are left alone and the run counts as failed.
inline constexpr const char *kDirectoryUnreadable = "Error reading directory";

// A verbose line for an entry of a walked tree that is passed over.
inline constexpr const char *kPassedOverLink = "Symbolic link, passed over";
inline constexpr const char *kPassedOverSpecial =
    "Not a regular file, passed over";
inline constexpr const char *kPassedOverHidden =
    "Name begins with a dot, passed over";

constexpr const char *passedOverText(PassedOver why) {
  switch (why) {
  case PassedOver::Link:
    return kPassedOverLink;
  case PassedOver::Special:
    return kPassedOverSpecial;
  case PassedOver::Hidden:
    return kPassedOverHidden;
  }
  return "";
}

// The selection after a reset.
inline constexpr const char *kNoActionSelected = "No action selected";

// A walk that could not go through its whole tree.
inline constexpr const char *kWalkOutOfMemory =
    "Not enough memory to walk this directory";

// The mask of a run whose filter text holds no mask.
inline constexpr const char *kDefaultMask = "*.*";

// File list status.
inline constexpr const char *kOneFilePrefix = "File '";
inline constexpr const char *kOneFileSuffix = "' is choosed";
inline constexpr const char *kFilesSuffix = " files are choosed";
inline constexpr const char *kListCleaned =
    "File list is cleaned. No file is choosed.";
inline constexpr const char *kBrowsing = "Browsing file ...";
inline constexpr const char *kBrowseCanceled = "File(s) choose canceled";

// The file-open dialog of BROWSE.
inline constexpr const char *kBrowseTitle = "Choose file ...";
inline constexpr const char *kBrowseFilter =
    "All Files (*.*)|*.*||Text files (*.txt)|*.xlc|";

// The filter history in the per-user settings.
inline constexpr const char *kSettingsKey = "Snipline (SNPLN)";
inline constexpr const char *kSettingsProfile = "filters";
inline constexpr const char *kFilterValuePrefix = "filter";
inline constexpr const char *kDefaultFilter0 = "*.htm* *.txt";
inline constexpr const char *kDefaultFilter1 = "*.doc";

} // namespace snpln::batch::texts
