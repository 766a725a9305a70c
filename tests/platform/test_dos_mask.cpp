// The DOS wildcard dialect of the directory search: the masks of the
// filter box.
#include <cstdint>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "platform/file_system.h"

namespace snpln::platform {
namespace {

struct Case {
  const char *name;
  const char *mask;
  bool matches;
};

const Case kCases[] = {
    // Literal names, ASCII letters regardless of case.
    {"readme.txt", "readme.txt", true},
    {"README.TXT", "readme.txt", true},
    {"readme.txt", "README.TXT", true},
    {"readme.txt", "readme.tx", false},
    {"readme.tx", "readme.txt", false},
    {"a", "b", false},
    {"", "", true},
    {"a", "", false},
    // '*' any run, also an empty one.
    {"a.txt", "*.txt", true},
    {".txt", "*.txt", true},
    {"a.txt.bak", "*.txt", false},
    {"a.TXT", "*.txt", true},
    {"a.txt", "*", true},
    {"", "*", true},
    {"abc", "a*", true},
    {"abc", "*c", true},
    {"abc", "a*c", true},
    {"ac", "a*c", true},
    {"abd", "a*c", false},
    {"abcbc", "a*bc", true},
    {"index.html", "*.htm*", true},
    {"index.htm", "*.htm*", true},
    {"index.txt", "*.htm*", false},
    {"x.y.z", "*.*.*", true},
    {"aaa", "***", true},
    {"abc", "a**c", true},
    // '?' exactly one character.
    {"a.txt", "?.txt", true},
    {"ab.txt", "?.txt", false},
    {".txt", "?.txt", false},
    {"abc", "???", true},
    {"ab", "???", false},
    {"abcd", "???", false},
    {"a.b", "a?b", true},
    {"a*b", "a?b", true},
    // "*.*" every name, with or without a dot.
    {"a.txt", "*.*", true},
    {"noext", "*.*", true},
    {".hidden", "*.*", true},
    {".", "*.*", true},
    {"..", "*.*", true},
    {"a.b.c", "*.*", true},
    // A mask ending in ".*" also matches when the part before it matches
    // the whole name.
    {"abc", "abc.*", true},
    {"ABC", "abc.*", true},
    {"abc.d", "abc.*", true},
    {"abc.d.e", "abc.*", true},
    {"abcd", "abc.*", false},
    {"ab", "abc.*", false},
    {"a.b", "*b.*", true},
    {"x.txt", "*.txt.*", true},
    {"x.txt.gz", "*.txt.*", true},
    {"x.tx", "*.txt.*", false},
    // Everything else is literal.
    {"a.txt", "a_txt", false},
    {"a[1].txt", "a[1].txt", true},
    {"a1.txt", "a[1].txt", false},
    {"a+b", "a+b", true},
    {"a\\b", "a\\b", true},
    // A name that is not UTF-8 (a single-byte page's): bytes above 0x7F
    // match only themselves (no case folding), '?' is one byte.
    {"\xCF\xF0\xE8\xE2\xE5\xF2.txt", "*.txt", true},
    {"\xCF\xF0\xE8", "\xCF\xF0\xE8", true},
    {"\xCF\xF0\xE8", "\xEF\xF0\xE8", false},
    {"\xCF", "?", true},
    {"\xE6\xF1.txt", "??.txt", true},
    {"\xE6\xF1.txt", "?.txt", false},
    {"\xD0", "?", true},
    {"\xC0\x80", "??", true},      // an overlong form is no character
    {"\xED\xA0\x80", "???", true}, // nor a surrogate
    // A UTF-8 name: '?' and '*' count characters, Cyrillic letters match
    // regardless of case.
    {"ж.txt", "?.txt", true},
    {"ж.txt", "??.txt", false},
    {"привет.txt", "??????.txt", true},
    {"привет.txt", "???????.txt", false},
    {"ПРИВЕТ.TXT", "привет.txt", true},
    {"привет.txt", "ПРИВЕТ.*", true},
    {"Привет", "п*т", true},
    {"ПРИВЕТ.txt", "*т.txt", true},
    {"ёлка", "Ёлка", true},
    {"ЁЛКА", "ёлка", true},
    {"ёлка", "елка", false},
    {"Їжак", "їжак", true},
    {"ґ", "Ґ", true},
    {"Ѣ", "ѣ", true},
    {"Ә", "ә", true},
    {"Ӂ", "ӂ", true},
    {"Ӏ", "ӏ", true},
    {"ж", "Ж", true},
    {"ж", "з", false},
    {"日本.txt", "??.txt", true},
    {"😀", "?", true},
    {"a😀b", "a?b", true},
    // A mask byte that is not UTF-8 matches no character of a UTF-8 name.
    {"ж", "\xD0", false},
    {"ж", "\xD0?", false},
};

class DosMaskTable : public ::testing::TestWithParam<Case> {};

// The most steps the matcher may take: name length x mask length, for each
// of its two tries (the second for a mask ending in ".*").
std::uint64_t stepBound(const std::string &name, const std::string &mask) {
  return 2 * (name.size() + 1) * (mask.size() + 1);
}

TEST_P(DosMaskTable, Matches) {
  const Case &c = GetParam();
  EXPECT_EQ(matchesDosMask(c.name, c.mask), c.matches)
      << "name \"" << c.name << "\" mask \"" << c.mask << "\"";
  std::uint64_t steps = 0;
  EXPECT_EQ(matchesDosMask(c.name, c.mask, steps), c.matches)
      << "counted: name \"" << c.name << "\" mask \"" << c.mask << "\"";
  EXPECT_LE(steps, stepBound(c.name, c.mask))
      << "name \"" << c.name << "\" mask \"" << c.mask << "\"";
}

INSTANTIATE_TEST_SUITE_P(Cases, DosMaskTable, ::testing::ValuesIn(kCases));

TEST(DosMask, NamesWithZeroBytesAreComparedWhole) {
  EXPECT_FALSE(matchesDosMask(std::string("a\0b", 3), "a"));
  EXPECT_TRUE(matchesDosMask(std::string("a\0b", 3), "a?b"));
}

// Masks that make a back-tracking matcher try every way to split the name
// among the stars: the work stays within name length x mask length,
// counted in the matcher's steps (an exponential matcher takes some 10^8
// on the short name already).
TEST(DosMask, NoExponentialBacktracking) {
  struct WorkCase {
    const char *mask;
    bool matches;   // on the name of 'a's
    bool matchesAB; // on the same name with a 'b' after it
  };
  const WorkCase cases[] = {
      {"*a*a*a*a*b", false, true},
      {"*a*a*a*a*a*a*a*a*a*a*a*a*b", false, true},
      {"*?*?*?*?*?*?*b.*", false, true},
      {"*a*a*a*a*a", true, false},
      {"*a*?*a*?*a*?*a*?*a*?*a*?*a*?*a*?", true, true},
  };
  for (const std::size_t length : {30u, 20000u}) {
    const std::string as(length, 'a');
    for (const WorkCase &c : cases) {
      for (const bool withB : {false, true}) {
        const std::string name = withB ? as + "b" : as;
        std::uint64_t steps = 0;
        EXPECT_EQ(matchesDosMask(name, c.mask, steps),
                  withB ? c.matchesAB : c.matches)
            << c.mask << " on " << name.size() << " bytes";
        EXPECT_LE(steps, stepBound(name, c.mask))
            << c.mask << " on " << name.size() << " bytes";
        EXPECT_GT(steps, 0u) << c.mask;
      }
    }
  }
}

} // namespace
} // namespace snpln::platform
