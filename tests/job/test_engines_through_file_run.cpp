// Every engine run by a real file's run over real files, with small and
// large slices, alone and in chains of stages, against the whole-buffer
// references: the state an engine carries from one step to the next, and
// the stages before and after it, must not change what the file becomes.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>

#include "engine/recode_tables.h"
#include "engine/repair_slice.h"
#include "job/file_run.h"
#include "tests/support/file_runs.h"
#include "tests/support/garbled_samples.h"
#include "tests/support/line_engine_run.h"
#include "tests/support/reference_line_engines.h"
#include "tests/support/reference_text_engines.h"
#include "tests/support/reference_utf16.h"
#include "tests/support/reference_utf8_engines.h"
#include "tests/support/temp_dir.h"

namespace snpln {
namespace {

using job::CodePage;
using job::OperationCode;
using JobRequest = test::FileRequest;

const std::string kIdentical =
    "Nothing in this file would change: it is left as it was";

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

// Runs the request over the file, which holds `input`: the file becomes
// the expected bytes, and the run says so (or that nothing changed).
void expectRun(const JobRequest &r, std::size_t slice, const std::string &input,
               const Expected &expected) {
  const job::FileReport file = test::runRequest(r, slice);
  const bool same = expected.bytes == input;
  ASSERT_EQ(file.result, same ? job::JobResult::Skipped : job::JobResult::Done)
      << (file.failure() ? test::reportLineOf(*file.failure()) : "");
  EXPECT_EQ(test::shownLines(file.operations.back()).second,
            same ? kIdentical : expected.line2);
  std::ifstream in(r.location.path(), std::ios::binary);
  const std::string after((std::istreambuf_iterator<char>(in)),
                          std::istreambuf_iterator<char>());
  // Where they part, with a few bytes around it (the texts are long).
  const auto at = static_cast<std::size_t>(
      std::mismatch(after.begin(), after.end(), expected.bytes.begin(),
                    expected.bytes.end())
          .first -
      after.begin());
  const std::size_t from = at < 20 ? 0 : at - 20;
  EXPECT_EQ(after.size(), expected.bytes.size());
  EXPECT_EQ(after.substr(from, 40), expected.bytes.substr(from, 40))
      << "the file parts from the reference at byte " << at;
}

std::vector<Operation> operations() {
  const engine::ExclusionOptions word{true, true, true};
  return {
      {"smart case, save upper",
       [](JobRequest &r) {
         r.only(OperationCode::SmartCase);
         r.saveUpper = 1;
       },
       [](const std::string &in, CodePage page) {
         return Expected{
             test::referenceCase(in, engine::CaseOperation::Smart, true, page),
             "with 'smart' case"};
       }},
      {"smart case", [](JobRequest &r) { r.only(OperationCode::SmartCase); },
       [](const std::string &in, CodePage page) {
         return Expected{
             test::referenceCase(in, engine::CaseOperation::Smart, false, page),
             "with 'smart' case"};
       }},
      {"recode koi to dos",
       [](JobRequest &r) {
         r.only(OperationCode::RecodeToDos);
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
         r.only(OperationCode::Replace);
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
         r.only(OperationCode::Exclude);
         r.searchText = "a a";
       },
       [](const std::string &in, CodePage page) {
         std::uint64_t n = 0;
         auto out = test::referenceExclusion(in, "a a", "", {}, &n, page);
         return Expected{out, hits("Number of hits: ", n)};
       }},
      {"optimize, tab size 3",
       [](JobRequest &r) {
         r.only(OperationCode::Optimize);
         r.tabSize = 3;
       },
       [](const std::string &in, CodePage) {
         return Expected{test::referenceOptimize(in, 3).bytes, ""};
       }},
      {"delete empty lines",
       [](JobRequest &r) { r.only(OperationCode::DeleteEmpty); },
       [](const std::string &in, CodePage) {
         std::uint64_t n = 0;
         auto out = test::referenceDeleteEmpty(in, &n).bytes;
         return Expected{out, hits("Number of hits: ", n)};
       }},
      {"line ends to CR LF",
       [](JobRequest &r) {
         r.only(OperationCode::LineEnds);
         r.lineEnd = engine::LineEnd::CrLf;
       },
       [](const std::string &in, CodePage) {
         std::uint64_t n = 0;
         return Expected{test::referenceLineEnds(in, "\r\n", n),
                         "with CR LF line ends"};
       }},
  };
}

TEST(EnginesThroughFileRun, AgreeWithTheReferencesAtEverySliceSize) {
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
        JobRequest r;
        r.location = dir.file("f.txt");
        r.sourceCodePage = page;
        operation.setUp(r);
        expectRun(r, slice, input, expected);
      }
    }
  }
}

