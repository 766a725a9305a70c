#include "engine/typed_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace snpln::test {
namespace {

using engine::CodePage;

struct Case {
  const char *name;
  std::string utf8;
  CodePage page;
  std::optional<std::string> bytes;
};

TEST(TypedText, EachCharacterBecomesItsByteInTheFilesPage) {
  const std::string mir = "\xD0\xBC\xD0\xB8\xD1\x80"; // мир
  const std::string yo = "\xD0\x81";                  // Ё
  const std::string numero = "\xE2\x84\x96";          // №
  const Case cases[] = {
      {"ASCII anywhere", "MIR 1", CodePage::Koi, "MIR 1"},
      {"empty", "", CodePage::Dos, ""},
      {"Windows-1251", mir, CodePage::Win, "\xEC\xE8\xF0"},
      {"KOI8-R", mir, CodePage::Koi, "\xCD\xC9\xD2"},
      {"CP866", mir + yo, CodePage::Dos, "\xAC\xA8\xE0\xF0"},
      {"ISO 8859-5 Yo", yo, CodePage::Iso, "\xA1"},
      {"UTF-8 as it is", mir + numero, CodePage::Utf8, mir + numero},
      {"numero sign in CP866", numero, CodePage::Dos, "\xFC"},
      {"numero sign not in KOI8-R", numero, CodePage::Koi, std::nullopt},
      {"e acute not in Windows-1251", "caf\xC3\xA9", CodePage::Win,
       std::nullopt},
      {"Chinese not in ISO 8859-5", "\xE4\xB8\xAD", CodePage::Iso,
       std::nullopt},
      {"not UTF-8 at all", "\xEC\xE8\xF0", CodePage::Win, std::nullopt},
      {"not UTF-8 for a UTF-8 file", "\xEC\xE8\xF0", CodePage::Utf8,
       std::nullopt},
  };
  for (const Case &c : cases)
    EXPECT_EQ(engine::typedTextIn(c.utf8, c.page), c.bytes) << c.name;
}

} // namespace
} // namespace snpln::test
