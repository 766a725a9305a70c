#include "cli/page_names.h"

#include <algorithm>

#include "engine/code_page_names.h"

// lupdate's marker: the text itself here.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(context, text) text
#endif

namespace snpln::cli {

using engine::CodePage;

std::optional<CodePage> targetPageByName(const std::string &name) {
  return engine::codePageByName(name);
}

std::optional<CodePage> sourcePageByName(const std::string &name) {
  std::string l = name;
  std::transform(l.begin(), l.end(), l.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  if (l == "auto")
    return CodePage::Auto;
  return engine::codePageByName(name);
}

std::vector<std::string> validPageNames(bool source) {
  std::vector<std::string> names;
  if (source)
    names.push_back("auto");
  for (const engine::CodePageNaming &naming : engine::codePageNamings())
    names.emplace_back(naming.name);
  return names;
}

std::vector<std::string> everyPageName(bool source) {
  std::vector<std::string> names;
  for (const engine::CodePageNaming &naming : engine::codePageNamings())
    for (std::string name : engine::acceptedNames(naming)) {
      std::transform(name.begin(), name.end(), name.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
      });
      if (std::find(names.begin(), names.end(), name) == names.end())
        names.push_back(name);
    }
  if (source)
    names.push_back("auto");
  return names;
}

void printPageList(std::ostream &out, i18n::Language language) {
  const auto pad = [](std::string text, std::size_t width) {
    text.resize(std::max(text.size() + 1, width), ' ');
    return text;
  };
  out << pad("PAGE", 9) << pad("STANDARD", 14) << "ALSO\n";
  for (const engine::CodePageNaming &naming : engine::codePageNamings()) {
    std::string standard(naming.standardName);
    std::transform(
        standard.begin(), standard.end(), standard.begin(), [](char c) {
          return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        });
    std::string also;
    // Every name but the two columns before (CP1125's standard name is its
    // name too).
    for (const std::string &name : engine::acceptedNames(naming))
      if (name != naming.name && name != standard)
        also += (also.empty() ? "" : " ") + name;
    out << pad(std::string(naming.name), 9)
        << pad(std::string(naming.standardName), 14) << also << '\n';
  }
  out << pad("auto", 9) << pad("-", 14)
      << i18n::translate(language, "snpln-cli",
                         QT_TRANSLATE_NOOP("snpln-cli",
                                           "--from only: detect each file's "
                                           "page"))
      << '\n';
}

} // namespace snpln::cli
