// The command line's side of the code page names (engine/code_page_names.h
// holds the table): what --to and --from take, the list -l prints, and the
// line that names the valid ones.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/code_page.h"
#include "i18n/catalogue.h"

namespace snpln::cli {

// The page a --to name stands for (any name of the table, any case).
std::optional<engine::CodePage> targetPageByName(const std::string &name);
// The same and "auto" (detection), for --from.
std::optional<engine::CodePage> sourcePageByName(const std::string &name);

// "dos", "win", "koi", "iso", "utf8", ... (with "auto" first for a
// source): the name of each page.
std::vector<std::string> validPageNames(bool source);
// Every name of every page, lower case, as -l lists them (and "auto" last
// for a source).
std::vector<std::string> everyPageName(bool source);

// The list of -l: one line per page, its name, its standard name and every
// other name it takes, then auto (what it does in `language`).
void printPageList(std::ostream &out, i18n::Language language);

} // namespace snpln::cli
