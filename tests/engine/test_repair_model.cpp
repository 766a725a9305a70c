#include "engine/repair_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace snpln::engine {
namespace {

// The coder as the model's generator writes it: each gap's quotient in
// unary, then its remainder, most significant bit first.
std::vector<std::uint8_t> riceCode(const std::vector<std::uint64_t> &values,
                                   unsigned riceBits) {
  std::vector<std::uint8_t> out;
  std::size_t bits = 0;
  const auto put = [&](int bit) {
    if (bits % 8 == 0)
      out.push_back(0);
    if (bit)
      out.back() = static_cast<std::uint8_t>(out.back() | (0x80 >> bits % 8));
    ++bits;
  };
  std::uint64_t last = 0;
  for (const std::uint64_t v : values) {
    const std::uint64_t gap = v - last;
    last = v;
    for (std::uint64_t q = gap >> riceBits; q > 0; --q)
      put(1);
    put(0);
    for (unsigned k = riceBits; k-- > 0;)
      put(static_cast<int>((gap >> k) & 1));
  }
  return out;
}

std::vector<std::uint32_t> narrow(const std::vector<std::uint64_t> &values) {
  return {values.begin(), values.end()};
}

TEST(RepairModel, RiceSetsComeBackAsCoded) {
  struct Row {
    const char *what;
    std::vector<std::uint64_t> values;
    unsigned riceBits;
  };
  const std::vector<Row> rows = {
      {"nothing", {}, 5},
      {"zero first", {0, 1, 2}, 0},
      {"one value, remainder alone", {12345}, 16},
      {"the extremes", {0, 0xFFFFFFFFu}, 31},
      {"long unary runs", {1000, 1001, 5000}, 2},
      {"a padded last byte", {3, 9, 27, 81, 243, 729, 2187}, 3},
      {"gaps of the model's kind", {70000, 140001, 190000, 4000000000u}, 15},
  };
  for (const Row &row : rows) {
    const auto code = riceCode(row.values, row.riceBits);
    const auto set = decodeRiceSet(code.data(), code.size(), row.values.size(),
                                   row.riceBits);
    ASSERT_TRUE(set.has_value()) << row.what;
    EXPECT_EQ(*set, narrow(row.values)) << row.what;
  }
}

TEST(RepairModel, BrokenRiceSetsAreRefused) {
  const std::vector<std::uint64_t> values = {5, 600, 601, 90000};
  const auto code = riceCode(values, 8);
  struct Row {
    const char *what;
    std::vector<std::uint8_t> code;
    std::size_t count;
    unsigned riceBits;
  };
  std::vector<std::uint8_t> cut(code.begin(), code.end() - 1);
  std::vector<std::uint8_t> longer = code;
  longer.push_back(0);
  std::vector<std::uint8_t> dirtyPadding = code;
  dirtyPadding.back() = static_cast<std::uint8_t>(dirtyPadding.back() | 1);
  const auto twice = riceCode({7, 7}, 4); // a gap of 0 after the first
  const auto past = riceCode({0xFFFFFFFFu, 0x100000000u}, 20);
  const std::vector<std::uint8_t> allOnes(8, 0xFF);
  const std::vector<Row> rows = {
      {"a byte short", cut, values.size(), 8},
      {"a byte more", longer, values.size(), 8},
      {"padding not zero", dirtyPadding, values.size(), 8},
      {"more values asked than coded", code, values.size() + 1, 8},
      {"a value twice", twice, 2, 4},
      {"past 32 bits", past, 2, 20},
      {"a unary run without its end", allOnes, 1, 3},
      {"a parameter past 31 bits", code, values.size(), 32},
  };
  for (const Row &row : rows)
    EXPECT_FALSE(
        decodeRiceSet(row.code.data(), row.code.size(), row.count, row.riceBits)
            .has_value())
        << row.what;
}

std::vector<std::uint8_t> lettersOf(const std::u32string &word) {
  std::vector<std::uint8_t> letters;
  for (const char32_t c : word)
    letters.push_back(static_cast<std::uint8_t>(russianLetterOf(c)));
  return letters;
}

TEST(RepairModel, TheBuiltInKnownWordsDecode) {
  const auto set = decodeRiceSet(
      repair_model::kKnownWordCode, repair_model::kKnownWordCodeSize,
      repair_model::kKnownWordCount, repair_model::kKnownWordRiceBits);
  ASSERT_TRUE(set.has_value());
  ASSERT_EQ(set->size(), repair_model::kKnownWordCount);
  EXPECT_TRUE(std::is_sorted(set->begin(), set->end()));
  // The first, the last and one between are known; their neighbours (one
  // hash apart, free in a set this sparse) are not.
  for (const std::size_t i :
       {std::size_t{0}, set->size() / 2, set->size() - 1}) {
    const std::uint32_t h = (*set)[i];
    EXPECT_TRUE(isKnownWord(h)) << i;
    if (i + 1 == set->size() || (*set)[i + 1] != h + 1) {
      EXPECT_FALSE(isKnownWord(h + 1)) << i;
    }
  }
}

// Words the trigrams alone would read wrong where a lost byte leaves с, э
// or я (or a capital Ё, А, Н first) open, and the readings they would
// take: the word wins.
TEST(RepairModel, KnownWordsOutweighTheTrigrams) {
  const struct {
    std::u32string word;
    std::u32string wrong;
  } rows[] = {
      {U"снег", U"энег"},           {U"этим", U"стим"},
      {U"появилась", U"посвилась"}, {U"яблоки", U"сблоки"},
      {U"месяцев", U"мессцев"},     {U"нужный", U"аужный"},
  };
  for (const auto &row : rows) {
    const auto word = lettersOf(row.word);
    const auto wrong = lettersOf(row.wrong);
    const std::uint32_t h = wordHash(word.data(), word.size());
    EXPECT_TRUE(isKnownWord(h) || isCommonWord(h));
    EXPECT_GT(fitOfWord(word.data(), word.size()),
              fitOfWord(wrong.data(), wrong.size()));
  }
}

} // namespace
} // namespace snpln::engine
