// The time the window's jobs go by: how long a job runs before its
// progress window shows, and how often a job without its window lets the
// event loop turn (windows paint, Esc is heard and cancels). Every such
// decision reads now(), milliseconds from a source that never goes back:
// the real monotonic clock unless the owner gives another, so a test sets
// the time itself and steps the job through it.
//
// One clock serves all the jobs of a run: the turns keep their pace across
// jobs, so a tree of small files neither freezes the windows nor pays a
// turn per file. A run on workers (RunThread) reads it on the workers too,
// when a job starts: its source must be safe to call from any thread.
#pragma once

#include <QtGlobal>

#include <functional>

namespace snpln::ui {

class JobClock {
public:
  using Source = std::function<qint64()>;

  // How often a job without its window lets the event loop turn.
  static constexpr qint64 kTurnEveryMs = 10;

  // Reads `source`; the real monotonic clock when it is empty.
  explicit JobClock(Source source = {});

  // Milliseconds; only differences mean anything.
  qint64 now() const;

  // Whether kTurnEveryMs have passed since the last turn (or since the
  // clock was made).
  bool turnDue() const { return now() - lastTurn_ >= kTurnEveryMs; }
  // The event loop has just turned: the next turn is due kTurnEveryMs on.
  void turned() { lastTurn_ = now(); }

  // The clock of every job whose owner gives none.
  static JobClock &real();

private:
  Source source_;
  qint64 lastTurn_ = 0;
};

} // namespace snpln::ui
