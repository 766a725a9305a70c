// A file's run: every operation of a plan over one file, as one rewrite.
//
// runFile() opens the file (following a path's links), takes our runs'
// lock on it when an operation may write (waiting while another of our
// runs holds it, and opening it again once when that run has replaced it),
// reads its head once to tell text from binary data and, as far as the
// operations need, its page, and settles every operation in the order of
// the stage table (job/stages.h): each becomes a stage of the file's
// chain, or is left out with the reason it would leave the text as it is,
// or fails the file before a byte is written. The stages then run as one
// streaming pass (job/stage_chain.h) from one read of the file.
//
// What the chain makes is compared with the file as it comes: while they
// agree nothing is written; from the first byte that differs the save is
// begun (a temporary file in the directory the file was opened in) and
// takes the agreeing part from the file. So a file whose bytes would not
// change is left alone (its inode, times and directory untouched: the
// operations that ran report Identical), and any other is committed once,
// through the save (its owner, mode and attributes kept, only while it is
// still the version read, its backup kept, its times with keepDate), or
// not at all: a failure of any stage, a cancel, or a failed commit leaves
// the file with every byte it had, and the report names the operation
// that failed and where.
//
// Detection alone and dry runs write nothing and take no lock. A file that
// holds a zero byte (and is no UTF-16) is left as it is by every operation.
#pragma once

#include <chrono>
#include <string>

#include "job/job_report.h"
#include "job/job_request.h"
#include "platform/file_system.h"

namespace snpln::job {

// How long a file another of our runs holds is waited for between tries
// of the lock.
inline constexpr std::chrono::milliseconds kLockRetry{10};

FileReport runFile(const FileTask &task, const FilePlan &plan,
                   const JobControl &control,
                   platform::FileSystem &fs = platform::realFileSystem());

// The file name without its directory: the text after the last '\\', '/' or
// ':', or the whole path when it holds none of them.
std::string displayNameOf(const std::string &path);

// How a report names the backup a save kept under `kept` (a name in the
// file's own directory): the file's real place, `reachedAs` (the path it
// was opened by with its links followed, InputFile::reachedPath(); for a
// file found by a walk, or opened without links, the path it is shown by),
// with its last part replaced by `kept`. Only this system's path
// separators cut it ('/' on POSIX, where '\\' and ':' are characters of a
// name; '\\', '/' and ':' on Windows).
std::string backupPathOf(const std::string &reachedAs, const std::string &kept);

} // namespace snpln::job
