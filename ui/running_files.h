// The files a run's workers have in hand, for its progress window: each
// with its size, when it started (on the run's JobClock) and its percent.
// Workers tell starts, percents and ends from their own threads; the window
// reads on its thread. Every call takes the table's lock.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "job/job_request.h"

namespace snpln::ui {

struct RunningFile {
  job::OperationCode operation = job::OperationCode::UpperCase;
  std::string displayName;
  std::uint64_t size = 0;
  std::int64_t startedAt = 0;
  int percent = 0;
  // Its place among the starts of the run (from 1): the earlier of two
  // files of one size wins.
  std::uint64_t order = 0;
};

class RunningFiles {
public:
  // `key` names the job until it ends (its request's address will do).
  void started(const void *key, RunningFile file);
  void progress(const void *key, int percent);
  void ended(const void *key);

  // The largest running file (of two of one size, the one started first).
  std::optional<RunningFile> largest() const;
  // Whether a running file has run for `delay` or longer at `now`.
  bool anyRunningFor(std::int64_t now, std::int64_t delay) const;
  std::size_t count() const;

private:
  mutable std::mutex mutex_;
  std::map<const void *, RunningFile> files_;
  std::uint64_t starts_ = 0;
};

} // namespace snpln::ui
