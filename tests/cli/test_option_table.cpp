// The option table and what is made of it: --help in both languages, the
// manual page's options and the bash completion name every option, and
// every option the table has is read by the parser the way the table says.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/option_table.h"
#include "cli/page_names.h"
#include "platform/file_system.h"

namespace snpln::cli {
namespace {

std::string helpIn(i18n::Language language) {
  std::ostringstream out;
  printHelp(out, language);
  return out.str();
}

// Options parsed from `args` (after the program's name): the status
// parseOptions gave (nothing: the run goes on) and what it printed.
struct Parsed {
  std::optional<int> status;
  CliOptions options;
  std::string out, err;
};

Parsed parse(std::vector<std::string> args) {
  args.insert(args.begin(), "snpln-cli");
  std::vector<char *> argv;
  for (auto &a : args)
    argv.push_back(a.data());
  Parsed p;
  std::ostringstream out, err;
  p.status = parseOptions(static_cast<int>(argv.size()), argv.data(), p.options,
                          out, err);
  p.out = out.str();
  p.err = err.str();
  return p;
}

// A value each kind of option takes.
std::string goodValue(const OptionSpec &spec) {
  switch (spec.kind) {
  case ValueKind::Choice:
    return spec.choices.front().name;
  case ValueKind::TargetPage:
  case ValueKind::SourcePage:
    return "koi";
  case ValueKind::Number:
    return std::to_string(spec.least);
  case ValueKind::Path:
    return "out.txt";
  case ValueKind::Text:
    return spec.id == OptionId::Suffix ? ".bak" : "abc";
  case ValueKind::None:
    break;
  }
  return {};
}

TEST(OptionTable, NamesAreOneOptionEachAndRulesNameOthers) {
  std::set<std::string> longNames;
  std::set<char> shortNames;
  for (const OptionSpec &spec : optionTable()) {
    EXPECT_TRUE(longNames.insert(spec.longName).second) << spec.longName;
    if (spec.shortName != '\0') {
      EXPECT_TRUE(shortNames.insert(spec.shortName).second) << spec.longName;
    }
    EXPECT_EQ(&optionSpec(spec.id), &spec) << spec.longName;
    EXPECT_TRUE(i18n::hasTranslation("snpln-cli", spec.help)) << spec.longName;
    EXPECT_EQ(spec.kind == ValueKind::Choice, !spec.choices.empty())
        << spec.longName;
    for (OptionId other : spec.excludes)
      EXPECT_NE(other, spec.id) << spec.longName;
    for (OptionId other : spec.needsOneOf)
      EXPECT_NE(other, spec.id) << spec.longName;
  }
}

// Every option and every value it offers is in the help (in both
// languages), the manual page and the completion: nothing is listed by
// hand.
TEST(OptionTable, HelpManualAndCompletionNameEveryOption) {
  const std::string english = helpIn(i18n::Language::English);
  const std::string russian = helpIn(i18n::Language::Russian);
  std::ostringstream manual, completion;
  printManualOptions(manual);
  printBashCompletion(completion);
  for (const OptionSpec &spec : optionTable()) {
    const std::string names = namesOf(spec, true);
    const auto at = english.find("  " + names);
    ASSERT_NE(at, std::string::npos) << names;
    EXPECT_TRUE(std::string(" \n").find(english[at + 2 + names.size()]) !=
                std::string::npos)
        << names;
    EXPECT_NE(russian.find("  " + names), std::string::npos) << names;
    // The help's first words, before the line is cut.
    const std::string translated =
        i18n::translate(i18n::Language::Russian, "snpln-cli", spec.help);
    EXPECT_NE(russian.find(translated.substr(0, translated.find(' ', 12))),
              std::string::npos)
        << names;
    std::string roffName;
    for (char c : std::string(spec.longName))
      roffName += c == '-' ? std::string("\\-") : std::string(1, c);
    EXPECT_NE(manual.str().find("\\fB\\-\\-" + roffName + "\\fR"),
              std::string::npos)
        << names;
    EXPECT_NE(completion.str().find(" --" + std::string(spec.longName)),
              std::string::npos)
        << names;
    for (const OptionChoice &choice : spec.choices)
      EXPECT_NE(completion.str().find(choice.name), std::string::npos)
          << names << " " << choice.name;
  }
  for (const std::string &page : everyPageName(true)) {
    const std::string text = completion.str();
    EXPECT_TRUE(text.find(" " + page + " ") != std::string::npos ||
                text.find("\"" + page + " ") != std::string::npos ||
                text.find(" " + page + "\"") != std::string::npos)
        << page;
  }
  // Russian help has no English heading or usage left.
  for (const char *english_text :
       {"Usage:", "Operations:", "Output:", "Print this help", "Information:"})
    EXPECT_EQ(russian.find(english_text), std::string::npos) << english_text;
}

// Each option, given with a value its kind takes and the options it needs
// (and an operation, and a name), is read into the options as given.
TEST(OptionTable, EveryOptionIsReadAsTheTableSays) {
  for (const OptionSpec &spec : optionTable()) {
    if (!spec.take)
      continue; // -h, -V, -l answer at once
    std::vector<std::vector<std::string>> spellings;
    const std::string value = goodValue(spec);
    if (spec.takesValue()) {
      spellings.push_back({longNameOf(spec), value});
      spellings.push_back({longNameOf(spec) + "=" + value});
      if (spec.shortName != '\0') {
        spellings.push_back({std::string("-") + spec.shortName, value});
        spellings.push_back({std::string("-") + spec.shortName + value});
      }
    } else {
      spellings.push_back({longNameOf(spec)});
      if (spec.shortName != '\0')
        spellings.push_back({std::string("-") + spec.shortName});
    }
    for (std::vector<std::string> args : spellings) {
      SCOPED_TRACE(testing::PrintToString(args));
      bool operation = spec.operation != nullptr;
      if (!spec.needsOneOf.empty()) {
        const OptionSpec &needed = optionSpec(spec.needsOneOf.front());
        args.push_back(longNameOf(needed));
        if (needed.takesValue())
          args.push_back(goodValue(needed));
        operation = operation || needed.operation != nullptr;
      }
      if (!operation && spec.id != OptionId::Output)
        args.push_back("--upper");
      if (spec.id == OptionId::Output)
        args.push_back("--lower");
      args.push_back("a.txt");
      const Parsed p = parse(args);
      if (!platform::kNewFilesAndBackups &&
          (spec.id == OptionId::Backup || spec.id == OptionId::Suffix ||
           spec.id == OptionId::Output)) {
        // A system that cannot make them refuses backups and new files.
        EXPECT_TRUE(p.status) << p.err;
        continue;
      }
      EXPECT_FALSE(p.status) << p.err;
      EXPECT_EQ(p.options.given.count(spec.id), 1u);
      if (spec.operation) {
        EXPECT_FALSE(operationsOf(p.options).empty());
      }
      EXPECT_EQ(p.options.names, std::vector<std::string>{"a.txt"});
    }
  }
}

// Each rule of the table refuses the command line that breaks it, naming
// both options; the rules hold whichever comes first.
TEST(OptionTable, EveryRuleOfTheTableRefusesItsBreach) {
  for (const OptionSpec &spec : optionTable()) {
    const auto given = [](const OptionSpec &s) {
      std::vector<std::string> args{longNameOf(s)};
      if (s.takesValue())
        args.push_back(goodValue(s));
      return args;
    };
    for (OptionId other : spec.excludes) {
      for (bool first : {true, false}) {
        std::vector<std::string> args = given(first ? spec : optionSpec(other));
        for (const std::string &a : given(first ? optionSpec(other) : spec))
          args.push_back(a);
        args.push_back("a.txt");
        const Parsed p = parse(args);
        SCOPED_TRACE(testing::PrintToString(args));
        EXPECT_EQ(p.status, kExitUsage);
        EXPECT_NE(p.err.find(" does not go with "), std::string::npos) << p.err;
      }
    }
    if (!spec.needsOneOf.empty()) {
      std::vector<std::string> args = given(spec);
      args.insert(args.end(), {"--upper", "a.txt"});
      const Parsed p = parse(args);
      SCOPED_TRACE(testing::PrintToString(args));
      EXPECT_EQ(p.status, kExitUsage);
      EXPECT_NE(p.err.find(longNameOf(spec) + " goes only with "),
                std::string::npos)
          << p.err;
    }
  }
}

} // namespace
} // namespace snpln::cli
