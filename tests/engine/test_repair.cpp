// The repair of garbled text: chains found and undone on short texts, the
// streaming step against the plain whole-buffer form at every slice size,
// faults and their places, and clean text left alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "engine/repair_slice.h"
#include "tests/support/garbled_samples.h"
#include "tests/support/memory_file.h"
#include "tests/support/russian_samples.h"

namespace snpln::engine {
namespace {

using test::chainOf;
using test::describe;
using test::garble;
using test::LostByte;
using P = RepairPage;

const std::uint8_t *bytesOf(const std::string &s) {
  return reinterpret_cast<const std::uint8_t *>(s.data());
}

// The streaming step over `text` in slices of `sliceSize`, the plan given.
RepairOutcome runSlices(const RepairPlan &plan, const std::string &text,
                        std::size_t sliceSize) {
  test::MemoryStream m(text, sliceSize);
  RepairState state(plan);
  RepairOutcome outcome;
  outcome.plan = plan;
  const StepResult r =
      test::runSteps([&] { return repairSlice(m.stream, state); });
  if (r == StepResult::BadText) {
    outcome.fault = state.fault;
    outcome.faultOffset = state.faultOffset;
  }
  outcome.text = m.out.data;
  outcome.linesRepaired = state.linesRepaired;
  return outcome;
}

struct ChainCase {
  const char *name;
  RepairChain chain;
  LostByte lost;
};

TEST(RepairChains, UndoTheDamageOfEachKind) {
  const std::string text = "Привет, мир! Изба и щётка.\n"
                           "Ёлки стоят у входа в библиотеку.\n";
  const std::vector<ChainCase> cases = {
      {"utf8 as 1251", chainOf({{P::Utf8, P::Win}}), LostByte::AsControl},
      {"utf8 as 1251, 0x98 as ?", chainOf({{P::Utf8, P::Win}}),
       LostByte::AsQuestionMark},
      {"utf8 as 1251, 0x98 lost", chainOf({{P::Utf8, P::Win}}),
       LostByte::Dropped},
      {"utf8 as 1252", chainOf({{P::Utf8, P::Win1252}}), LostByte::AsControl},
      {"utf8 as 1252, ?", chainOf({{P::Utf8, P::Win1252}}),
       LostByte::AsQuestionMark},
      {"utf8 as latin-1", chainOf({{P::Utf8, P::Latin1}}), LostByte::AsControl},
      {"utf8 as cp866", chainOf({{P::Utf8, P::Dos}}), LostByte::AsControl},
      {"utf8 as koi8-r", chainOf({{P::Utf8, P::Koi}}), LostByte::AsControl},
      {"utf8 as iso-8859-5", chainOf({{P::Utf8, P::Iso}}), LostByte::AsControl},
      {"1251 as 1252", chainOf({{P::Win, P::Win1252}}), LostByte::AsControl},
      {"koi8-r as 1251", chainOf({{P::Koi, P::Win}}), LostByte::AsControl},
      {"1251 as koi8-r", chainOf({{P::Win, P::Koi}}), LostByte::AsControl},
      {"cp866 as 1251", chainOf({{P::Dos, P::Win}}), LostByte::AsControl},
      {"iso as cp866", chainOf({{P::Iso, P::Dos}}), LostByte::AsControl},
      {"utf8 as 1251 twice", chainOf({{P::Utf8, P::Win}, {P::Utf8, P::Win}}),
       LostByte::AsControl},
      {"utf8 as 1251, then as 1252",
       chainOf({{P::Utf8, P::Win}, {P::Utf8, P::Win1252}}),
       LostByte::AsControl},
      {"koi8-r as 1251, then utf8 as 1252",
       chainOf({{P::Koi, P::Win}, {P::Utf8, P::Win1252}}),
       LostByte::AsControl},
      {"utf8 as 866, 1251, 1252",
       chainOf({{P::Utf8, P::Dos}, {P::Utf8, P::Win}, {P::Utf8, P::Win1252}}),
       LostByte::AsControl},
      {"utf8 stored as read in 1251, ?",
       chainOf({{P::Utf8, P::Win}}, true), LostByte::AsQuestionMark},
      {"utf8 stored as read in 1252, lost",
       chainOf({{P::Utf8, P::Win1252}}, true), LostByte::Dropped},
  };
  for (const ChainCase &c : cases) {
    SCOPED_TRACE(c.name);
    const auto garbled = garble(text, c.chain, c.lost);
    ASSERT_TRUE(garbled.has_value());
    const RepairOutcome out = repairText(bytesOf(*garbled), garbled->size());
    EXPECT_EQ(out.plan.mode, RepairMode::Whole)
        << "garbled: " << *garbled << "\nchain: " << describe(out.plan.chain());
    EXPECT_EQ(out.text, text) << "garbled: " << *garbled
                              << "\nchain found: " << describe(out.plan.chain());
  }
}

// Texts of every mode: one chain over all, lost bytes mended inside words
// cut by slices, lines garbled and clean in turn, a line longer than the
// limit, a fault near the end.
std::vector<std::pair<std::string, std::string>> streamingTexts() {
  std::string prose = test::allRussianProse();
  prose.resize(prose.find('\n', 3000) + 1);
  std::vector<std::pair<std::string, std::string>> texts;
  const auto add = [&](const char *name, const std::optional<std::string> &t) {
    ASSERT_TRUE(t.has_value()) << name;
    texts.emplace_back(name, *t);
  };
  add("utf8 as 1251", garble(prose, chainOf({{P::Utf8, P::Win}})));
  add("utf8 as 1251, 0x98 lost",
      garble("Иван Ильич и Ирина. " + prose, chainOf({{P::Utf8, P::Win}}),
             LostByte::Dropped));
  add("utf8 as 1252, ?",
      garble(prose, chainOf({{P::Utf8, P::Win1252}}), LostByte::AsQuestionMark));
  add("koi8-r as 1251", garble(prose, chainOf({{P::Koi, P::Win}})));
  add("utf8 as 1251 twice",
      garble(prose, chainOf({{P::Utf8, P::Win}, {P::Utf8, P::Win}})));
  add("stored as read, 1251, ?",
      garble("Иван Ильич. " + prose, chainOf({{P::Utf8, P::Win}}, true),
             LostByte::AsQuestionMark));
  std::string lines;
  std::size_t start = 0;
  for (int i = 0; start < prose.size(); ++i) {
    std::size_t end = prose.find('\n', start);
    end = end == std::string::npos ? prose.size() : end + 1;
    const std::string line = prose.substr(start, end - start);
    lines += i % 2 ? *garble(line, chainOf({{P::Utf8, P::Win}})) : line;
    start = end;
  }
  add("every other line", lines);
  add("a long line", garble(std::string(70000, 'x') + " " + prose,
                            chainOf({{P::Utf8, P::Win}})));
  return texts;
}

TEST(RepairSlice, AgreesWithThePlainFormAtEverySliceSize) {
  for (const auto &[name, text] : streamingTexts()) {
    const RepairOutcome plain = repairText(bytesOf(text), text.size());
    ASSERT_NE(plain.plan.mode, RepairMode::None) << name;
    for (const std::size_t slice : {1, 2, 3, 7, 64, 8192}) {
      SCOPED_TRACE(std::string(name) + ", slice " + std::to_string(slice));
      const RepairOutcome streamed = runSlices(plain.plan, text, slice);
      EXPECT_EQ(streamed.fault, plain.fault);
      EXPECT_EQ(streamed.faultOffset, plain.faultOffset);
      EXPECT_EQ(streamed.linesRepaired, plain.linesRepaired);
      ASSERT_EQ(streamed.text.size(), plain.text.size());
      EXPECT_TRUE(streamed.text == plain.text)
          << "first difference at "
          << std::mismatch(streamed.text.begin(), streamed.text.end(),
                           plain.text.begin())
                     .first -
                 streamed.text.begin();
    }
  }
}

} // namespace
} // namespace snpln::engine
