// What a FileJob needs from the window (or console) that runs it: a two-line
// message answered with OK or Esc, the progress bar, and the queue of ticks.
#pragma once

#include <string>

namespace snpln::job {

inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerEsc = 2;

class JobHost {
public:
  virtual ~JobHost() = default;
  // Shows line 1 over line 2 and waits; returns kAnswerOk or kAnswerEsc.
  virtual int showMessage(const std::string &line1,
                          const std::string &line2) = 0;
  // 0 to 100.
  virtual void setProgress(int percent) = 0;
  // Removes every tick already queued for the job.
  virtual void drainTimerMessages() = 0;
};

} // namespace snpln::job
