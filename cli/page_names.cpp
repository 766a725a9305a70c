#include "cli/page_names.h"

#include <algorithm>

#include "engine/code_page_names.h"

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

std::string validPageNames(bool source) {
  std::string text = source ? "auto" : "";
  const auto namings = engine::codePageNamings();
  for (std::size_t i = 0; i < namings.size(); ++i) {
    if (!text.empty())
      text += i + 1 == namings.size() ? " or " : ", ";
    text += namings[i].name;
  }
  return text;
}

void printPageList(std::ostream &out) {
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
      << "--from only: detect each file's page\n";
}

} // namespace snpln::cli
