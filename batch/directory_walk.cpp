#include "batch/directory_walk.h"

#include <cerrno>
#include <memory>
#include <new>
#include <set>
#include <utility>
#include <vector>

#include "batch/batch_texts.h"

namespace snpln::batch {

namespace {

using platform::Directory;
using platform::FileLocation;

constexpr const char *kAllEntries = "*.*";
// Levels below the top whose directory stays open while the walk is deeper.
constexpr int kOpenLevels = 32;

// One directory level: the open directory (none while closed), what it is,
// and the subdirectories still to enter.
struct Level {
  std::shared_ptr<const Directory> directory;
  platform::FileId id;
  std::string name; // in the parent's directory; empty for the top
  std::vector<std::string> subdirectories;
  std::size_t next = 0;
  // Length of this level's path, its trailing separator included.
  std::size_t pathLength = 0;
  // Why its directory could not be opened (errno; 0 for none known).
  int openError = 0;
};

struct WalkFrame {
  WalkFrame *parent = nullptr;
  Level level;
};

// The chain from the top level (owned by the walk itself) to the level being
// walked. Whatever way the walk ends, every directory is closed and every
// allocated frame released.
class FrameChain {
public:
  explicit FrameChain(const WalkHooks &hooks) : hooks_(hooks) {}
  FrameChain(const FrameChain &) = delete;
  FrameChain &operator=(const FrameChain &) = delete;
  ~FrameChain() {
    while (current_ != &top_)
      climb();
  }

  WalkFrame &current() { return *current_; }
  bool atTop() const { return current_ == &top_; }

  // A new level below the current one; false when it cannot be allocated.
  bool push(Level level) {
    if (hooks_.frameAllocationAllowed && !hooks_.frameAllocationAllowed())
      return false;
    WalkFrame *frame = new (std::nothrow) WalkFrame;
    if (!frame)
      return false;
    frame->parent = current_;
    frame->level = std::move(level);
    current_ = frame;
    return true;
  }

  // Releases the current level (not the top) and makes its parent current.
  void climb() {
    WalkFrame *parent = current_->parent;
    delete current_;
    current_ = parent;
  }

  // Closes the directory `levels` above the current one, unless that is the
  // top: the deep levels keep only the last few directories open.
  void closeAbove(int levels) {
    WalkFrame *frame = current_;
    for (int i = 0; i < levels && frame != nullptr; ++i)
      frame = frame->parent;
    if (frame != nullptr && frame != &top_)
      frame->level.directory.reset();
  }

private:
  const WalkHooks &hooks_;
  WalkFrame top_;
  WalkFrame *current_ = &top_;
};

bool isDotEntry(const std::string &name) { return name == "." || name == ".."; }

bool holdsSeparator(const std::string &mask) {
  for (char c : mask)
    if (c == '/' || platform::isPathSeparator(c))
      return true;
  return false;
}

// Everything one walk passes to every level.
struct Walk {
  const std::string &mask;
  const WalkRules &rules;
  WalkSink &sink;
  platform::FileSystem &fs;
  std::string path;

  // Reports an entry of the level passed over.
  void passOver(const Level &level, const std::string &name, PassedOver why) {
    sink.passedOver(path.substr(0, level.pathLength) + name, why);
  }

  // The name a directory is reported under: its path without the separator
  // the walk added.
  void reportUnreadable(const std::string &name, int systemError) {
    sink.directoryUnreadable(name, systemError);
  }

  std::string levelName(const Level &level, const std::string &top) const {
    if (level.name.empty())
      return top;
    return path.substr(0, level.pathLength - 1);
  }

  // Reads the level's directory, hands on its matching files and keeps its
  // subdirectories. False when the sink said stop.
  bool visit(Level &level, const std::string &top) {
    std::optional<std::vector<platform::DirEntry>> entries;
    int error = level.openError;
    if (level.directory) {
      errno = 0;
      entries = fs.listDirectory(*level.directory, kAllEntries);
      error = errno;
    }
    if (!entries) {
      reportUnreadable(levelName(level, top), error);
      return true;
    }
    const bool filesMatch = !holdsSeparator(mask);
    // Every name of the directory, for the backups among its files.
    std::set<std::string> names;
    if (!rules.backupSuffix.empty())
      for (const platform::DirEntry &entry : *entries)
        names.insert(entry.name);
    const auto isBackup = [&](const platform::DirEntry &entry) {
      if (entry.kind != platform::EntryKind::File)
        return false;
      for (const std::string &original :
           platform::originalsOfBackupName(entry.name, rules.backupSuffix))
        if (names.count(original) != 0)
          return true;
      return false;
    };
    std::vector<platform::DirEntry> files;
    for (platform::DirEntry &entry : *entries) {
      if (isDotEntry(entry.name) || platform::isTemporaryName(entry.name))
        continue;
      // Directories are entered whatever the mask; other entries are
      // looked at only when the mask takes them. A link counts as a
      // directory when it leads to one.
      const bool directory = entry.kind == platform::EntryKind::Directory ||
                             (entry.kind == platform::EntryKind::Link &&
                              platform::isDirectoryWord(entry.attributes));
      if (!directory &&
          !(filesMatch && platform::matchesDosMask(entry.name, mask)))
        continue;
      if (entry.name[0] == '.' && !rules.takeHidden) {
        passOver(level, entry.name, PassedOver::Hidden);
        continue;
      }
      if (isBackup(entry)) {
        passOver(level, entry.name, PassedOver::Backup);
        continue;
      }
      switch (entry.kind) {
      case platform::EntryKind::Directory:
        level.subdirectories.push_back(std::move(entry.name));
        break;
      case platform::EntryKind::File:
        files.push_back(std::move(entry));
        break;
      case platform::EntryKind::Link:
        passOver(level, entry.name, PassedOver::Link);
        break;
      case platform::EntryKind::Other:
        passOver(level, entry.name, PassedOver::Special);
        break;
      }
    }
    for (platform::DirEntry &file : files) {
      path.resize(level.pathLength);
      path += file.name;
      // The listing's look at the entry is the one look the run takes
      // before the job opens it.
      platform::FileLocation at(level.directory, std::move(file.name));
      at.seen = std::move(file.status);
      if (!sink.fileFound(path, at))
        return false;
    }
    path.resize(level.pathLength);
    return true;
  }

