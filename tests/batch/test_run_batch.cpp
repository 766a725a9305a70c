#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>
#include <vector>

#include "batch/directory_walk.h"
#include "batch/run_batch.h"
#include "batch/tab_size.h"
#include "tests/support/native_file_system.h"
#include "tests/support/scripted_batch_host.h"
#include "tests/support/temp_dir.h"

namespace snpln::test {
// A name that leads nowhere, with the system's reason.
const std::string kNameNotFound =
    "File or directory not found: No such file or directory";

namespace {

using batch::SelectionState;
using job::JobResult;
using job::OperationCode;
using Paths = std::vector<std::string>;
using Message = std::pair<std::string, std::string>;
using Prompt = ScriptedBatchHost::PromptAnswer;
using batch::ModeButton;
using job::DialogAnswer;
constexpr DialogAnswer kOk = DialogAnswer::Ok;
constexpr DialogAnswer kCancel = DialogAnswer::Cancel;

constexpr const char *kNoAction = "No action selected";
constexpr const char *kCanceled = "Operation canceled";

class RunBatch : public ::testing::Test {
protected:
  RunBatch() : cwd(dir.path()) {}

  void select(std::initializer_list<ModeButton> buttons) {
    for (ModeButton b : buttons)
      selection.pressModeButton(b);
  }
  void choose(Paths names) {
    host.files = std::move(names);
    host.field = "chosen";
  }
  void run() {
    outcome =
        batch::runBatch(selection, host, platform::realFileSystem(), walkHooks);
  }
  void expectReset() {
    EXPECT_FALSE(selection.anySelected());
    ASSERT_FALSE(host.statusLines.empty());
    EXPECT_EQ(kNoAction, host.statusLines.back());
  }
  std::vector<std::string> promptTexts() const {
    std::vector<std::string> texts;
    for (const auto &p : host.prompts)
      texts.push_back(p.first);
    return texts;
  }

