// The catalogue without Qt, for the command line: the Russian texts of
// i18n/snpln_ru.ts, which the build turns into a table
// (i18n/make_catalogue_table.py) linked into every program on every
// platform.
#pragma once

#include <cstddef>
#include <string>

#include "i18n/phrase.h"

namespace snpln::i18n {

enum class Language : unsigned char { English, Russian };

// The language of the messages under the environment's locale: Russian
// when LC_ALL, else LC_MESSAGES, else LANG names it ("ru", "ru_RU.UTF-8"),
// English otherwise.
Language languageOfEnvironment();

// One translated text of the catalogue.
struct CatalogueEntry {
  const char *context;
  const char *source;
  const char *translation;
};
// The generated table, ordered by context and then source.
extern const CatalogueEntry kRussianCatalogue[];
extern const std::size_t kRussianCatalogueSize;

// The translation of `source` in `language`; the source itself in English
// or when the catalogue has none.
const char *translate(Language language, const char *context,
                      const char *source);
// Whether the catalogue holds a translation of `source`.
bool hasTranslation(const char *context, const char *source);

// A phrase in words (UTF-8; a name's bytes as they are).
std::string render(const Phrase &phrase, Language language);
inline std::string english(const Phrase &phrase) {
  return render(phrase, Language::English);
}

} // namespace snpln::i18n
