// Every engine run by a real FileJob over real files, with small and large
// slices, against the whole-buffer references: the state an engine carries
// from one tick to the next must not change what the file becomes.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "engine/recode_tables.h"
#include "job/file_job.h"
#include "tests/support/line_engine_run.h"
#include "tests/support/recording_job_host.h"
#include "tests/support/reference_line_engines.h"
#include "tests/support/reference_text_engines.h"
#include "tests/support/reference_utf8_engines.h"
#include "tests/support/temp_dir.h"

namespace snpln {
namespace {

using job::CodePage;
using job::JobRequest;
using job::OperationCode;

struct Expected {
  std::string bytes;
  std::string line2; // the success message's second line
};

// `reference` takes the file and the page it is named to be in (for a
// single-byte file).
struct Operation {
  const char *name;
  std::function<void(JobRequest &)> setUp;
  std::function<Expected(const std::string &, CodePage)> reference;
};

std::string hits(const char *prefix, std::uint64_t n) {
  return prefix + std::to_string(n);
}

std::vector<Operation> operations() {
  const engine::ExclusionOptions word{true, true, true};
  return {
      {"smart case, save upper",
       [](JobRequest &r) {
         r.operation = OperationCode::SmartCase;
         r.saveUpper = 1;
       },
       [](const std::string &in, CodePage page) {
         return Expected{
             test::referenceCase(in, engine::CaseOperation::Smart, true, page),
             "with 'smart' case"};
       }},
      {"smart case",
       [](JobRequest &r) { r.operation = OperationCode::SmartCase; },
       [](const std::string &in, CodePage page) {
         return Expected{
             test::referenceCase(in, engine::CaseOperation::Smart, false, page),
             "with 'smart' case"};
       }},
      {"recode koi to dos",
       [](JobRequest &r) {
         r.operation = OperationCode::RecodeToDos;
         r.sourceCodePage = CodePage::Koi;
         r.targetCodePage = CodePage::Dos;
       },
       [](const std::string &in, CodePage) {
         std::string out = in;
         for (auto &c : out)
           c = static_cast<char>(engine::recodeByte(
               static_cast<std::uint8_t>(c), CodePage::Koi, CodePage::Dos));
         return Expected{out, "from ''Koi''  to ''Dos''"};
       }},
      {"replace whole words, any case",
       [word](JobRequest &r) {
         r.operation = OperationCode::Replace;
         r.searchText = "ab";
         r.replaceText = "XYZ";
         r.leftPartOfWord = word.leftPartOfWord;
         r.rightPartOfWord = word.rightPartOfWord;
         r.caseInsensitive = word.caseInsensitive;
       },
       [word](const std::string &in, CodePage page) {
         std::uint64_t n = 0;
         auto out = test::referenceExclusion(in, "ab", "XYZ", word, &n, page);
         return Expected{out, hits("and replaced with received string, Nr. "
                                   "of hits: ",
                                   n)};
       }},
      {"exclude",
       [](JobRequest &r) {
         r.operation = OperationCode::Exclude;
         r.searchText = "a a";
       },
       [](const std::string &in, CodePage page) {
         std::uint64_t n = 0;
         auto out = test::referenceExclusion(in, "a a", "", {}, &n, page);
         return Expected{out, hits("Number of hits: ", n)};
       }},
      {"optimize, tab size 3",
       [](JobRequest &r) {
         r.operation = OperationCode::Optimize;
         r.tabSize = 3;
       },
       [](const std::string &in, CodePage) {
         return Expected{test::referenceOptimize(in, 3).bytes, ""};
       }},
      {"delete empty lines",
       [](JobRequest &r) { r.operation = OperationCode::DeleteEmpty; },
       [](const std::string &in, CodePage) {
         std::uint64_t n = 0;
         auto out = test::referenceDeleteEmpty(in, &n).bytes;
         return Expected{out, hits("Number of hits: ", n)};
       }},
      {"line ends to CR LF",
       [](JobRequest &r) {
         r.operation = OperationCode::LineEnds;
         r.lineEnd = engine::LineEnd::CrLf;
       },
       [](const std::string &in, CodePage) {
         std::uint64_t n = 0;
         return Expected{test::referenceLineEnds(in, "\r\n", n),
                         "with CR LF line ends"};
       }},
  };
}

TEST(EnginesThroughFileJob, AgreeWithTheReferencesAtEverySliceSize) {
  test::TempDir dir;
  test::ChangeDirectory cd(dir.path());
  std::mt19937 rng(2026);
  std::vector<std::string> inputs = {"", "a", "\r", "ab\n\nAB",
                                     test::win1251("ёлка. ЁЖ. иван Ab-\r\nab")};
  for (int i = 0; i < 8; ++i)
    inputs.push_back(test::randomLineText(rng, 1 + rng() % 3000));
  // Texts dense in occurrences, capitals and sentence ends.
  const char *pieces[] = {"ab", "AB", "a a", "Ab",   "x",    "\r\n",
                          " ",  ". ", "\t",  "\xE0", "\xC0", "-"};
  for (int i = 0; i < 6; ++i) {
    std::string text;
    for (std::size_t n = rng() % 800; text.size() < n;)
      text += pieces[rng() % std::size(pieces)];
    inputs.push_back(text);
  }
  // Each file is named to be in one of the four pages, in turn.
  const CodePage pages[] = {CodePage::Win, CodePage::Koi, CodePage::Dos,
                            CodePage::Iso};
  for (const auto &operation : operations()) {
    for (std::size_t i = 0; i < inputs.size(); ++i) {
      const std::string &input = inputs[i];
      const CodePage page = pages[i % std::size(pages)];
      const Expected expected = operation.reference(input, page);
      for (std::size_t slice : {1u, 2u, 3u, 7u, 64u, 8192u}) {
        SCOPED_TRACE(std::string(operation.name) + ", slice " +
                     std::to_string(slice) + ", " +
                     std::to_string(input.size()) + " bytes, page " +
                     std::to_string(static_cast<int>(page)));
        dir.write("f.txt", input);
        test::RecordingJobHost host;
        JobRequest r;
        r.location = dir.file("f.txt");
        r.lastJob = 1;
        r.sourceCodePage = page;
        operation.setUp(r);
        job::FileJob job(r, host);
        job.setSliceSize(slice);
        ASSERT_EQ(job.run(), job::JobResult::Done);
        EXPECT_EQ(dir.read("f.txt"), expected.bytes);
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].second, expected.line2);
      }
    }
  }
}