  TempDir dir;
  ChangeDirectory cwd;
  SelectionState selection;
  ScriptedBatchHost host;
  batch::WalkHooks walkHooks;
  batch::RunOutcome outcome;
};

TEST_F(RunBatch, EmptyFileNameFieldIsCheckedFirstAndKeepsTheSelection) {
  run(); // neither a name nor a button
  select({ModeButton::UpperCase});
  run();
  EXPECT_EQ(
      (std::vector<std::string>{
          "At the first choose filename , then click button [DO it !] ;)",
          "At the first choose filename , then click button [DO it !] ;)"}),
      host.statusLines);
  EXPECT_TRUE(selection.isDown(ModeButton::UpperCase));
  EXPECT_TRUE(host.jobs.empty());
}

TEST_F(RunBatch, NoButtonDownIsRefused) {
  choose({"a"});
  run();
  EXPECT_EQ(std::vector<std::string>{"So,what I must to do ? Choose any file "
                                     "manipulation ;)"},
            host.statusLines);
  EXPECT_TRUE(host.prompts.empty());
}

TEST_F(RunBatch, OnlyASourceButtonRunsNoPassAndResets) {
  dir.write("a", "x");
  choose({"a"});
  select({ModeButton::FromAuto});
  run();
  EXPECT_TRUE(host.prompts.empty());
  EXPECT_TRUE(host.jobs.empty());
  EXPECT_TRUE(host.messages.empty());
  expectReset();
}

// Each file gets every operation in one run; the last file shows each
// operation's end, its hits those of the whole run.
TEST_F(RunBatch, TwoOperationsThreeFilesOneRunEachWithBoth) {
  for (const char *f : {"f1", "f2", "f3"})
    dir.write(f, "abc\n\n\n\nend\n");
  choose({"f1", "f2", "f3"});
  select({ModeButton::DeleteEmpty, ModeButton::UpperCase});
  host.realJobs = true;
  run();
  ASSERT_EQ(3u, host.jobs.size());
  for (std::size_t k = 0; k < 3; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ((std::vector<OperationCode>{OperationCode::UpperCase,
                                          OperationCode::DeleteEmpty}),
              host.jobs[k].operations);
    EXPECT_EQ("f" + std::to_string(k + 1), host.jobs[k].location.path());
  }
  EXPECT_EQ((std::vector<Message>{
                {"File(s) successfully converted", "with upper case"},
                {"From file(s) deleted excessive empty lines,",
                 "Number of hits: 6"}}),
            host.jobMessages);
  for (const char *f : {"f1", "f2", "f3"})
    EXPECT_EQ(dir.read(f), "ABC\n\nEND\n") << f;
  EXPECT_FALSE(dir.exists("~sn$ln~.tmp"));
  expectReset();
}

// Each file is read in its own page: typed text is found in a KOI8-R and
// in a Windows-1251 file alike, after smart case.
TEST_F(RunBatch, EachFileIsWorkedOnInItsOwnPage) {
  const std::string mirKoi = "\xCD\xC9\xD2", mirWin = "\xEC\xE8\xF0";
  dir.write("k.txt", "\xF0\xD2\xC9\xD7\xC5\xD4, " + mirKoi); // Привет, мир
  dir.write("w.txt", "\xCF\xF0\xE8\xE2\xE5\xF2, " + mirWin);
  choose({"k.txt", "w.txt"});
  select({ModeButton::SmartCase, ModeButton::Replace});
  host.realJobs = true;
  host.typed = job::TypedText::Characters;
  host.promptAnswers = {{kOk, "мир"}, {kOk, "MIR"}};
  run();
  ASSERT_EQ(host.jobs.size(), 2u);
  EXPECT_EQ(dir.read("k.txt"), "\xF0\xD2\xC9\xD7\xC5\xD4, MIR");
  EXPECT_EQ(dir.read("w.txt"), "\xCF\xF0\xE8\xE2\xE5\xF2, MIR");
}

// A file's single-byte page is chosen where an operation of the run reads
// it, and bytes are matched by characters in a UTF-8 file whatever the
// run's other operations.
TEST(RunBatchPages, APageIsChosenWhereverAPassOfTheRunReadsIt) {
  const std::string helloWin = "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0";
  const std::string helloUtf8 = "Привет, мир";
  struct Case {
    const char *name;
    std::string content;
    std::vector<OperationCode> passes;
    std::string search, with;
    std::string after;
  };
  const Case cases[] = {
      {"one bytes pass on Windows-1251",
       helloWin,
       {OperationCode::Replace},
       "\xEC\xE8\xF0",
       "MIR",
       "\xCF\xF0\xE8\xE2\xE5\xF2, MIR"},
      {"one bytes pass on UTF-8",
       helloUtf8,
       {OperationCode::Replace},
       "мир",
       "MIR",
       "Привет, MIR"},
      {"a byte cut from a UTF-8 character",
       helloUtf8,
       {OperationCode::Replace},
       "\xD0",
       "X",
       helloUtf8},
      {"bytes, then case",
       helloWin,
       {OperationCode::Replace, OperationCode::UpperCase},
       "\xEC\xE8\xF0",
       "\xE4\xEE\xEC",
       "\xCF\xD0\xC8\xC2\xC5\xD2, \xC4\xCE\xCC"},
      {"line ends, then case",
       helloWin + "\r\n",
       {OperationCode::LineEnds, OperationCode::LowerCase},
       "",
       "",
       "\xEF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0\n"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    dir.write("p.txt", c.content);
    batch::RunPlan plan;
    plan.operations = c.passes;
    plan.parameters.searchText = c.search;
    plan.parameters.replaceText = c.with;
    plan.names = {dir.file("p.txt")};
    plan.masks = {"*.*"};
    batch::RunObserver observer;
    batch::PlainJobRunner runner(platform::realFileSystem());
    const batch::RunOutcome outcome =
        batch::runBatch(plan, observer, runner, platform::realFileSystem());
    EXPECT_EQ(outcome.failed, 0);
    EXPECT_EQ(dir.read("p.txt"), c.after);
  }
}

// The fault this pins: recoding to UTF-8 ran after the replacement, which
// then looked for Windows-1251 bytes in a KOI8-R file and found nothing.
TEST_F(RunBatch, ReplacementAfterRecodingToUtf8FindsItsText) {
  dir.write("k.txt", "\xF0\xD2\xC9\xD7\xC5\xD4, \xCD\xC9\xD2"); // Привет, мир
  choose({"k.txt"});
  select({ModeButton::Replace, ModeButton::ToUtf8});
  host.realJobs = true;
  host.typed = job::TypedText::Characters;
  host.promptAnswers = {{kOk, "мир"}, {kOk, "MIR"}};
  run();
  ASSERT_EQ(host.jobs.size(), 1u);
  EXPECT_EQ(host.jobs[0].operations,
            (std::vector<OperationCode>{OperationCode::RecodeToUtf8,
                                        OperationCode::Replace}));
  EXPECT_EQ(dir.read("k.txt"), "Привет, MIR");
  ASSERT_FALSE(host.jobMessages.empty());
  EXPECT_EQ(host.jobMessages.back().second,
            "and replaced with received string, Nr. of hits: 1");
}

TEST_F(RunBatch, MissingEntryFollowedByAFileGoesOn) {
  dir.write("f", "x");
  choose({"missing", "f"});
  select({ModeButton::UpperCase, ModeButton::Exclude});
  host.promptAnswers = {{kOk, "q"}};
  run();
  EXPECT_EQ((Paths{"f"}), host.jobPaths());
  EXPECT_EQ((std::vector<Message>{{"missing", kNameNotFound}}), host.messages);
  EXPECT_EQ(host.jobMessages.size(), 2u);
  expectReset();
}

// A missing last entry withholds no operation: the files before it get all
// of theirs, the entry is reported, and the run counts a failure.
TEST_F(RunBatch, MissingLastEntryWithholdsNoOperation) {
  dir.write("f", "x");
  choose({"f", "gone1", "gone2"});
  select({ModeButton::UpperCase, ModeButton::Optimize});
  run();
  EXPECT_EQ((Paths{"f"}), host.jobPaths());
  EXPECT_EQ(host.jobs[0].operations,
            (std::vector<OperationCode>{OperationCode::UpperCase,
                                        OperationCode::Optimize}));
  EXPECT_EQ((std::vector<Message>{{"gone1", kNameNotFound},
                                  {"gone2", kNameNotFound}}),
            host.messages);
  EXPECT_EQ(outcome.end, batch::RunEnd::Completed);
  EXPECT_EQ(outcome.failed, 2);
  expectReset();
}

TEST_F(RunBatch, OnlyMissingEntryIsReportedOnce) {
  choose({"gone"});
  select({ModeButton::UpperCase, ModeButton::DeleteEmpty});
  run();
  EXPECT_EQ(1u, host.messages.size());
  EXPECT_EQ(outcome.failed, 1);
  expectReset();
}

struct CancelCase {
  const char *name;
  std::deque<Prompt> prompts;
  DialogAnswer optionsResult;
  std::vector<std::string> asked;
  int optionsDialogs;
};

TEST_F(RunBatch, CancelAtEachPrompt) {
  const std::string ex = "Enter text for exclude",
                    rp = "Enter text for replace",
                    tab = "Enter tab size (default - 8)";
  const CancelCase cases[] = {
      {"exclude prompt", {{kCancel, "abc"}}, kOk, {ex}, 0},
      {"exclude prompt with empty text", {{kCancel, ""}}, kOk, {ex}, 0},
      {"replace prompt", {{kOk, "a"}, {kCancel, "b"}}, kOk, {ex, rp}, 0},
      {"options dialog", {{kOk, "a"}, {kOk, "b"}}, kCancel, {ex, rp}, 1},
      {"tab size prompt",
       {{kOk, "a"}, {kOk, "b"}, {kCancel, "4"}},
       kOk,
       {ex, rp, tab},
       1},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    SelectionState s;
    for (ModeButton b :
         {ModeButton::Exclude, ModeButton::Replace, ModeButton::Optimize})
      s.pressModeButton(b);
    ScriptedBatchHost h({"whatever"});
    h.promptAnswers = c.prompts;
    h.optionsAnswers = {{c.optionsResult}};
    batch::runBatch(s, h);
    std::vector<std::string> asked;
    for (const auto &p : h.prompts)
      asked.push_back(p.first);
    EXPECT_EQ(c.asked, asked);
    EXPECT_EQ(c.optionsDialogs, h.optionsDialogs);
    EXPECT_EQ(std::vector<Message>{Message(kCanceled, "")}, h.messages);
    EXPECT_TRUE(h.jobs.empty());
    EXPECT_FALSE(s.anySelected());
    EXPECT_EQ(kNoAction, h.statusLines.back());
  }
}

TEST_F(RunBatch, EmptySearchTextConfirmedEndsTheRunWithoutMorePrompts) {
  choose({"x"});
  select({ModeButton::Replace, ModeButton::Optimize});
  host.promptAnswers = {{kOk, ""}};
  run();
  EXPECT_EQ(std::vector<std::string>{"Enter text for exclude"}, promptTexts());
  EXPECT_EQ((std::vector<Message>{
                {"Are you want to exclude empty string from file 8-) ?",
                 "I'm surprised :)"}}),
            host.messages);
  EXPECT_EQ(0, host.optionsDialogs);
  expectReset();
}

TEST_F(RunBatch, RegressionDialogThatFailsCountsAsCancel) {
  choose({"x"});
  select({ModeButton::Exclude});
  host.promptAnswers = {{DialogAnswer::No, "abc"}};
  run();
  EXPECT_EQ(0, host.optionsDialogs);
  EXPECT_EQ(std::vector<Message>{Message(kCanceled, "")}, host.messages);
  EXPECT_TRUE(host.jobs.empty());
}

TEST_F(RunBatch, ReplaceAloneAsksThreeTimesAndCarriesTheAnswers) {
  dir.write("f", "x");
  choose({"f"});
  select({ModeButton::Replace, ModeButton::Exclude, ModeButton::ToKoi,
          ModeButton::FromDos});
  host.promptAnswers = {{kOk, "old"}, {kOk, ""}};
  host.optionsAnswers = {{kOk, true, false, true}};
  run();
  EXPECT_EQ((std::vector<std::string>{"Enter text for exclude",
                                      "Enter text for replace"}),
            promptTexts());
  EXPECT_EQ("", host.prompts[0].second); // empty presets
  EXPECT_EQ("", host.prompts[1].second);
  EXPECT_EQ(1, host.optionsDialogs);
  // Recode to Koi, exclude and replace, one search text for both.
  ASSERT_EQ(1u, host.jobs.size());
  EXPECT_EQ(host.jobs[0].operations,
            (std::vector<OperationCode>{OperationCode::RecodeToKoi,
                                        OperationCode::Exclude,
                                        OperationCode::Replace}));
  for (const auto &r : host.jobs) {
    EXPECT_EQ("old", r.searchText);
    EXPECT_EQ("", r.replaceText);
    EXPECT_EQ(1, r.leftPartOfWord);
    EXPECT_EQ(0, r.rightPartOfWord);
    EXPECT_EQ(1, r.caseInsensitive);
    EXPECT_EQ(engine::CodePage::Koi, r.targetCodePage);
    EXPECT_EQ(engine::CodePage::Dos, r.sourceCodePage);
    EXPECT_EQ(0, r.detectOnly);
  }
}

TEST_F(RunBatch, TabSizeAnswers) {
  const std::pair<const char *, int> cases[] = {{"0", 8},
                                                {"-3", 8},
                                                {"abc", 8},
                                                {"", 8},
                                                {" 12x", 12},
                                                {"\t+5", 5},
                                                {"99999999999", INT_MAX}};
  for (auto [answer, expected] : cases) {
    SCOPED_TRACE(answer);
    SelectionState s;
    s.pressModeButton(ModeButton::Optimize);
    ScriptedBatchHost h({"f"});
    dir.write("f", "x");
    h.promptAnswers = {{kOk, answer}};
    batch::runBatch(s, h);
    ASSERT_EQ(1u, h.prompts.size());
    EXPECT_EQ("8", h.prompts[0].second);
    ASSERT_EQ(1u, h.jobs.size());
    EXPECT_EQ(expected, h.jobs[0].tabSize);
  }
}

TEST(ParseTabSize, AtoiRules) {
  const std::pair<const char *, int> cases[] = {
      {"8", 8},
      {" \t\n\v\f\r7", 7},
      {"+", 8},
      {"-", 8},
      {"1", 1},
      {"3 4", 3},
      {"2147483647", INT_MAX},
      {"2147483648", INT_MAX},
      {"000000000000000000000000009", 9},
      {"123456789012345678901234567890", INT_MAX},
      {"-2147483648", 8},
      {"-99999999999999999999", 8},
      {"--5", 8},
      {"0x10", 8},
  };
  for (auto [answer, expected] : cases)
    EXPECT_EQ(expected, batch::parseTabSize(answer)) << answer;
}

TEST_F(RunBatch, FilterTextMovesToTheTop) {
  dir.write("f", "x");
  choose({"f"});
  host.filters = {"a", "b", "*.txt", "d"};
  host.filter = "*.txt";
  select({ModeButton::UpperCase});
  run();
  EXPECT_EQ((Paths{"*.txt", "a", "b", "d"}), host.filters);

  host.filter = "";
  select({ModeButton::UpperCase});
  run();
  EXPECT_EQ((Paths{"*.txt", "a", "b", "d"}), host.filters);

  host.filter = " \t ";
  select({ModeButton::UpperCase});
  run();
  EXPECT_EQ((Paths{" \t ", "*.txt", "a", "b", "d"}), host.filters);
}

TEST_F(RunBatch, FilterHistoryIsUpdatedEvenWhenTheFileListHasNoDirectory) {
  choose({"gone"});
  host.filter = "*.x";
  select({ModeButton::UpperCase});
  run();
  EXPECT_EQ(Paths{"*.x"}, host.filters);
}

TEST_F(RunBatch, TwoMasksWalkTheTreeTwiceAFileMatchingBothOnce) {
  dir.mkdir("d");
  dir.mkdir("d/sub");
  for (const char *f : {"d/a.htm", "d/b.txt", "d/c.htm.txt", "d/n.doc",
                        "d/sub/e.txt", "d/sub/g.html"})
    dir.write(f, "x");
  choose({"d"});
  host.filter = "*.htm* *.txt";
  select({ModeButton::UpperCase});
  run();
  // c.htm.txt matches both masks; the pass visits it under the first.
  ASSERT_EQ(5u, host.jobs.size());
  Paths paths = host.jobPaths();
  EXPECT_EQ((std::set<std::string>{"d/a.htm", "d/c.htm.txt"}),
            std::set<std::string>(paths.begin(), paths.begin() + 2));
  EXPECT_EQ("d/sub/g.html", paths[2]);
  EXPECT_EQ("d/b.txt", paths[3]);
  EXPECT_EQ("d/sub/e.txt", paths[4]);
  // A run whose last entry is a directory shows no file's end.
  EXPECT_TRUE(host.jobMessages.empty());
  EXPECT_EQ((std::vector<Message>{
                {"d", "Processing this directory and its subdirectories is "
                      "completed"}}),
            host.messages);
  expectReset();
}

TEST_F(RunBatch, DirectoryMessageOnceAndEmptyFilterIsAll) {
  dir.mkdir("d");
  dir.write("d/noext", "x");
  dir.write("f", "x");
  choose({"d", "f"});
  select(
      {ModeButton::UpperCase, ModeButton::LowerCase, ModeButton::DeleteEmpty});
  run();
  EXPECT_EQ((Paths{"d/noext", "f"}), host.jobPaths());
  EXPECT_EQ(1u, host.messages.size());
  // The last entry's file shows each operation's end.
  EXPECT_EQ(host.jobMessages.size(), 2u);
}

TEST_F(RunBatch, StopInTheThirdFileOfATreeStopsEverything) {
  SNPLN_SKIP_ON_WINDOWS("its expected paths are written with '/'");
  dir.mkdir("t");
  dir.mkdir("t/s");
  for (const char *f : {"t/1", "t/2", "t/s/3", "t/s/4"})
    dir.write(f, std::string(100, 'a'));
  dir.write("after", "a");
  choose({"t", "after"});
  select({ModeButton::UpperCase, ModeButton::LowerCase});
  host.realJobs = true;
  host.sliceSize = 7;
  host.cancelJob = 3;
  run();
  ASSERT_EQ(3u, host.jobs.size());
  EXPECT_EQ("t/s/3", host.jobs[2].location.path());
  EXPECT_EQ(JobResult::Stop, host.results.back());
  EXPECT_EQ((std::vector<Message>{{"t/s/3", kCanceled}}), host.jobMessages);
  EXPECT_TRUE(host.messages.empty()); // no directory message
  EXPECT_EQ(std::string(100, 'a'), dir.read("t/s/3"));
  EXPECT_EQ(std::string(100, 'a'), dir.read("t/s/4"));
  EXPECT_EQ("a", dir.read("after"));
  EXPECT_FALSE(dir.exists("~sn$ln~.tmp"));
  expectReset();
}

TEST_F(RunBatch, StopOfAPlainFileEndsTheRunAtOnce) {
  for (const char *f : {"a", "b", "c"})
    dir.write(f, "x");
  choose({"a", "b", "c"});
  select({ModeButton::UpperCase, ModeButton::LowerCase});
  host.jobResults = {JobResult::NotFound, JobResult::Stop};
  run();
  EXPECT_EQ((Paths{"a", "b"}), host.jobPaths());
  expectReset();
}

// A walk that ran out of memory did not go through its tree: it is
// reported as a failure, never as completed, and the run goes on.
TEST_F(RunBatch, RegressionWalkOutOfMemoryIsAFailureNotCompleted) {
  dir.mkdir("d");
  dir.mkdir("d/s");
  dir.mkdir("d/s/t");
  dir.write("d/s/t/f", "x");
  dir.write("f", "x");
  choose({"d", "f"});
  select({ModeButton::UpperCase});
  walkHooks.frameAllocationAllowed = [] { return false; };
  run();
  EXPECT_EQ(Paths{"f"}, host.jobPaths());
  EXPECT_EQ(
      (std::vector<Message>{{"d", "Not enough memory to walk this directory"}}),
      host.messages);
  EXPECT_EQ(std::vector<batch::MessageKind>{batch::MessageKind::Failure},
            host.messageKinds);
  EXPECT_EQ(host.jobMessages.size(), 1u);
  EXPECT_EQ(batch::RunEnd::Completed, outcome.end);
  EXPECT_EQ(1, outcome.failed);
  EXPECT_EQ(1u, outcome.done);
}

TEST_F(RunBatch, DisplayNameAndSaveUpperPerFile) {
  dir.mkdir("d");
  for (const char *f : {"plain", "d/x.txt", "d/y.txt"})
    dir.write(f, "x");
  choose({"plain", "d/x.txt", "./d/y.txt"});
  select({ModeButton::SmartCase});
  host.beforeJob = [&](const JobRecord &) { host.saveUpper = !host.saveUpper; };
  run();
  ASSERT_EQ(3u, host.jobs.size());
  EXPECT_EQ("plain", host.jobs[0].displayName);
  EXPECT_EQ("x.txt", host.jobs[1].displayName);
  EXPECT_EQ((std::vector<int>{0, 1, 0}),
            (std::vector<int>{host.jobs[0].saveUpper, host.jobs[1].saveUpper,
                              host.jobs[2].saveUpper}));
  EXPECT_EQ(3, host.refreshes - 1); // one per job, one after the reset
  // The window's jobs flush their directories with their commits: its
  // host hands no unflushed directory back to the run.
  for (const JobRecord &record : host.jobs)
    EXPECT_EQ(record.directoryFlush, platform::DirectoryFlush::WithCommit)
        << record.location.path();
}

// However many names lead to a file (links, hard links, the same name twice,
// a directory and a file inside it, two masks), one run rewrites it once;
// the later names are passed over silently. Each run starts afresh.
TEST_F(RunBatch, RegressionAFileReachedTwiceInOnePassIsRewrittenOnce) {
  SNPLN_SKIP_ON_WINDOWS("hard links by link(2)");
#ifndef _WIN32
  dir.mkdir("t");
  dir.mkdir("t/sub");
  dir.write("t/sub/a.txt", "abc");
  dir.symlink("sub/a.txt", "t/l.txt");
  dir.write("t/h1.txt", "abc");
  ASSERT_EQ(::link(dir.file("t/h1.txt").c_str(), dir.file("t/h2.txt").c_str()),
            0);
  dir.write("top.txt", "abc");
  dir.symlink("top.txt", "top-link.txt");
  choose({"t", "t/sub/a.txt", "top.txt", "top-link.txt", "./top.txt"});
  host.filter = "*.txt *.*";
  host.realJobs = true;
  select({batch::ModeButton::Replace});
  host.promptAnswers = {{DialogAnswer::Ok, "b"}, {DialogAnswer::Ok, "bb"}};
  run();
  EXPECT_EQ(dir.read("t/sub/a.txt"), "abbc");
  EXPECT_TRUE(::access(dir.file("t/l.txt").c_str(), F_OK) == 0);
  EXPECT_EQ(dir.read("t/h1.txt"), "abbc");
  EXPECT_EQ(dir.read("top.txt"), "abbc");
  EXPECT_EQ(host.jobs.size(), 3u) << ::testing::PrintToString(host.jobPaths());
  for (const auto &m : host.messages)
    EXPECT_NE(m.second, "Error reading file") << m.first;

  // A second run: once more, once each.
  host.jobs.clear();
  choose({"top.txt", "top-link.txt"});
  select({batch::ModeButton::Replace});
  host.promptAnswers = {{DialogAnswer::Ok, "b"}, {DialogAnswer::Ok, "bb"}};
  run();
  EXPECT_EQ(dir.read("top.txt"), "abbbbc");
  EXPECT_EQ(host.jobs.size(), 1u);
#endif
}

// The last name of the list led to a file an earlier name had led to: its
// file was passed over, and with it the run's closing message.
TEST_F(RunBatch, RegressionALastNameVisitedAlreadyStillEndsWithTheMessage) {
  SNPLN_SKIP_WITHOUT_LINKS();
  dir.write("a.txt", "abc");
  dir.write("b.txt", "abc");
  dir.symlink("a.txt", "l.txt");
  const std::vector<Paths> cases = {
      {"a.txt", "./a.txt"},
      {"a.txt", "b.txt", "l.txt", "./a.txt"},
      {"b.txt", "a.txt"},
  };
  for (const auto &list : cases) {
    SCOPED_TRACE(::testing::PrintToString(list));
    dir.write("a.txt", "abc");
    dir.write("b.txt", "abc");
    host.jobs.clear();
    host.jobMessages.clear();
    choose(list);
    host.realJobs = true;
    select({batch::ModeButton::UpperCase});
    run();
    EXPECT_EQ(host.jobMessages,
              (std::vector<Message>{
                  {"File(s) successfully converted", "with upper case"}}));
  }
}

TEST_F(RunBatch, AFileNamedTwiceGetsEveryOperationOnce) {
  SNPLN_SKIP_WITHOUT_LINKS();
  // Upper case and then exclusion: one run of both, although two names
  // lead to the file.
  dir.write("f.txt", "abc. def");
  dir.symlink("f.txt", "g.txt");
  choose({"f.txt", "g.txt"});
  host.realJobs = true;
  select({batch::ModeButton::UpperCase, batch::ModeButton::Exclude});
  host.promptAnswers = {{DialogAnswer::Ok, "C"}};
  run();
  EXPECT_EQ(host.jobPaths(), (Paths{"f.txt"}));
  EXPECT_EQ(dir.read("f.txt"), "AB. DEF");
}

TEST_F(RunBatch, WildcardEntryIsHandedOnAsItIs) {
  dir.write("a.txt", "x");
  choose({"*.txt"});
  select({ModeButton::UpperCase});
  host.realJobs = true;
  run();
  EXPECT_EQ(Paths{"*.txt"}, host.jobPaths());
  EXPECT_EQ((std::vector<Message>{
                {"*.txt", "This file not found: No such file or directory"}}),
            host.jobMessages);
  EXPECT_EQ("x", dir.read("a.txt"));
}

TEST_F(RunBatch, RegressionLongEntryIsNotCutIntoAnotherFilesName) {
  SNPLN_SKIP_ON_WINDOWS("wine refuses the 1000-byte path the job is given");
  // A file whose path is exactly 999 bytes, and an entry of 1000 bytes that
  // begins with it: cut to a 999-byte buffer it would name that file.
  std::string path = "l";
  dir.mkdir(path);
  while (path.size() + 1 + 200 < 999) {
    path += "/" + std::string(200, 'd');
    dir.mkdir(path);
  }
  path += "/" + std::string(999 - path.size() - 1, 'f');
  ASSERT_EQ(999u, path.size());
  dir.write(path, "abc");
  choose({path + "g"});
  select({ModeButton::UpperCase});
  host.realJobs = true;
  run();
  EXPECT_TRUE(host.jobs.empty());
  EXPECT_EQ((std::vector<Message>{{path + "g", kNameNotFound}}), host.messages);
  EXPECT_EQ("abc", dir.read(path));

  // The whole long name is processed when it exists.
  dir.write(path + "g", "abc");
  select({ModeButton::UpperCase});
  host.messages.clear();
  run();
  EXPECT_EQ(Paths{path + "g"}, host.jobPaths());
  EXPECT_EQ("ABC", dir.read(path + "g"));
  EXPECT_EQ("abc", dir.read(path));
}

TEST_F(RunBatch, EventOrderOfARun) {
  dir.write("f", "x");
  choose({"f", "gone"});
  select({ModeButton::Optimize});
  host.promptAnswers = {{kOk, "4"}};
  run();
  EXPECT_EQ(
      (std::vector<std::string>{
          "prompt:Enter tab size (default - 8)", "job:9:f",
          "message:gone|File or directory not found: No such file or directory",
          "status:No action selected"}),
      host.events);
}

} // namespace
} // namespace snpln::test