// UTF-8 files: the job finds that they are UTF-8 and every engine works on
// characters.
std::vector<Operation> utf8Operations() {
  const engine::ExclusionOptions word{1, 1, 1};
  return {
      {"upper case", [](JobRequest &r) { r.only(OperationCode::UpperCase); },
       [](const std::string &in, CodePage) {
         return Expected{
             test::referenceCaseUtf8(in, engine::CaseOperation::Upper, false),
             "with upper case"};
       }},
      {"lower case", [](JobRequest &r) { r.only(OperationCode::LowerCase); },
       [](const std::string &in, CodePage) {
         return Expected{
             test::referenceCaseUtf8(in, engine::CaseOperation::Lower, false),
             "with lower case"};
       }},
      {"smart case", [](JobRequest &r) { r.only(OperationCode::SmartCase); },
       [](const std::string &in, CodePage) {
         return Expected{
             test::referenceCaseUtf8(in, engine::CaseOperation::Smart, false),
             "with 'smart' case"};
       }},
      {"replace whole words, any case",
       [word](JobRequest &r) {
         r.only(OperationCode::Replace);
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
         r.only(OperationCode::Optimize);
         r.tabSize = 4;
       },
       [](const std::string &in, CodePage) {
         return Expected{test::referenceOptimize(in, 4, true).bytes, ""};
       }},
  };
}

TEST(EnginesThroughFileRun, AgreeWithTheUtf8ReferencesAtEverySliceSize) {
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
        JobRequest r;
        r.location = dir.file("f.txt");
        operation.setUp(r);
        expectRun(r, slice, input, expected);
      }
    }
  }
}

// Chains of stages: several operations over one file in one pass, each
// stage reading the one before it through a pipe, against the references
// applied one after another.
struct Chain {
  const char *name;
  std::function<void(JobRequest &)> setUp;
  std::function<Expected(const std::string &)> reference;
};

