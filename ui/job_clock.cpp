#include "ui/job_clock.h"

#include <chrono>
#include <utility>

namespace snpln::ui {

namespace {

qint64 monotonicMilliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

} // namespace

JobClock::JobClock(Source source)
    : source_(source ? std::move(source) : Source(monotonicMilliseconds)) {}

qint64 JobClock::now() const { return source_(); }

JobClock &JobClock::real() {
  static JobClock clock;
  return clock;
}

} // namespace snpln::ui
