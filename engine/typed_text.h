// Text the user typed, kept as characters (UTF-8), made into the bytes of a
// file's code page: itself for a UTF-8 file, each character's byte for a
// single-byte page. Nothing when the page cannot hold a character (or the
// text is not valid UTF-8).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/code_page.h"

namespace snpln::engine {

// `page` is a single-byte page or Utf8. With `substituted`, a character the
// page cannot hold becomes its substitute (engine/substitutes.h), counted
// there, instead of failing the text.
std::optional<std::string> typedTextIn(const std::string &utf8, CodePage page,
                                       std::uint64_t *substituted = nullptr);

// The first character of `utf8` that `page` cannot hold (what makes
// typedTextIn fail), if any.
std::optional<char32_t> firstUnfitCharacter(const std::string &utf8,
                                            CodePage page);

} // namespace snpln::engine
