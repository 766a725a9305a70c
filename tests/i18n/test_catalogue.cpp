// The catalogue: every phrase the core can come to has its Russian text in
// the table the build generates from i18n/snpln_ru.ts, the one snpln-cli
// speaks from; English is the source text itself; fill() puts arguments in
// at once.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "i18n/catalogue.h"
#include "i18n/texts.h"
#include "tests/support/every_phrase.h"

using namespace snpln;

namespace {

bool hasCyrillic(const std::string &utf8) {
  // UTF-8 of U+0400 to U+04FF starts with 0xD0 to 0xD3.
  for (char c : utf8) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0xD0 && b <= 0xD3)
      return true;
  }
  return false;
}

} // namespace

TEST(Catalogue, EveryPhraseOfTheCoreHasItsRussianText) {
  int checked = 0;
  for (const auto &[label, phrase] : test::everyPhrase()) {
    if (phrase.empty())
      continue;
    std::vector<const i18n::Phrase *> sources;
    test::sourcesOf(phrase, sources);
    for (const i18n::Phrase *p : sources) {
      EXPECT_TRUE(i18n::hasTranslation(p->context, p->source))
          << label << ": no Russian for \"" << p->source << "\"";
      ++checked;
    }
    const std::string russian = i18n::render(phrase, i18n::Language::Russian);
    EXPECT_TRUE(hasCyrillic(russian))
        << label << ": \"" << i18n::english(phrase) << "\" -> \"" << russian
        << "\"";
  }
  EXPECT_GT(checked, 100);
}

TEST(Catalogue, TheTableIsOrderedForItsLookup) {
  ASSERT_GT(i18n::kRussianCatalogueSize, 0u);
  for (std::size_t i = 1; i < i18n::kRussianCatalogueSize; ++i) {
    const auto &a = i18n::kRussianCatalogue[i - 1];
    const auto &b = i18n::kRussianCatalogue[i];
    const int c = std::strcmp(a.context, b.context);
    EXPECT_TRUE(c < 0 || (c == 0 && std::strcmp(a.source, b.source) < 0))
        << a.source << " | " << b.source;
  }
}

TEST(Catalogue, EnglishIsTheSourceAndRussianTheTranslation) {
  job::Message m(job::MessageId::HasCoding);
  m.page = engine::CodePage::Koi;
  const i18n::Phrase p = i18n::messageText(m);
  EXPECT_EQ(i18n::english(p), "This file has coding ''Koi8''");
  EXPECT_EQ(i18n::render(p, i18n::Language::Russian),
            "Файл в кодировке ''Koi8''");
  EXPECT_STREQ(i18n::translate(i18n::Language::Russian, i18n::kContext,
                               "no such text in the catalogue"),
               "no such text in the catalogue");
}

TEST(Catalogue, FillPutsEveryArgumentInAtOnce) {
  struct Case {
    const char *pattern;
    std::vector<std::string> args;
    const char *expected;
  } cases[] = {
      {"from %1  to %2", {"''Dos''", "''Koi8''"}, "from ''Dos''  to ''Koi8''"},
      {"%2 before %1", {"a", "b"}, "b before a"},
      // An argument that holds a marker stays as it is.
      {"File '%1' is choosed",
       {"/tmp/%2.txt"},
       "File '/tmp/%2.txt' is choosed"},
      {"%1%", {"50"}, "50%"},
      {"%3 has no argument", {"a"}, "%3 has no argument"},
      {"", {}, ""},
  };
  for (const Case &c : cases)
    EXPECT_EQ(i18n::fill(c.pattern, c.args), c.expected) << c.pattern;
}

TEST(Catalogue, TheLanguageFollowsTheFirstLocaleVariableSet) {
  struct Case {
    const char *all, *messages, *lang;
    i18n::Language expected;
  } cases[] = {
      {nullptr, nullptr, nullptr, i18n::Language::English},
      {nullptr, nullptr, "ru_RU.UTF-8", i18n::Language::Russian},
      {nullptr, "C", "ru_RU.UTF-8", i18n::Language::English},
      {"ru_RU.KOI8-R", "C", "en_US.UTF-8", i18n::Language::Russian},
      {"", "ru", nullptr, i18n::Language::Russian},
      {"de_DE", nullptr, "ru_RU", i18n::Language::English},
  };
  const auto set = [](const char *name, const char *value) {
#ifdef _WIN32
    _putenv_s(name, value ? value : "");
#else
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
#endif
  };
  for (const Case &c : cases) {
    set("LC_ALL", c.all);
    set("LC_MESSAGES", c.messages);
    set("LANG", c.lang);
    EXPECT_EQ(i18n::languageOfEnvironment(), c.expected)
        << (c.all ? c.all : "-") << " " << (c.messages ? c.messages : "-")
        << " " << (c.lang ? c.lang : "-");
  }
  for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"})
    set(name, nullptr);
}
