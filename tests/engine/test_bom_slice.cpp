#include "engine/bom_slice.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/support/memory_file.h"

namespace snpln::test {
namespace {

using engine::BomChange;
using engine::StepResult;

const std::string kBom = "\xEF\xBB\xBF";

// The whole-buffer reference: the mark put before the text, or the one
// the text begins with taken off (the job only asks for that).
std::string reference(const std::string &text, BomChange change) {
  return change == BomChange::Add ? kBom + text : text.substr(3);
}

std::string run(const std::string &text, BomChange change, std::size_t slice) {
  MemoryStream m(text, slice);
  engine::BomState state(change);
  StepResult result = StepResult::Continue;
  for (std::size_t steps = 0;
       steps < text.size() + 3 && result == StepResult::Continue; ++steps)
    result = engine::bomSlice(m.stream, state);
  EXPECT_EQ(result, StepResult::Finished);
  return m.out.data;
}

TEST(BomSlice, StreamingEqualsTheReferenceAtEverySliceSize) {
  std::mt19937 rng(6);
  std::vector<std::string> texts = {"", "a", "\xD0\x9F\xD1\x80\r\n",
                                    std::string(20000, 'x')};
  for (int i = 0; i < 20; ++i) {
    std::string text(rng() % 300, ' ');
    for (char &c : text)
      c = static_cast<char>(rng() & 0xFF);
    texts.push_back(text);
  }
  for (const std::string &text : texts)
    for (std::size_t slice : {1u, 2u, 3u, 7u, 64u, 8192u}) {
      EXPECT_EQ(run(text, BomChange::Add, slice),
                reference(text, BomChange::Add))
          << text.size() << " bytes, slice " << slice;
      const std::string marked = kBom + text;
      EXPECT_EQ(run(marked, BomChange::Remove, slice), text)
          << text.size() << " bytes, slice " << slice;
      // Only the mark at the start goes: one further mark stays.
      EXPECT_EQ(run(kBom + kBom + text, BomChange::Remove, slice), marked);
    }
}

TEST(BomSlice, BeginsWithBom) {
  const auto *bytes = reinterpret_cast<const std::uint8_t *>("\xEF\xBB\xBFx");
  EXPECT_TRUE(engine::beginsWithBom(bytes, 4));
  EXPECT_TRUE(engine::beginsWithBom(bytes, 3));
  EXPECT_FALSE(engine::beginsWithBom(bytes, 2));
  EXPECT_FALSE(engine::beginsWithBom(bytes + 1, 3));
}

} // namespace
} // namespace snpln::test
