// Whole-buffer reference versions of the case, exclusion and tab engines for
// UTF-8 files, written plainly from the rules: the file is first cut into
// characters (a byte that starts no well-formed sequence is a unit of its
// own), then each rule works on the list of characters. No slices, no
// held-back bytes, no byte tricks.
#pragma once

#include "engine/case_slice.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "engine/exclusion_slice.h"
#include "engine/utf8_codec.h"

namespace snpln::test {

// The units of a UTF-8 text, each as its bytes.
std::vector<std::string> referenceUtf8Units(const std::string &bytes);
bool referenceIsValidUtf8(const std::string &bytes);

// engine::checkUtf8 in its plain form: one decodeUtf8 a character.
engine::Utf8Check checkUtf8Reference(const std::uint8_t *bytes,
                                     std::size_t size);

std::string referenceCaseUtf8(const std::string &bytes,
                              engine::CaseOperation operation, bool saveUpper);

std::string referenceExclusionUtf8(const std::string &bytes,
                                   const std::string &search,
                                   const std::string &replace,
                                   const engine::ExclusionOptions &options,
                                   std::uint64_t *hits);

// One line through the segment transform, counting characters as columns
// (a byte order mark as none).
std::string referenceCompressTabsUtf8(const std::string &line, int tabSize);

// Valid UTF-8 text of at most maxLength bytes, dense in what the engines care
// about: Russian letters of both cases with Yo, Latin letters, other
// Cyrillic letters and characters of two, three and four bytes, sentence
// ends, hyphens, blanks, TABs and every kind of line end.
std::string randomUtf8Text(std::mt19937 &rng, std::size_t maxLength);

// The same pieces with, now and then, a byte that breaks the UTF-8.
std::string randomMostlyUtf8Bytes(std::mt19937 &rng, std::size_t maxLength);

// tests/data/russian_prose.txt.
std::string russianProse();

// Every prose file of tests/data cut into excerpts: each run of one to three
// consecutive lines, line ends kept (UTF-8).
std::vector<std::string> russianProseExcerpts();

} // namespace snpln::test
