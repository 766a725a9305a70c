// A job host for tests: records every report shown (as data, and as the
// English lines of its message window) and every progress value, answers
// from a queue (OK when the queue is empty), and can run a hook inside a
// message, as a window's nested message loop would.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "i18n/catalogue.h"
#include "i18n/texts.h"
#include "job/job_host.h"

namespace snpln::test {

class RecordingJobHost : public job::JobHost {
public:
  job::DialogAnswer showReport(const job::JobReport &report) override {
    reports.push_back(report);
    const i18n::Lines lines = i18n::reportLines(report);
    messages.emplace_back(i18n::english(lines.line1),
                          i18n::english(lines.line2));
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

  std::vector<job::JobReport> reports;
  std::vector<std::pair<std::string, std::string>> messages;
  std::vector<int> progress;
  std::deque<job::DialogAnswer> answers;
  std::function<void()> duringMessage;
  int drains = 0;
};

} // namespace snpln::test
