// What a FileJob needs from the window (or console) that runs it: its
// report shown as a message answered with OK or Esc, the progress bar, and
// the queue of ticks.
#pragma once

#include <string>

#include "job/dialog_answer.h"
#include "job/job_report.h"

namespace snpln::job {

class JobHost {
public:
  virtual ~JobHost() = default;
  // Shows the job's end (in the host's words) and waits: Ok, or Cancel for
  // Esc.
  virtual DialogAnswer showReport(const JobReport &report) = 0;
  // 0 to 100.
  virtual void setProgress(int percent) = 0;
  // Removes every tick already queued for the job.
  virtual void drainTimerMessages() = 0;
  // Told (true) before the job waits for the disk to take its new content
  // (the save's commit and its flushes) and (false) after: a host that runs
  // several jobs may let another one compute meanwhile.
  virtual void waitingForDisk(bool waiting) { (void)waiting; }
};

} // namespace snpln::job
