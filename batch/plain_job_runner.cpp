#include <thread>

#include "batch/run_observer.h"
#include "job/file_job.h"

namespace snpln::batch {

namespace {

// The job's host: its shown report kept, its progress passed on.
class Host final : public job::JobHost {
public:
  explicit Host(const JobControl &control) : control_(control) {}
  job::DialogAnswer showReport(const job::JobReport &report) override {
    shown = report;
    return job::DialogAnswer::Ok;
  }
  void setProgress(int percent) override {
    if (percent != last_ && control_.progress) {
      last_ = percent;
      control_.progress(percent);
    }
  }
  void drainTimerMessages() override {}
  void waitingForDisk(bool waiting) override {
    if (control_.waitingForDisk)
      control_.waitingForDisk(waiting);
  }

  std::optional<job::JobReport> shown;

private:
  const JobControl &control_;
  int last_ = -1;
};

} // namespace

JobEnd PlainJobRunner::runJob(const job::JobRequest &request,
                              const JobControl &control) {
  Host host(control);
  job::FileJob job(request, host, fs_);
  if (sliceSize_ != 0)
    job.setSliceSize(sliceSize_);
  if (job.start()) {
    while (!job.ended()) {
      if (control.canceled && control.canceled())
        job.requestCancel();
      else if (job.waitingForLock())
        std::this_thread::sleep_for(job::kLockRetry);
      job.tick();
    }
  }
  JobEnd end;
  end.result = job.result();
  end.report = job.report();
  end.report.result = end.result;
  end.shown = std::move(host.shown);
  end.unflushed = job.unflushedDirectory();
  if (end.result == job::JobResult::Done)
    end.replacement = job.replacement();
  return end;
}

} // namespace snpln::batch