  // Opens a closed level again on the way back up: from the level just
  // left (its ".."), else from the nearest open level above it, name by
  // name. Each must be the very directory the walk left; when it is not,
  // the level is reported and its remaining subdirectories are left alone.
  void reopen(WalkFrame &frame, const std::shared_ptr<const Directory> &from) {
    Level &level = frame.level;
    if (from) {
      auto up = fs.openDirectory(FileLocation(from, ".."));
      if (up && up->id() == level.id) {
        level.directory = std::move(up);
        return;
      }
    }
    std::vector<WalkFrame *> way;
    WalkFrame *open = &frame;
    while (open != nullptr && !open->level.directory) {
      way.push_back(open);
      open = open->parent;
    }
    std::shared_ptr<const Directory> at =
        open ? open->level.directory : nullptr;
    for (auto it = way.rbegin(); at && it != way.rend(); ++it) {
      at = fs.openDirectory(FileLocation(at, (*it)->level.name));
      if (at && at->id() != (*it)->level.id)
        at.reset();
    }
    if (at) {
      level.directory = std::move(at);
      return;
    }
    reportUnreadable(path.substr(0, level.pathLength - 1), errno);
    level.subdirectories.clear();
    level.next = 0;
  }
};

} // namespace

WalkRules walkRulesOf(const job::RunParameters &parameters) {
  WalkRules rules;
  rules.takeHidden = parameters.takeHidden;
  if (!parameters.backupSuffix.empty())
    rules.backupSuffix = parameters.backupSuffix;
  return rules;
}

WalkOutcome walkDirectoryTree(const std::string &directory,
                              const std::string &mask, const WalkRules &rules,
                              WalkSink &sink, platform::FileSystem &fs,
                              const WalkHooks &hooks) {
  Walk walk{mask, rules, sink, fs, directory};
  if (!walk.path.empty() && !platform::isPathSeparator(walk.path.back()))
    walk.path += platform::kPathSeparator;
  const int openLevels = hooks.openLevels > 0 ? hooks.openLevels : kOpenLevels;

  FrameChain chain(hooks);
  {
    Level &top = chain.current().level;
    top.pathLength = walk.path.size();
    errno = 0;
    if (!directory.empty())
      top.directory = fs.openDirectory(directory);
    top.openError = errno;
    if (top.directory)
      top.id = top.directory->id();
    if (!walk.visit(top, directory))
      return WalkOutcome::Stopped;
  }
  for (;;) {
    Level &current = chain.current().level;
    if (current.next < current.subdirectories.size()) {
      Level child;
      child.name = current.subdirectories[current.next++];
      walk.path.resize(current.pathLength);
      walk.path += child.name;
      walk.path += platform::kPathSeparator;
      child.pathLength = walk.path.size();
      errno = 0;
      if (current.directory)
        child.directory =
            fs.openDirectory(FileLocation(current.directory, child.name));
      child.openError = errno;
      if (child.directory)
        child.id = child.directory->id();
      if (!walk.visit(child, directory))
        return WalkOutcome::Stopped;
      if (!chain.push(std::move(child)))
        return WalkOutcome::OutOfMemory;
      chain.closeAbove(openLevels);
      continue;
    }
    if (chain.atTop())
      return WalkOutcome::Done;
    const std::shared_ptr<const Directory> from = current.directory;
    chain.climb();
    WalkFrame &parent = chain.current();
    walk.path.resize(parent.level.pathLength);
    if (!parent.level.directory &&
        parent.level.next < parent.level.subdirectories.size())
      walk.reopen(parent, from);
  }
}

} // namespace snpln::batch
