// The files a run has visited: a file is rewritten at most once in a
// run, however many names, links or masks lead to it, and a file that
// merely took the number of a visited one (another program saved by
// writing a new file and renaming it, and the file system gave the new file
// a freed number) is not taken for it, with or without birth times.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>

#include "platform/file_system.h"

namespace snpln::batch {

// Where a file was found: the identity of its directory and its name there.
struct FilePlace {
  platform::FileId directory;
  std::string name;
  // Written out: the browser's C++ library has no <=> for strings yet.
  friend bool operator<(const FilePlace &a, const FilePlace &b) {
    return a.directory != b.directory ? a.directory < b.directory
                                      : a.name < b.name;
  }
};

class VisitedFiles {
public:
  // Whether the file `status` describes, found at `place` (nothing: its
  // place is not known), by a name the user gave (`named`) or by a walk,
  // counts as visited: a file was visited at that very place in the run
  // (whatever file is there now: the run's own rewrite, or another
  // program's save since), or it is a visited file reached by another
  // name. Where the file system keeps birth times, that is the same device,
  // number and birth time. Where it keeps none, a number it gives again to
  // a new file must not count, and a change time of whole seconds cannot
  // tell the two apart: the same device and number, and besides, the file
  // has other names (more than one link, now or at the visit), or, where
  // the user named it (a link may lead to a walked file), its status is
  // still exactly the one visited (size, modification and change times,
  // mode, owner). A number whose file the run saw go (replaced()) counts
  // for nothing any more.
  bool contains(const platform::FileStatus &status,
                const std::optional<FilePlace> &place, bool named) const;
  // Whether a file was visited at `place` itself.
  bool visitedAt(const std::optional<FilePlace> &place) const {
    return place && places_.count(*place) != 0;
  }
  // Records a visit of the file as `status` describes it now, at `place`.
  void add(const platform::FileStatus &status,
           const std::optional<FilePlace> &place, bool named);
  // The file `before` (nothing: not known), visited at `place`, is `after`
  // under its name now (the run's rewrite replaced it, or another program
  // did meanwhile): `after` is visited there, and where the file system
  // keeps no birth time, `before` is forgotten when it had no other name,
  // since the file system may give its number to the next new file.
  void replaced(const std::optional<platform::FileStatus> &before,
                const platform::FileStatus &after,
                const std::optional<FilePlace> &place, bool named);

private:
  struct Visit {
    platform::FileStatus status;
    bool named = false;
  };
  std::map<platform::FileId, Visit> visited_;
  std::set<FilePlace> places_;
};

inline bool VisitedFiles::contains(const platform::FileStatus &status,
                                   const std::optional<FilePlace> &place,
                                   bool named) const {
  if (place && places_.count(*place) != 0)
    return true;
  const auto found = visited_.find(status.id);
  if (found == visited_.end())
    return false;
  if (platform::knowsBirth(status.id))
    return true;
  const platform::FileStatus &then = found->second.status;
  if (status.links > 1 || then.links > 1)
    return true;
  return (named || found->second.named) &&
         platform::sameVersion(then, status) && then.mode == status.mode &&
         then.owner == status.owner && then.group == status.group;
}

inline void VisitedFiles::add(const platform::FileStatus &status,
                              const std::optional<FilePlace> &place,
                              bool named) {
  Visit &visit = visited_[status.id];
  visit.status = status;
  visit.named = visit.named || named;
  if (place)
    places_.insert(*place);
}

inline void
VisitedFiles::replaced(const std::optional<platform::FileStatus> &before,
                       const platform::FileStatus &after,
                       const std::optional<FilePlace> &place, bool named) {
  if (before && before->id != after.id && !platform::knowsBirth(before->id) &&
      before->links <= 1)
    visited_.erase(before->id);
  add(after, place, named);
}

// The backups a run has made (--backup): their files are the originals,
// which the run never takes as files to work on, under any name or mask.
class RunBackups {
public:
  // Whether `id` is the file of a backup this run made.
  bool madeByRun(const platform::FileId &id) const {
    return made_.count(id) != 0;
  }
  // A rewrite kept the original `id` as its backup.
  void made(const platform::FileId &id) { made_.insert(id); }

private:
  std::set<platform::FileId> made_;
};

} // namespace snpln::batch
