// --help, the manual page's options and the bash completion, made from the
// option table.
#include <ostream>
#include <set>

#include "cli/option_table.h"
#include "cli/page_names.h"

namespace snpln::cli {

namespace {

const char *kUsage =
    QT_TRANSLATE_NOOP("snpln-cli", "Usage: snpln-cli [OPTION]... NAME...");

const char *kDescription = QT_TRANSLATE_NOOP(
    "snpln-cli",
    "Rewrites Russian plain-text files in place: recoding between CP866 "
    "(dos), Windows-1251 (win), KOI8-R (koi), ISO 8859-5 (iso), Mac "
    "Cyrillic (mac), KOI8-U (koi8u), CP1125 (cp1125), UTF-8 "
    "(utf8) and UTF-16 (utf16, utf16le, utf16be) with "
    "automatic detection, upper/lower/sentence case, removal and replacement "
    "of a string, blanks to TABs, and removal of excessive empty lines.\n"
    "Every NAME is a file, or a directory whose whole tree is taken, filtered "
    "by --filter. Several operations go over each file in one pass, and "
    "rewrite it once or, when one of them fails, not at all.");

const char *kFooter = QT_TRANSLATE_NOOP(
    "snpln-cli",
    "\nA NAME of - alone is standard input; the result goes to standard "
    "output\n(all messages then go to standard error), and nothing when "
    "the text fails.\n"
    "\nExamples:\n"
    "  snpln-cli -d notes.txt                  report the code page\n"
    "  snpln-cli -t win notes.txt              recode in place, source "
    "detected\n"
    "  snpln-cli -f koi -t dos --filter '*.txt' docs\n"
    "  snpln-cli -n -v -t utf8 docs            what a recoding would do, "
    "file by file\n"
    "  snpln-cli -k -t utf8 --line-ends lf docs\n"
    "                                          UTF-8 with LF line ends, "
    "dates kept\n"
    "  cat old.txt | snpln-cli -t win - > new.txt\n"
    "  snpln-cli --replace colour --with color --ignore-case a.txt\n"
    "\nExit status:\n"
    "  0    no file failed (converted, already in the target code page, "
    "no\n"
    "       Cyrillic letter in it, or not text)\n"
    "  1    a file failed, a name was not found, or a directory could not be "
    "read\n"
    "       (with --check: also a file would change)\n"
    "  2    the command line is wrong\n"
    "  130  stopped by Ctrl-C (143 by SIGTERM, 129 by SIGHUP)\n");

constexpr std::size_t kWidth = 79;
// The options' names, then their help from this column.
constexpr std::size_t kHelpColumn = 26;

constexpr OptionGroup kGroups[] = {OptionGroup::Operations, OptionGroup::Texts,
                                   OptionGroup::Files, OptionGroup::Output,
                                   OptionGroup::Programme};

// Characters of UTF-8 text (the help's Russian), not bytes.
std::size_t widthOf(const std::string &text) {
  std::size_t width = 0;
  for (char c : text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
      ++width;
  return width;
}

// `text` cut at blanks into lines of at most `width` characters (a longer
// word stands alone).
std::vector<std::string> wrap(const std::string &text, std::size_t width) {
  std::vector<std::string> lines;
  std::string line;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = std::min(text.find(' ', at), text.size());
    const std::string word = text.substr(at, end - at);
    at = end + 1;
    if (word.empty())
      continue;
    if (!line.empty() && widthOf(line) + 1 + widthOf(word) > width) {
      lines.push_back(line);
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
  }
  if (!line.empty())
    lines.push_back(line);
  return lines;
}

// Plain text as roff: backslashes and dashes escaped, option names bold.
std::string roff(const std::string &text) {
  std::string out;
  const auto escaped = [](char c) -> std::string {
    if (c == '\\')
      return "\\e";
    if (c == '-')
      return "\\-";
    return std::string(1, c);
  };
  for (std::size_t i = 0; i < text.size();) {
    const bool wordStart = i == 0 || text[i - 1] == ' ' || text[i - 1] == '(';
    const auto letter = [&](std::size_t k) {
      return k < text.size() && ((text[k] >= 'a' && text[k] <= 'z') ||
                                 (text[k] >= 'A' && text[k] <= 'Z'));
    };
    if (wordStart && text[i] == '-' &&
        (letter(i + 1) ||
         (i + 1 < text.size() && text[i + 1] == '-' && letter(i + 2)))) {
      std::size_t end = i + 1;
      while (end < text.size() && (letter(end) || text[end] == '-' ||
                                   (text[end] >= '0' && text[end] <= '9')))
        ++end;
      out += "\\fB";
      for (std::size_t k = i; k < end; ++k)
        out += escaped(text[k]);
      out += "\\fR";
      i = end;
      continue;
    }
    out += escaped(text[i]);
    ++i;
  }
  if (!out.empty() && (out[0] == '.' || out[0] == '\''))
    out.insert(0, "\\&");
  return out;
}

// The names of an option in roff, its value in italics (a choice's values
// bold).
std::string roffNames(const OptionSpec &spec) {
  const auto dashes = [](const std::string &text) {
    std::string out;
    for (char c : text)
      out += c == '-' ? std::string("\\-") : std::string(1, c);
    return out;
  };
  std::string names;
  if (spec.shortName != '\0')
    names = std::string("\\fB\\-") + spec.shortName + "\\fR, ";
  names += "\\fB" + dashes(longNameOf(spec)) + "\\fR";
  if (spec.kind == ValueKind::Choice) {
    std::string values;
    for (const OptionChoice &choice : spec.choices)
      values += (values.empty() ? "" : "|") + std::string("\\fB") +
                choice.name + "\\fR";
    names += " " + values;
  } else if (spec.takesValue()) {
    names += std::string(" \\fI") + spec.valueName + "\\fR";
  }
  return names;
}

std::string sentence(const std::string &text) {
  if (!text.empty() && text.back() != '.' && text.back() != '?')
    return text + ".";
  return text;
}

} // namespace

void printHelp(std::ostream &out, i18n::Language language) {
  const auto said = [&](const char *source) {
    return std::string(i18n::translate(language, "snpln-cli", source));
  };
  out << said(kUsage) << '\n';
  const std::string description = said(kDescription);
  for (std::size_t at = 0; at < description.size();) {
    const std::size_t end =
        std::min(description.find('\n', at), description.size());
    for (const std::string &line :
         wrap(description.substr(at, end - at), kWidth))
      out << line << '\n';
    at = end + 1;
  }
  for (OptionGroup group : kGroups) {
    out << '\n' << said(groupHeading(group)) << ":\n";
    for (const OptionSpec &spec : optionTable()) {
      if (spec.group != group)
        continue;
      // Long names line up, whether a short one comes first or not.
      std::string label =
          (spec.shortName != '\0' ? "  " : "      ") + namesOf(spec, true);
      const auto lines = wrap(said(spec.help), kWidth - kHelpColumn);
      if (label.size() + 2 > kHelpColumn) {
        out << label << '\n';
        label.clear();
      }
      for (const std::string &line : lines) {
        label.resize(kHelpColumn, ' ');
        out << label << line << '\n';
        label.clear();
      }
    }
  }
  out << said(kFooter);
}

void printManualOptions(std::ostream &out) {
  for (OptionGroup group : kGroups) {
    out << ".SS \"" << groupHeading(group) << "\"\n";
    for (const OptionSpec &spec : optionTable()) {
      if (spec.group != group)
        continue;
      out << ".TP\n" << roffNames(spec) << '\n';
      std::string text = sentence(spec.help);
      if (spec.manual)
        text += std::string(" ") + spec.manual;
      out << roff(text) << '\n';
    }
  }
}

void printBashCompletion(std::ostream &out) {
  std::string options, quiet;
  std::string cases;
  for (const OptionSpec &spec : optionTable()) {
    std::string names = longNameOf(spec);
    std::string pattern = names;
    if (spec.shortName != '\0') {
      names = std::string("-") + spec.shortName + " " + names;
      pattern = std::string("-") + spec.shortName + " | " + pattern;
    }
    options += (options.empty() ? "" : " ") + names;
    std::string values;
    switch (spec.kind) {
    case ValueKind::Choice:
      for (const OptionChoice &choice : spec.choices)
        values += (values.empty() ? "" : " ") + std::string(choice.name);
      break;
    case ValueKind::TargetPage:
    case ValueKind::SourcePage:
      for (const std::string &name :
           everyPageName(spec.kind == ValueKind::SourcePage))
        values += (values.empty() ? "" : " ") + name;
      break;
    case ValueKind::Text:
    case ValueKind::Number:
      quiet += (quiet.empty() ? "" : " | ") + pattern;
      continue;
    case ValueKind::None:
    case ValueKind::Path:
      continue;
    }
    cases += "  " + pattern + ")\n    values=\"" + values + "\"\n    ;;\n";
  }
  out << "# bash completion for snpln-cli, made from its option table.\n"
         "#\n"
         "# After an option that takes a code page (also as --to=PAGE) come\n"
         "# the names of every page, after one of choices its values, after\n"
         "# one that takes a text or a number nothing; everything else (-o\n"
         "# FILE too) completes as file and directory names.\n"
         "\n"
         "_snpln_cli() {\n"
         "  local cur=${COMP_WORDS[COMP_CWORD]} prev= option prefix=\n"
         "  ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}\n"
         "  COMPREPLY=()\n"
         "\n"
         "  # --to=PAGE: bash cuts the word at '=' (COMP_WORDBREAKS), so the\n"
         "  # option stands two words back; where it does not, the word\n"
         "  # holds it.\n"
         "  option=$prev\n"
         "  if [[ $prev == = ]] && ((COMP_CWORD > 1)); then\n"
         "    option=${COMP_WORDS[COMP_CWORD - 2]}\n"
         "  elif [[ $cur == --*=* ]]; then\n"
         "    option=${cur%%=*}\n"
         "    prefix=$option=\n"
         "    cur=${cur#*=}\n"
         "  fi\n"
         "\n"
         "  local values=\n"
         "  case $option in\n"
      << cases << "  " << quiet
      << ")\n"
         "    return 0\n"
         "    ;;\n"
         "  esac\n"
         "  if [[ -n $values ]]; then\n"
         "    mapfile -t COMPREPLY < <(compgen -P \"$prefix\" -W \"$values\" "
         "-- \"$cur\")\n"
         "    return 0\n"
         "  fi\n"
         "\n"
         "  if [[ $cur == -* ]]; then\n"
         "    mapfile -t COMPREPLY < <(compgen -W \""
      << options
      << "\" -- \"$cur\")\n"
         "    return 0\n"
         "  fi\n"
         "\n"
         "  compopt -o filenames 2>/dev/null\n"
         "  mapfile -t COMPREPLY < <(compgen -f -- \"$cur\")\n"
         "  return 0\n"
         "}\n"
         "\n"
         "complete -F _snpln_cli snpln-cli\n";
}

} // namespace snpln::cli
