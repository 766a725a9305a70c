#include "batch/directory_walk.h"

#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "batch/run_file_job.h"
#include "job/file_job.h"

namespace snpln::batch {

namespace {

using platform::DirEntry;
using platform::isExactlyDirectory;

constexpr const char *kAllEntries = "*.*";

// One open directory level.
struct WalkFrame {
  WalkFrame *parent = nullptr;
  std::unique_ptr<platform::DirListing> listing;
  // Length of this level's directory path, its trailing separator included.
  std::size_t pathLength = 0;
};

// The chain from the top level (owned by the walk itself) to the level being
// scanned. Whatever way the walk ends, every listing is closed and every
// allocated frame released.
class FrameChain {
public:
  explicit FrameChain(const WalkHooks &hooks) : hooks_(hooks) {}
  FrameChain(const FrameChain &) = delete;
  FrameChain &operator=(const FrameChain &) = delete;
  ~FrameChain() {
    while (current_ != &top_)
      climb();
    top_.listing.reset();
  }

  WalkFrame &current() { return *current_; }
  bool atTop() const { return current_ == &top_; }

  // A new level below the current one; false when it cannot be allocated.
  bool push() {
    if (hooks_.frameAllocationAllowed && !hooks_.frameAllocationAllowed())
      return false;
    WalkFrame *frame = new (std::nothrow) WalkFrame;
    if (!frame)
      return false;
    frame->parent = current_;
    current_ = frame;
    return true;
  }

  // Releases the current level (not the top) and makes its parent current.
  void climb() {
    WalkFrame *parent = current_->parent;
    delete current_;
    current_ = parent;
  }

private:
  const WalkHooks &hooks_;
  WalkFrame top_;
  WalkFrame *current_ = &top_;
};

bool isDotEntry(const std::string &name) { return name == "." || name == ".."; }

// A subdirectory the walk enters.
bool isSubdirectory(const DirEntry &entry) {
  return isExactlyDirectory(entry.attributes) && !isDotEntry(entry.name);
}

bool holdsSeparator(const std::string &mask) {
  for (char c : mask)
    if (c == '/' || platform::isPathSeparator(c))
      return true;
  return false;
}

void openListing(WalkFrame &frame, std::string &path,
                 platform::FileSystem &fs) {
  path += kAllEntries;
  frame.listing = fs.list(path);
  path.resize(frame.pathLength);
}

std::optional<DirEntry> nextSubdirectory(WalkFrame &frame) {
  if (!frame.listing)
    return std::nullopt;
  while (auto entry = frame.listing->next())
    if (isSubdirectory(*entry))
      return entry;
  return std::nullopt;
}

} // namespace

int processDirectoryFiles(const std::string &directoryPath,
                          const std::string &mask, job::OperationCode operation,
                          int lastJob, const RunParameters &parameters,
                          BatchHost &host, platform::FileSystem &fs) {
  if (holdsSeparator(mask))
    return kFilesDone;
  std::string path = directoryPath + mask;
  std::vector<std::string> names;
  {
    auto listing = fs.list(path);
    if (!listing)
      return kFilesDone;
    while (auto entry = listing->next()) {
      if (isExactlyDirectory(entry->attributes) || isDotEntry(entry->name) ||
          entry->name == job::kTempName)
        continue;
      names.push_back(std::move(entry->name));
    }
  }
  path.resize(directoryPath.size());
  for (const std::string &name : names) {
    path += name;
    job::JobResult result =
        runFileJob(host, operation, path, lastJob, parameters);
    path.resize(directoryPath.size());
    if (result == job::JobResult::Stop)
      return kFilesStop;
  }
  return kFilesDone;
}

int walkDirectoryTree(const std::string &directory, const std::string &mask,
                      job::OperationCode operation, int lastJob,
                      const RunParameters &parameters, BatchHost &host,
                      platform::FileSystem &fs, const WalkHooks &hooks) {
  std::string path = directory;
  if (!path.empty() && !platform::isPathSeparator(path.back()))
    path += platform::kPathSeparator;
  if (processDirectoryFiles(path, mask, operation, lastJob, parameters, host,
                            fs) == kFilesStop)
    return kWalkStop;

  FrameChain chain(hooks);
  chain.current().pathLength = path.size();
  openListing(chain.current(), path, fs);
  for (;;) {
    if (auto entry = nextSubdirectory(chain.current())) {
      path += entry->name;
      path += platform::kPathSeparator;
      if (processDirectoryFiles(path, mask, operation, lastJob, parameters,
                                host, fs) == kFilesStop)
        return kWalkStop;
      if (!chain.push())
        return kWalkOutOfMemory;
      chain.current().pathLength = path.size();
      openListing(chain.current(), path, fs);
      continue;
    }
    chain.current().listing.reset();
    if (chain.atTop())
      return kWalkDone;
    chain.climb();
    path.resize(chain.current().pathLength);
  }
}

} // namespace snpln::batch
