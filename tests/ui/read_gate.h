// A gate a job's read waits at until the test opens it: the test sees the
// job in the middle of its file for as long as it likes, without a clock.
// The wait has a long guard against a hang only; nothing is decided by it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace snpln::test {

class ReadGate {
public:
  // On the job's thread: waits until the gate is open.
  void wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    ++waiting_;
    changed_.notify_all();
    changed_.wait_for(lock, std::chrono::seconds(60), [this] { return open_; });
    --waiting_;
  }
  // On another thread: waits until a read waits at the gate.
  void waitForWaiter() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(60),
                      [this] { return waiting_ > 0; });
  }
  // Whether a read waits at the gate now.
  bool waiting() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return waiting_ > 0;
  }
  void open() {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }

private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  int waiting_ = 0;
  bool open_ = false;
};

} // namespace snpln::test
