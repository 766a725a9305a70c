#include "cli/cli_options.h"

#include <algorithm>
#include <map>

#include "batch/run_plan.h"
#include "cli/locale_text.h"
#include "cli/option_suggestion.h"
#include "cli/option_table.h"
#include "cli/page_names.h"
#include "snpln/version.h"

namespace snpln::cli {

namespace {

char lowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string lowerAscii(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](char c) { return lowerAscii(c); });
  return text;
}

// The option a value is for, checked by its kind: the choice it names or
// the number it is, else the complaint.
std::optional<Complaint> checkValue(const OptionSpec &spec,
                                    const std::string &value, int &number,
                                    i18n::Language language) {
  number = -1;
  switch (spec.kind) {
  case ValueKind::Choice: {
    std::vector<std::string> names;
    for (const OptionChoice &choice : spec.choices) {
      if (lowerAscii(value) == choice.name) {
        number = choice.value;
        return std::nullopt;
      }
      names.emplace_back(choice.name);
    }
    if (const auto near = nearestOption(lowerAscii(value), names))
      return Complaint{
          QT_TRANSLATE_NOOP("snpln-cli",
                            "%1 takes %2, not \"%3\"; did you mean %4?"),
          {longNameOf(spec), alternatives(names, language), value, *near},
          false};
    return Complaint{QT_TRANSLATE_NOOP("snpln-cli", "%1 takes %2, not \"%3\""),
                     {longNameOf(spec), alternatives(names, language), value}};
  }
  case ValueKind::Number: {
    // Plain digits, and few enough of them for an int.
    long long n = -1;
    if (!value.empty() && value.size() <= 9 &&
        value.find_first_not_of("0123456789") == std::string::npos)
      n = std::stoll(value);
    if (n >= spec.least && (spec.most == 0 || n <= spec.most)) {
      number = static_cast<int>(n);
      return std::nullopt;
    }
    if (spec.most == 0)
      return Complaint{
          QT_TRANSLATE_NOOP("snpln-cli",
                            "%1 takes a whole number from %2, not \"%3\""),
          {longNameOf(spec), std::to_string(spec.least), value}};
    return Complaint{
        QT_TRANSLATE_NOOP("snpln-cli",
                          "%1 takes a whole number from %2 to %3, not \"%4\""),
        {longNameOf(spec), std::to_string(spec.least),
         std::to_string(spec.most), value}};
  }
  default:
    return std::nullopt;
  }
}

// An option given without the value it needs.
Complaint missingValue(const OptionSpec &spec, i18n::Language language) {
  switch (spec.kind) {
  case ValueKind::Choice: {
    std::vector<std::string> names;
    for (const OptionChoice &choice : spec.choices)
      names.emplace_back(choice.name);
    return Complaint{QT_TRANSLATE_NOOP("snpln-cli", "%1 needs a value: %2"),
                     {longNameOf(spec), alternatives(names, language)}};
  }
  case ValueKind::TargetPage:
  case ValueKind::SourcePage:
    return Complaint{
        QT_TRANSLATE_NOOP("snpln-cli", "%1 needs a code page: give %2 "
                                       "(snpln-cli -l lists every name)"),
        {longNameOf(spec),
         alternatives(validPageNames(spec.kind == ValueKind::SourcePage),
                      language)},
        false};
  default:
    return Complaint{QT_TRANSLATE_NOOP("snpln-cli", "%1 needs a value: %2"),
                     {longNameOf(spec), valueNameOf(spec)}};
  }
}

std::vector<std::string> longNames() {
  std::vector<std::string> names;
  for (const OptionSpec &spec : optionTable())
    names.push_back(longNameOf(spec));
  return names;
}

const OptionSpec *findLong(const std::string &name) {
  for (const OptionSpec &spec : optionTable())
    if (name == spec.longName)
      return &spec;
  return nullptr;
}

const OptionSpec *findShort(char name) {
  for (const OptionSpec &spec : optionTable())
    if (spec.shortName == name)
      return &spec;
  return nullptr;
}

// Reads argv by the option table: the options in the order given, their
// values taken, the names kept. Everything after "--" is a name, and so is
// a lone "-". The first complaint is kept; reading goes on, so that -h, -V
// or -l anywhere still answer.
class Reader {
public:
  Reader(CliOptions &options) : o_(options) {}

