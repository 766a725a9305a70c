// A job host for tests: records every message and progress value, answers
// messages from a queue (OK when the queue is empty), and can run a hook
// inside a message, as a window's nested message loop would.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "job/job_host.h"

namespace snpln::test {

class RecordingJobHost : public job::JobHost {
public:
  job::DialogAnswer showMessage(const std::string &line1,
                                const std::string &line2) override {
    messages.emplace_back(line1, line2);
    if (duringMessage)
      duringMessage();
    if (answers.empty())
      return job::DialogAnswer::Ok;
    const job::DialogAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void setProgress(int percent) override { progress.push_back(percent); }
  void drainTimerMessages() override { ++drains; }

  std::vector<std::pair<std::string, std::string>> messages;
  std::vector<int> progress;
  std::deque<job::DialogAnswer> answers;
  std::function<void()> duringMessage;
  int drains = 0;
};

} // namespace snpln::test
