#include "engine/code_page_names.h"

#include <algorithm>
#include <vector>

namespace snpln::engine {

namespace {

constexpr CodePageNaming kNamings[] = {
    {CodePage::Dos,
     "dos",
     "CP866",
     "''Dos''",
     "''Dos''",
     "IBM866",
     {"ibm866", "866"}},
    {CodePage::Win,
     "win",
     "Windows-1251",
     "''Win1251''",
     "''Win1251''",
     "windows-1251",
     {"cp1251", "1251"}},
    {CodePage::Koi,
     "koi",
     "KOI8-R",
     "''Koi''",
     "''Koi8''",
     "KOI8-R",
     {"koi8r"}},
    {CodePage::Iso,
     "iso",
     "ISO-8859-5",
     "''Iso''",
     "''Iso''",
     "ISO-8859-5",
     {"iso8859-5"}},
    // The browsers' x-mac-cyrillic (x-mac-ukrainian is the same table).
    {CodePage::Mac,
     "mac",
     "MacCyrillic",
     "''Mac''",
     "''Mac''",
     "x-mac-cyrillic",
     {"mac-cyrillic", "x-mac-ukrainian"}},
    {CodePage::KoiU,
     "koi8u",
     "KOI8-U",
     "''Koi8u''",
     "''Koi8u''",
     "KOI8-U",
     {"cp21866", "21866"}},
    {CodePage::Cp1125,
     "cp1125",
     "CP1125",
     "''Cp1125''",
     "''Cp1125''",
     "CP1125",
     {"1125", "ibm1125", "cp866u", "ruscii"}},
    {CodePage::Utf8, "utf8", "UTF-8", "''UTF-8''", "''UTF-8''", "UTF-8", {}},
    // UTF-16 with a byte order mark: the mark decides the byte order when
    // reading; written little-endian after one.
    {CodePage::Utf16,
     "utf16",
     "UTF-16",
     "''UTF-16''",
     "''UTF-16''",
     "UTF-16",
     {}},
    {CodePage::Utf16Le,
     "utf16le",
     "UTF-16LE",
     "''UTF-16LE''",
     "''UTF-16LE''",
     "UTF-16LE",
     {}},
    {CodePage::Utf16Be,
     "utf16be",
     "UTF-16BE",
     "''UTF-16BE''",
     "''UTF-16BE''",
     "UTF-16BE",
     {}},
};

std::string lower(std::string_view text) {
  std::string out(text);
  for (char &c : out)
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::string_view unquoted(std::string_view text) {
  while (!text.empty() && (text.front() == '\'' || text.front() == '"'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == '\'' || text.back() == '"'))
    text.remove_suffix(1);
  return text;
}

} // namespace

std::span<const CodePageNaming> codePageNamings() { return kNamings; }

const CodePageNaming *namingOf(CodePage page) {
  for (const CodePageNaming &naming : kNamings)
    if (naming.page == page)
      return &naming;
  return nullptr;
}

std::vector<std::string> acceptedNames(const CodePageNaming &naming) {
  std::vector<std::string> names;
  const auto add = [&](std::string_view name) {
    std::string l = lower(unquoted(name));
    if (!l.empty() && std::find(names.begin(), names.end(), l) == names.end())
      names.push_back(std::move(l));
  };
  add(naming.name);
  add(naming.standardName);
  for (std::string_view alias : naming.aliases)
    add(alias);
  add(naming.ianaName);
  add(naming.sourceName);
  add(naming.targetName);
  return names;
}

std::optional<CodePage> codePageByName(std::string_view name) {
  const std::string wanted = lower(unquoted(name));
  if (wanted.empty())
    return std::nullopt;
  for (const CodePageNaming &naming : kNamings) {
    const auto names = acceptedNames(naming);
    if (std::find(names.begin(), names.end(), wanted) != names.end())
      return naming.page;
  }
  return std::nullopt;
}

} // namespace snpln::engine