  void read(int argc, char **argv) {
    bool namesOnly = false;
    for (int i = 1; i < argc; ++i) {
      const std::string arg = argv[i];
      const auto next = [&]() -> std::optional<std::string> {
        if (i + 1 < argc)
          return std::string(argv[++i]);
        return std::nullopt;
      };
      if (namesOnly || arg == "-" || arg.empty() || arg[0] != '-') {
        o_.names.push_back(arg);
      } else if (arg == "--") {
        namesOnly = true;
      } else if (arg.rfind("--", 0) == 0) {
        const auto equals = arg.find('=');
        const std::string name = arg.substr(2, equals - 2);
        const OptionSpec *spec = findLong(name);
        if (!spec) {
          unknown("--" + name, true);
          continue;
        }
        if (!spec->takesValue()) {
          if (equals != std::string::npos)
            complain(
                Complaint{QT_TRANSLATE_NOOP("snpln-cli", "%1 takes no value"),
                          {longNameOf(*spec)}});
          given(*spec, {});
          continue;
        }
        given(*spec, equals != std::string::npos
                         ? std::optional(arg.substr(equals + 1))
                         : next());
      } else {
        // A cluster of short options: flags, and the last one may take
        // the rest of the word (or the next word) as its value.
        for (std::size_t k = 1; k < arg.size(); ++k) {
          const OptionSpec *spec = findShort(arg[k]);
          if (!spec) {
            unknown(std::string("-") + arg[k], false);
            break;
          }
          if (!spec->takesValue()) {
            given(*spec, {});
            continue;
          }
          given(*spec,
                k + 1 < arg.size() ? std::optional(arg.substr(k + 1)) : next());
          break;
        }
      }
    }
  }

  // -h, -V or -l, the first given.
  std::optional<OptionId> answer;
  std::optional<Complaint> complaint;
  // The options in the order given, each once.
  std::vector<OptionId> order;

private:
  void complain(Complaint c) {
    if (!complaint)
      complaint = std::move(c);
  }

  void unknown(const std::string &name, bool isLong) {
    if (isLong)
      if (const auto near = nearestOption(name, longNames())) {
        complain(
            Complaint{QT_TRANSLATE_NOOP("snpln-cli",
                                        "unknown option %1; did you mean %2?"),
                      {name, *near},
                      false});
        return;
      }
    complain(
        Complaint{QT_TRANSLATE_NOOP("snpln-cli", "unknown option %1"), {name}});
  }

  void given(const OptionSpec &spec, const std::optional<std::string> &value) {
    if (!spec.take) {
      if (!answer)
        answer = spec.id;
      return;
    }
    const bool again = !o_.given.insert(spec.id).second;
    if (!again)
      order.push_back(spec.id);
    if (spec.takesValue()) {
      if (!value) {
        complain(missingValue(spec, o_.language));
        return;
      }
      if (again) {
        complain(Complaint{
            QT_TRANSLATE_NOOP("snpln-cli", "%1 is given more than once"),
            {longNameOf(spec)}});
        return;
      }
    }
    int number = -1;
    if (auto bad = checkValue(spec, value.value_or(""), number, o_.language)) {
      complain(std::move(*bad));
      return;
    }
    if (auto bad = spec.take(o_, value.value_or(""), number))
      complain(std::move(*bad));
  }

  CliOptions &o_;
};

// The options given that do not go together, or that need another one:
// the first such pair in the order given.
std::optional<Complaint> checkCombinations(const CliOptions &o,
                                           const std::vector<OptionId> &order,
                                           i18n::Language language) {
  for (std::size_t i = 0; i < order.size(); ++i) {
    const OptionSpec &a = optionSpec(order[i]);
    for (std::size_t j = i + 1; j < order.size(); ++j) {
      const OptionSpec &b = optionSpec(order[j]);
      const auto excludes = [](const OptionSpec &x, const OptionSpec &y) {
        return std::find(x.excludes.begin(), x.excludes.end(), y.id) !=
               x.excludes.end();
      };
      if (excludes(a, b) || excludes(b, a))
        return Complaint{
            QT_TRANSLATE_NOOP("snpln-cli", "%1 does not go with %2"),
            {longNameOf(a), longNameOf(b)}};
    }
  }
  for (OptionId id : order) {
    const OptionSpec &spec = optionSpec(id);
    if (spec.needsOneOf.empty())
      continue;
    std::vector<std::string> needed;
    bool met = false;
    for (OptionId other : spec.needsOneOf) {
      met = met || o.given.count(other) != 0;
      needed.push_back(longNameOf(optionSpec(other)));
    }
    if (!met)
      return Complaint{QT_TRANSLATE_NOOP("snpln-cli", "%1 goes only with %2"),
                       {longNameOf(spec), alternatives(needed, language)}};
  }
  return std::nullopt;
}

