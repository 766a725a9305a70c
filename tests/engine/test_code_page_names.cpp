// The one table of the code pages' names, and what the command line makes
// of it.
#include "engine/code_page_names.h"

#include <gtest/gtest.h>

#include <map>

#include "cli/option_suggestion.h"
#include "cli/page_names.h"
#include "i18n/catalogue.h"
#include "i18n/texts.h"

namespace snpln {
namespace {

using engine::CodePage;

TEST(CodePageNames, EveryPageOnceAndEveryNameLeadsBackToItsPage) {
  std::map<std::string, CodePage> seen;
  std::map<CodePage, int> rows;
  for (const engine::CodePageNaming &naming : engine::codePageNamings()) {
    ++rows[naming.page];
    EXPECT_EQ(engine::namingOf(naming.page), &naming);
    for (const std::string &name : engine::acceptedNames(naming)) {
      const auto [it, fresh] = seen.emplace(name, naming.page);
      EXPECT_TRUE(fresh) << name << " names two pages";
      EXPECT_EQ(engine::codePageByName(name), naming.page) << name;
    }
  }
  for (const auto &[page, count] : rows)
    EXPECT_EQ(count, 1) << static_cast<int>(page);
  EXPECT_EQ(rows.size(), 11u);
  EXPECT_EQ(engine::namingOf(CodePage::Auto), nullptr);
}

// Whatever a report prints can be given back to -f and -t: the names the
// messages use, the standard names, any letter case.
TEST(CodePageNames, ReportedNamesAreAcceptedBack) {
  const struct {
    const char *name;
    std::optional<CodePage> page;
  } cases[] = {
      {"koi", CodePage::Koi},
      {"Koi8", CodePage::Koi},
      {"''Koi8''", CodePage::Koi},
      {"KOI8-R", CodePage::Koi},
      {"koi8r", CodePage::Koi},
      {"Win1251", CodePage::Win},
      {"WINDOWS-1251", CodePage::Win},
      {"1251", CodePage::Win},
      {"cp866", CodePage::Dos},
      {"IBM866", CodePage::Dos},
      {"''Dos''", CodePage::Dos},
      {"iso-8859-5", CodePage::Iso},
      {"ISO8859-5", CodePage::Iso},
      {"utf-8", CodePage::Utf8},
      {"UTF8", CodePage::Utf8},
      {"UTF-16", CodePage::Utf16},
      {"utf16LE", CodePage::Utf16Le},
      {"UTF-16BE", CodePage::Utf16Be},
      {"''UTF-16LE''", CodePage::Utf16Le},
      {"ucs-2", std::nullopt},
      {"utf-32", std::nullopt},
      {"auto", std::nullopt},
      {"", std::nullopt},
      {"utf", std::nullopt},
      {"koi8-u", CodePage::KoiU},
      {"KOI8U", CodePage::KoiU},
      {"''Koi8u''", CodePage::KoiU},
      {"mac", CodePage::Mac},
      {"x-mac-cyrillic", CodePage::Mac},
      {"MacCyrillic", CodePage::Mac},
      {"x-mac-ukrainian", CodePage::Mac},
      {"cp1125", CodePage::Cp1125},
      {"RUSCII", CodePage::Cp1125},
      {"cp866u", CodePage::Cp1125},
      {"koi8-ru", std::nullopt},
      {"''", std::nullopt},
  };
  for (const auto &c : cases)
    EXPECT_EQ(engine::codePageByName(c.name), c.page) << c.name;
  EXPECT_EQ(cli::sourcePageByName("AUTO"), CodePage::Auto);
  EXPECT_EQ(cli::targetPageByName("auto"), std::nullopt);
  for (const engine::CodePageNaming &naming : engine::codePageNamings()) {
    job::Message detected(job::MessageId::HasCoding);
    detected.page = naming.page;
    const std::string report = i18n::english(i18n::messageText(detected));
    const std::string said = report.substr(report.find("''"));
    EXPECT_EQ(cli::targetPageByName(said), naming.page) << report;
  }
}

// The names the messages have always used, now from the table.
TEST(CodePageNames, MessagesKeepTheirNames) {
  EXPECT_STREQ(i18n::sourceCodingName(CodePage::Koi), "''Koi''");
  EXPECT_STREQ(i18n::codingName(CodePage::Koi), "''Koi8''");
  EXPECT_STREQ(i18n::sourceCodingName(CodePage::Win), "''Win1251''");
  EXPECT_STREQ(i18n::codingName(CodePage::Utf8), "''UTF-8''");
  EXPECT_STREQ(i18n::codingName(CodePage::Dos), "''Dos''");
  EXPECT_STREQ(i18n::codingName(CodePage::Iso), "''Iso''");
  EXPECT_STREQ(i18n::codingName(CodePage::Mac), "''Mac''");
  EXPECT_STREQ(i18n::codingName(CodePage::KoiU), "''Koi8u''");
  EXPECT_STREQ(i18n::sourceCodingName(CodePage::Cp1125), "''Cp1125''");
  EXPECT_STREQ(i18n::codingName(CodePage::Auto), "");
  EXPECT_STREQ(i18n::sourceCodingName(CodePage::Auto), "");
}

TEST(OptionSuggestion, EditDistance) {
  const struct {
    const char *a, *b;
    std::size_t distance;
  } cases[] = {
      {"", "", 0},         {"abc", "abc", 0},   {"", "abc", 3},
      {"abc", "", 3},      {"abc", "abd", 1},   {"abc", "ab", 1},
      {"ab", "abc", 1},    {"lsit", "list", 1}, {"kitten", "sitting", 3},
      {"abcd", "badc", 2}, {"ca", "abc", 3},
  };
  for (const auto &c : cases)
    EXPECT_EQ(cli::editDistance(c.a, c.b), c.distance) << c.a << " " << c.b;
}

TEST(OptionSuggestion, NearestOnlyWhenItIsATypo) {
  const std::vector<std::string> known = {"--keep-date", "--detect", "--to",
                                          "--list", "--line-ends"};
  const struct {
    const char *typed;
    std::optional<std::string> suggested;
  } cases[] = {
      {"--keep-dat", "--keep-date"},
      {"--keepdate", "--keep-date"},
      {"--lsit", "--list"},
      {"--detcet", "--detect"},
      {"--line-end", "--line-ends"},
      {"--too", "--to"},
      {"--to", std::nullopt},
      {"--zzzzzz", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto &c : cases)
    EXPECT_EQ(cli::nearestOption(c.typed, known), c.suggested) << c.typed;
}

} // namespace
} // namespace snpln
