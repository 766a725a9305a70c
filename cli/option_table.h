// The option table of snpln-cli: every option defined once, with its names,
// its value and the values it takes, its help line, its manual text, how
// it is taken into CliOptions and what it goes with. The parser
// (parseOptions), --help, the manual page, the bash completion and every
// complaint about the command line are made from it; an option added here
// is added to all of them.
//
// Texts marked with QT_TRANSLATE_NOOP("snpln-cli", ...) are in the
// catalogue and shown in the user's language; manual texts are the
// manual page's, in English.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli_options.h"
#include "i18n/catalogue.h"

// lupdate's marker: the text itself here; lupdate takes each marked text
// into the catalogue, and the edges show it in the user's language.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(context, text) text
#endif

namespace snpln::cli {

// Where --help and the manual page list an option.
enum class OptionGroup : std::uint8_t {
  Operations,
  Texts,    // the texts and words of exclusion and replacement
  Files,    // which files are taken, and how they are kept
  Output,   // what the run prints, and how many files at once
  Programme // the program itself: help, version, the page list
};

// What an option's value is: how the help spells it, what the completion
// offers after it.
enum class ValueKind : std::uint8_t {
  None,       // a flag
  Text,       // any text: nothing offered
  Number,     // a whole number: nothing offered
  Choice,     // one of OptionSpec::choices
  TargetPage, // a code page name
  SourcePage, // a code page name or auto
  Path,       // a file name
};

// A complaint about the command line: a text of the catalogue (context
// "snpln-cli") and what fills its %1, %2, ...; `hint`: followed by the line
// that points to --help.
struct Complaint {
  Complaint(const char *source, std::vector<std::string> with = {},
            bool withHint = true)
      : text(source), fill(std::move(with)), hint(withHint) {}
  const char *text;
  std::vector<std::string> fill;
  bool hint;
};

// One value an option of ValueKind::Choice takes (in any letter case).
struct OptionChoice {
  const char *name;
  int value;
};

// How an option takes its value (empty for a flag) into the options, once
// the parser has checked it by its kind: `number` is the value of the
// choice it names (ValueKind::Choice) or the number it is
// (ValueKind::Number). A complaint when the value is not one it takes.
using TakeValue = std::optional<Complaint> (*)(CliOptions &options,
                                               const std::string &value,
                                               int number);

// The operation an option chooses, once given (nothing: none).
using OperationOf =
    std::optional<job::OperationCode> (*)(const CliOptions &options);

struct OptionSpec {
  OptionId id = OptionId::Help;
  OptionGroup group = OptionGroup::Programme;
  char shortName = '\0';           // '\0': none
  const char *longName = "";       // without the dashes
  const char *valueName = nullptr; // "PAGE", "N", ...; none for a flag
  ValueKind kind = ValueKind::None;
  std::vector<OptionChoice> choices = {};
  // ValueKind::Number: the least and the greatest it takes (0: none).
  int least = 1;
  int most = 0;
  const char *help = "";        // its line of --help (the catalogue's)
  const char *manual = nullptr; // more for the manual page (English)
  // Nothing for -h, -V and -l, which the parser answers itself.
  TakeValue take = nullptr;
  // It does not go with any of these; it goes only with one of these.
  std::vector<OptionId> excludes = {};
  std::vector<OptionId> needsOneOf = {};
  OperationOf operation = nullptr;
  // Taken once only (a second one is a complaint); flags may repeat.
  bool takesValue() const { return kind != ValueKind::None; }
};

// Every option, in the order --help lists them within their group.
const std::vector<OptionSpec> &optionTable();
const OptionSpec &optionSpec(OptionId id);

// "--to"; "-t, --to" (with the value: "-t, --to PAGE", "--bom add|remove").
std::string longNameOf(const OptionSpec &spec);
std::string namesOf(const OptionSpec &spec, bool withValue);
// "lf|crlf|cr" for a choice, else the value's name ("" for a flag).
std::string valueNameOf(const OptionSpec &spec);

// The heading of a group in --help and in the manual page (the
// catalogue's).
const char *groupHeading(OptionGroup group);

// "a", "a or b", "a, b or c", with the language's word for "or".
std::string alternatives(const std::vector<std::string> &items,
                         i18n::Language language);

// A complaint in words: "snpln-cli: " and its text, and the line that
// points to --help where it asks for one.
std::string complaintLines(const Complaint &complaint, i18n::Language language);

// --help, in the language.
void printHelp(std::ostream &out, i18n::Language language);

// The manual page's OPTIONS section (roff), by group.
void printManualOptions(std::ostream &out);
// The bash completion script: every option's names, the values of each
// choice and page option, nothing after one that takes a text or a
// number, file names elsewhere.
void printBashCompletion(std::ostream &out);

} // namespace snpln::cli
