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
// the text begins with taken off; a text already as asked stays as it is.
std::string reference(const std::string &text, BomChange change,
                      const std::string &mark = kBom) {
  const bool has = text.compare(0, mark.size(), mark) == 0;
  if (change == BomChange::Add)
    return has ? text : mark + text;
  return has ? text.substr(mark.size()) : text;
}

std::string run(const std::string &text, BomChange change, std::size_t slice,
                engine::BomMark mark = engine::BomMark::Utf8,
                bool *asAsked = nullptr) {
  MemoryStream m(text, slice);
  engine::BomState state(change, mark);
  StepResult result = StepResult::Continue;
  for (std::size_t steps = 0;
       steps < text.size() + 3 && result == StepResult::Continue; ++steps)
    result = engine::bomSlice(m.stream, state);
  EXPECT_EQ(result, StepResult::Finished);
  if (asAsked)
    *asAsked = state.alreadyAsAsked;
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

// Each mark, added and removed, at every slice size; a text already as
// asked passes unchanged and says so.
TEST(BomSlice, EachMarkAddedOrRemovedUnlessAlreadyAsAsked) {
  const struct {
    engine::BomMark mark;
    std::string bytes;
  } marks[] = {{engine::BomMark::Utf8, kBom},
               {engine::BomMark::Utf16Le, "\xFF\xFE"},
               {engine::BomMark::Utf16Be, "\xFE\xFF"}};
  for (const auto &m : marks)
    for (const std::string &body :
         {std::string(), std::string("x"), std::string("\x1F\x04\n\0", 4),
          m.bytes, std::string(9000, 'q')})
      for (const std::string &text : {body, m.bytes + body})
        for (const BomChange change : {BomChange::Add, BomChange::Remove})
          for (std::size_t slice : {1u, 2u, 3u, 7u, 8192u}) {
            bool asAsked = false;
            EXPECT_EQ(run(text, change, slice, m.mark, &asAsked),
                      reference(text, change, m.bytes))
                << testing::PrintToString(text) << " slice " << slice;
            const bool has = text.compare(0, m.bytes.size(), m.bytes) == 0;
            EXPECT_EQ(asAsked, has == (change == BomChange::Add));
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