std::vector<Chain> singleByteChains() {
  const engine::ExclusionOptions word{true, true, true};
  return {
      {"smart case, exclude, optimize, delete empty lines",
       [](JobRequest &r) {
         r.operations = {OperationCode::SmartCase, OperationCode::Exclude,
                         OperationCode::Optimize, OperationCode::DeleteEmpty};
         r.searchText = "a a";
         r.tabSize = 3;
       },
       [](const std::string &in) {
         std::uint64_t excluded = 0, deleted = 0;
         const std::string cased = test::referenceCase(
             in, engine::CaseOperation::Smart, false, CodePage::Koi);
         const std::string out =
             test::referenceDeleteEmpty(
                 test::referenceOptimize(
                     test::referenceExclusion(cased, "a a", "", {}, &excluded,
                                              CodePage::Koi),
                     3)
                     .bytes,
                 &deleted)
                 .bytes;
         return Expected{out, hits("Number of hits: ", deleted)};
       }},
      {"recode to CP866, line ends, replace whole words",
       [word](JobRequest &r) {
         r.operations = {OperationCode::RecodeToDos, OperationCode::LineEnds,
                         OperationCode::Replace};
         r.targetCodePage = CodePage::Dos;
         r.lineEnd = engine::LineEnd::CrLf;
         r.searchText = "ab";
         r.replaceText = "XYZ";
         r.leftPartOfWord = word.leftPartOfWord;
         r.rightPartOfWord = word.rightPartOfWord;
         r.caseInsensitive = word.caseInsensitive;
       },
       [word](const std::string &in) {
         std::string dos = in;
         for (auto &c : dos)
           c = static_cast<char>(engine::recodeByte(
               static_cast<std::uint8_t>(c), CodePage::Koi, CodePage::Dos));
         std::uint64_t changed = 0, n = 0;
         const std::string out = test::referenceExclusion(
             test::referenceLineEnds(dos, "\r\n", changed), "ab", "XYZ", word,
             &n, CodePage::Dos);
         return Expected{
             out, hits("and replaced with received string, Nr. of hits: ", n)};
       }},
      {"upper case, line ends, optimize",
       [](JobRequest &r) {
         r.operations = {OperationCode::UpperCase, OperationCode::LineEnds,
                         OperationCode::Optimize};
         r.lineEnd = engine::LineEnd::Lf;
         r.tabSize = 5;
       },
       [](const std::string &in) {
         std::uint64_t changed = 0;
         const std::string out =
             test::referenceOptimize(
                 test::referenceLineEnds(
                     test::referenceCase(in, engine::CaseOperation::Upper,
                                         false, CodePage::Koi),
                     "\n", changed),
                 5)
                 .bytes;
         return Expected{out, ""};
       }},
      // Through UTF-16 units: the line ends learn the target's.
      {"recode to UTF-16, line ends",
       [](JobRequest &r) {
         r.operations = {OperationCode::RecodeToUtf16, OperationCode::LineEnds};
         r.targetCodePage = CodePage::Utf16;
         r.lineEnd = engine::LineEnd::CrLf;
       },
       [](const std::string &in) {
         std::uint64_t changed = 0;
         return Expected{test::referenceUtf16Recode(
                             test::referenceLineEnds(in, "\r\n", changed),
                             CodePage::Koi, CodePage::Utf16)
                             .out,
                         "with CR LF line ends"};
       }},
  };
}

TEST(EnginesThroughFileRun, ChainsAgreeWithTheReferencesAtEverySliceSize) {
  test::TempDir dir;
  test::ChangeDirectory cd(dir.path());
  std::mt19937 rng(2030);
  std::vector<std::string> inputs = {"", "a", "\r", "ab\n\nAB   x",
                                     test::win1251("ёлка. ЁЖ. иван Ab-\r\nab")};
  for (int i = 0; i < 6; ++i)
    inputs.push_back(test::randomLineText(rng, 1 + rng() % 3000));
  const char *pieces[] = {"ab", "AB", "a a", "Ab", "x",    "\r\n",
                          " ",  ". ", "\t",  "\n", "\xE0", "\xC0"};
  for (int i = 0; i < 4; ++i) {
    std::string text;
    for (std::size_t n = rng() % 9000; text.size() < n;)
      text += pieces[rng() % std::size(pieces)];
    inputs.push_back(text);
  }
  for (const Chain &chain : singleByteChains())
    for (const std::string &input : inputs) {
      const Expected expected = chain.reference(input);
      for (std::size_t slice : {1u, 2u, 3u, 7u, 64u, 8192u}) {
        SCOPED_TRACE(std::string(chain.name) + ", slice " +
                     std::to_string(slice) + ", " +
                     std::to_string(input.size()) + " bytes");
        dir.write("f.txt", input);
        JobRequest r;
        r.location = dir.file("f.txt");
        r.sourceCodePage = CodePage::Koi;
        chain.setUp(r);
        expectRun(r, slice, input, expected);
      }
    }
}

