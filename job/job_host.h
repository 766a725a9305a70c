// What a FileJob needs from the window (or console) that runs it: a two-line
// message answered with OK or Esc, the progress bar, and the queue of ticks.
#pragma once

#include <string>

#include "job/dialog_answer.h"

namespace snpln::job {

class JobHost {
public:
  virtual ~JobHost() = default;
  // Shows line 1 over line 2 and waits: Ok, or Cancel for Esc.
  virtual DialogAnswer showMessage(const std::string &line1,
                                   const std::string &line2) = 0;
  // 0 to 100.
  virtual void setProgress(int percent) = 0;
  // Removes every tick already queued for the job.
  virtual void drainTimerMessages() = 0;
};

} // namespace snpln::job