// What the options ask for together, once each was taken.
std::optional<Complaint> checkRun(CliOptions &o) {
  if ((o.backup || o.output) && !platform::kNewFilesAndBackups)
    return Complaint{QT_TRANSLATE_NOOP(
        "snpln-cli", "--backup and --output are not available on this "
                     "system")};
  if (o.output) {
    if (o.names.size() != 1)
      return Complaint{QT_TRANSLATE_NOOP(
          "snpln-cli", "--output goes with exactly one input file")};
    if (o.names.front() == "-")
      return Complaint{QT_TRANSLATE_NOOP(
          "snpln-cli", "--output does not go with standard input (-): the "
                       "result of - goes to standard output")};
  }
  if (o.exclude && o.replace && *o.exclude != *o.replace)
    return Complaint{QT_TRANSLATE_NOOP(
        "snpln-cli", "--exclude and --replace name different texts")};
  if (!o.bytes) {
    // Typed text is characters: made UTF-8 from the terminal's character
    // set here, and written into each file in the file's own code page.
    for (auto *text : {o.exclude ? &*o.exclude : nullptr,
                       o.replace ? &*o.replace : nullptr, &o.with}) {
      if (!text)
        continue;
      const auto decoded = localeTextToUtf8(*text);
      if (!decoded)
        return Complaint{
            QT_TRANSLATE_NOOP("snpln-cli",
                              "\"%1\" is not text in the terminal's character "
                              "set (--bytes takes it byte for byte)"),
            {*text}};
      *text = *decoded;
    }
  }
  if (operationsOf(o).empty()) {
    std::vector<std::string> operations;
    for (const OptionSpec &spec : optionTable())
      if (spec.operation)
        operations.push_back(longNameOf(spec));
    return Complaint{
        QT_TRANSLATE_NOOP("snpln-cli", "no operation chosen: give %1"),
        {alternatives(operations, o.language)}};
  }
  if (o.names.empty())
    return Complaint{QT_TRANSLATE_NOOP(
        "snpln-cli", "no NAME given: give the files or directories to work "
                     "on (- is standard input)")};
  return std::nullopt;
}

} // namespace

std::optional<int> parseOptions(int argc, char **argv, CliOptions &o,
                                std::ostream &out, std::ostream &err) {
  o.language = i18n::languageOfEnvironment();
  Reader reader(o);
  reader.read(argc, argv);
  if (reader.answer) {
    switch (*reader.answer) {
    case OptionId::Help:
      printHelp(out, o.language);
      break;
    case OptionId::Version:
      out << "snpln-cli " << kVersion << '\n';
      break;
    default:
      printPageList(out, o.language);
      break;
    }
    return kExitSuccess;
  }
  std::optional<Complaint> complaint = reader.complaint;
  if (!complaint)
    complaint = checkCombinations(o, reader.order, o.language);
  if (!complaint)
    complaint = checkRun(o);
  if (complaint) {
    err << complaintLines(*complaint, o.language);
    return kExitUsage;
  }
  return std::nullopt;
}

std::optional<int> checkOutputFiles(const CliOptions &o,
                                    platform::FileSystem &fs,
                                    std::ostream &err) {
  if (!o.output || o.names.size() != 1)
    return std::nullopt;
  const auto usage = [&](const char *text, const std::string &name) {
    err << complaintLines(Complaint{text, {name}}, o.language);
    return kExitUsage;
  };
  const std::string &input = o.names.front();
  if (const auto word = fs.lookup(input);
      word && platform::isDirectoryWord(*word))
    return usage(QT_TRANSLATE_NOOP("snpln-cli",
                                   "%1 is a directory: --output takes one "
                                   "input file"),
                 input);
  if (const auto word = fs.lookup(*o.output);
      word && platform::isDirectoryWord(*word))
    return usage(QT_TRANSLATE_NOOP("snpln-cli",
                                   "--output %1 is a directory: give the name "
                                   "of a file"),
                 *o.output);
  // Through any name: a link, a hard link, another path.
  const auto in = fs.status(platform::FileLocation(input));
  const auto out = fs.status(platform::FileLocation(*o.output));
  if (in && out && in->id.device == out->id.device &&
      in->id.inode == out->id.inode)
    return usage(QT_TRANSLATE_NOOP("snpln-cli",
                                   "--output %1 is the input file itself: "
                                   "leave out --output to rewrite it in place"),
                 *o.output);
  return std::nullopt;
}

std::vector<job::OperationCode> operationsOf(const CliOptions &o) {
  std::vector<job::OperationCode> operations;
  for (const OptionSpec &spec : optionTable())
    if (spec.operation && o.given.count(spec.id) != 0)
      if (const auto operation = spec.operation(o))
        operations.push_back(*operation);
  return operations;
}

} // namespace snpln::cli
