// The names the command line takes for the code pages, in any letter case.
// A new code page needs only its rows here.
#pragma once

#include <map>
#include <string>

#include "engine/code_page.h"

namespace snpln::cli {

// Every name of a code page a file can be recoded to (--to, --from).
const std::map<std::string, engine::CodePage> &codePageNames();
// The same and "auto" (detection), for --from.
const std::map<std::string, engine::CodePage> &sourceCodePageNames();

} // namespace snpln::cli
