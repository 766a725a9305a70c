// Russian texts for the detection and recoding tests, made from the prose
// under tests/data: excerpts, words, forms framed with box drawing, and
// their bytes in each page (converted by the C library).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "engine/code_page.h"

namespace snpln::test {

// A file of tests/data, whole.
std::string readTestData(const char *name);
// Both prose files, UTF-8.
std::string allRussianProse();

// A page's short name for messages, as the command line spells it ("dos",
// ..., "utf8", "auto": engine/code_page_names.h).
std::string pageName(engine::CodePage page);
// The page's standard name, as the C library knows it too ("CP866", ...,
// "UTF-8").
std::string iconvName(engine::CodePage page);
// UTF-8 text in `page` through iconv; nothing when the page cannot hold
// all of it.
std::optional<std::string> iconvInPage(const std::string &utf8,
                                       engine::CodePage page);
// The C library's conversion between two of its names; nothing when it
// refuses.
std::optional<std::string> convertText(const std::string &text,
                                       const char *from, const char *to);

// Capitals of a UTF-8 text: Cyrillic а..я, ё and the other letters of
// U+0450..U+045F (і ї є ...), ґ, and Latin a..z.
std::string capitalsOf(const std::string &utf8);

// UTF-8 text with `strays` bytes of single-byte pages (a letter, a
// guillemet, a dash, a lone continuation byte, a lead byte) put between its
// characters at places a fixed seed picks: a file edited once in a
// single-byte editor.
std::string withStrayBytes(const std::string &utf8, std::size_t strays,
                           unsigned seed);

// UTF-8 text in a single-byte page through the program's own tables (for
// the tests of detection, where the C library lacks a page); empty when
// the page cannot hold all of it.
std::string encodeInPage(const std::string &utf8, engine::CodePage page);

// The text of single-byte bytes read in `page`, as UTF-8.
std::string readInPage(const std::string &bytes, engine::CodePage page);

// Excerpts of `chars` characters starting at character boundaries, each
// holding at least a quarter of Cyrillic letters, picked by a fixed seed.
std::vector<std::string> excerptsOf(const std::string &utf8, std::size_t chars,
                                    std::size_t count, unsigned seed);

// The distinct Cyrillic words of a UTF-8 text, in small letters.
std::vector<std::string> wordsOf(const std::string &utf8);

// A form: a table of `rows` rows and `columns` columns framed with box
// drawing (a double outer frame, single inner lines; or all single, or all
// double, by `style` 0, 1, 2), each cell `width` characters wide and
// filled with words of `words` up to about `fill` of its width; with a
// line between every two rows when `ruled`. UTF-8, CR LF line ends.
struct FormShape {
  unsigned rows = 3, columns = 2, width = 10;
  double fill = 0.7;
  unsigned style = 0;
  bool ruled = true;
};
std::string makeForm(const std::vector<std::string> &words,
                     const FormShape &shape, unsigned seed);
// The share of box-drawing characters among the characters of a UTF-8
// text that are not ASCII.
double boxShareOf(const std::string &utf8);

} // namespace snpln::test
