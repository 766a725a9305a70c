#include "i18n/catalogue.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace snpln::i18n {

namespace {

bool before(const CatalogueEntry &e, const char *context, const char *source) {
  const int c = std::strcmp(e.context, context);
  return c < 0 || (c == 0 && std::strcmp(e.source, source) < 0);
}

const CatalogueEntry *find(const char *context, const char *source) {
  const CatalogueEntry *end = kRussianCatalogue + kRussianCatalogueSize;
  const CatalogueEntry *it = std::lower_bound(
      kRussianCatalogue, end, 0,
      [&](const CatalogueEntry &e, int) { return before(e, context, source); });
  if (it != end && std::strcmp(it->context, context) == 0 &&
      std::strcmp(it->source, source) == 0)
    return it;
  return nullptr;
}

} // namespace

std::string fill(const std::string &pattern,
                 const std::vector<std::string> &args) {
  std::string out;
  out.reserve(pattern.size());
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' &&
        pattern[i + 1] <= '9') {
      const auto k = static_cast<std::size_t>(pattern[i + 1] - '1');
      if (k < args.size()) {
        out += args[k];
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

Language languageOfEnvironment() {
  for (const char *variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char *value = std::getenv(variable);
    if (value && *value)
      return std::strncmp(value, "ru", 2) == 0 ? Language::Russian
                                               : Language::English;
  }
  return Language::English;
}

const char *translate(Language language, const char *context,
                      const char *source) {
  if (language == Language::English)
    return source;
  const CatalogueEntry *e = find(context, source);
  return e && *e->translation ? e->translation : source;
}

bool hasTranslation(const char *context, const char *source) {
  const CatalogueEntry *e = find(context, source);
  return e && *e->translation;
}

std::string render(const Phrase &p, Language language) {
  std::vector<std::string> parts;
  parts.reserve(p.parts.size());
  for (const Phrase &part : p.parts)
    parts.push_back(render(part, language));
  if (p.source)
    return fill(translate(language, p.context, p.source), parts);
  if (p.parts.empty())
    return p.literal;
  std::string joined;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0 && !parts[i].empty() && !joined.empty())
      joined += p.separator;
    joined += parts[i];
  }
  return joined;
}

} // namespace snpln::i18n
