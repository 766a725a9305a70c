#include "web/browser_run.h"

#include <algorithm>
#include <sstream>
#include <streambuf>

#include "cli/console_host.h"
#include "cli/json_lines.h"
#include "cli/standard_input.h"
#include "i18n/catalogue.h"
#include "i18n/texts.h"

namespace snpln::web {

// lupdate's marker: the text itself here.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(context, text) text
#endif

namespace {

// Hands each line written to it, without its line end, to a function.
class LineBuffer final : public std::streambuf {
public:
  explicit LineBuffer(std::function<void(const std::string &)> take)
      : take_(std::move(take)) {}
  ~LineBuffer() override {
    if (!line_.empty())
      take_(line_);
  }

protected:
  int_type overflow(int_type c) override {
    if (c == traits_type::eof())
      return traits_type::not_eof(c);
    const char ch = traits_type::to_char_type(c);
    if (ch == '\n') {
      take_(line_);
      line_.clear();
    } else {
      line_ += ch;
    }
    return c;
  }
  std::streamsize xsputn(const char *data, std::streamsize size) override {
    for (std::streamsize i = 0; i < size; ++i)
      overflow(traits_type::to_int_type(data[i]));
    return size;
  }

private:
  std::function<void(const std::string &)> take_;
  std::string line_;
};

// The words of the object being printed, in both languages.
struct Words {
  std::string english;
  std::string russian;
  void set(const i18n::Phrase &phrase) {
    english = i18n::render(phrase, i18n::Language::English);
    russian = i18n::render(phrase, i18n::Language::Russian);
  }
};

// The console's host, its objects going to the page with their words,
// telling the page of each file's start and progress too.
class PageHost final : public cli::ConsoleHost {
public:
  PageHost(const cli::CliOptions &options, std::ostream &out, std::ostream &err,
           const RunEvents &events, Words &words)
      : ConsoleHost(options, out, err, false), events_(events), words_(words),
        to_(options.to) {}

  void fileStarted(const batch::FileStart &start) override {
    ConsoleHost::fileStarted(start);
    if (!events_.jobStarted)
      return;
    job::JobReport canceled;
    canceled.result = job::JobResult::Stop;
    canceled.message = job::Message(job::MessageId::Canceled);
    canceled.operation = start.operation;
    canceled.path = start.task.location.path();
    if (to_ && batch::recodingTo(*to_) == start.operation)
      canceled.to = *to_;
    events_.jobStarted(cli::jsonOfReport(canceled), start.number);
  }
  void fileProgress(const job::FileTask &task, int percent) override {
    ConsoleHost::fileProgress(task, percent);
    if (events_.progress)
      events_.progress(percent);
  }
  void passedOver(const std::string &name, batch::PassedOver why) override {
    words_.set(i18n::passedOverText(why));
    ConsoleHost::passedOver(name, why);
  }
  void runMessage(const batch::RunMessage &message) override {
    words_.set(i18n::messageText(message.message));
    ConsoleHost::runMessage(message);
  }

protected:
  void printReport(const job::JobReport &report) override {
    words_.set(i18n::reportLine(report));
    ConsoleHost::printReport(report);
  }
  // The summary has no words of its own: the page counts its list.
  void printSummary(const std::string &object) override {
    words_.english.clear();
    words_.russian.clear();
    ConsoleHost::printSummary(object);
  }

private:
  const RunEvents &events_;
  Words &words_;
  std::optional<engine::CodePage> to_;
};

// The option of the list that means nothing over the page's files, as the
// list gives it; empty when there is none.
std::string refusedOption(const cli::CliOptions &o) {
  if (o.output)
    return "--output";
  if (o.backup)
    return "--backup";
  if (o.keepDate)
    return "--keep-date";
  if (o.allowChown)
    return "--allow-chown";
  if (o.jobs > 1)
    return "--jobs";
  if (std::find(o.names.begin(), o.names.end(),
                std::string(cli::kStandardStreamName)) != o.names.end())
    return cli::kStandardStreamName;
  return {};
}

} // namespace

BrowserRunResult runInBrowser(const std::vector<std::string> &args,
                              platform::MemoryFileSystem &fs,
                              const RunEvents &events) {
  std::vector<std::string> line{"snpln-cli"};
  line.insert(line.end(), args.begin(), args.end());
  std::vector<char *> argv;
  for (std::string &word : line)
    argv.push_back(word.data());
  argv.push_back(nullptr);

  BrowserRunResult result;
  std::ostringstream said, complaints;
  cli::CliOptions options;
  if (const auto status =
          cli::parseOptions(static_cast<int>(line.size()), argv.data(), options,
                            said, complaints)) {
    result.status = *status;
    result.messages = said.str() + complaints.str();
    return result;
  }
  if (const std::string refused = refusedOption(options); !refused.empty()) {
    result.status = cli::kExitUsage;
    result.messages =
        "snpln-cli: " +
        i18n::fill(i18n::translate(
                       options.language, "snpln-web",
                       QT_TRANSLATE_NOOP(
                           "snpln-web",
                           "%1 is not taken in the browser: -o, -b, --suffix, "
                           "-k, -j other than 1, - and --allow-chown mean "
                           "nothing over the page's files")),
                   {refused}) +
        "\n";
    return result;
  }
  // The reports are the JSON objects, whatever the list asks; one worker:
  // the page has one thread.
  options.json = true;
  options.verbose = false;
  options.quiet = false;
  options.jobs = 1;

  Words words;
  LineBuffer lines([&events, &words](const std::string &object) {
    if (events.report && !object.empty())
      events.report(object, words.english, words.russian);
  });
  std::ostream out(&lines);
  std::istringstream in;
  PageHost host(options, out, complaints, events, words);
  result.status = cli::runOptions(options, host, in, out, complaints, fs);
  out.flush();
  result.messages = complaints.str();
  return result;
}

} // namespace snpln::web
