// Command-line text in the terminal's character set, made UTF-8 so that it
// can be written into each file in the file's own code page.
#pragma once

#include <optional>
#include <string>

namespace snpln::cli {

// Decodes `bytes` from the character set of the current locale (LC_CTYPE,
// as set from the environment). Nothing when they are not valid text in it.
std::optional<std::string> localeTextToUtf8(const std::string &bytes);

// The same from a named character set ("UTF-8", "KOI8-R", "CP1251", ...).
std::optional<std::string> textToUtf8(const std::string &bytes,
                                      const char *charset);

} // namespace snpln::cli