// UTF-8 files: the job finds that they are UTF-8 and every engine works on
// characters.
std::vector<Operation> utf8Operations() {
  const engine::ExclusionOptions word{1, 1, 1};
  return {
      {"upper case",
       [](JobRequest &r) { r.operation = OperationCode::UpperCase; },
       [](const std::string &in, CodePage) {
         return Expected{
             test::referenceCaseUtf8(in, engine::CaseOperation::Upper, false),
             "with upper case"};
       }},
      {"lower case",
       [](JobRequest &r) { r.operation = OperationCode::LowerCase; },
       [](const std::string &in, CodePage) {
         return Expected{
             test::referenceCaseUtf8(in, engine::CaseOperation::Lower, false),
             "with lower case"};
       }},
      {"smart case",
       [](JobRequest &r) { r.operation = OperationCode::SmartCase; },
       [](const std::string &in, CodePage) {
         return Expected{
             test::referenceCaseUtf8(in, engine::CaseOperation::Smart, false),
             "with 'smart' case"};
       }},
      {"replace whole words, any case",
       [word](JobRequest &r) {
         r.operation = OperationCode::Replace;
         r.searchText = "мир";
         r.replaceText = "МИРУ";
         r.leftPartOfWord = word.leftPartOfWord;
         r.rightPartOfWord = word.rightPartOfWord;
         r.caseInsensitive = word.caseInsensitive;
       },
       [word](const std::string &in, CodePage) {
         std::uint64_t n = 0;
         auto out = test::referenceExclusionUtf8(in, "мир", "МИРУ", word, &n);
         return Expected{out, hits("and replaced with received string, Nr. "
                                   "of hits: ",
                                   n)};
       }},
      {"optimize, tab size 4",
       [](JobRequest &r) {
         r.operation = OperationCode::Optimize;
         r.tabSize = 4;
       },
       [](const std::string &in, CodePage) {
         return Expected{test::referenceOptimize(in, 4, true).bytes, ""};
       }},
  };
}

TEST(EnginesThroughFileJob, AgreeWithTheUtf8ReferencesAtEverySliceSize) {
  test::TempDir dir;
  test::ChangeDirectory cd(dir.path());
  std::mt19937 rng(2027);
  std::vector<std::string> inputs = {"ж", "Мир мир\r\nМИР, мир",
                                     test::russianProse()};
  for (int i = 0; i < 5; ++i)
    inputs.push_back("ё" + test::randomUtf8Text(rng, 1 + rng() % 3000));
  for (const auto &operation : utf8Operations()) {
    for (const auto &input : inputs) {
      const Expected expected = operation.reference(input, CodePage::Utf8);
      ASSERT_TRUE(test::referenceIsValidUtf8(expected.bytes));
      for (std::size_t slice : {1u, 2u, 3u, 7u, 64u, 8192u}) {
        SCOPED_TRACE(std::string(operation.name) + ", slice " +
                     std::to_string(slice) + ", " +
                     std::to_string(input.size()) + " bytes");
        dir.write("f.txt", input);
        test::RecordingJobHost host;
        JobRequest r;
        r.location = dir.file("f.txt");
        r.lastJob = 1;
        operation.setUp(r);
        job::FileJob job(r, host);
        job.setSliceSize(slice);
        ASSERT_EQ(job.run(), job::JobResult::Done);
        EXPECT_EQ(dir.read("f.txt"), expected.bytes);
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].second, expected.line2);
      }
    }
  }
}

} // namespace
} // namespace snpln
