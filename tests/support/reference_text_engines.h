// Whole-buffer reference versions of the case and exclusion engines, written
// plainly from the rules (no slices, no look-ahead reads, no fast paths), to
// check the streaming engines against. The letters are those of `page`,
// worked out here from the page's characters: a byte is a letter when its
// character is an ASCII letter or lies in U+0400..U+045F, and its other
// case is the byte of the other case's character (Auto: ASCII alone).
#pragma once

#include "engine/case_slice.h"

#include <cstdint>
#include <string>
#include <vector>

#include "engine/code_page.h"
#include "engine/exclusion_slice.h"

namespace snpln::test {

// The whole file after a case operation.
std::string referenceCase(const std::string &bytes,
                          engine::CaseOperation operation, bool saveUpper,
                          engine::CodePage page = engine::CodePage::Win);

// The whole file after exclusion of `search` (replacing it by `replace`);
// `hits` receives the number of occurrences.
std::string referenceExclusion(const std::string &bytes,
                               const std::string &search,
                               const std::string &replace,
                               const engine::ExclusionOptions &options,
                               std::uint64_t *hits,
                               engine::CodePage page = engine::CodePage::Win);

// The rules as they stood when the letters were Windows-1251's 64 letters
// without Yo (0xC0..0xFF) whatever the page: what every file without Yo and
// the other letters of 0x80..0xBF must still come out as in Windows-1251.
std::string legacyWinCase(const std::string &bytes,
                          engine::CaseOperation operation, bool saveUpper);
std::string legacyWinExclusion(const std::string &bytes,
                               const std::string &search,
                               const std::string &replace,
                               const engine::ExclusionOptions &options,
                               std::uint64_t *hits);

// UTF-8 text with Russian letters as Windows-1251 bytes (other characters
// must be ASCII), so tests can be written readably.
std::string win1251(const std::string &utf8);

// The prose excerpts (russianProseExcerpts) that hold no Yo, in
// Windows-1251.
std::vector<std::string> winProseExcerptsWithoutYo();

// UTF-8 text as the bytes of a single-byte page (every character must be in
// it), and back; plain searches of the page's characters.
std::string inPage(const std::string &utf8, engine::CodePage page);
std::string fromPage(const std::string &bytes, engine::CodePage page);

} // namespace snpln::test
