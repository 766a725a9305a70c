// The DOS wildcard dialect of the directory search: the masks of the
// filter box.
#include <chrono>
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
    // Bytes above 0x7F match only themselves (no case folding).
    {"\xCF\xF0\xE8\xE2\xE5\xF2.txt", "*.txt", true},
    {"\xCF\xF0\xE8", "\xCF\xF0\xE8", true},
    {"\xCF\xF0\xE8", "\xEF\xF0\xE8", false},
    {"\xCF", "?", true},
};

class DosMaskTable : public ::testing::TestWithParam<Case> {};

TEST_P(DosMaskTable, Matches) {
  const Case &c = GetParam();
  EXPECT_EQ(matchesDosMask(c.name, c.mask), c.matches)
      << "name \"" << c.name << "\" mask \"" << c.mask << "\"";
}

INSTANTIATE_TEST_SUITE_P(Cases, DosMaskTable, ::testing::ValuesIn(kCases));

TEST(DosMask, NamesWithZeroBytesAreComparedWhole) {
  EXPECT_FALSE(matchesDosMask(std::string("a\0b", 3), "a"));
  EXPECT_TRUE(matchesDosMask(std::string("a\0b", 3), "a?b"));
}

TEST(DosMask, NoExponentialBacktracking) {
  const std::string name(20000, 'a');
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(matchesDosMask(name, "*a*a*a*a*b"));
  EXPECT_FALSE(matchesDosMask(name, "*a*a*a*a*a*a*a*a*a*a*a*a*b"));
  EXPECT_FALSE(matchesDosMask(name, "*?*?*?*?*?*?*b.*"));
  EXPECT_TRUE(matchesDosMask(name + "b", "*a*a*a*a*b"));
  EXPECT_TRUE(matchesDosMask(name, "*a*a*a*a*a"));
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_LT(elapsed, std::chrono::seconds(2));
}

} // namespace
} // namespace snpln::platform
