// The one table of the code pages' names: the short name the command line
// prints, the published standard's name, the names the messages give a page
// as a source and as a target (they differ for KOI8-R: "''Koi''",
// "''Koi8''"), and the other names the page goes by. A new page needs only
// its row here.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/code_page.h"

namespace snpln::engine {

struct CodePageNaming {
  CodePage page;
  std::string_view name;         // "koi"
  std::string_view standardName; // "KOI8-R"
  std::string_view sourceName;   // "''Koi''": "from ''Koi'' "
  std::string_view targetName;   // "''Koi8''": " to ''Koi8''", detection
  // The name of the registry of character sets ("IBM866"), which the JSON
  // output gives.
  std::string_view ianaName;
  // Further names, in the case they are usually written (empty ones end
  // the list).
  std::array<std::string_view, 4> aliases;
};

// Every page a file can be in, each once, in the order they are listed.
std::span<const CodePageNaming> codePageNamings();
// The row of `page`; nothing for Auto.
const CodePageNaming *namingOf(CodePage page);

// Every name a page is known by, each once, lower case: its name, its
// standard name, its aliases, its registry name, and its source and target
// names without their quotes (so that whatever a report prints can be given
// back).
std::vector<std::string> acceptedNames(const CodePageNaming &naming);

// The page a name stands for, in any letter case, with or without the
// quotes the messages put around it; nothing for an unknown name. "auto"
// is not a page's name.
std::optional<CodePage> codePageByName(std::string_view name);

} // namespace snpln::engine
