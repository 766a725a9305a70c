// The time a window's run goes by: how long a file runs before the run's
// progress window shows. Every such decision reads now(), milliseconds from
// a source that never goes back: the real monotonic clock unless the owner
// gives another, so a test sets the time itself and steps the run through
// it.
//
// A run on workers (RunThread) reads it on the workers too, when a job
// starts: its source must be safe to call from any thread.
#pragma once

#include <QtGlobal>

#include <functional>

namespace snpln::ui {

class JobClock {
public:
  using Source = std::function<qint64()>;

  // Reads `source`; the real monotonic clock when it is empty.
  explicit JobClock(Source source = {});

  // Milliseconds; only differences mean anything.
  qint64 now() const;

  // The clock of every run whose owner gives none.
  static JobClock &real();

private:
  Source source_;
};

} // namespace snpln::ui
