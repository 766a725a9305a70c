// A text as data, for the edges to put in words: a source text of the
// catalogue with its arguments (each a phrase itself), a literal, or parts
// joined by a separator. The window renders a phrase with tr().arg()
// (ui/translation.h), the command line with the table generated from the
// same catalogue (i18n/catalogue.h).
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace snpln::i18n {

// The context of every message of the catalogue.
inline constexpr const char *kContext = "snpln";

struct Phrase {
  // A source text of the catalogue (context `context`), whose %1, %2, ...
  // stand for `parts`; nullptr for a literal or a join.
  const char *source = nullptr;
  const char *context = kContext;
  // A literal: UTF-8 text, or a name's bytes as the system gave them.
  std::string literal;
  bool bytes = false;
  // The arguments of a source text, or the parts of a join.
  std::vector<Phrase> parts;
  // Puts `parts` one after another with this between them (no source).
  std::string separator;

  bool empty() const { return !source && literal.empty() && parts.empty(); }
};

// A source text of the catalogue with its arguments.
inline Phrase say(const char *source, std::vector<Phrase> args = {}) {
  Phrase p;
  p.source = source;
  p.parts = std::move(args);
  return p;
}
inline Phrase sayIn(const char *context, const char *source,
                    std::vector<Phrase> args = {}) {
  Phrase p = say(source, std::move(args));
  p.context = context;
  return p;
}
// UTF-8 text shown as it is (numbers, code page names, the system's words).
inline Phrase literal(std::string utf8) {
  Phrase p;
  p.literal = std::move(utf8);
  return p;
}
// A name (a path) in the bytes the system gave.
inline Phrase name(std::string bytes) {
  Phrase p;
  p.literal = std::move(bytes);
  p.bytes = true;
  return p;
}
inline Phrase join(std::vector<Phrase> parts, std::string separator) {
  Phrase p;
  p.parts = std::move(parts);
  p.separator = std::move(separator);
  return p;
}

// Puts `args` in for %1 to %9 of `pattern` in one pass, so that an argument
// holding "%2" stays as it is (as QString::arg with several arguments).
std::string fill(const std::string &pattern,
                 const std::vector<std::string> &args);

} // namespace snpln::i18n
