// The walk through a directory tree for one filter mask.
//
// walkDirectoryTree() hands every file of the tree whose name matches
// `mask` to its sink (WalkSink::fileFound), depth first in pre-order: a
// directory's own files, then each subdirectory completely, in the platform's
// listing order. It keeps no recursion: one WalkFrame per directory level,
// chained to its parent, and one path (for messages) that grows and shrinks at
// its end. Every directory is opened from its parent's open directory and every
// file from its own, so the depth of the tree is limited by nothing: no call
// ever takes the whole path. Only the top level and the deepest levels keep
// their directory open; a level above them is opened again from below ("..")
// when the walk climbs back to it, and must then be the very directory it
// left (device and inode), else it is looked up again from the top.
//
// Every directory is entered, whatever its mode or attributes; a regular
// file that matches `mask` is handed to the sink. Nothing else is: a symbolic
// link (to a file or a directory, or dangling), a FIFO, a socket or a
// device is passed over, and so is every entry whose name begins with a
// dot (a directory such as ".git" whatever the mask, a file when the mask
// takes it) unless WalkRules::takeHidden asks for them, and every backup
// (a file named as a backup of another entry of its directory,
// WalkRules::backupSuffix); the sink hears of each
// (WalkSink::passedOver). "." and "..", and our temporary files
// (isTemporaryName), are passed over silently. Every directory is
// opened from its parent's open directory, and every file in its own,
// never through a link, so a link swapped in while the walk runs leads
// nowhere. A directory that cannot be opened or listed is reported under
// its name (WalkSink::directoryUnreadable); the walk goes on with the rest. The
// top directory is the name the caller gave, which is followed through its
// links.
//
// A directory's names are all read before its first file is handed on, so
// a file a job creates or replaces there is never found twice in one walk.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "batch/run_observer.h"
#include "job/job_request.h"
#include "platform/backup_name.h"
#include "platform/file_system.h"

namespace snpln::batch {

// How a walk (or the jobs of one directory) ended.
enum class WalkOutcome : std::uint8_t {
  Done,        // every matching file was handed on
  Stopped,     // the sink said stop: the rest of the tree is untouched
  OutOfMemory, // a WalkFrame could not be allocated: the tree is not done
};

// What a walk takes besides the files its mask matches.
struct WalkRules {
  // Names that begin with a dot are taken too.
  bool takeHidden = false;
  // A regular file named NAME followed by this suffix, or one of its
  // numbered backup names (platform/backup_name.h), is a backup when NAME
  // is an entry of the same directory: it is passed over (PassedOver::
  // Backup). Empty: no file is.
  std::string backupSuffix = platform::kDefaultBackupSuffix;
};

// The rules of the walks of a run with these parameters: dot names as it
// asks, and the backups of its suffix, or of the default one where it
// keeps none (a run never takes the backups another run kept).
WalkRules walkRulesOf(const job::RunParameters &parameters);

// What a caller may set beyond the walk's arguments.
struct WalkHooks {
  // Asked before every WalkFrame allocation below the top level; false makes
  // the allocation fail as if memory were exhausted. Empty: never asked.
  std::function<bool()> frameAllocationAllowed;
  // How many levels below the top keep their directory open; 0: the
  // product's number.
  int openLevels = 0;
};

// Where a walk hands what it finds.
class WalkSink {
public:
  virtual ~WalkSink() = default;
  // A regular file whose name matches: `path` names it in messages, `at`
  // is where it is (its name in its open directory). False stops the walk.
  virtual bool fileFound(const std::string &path,
                         const platform::FileLocation &at) = 0;
  // An entry passed over (`path` as the walk names it: the directory as
  // given, then the path below it), with why.
  virtual void passedOver(const std::string &path, PassedOver why) = 0;
  // A directory that could not be opened or listed (`name` without the
  // separator the walk added), with the system's error number (0: none
  // known).
  virtual void directoryUnreadable(const std::string &name,
                                   int systemError) = 0;
};

// Walks `directory` (a name as the file list gives it; a separator is added
// when it does not end in one). Returns Done, Stopped as soon as the sink
// says stop, or OutOfMemory when a WalkFrame cannot be allocated (every
// directory closed, every frame released).
WalkOutcome
walkDirectoryTree(const std::string &directory, const std::string &mask,
                  const WalkRules &rules, WalkSink &sink,
                  platform::FileSystem &fs = platform::realFileSystem(),
                  const WalkHooks &hooks = {});

} // namespace snpln::batch
