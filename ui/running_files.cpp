#include "ui/running_files.h"

#include <utility>

namespace snpln::ui {

void RunningFiles::started(const void *key, RunningFile file) {
  std::lock_guard<std::mutex> lock(mutex_);
  file.order = ++starts_;
  files_[key] = std::move(file);
}

void RunningFiles::progress(const void *key, int percent) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = files_.find(key);
  if (it != files_.end())
    it->second.percent = percent;
}

void RunningFiles::ended(const void *key) {
  std::lock_guard<std::mutex> lock(mutex_);
  files_.erase(key);
}

std::optional<RunningFile> RunningFiles::largest() const {
  std::lock_guard<std::mutex> lock(mutex_);
  const RunningFile *best = nullptr;
  for (const auto &[key, file] : files_)
    if (!best || file.size > best->size ||
        (file.size == best->size && file.order < best->order))
      best = &file;
  return best ? std::optional<RunningFile>(*best) : std::nullopt;
}

bool RunningFiles::anyRunningFor(std::int64_t now, std::int64_t delay) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto &[key, file] : files_)
    if (now - file.startedAt >= delay)
      return true;
  return false;
}

std::size_t RunningFiles::count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return files_.size();
}

} // namespace snpln::ui