TEST(EnginesThroughFileRun, Utf8ChainsAgreeWithTheReferencesAtEverySliceSize) {
  test::TempDir dir;
  test::ChangeDirectory cd(dir.path());
  std::mt19937 rng(2031);
  std::vector<std::string> inputs = {"ж", "Мир мир\r\nМИР,    мир\n\n",
                                     test::russianProse()};
  for (int i = 0; i < 4; ++i)
    inputs.push_back("ё" + test::randomUtf8Text(rng, 1 + rng() % 3000));
  const engine::ExclusionOptions word{true, true, true};
  for (const std::string &input : inputs) {
    std::uint64_t changed = 0, n = 0;
    const std::string upper =
        test::referenceCaseUtf8(input, engine::CaseOperation::Upper, false);
    const std::string replaced = test::referenceExclusionUtf8(
        test::referenceLineEnds(upper, "\r\n", changed), "мир", "МИРУ", word,
        &n);
    // The mark is no column, and no letter.
    const Expected expected{
        "\xEF\xBB\xBF" + test::referenceOptimize(replaced, 4, true).bytes, ""};
    for (std::size_t slice : {1u, 2u, 3u, 7u, 64u, 8192u}) {
      SCOPED_TRACE("slice " + std::to_string(slice) + ", " +
                   std::to_string(input.size()) + " bytes");
      dir.write("f.txt", input);
      JobRequest r;
      r.location = dir.file("f.txt");
      r.operations = {OperationCode::UpperCase, OperationCode::LineEnds,
                      OperationCode::Bom, OperationCode::Replace,
                      OperationCode::Optimize};
      r.lineEnd = engine::LineEnd::CrLf;
      r.bom = engine::BomChange::Add;
      r.searchText = "мир";
      r.replaceText = "МИРУ";
      r.leftPartOfWord = word.leftPartOfWord;
      r.rightPartOfWord = word.rightPartOfWord;
      r.caseInsensitive = word.caseInsensitive;
      r.tabSize = 4;
      expectRun(r, slice, input, expected);
    }
  }
}

// The repair first, then operations on the UTF-8 it hands on: what one
// pass makes is the plain repair followed by the plain references, for a
// file garbled as a whole, one garbled line by line, and a clean one the
// repair leaves to the others.
TEST(EnginesThroughFileRun,
     RepairChainsAgreeWithTheReferencesAtEverySliceSize) {
  test::TempDir dir;
  test::ChangeDirectory cd(dir.path());
  using engine::RepairPage;
  const std::string prose = test::russianProse();
  std::string mixed;
  bool odd = false;
  for (std::size_t at = 0; at < prose.size();) {
    const std::size_t end = std::min(prose.find('\n', at), prose.size() - 1);
    const std::string line = prose.substr(at, end + 1 - at);
    mixed +=
        odd ? test::garble(line,
                           test::chainOf({{RepairPage::Utf8, RepairPage::Win}}))
                  .value_or(line)
            : line;
    odd = !odd;
    at = end + 1;
  }
  struct Input {
    const char *name;
    std::string bytes;
    bool repaired;
  };
  const Input inputs[] = {
      {"one layer",
       *test::garble(prose,
                     test::chainOf({{RepairPage::Utf8, RepairPage::Win}})),
       true},
      {"two layers",
       *test::garble(prose,
                     test::chainOf({{RepairPage::Utf8, RepairPage::Win},
                                    {RepairPage::Utf8, RepairPage::Dos}})),
       true},
      {"Windows-1251 read as KOI8-R",
       *test::garble(prose,
                     test::chainOf({{RepairPage::Win, RepairPage::Koi}})),
       true},
      {"every other line", mixed, true},
      {"clean", prose, false},
  };
  for (const Input &input : inputs) {
    const engine::RepairOutcome repaired = engine::repairText(
        reinterpret_cast<const std::uint8_t *>(input.bytes.data()),
        input.bytes.size());
    ASSERT_EQ(repaired.fault, engine::UndoFault::None) << input.name;
    ASSERT_EQ(repaired.plan.mode != engine::RepairMode::None, input.repaired)
        << input.name;
    std::uint64_t changed = 0;
    const Expected expected{
        test::referenceLineEnds(
            test::referenceCaseUtf8(repaired.text, engine::CaseOperation::Upper,
                                    false),
            "\r\n", changed),
        "with CR LF line ends"};
    for (std::size_t slice : {1u, 2u, 3u, 7u, 64u, 8192u}) {
      SCOPED_TRACE(std::string(input.name) + ", slice " +
                   std::to_string(slice));
      dir.write("f.txt", input.bytes);
      JobRequest r;
      r.location = dir.file("f.txt");
      r.operations = {OperationCode::Repair, OperationCode::UpperCase,
                      OperationCode::LineEnds};
      r.lineEnd = engine::LineEnd::CrLf;
      expectRun(r, slice, input.bytes, expected);
    }
  }
}

} // namespace
} // namespace snpln
